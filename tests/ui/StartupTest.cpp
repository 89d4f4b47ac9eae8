// Start-up, help launching and the failure policy.
#include "core/AppPath.h"
#include "core/DBTools.h"
#include "core/Globals.h"
#include "core/Strings.h"
#include "core/modMain.h"
#include "ui/QtServices.h"
#include "support/AppFixture.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace zorva;
using namespace zorva::test;
namespace fs = std::filesystem;

namespace {
class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        fakes = InstallFakes();
        dir = CopyAppFolder();
        SetAppPath(dir);
    }
    void TearDown() override { ResetGlobals(); }
    Fakes fakes;
    std::string dir;
};
} // namespace

TEST_F(StartupTest, OpensBothStoresAndSetsTheGlobals) {
    OpenDataStores();
    ASSERT_TRUE(gcnIndustry);
    ASSERT_TRUE(gcnUser);
    EXPECT_EQ(gcnIndustry->source(), dir + "/ZOR_DATA.mdb");
    EXPECT_EQ(gcnUser->source(), dir + "/myData.mdb");
    EXPECT_EQ(gstrHelpViewer, dir + "/hh");
    EXPECT_EQ(gintLanguage, 0);
    EXPECT_TRUE(gstrDataTable.empty());
    EXPECT_TRUE(fakes.messages->empty());
}

TEST_F(StartupTest, AMissingUserStoreStopsStartUpNamingTheFile) {
    fs::remove(dir + "/myData.mdb");
    try {
        OpenDataStores();
        FAIL() << "start-up must not go on without the user data store";
    } catch (const StartupError& e) {
        EXPECT_EQ(e.file(), dir + "/myData.mdb");
        std::string msg = e.what();
        EXPECT_NE(msg.find(dir + "/myData.mdb"), std::string::npos);
        EXPECT_NE(msg.find(LoadResString(902)), std::string::npos);  // what to do
    }
    EXPECT_FALSE(fs::exists(dir + "/myData.mdb")) << "start-up must not create an empty store";
}

TEST_F(StartupTest, AnUnreadableIndustryStoreStopsStartUp) {
    fs::remove(dir + "/ZOR_DATA.mdb");
    std::ofstream(dir + "/ZOR_DATA.mdb") << "not a database at all, just text that is long enough to be read";
    EXPECT_THROW(OpenDataStores(), StartupError);
}

TEST_F(StartupTest, ApplicationFolderHasNoTrailingSeparator) {
    SetAppPath(dir + "/");
    EXPECT_EQ(AppPath(), dir);
    EXPECT_EQ(AppFile("myData.mdb"), dir + "/myData.mdb");
}

TEST_F(StartupTest, HelpOpensTheFileOfTheLanguageAsOneArgument) {
    OpenDataStores();
    for (const char* f : {"ZORV_ConceptsHelp_Eng.chm", "ZORV_ConceptsHelp_Fre.chm", "ZORV_Tech_Help_Eng.chm",
                          "ZORV_Tech_Help_Fre.chm"})
        std::ofstream(dir + "/" + f) << "help";
    gintLanguage = 1;
    EXPECT_TRUE(gsubLaunchHelpFile("Contents"));
    gintLanguage = 0;
    EXPECT_TRUE(gsubLaunchHelpFile("Contents"));
    EXPECT_TRUE(gsubLaunchHelpFile("Tech"));
    EXPECT_TRUE(gsubLaunchHelpFile("Tech"));  // every call starts a new viewer
    EXPECT_TRUE(gsubLaunchHelpFile("contents"));  // not a help name: the viewer with no file
    auto& s = fakes.processes->started;
    ASSERT_EQ(s.size(), 5u);
    EXPECT_EQ(s[0].program, dir + "/hh");
    EXPECT_EQ(s[0].arguments, std::vector<std::string>{dir + "/ZORV_ConceptsHelp_Fre.chm"});
    EXPECT_EQ(s[1].arguments, std::vector<std::string>{dir + "/ZORV_ConceptsHelp_Eng.chm"});
    EXPECT_EQ(s[2].arguments, std::vector<std::string>{dir + "/ZORV_Tech_Help_Eng.chm"});
    EXPECT_TRUE(s[4].arguments.empty());
}

TEST_F(StartupTest, HelpInAFolderWithBlanksKeepsThePathWhole) {
    std::string spaced = dir + "/My Programs/Zorva app";
    fs::create_directories(spaced);
    for (const auto& e : fs::directory_iterator(dir))
        if (e.is_regular_file()) fs::copy_file(e.path(), spaced + "/" + e.path().filename().string());
    std::ofstream(spaced + "/ZORV_ConceptsHelp_Eng.chm") << "help";
    SetAppPath(spaced);
    OpenDataStores();
    EXPECT_TRUE(gsubLaunchHelpFile("Contents"));
    ASSERT_EQ(fakes.processes->started.size(), 1u);
    EXPECT_EQ(fakes.processes->started[0].program, spaced + "/hh");
    EXPECT_EQ(fakes.processes->started[0].arguments[0], spaced + "/ZORV_ConceptsHelp_Eng.chm");
}

TEST_F(StartupTest, MissingViewerOrHelpFileGivesAMessageAndTheProgramGoesOn) {
    OpenDataStores();
    gintLanguage = 1;
    fs::remove(dir + "/ZORV_ConceptsHelp_Fre.chm");
    EXPECT_FALSE(gsubLaunchHelpFile("Contents"));
    ASSERT_EQ(fakes.messages->shown.size(), 1u);
    EXPECT_EQ(fakes.messages->last().text, LoadResString(911) + dir + "/ZORV_ConceptsHelp_Fre.chm");

    std::ofstream(dir + "/ZORV_ConceptsHelp_Fre.chm") << "help";
    fs::remove(dir + "/hh");
    EXPECT_FALSE(gsubLaunchHelpFile("Contents"));
    EXPECT_EQ(fakes.messages->last().text, LoadResString(909) + dir + "/hh");
    EXPECT_TRUE(fakes.processes->started.empty());
    EXPECT_TRUE(fakes.exit->codes.empty());
}

TEST_F(StartupTest, HelpTopicPassesFileAndTopic) {
    OpenDataStores();
    std::ofstream(dir + "/ZORV_ConceptsHelp_Fre.chm") << "help";
    EXPECT_TRUE(LaunchHelpTopic("ZORV_ConceptsHelp_Fre.chm", 9999));
    ASSERT_EQ(fakes.processes->started.size(), 1u);
    EXPECT_EQ(fakes.processes->started[0].arguments,
              (std::vector<std::string>{dir + "/ZORV_ConceptsHelp_Fre.chm", "--topic", "9999"}));
}

namespace {
class Thrower : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) throw DbError("no such table: Rpt_Data_CY", "delete * from Rpt_Data_CY");
        return QObject::event(e);
    }
};
} // namespace

TEST_F(StartupTest, AnErrorEscapingAHandlerShowsOneErrorBoxThenEnds) {
    gintLanguage = 1;
    Thrower t;
    QEvent e(QEvent::User);
    EXPECT_THROW(QCoreApplication::sendEvent(&t, &e), ProgramEnded);
    ASSERT_EQ(fakes.messages->shown.size(), 1u);
    const auto& m = fakes.messages->last();
    EXPECT_EQ(m.icon, MsgIcon::Critical);
    EXPECT_NE(m.text.find(LoadResString(905)), std::string::npos);
    EXPECT_NE(m.text.find("no such table: Rpt_Data_CY"), std::string::npos);
    EXPECT_EQ(m.text.find("delete * from Rpt_Data_CY"), std::string::npos) << "the statement is no message";
    EXPECT_EQ(fakes.exit->codes, std::vector<int>{1});
}
