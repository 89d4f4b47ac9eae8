// The values screen's imports on a plain record, with the file chooser and
// the previews replaced by screens that answer from a script and the
// questions answered by the fake message service: lines a file does not
// name are cleared unless kept, another enterprise's file asks first and
// never mixes, a file that cannot be read changes nothing, an unbalanced
// statement is imported only when the user says so, and the second import
// of the same books finds every account's line item remembered.

#include "support/AppFixture.h"
#include "support/OtherPrograms.h"

#include "core/Globals.h"
#include "core/Strings.h"
#include "enterprise/EnterpriseScreens.h"
#include "enterprise/ImportFlow.h"

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <fstream>
#include <functional>

using namespace zorva;
using namespace zorva::test;

namespace {

class ScriptedScreens : public EnterpriseScreens {
public:
    std::string file;
    bool keep = false;                                   // the preview's check box
    std::deque<bool> accept;                             // Import (true) or Cancel, in turn
    std::function<void(books::BooksReview&)> onReview;   // what the user changes in the books preview
    int previews = 0;
    bool allRemembered = false;
    std::string ChooseStatementFile() override { return file; }
    std::string ChooseBooksFile() override { return file; }
    bool ConfirmImport(import::StatementReview& review) override {
        ++previews;
        review.keepOtherLines = keep;
        return next();
    }
    bool ReviewBooks(books::BooksReview& review) override {
        ++previews;
        allRemembered = review.allRemembered;
        if (onReview) onReview(review);
        return next();
    }

private:
    bool next() {
        if (accept.empty()) return false;
        const bool a = accept.front();
        accept.pop_front();
        return a;
    }
};

class ImportFlow : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        SetEnterpriseScreens(nav);
    }
    void TearDown() override {
        SetEnterpriseScreens(nullptr);
        AppFixture::TearDown();
    }
    std::string write(const std::string& name, const std::string& text) {
        const std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    // A record of Acme on screen with cash, inventory and payables.
    values::PlainRecord acme() {
        RecordTexts r;
        InitializeValues(r, 0);
        r[Field::FirmName] = "Acme";
        r[Field::Year] = "2009";
        r[Field::Cash] = "100";
        r[Field::Inv] = "40";
        r[Field::AccountsPayable] = "70";
        subCalculateSubTotals(r);
        values::PlainRecord holder(r);
        holder.SetChanged(true);
        return holder;
    }
    std::string dir = MakeTempDir("zorva-import-flow");
    std::shared_ptr<ScriptedScreens> nav = std::make_shared<ScriptedScreens>();
};

} // namespace

TEST_F(ImportFlow, LinesTheFileDoesNotNameAreClearedUnlessKept) {
    nav->file = write("acme.csv", "Cash,250\nAccounts receivable,30\n");
    struct Case {
        bool keep;
        const char* inventory;
        const char* payables;
        const char* total;
    };
    for (const Case& c : {Case{false, "0", "0", "280"}, Case{true, "40", "70", "320"}}) {
        values::PlainRecord holder = acme();
        nav->keep = c.keep;
        nav->accept = {true};
        ASSERT_TRUE(values::ImportStatement(holder, gcnUser));
        const RecordTexts r = holder.Record();
        EXPECT_EQ(r[Field::Cash], "250");
        EXPECT_EQ(r[Field::Inv], c.inventory);
        EXPECT_EQ(r[Field::AccountsPayable], c.payables);
        EXPECT_EQ(r[Field::Ta], c.total);
        EXPECT_EQ(r[Field::FirmName], "Acme");
        EXPECT_TRUE(holder.Changed());
    }
    EXPECT_TRUE(fakes.messages->empty());
}

TEST_F(ImportFlow, AnotherEnterprisesFileAsksFirstAndNeverMixes) {
    nav->file = write("bravo.csv", "Enterprise name,Bravo Ltd\nYear,2010\nCash,5\n");
    struct Case {
        std::deque<MsgAnswer> answers;  // another enterprise?, then save Acme?
        bool imported;
        bool acmeSaved;
    };
    const Case cases[] = {
        {{MsgAnswer::No}, false, false},
        {{MsgAnswer::Yes, MsgAnswer::Cancel}, false, false},
        {{MsgAnswer::Yes, MsgAnswer::Yes}, true, true},
    };
    for (const Case& c : cases) {
        ExecCmdInDB(gcnUser, "delete * from MyValues");
        values::PlainRecord holder = acme();
        nav->keep = true;  // asked to keep: not for another enterprise
        nav->accept = {true};
        fakes.messages->shown.clear();
        fakes.messages->script = c.answers;
        EXPECT_EQ(values::ImportStatement(holder, gcnUser), c.imported);
        ASSERT_FALSE(fakes.messages->empty());
        EXPECT_EQ(fakes.messages->shown[0].text, values::AnotherEnterpriseQuestion("Bravo Ltd", "Acme", 0));
        const RecordTexts r = holder.Record();
        if (c.imported) {
            EXPECT_EQ(r[Field::FirmName], "Bravo Ltd");
            EXPECT_EQ(r[Field::Year], "2010");
            EXPECT_EQ(r[Field::Inv], "0");
            EXPECT_EQ(r[Field::Ta], "5");
        } else {
            EXPECT_EQ(r[Field::FirmName], "Acme");
            EXPECT_EQ(r[Field::Cash], "100");
        }
        EXPECT_EQ(GetRS(gcnUser, "select * from MyValues where FirmName = 'Acme'", "read")->RecordCount(),
                  c.acmeSaved ? 1 : 0);
    }
}

TEST_F(ImportFlow, AFileThatCannotBeReadChangesNothingAndSaysWhyInTheLanguage) {
    gintLanguage = 1;
    const std::string files[] = {dir + "/missing.csv", write("empty.csv", ""), write("zip.xlsx", "PK\x03\x04junk"),
                                 write("quote.csv", "Cash,\"12\n")};
    for (const std::string& f : files) {
        for (bool books : {false, true}) {
            values::PlainRecord holder = acme();
            nav->file = f;
            nav->accept = {true};
            fakes.messages->shown.clear();
            EXPECT_FALSE(books ? values::ImportBooks(holder, gcnUser) : values::ImportStatement(holder, gcnUser)) << f;
            ASSERT_EQ(fakes.messages->shown.size(), 1u) << f;
            EXPECT_EQ(fakes.messages->last().text.rfind(Txt(1856, 1), 0), 0u) << fakes.messages->last().text;
            EXPECT_EQ(holder.Record()[Field::Cash], "100");
            EXPECT_EQ(nav->previews, 0);
        }
    }
}

TEST_F(ImportFlow, AnUnbalancedStatementIsImportedOnlyWhenTheUserSaysSo) {
    nav->file = TestBook("northwind-sqlite.gnucash");
    // The user leaves Petty Cash out: the statement is short by 300.
    nav->onReview = [](books::BooksReview& review) {
        for (size_t k = 0; k < review.book.accounts.size(); ++k)
            if (review.book.accounts[k].name == "Petty Cash") review.SetTarget(k, books::Target::None);
    };
    values::PlainRecord holder;
    holder.Clear();
    // Import, No (back to the preview), Import, Yes.
    nav->accept = {true, true};
    fakes.messages->script = {MsgAnswer::No, MsgAnswer::Yes};
    ASSERT_TRUE(values::ImportBooks(holder, gcnUser));
    EXPECT_EQ(nav->previews, 2);
    ASSERT_GE(fakes.messages->shown.size(), 2u);
    EXPECT_NE(fakes.messages->shown[0].text.find("97,250.00"), std::string::npos) << fakes.messages->shown[0].text;
    EXPECT_NE(fakes.messages->shown[0].text.find("300.00"), std::string::npos);
    RecordTexts r = holder.Record();
    EXPECT_EQ(r[Field::Ta], "97250");
    EXPECT_EQ(r[Field::TotLiabShareEq], "97550");
    EXPECT_EQ(r[Field::Year], "2010");
    EXPECT_EQ(r[Field::FirmName], "northwind-sqlite");

    // Cancelled at the question and then in the preview: nothing changes.
    values::PlainRecord untouched = acme();
    nav->previews = 0;
    nav->accept = {true, false};
    fakes.messages->script = {MsgAnswer::No};
    EXPECT_FALSE(values::ImportBooks(untouched, gcnUser));
    EXPECT_EQ(nav->previews, 2);
    EXPECT_EQ(untouched.Record()[Field::Cash], "100");
}

TEST_F(ImportFlow, TheSecondImportOfTheSameBooksFindsEveryLineItemRemembered) {
    nav->file = TestBook("levesque-xml.gnucash");
    nav->onReview = nullptr;
    for (bool second : {false, true}) {
        values::PlainRecord holder;
        holder.Clear();
        nav->accept = {true};
        ASSERT_TRUE(values::ImportBooks(holder, gcnUser));
        EXPECT_EQ(nav->allRemembered, second);
        EXPECT_EQ(holder.Record()[Field::Ta], "65297.5");
    }
    EXPECT_TRUE(fakes.messages->empty());
}

// The unbalanced-book message gives the totals and their difference in whole
// cents, a half cent rounded away from zero, whichever total is larger and
// whatever their signs.
TEST_F(ImportFlow, TheUnbalancedMessageGivesTheDifferenceInWholeCentsRounded) {
    using Texts = std::array<const char*, 3>;  // {A}, {L}, {D}
    const struct {
        std::int64_t assets, liabilities;  // ten-thousandths
        Texts english, french;
    } cases[] = {
        {1000050, 1000000, {"100.01", "100.00", "0.01"}, {"100,01", "100,00", "0,01"}},
        {1000000, 1000050, {"100.00", "100.01", "0.01"}, {"100,00", "100,01", "0,01"}},
        {-501250, 0, {"-50.13", "0.00", "50.13"}, {"-50,13", "0,00", "50,13"}},
        {123456789, 123000000, {"12,345.68", "12,300.00", "45.68"}, {"12\u00a0345,68", "12\u00a0300,00", "45,68"}},
        {-20000, -25049, {"-2.00", "-2.50", "0.50"}, {"-2,00", "-2,50", "0,50"}},
    };
    for (const auto& c : cases) {
        books::Statement s;
        s.totalAssets = c.assets;
        s.totalLiabilitiesAndEquity = c.liabilities;
        for (int language : {0, 1}) {
            std::string expected = Txt(values::kMsgUnbalanced, language);
            const Texts& figures = language ? c.french : c.english;
            const char* marks[] = {"{A}", "{L}", "{D}"};
            for (size_t k = 0; k < 3; ++k) expected.replace(expected.find(marks[k]), 3, figures[k]);
            EXPECT_EQ(values::UnbalancedText(s, language), expected) << c.assets << " " << c.liabilities;
        }
    }
}
