#include "selection/ui/frmMenu.h"

#include "core/Edition.h"
#include "core/Catalogue.h"
#include "core/Globals.h"
#include "core/HelpTopics.h"
#include "core/Services.h"
#include "core/Strings.h"
#include "ui/QtServices.h"
#include "core/Navigator.h"
#include "core/modMain.h"
#include "ui_frmMenu.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <QRadioButton>
#include <QShortcut>

#include <QRegularExpression>

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
    // A click, the arrow keys and assistive technology's Toggle action all
    // choose an option: each shows its description. A click on the option
    // already chosen shows it too (after a language switch emptied the box).
    connect(mgrpDatasets, &QButtonGroup::buttonClicked, this, &frmMenu::opt_Click);
    connect(mgrpDatasets, &QButtonGroup::buttonToggled, this, [this](QAbstractButton* option, bool checked) {
        if (checked) opt_Click(option);
    });
    // The arrow keys go through the options in reading order: the left box
    // top to bottom, then the right box top to bottom (the order of the form).
    for (QAbstractButton* option : findChildren<QRadioButton*>(QRegularExpression(QStringLiteral("^opt")))) {
        mlstReadingOrder.push_back(static_cast<QRadioButton*>(option));
        option->installEventFilter(this);
    }
    // Enter runs Search, as the screen's default action.
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        connect(enter, &QShortcut::activated, this, [this] {
            if (ui->cmdSearch->isEnabled()) ui->cmdSearch->click();
        });
    }

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
    setWindowTitle(qs(EditionText(1000, language)));
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
    for (QRadioButton* option : mlstReadingOrder) subExplainAvailability(option, language);
}

void frmMenu::subVerifyDataAvailable() {
    for (const auto& choice : Catalogue())
        subConnectToTable(RatioTableName(choice.volume, choice.region, CurrentEdition().latest), Option(choice.option));
}

void frmMenu::subConnectToTable(const std::string& strTable, QRadioButton* optButton) {
    optButton->setEnabled(CountTableRows(gcnIndustry, strTable) != 0);
    subExplainAvailability(optButton, gintLanguage);
}

void frmMenu::subExplainAvailability(QRadioButton* optButton, int language) {
    // A greyed-out choice says why, to the eye and to a screen reader.
    const QString why = optButton->isEnabled() ? QString() : qs(EditionText(1540, language));
    optButton->setToolTip(why);
    optButton->setAccessibleDescription(why);
}

bool frmMenu::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int step = key == Qt::Key_Down || key == Qt::Key_Right ? 1
                         : key == Qt::Key_Up || key == Qt::Key_Left  ? -1
                                                                     : 0;
        auto it = std::find(mlstReadingOrder.begin(), mlstReadingOrder.end(), watched);
        if (step != 0 && it != mlstReadingOrder.end()) {
            // The next option that can be chosen, going round at the ends.
            const int n = static_cast<int>(mlstReadingOrder.size());
            int i = static_cast<int>(it - mlstReadingOrder.begin());
            for (int k = 0; k < n; ++k) {
                i = (i + step + n) % n;
                QRadioButton* next = mlstReadingOrder[static_cast<size_t>(i)];
                if (next->isEnabled() && next->isVisible()) {
                    next->setFocus(Qt::TabFocusReason);
                    next->setChecked(true);
                    break;
                }
            }
            return true;
        }
    }
    return ScreenBase::eventFilter(watched, event);
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
            CurrentChoice().dataset = choice.option;
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
    navigator().ShowSearch(Navigator::SearchEntry::Afresh);
}

void frmMenu::mnuExit_Click() { close(); }

void frmMenu::Form_Unload(bool& cancel) { AskExitQuestion(cancel); }

void frmMenu::mnuEnglish_Click() {
    gintLanguage = 0;
    navigator().LanguageChanged();
}

void frmMenu::mnuFrench_Click() {
    gintLanguage = 1;
    navigator().LanguageChanged();
}

void frmMenu::subLanguageChanged() {
    subLoadCaptions();
    // The data set chosen with Search (not merely clicked since) is named in
    // the new language.
    const std::string& dataset = CurrentChoice().dataset;
    if (QRadioButton* chosen = dataset.empty() ? nullptr : Option(dataset)) gstrDatasetCaption = ss(chosen->text());
}

void frmMenu::mnuContents_Click() { gsubLaunchHelpTopic("Contents", HelpTopic::kMainMenu); }

void frmMenu::mnuTechnical_Click() { gsubLaunchHelpFile("Tech"); }

void frmMenu::mnuAbout_Click() { navigator().ShowAbout(); }

} // namespace zorva
