#pragma once
// The program globals of the application core: what one screen decides
// reaches the next through them. Each says which unit writes it; everything
// else only reads it. The chosen industry is in CurrentChoice()
// (core/Navigator.h).

#include "core/DBTools.h"

#include <cstdint>
#include <string>

namespace zorva {

// Language offset added to every string id: 0 English, 1 French.
// Written by the start screen's language buttons and by the Language menus
// of the main menu, search and values screens.
extern std::int16_t gintLanguage;

// Connections to the industry data store and the user data store.
// Written once by start-up (OpenDataStores, core/modMain.h).
extern ConnectionHandle gcnIndustry;
extern ConnectionHandle gcnUser;

// The data set chosen on the main menu. Written by the catalogue
// (subSetDataTable, core/Catalogue.h) when the main menu's Search is pressed
// or the language switches; gstrDatasetCaption by the main menu itself.
extern std::string gstrDataTable;      // ratio table of the current year
extern std::int16_t gintVolume;        // 1, 2 or 3
extern std::string gstrRegion;         // region code ("ALL", "NS", ...)
extern std::string gstrNaicsTable;     // NAICS description table of the data set
extern std::string gstrDatasetCaption; // caption of the choice in the current language

// Path of the help viewer. Written once by start-up.
extern std::string gstrHelpViewer;

// One-shot flag of the values screen: the screen keeps its contents on its
// next activation. Written by the values screen's flows
// (enterprise/ValuesFlow.h): set while a comparison or trend report is up
// over the screen (and cleared when it closes), and by the open-existing list
// right before it puts a stored record on the screen; the screen's activation
// clears it. It is never left set by a check that refused, a list closed
// without opening or a definition window.
extern bool gblnKeepValues;

// Report language letter: "F" when gintLanguage is not 0, else "E".
inline std::string LanguageLetter() { return gintLanguage != 0 ? "F" : "E"; }

// Resets every global of the program, the other subsystems' too, to its value
// at start (tests).
void ResetGlobals();

} // namespace zorva
