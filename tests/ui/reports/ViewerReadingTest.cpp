// The report viewer as a keyboard, mouse and screen-reader user meets it,
// with real key and mouse events: the reading view first and the last choice
// kept, find with every place shown in both views, selection and Ctrl+C in
// both, the zoom the two views share, Enter and Escape returning while each
// command keeps a key of its own, and Tab through every control with its
// focus visible.

#include "support/ReportFolder.h"

#include "core/Globals.h"
#include "core/Strings.h"
#include "reports/render/ReportEngine.h"
#include "reports/render/ReportSample.h"
#include "reports/render/ReportViewerLogic.h"
#include "reports/ui/ReportPageView.h"
#include "reports/ui/frmReportViewer.h"
#include "ui/Announce.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <QTextTable>

#include <filesystem>
#include <functional>
#include <fstream>

namespace zorva::test {
namespace {

using View = frmReportViewer::View;

class ViewerReading : public ReportFolder {
protected:
    void SetUp() override {
        ReportFolder::SetUp();
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "zorva", "zorva").clear();
        fakes.printer->present = false;  // Print shows its message instead of the print dialog
        gintLanguage = 1;
    }
    void TearDown() override {
        frmReportViewer::AfterReturn() = nullptr;
        ReportFolder::TearDown();
    }
    // A viewer showing a sample report, active.
    std::unique_ptr<frmReportViewer> open(const std::string& type, const std::string& lang) {
        report::FillSampleReport(user, type, lang, "Chez Ginette");
        auto rpt = report::Report::Open(templatePath(report::ReportTypeOf(type).templateFile));
        report::RelocateTables(*rpt, report::ReportDataLocation());
        auto viewer = std::make_unique<frmReportViewer>();
        viewer->SetReport(rpt->Render());
        viewer->resize(900, 700);
        viewer->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(viewer.get()));
        return viewer;
    }
    template <class T = QWidget>
    static T* child(QWidget* viewer, const char* name) {
        auto* w = viewer->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // A key pressed and released on the widget with the focus, through the window's shortcuts.
    static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        const bool printable = key >= 0x20 && key <= 0x7e && !(modifiers & (Qt::ControlModifier | Qt::AltModifier));
        const QString text = printable ? QString(QChar(key)).toLower() : QString();
        QTest::sendKeyEvent(QTest::Press, w, static_cast<Qt::Key>(key), text, modifiers);
        QTest::sendKeyEvent(QTest::Release, w, static_cast<Qt::Key>(key), text, modifiers);
    }
    // A button's key clicks it as a short animation: the effect comes within a moment.
    static bool eventually(const std::function<bool()>& done) {
        for (int i = 0; i < 100 && !done(); ++i) QTest::qWait(10);
        return done();
    }
    static std::string matches(QWidget* viewer) { return child<QLabel>(viewer, "lblMatches")->text().toStdString(); }
};

TEST_F(ViewerReading, EnterAndEscapeReturnAndEachCommandHasItsOwnKey) {
    enum Effect { Returns, Prints, SavesPdf, SavesHtml };
    struct Case {
        const char* focus;
        int key;
        Qt::KeyboardModifiers modifiers;
        Effect effect;
    } cases[] = {
        {"txtReading", Qt::Key_Return, Qt::NoModifier, Returns},
        {"txtReading", Qt::Key_Enter, Qt::KeypadModifier, Returns},
        {"btnPrint", Qt::Key_Return, Qt::NoModifier, Returns},  // not the first button's command
        {"txtReading", Qt::Key_Escape, Qt::NoModifier, Returns},
        {"btnPdf", Qt::Key_Escape, Qt::NoModifier, Returns},
        {"txtReading", Qt::Key_I, Qt::AltModifier, Prints},     // &Imprimer
        {"txtReading", Qt::Key_P, Qt::ControlModifier, Prints},
        {"txtReading", Qt::Key_D, Qt::AltModifier, SavesPdf},   // Enregistrer en P&DF
        {"txtReading", Qt::Key_H, Qt::AltModifier, SavesHtml},  // Enregistrer en &HTML
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.focus) + " key " + std::to_string(c.key));
        const std::string file = dir + "/saved" + std::to_string(n++);
        frmReportViewer::PdfPathChooser() = [&](QWidget*) { return file; };
        frmReportViewer::HtmlPathChooser() = [&](QWidget*) { return file; };
        bool returned = false;
        frmReportViewer::AfterReturn() = [&] { returned = true; };
        const size_t messages = fakes.messages->shown.size();
        auto viewer = open("com", "F");
        child(viewer.get(), c.focus)->setFocus();
        press(c.key, c.modifiers);
        switch (c.effect) {
        case Returns:
            EXPECT_TRUE(returned);
            EXPECT_FALSE(viewer->isVisible());
            EXPECT_EQ(fakes.messages->shown.size(), messages) << "no print, no message";
            break;
        case Prints:
            ASSERT_TRUE(eventually([&] { return fakes.messages->shown.size() == messages + 1; }));
            EXPECT_EQ(fakes.messages->last().text, Txt(920, 1));
            break;
        case SavesPdf:
            ASSERT_TRUE(eventually([&] { return std::filesystem::exists(file + ".pdf"); }));
            EXPECT_GT(std::filesystem::file_size(file + ".pdf"), 10000u);
            break;
        case SavesHtml: {
            ASSERT_TRUE(eventually([&] { return std::filesystem::exists(file + ".html"); }));
            std::ifstream in(file + ".html");
            const std::string html((std::istreambuf_iterator<char>(in)), {});
            EXPECT_NE(html.find("<html lang=\"fr\">"), std::string::npos);
            EXPECT_NE(html.find("Chez Ginette"), std::string::npos);
            break;
        }
        }
        if (c.effect != Returns) {
            EXPECT_FALSE(returned);
            EXPECT_TRUE(viewer->isVisible());
        }
    }
}

TEST_F(ViewerReading, TheReadingViewComesFirstAndTheLastChoiceIsKept) {
    auto first = open("rat", "F");
    EXPECT_EQ(first->CurrentView(), View::Reading);
    EXPECT_TRUE(child<QTextBrowser>(first.get(), "txtReading")->isVisible());
    // The page and arrow keys move through either view.
    for (QAbstractScrollArea* view : {static_cast<QAbstractScrollArea*>(first->ReadingView()),
                                      static_cast<QAbstractScrollArea*>(first->PageView())}) {
        first->ShowView(view == first->PageView() ? View::Pages : View::Reading);
        view->setFocus();
        // In the reading view's tables Down goes a row at a time: fewer presses
        // than a page's lines leave a page below.
        for (int i = 0; i < 35; ++i) press(Qt::Key_Down);
        const int moved = view->verticalScrollBar()->value();
        EXPECT_GT(moved, 0) << view->objectName().toStdString();
        press(Qt::Key_PageDown);
        EXPECT_GT(view->verticalScrollBar()->value(), moved) << view->objectName().toStdString();
    }
    first->ShowView(View::Reading);
    EXPECT_EQ(child<QAbstractButton>(first.get(), "optPages")->text().toStdString(), "Vue en &pages");
    press(Qt::Key_P, Qt::AltModifier);
    EXPECT_TRUE(eventually([&] { return first->CurrentView() == View::Pages; }));
    EXPECT_TRUE(child<ReportPageView>(first.get(), "picPages")->isVisible());
    EXPECT_GE(first->PageView()->pageCount(), 1);
    first.reset();

    auto second = open("rat", "F");
    EXPECT_EQ(second->CurrentView(), View::Pages);
    press(Qt::Key_L, Qt::AltModifier);
    EXPECT_TRUE(eventually([&] { return second->CurrentView() == View::Reading; }));
    second.reset();
    EXPECT_EQ(open("bal", "E")->CurrentView(), View::Reading);
}

TEST_F(ViewerReading, FindShowsEveryPlaceAndCopyTakesTheSelectionInBothViews) {
    auto viewer = open("rat", "F");
    child(viewer.get(), "txtReading")->setFocus();
    press(Qt::Key_F, Qt::ControlModifier);
    auto* box = child<QLineEdit>(viewer.get(), "txtFind");
    ASSERT_TRUE(box->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), box);
    QTest::keyClicks(box, "mediane");
    const int count = static_cast<int>(viewer->Find(box->text()));
    ASSERT_GE(count, 2);
    const std::string of = " sur " + std::to_string(count);
    EXPECT_EQ(matches(viewer.get()), "1" + of);
    press(Qt::Key_Return);
    EXPECT_EQ(matches(viewer.get()), "2" + of);
    EXPECT_EQ(LastAnnouncement().toStdString(), "2" + of) << "the place found is said to a screen reader";
    press(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(matches(viewer.get()), "1" + of);
    press(Qt::Key_F3);
    EXPECT_EQ(matches(viewer.get()), "2" + of);
    EXPECT_EQ(viewer->ReadingView()->extraSelections().size(), count) << "every place is shown";
    // The place found is the selection: Ctrl+C in the report copies it.
    viewer->ReadingView()->setFocus();
    press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().toLower().toStdString(), "médiane");

    // A number typed with an ordinary space finds it grouped with a narrow no-break space.
    box->setFocus();
    box->clear();
    QTest::keyClicks(box, "1 284");
    EXPECT_EQ(matches(viewer.get()), "1 sur 1");

    // The page view: the same places, shown on the pages; Ctrl+C copies the current one.
    box->clear();
    QTest::keyClicks(box, "mediane");
    viewer->ShowView(View::Pages);
    EXPECT_EQ(matches(viewer.get()), "1" + of);
    viewer->PageView()->setFocus();
    press(Qt::Key_F3);
    EXPECT_EQ(viewer->PageView()->textCursor().selectedText().toLower().toStdString(), "médiane");
    press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().toLower().toStdString(), "médiane");
    // Escape in the find box closes the bar, not the viewer.
    box->setFocus();
    press(Qt::Key_Escape);
    EXPECT_FALSE(box->isVisible());
    EXPECT_TRUE(viewer->isVisible());

    // A selection made with the mouse on a page is copied.
    QWidget* page = viewer->PageView()->viewport();
    QTest::mousePress(page, Qt::LeftButton, {}, QPoint(page->width() / 6, 60));
    QTest::mouseMove(page, QPoint(page->width() * 5 / 6, 160));
    QTest::mouseRelease(page, Qt::LeftButton, {}, QPoint(page->width() * 5 / 6, 160));
    const QString selected = viewer->PageView()->textCursor().selection().toPlainText();
    ASSERT_GT(selected.size(), 10);
    viewer->PageView()->setFocus();
    press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().simplified(), selected.simplified());
}

TEST_F(ViewerReading, BothViewsShareTheZoom) {
    auto viewer = open("com", "E");
    QTextDocument* text = viewer->ReadingView()->document();
    const double height = text->documentLayout()->documentSize().height();
    viewer->ReadingView()->setFocus();
    press(Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(viewer->Zoom(), 1.25);
    EXPECT_TRUE(LastAnnouncement().startsWith("Zoom") && LastAnnouncement().contains("125"))
        << "the zoom is said to a screen reader: " << LastAnnouncement().toStdString();
    EXPECT_GT(text->documentLayout()->documentSize().height(), height * 1.1) << "the text grew and reflowed";
    viewer->ShowView(View::Pages);
    EXPECT_DOUBLE_EQ(viewer->PageView()->zoom(), 1.25);
    viewer->PageView()->setFocus();
    press(Qt::Key_Minus, Qt::ControlModifier);
    press(Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(viewer->PageView()->zoom(), 0.8);
    press(Qt::Key_0, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(viewer->Zoom(), 1);
    viewer->ShowView(View::Reading);
    EXPECT_NEAR(text->documentLayout()->documentSize().height(), height, height * 0.02);
}

TEST_F(ViewerReading, AtTwiceTheZoomTableCellsBreakBetweenWordsOnly) {
    for (const char* type : {"rat", "com"}) {
        SCOPED_TRACE(type);
        auto viewer = open(type, "E");
        viewer->SetZoom(2);
        QTextDocument* text = viewer->ReadingView()->document();
        text->documentLayout()->documentSize();  // laid out
        int cellLines = 0;
        for (QTextBlock b = text->begin(); b.isValid(); b = b.next()) {
            if (!QTextCursor(b).currentTable()) continue;
            const QTextLayout* layout = b.layout();
            const QString words = b.text();
            for (int i = 0; i + 1 < layout->lineCount(); ++i) {
                ++cellLines;
                const int end = layout->lineAt(i).textStart() + layout->lineAt(i).textLength();
                EXPECT_FALSE(end > 0 && end < words.size() && words[end - 1].isLetterOrNumber() &&
                             words[end].isLetterOrNumber())
                    << "\"" << words.toStdString() << "\" breaks after \"" << words.left(end).toStdString() << "\"";
            }
        }
        EXPECT_GT(cellLines, 0) << "some cells take more than one line at this zoom";
    }
}

TEST_F(ViewerReading, TabReachesEveryControlInOrderAndItsFocusIsVisible) {
    auto viewer = open("com", "F");
    // The two views are one group, like option buttons: Tab reaches the chosen one.
    const char* order[] = {"optReading", "btnZoomOut", "btnZoomIn", "btnFind", "btnPrint",
                           "btnPdf",     "btnHtml",    "btnExport", "btnBack", "txtReading"};
    child(viewer.get(), "txtReading")->setFocus();
    press(Qt::Key_Tab);
    for (size_t i = 0; i < std::size(order); ++i) {
        QWidget* w = child(viewer.get(), order[i]);
        ASSERT_EQ(QApplication::focusWidget(), w) << "after " << (i ? order[i - 1] : "the report");
        EXPECT_FALSE(w->accessibleName().isEmpty()) << order[i];
        const QImage focused = w->grab().toImage();
        press(Qt::Key_Tab);
        EXPECT_NE(w->grab().toImage(), focused) << order[i] << " looks the same with and without the focus";
    }
    EXPECT_EQ(QApplication::focusWidget(), child(viewer.get(), order[0])) << "Tab goes round";
    // An arrow key chooses the other view.
    press(Qt::Key_Right);
    EXPECT_TRUE(eventually([&] { return viewer->CurrentView() == View::Pages; }));
    EXPECT_EQ(QApplication::focusWidget(), child(viewer.get(), "optPages"));
}

} // namespace
} // namespace zorva::test
