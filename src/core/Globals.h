#pragma once
// The program globals: what one screen decides reaches the next through them.

#include "core/DBTools.h"

#include <cstdint>
#include <string>

namespace zorva {

// Language offset added to every string id: 0 English, 1 French.
extern std::int16_t gintLanguage;
// Connections to the industry data store and the user data store.
extern ConnectionHandle gcnIndustry;
extern ConnectionHandle gcnUser;
// The data set chosen on the main menu.
extern std::string gstrDataTable;      // ratio table of the current year
extern std::int16_t gintVolume;        // 1, 2 or 3
extern std::string gstrRegion;         // region code ("ALL", "NS", ...)
extern std::string gstrNaicsTable;     // NAICS description table of the data set
extern std::string gstrDatasetCaption; // caption of the choice in the current language
// Path of the help viewer.
extern std::string gstrHelpViewer;
// One-shot flag: the values screen keeps its contents on its next activation.
extern bool gblnKeepValues;

// Report language letter: "F" when gintLanguage is not 0, else "E".
inline std::string LanguageLetter() { return gintLanguage != 0 ? "F" : "E"; }

// Resets every global to its value at start (tests).
void ResetGlobals();

} // namespace zorva
