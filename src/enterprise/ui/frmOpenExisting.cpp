#include "enterprise/ui/frmOpenExisting.h"

#include "core/Globals.h"
#include "core/HelpTopics.h"
#include "core/Strings.h"
#include "ui/HelpKey.h"
#include "ui/QtServices.h"
#include "core/Navigator.h"
#include "enterprise/RecordStore.h"
#include "enterprise/ValuesFlow.h"
#include "selection/IndustrySearch.h"
#include "ui_frmOpenExisting.h"

#include <QHeaderView>
#include <QShortcut>
#include <QTableWidget>

namespace zorva {

namespace {
constexpr int kIndustryHeading = 2400;
} // namespace

frmOpenExisting::frmOpenExisting() : ui(new Ui::frmOpenExisting) {
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    ui->dbgFirms->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    ui->dbgFirms->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    ui->dbgFirms->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    connect(ui->cmdOpen, &QPushButton::clicked, this, &frmOpenExisting::cmdOpen_Click);
    // A double click on a row, or Enter on it.
    connect(ui->dbgFirms, &QTableWidget::activated, this, [this] { cmdOpen_Click(); });
    // Escape closes the list, as it would a dialog.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, [this] { close(); });
    InstallHelpKey(this, HelpTopic::kOpenExisting);
}

frmOpenExisting::~frmOpenExisting() { delete ui; }

void frmOpenExisting::Form_Activate() {
    CentreOnScreen();
    subLoadCaptions();
    fncLoadFirms();
}

void frmOpenExisting::subLoadCaptions() {
    ui->lblQuestion->setText(qs(Txt(526)));
    setWindowTitle(qs(Txt(528)));
    ui->cmdOpen->setText(qs(Txt(530)));
    ui->dbgFirms->setAccessibleName(ui->lblQuestion->text());
}

bool frmOpenExisting::fncLoadFirms() {
    QTableWidget* grid = ui->dbgFirms;
    // The chosen row survives a reload.
    QString chosenName, chosenYear;
    if (grid->currentRow() >= 0 && grid->item(grid->currentRow(), 1)) {
        chosenName = grid->item(grid->currentRow(), 0)->text();
        chosenYear = grid->item(grid->currentRow(), 1)->text();
    }
    auto rs = store::ListFirms(gcnUser, gintLanguage);
    grid->clearContents();
    grid->setRowCount(static_cast<int>(rs->RecordCount()));
    // Name and year as the statement heads them; the industry each was saved
    // under, code and title in the current language.
    grid->setHorizontalHeaderLabels({qs(rs->FieldName(0)), qs(rs->FieldName(1)), qs(Txt(kIndustryHeading))});
    int current = 0;
    int row = 0;
    for (const auto& values : rs->Rows()) {
        const QString name = qs(values[0].toString()), year = qs(values[1].toString());
        grid->setItem(row, 0, new QTableWidgetItem(name));
        grid->setItem(row, 1, new QTableWidgetItem(year));
        grid->setItem(row, 2, new QTableWidgetItem(
                                  qs(IndustryCaption(gcnIndustry, values[2].isNull() ? "" : values[2].toString(),
                                                     gintLanguage))));
        if (name == chosenName && year == chosenYear) current = row;
        ++row;
    }
    if (row == 0) return false;
    grid->setCurrentCell(current, 0);
    grid->show();
    ui->AdodcFirms->show();
    grid->setFocus();
    return true;
}

void frmOpenExisting::cmdOpen_Click() {
    if (ui->dbgFirms->currentRow() < 0 || !ui->dbgFirms->isVisible()) return;
    subOpenRecord();
}

void frmOpenExisting::subOpenRecord() {
    QTableWidget* grid = ui->dbgFirms;
    const int row = grid->currentRow();
    if (row < 0 || !grid->item(row, 0) || !grid->item(row, 1)) return;
    const std::string name = ss(grid->item(row, 0)->text());
    // Every stored year opens, also one the program does not compare.
    const auto year = StoredYear(ss(grid->item(row, 1)->text()));
    if (year) {
        // Asks which industry to compare with when it was saved under another.
        if (!values::OpenStored(gcnUser, name, *year)) return;
    } else {
        navigator().HideSearch();
        navigator().ShowValues();
    }
    hide();
    close();
}

} // namespace zorva
