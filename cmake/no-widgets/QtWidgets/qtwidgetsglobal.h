// Found before Qt's own on the include path of the logic library (zorva_logic):
// the logic layer has no widgets. Screens and other widget code go in a ui/ folder.
#error "a widget header in the logic layer: move this code into a ui/ folder"
