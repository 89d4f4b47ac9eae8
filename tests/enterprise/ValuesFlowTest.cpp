// The values screen's flows on a plain record: saving with its replace
// question, the year and name checks, deleting, opening the list, and the
// comparison's checks, with the questions answered from a script and the
// screens replaced by a navigator that records what it was asked.

#include "support/AppFixture.h"

#include "core/AppPath.h"
#include "core/Catalogue.h"
#include "core/Globals.h"
#include "core/Navigator.h"
#include "core/Strings.h"
#include "enterprise/EnterpriseScreens.h"
#include "enterprise/RecordStore.h"
#include "enterprise/ValuesFlow.h"
#include "selection/IndustrySearch.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace zorva;
using namespace zorva::test;

namespace {

class RecordingNavigator : public Navigator, public EnterpriseScreens {
public:
    bool listHasRecords = false;
    int listsShown = 0;
    std::vector<std::string> reports;  // types of the reports asked for
    std::vector<RecordTexts> stored;    // records put on the values screen
    void ShowStoredRecord(const RecordTexts& record) override { stored.push_back(record); }
    bool ShowOpenExisting() override {
        ++listsShown;
        return listHasRecords;
    }
    std::vector<bool> keptDuringReport;  // gblnKeepValues while each report was up
    void ShowReport(const ReportRequest& request) override {
        reports.push_back(request.type);
        keptDuringReport.push_back(gblnKeepValues);
    }
};

class ValuesFlow : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        ExecCmdInDB(gcnUser, "delete * from MyValues");
        SetNavigator(nav);
        SetEnterpriseScreens(nav);
    }
    void TearDown() override {
        SetNavigator(nullptr);
        SetEnterpriseScreens(nullptr);
        AppFixture::TearDown();
    }
    static RecordTexts recordOf(const std::string& name, const std::string& cash, const std::string& year = "2010") {
        RecordTexts r;
        InitializeValues(r, 0);
        r[Field::FirmName] = name;
        r[Field::Year] = year;
        r[Field::Cash] = cash;
        subCalculateSubTotals(r);
        return r;
    }
    long storedRows() { return GetRS(gcnUser, "select * from MyValues", "read")->RecordCount(); }
    double storedCash() {
        auto rs = GetRS(gcnUser, "select Cash from MyValues", "read");
        return rs->RecordCount() ? rs->Fields(0).toDouble() : -1;
    }
    std::shared_ptr<RecordingNavigator> nav = std::make_shared<RecordingNavigator>();
};

TEST_F(ValuesFlow, SavingTwiceAsksBeforeReplacingTheSameEnterprise) {
    // Names match without regard to letter case, in any alphabet, with full
    // case folding and however an accent was typed; accents count.
    const struct { const char* first; const char* second; bool same; } cases[] = {
        {"O'Hara", "O'Hara", true},         {"Acme", "ACME", true},           {"ÉCOLE", "école", true},
        {"école", "ecole", false},          {"Café", "Cafe\u0301", true},     {"Straße", "STRASSE", true}};
    for (const auto& c : cases) {
        ExecCmdInDB(gcnUser, "delete * from MyValues");
        values::PlainRecord first(recordOf(c.first, "5"));
        first.SetChanged(true);
        ASSERT_EQ(values::Save(first, gcnUser, false), values::SaveResult::Saved);
        EXPECT_EQ(fakes.messages->last().text, Txt(962));
        EXPECT_FALSE(first.Changed());

        values::PlainRecord second(recordOf(c.second, "7"));
        fakes.messages->answer(MsgAnswer::Cancel);
        const values::SaveResult result = values::Save(second, gcnUser, false);
        if (!c.same) {
            EXPECT_EQ(result, values::SaveResult::Saved) << "saved without a question";
            EXPECT_EQ(storedRows(), 2) << c.second;
            continue;
        }
        EXPECT_EQ(result, values::SaveResult::Declined) << c.second;
        EXPECT_EQ(fakes.messages->last().text, store::ReplaceQuestion(c.second, "2010", 0));
        EXPECT_EQ(fakes.messages->last().buttons, MsgButtons::OKCancel);
        EXPECT_EQ(storedCash(), 5) << "Cancel writes nothing";
        EXPECT_EQ(values::Save(second, gcnUser, false), values::SaveResult::Replaced);  // OK
        EXPECT_EQ(storedRows(), 1) << c.second;
        EXPECT_EQ(storedCash(), 7);
        EXPECT_EQ(GetRS(gcnUser, "select FirmName from MyValues", "read")->Fields(0).toString(), c.second);
    }
}

TEST_F(ValuesFlow, OnlyAWholeReferenceYearReachesTheStore) {
    for (const char* year : {"201", "2011", "20x0", ""}) {
        values::PlainRecord r(recordOf("Acme", "1", year));
        EXPECT_EQ(values::Save(r, gcnUser, true), values::SaveResult::Refused) << year;
        EXPECT_EQ(fakes.messages->last().text, Txt(986) + "2008" + Txt(988) + "2010") << year;
        fakes.messages->answer(MsgAnswer::Yes);
        values::Delete(r, gcnUser, 0);
        EXPECT_EQ(fakes.messages->last().text, Txt(986) + "2008" + Txt(988) + "2010") << year;
    }
    EXPECT_EQ(storedRows(), 0);
    values::PlainRecord r(recordOf("Acme", "1", " 2009 "));
    EXPECT_EQ(values::Save(r, gcnUser, true), values::SaveResult::Saved);
    EXPECT_EQ(GetRS(gcnUser, "select [Year] from MyValues", "read")->Fields(0).toInt(), 2009);
}

// Two copies of the program, or two advisers on the office's server: this one
// opened the record, the other saved it meanwhile. Saving asks first, and
// each answer does what it says; nothing is overwritten silently.
TEST_F(ValuesFlow, ASaveAfterAnotherCopyChangedTheRecordAsksFirst) {
    ConnectionHandle other;
    ConnectToFile(other, UserStorePath(), "unknown");
    const struct {
        MsgAnswer answer;
        values::SaveResult result;
        double stored;
        const char* onScreen;
    } cases[] = {
        {MsgAnswer::Yes, values::SaveResult::Replaced, 9, "9"},
        {MsgAnswer::No, values::SaveResult::Reloaded, 7, "7"},
        {MsgAnswer::Cancel, values::SaveResult::Declined, 7, "9"},
    };
    for (const auto& c : cases) {
        store::SaveRecord(gcnUser, recordOf("Acme", "3"), 2010);
        auto opened = store::LoadRecord(gcnUser, "Acme", 2010);
        ASSERT_TRUE(opened);
        (*opened)[Field::Cash] = "9";
        values::PlainRecord mine(*opened);
        mine.SetChanged(true);
        store::SaveRecord(other, recordOf("ACME", "7"), 2010);
        fakes.messages->answer(c.answer);
        EXPECT_EQ(values::Save(mine, gcnUser, false), c.result);
        EXPECT_EQ(fakes.messages->shown.size() >= 1 ? fakes.messages->shown.back().buttons : MsgButtons::OK,
                  c.answer == MsgAnswer::Yes ? MsgButtons::OK : MsgButtons::YesNoCancel);
        const auto asked = std::find_if(fakes.messages->shown.begin(), fakes.messages->shown.end(),
                                        [](const ShownMessage& m) { return m.buttons == MsgButtons::YesNoCancel; });
        ASSERT_NE(asked, fakes.messages->shown.end()) << "no question was asked";
        EXPECT_NE(asked->text.find(Txt(2320)), std::string::npos);
        EXPECT_EQ(storedRows(), 1);
        EXPECT_EQ(storedCash(), c.stored);
        EXPECT_EQ(mine.Record()[Field::Cash], c.onScreen);
        fakes.messages->shown.clear();
    }
}

TEST_F(ValuesFlow, ASaveThatFailsKeepsTheStoredRecord) {
    store::SaveRecord(gcnUser, recordOf("Acme", "3"), 2010);
    if (gcnUser->isServer())
        ExecCmdInDB(gcnUser, "CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $f$ BEGIN "
                             "RAISE EXCEPTION 'disk full'; END $f$; CREATE TRIGGER refuse BEFORE INSERT ON MyValues "
                             "FOR EACH ROW EXECUTE FUNCTION refuse()");
    else
        ExecCmdInDB(gcnUser, "CREATE TRIGGER refuse BEFORE INSERT ON MyValues BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    values::PlainRecord r(recordOf("Acme", "9"));
    r.SetChanged(true);
    EXPECT_THROW(values::Save(r, gcnUser, true), DbError);
    EXPECT_TRUE(r.Changed());
    EXPECT_EQ(storedRows(), 1);
    EXPECT_EQ(storedCash(), 3);
}

TEST_F(ValuesFlow, DeleteAsksThenRemovesTheRecordAndStartsANewOne) {
    store::SaveRecord(gcnUser, recordOf("Acme", "3"), 2010);
    store::SaveRecord(gcnUser, recordOf("Acme", "4"), 2009);
    values::PlainRecord r(recordOf("ACME", "3"));
    fakes.messages->answer(MsgAnswer::No);
    values::Delete(r, gcnUser, 0);
    EXPECT_EQ(storedRows(), 2);
    EXPECT_EQ(r.Record()[Field::Cash], "3");
    values::Delete(r, gcnUser, 0);
    EXPECT_EQ(fakes.messages->last().text, Txt(978));
    EXPECT_EQ(fakes.messages->shown.size(), 2u) << "no confirmation afterwards";
    EXPECT_EQ(storedRows(), 1);
    EXPECT_EQ(GetRS(gcnUser, "select [Year] from MyValues", "read")->Fields(0).toInt(), 2009);
    EXPECT_EQ(r.Record()[Field::Cash], "0");
    EXPECT_EQ(r.Record()[Field::FirmName], Txt(544));
}

TEST_F(ValuesFlow, OpeningAsksToSaveFirstAndSaysWhenNothingIsStored) {
    values::PlainRecord r(recordOf("Acme", "3"));
    r.SetChanged(true);
    fakes.messages->answer(MsgAnswer::Cancel);
    values::OpenExisting(r, gcnUser);
    EXPECT_EQ(fakes.messages->last().text, store::SaveChangesBeforeOpenQuestion("Acme", 0));
    EXPECT_EQ(nav->listsShown, 0) << "Cancel stays";

    fakes.messages->answer(MsgAnswer::No);
    values::OpenExisting(r, gcnUser);
    EXPECT_EQ(nav->listsShown, 1);
    EXPECT_EQ(fakes.messages->last().text, Txt(980)) << "nothing stored";
    EXPECT_FALSE(gblnKeepValues);

    nav->listHasRecords = true;
    fakes.messages->answer(MsgAnswer::Yes);
    values::OpenExisting(r, gcnUser);
    EXPECT_EQ(storedRows(), 1) << "Yes saved first";
    EXPECT_EQ(nav->listsShown, 2);
    EXPECT_FALSE(gblnKeepValues) << "nothing is kept for a list that may be closed unused";
}

TEST_F(ValuesFlow, AStatementSavedUnderAnotherIndustryAsksWhichToCompareWith) {
    ASSERT_TRUE(subSetDataTable("optVol3"));
    auto codes = GetRS(gcnIndustry, "select NAICS from " + gstrDataTable + " order by NAICS", "read");
    ASSERT_GE(codes->RecordCount(), 2);
    const std::string chosen = codes->Rows()[0][0].toString(), saved = codes->Rows()[1][0].toString();
    RecordTexts r = recordOf("Acme", "5");
    r[Field::NAICS] = saved;
    store::SaveRecord(gcnUser, r, 2010);
    r[Field::NAICS] = "9999";  // no industry of the data set
    r[Field::FirmName] = "Gone";
    store::SaveRecord(gcnUser, r, 2010);
    auto choose = [&] {
        CurrentChoice().industry = {chosen, "", ""};
        RefreshChoiceLanguage();
    };

    struct Case {
        MsgAnswer answer;
        bool opened;
        std::string compareWith;
    } cases[] = {{MsgAnswer::Yes, true, saved}, {MsgAnswer::No, true, chosen}, {MsgAnswer::Cancel, false, chosen}};
    for (const Case& c : cases) {
        choose();
        nav->stored.clear();
        fakes.messages->answer(c.answer);
        EXPECT_EQ(values::OpenStored(gcnUser, "ACME", 2010), c.opened);
        const std::string question = fakes.messages->last().text;
        EXPECT_NE(question.find(IndustryCaption(gcnIndustry, saved, 0)), std::string::npos) << question;
        EXPECT_NE(question.find(IndustryCaption(gcnIndustry, chosen, 0)), std::string::npos) << question;
        EXPECT_EQ(fakes.messages->last().buttons, MsgButtons::YesNoCancel);
        EXPECT_EQ(nav->stored.size(), c.opened ? 1u : 0u);
        EXPECT_EQ(CurrentChoice().industry.naics, c.compareWith);
        EXPECT_FALSE(CurrentChoice().industry.title.empty());
    }

    // An industry the data set has no figures for: said, and the chosen one used.
    choose();
    const size_t before = fakes.messages->shown.size();
    EXPECT_TRUE(values::OpenStored(gcnUser, "Gone", 2010));
    ASSERT_EQ(fakes.messages->shown.size(), before + 1);
    EXPECT_EQ(fakes.messages->last().buttons, MsgButtons::OK);
    EXPECT_NE(fakes.messages->last().text.find("9999"), std::string::npos);
    EXPECT_EQ(CurrentChoice().industry.naics, chosen);

    // Saved under the industry chosen now: no question.
    r[Field::NAICS] = chosen;
    r[Field::FirmName] = "Same";
    store::SaveRecord(gcnUser, r, 2010);
    EXPECT_TRUE(values::OpenStored(gcnUser, "Same", 2010));
    EXPECT_EQ(fakes.messages->shown.size(), before + 1);
}

TEST_F(ValuesFlow, TheComparisonChecksTheRecordFirst) {
    const std::string yearMessage = Txt(986) + "2008" + Txt(988) + "2010";
    const struct { const char* year; const char* name; const char* cash; const char* payable; std::string message; } cases[] = {
        {"2011", "Acme", "100", "100", yearMessage},
        {"201", "Acme", "100", "100", yearMessage},
        {"2009", "Acme", "100", "90", Txt(550)},
        {"2009", "", "100", "100", Txt(552)},
        {"2009", "Acme", "0", "0", Txt(560)}};
    for (const auto& c : cases) {
        RecordTexts record = recordOf(c.name, c.cash, c.year);
        record[Field::AccountsPayable] = c.payable;
        subCalculateSubTotals(record);
        values::PlainRecord r(record);
        EXPECT_FALSE(values::Compare(r)) << c.year << " " << c.name << " " << c.payable;
        EXPECT_EQ(fakes.messages->last().text, c.message) << c.year << " " << c.name << " " << c.payable;
        EXPECT_EQ(fakes.messages->last().buttons, MsgButtons::OK);
    }
    EXPECT_TRUE(nav->reports.empty());
}

// A comparison or a trend is no save, and the values screen's one-shot flag
// lives exactly as long as the report it was set for.
TEST_F(ValuesFlow, AReportKeepsTheRecordUnsavedAndLeavesNoFlagBehind) {
    ASSERT_TRUE(subSetDataTable("optVol3"));
    auto codes = GetRS(gcnIndustry, "select NAICS from " + gstrDataTable + " order by NAICS", "read");
    CurrentChoice().industry = {codes->Rows()[0][0].toString(), "", ""};
    RefreshChoiceLanguage();
    RecordTexts record = recordOf("Acme", "100");
    record[Field::ShareC] = "100";
    subCalculateSubTotals(record);

    values::PlainRecord refused(recordOf("Acme", "100", "2011"));
    refused.SetChanged(true);
    EXPECT_FALSE(values::Compare(refused));
    EXPECT_FALSE(gblnKeepValues) << "a refused check sets nothing";

    for (bool trend : {false, true}) {
        values::PlainRecord r(record);
        r.SetChanged(true);
        EXPECT_TRUE(trend ? values::Trend(r) : values::Compare(r));
        EXPECT_TRUE(r.Changed()) << (trend ? "trend" : "comparison") << ": the statement is still unsaved";
        EXPECT_FALSE(gblnKeepValues);
    }
    EXPECT_EQ(nav->reports, (std::vector<std::string>{"com", "tre"}));
    EXPECT_EQ(nav->keptDuringReport, (std::vector<bool>{true, true}));
}

} // namespace
