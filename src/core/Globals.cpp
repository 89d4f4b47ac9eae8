#include "core/Globals.h"

#include "core/Edition.h"
#include "core/Navigator.h"

namespace zorva {

std::int16_t gintLanguage = 0;
ConnectionHandle gcnIndustry;
ConnectionHandle gcnUser;
std::string gstrDataTable;
std::int16_t gintVolume = 0;
std::string gstrRegion;
std::string gstrNaicsTable;
std::string gstrDatasetCaption;
std::string gstrHelpViewer;
bool gblnKeepValues = false;

void ResetGlobals() {
    gintLanguage = 0;
    gcnIndustry.reset();
    gcnUser.reset();
    gstrDataTable.clear();
    gintVolume = 0;
    gstrRegion.clear();
    gstrNaicsTable.clear();
    gstrDatasetCaption.clear();
    gstrHelpViewer.clear();
    gblnKeepValues = false;
    CurrentChoice() = {};
    SetCurrentEdition(Edition{});
}

} // namespace zorva
