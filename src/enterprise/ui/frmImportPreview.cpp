#include "enterprise/ui/frmImportPreview.h"

#include "ui_frmImportPreview.h"

#include "core/Globals.h"
#include "core/Services.h"
#include "core/Strings.h"
#include "ui/QtServices.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QStyle>

namespace zorva {

namespace {
QString t(int id) { return QString::fromStdString(Txt(id)); }

QString readAsText(const import::ReadAs& r) {
    QString s;
    if (r.workbook) {
        s = t(2946);
    } else {
        const int encoding[] = {2920, 2922, 2924, 2924, 2926};
        s = t(encoding[static_cast<int>(r.encoding)]);
        s += t(r.separator == ';' ? 2930 : r.separator == '\t' ? 2932 : 2928);
    }
    return s + t(r.convention == import::DecimalMark::Comma ? 2936 : 2934);
}
} // namespace

frmImportPreview::frmImportPreview(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmImportPreview>()) {
    ui->setupUi(this);
    setModal(true);
    ui->tblLines->setColumnCount(4);
    ui->tblLines->verticalHeader()->hide();
    ui->tblLines->horizontalHeader()->setStretchLastSection(true);
    ui->lblLines->setBuddy(ui->tblLines);
    ui->lblUnknown->setBuddy(ui->lstUnknown);
    ui->lblSheet->setBuddy(ui->cboSheet);
    connect(ui->btnImport, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->cboSheet, qOverload<int>(&QComboBox::activated), this, [this](int k) {
        if (!review_ || k == review_->preview.readAs.sheet) return;
        try {
            review_->ChooseSheet(k);
        } catch (const ReadError& e) {
            MsgBox(Txt(1856) + e.Message(gintLanguage), MsgButtons::OK, MsgIcon::Exclamation);
        }
        subShowPreview();
    });
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
    ui->lblSheet->setText(t(2938));
    ui->cboSheet->setAccessibleName(t(2938).remove('&').remove(':').trimmed());
    ui->chkKeep->setText(t(2942));
    ui->chkKeep->setAccessibleName(t(2942).remove('&'));
    ui->btnImport->setText(t(1844));
    ui->btnImport->setAccessibleName(ui->btnImport->text().remove('&'));
    ui->btnCancel->setText(QString::fromStdString(Txt(1544)));
    ui->btnCancel->setAccessibleName(ui->btnCancel->text());
    if (review_) subShowPreview();
}

void frmImportPreview::SetReview(import::StatementReview& review) {
    review_ = &review;
    ui->lblFile->setText(QFileInfo(qs(review.path)).fileName());
    ui->lblFile->setToolTip(qs(review.path));
    ui->chkKeep->setChecked(review.keepOtherLines);
    subShowPreview();
    // Enter imports at once; Tab leads to the lines.
    if (ui->btnImport->isEnabled()) ui->btnImport->setFocus();
    else ui->btnCancel->setFocus();
}

void frmImportPreview::subShowPreview() {
    const import::StatementPreview& preview = review_->preview;
    ui->lblReadAs->setText(readAsText(preview.readAs));
    const auto& sheets = preview.readAs.sheets;
    {
        const QSignalBlocker block(ui->cboSheet);
        ui->cboSheet->clear();
        for (const auto& s : sheets) ui->cboSheet->addItem(qs(s.name) + (s.hidden ? t(2940) : QString()));
        ui->cboSheet->setCurrentIndex(preview.readAs.sheet);
    }
    ui->lblSheet->setVisible(sheets.size() > 1);
    ui->cboSheet->setVisible(sheets.size() > 1);

    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    ui->tblLines->setRowCount(static_cast<int>(preview.lines.size()));
    for (int r = 0; r < static_cast<int>(preview.lines.size()); ++r) {
        const auto& l = preview.lines[static_cast<size_t>(r)];
        const int caption = l.field == Field::FirmName ? 1848 : CaptionId(l.field);
        QString outcome = l.computed ? t(1850) : l.ok ? qs(l.value) : qs(l.problem);
        if (l.ok && l.ambiguous) outcome = t(2944).replace(QLatin1String("{V}"), qs(l.value));
        const QString cells[4] = {t(caption), qs(l.read), qs(l.cell), outcome};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 3 && (!l.ok || l.ambiguous) && !l.computed) item->setIcon(warning);
            ui->tblLines->setItem(r, c, item);
        }
    }
    ui->tblLines->resizeColumnsToContents();
    ui->lstUnknown->clear();
    for (const auto& u : preview.unknown) ui->lstUnknown->addItem(qs(u.cell + "  " + u.label));
    ui->lblUnknown->setVisible(!preview.unknown.empty());
    ui->lstUnknown->setVisible(!preview.unknown.empty());
    ui->chkKeep->setEnabled(review_->screenHasOtherValues);
    ui->btnImport->setEnabled(preview.HasImportableLine());
}

void frmImportPreview::accept() {
    if (review_) review_->keepOtherLines = ui->chkKeep->isChecked() && ui->chkKeep->isEnabled();
    QDialog::accept();
}

} // namespace zorva
