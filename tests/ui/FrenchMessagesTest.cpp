// Every text a French user can see is French: the string table's French
// texts, and the messages the program joins from pieces when something fails
// (a help viewer that cannot start, a file that cannot be read or written).
// A word of the program's English texts that is not French (not in the
// French word list of Debian's wfrench) may not appear in any of them.

#include "support/ui/ScreensFixture.h"

#include "core/Globals.h"
#include "core/Services.h"
#include "core/Strings.h"
#include "core/modMain.h"
#include "enterprise/SheetFile.h"
#include "reports/render/ReportExport.h"
#include "ui/QtServices.h"

#include <QRegularExpression>
#include <QStringList>

#include <filesystem>
#include <fstream>
#include <set>

using namespace zorva;
using namespace zorva::test;

namespace {

// What a user types as it stands (a role such as zorva_advisers, a file such
// as ~/.pgpass, a command such as zorva-data init-store, an option such as
// --industry-store) is no word of either language.
std::set<QString> wordsOf(QString text) {
    static const QRegularExpression identifier(QStringLiteral("\\S*[_~]\\S*|zorva-\\w+ [\\w-]+|--[\\w-]+"));
    static const QRegularExpression word(QStringLiteral("[\\p{L}]{3,}"));
    text.remove(identifier);
    std::set<QString> out;
    for (auto m = word.globalMatch(text); m.hasNext();) out.insert(m.next().captured().toLower());
    return out;
}

// The words of the English texts that are not French. Names, codes and file
// types that both languages write alike are not English words.
std::set<QString> EnglishOnlyWords() {
    std::set<QString> french;
    std::ifstream dict("/usr/share/dict/french");
    for (std::string line; std::getline(dict, line);) french.insert(QString::fromStdString(line).toLower());
    EXPECT_GT(french.size(), 100000u) << "the French word list (package wfrench) is missing";
    // French words that our English texts use in their English sense.
    for (const char* english : {"cancel", "item", "press"}) french.erase(english);
    const std::set<QString> names = {"zorva", "velmo", "brevik", "ridgecrest", "arden", "falls", "ontario",
                                     "brunswick", "microsoft", "access", "sqlite", "pdf", "csv", "xlsx", "excel",
                                     "ctrl", "mdb", "mydata", "wal", "shm", "writers", "iii", "example", "utf",
                                     "xml", "zip", "naics", "html", "http", "https", "www",
                                     "gnucash", "windows"};
    std::set<QString> english;
    for (int id : AllStringIds())
        if (id % 2 == 0)
            for (const QString& w : wordsOf(QString::fromStdString(LoadResString(id))))
                if (!french.count(w) && !names.count(w)) english.insert(w);
    return english;
}

std::vector<std::string> EnglishIn(const std::string& text, const std::set<QString>& english) {
    std::vector<std::string> found;
    for (const QString& w : wordsOf(QString::fromStdString(text)))
        if (english.count(w)) found.push_back(w.toStdString());
    return found;
}

class FrenchMessages : public ScreensTest {};

TEST_F(FrenchMessages, HoldNoEnglishWords) {
    const std::set<QString> english = EnglishOnlyWords();
    ASSERT_GT(english.size(), 200u);
    ASSERT_TRUE(english.count("the")) << "the list is made of the English texts";

    std::vector<std::pair<std::string, std::string>> shown;  // where, text
    for (int id : AllStringIds())
        if (id % 2 == 1) shown.push_back({"string " + std::to_string(id), LoadResString(id)});

    gintLanguage = 1;
    // A help viewer that cannot be started, through the program's own process service.
    InstallQtServices();
    services().messages = fakes.messages;
    const std::string dir = MakeTempDir("zorva-french");
    {
        std::ofstream notRunnable(dir + "/hh");
        notRunnable << "not a program\n";
    }
    std::filesystem::permissions(dir + "/hh", std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    gstrHelpViewer = dir + "/hh";
    EXPECT_FALSE(LaunchHelpTopic("ZORV_ConceptsHelp_Fre.chm", 9999));
    gsubLaunchHelpFile("Tech");
    for (const auto& m : fakes.messages->shown) shown.push_back({"help viewer", m.text});

    // Statement files that cannot be read, each for its own reason.
    auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
        return dir + "/" + name;
    };
    // (File names that are no word of either language.)
    const std::string unreadable[] = {write("a1.csv", "\xEF\xBB\xBF" "Encaisse,1\nCaf\xE9,2\n"), write("a2.csv", ""),
                                      write("a3.csv", "\"Encaisse,1\n"), write("a4.csv", "\"a\"b,1\n"),
                                      write("a5.xlsx", "PK\x03\x04 ni zip"), dir + "/a6.csv"};
    for (const std::string& path : unreadable) {
        try {
            ReadSheetFile(path);
            ADD_FAILURE() << path << " was read";
        } catch (const SheetError& e) {
            shown.push_back({path, Txt(1856) + e.Message(1)});
        }
    }
    // An export to a file name that is not a spreadsheet's.
    std::string error;
    EXPECT_FALSE(report::WriteExport(report::Rendered{}, dir + "/report.txt", &error));
    shown.push_back({"export", Txt(1812) + error});

    for (const auto& [where, text] : shown) {
        const auto found = EnglishIn(text, english);
        EXPECT_TRUE(found.empty()) << where << ": \"" << found.front() << "\" in: " << text;
    }
}

} // namespace
