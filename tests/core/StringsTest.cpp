// The string table: pairs complete, and every id the code looks up present in
// both languages.
#include "core/Catalogue.h"
#include "core/Globals.h"
#include "core/Strings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

using namespace zorva;
namespace fs = std::filesystem;

TEST(Strings, EveryEnglishTextHasItsFrenchPartner) {
    for (int id : AllStringIds()) {
        if (id % 2 == 0) EXPECT_TRUE(HasResString(id + 1)) << "no French text for id " << id;
        else EXPECT_TRUE(HasResString(id - 1)) << "no English text for id " << id;
    }
}

TEST(Strings, LookupAddsTheLanguageOffset) {
    gintLanguage = 0;
    EXPECT_EQ(Txt(478), "Do you want to exit?");
    gintLanguage = 1;
    EXPECT_EQ(Txt(478), "Voulez-vous quitter?");
    EXPECT_EQ(Txt(2), "Velmo");
    gintLanguage = 0;
    EXPECT_EQ(Txt(380, 1), "Au sujet de VELMO");
    EXPECT_THROW(LoadResString(99999), std::out_of_range);
}

TEST(Strings, TrailingBlanksArePartOfTheText) {
    EXPECT_EQ(LoadResString(198), "Total shareholders' equity ");
    EXPECT_EQ(LoadResString(199).back(), ' ');
}

TEST(Strings, EveryIdTheCodeLooksUpExistsInBothLanguages) {
    // Calls like Txt(478), Txt(478, lang), LoadResString(911), captionId tables.
    std::regex call(R"((?:Txt|LoadResString|HasResString|TxtId|TextId)\s*\(\s*(\d+))");
    std::set<int> ids;
    for (const char* sub : {"src", "tools"}) {
        fs::path root = fs::path(ZORVA_SOURCE_DIR) / sub;
        if (!fs::exists(root)) continue;
        for (const auto& e : fs::recursive_directory_iterator(root)) {
            auto ext = e.path().extension();
            if (ext != ".cpp" && ext != ".h") continue;
            std::ifstream in(e.path());
            std::stringstream ss;
            ss << in.rdbuf();
            std::string text = ss.str();
            for (std::sregex_iterator it(text.begin(), text.end(), call), end; it != end; ++it)
                ids.insert(std::stoi((*it)[1]));
        }
    }
    for (const auto& c : Catalogue())
        if (c.captionId) ids.insert(c.captionId);
    EXPECT_GT(ids.size(), 10u);
    for (int id : ids) {
        int even = id - id % 2;
        EXPECT_TRUE(HasResString(even)) << "missing English text " << even;
        EXPECT_TRUE(HasResString(even + 1)) << "missing French text " << even + 1;
    }
}
