#pragma once
// The industry definition window: the definition text of one industry, with
// Print. Modeless, refilled in place while open, destroyed when closed (Back,
// Escape or the close box). Its captions are set when it is created, in the
// language of that moment; each lookup fills its heading and text in the
// language of the lookup; a language switch while it is open shows its
// captions and the same industry's definition in the new language.

#include "ui/ScreenBase.h"

#include <string>

namespace Ui {
class frmIndustryDefinitions;
}

namespace zorva {

class frmIndustryDefinitions : public ScreenBase {
    Q_OBJECT
public:
    frmIndustryDefinitions();
    ~frmIndustryDefinitions() override;
    static frmIndustryDefinitions& instance() { return ScreenInstance<frmIndustryDefinitions>(); }

    // Fills the window for one NAICS code in the current language and shows it
    // (gsubOpenIndustryDef, through the navigator). An unknown code empties
    // the text and keeps the heading.
    void ShowDefinition(const std::string& code);

    // After a language switch (the navigator calls it): captions and the
    // definition in the new language.
    void subLanguageChanged();

    void cmdContinue_Click();
    void cmdPrint_Click();

    Ui::frmIndustryDefinitions* const ui;

protected:
    void Form_Load() override;

private:
    void subLoadCaptions();
    void subFillDefinition();
    std::string mstrCode;
};

} // namespace zorva
