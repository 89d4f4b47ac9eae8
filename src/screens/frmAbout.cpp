#include "screens/frmAbout.h"

#include "core/Strings.h"
#include "core/gui/QtServices.h"
#include "ui_frmAbout.h"

#include <QShortcut>

namespace zorva {

frmAbout::frmAbout() : ui(new Ui::frmAbout) {
    ui->setupUi(this);
    setWindowFlag(Qt::Dialog);
    // Closing the window ends this instance; Return only hides it.
    setAttribute(Qt::WA_DeleteOnClose);
    connect(ui->cmdReturn, &QPushButton::clicked, this, &frmAbout::cmdReturn_Click);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &frmAbout::cmdReturn_Click);
}

frmAbout::~frmAbout() { delete ui; }

void frmAbout::Form_Load() {
    subLoadCaptions();
    CentreOnScreen();
}

void frmAbout::Form_Activate() { subLoadCaptions(); }

void frmAbout::subLoadCaptions() {
    ui->lblTitle->setText(qs(Txt(2)));
    ui->lblStats->setText(qs(Txt(340)));
    ui->lblBuilding->setText(qs(Txt(574)));
    ui->lblStreet->setText(qs(Txt(342)));
    ui->lblProv->setText(qs(Txt(344)));
    ui->lblSubjectMatter->setText(qs(Txt(346)));
    ui->lblTechnical->setText(qs(Txt(348)));
    setWindowTitle(qs(Txt(566)));
    ui->cmdReturn->setText(qs(Txt(568)));
    ui->lblEmail->setText(qs(Txt(570)));
    ui->lblFax->setText(qs(Txt(1500)));
    ui->lblIllustrative->setText(qs(Txt(914)));
    // The window follows the length of the texts of the language.
    if (QLayout* l = centralWidget()->layout()) l->activate();
    adjustSize();
}

void frmAbout::cmdReturn_Click() { hide(); }

void frmAbout::Form_Unload(bool& cancel) {
    (void)cancel;  // the close goes on: the window is destroyed
    cmdReturn_Click();
}

} // namespace zorva
