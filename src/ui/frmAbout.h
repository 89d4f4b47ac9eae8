#pragma once
// The about screen: the product, the publishing agency's contact block, the
// version and a notice that the shipped benchmark figures are illustrative.
// Shown modal over the screen whose About item was chosen; Return hides it,
// the close box destroys it.

#include "ui/ScreenBase.h"

namespace Ui {
class frmAbout;
}

namespace zorva {

class frmAbout : public ScreenBase {
    Q_OBJECT
public:
    frmAbout();
    ~frmAbout() override;
    static frmAbout& instance() { return ScreenInstance<frmAbout>(); }

    // Sets every text from the string table in the current language.
    void subLoadCaptions();

    Ui::frmAbout* const ui;

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(bool& cancel) override;

private:
    void cmdReturn_Click();
    void subApplyCaptions(int language);
};

} // namespace zorva
