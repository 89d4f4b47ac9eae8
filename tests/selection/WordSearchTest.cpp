// The key word search on the shipped industry store: the titles that contain
// the word first, exactly as the key word statement returns them, then the
// industries found through the words' forms and their definitions.

#include "support/AppFixture.h"

#include "core/Catalogue.h"
#include "core/Globals.h"
#include "selection/IndustrySearch.h"
#include "selection/WordSearch.h"

#include <QRegularExpression>
#include <QString>

#include <gtest/gtest.h>

#include <algorithm>

using namespace zorva;
using namespace zorva::test;

namespace {

class WordSearch : public ShippedStoresFixture {
protected:
    std::vector<KeywordHit> search(const std::string& word, int language) {
        return KeywordSearchAll(gcnIndustry, gstrDataTable, gstrNaicsTable, word, language);
    }
};

TEST_F(WordSearch, FindsWhatPeopleTypeInEitherLanguage) {
    ASSERT_TRUE(subSetDataTable("optVol3"));
    using F = KeywordHit::Found;
    const struct {
        int language;
        const char* word;
        const char* code;
        F found;
    } cases[] = {
        {0, "bakery", "3118", F::WordForm},                 // Bakeries
        {0, "farms", "1122", F::WordForm},                  // Hog and pig farming
        {0, "farms", "411", F::WordForm},                   // Farm product wholesaler-distributors
        {1, "oeufs", "1123", F::WordForm},                  // production d'œufs
        {1, "OEUVRE", "4163", F::WordForm},                 // bois d'œuvre
        {1, "d\u2019alimentation", "445", F::WordForm},     // typographic apostrophe: Magasins d'alimentation
        {1, "camionnage", "484", F::Definition},            // only the definition says it
        {0, "freight", "484", F::Definition},
        {1, "boulangeries", "3118", F::Title},              // the title contains it as typed
    };
    for (const auto& c : cases) {
        const auto hits = search(c.word, c.language);
        auto it = std::find_if(hits.begin(), hits.end(), [&](const KeywordHit& h) { return h.row.naics == c.code; });
        ASSERT_NE(it, hits.end()) << c.word << " does not find " << c.code;
        EXPECT_EQ(it->found, c.found) << c.word << " " << c.code;
        EXPECT_FALSE(it->row.title.empty());
    }
    EXPECT_TRUE(search("zzqx", 0).empty());
    EXPECT_TRUE(search("", 1).size() == search("", 0).size()) << "an empty word finds every title, as before";
}

TEST_F(WordSearch, KeepsTheTitleResultsFirstAndInTheirOrder) {
    for (const char* option : {"optVol1", "optVol3"}) {
        ASSERT_TRUE(subSetDataTable(option));
        for (int language : {0, 1}) {
            for (const char* word : {"manufacturing", "fabrication", "farm", "a", "services"}) {
                const auto statement = KeywordSearch(gcnIndustry, gstrDataTable, gstrNaicsTable, word, language);
                const auto hits = search(word, language);
                ASSERT_GE(hits.size(), statement.size()) << word;
                for (size_t i = 0; i < statement.size(); ++i) {
                    EXPECT_EQ(hits[i].row.naics, statement[i].naics) << word << " row " << i;
                    EXPECT_EQ(hits[i].found, KeywordHit::Found::Title);
                }
                // After them, each industry once, word forms before definitions.
                std::vector<std::string> codes;
                for (const auto& h : hits) codes.push_back(h.row.naics);
                std::sort(codes.begin(), codes.end());
                EXPECT_EQ(std::adjacent_find(codes.begin(), codes.end()), codes.end()) << word;
                EXPECT_TRUE(std::is_sorted(hits.begin(), hits.end(), [](const KeywordHit& a, const KeywordHit& b) {
                    return static_cast<int>(a.found) < static_cast<int>(b.found);
                })) << word;
            }
        }
    }
}

// The title lists in the order a reader of the language expects: letter case
// and accents do not separate "Élevage" from the other E's.
TEST_F(WordSearch, TheTitleListsAreInTheReadersOrder) {
    auto key = [](const std::string& title) {
        QString k = QString::fromStdString(title).normalized(QString::NormalizationForm_D).toCaseFolded();
        k.remove(QRegularExpression(QStringLiteral("\\p{Mn}")));
        return k;
    };
    for (const char* option : {"optVol1", "optVol3"}) {
        ASSERT_TRUE(subSetDataTable(option));
        for (int language : {0, 1}) {
            const auto titles = ReadTitleList(gcnIndustry, gstrDataTable, gstrNaicsTable, language);
            const auto rows = IndustryTitleList(gcnIndustry, gstrDataTable, gstrNaicsTable, language);
            ASSERT_EQ(titles.size(), rows.size());
            for (size_t i = 1; i < titles.size(); ++i) {
                EXPECT_LE(QString::compare(key(titles[i - 1]), key(titles[i])), 0)
                    << titles[i - 1] << " before " << titles[i];
                EXPECT_EQ(rows[i].title, titles[i]) << "the tool's list in the same order";
            }
        }
    }
}

} // namespace
