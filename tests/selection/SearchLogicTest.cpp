// The print body of a definition, and the sector tree built from a small store.
#include "selection/IndustryDefinition.h"
#include "selection/IndustrySearch.h"
#include "support/FixtureStores.h"

#include "core/Catalogue.h"

#include <gtest/gtest.h>

namespace zorva::test {
namespace {

const std::string kIndent(15, ' ');

TEST(DefinitionPrintBody, IndentsEveryLineAndBreaksLongLines) {
    const std::string words79(79, 'x');  // a word up to column 79
    const std::string words77(77, 'x');
    const std::string accented = std::string(78, 'a') + "\xC3\xA9";  // é counts as one character
    struct Case {
        const char* what;
        std::string text, body;
    };
    const Case cases[] = {
        {"null definition", "", kIndent},
        {"two paragraphs", "First.\r\nSecond.", kIndent + "First.\n" + kIndent + "Second."},
        {"break at the first space from column 80", words79 + " yy zz",
         kIndent + words79 + " \r" + kIndent + "yy zz"},
        {"a word running past 80 breaks after it", words79 + "abc def",
         kIndent + words79 + "abc \r" + kIndent + "def"},
        {"characters, not bytes", accented + " b", kIndent + accented + " \r" + kIndent + "b"},
        {"counter starts again after a line break (the line feed counts)", "ab\r\n" + words77 + " c",
         kIndent + "ab\n" + kIndent + words77 + " c"},
    };
    for (const auto& c : cases) EXPECT_EQ(PrintBody(c.text), c.body) << c.what;
}

TEST(SectorTree, TopFoldersInAnyCaseFinanceOnlyForVolumeOneIndustriesInSequence) {
    FixtureStores stores;
    auto& db = stores.industry;
    ExecCmdInDB(db, "update tblTreeview set NodeKey = 'indtotall' where NodeKey = 'IndTOTALL'");
    stores.addFolder("IndTFINANC", "IndTOTALL", 3, "Finance and insurance", "Finance et assurances");
    stores.addFolder(" INDMANAGE ", "Ind11", 4, " Management ", "Gestion");
    stores.addNaics("1112", "Vegetables", "Légumes");
    stores.addNaics("1111", "Oilseed", "Oléagineux");
    stores.addNaics("1113", "Fruit", "Fruits");
    for (const char* code : {"1111", "1112"}) stores.addIndustryRow(2, "ALL", 2010, code);
    const std::string table = RatioTableName(2, "ALL", 2010);

    auto describe = [](const std::vector<SectorNode>& nodes) {
        std::string out;
        for (const auto& n : nodes) out += n.key + "<" + n.parent + ">" + n.text + (n.industry ? "*" : "") + ";";
        return out;
    };
    EXPECT_EQ(describe(LoadSectorTree(db, table, kNaicsDetailed, 0)),
              "indtotall<>All industries;Ind11<indtotall>Agriculture, forestry, fishing and hunting;"
              "IndTFINANC<indtotall>Finance and insurance;INDMANAGE<>Management;"
              "Ind1112<Ind11>Vegetables*;Ind1111<Ind11>Oilseed*;");
    EXPECT_EQ(describe(LoadSectorTree(db, table, kNaicsRaw, 1)),
              "indtotall<>Toutes les industries;Ind11<indtotall>Agriculture, foresterie, pêche et chasse;"
              "INDMANAGE<>Gestion;Ind1112<Ind11>Légumes*;Ind1111<Ind11>Oléagineux*;");
}

} // namespace
} // namespace zorva::test
