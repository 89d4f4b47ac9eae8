#include "selection/frmMenu.h"

#include "core/Catalogue.h"
#include "core/Globals.h"
#include "core/Services.h"
#include "core/Strings.h"
#include "core/gui/QtServices.h"
#include "core/modMain.h"
#include "screens/frmAbout.h"
#include "selection/frmSearch.h"
#include "ui_frmMenu.h"

#include <QButtonGroup>
#include <QRadioButton>

#include <algorithm>

namespace zorva {

frmMenu::frmMenu() : ui(new Ui::frmMenu), mgrpDatasets(new QButtonGroup(this)) {
    ui->setupUi(this);
    SetMainScreen(true);
    // Provinces and territories stand indented under their region.
    ui->layRegions->setColumnMinimumWidth(0, 24);

    // The nineteen options form one group although they sit in two boxes.
    mgrpDatasets->setExclusive(true);
    for (const auto& choice : Catalogue()) mgrpDatasets->addButton(Option(choice.option));
    connect(mgrpDatasets, &QButtonGroup::buttonClicked, this, &frmMenu::opt_Click);

    connect(ui->cmdSearch, &QPushButton::clicked, this, &frmMenu::cmdSearch_Click);
    connect(ui->mnuExit, &QAction::triggered, this, &frmMenu::mnuExit_Click);
    connect(ui->mnuEnglish, &QAction::triggered, this, &frmMenu::mnuEnglish_Click);
    connect(ui->mnuFrench, &QAction::triggered, this, &frmMenu::mnuFrench_Click);
    connect(ui->mnuContents, &QAction::triggered, this, &frmMenu::mnuContents_Click);
    connect(ui->mnuTechnical, &QAction::triggered, this, &frmMenu::mnuTechnical_Click);
    connect(ui->mnuAbout, &QAction::triggered, this, &frmMenu::mnuAbout_Click);
}

frmMenu::~frmMenu() { delete ui; }

QRadioButton* frmMenu::Option(const std::string& optName) const {
    return findChild<QRadioButton*>(qs(optName));
}

void frmMenu::Form_Load() {
    // Big enough for the captions of either language, so that a language
    // switch never has to grow the window; then in the middle of the display.
    subApplyCaptions(1 - (gintLanguage != 0 ? 1 : 0));
    QSize other = sizeHint();
    subApplyCaptions(gintLanguage);
    resize(sizeHint().expandedTo(other));
    CentreOnScreen();
}

void frmMenu::Form_Activate() {
    subLoadCaptions();
    subVerifyDataAvailable();
}

void frmMenu::subLoadCaptions() { subApplyCaptions(gintLanguage); }

void frmMenu::subApplyCaptions(int language) {
    auto t = [language](int id) { return qs(Txt(id, language)); };
    setWindowTitle(t(1000));
    ui->lblInstructions->setText(t(484));
    ui->lblCanada->setText(t(486));
    ui->lblRegProvTerr->setText(t(488));
    ui->lblOR->setText(t(538));
    ui->lblVol3->setText(t(494));
    for (const auto& choice : Catalogue()) Option(choice.option)->setText(qs(ChoiceCaption(choice, language)));
    ui->cmdSearch->setText(t(504));
    ui->txtDescription->clear();

    ui->mnuFile->setTitle(t(496));
    ui->mnuExit->setText(t(328));
    ui->mnuLanguage->setTitle(t(500));
    ui->mnuHelp->setTitle(t(298));
    ui->mnuContents->setText(t(562));
    ui->mnuTechnical->setText(t(564));
    ui->mnuAbout->setText(t(380));

    // Names for assistive technology: the boxes carry their headings.
    ui->Shape1->setAccessibleName(ui->lblCanada->text());
    ui->Shape2->setAccessibleName(ui->lblRegProvTerr->text());
}

void frmMenu::subVerifyDataAvailable() {
    for (const auto& choice : Catalogue())
        subConnectToTable(RatioTableName(choice.volume, choice.region, kCurrentYear), Option(choice.option));
}

void frmMenu::subConnectToTable(const std::string& strTable, QRadioButton* optButton) {
    optButton->setEnabled(CountTableRows(gcnIndustry, strTable) != 0);
}

std::string frmMenu::fncGetDescription(const std::string& strOptName) {
    return DatasetDescription(gcnIndustry, strOptName, gintLanguage);
}

bool frmMenu::fncDetermineDataset() {
    bool result = false;
    for (const auto& choice : Catalogue()) {
        QRadioButton* option = Option(choice.option);
        if (option->isChecked()) {
            gstrDatasetCaption = ss(option->text());
            subSetDataTable(choice.option);
            result = true;
        }
    }
    return result;
}

void frmMenu::opt_Click(QAbstractButton* option) {
    ui->txtDescription->setPlainText(qs(fncGetDescription(ss(option->objectName()))));
}

void frmMenu::cmdSearch_Click() {
    if (!fncDetermineDataset()) {
        MsgBox(Txt(480));
        return;
    }
    hide();
    frmSearch::instance().Show();
}

void frmMenu::mnuExit_Click() { close(); }

void frmMenu::Form_Unload(bool& cancel) { AskExitQuestion(cancel); }

void frmMenu::mnuEnglish_Click() {
    gintLanguage = 0;
    subLoadCaptions();
}

void frmMenu::mnuFrench_Click() {
    gintLanguage = 1;
    subLoadCaptions();
}

void frmMenu::mnuContents_Click() { gsubLaunchHelpFile("Contents"); }

void frmMenu::mnuTechnical_Click() { gsubLaunchHelpFile("Tech"); }

void frmMenu::mnuAbout_Click() { frmAbout::instance().ShowModal(this); }

} // namespace zorva
