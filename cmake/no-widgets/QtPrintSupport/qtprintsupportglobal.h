// Found before Qt's own on the include path of the logic library (zorva_logic):
// printing needs Qt Widgets, so the printer belongs in a ui/ folder.
#error "a printing header in the logic layer: move this code into a ui/ folder"
