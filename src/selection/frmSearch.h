#pragma once
// The industry search: the user finds one industry of the chosen data set
// (sector tree, code list, title list or key word search), picks a report
// option and presses Continue. The chosen industry lives in the controls of
// the bottom strip; the values screen and the open-existing list read it
// through ChosenNaics() and ChosenTitle().

#include "core/gui/ScreenBase.h"

#include <string>

namespace Ui {
class frmSearch;
}

namespace zorva {

class frmSearch : public ScreenBase {
    Q_OBJECT
public:
    frmSearch();
    ~frmSearch() override;
    static frmSearch& instance() { return ScreenInstance<frmSearch>(); }

    void subLoadCaptions();
    void subInitialize();
    void subLoadTreeView();
    void subPopulateNAICScodes();
    void subPopulateNAICSTitles();
    void subLookupNewLanguage(const std::string& code);
    void subFormatGrid();
    void cmdContinue_Click();

    // The chosen industry: the bare code (lblHiddenNaics) and its title
    // (txtIndName); both empty when nothing is chosen.
    std::string ChosenNaics() const;
    std::string ChosenTitle() const;
    // Chooses an industry by its code, as choosing it in the code list does.
    void ChooseCode(const std::string& code);

    Ui::frmSearch* const ui;
};

} // namespace zorva
