#include "ui/frmStart.h"

#include "core/Edition.h"
#include "core/Globals.h"
#include "core/Navigator.h"
#include "core/modMain.h"
#include "ui/StartScreen.h"
#include "ui_frmStart.h"

#include <QIcon>
#include <QShortcut>

namespace zorva {

namespace {
// The artwork at the density of the display (the @2x files on a doubled one).
QPixmap artwork(const QString& path, const QSize& size, const QWidget* on) {
    return QIcon(path).pixmap(size, on->devicePixelRatioF());
}
} // namespace

void ShowStartScreen() { frmStart::instance().Show(); }

frmStart::frmStart() : ui(new Ui::frmStart) {
    ui->setupUi(this);
    SetMainScreen(true);
    connect(ui->cmdEnglish, &QPushButton::clicked, this, &frmStart::cmdEnglish_Click);
    connect(ui->cmdFrancais, &QPushButton::clicked, this, &frmStart::cmdFrancais_Click);
    connect(ui->lblLicenseAgreementE, &QLabel::linkActivated, this, &frmStart::lblLicenseAgreementE_Click);
    connect(ui->lblLicenseAgreementF, &QLabel::linkActivated, this, &frmStart::lblLicenseAgreementF_Click);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setObjectName(QStringLiteral("keyHelp"));
    connect(f1, &QShortcut::activated, this, &frmStart::subContextHelp);
}

frmStart::~frmStart() { delete ui; }

void frmStart::Form_Load() {
    ui->Picture3->setPixmap(artwork(QStringLiteral(":/images/banner.png"), QSize(599, 55), this));
    ui->Picture1->setPixmap(artwork(QStringLiteral(":/images/strip.png"), QSize(511, 20), this));
    // The reference years of the edition in use, newest first; the title says
    // "and" in either language, as it always has.
    const Edition& edition = CurrentEdition();
    setWindowTitle(QStringLiteral("ZORVA") + " - " + "VELMO" + "   " + QString::fromStdString(EditionYearsInWords(0)));
    ui->lblReferenceYrs->setText(QStringLiteral("Reference Years / Années de référence") + " " +
                                 QString::number(edition.Year(0)) + ", " + QString::number(edition.Year(1)) + ", " +
                                 QString::number(edition.Year(2)));
    adjustSize();
    CentreOnScreen();
}

void frmStart::subChooseLanguage(int language) {
    gintLanguage = static_cast<std::int16_t>(language);
    hide();
    navigator().ShowMenu();
}

void frmStart::cmdEnglish_Click() { subChooseLanguage(0); }

void frmStart::cmdFrancais_Click() { subChooseLanguage(1); }

void frmStart::lblLicenseAgreementE_Click() { GetHelpTopic("ZORV_ConceptsHelp_Eng.chm", 9999); }

void frmStart::lblLicenseAgreementF_Click() { GetHelpTopic("ZORV_ConceptsHelp_Fre.chm", 9999); }

void frmStart::GetHelpTopic(const std::string& HelpFile, long HelpTopic) {
    mstrHelpFile = HelpFile;
    mlngHelpContextID = HelpTopic;
    subContextHelp();
}

void frmStart::subContextHelp() {
    if (mstrHelpFile.empty()) return;  // no help file set yet: F1 does nothing
    LaunchHelpTopic(mstrHelpFile, mlngHelpContextID);
}

void frmStart::Form_Unload(bool& cancel) { AskExitQuestion(cancel); }

} // namespace zorva
