#include "SearchFixture.h"

#include "core/Globals.h"
#include "reports/ReportViewerLogic.h"
#include "reports/frmReportViewer.h"
#include "selection/frmMenu.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace zorva::test {

void SearchTest::TearDown() {
    DestroyAllScreens();
    report::ResetReportPreparations();
    AppFixture::TearDown();
}

frmSearch& SearchTest::Enter(const char* option) {
    auto& menu = frmMenu::instance();
    if (menu.isVisible())
        EXPECT_TRUE(QTest::qWaitForWindowActive(&menu));  // back from the search screen
    else
        EXPECT_TRUE(Activate(menu));
    Settle();
    Click(menu.findChild<QRadioButton*>(option));
    auto* existing = ExistingScreen<frmSearch>();
    const int before = existing ? existing->ActivationCount() : 0;
    Click(menu.findChild<QPushButton*>("cmdSearch"));
    auto& search = frmSearch::instance();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&search));
    EXPECT_TRUE(WaitForActivation(search, before));
    return search;
}

std::vector<ReportRequest>& SearchTest::RecordReports() {
    auto record = [this](ConnectionHandle&, ConnectionHandle&, const std::string& type, std::int16_t volume,
                         const std::string& province, std::int16_t year, const std::string& naics,
                         const std::string& language, const std::vector<std::string>&) {
        requests.push_back({type, province, naics, language, volume, year});
        return false;
    };
    report::ReportPreparations().ratios = record;
    report::ReportPreparations().balanceSheet = record;
    return requests;
}

void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

void Click(QAbstractButton* button) {
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
    Settle();
}

void Press(int key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    Settle();
}

bool Activate(ScreenBase& screen) {
    const int before = screen.ActivationCount();
    screen.Show();
    return QTest::qWaitForWindowActive(&screen) && WaitForActivation(screen, before);
}

void ReturnFromViewer(const std::function<void()>& trigger, QString* title) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 5000) {
            if (auto* viewer = qobject_cast<frmReportViewer*>(QApplication::activeModalWidget())) {
                seen = true;
                *title = viewer->windowTitle();
                viewer->findChild<QPushButton*>("btnBack")->click();
                return;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
    });
    trigger();
    Settle();
    EXPECT_TRUE(seen) << "the report viewer did not come up";
}

} // namespace zorva::test
