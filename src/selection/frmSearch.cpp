#include "selection/frmSearch.h"

namespace zorva {

frmSearch::frmSearch() : ui(nullptr) { SetMainScreen(true); }
frmSearch::~frmSearch() = default;

void frmSearch::subLoadCaptions() {}
void frmSearch::subInitialize() {}
void frmSearch::subLoadTreeView() {}
void frmSearch::subPopulateNAICScodes() {}
void frmSearch::subPopulateNAICSTitles() {}
void frmSearch::subLookupNewLanguage(const std::string&) {}
void frmSearch::subFormatGrid() {}
void frmSearch::cmdContinue_Click() {}
std::string frmSearch::ChosenNaics() const { return {}; }
std::string frmSearch::ChosenTitle() const { return {}; }
void frmSearch::ChooseCode(const std::string&) {}

} // namespace zorva
