#include "selection/ui/frmIndustryDefinitions.h"

#include "core/Globals.h"
#include "core/HelpTopics.h"
#include "core/Services.h"
#include "core/Strings.h"
#include "ui/HelpKey.h"
#include "ui/QtServices.h"
#include "selection/IndustryDefinition.h"
#include "ui_frmIndustryDefinitions.h"

#include <QShortcut>

namespace zorva {

void frmIndustryDefinitions::ShowDefinition(const std::string& code) {
    mstrCode = code;
    subFillDefinition();
    Show();
}

void frmIndustryDefinitions::subLanguageChanged() {
    subLoadCaptions();
    subFillDefinition();
}

void frmIndustryDefinitions::subFillDefinition() {
    const std::string& code = mstrCode;
    const auto found = LookupDefinition(gcnIndustry, gstrNaicsTable, code, gintLanguage);
    if (!found) {
        // Unknown code: the heading keeps what it showed.
        ui->txtDefinition->clear();
    } else {
        ui->lblNAICS->setText(qs(found->heading));
        ui->txtDefinition->setPlainText(qs(found->definition));
    }
    ui->txtDefinition->setAccessibleDescription(ui->lblNAICS->text());
}

frmIndustryDefinitions::frmIndustryDefinitions() : ui(new Ui::frmIndustryDefinitions) {
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    connect(ui->cmdContinue, &QPushButton::clicked, this, &frmIndustryDefinitions::cmdContinue_Click);
    connect(ui->cmdPrint, &QPushButton::clicked, this, &frmIndustryDefinitions::cmdPrint_Click);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &frmIndustryDefinitions::cmdContinue_Click);
    InstallHelpKey(this, HelpTopic::kIndustryDefinition);
}

frmIndustryDefinitions::~frmIndustryDefinitions() { delete ui; }

void frmIndustryDefinitions::Form_Load() {
    subLoadCaptions();
    resize(620, 420);
    CentreOnScreen();
}

void frmIndustryDefinitions::subLoadCaptions() {
    setWindowTitle(qs(Txt(334)));
    ui->cmdContinue->setText(qs(Txt(336)));
    ui->cmdPrint->setText(qs(Txt(58)));
    ui->txtDefinition->setAccessibleName(qs(Txt(334)));
    ui->lblNAICS->setAccessibleName(qs(Txt(334)));
}

void frmIndustryDefinitions::cmdContinue_Click() { close(); }

void frmIndustryDefinitions::cmdPrint_Click() {
    if (!services().printer || !services().printer->hasDefaultPrinter()) {
        MsgBox(Txt(920));
        return;
    }
    // The box's line breaks as the platform's text boxes hold them.
    QString text = ui->txtDefinition->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    std::string error;
    if (!services().printer->print(PrintItems(ss(ui->lblNAICS->text()), ss(text)), &error))
        MsgBox(Txt(1600) + (error.empty() ? std::string() : "\n" + error), MsgButtons::OK, MsgIcon::Exclamation);
}

} // namespace zorva
