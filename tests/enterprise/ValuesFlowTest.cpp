// The values screen's flows on a plain record: saving with its replace
// question, the year and name checks, deleting, opening the list, and the
// comparison's checks, with the questions answered from a script and the
// screens replaced by a navigator that records what it was asked.

#include "support/AppFixture.h"

#include "core/AppPath.h"
#include "core/Globals.h"
#include "core/Navigator.h"
#include "core/Strings.h"
#include "enterprise/RecordStore.h"
#include "enterprise/ValuesFlow.h"
#include "reports/render/ReportViewerLogic.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace zorva;
using namespace zorva::test;

namespace {

class RecordingNavigator : public Navigator {
public:
    bool listHasRecords = false;
    int listsShown = 0;
    std::vector<std::string> reports;  // captions of the reports shown
    bool ShowOpenExisting() override {
        ++listsShown;
        return listHasRecords;
    }
    void ShowReport(const report::PreparedReport& report) override { reports.push_back(report.caption); }
};

class ValuesFlow : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        ExecCmdInDB(gcnUser, "delete * from MyValues");
        SetNavigator(nav);
    }
    void TearDown() override {
        SetNavigator(nullptr);
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
    // Names match without regard to letter case, in any alphabet; accents count.
    const struct { const char* first; const char* second; bool same; } cases[] = {
        {"O'Hara", "O'Hara", true}, {"Acme", "ACME", true}, {"ÉCOLE", "école", true}, {"école", "ecole", false}};
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
    EXPECT_TRUE(gblnKeepValues) << "the screen keeps its record behind the list";
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

} // namespace
