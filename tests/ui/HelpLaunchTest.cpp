// Starting the help viewer for real: the program and the help file reach the
// viewer as separate arguments, whatever blanks the folder holds.
#include "support/ui/ScreensFixture.h"

#include "core/Globals.h"
#include "core/Services.h"
#include "ui/QtServices.h"
#include "core/modMain.h"

#include <QFile>

#include <filesystem>
#include <fstream>

namespace zorva::test {
namespace {

using HelpLaunch = ScreensTest;

std::vector<std::string> readLines(const std::string& file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST_F(HelpLaunch, AFolderWithBlanksReachesTheViewerAsOneArgument) {
    // A viewer that writes each argument it got on a line of its own.
    const std::string viewer = appDir + "/hh";
    const std::string record = appDir + "/arguments.txt";
    {
        std::ofstream out(viewer);
        out << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$(dirname \"$0\")/arguments.tmp\"\n"
            << "mv \"$(dirname \"$0\")/arguments.tmp\" \"$(dirname \"$0\")/arguments.txt\"\n";
    }
    std::filesystem::permissions(viewer, std::filesystem::perms::owner_all);
    ASSERT_NE(appDir.find(' '), std::string::npos);
    InstallQtServices();
    services().messages = fakes.messages;
    services().exit = fakes.exit;

    gintLanguage = 1;
    ASSERT_TRUE(gsubLaunchHelpFile("Tech"));
    for (int i = 0; i < 200 && !std::filesystem::exists(record); ++i) QTest::qWait(25);
    EXPECT_EQ(readLines(record), std::vector<std::string>{appDir + "/ZORV_Tech_Help_Fre.chm"});
    std::filesystem::remove(record);

    ASSERT_TRUE(LaunchHelpTopic("ZORV_ConceptsHelp_Eng.chm", 9999));
    for (int i = 0; i < 200 && !std::filesystem::exists(record); ++i) QTest::qWait(25);
    EXPECT_EQ(readLines(record),
              (std::vector<std::string>{appDir + "/ZORV_ConceptsHelp_Eng.chm", "--topic", "9999"}));
    EXPECT_TRUE(fakes.messages->empty());
}

TEST_F(HelpLaunch, OnlyContentsAndTechNameAHelpFileAndMissingPiecesAreReported) {
    // "contents" in lower case names no file: the viewer starts without one.
    EXPECT_TRUE(gsubLaunchHelpFile("contents"));
    ASSERT_EQ(fakes.processes->started.size(), 1u);
    EXPECT_TRUE(fakes.processes->started[0].arguments.empty());

    // A missing help file: the message in the current language, nothing started.
    gintLanguage = 1;
    std::filesystem::remove(appDir + "/ZORV_ConceptsHelp_Fre.chm");
    EXPECT_FALSE(gsubLaunchHelpFile("Contents"));
    EXPECT_EQ(fakes.processes->started.size(), 1u);
    ASSERT_EQ(fakes.messages->shown.size(), 1u);
    EXPECT_EQ(fakes.messages->last().text, "Le fichier d'aide est introuvable : " + appDir + "/ZORV_ConceptsHelp_Fre.chm");
    EXPECT_EQ(fakes.messages->last().icon, MsgIcon::Exclamation);

    // A viewer that cannot be started: the message, the program goes on.
    fakes.processes->fail = true;
    gintLanguage = 0;
    EXPECT_FALSE(gsubLaunchHelpFile("Tech"));
    ASSERT_EQ(fakes.messages->shown.size(), 2u);
    EXPECT_EQ(fakes.messages->last().text.rfind("The help viewer could not be started: " + appDir + "/hh", 0), 0u);
    EXPECT_TRUE(fakes.exit->codes.empty());
}

} // namespace
} // namespace zorva::test
