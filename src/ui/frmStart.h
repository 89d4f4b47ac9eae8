#pragma once
// The start screen: the language choice, the reference years and the two
// licence agreement links. Its texts are fixed and bilingual.

#include "ui/ScreenBase.h"

#include <string>

namespace Ui {
class frmStart;
}

namespace zorva {

class frmStart : public ScreenBase {
    Q_OBJECT
public:
    frmStart();
    ~frmStart() override;
    static frmStart& instance() { return ScreenInstance<frmStart>(); }

    // Opens topic HelpTopic of the help file HelpFile (a name in the
    // application folder) and keeps both, so that F1 on this screen opens
    // the same topic again.
    void GetHelpTopic(const std::string& HelpFile, long HelpTopic);

    // The help file and topic F1 opens; empty until a link has been used.
    const std::string& HelpFile() const { return mstrHelpFile; }
    long HelpContextID() const { return mlngHelpContextID; }

    Ui::frmStart* const ui;

protected:
    void Form_Load() override;
    void Form_Unload(bool& cancel) override;

private:
    void cmdEnglish_Click();
    void cmdFrancais_Click();
    void lblLicenseAgreementE_Click();
    void lblLicenseAgreementF_Click();
    // F1: the topic of the help file set by the last link, if any.
    void subContextHelp();
    void subChooseLanguage(int language);

    std::string mstrHelpFile;
    long mlngHelpContextID = 0;
};

} // namespace zorva
