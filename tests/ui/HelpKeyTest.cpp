// F1 on the windows without a Contents item opens the concepts help of the
// current language at the window's own topic.
#include "support/ui/ScreensFixture.h"

#include "core/Globals.h"
#include "enterprise/ui/frmOpenExisting.h"
#include "reports/ui/frmReportViewer.h"
#include "ui/frmAbout.h"
#include "selection/ui/frmIndustryDefinitions.h"

#include <QApplication>

#include <memory>

namespace zorva::test {
namespace {

using HelpKey = ScreensTest;

TEST_F(HelpKey, F1OpensTheTopicOfEachWindowInTheCurrentLanguage) {
    auto viewer = std::make_unique<frmReportViewer>();
    struct Case {
        const char* name;
        QWidget* window;
        const char* topic;
    };
    const Case cases[] = {
        {"about", &frmAbout::instance(), "1900"},
        {"open existing", &frmOpenExisting::instance(), "1310"},
        {"industry definition", &frmIndustryDefinitions::instance(), "1210"},
        {"report viewer", viewer.get(), "1700"},
    };
    for (int language : {0, 1}) {
        gintLanguage = static_cast<std::int16_t>(language);
        const std::string file = appDir + (language ? "/ZORV_ConceptsHelp_Fre.chm" : "/ZORV_ConceptsHelp_Eng.chm");
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            c.window->show();
            c.window->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(c.window));
            const size_t before = fakes.processes->started.size();
            QTest::keyClick(c.window, Qt::Key_F1);
            ASSERT_EQ(fakes.processes->started.size(), before + 1);
            EXPECT_EQ(fakes.processes->started.back().arguments,
                      (std::vector<std::string>{file, "--topic", c.topic}));
            c.window->hide();
            Settle();
        }
    }
}

} // namespace
} // namespace zorva::test
