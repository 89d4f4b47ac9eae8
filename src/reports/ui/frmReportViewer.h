#pragma once
// The report viewer: shows one prepared report, modal over its caller and
// destroyed when it closes; the navigator creates one for each report that
// PrepareAndShowReport (reports/render/ReportViewerLogic.h) prepared.
//
// Two views of the same rendered report (made from one report model):
//   - the reading view, the default: the report reflowed to the window in a
//     text browser, each chart followed by its sentence, so that a screen
//     reader reaches every word and number and the arrow and page keys move
//     through it; its headings, tables and charts are objects of their own on
//     the accessibility bus, reached with H, T and G (ReadingStructure.h);
//   - the page view: the pages as they print (ReportPageView).
// The user's last choice of view is kept (QSettings) and used next time.
// Both views share the zoom (Ctrl++, Ctrl+-, Ctrl+0 and the two buttons),
// find (Ctrl+F: the find bar; Enter or F3 the next place, Shift+Enter or
// Shift+F3 the previous one; every place shown, "2 of 7"; Escape closes the
// bar), selection and Ctrl+C. The number of places found and the zoom are
// announced to screen readers. Enter and Escape return; Print (Ctrl+P), Save
// as PDF, Save as HTML and Export each have their own key (the underlined
// letter of the button, with Alt). A page view is laid out only when it is
// first needed (shown, printed or saved as PDF).

#include "core/DBTools.h"
#include "reports/render/ReportEngine.h"
#include "reports/render/ReportViewerLogic.h"

#include <QDialog>
#include <QTextCursor>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMenu;
class QStackedWidget;
class QTextBrowser;
class QTextDocument;

namespace Ui {
class frmReportViewer;
}

namespace zorva {

class ReadingStructure;
class ReportPageView;

class frmReportViewer : public QDialog {
    Q_OBJECT
public:
    enum class View { Reading, Pages };

    explicit frmReportViewer(QWidget* parent = nullptr);
    ~frmReportViewer() override;

    // Shows a prepared report modally over the active window, with its caption
    // as the window title, and returns when the viewer has closed.
    static void ShowPrepared(const report::PreparedReport& prepared);

    // The report to show.
    void SetReport(const report::Rendered& rendered);
    // The page view's document (laid out in pages when first asked for).
    const QTextDocument* Document();
    QTextBrowser* ReadingView() const { return reading_; }
    ReadingStructure* Structure() const { return structure_; }
    ReportPageView* PageView() const { return pages_; }

    View CurrentView() const;
    void ShowView(View view);
    // The view a new viewer opens with: the user's last choice, else the reading view.
    static View SavedView();

    // The zoom of both views (1: the reading view's text at its size, a page as wide as the view).
    double Zoom() const { return zoom_; }
    void SetZoom(double zoom);

    // Finds a text in the current view: every place shown, the first one
    // current; returns how many were found.
    int Find(const QString& text);
    void FindNext();
    void FindPrevious();

    // Called after the Return button closed the viewer: the search screen
    // sets it to bring its window back to the normal state.
    static std::function<void()>& AfterReturn();
    // Asks for the PDF file's path; empty: cancelled. Replaceable in tests.
    static std::function<std::string(QWidget* parent)>& PdfPathChooser();
    // Asks for the HTML file's path; empty: cancelled. Replaceable in tests.
    static std::function<std::string(QWidget* parent)>& HtmlPathChooser();
    // Asks for the path of an export (filter: the file type's filter text);
    // empty: cancelled. Replaceable in tests.
    static std::function<std::string(QWidget* parent, const std::string& filter)>& ExportPathChooser();

    void subLoadCaptions();
    bool SaveAsPdf(const std::string& path);
    bool SaveAsHtml(const std::string& path);
    // Every table of the report into a CSV or XLSX file (by its extension).
    bool Export(const std::string& path);

public slots:
    void reject() override;  // Escape and the close box return, as Return does

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Enter that no control took (every button but Space's): Return.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void btnBack_Click();
    void btnPrint_Click();
    void btnPdf_Click();
    void btnHtml_Click();
    void btnFind_Click();
    void mnuExport_Click(const std::string& extension);

private:
    // Lays out the buttons (in as many rows as the width needs), the find
    // bar, the views and the Return button for the window's size.
    void subArrange();
    QTextDocument* pageDocument();
    void showMatches();
    void closeFind();
    void copySelection();

    std::unique_ptr<Ui::frmReportViewer> ui;
    QStackedWidget* views_ = nullptr;
    QTextBrowser* reading_ = nullptr;
    ReadingStructure* structure_ = nullptr;
    ReportPageView* pages_ = nullptr;
    std::unique_ptr<QTextDocument> readingDocument_;
    std::unique_ptr<QTextDocument> pageDocument_;
    report::Rendered rendered_;
    std::string title_;
    QMenu* mnuExport_ = nullptr;
    double zoom_ = 1;
    double readingScale_ = 1;  // the zoom the reading document is scaled to
    std::vector<QTextCursor> found_;
    int current_ = -1;
};

} // namespace zorva
