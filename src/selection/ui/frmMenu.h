#pragma once
// The main menu: the choice of a data set (one of the three volumes for all
// of Canada, or Volume 3 for a region, province or territory), its
// description, and the way on to the industry search.

#include "ui/ScreenBase.h"

#include <string>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QRadioButton;

namespace Ui {
class frmMenu;
}

namespace zorva {

class frmMenu : public ScreenBase {
    Q_OBJECT
public:
    frmMenu();
    ~frmMenu() override;
    static frmMenu& instance() { return ScreenInstance<frmMenu>(); }

    // Sets the window title and every caption in the current language and
    // empties the description box.
    void subLoadCaptions();
    // After a language switch (the navigator calls it, also while the screen
    // is hidden): the captions, and the caption of the data set chosen with
    // Search in the new language; the data set globals stay as they are.
    void subLanguageChanged();
    // True when an option is selected, after putting that choice into the
    // data set globals (gstrDatasetCaption from the option's caption on
    // screen); false, with the globals untouched, when none is.
    bool fncDetermineDataset();
    // Enables exactly the choices whose ratio table of the current year has rows.
    void subVerifyDataAvailable();
    // Counts the rows of a table and enables the option when there are any.
    void subConnectToTable(const std::string& strTable, QRadioButton* optButton);
    // Description of a choice in the current language.
    std::string fncGetDescription(const std::string& strOptName);

    // The option buttons, in catalogue order.
    QRadioButton* Option(const std::string& optName) const;

    Ui::frmMenu* const ui;

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(bool& cancel) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void opt_Click(QAbstractButton* option);
    void cmdSearch_Click();
    void mnuExit_Click();
    void mnuEnglish_Click();
    void mnuFrench_Click();
    void mnuContents_Click();
    void mnuTechnical_Click();
    void mnuAbout_Click();
    void subApplyCaptions(int language);
    void subExplainAvailability(QRadioButton* optButton, int language);

    QButtonGroup* mgrpDatasets;
    std::vector<QRadioButton*> mlstReadingOrder;  // the options as the form lays them out
};

} // namespace zorva
