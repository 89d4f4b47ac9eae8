#pragma once
// The report viewer: shows one prepared report, paged as it prints, with
// zoom, Print and Save as PDF, and a Return button. Modal over its caller and
// destroyed when it closes; the navigator creates one for each report that
// DisplayCrystalReport (reports/render/ReportViewerLogic.h) prepared.

#include "core/DBTools.h"
#include "reports/render/ReportEngine.h"
#include "reports/render/ReportViewerLogic.h"

#include <QDialog>
#include <QPrinter>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMenu;
class QPrintPreviewWidget;
class QTextDocument;

namespace Ui {
class frmReportViewer;
}

namespace zorva {

class frmReportViewer : public QDialog {
    Q_OBJECT
public:
    explicit frmReportViewer(QWidget* parent = nullptr);
    ~frmReportViewer() override;

    // Shows a prepared report modally over the active window, with its caption
    // as the window title, and returns when the viewer has closed.
    static void ShowPrepared(const report::PreparedReport& prepared);

    // The report to show.
    void SetReport(const report::Rendered& rendered);
    const QTextDocument* Document() const { return document_.get(); }
    QPrintPreviewWidget* Viewer() const { return view_; }

    // Called after the Return button closed the viewer: the search screen
    // sets it to bring its window back to the normal state.
    static std::function<void()>& AfterReturn();
    // Asks for the PDF file's path; empty: cancelled. Replaceable in tests.
    static std::function<std::string(QWidget* parent)>& PdfPathChooser();
    // Asks for the path of an export (filter: the file type's filter text);
    // empty: cancelled. Replaceable in tests.
    static std::function<std::string(QWidget* parent, const std::string& filter)>& ExportPathChooser();

    void subLoadCaptions();
    bool SaveAsPdf(const std::string& path);
    // Every table of the report into a CSV or XLSX file (by its extension).
    bool Export(const std::string& path);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void btnBack_Click();
    void btnPrint_Click();
    void btnPdf_Click();
    void mnuExport_Click(const std::string& extension);

private:
    void paint(QPrinter* printer);
    // Lays out the report and the Return button for the window's size.
    void subArrange();

    std::unique_ptr<Ui::frmReportViewer> ui;
    QPrintPreviewWidget* view_ = nullptr;
    QPrinter previewPrinter_;
    std::unique_ptr<QTextDocument> document_;
    std::string title_;
    report::Rendered rendered_;  // kept for Export
    QMenu* mnuExport_ = nullptr;
};

} // namespace zorva
