#include "enterprise/ui/frmImportPreview.h"

#include "ui_frmImportPreview.h"

#include "core/Globals.h"
#include "core/Strings.h"
#include "ui/QtServices.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>

namespace zorva {

namespace {
QString t(int id) { return QString::fromStdString(Txt(id)); }
}

frmImportPreview::frmImportPreview(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmImportPreview>()) {
    ui->setupUi(this);
    setModal(true);
    ui->tblLines->setColumnCount(4);
    ui->tblLines->verticalHeader()->hide();
    ui->tblLines->horizontalHeader()->setStretchLastSection(true);
    ui->lblLines->setBuddy(ui->tblLines);
    ui->lblUnknown->setBuddy(ui->lstUnknown);
    connect(ui->btnImport, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    subLoadCaptions();
}

frmImportPreview::~frmImportPreview() = default;

std::function<std::string(QWidget*)>& frmImportPreview::FileChooser() {
    static std::function<std::string(QWidget*)> chooser = [](QWidget* parent) {
        return QFileDialog::getOpenFileName(parent, t(1830), QString(), t(1846)).toStdString();
    };
    return chooser;
}

void frmImportPreview::subLoadCaptions() {
    setWindowTitle(t(1830));
    ui->lblLines->setText(t(1832));
    ui->tblLines->setHorizontalHeaderLabels({t(1834), t(1836), t(1838), t(1840)});
    ui->tblLines->setAccessibleName(t(1832));
    ui->lblUnknown->setText(t(1842));
    ui->lstUnknown->setAccessibleName(t(1842));
    ui->btnImport->setText(t(1844));
    ui->btnImport->setAccessibleName(ui->btnImport->text().remove('&'));
    ui->btnCancel->setText(QString::fromStdString(Txt(1544)));
    ui->btnCancel->setAccessibleName(ui->btnCancel->text());
    if (!path_.empty()) SetPreview(preview_, path_);
}

void frmImportPreview::SetPreview(const import::StatementPreview& preview, const std::string& path) {
    preview_ = preview;
    path_ = path;
    ui->lblFile->setText(QFileInfo(QString::fromStdString(path)).fileName());
    ui->lblFile->setToolTip(QString::fromStdString(path));
    ui->tblLines->setRowCount(static_cast<int>(preview.lines.size()));
    for (int r = 0; r < static_cast<int>(preview.lines.size()); ++r) {
        const auto& l = preview.lines[static_cast<size_t>(r)];
        const int caption = l.field == Field::FirmName ? 1848 : CaptionId(l.field);
        QString outcome = l.computed ? t(1850) : l.ok ? QString::fromStdString(l.value) : QString::fromStdString(l.problem);
        const QString cells[4] = {t(caption), QString::fromStdString(l.read), QString::fromStdString(l.cell), outcome};
        for (int c = 0; c < 4; ++c) ui->tblLines->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    ui->tblLines->resizeColumnsToContents();
    ui->lstUnknown->clear();
    for (const auto& u : preview.unknown)
        ui->lstUnknown->addItem(QString::fromStdString(u.cell + "  " + u.label));
    ui->lblUnknown->setVisible(!preview.unknown.empty());
    ui->lstUnknown->setVisible(!preview.unknown.empty());
    ui->btnImport->setEnabled(preview.HasImportableLine());
    // Enter imports at once; Tab leads to the lines.
    if (ui->btnImport->isEnabled()) ui->btnImport->setFocus();
    else ui->btnCancel->setFocus();
}

} // namespace zorva
