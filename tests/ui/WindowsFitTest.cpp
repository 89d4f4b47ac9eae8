// At twice the scale on a 1920×1080 display every window fits the display's
// available area, and every control can be reached with the keyboard and is
// then in sight. The scale is the process's, so the check runs in a child
// process of this program with its own display.
#include "support/ui/SearchFixture.h"

#include "enterprise/ui/frmMyValues.h"
#include "reports/ui/frmReportViewer.h"
#include "selection/ui/frmMenu.h"
#include "ui/frmAbout.h"
#include "ui/frmStart.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

namespace zorva::test {
namespace {

TEST(WindowsFit, EveryWindowFitsADisplayAtTwiceTheScale) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString config = dir.filePath("display.json");
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"screens": [{"name": "fhd", "x": 0, "y": 0, "width": 1920, "height": 1080,
                   "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + config);
    env.insert("QT_SCALE_FACTOR", "2");
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationFilePath(),
            {"--gtest_also_run_disabled_tests", "--gtest_filter=SearchTest.DISABLED_WindowsFitTheDisplay"});
    ASSERT_TRUE(p.waitForFinished(180000));
    const QString out = p.readAllStandardOutput() + p.readAllStandardError();
    EXPECT_EQ(p.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
}

// Tabs from the window's focus until `target` has it; false when the tab
// order never gets there.
bool TabTo(QWidget* window, QWidget* target) {
    for (int i = 0; i < 200 && QApplication::focusWidget() != target; ++i) Press(window, Qt::Key_Tab);
    return QApplication::focusWidget() == target;
}

// The window's frame is on the display's available area.
void ExpectFits(QWidget* window, const char* name) {
    const QRect area = window->screen()->availableGeometry();
    EXPECT_TRUE(area.contains(window->frameGeometry()))
        << name << ": frame " << window->frameGeometry().width() << "x" << window->frameGeometry().height()
        << " at " << window->frameGeometry().x() << "," << window->frameGeometry().y() << ", display "
        << area.width() << "x" << area.height();
}

// The control is inside its window and not hidden by a scroll area.
void ExpectInSight(QWidget* control, const char* name) {
    QWidget* window = control->window();
    const QRect on(control->mapTo(window, QPoint(0, 0)), control->size());
    EXPECT_TRUE(window->rect().contains(on)) << name << " is outside its window";
    EXPECT_EQ(control->visibleRegion().boundingRect(), control->rect()) << name << " is partly hidden";
}

TEST_F(SearchTest, DISABLED_WindowsFitTheDisplay) {
    ASSERT_EQ(QApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 960, 540))
        << "the display of the configuration file at twice the scale";
    struct Case {
        const char* name;
        std::function<QWidget*()> show;
        const char* lastControl;  // reached by the keyboard, then in sight
    };
    const Case cases[] = {
        {"start", [] { frmStart::instance().Show(); return static_cast<QWidget*>(&frmStart::instance()); }, nullptr},
        {"menu", [] { frmMenu::instance().Show(); return static_cast<QWidget*>(&frmMenu::instance()); }, nullptr},
        {"search", [this] { return static_cast<QWidget*>(&Enter("optVol1")); }, "cmdContinue"},
        {"values", [] { frmMyValues::instance().Show(); return static_cast<QWidget*>(&frmMyValues::instance()); },
         nullptr},
        {"about", [] { frmAbout::instance().Show(); return static_cast<QWidget*>(&frmAbout::instance()); },
         "cmdReturn"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget* window = c.show();
        Settle();
        ExpectFits(window, c.name);
        if (!c.lastControl) continue;
        auto* control = window->findChild<QWidget*>(QString::fromLatin1(c.lastControl));
        ASSERT_NE(control, nullptr) << c.lastControl;
        EXPECT_TRUE(TabTo(window, control)) << c.lastControl << " is not in the tab order";
        Settle();
        ExpectInSight(control, c.lastControl);
    }

    // The report viewer, opened by Continue.
    auto& search = Enter("optVol1");
    Click(search.findChild<QAbstractButton*>("optNAICScode"));
    search.ChooseCode("111");
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 5000) {
            if (auto* viewer = qobject_cast<frmReportViewer*>(QApplication::activeModalWidget())) {
                seen = true;
                Settle();
                ExpectFits(viewer, "report viewer");
                ExpectInSight(viewer->findChild<QWidget*>("btnBack"), "btnBack");
                viewer->findChild<QPushButton*>("btnBack")->click();
                return;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
    });
    search.findChild<QPushButton*>("cmdContinue")->click();
    Settle();
    EXPECT_TRUE(seen) << "the report viewer did not come up";
}

} // namespace
} // namespace zorva::test
