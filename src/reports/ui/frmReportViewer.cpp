#include "reports/ui/frmReportViewer.h"

#include "ui_frmReportViewer.h"

#include "core/Globals.h"
#include "core/HelpTopics.h"
#include "core/Services.h"
#include "core/Strings.h"
#include "ui/HelpKey.h"
#include "ui/QtServices.h"
#include "reports/render/ReportDocument.h"
#include "reports/render/ReportExport.h"
#include "reports/render/ReportViewerLogic.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QMenu>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QResizeEvent>
#include <QStyle>
#include <QTextDocument>

#include <algorithm>

namespace zorva {

namespace {
// The hourglass while a report is laid out or exported, put back however we leave.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};
} // namespace

frmReportViewer::frmReportViewer(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmReportViewer>()) {
    ui->setupUi(this);
    InstallHelpKey(this, HelpTopic::kReportViewer);
    setModal(true);
    previewPrinter_.setOutputFormat(QPrinter::PdfFormat);  // laying out pages needs no printer
    report::SetupReportPage(previewPrinter_);
    view_ = new QPrintPreviewWidget(&previewPrinter_, this);
    view_->setObjectName("CRViewer1");
    view_->setGeometry(7, 49, 729, 505);
    view_->setZoomMode(QPrintPreviewWidget::FitToWidth);
    connect(view_, &QPrintPreviewWidget::paintRequested, this, &frmReportViewer::paint);
    connect(ui->btnBack, &QPushButton::clicked, this, &frmReportViewer::btnBack_Click);
    connect(ui->btnPrint, &QPushButton::clicked, this, &frmReportViewer::btnPrint_Click);
    connect(ui->btnPdf, &QPushButton::clicked, this, &frmReportViewer::btnPdf_Click);
    // Export: a menu of the two file types.
    mnuExport_ = new QMenu(this);
    mnuExport_->setObjectName("mnuExport");
    QAction* csv = mnuExport_->addAction(QString());
    csv->setObjectName("mnuExportCsv");
    connect(csv, &QAction::triggered, this, [this] { mnuExport_Click(".csv"); });
    QAction* xlsx = mnuExport_->addAction(QString());
    xlsx->setObjectName("mnuExportXlsx");
    connect(xlsx, &QAction::triggered, this, [this] { mnuExport_Click(".xlsx"); });
    ui->btnExport->setMenu(mnuExport_);
    connect(ui->btnZoomIn, &QToolButton::clicked, view_, [this] { view_->zoomIn(1.25); });
    connect(ui->btnZoomOut, &QToolButton::clicked, view_, [this] { view_->zoomOut(1.25); });
    subLoadCaptions();
}

frmReportViewer::~frmReportViewer() = default;

void frmReportViewer::ShowPrepared(const report::PreparedReport& prepared) {
    auto* viewer = new frmReportViewer(QApplication::activeWindow());
    viewer->setWindowTitle(qs(prepared.caption));
    {
        WaitCursor wait;
        viewer->SetReport(prepared.rendered);
    }
    viewer->exec();
    delete viewer;
}

std::function<void()>& frmReportViewer::AfterReturn() {
    static std::function<void()> hook;
    return hook;
}

std::function<std::string(QWidget*)>& frmReportViewer::PdfPathChooser() {
    static std::function<std::string(QWidget*)> chooser = [](QWidget* parent) {
        return ss(QFileDialog::getSaveFileName(parent, qs(Txt(922)), QString(), qs(Txt(1438))));
    };
    return chooser;
}

std::function<std::string(QWidget*, const std::string&)>& frmReportViewer::ExportPathChooser() {
    static std::function<std::string(QWidget*, const std::string&)> chooser = [](QWidget* parent,
                                                                              const std::string& filter) {
        return ss(QFileDialog::getSaveFileName(parent, qs(Txt(1802)), QString(), qs(filter)));
    };
    return chooser;
}

void frmReportViewer::SetReport(const report::Rendered& rendered) {
    rendered_ = rendered;
    document_ = report::MakeDocument(rendered);
    title_ = rendered.title;
    view_->updatePreview();
}

void frmReportViewer::subLoadCaptions() {
    // The Return button carries its word, with the arrow beside it.
    ui->btnBack->setText(qs(Txt(352)));
    ui->btnBack->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    ui->btnBack->resize(ui->btnBack->sizeHint().width(), ui->btnBack->height());
    subArrange();
    ui->btnBack->setToolTip(qs(Txt(352)));
    ui->btnBack->setAccessibleName(qs(Txt(352)));
    ui->btnPrint->setText(qs(Txt(924)));
    ui->btnPrint->setAccessibleName(qs(Txt(924)));
    ui->btnPdf->setText(qs(Txt(922)));
    ui->btnPdf->setAccessibleName(qs(Txt(922)));
    ui->btnExport->setText(qs(Txt(1802)));
    ui->btnExport->setAccessibleName(qs(Txt(1802)));
    mnuExport_->setAccessibleName(qs(Txt(1802)));
    mnuExport_->actions()[0]->setText(qs(Txt(1804)));
    mnuExport_->actions()[1]->setText(qs(Txt(1806)));
    ui->btnZoomIn->setToolTip(qs(Txt(926)));
    ui->btnZoomIn->setAccessibleName(qs(Txt(926)));
    ui->btnZoomOut->setToolTip(qs(Txt(928)));
    ui->btnZoomOut->setAccessibleName(qs(Txt(928)));
    view_->setAccessibleName(qs(Txt(1402)));
}

void frmReportViewer::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) subLoadCaptions();
    QDialog::changeEvent(event);
}

void frmReportViewer::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    subArrange();
}

void frmReportViewer::subArrange() {
    if (windowState() & Qt::WindowMinimized) return;
    const int t = report::kTwipsPerPixel;
    auto g = report::ViewerResize(width() * t, height() * t, view_->x() * t, ui->btnBack->width() * t);
    // The rule's height is of the window with its title bar and frame; the
    // report reaches down to the window's bottom margin, so that no empty
    // strip stays below it.
    view_->resize(g.viewerWidth / t, std::max(0, height() - view_->y() - view_->x()));
    ui->btnBack->move(g.backLeft / t, ui->btnBack->y());
}

void frmReportViewer::paint(QPrinter* printer) {
    if (document_) report::PrintDocument(*document_, *printer);
}

void frmReportViewer::btnBack_Click() {
    hide();
    done(QDialog::Accepted);
    if (AfterReturn()) AfterReturn()();
}

void frmReportViewer::btnPrint_Click() {
    if (!services().printer || !services().printer->hasDefaultPrinter()) {
        MsgBox(Txt(920), MsgButtons::OK, MsgIcon::None);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    report::SetupReportPage(printer);
    printer.setDocName(qs(title_));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted && document_) report::PrintDocument(*document_, printer);
}

bool frmReportViewer::SaveAsPdf(const std::string& path) {
    std::string error;
    if (!document_ || !report::WritePdf(*document_, path, title_, &error)) {
        MsgBox(Txt(930) + path + (error.empty() ? "" : " (" + error + ")"), MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    return true;
}

void frmReportViewer::btnPdf_Click() {
    std::string path = PdfPathChooser() ? PdfPathChooser()(this) : std::string();
    if (path.empty()) return;
    if (path.size() < 4 || QString::fromStdString(path.substr(path.size() - 4)).toLower() != ".pdf") path += ".pdf";
    SaveAsPdf(path);
}

bool frmReportViewer::Export(const std::string& path) {
    std::string error;
    bool ok = false;
    {
        WaitCursor wait;
        ok = report::WriteExport(rendered_, path, &error);
    }
    if (!ok) MsgBox(Txt(1812) + path + (error.empty() ? "" : " (" + error + ")"), MsgButtons::OK, MsgIcon::Exclamation);
    return ok;
}

void frmReportViewer::mnuExport_Click(const std::string& extension) {
    const int filterId = extension == ".csv" ? 1808 : 1810;
    std::string path = ExportPathChooser() ? ExportPathChooser()(this, Txt(filterId)) : std::string();
    if (path.empty()) return;
    if (path.size() < extension.size() ||
        QString::fromStdString(path.substr(path.size() - extension.size())).toLower() != qs(extension))
        path += extension;
    Export(path);
}

} // namespace zorva
