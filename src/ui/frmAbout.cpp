#include "ui/frmAbout.h"

#include "core/AppPath.h"
#include "core/Edition.h"
#include "core/Globals.h"
#include "core/HelpTopics.h"
#include "core/Strings.h"
#include "ui/HelpKey.h"
#include "ui/QtServices.h"
#include "ui_frmAbout.h"

#include <QLayout>
#include <QShortcut>

#include <algorithm>
#include <filesystem>

namespace zorva {

namespace {
constexpr int kTxtEditionInUse = 3502;
}

frmAbout::frmAbout() : ui(new Ui::frmAbout) {
    ui->setupUi(this);
    InstallHelpKey(this, HelpTopic::kAbout);
    setWindowFlag(Qt::Dialog);
    // Closing the window ends this instance; Return only hides it.
    setAttribute(Qt::WA_DeleteOnClose);
    connect(ui->cmdReturn, &QPushButton::clicked, this, &frmAbout::cmdReturn_Click);
    // Each telephone line is read as one line in either language: the
    // window is made wide enough for the longer one instead of wrapping it.
    ui->lblSubjectMatter->setWordWrap(false);
    ui->lblTechnical->setWordWrap(false);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &frmAbout::cmdReturn_Click);
}

frmAbout::~frmAbout() { delete ui; }

void frmAbout::Form_Load() {
    // One size that holds the texts of either language, so that the window
    // neither clips nor jumps when the language changes; then centred.
    QLayout* layout = centralWidget()->layout();
    auto measure = [&](int language, int width) {
        subApplyCaptions(language);
        layout->invalidate();
        layout->activate();
        const QSize hint = layout->totalSizeHint().expandedTo(centralWidget()->minimumSize());
        const int w = std::max(width, hint.width());
        return QSize(w, layout->hasHeightForWidth() ? layout->totalHeightForWidth(w) : hint.height());
    };
    const int other = gintLanguage != 0 ? 0 : 1;
    const int width = std::max(measure(other, 0).width(), measure(gintLanguage, 0).width());
    const int height = std::max(measure(other, width).height(), measure(gintLanguage, width).height());
    setFixedSize(width, height);
    CentreOnScreen();
}

void frmAbout::Form_Activate() { subLoadCaptions(); }

void frmAbout::subLoadCaptions() { subApplyCaptions(gintLanguage); }

void frmAbout::subApplyCaptions(int language) {
    auto t = [language](int id) { return qs(Txt(id, language)); };
    ui->lblTitle->setText(t(2));
    ui->lblStats->setText(t(340));
    ui->lblBuilding->setText(t(574));
    ui->lblStreet->setText(t(342));
    ui->lblProv->setText(t(344));
    ui->lblSubjectMatter->setText(t(346));
    ui->lblTechnical->setText(t(348));
    setWindowTitle(t(566));
    ui->cmdReturn->setText(t(568));
    ui->lblEmail->setText(t(570));
    ui->lblFax->setText(t(1500));
    ui->lblIllustrative->setText(t(914));
    // The edition of the benchmarks in use and the industry store it is read from.
    {
        std::error_code ec;
        const std::filesystem::path industry =
            std::filesystem::absolute(IndustryStorePath(), ec).lexically_normal();
        ui->lblEdition->setText(qs(EditionText(kTxtEditionInUse, language)).trimmed() + "\n" +
                                qs(ec ? IndustryStorePath() : industry.string()));
    }
    // Where saved enterprises go: the user's data folder once installed, the
    // file chosen with --user-store, or the office's server (its address,
    // database and user as the connection has them, never a password).
    if (gcnUser && gcnUser->isServer()) {
        // Whether the connection is encrypted: sslmode=require over a local
        // socket connects without encryption and without a word from libpq.
        ui->lblUserStore->setText(t(2300).trimmed() + "\n" + qs(DescribeConnection(gcnUser)) + "\n" +
                                  t(ConnectionEncrypted(gcnUser) ? 3206 : 3208));
    } else {
        std::error_code ec;
        const std::filesystem::path store = std::filesystem::absolute(UserStorePath(), ec).lexically_normal();
        ui->lblUserStore->setText(t(1560).trimmed() + "\n" + qs(ec ? UserStorePath() : store.string()));
    }
}

void frmAbout::cmdReturn_Click() { hide(); }

void frmAbout::Form_Unload(bool& cancel) {
    (void)cancel;  // the close goes on: the window is destroyed
    cmdReturn_Click();
}

} // namespace zorva
