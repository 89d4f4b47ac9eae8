// The values screen's flows on a plain record: saving with its replace
// question, the year and name checks, deleting, opening the list, and the
// comparison's checks, with the questions answered from a script and the
// screens replaced by a navigator that records what it was asked.

#include "support/AppFixture.h"
#include "support/PgServer.h"

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

#include <libpq-fe.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <optional>

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

// Two advisers save the same enterprise and year on the office's server at
// the same moment (a third session holds their writes back until both have
// begun): the second waits for the record's lock and is then told that the
// record changed meanwhile, or, replacing as an import does, replaces the
// first's row. Never a lost update, never a second row.
TEST_F(ValuesFlow, TwoSavesOfOneRecordAtTheSameMomentNeitherLoseAnUpdateNorAddARow) {
    if (!gcnUser->isServer()) GTEST_SKIP() << "a file store's writers already take turns by its write lock";
    ConnectionHandle other;
    ConnectToFile(other, UserStorePath(), "unknown");
    ConnectionHandle* sessions[2] = {&gcnUser, &other};
    const RecordTexts records[2] = {recordOf("Acme", "3"), recordOf("ACME", "7")};
    auto waiting = [&] { return PgSql(UserStorePath(), "select count(*) from pg_stat_activity where wait_event_type = "
                                                       "'Lock' and datname = current_database()"); };
    for (bool ifUnchanged : {true, false}) {
        SCOPED_TRACE(ifUnchanged ? "saving over the version seen" : "replacing");
        ExecCmdInDB(gcnUser, "delete * from MyValues");
        std::unique_ptr<PGconn, decltype(&PQfinish)> holder(PQconnectdb(UserStorePath().c_str()), &PQfinish);
        ASSERT_EQ(PQstatus(holder.get()), CONNECTION_OK);
        PQclear(PQexec(holder.get(), "BEGIN; LOCK TABLE myvalues IN EXCLUSIVE MODE"));
        store::StoredVersion seen[2];
        for (int k = 0; k < 2; ++k) seen[k] = store::CurrentVersion(*sessions[k], "Acme", 2010);
        bool saved[2] = {false, false};
        std::string errors[2];
        std::vector<std::thread> savers;
        for (int k = 0; k < 2; ++k)
            savers.emplace_back([&, k] {
                try {
                    if (ifUnchanged) {
                        saved[k] = store::SaveRecordIfUnchanged(*sessions[k], records[k], 2010, seen[k]);
                    } else {
                        store::SaveRecord(*sessions[k], records[k], 2010);
                        saved[k] = true;
                    }
                } catch (const std::exception& e) {
                    errors[k] = e.what();
                }
            });
        const auto start = std::chrono::steady_clock::now();
        while (waiting() != "2" && std::chrono::steady_clock::now() - start < std::chrono::seconds(5))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(waiting(), "2") << "both saves were held back";
        PQclear(PQexec(holder.get(), "ROLLBACK"));
        for (auto& t : savers) t.join();
        EXPECT_EQ(errors[0] + errors[1], "");
        EXPECT_EQ(storedRows(), 1);
        if (ifUnchanged) {
            ASSERT_NE(saved[0], saved[1]) << "exactly one save is made, the other is told the record changed";
            EXPECT_EQ(storedCash(), saved[0] ? 3 : 7);
        } else {
            EXPECT_TRUE(saved[0] && saved[1]);
        }
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

TEST_F(ValuesFlow, AStatementSavedUnderAnotherIndustryAsksWhichToCompareWithTheChosenOneByDefault) {
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

    // The default answer (the box's default button, Enter) keeps the industry
    // just chosen on the search screen.
    struct Case {
        std::optional<MsgAnswer> answer;  // none: the default button
        bool opened;
        std::string compareWith;
    } cases[] = {{std::nullopt, true, chosen},
                 {MsgAnswer::Yes, true, chosen},
                 {MsgAnswer::No, true, saved},
                 {MsgAnswer::Cancel, false, chosen}};
    for (const Case& c : cases) {
        choose();
        nav->stored.clear();
        if (c.answer) fakes.messages->answer(*c.answer);
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

// A row an older version saved for a year the program does not compare opens
// with its values and the message; it can be deleted; saving it asks for a
// year first.
TEST_F(ValuesFlow, AStoredRowOfAYearNotComparedOpensAndCanBeDeleted) {
    ExecCmdInDB(gcnUser, "insert into MyValues (FirmName, [Year], Cash) values (?, ?, ?)",
                {Variant("Old"), Variant(std::int64_t{2007}), Variant(55.0)});
    EXPECT_TRUE(values::OpenStored(gcnUser, "Old", 2007));
    ASSERT_EQ(nav->stored.size(), 1u);
    EXPECT_EQ(nav->stored[0][Field::Cash], "55");
    EXPECT_EQ(nav->stored[0][Field::Year], "2007");
    EXPECT_EQ(fakes.messages->last().text, StoredYearMessage(2007, 0));

    values::PlainRecord r(nav->stored[0], 0);
    EXPECT_EQ(values::Save(r, gcnUser, true), values::SaveResult::Refused) << "the year must be changed first";
    fakes.messages->answer(MsgAnswer::Yes);
    values::Delete(r, gcnUser, 0);
    EXPECT_EQ(storedRows(), 0);
}

TEST_F(ValuesFlow, TheComparisonChecksTheRecordFirst) {
    const std::string yearMessage = Txt(986) + "2008" + Txt(988) + "2010";
    const struct { const char* year; const char* name; const char* cash; const char* payable; std::string message; } cases[] = {
        {"20110", "Acme", "100", "100", yearMessage},
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

// A statement of a year the edition does not cover: the question names the
// edition's years and offers the nearest of them; Yes compares the statement
// under that year with every amount kept, No compares nothing.
TEST_F(ValuesFlow, AStatementOutsideTheEditionIsOfferedAYearOfIt) {
    ASSERT_TRUE(subSetDataTable("optVol3"));
    auto codes = GetRS(gcnIndustry, "select NAICS from " + gstrDataTable + " order by NAICS", "read");
    CurrentChoice().industry = {codes->Rows()[0][0].toString(), "", ""};
    const struct { const char* year; MsgAnswer answer; const char* offered; bool compared; } cases[] = {
        {"2019", MsgAnswer::Yes, "2010", true},
        {"2004", MsgAnswer::Yes, "2008", true},
        {"2011", MsgAnswer::No, "2010", false},
    };
    for (const auto& c : cases) {
        for (int language : {0, 1}) {
            gintLanguage = static_cast<std::int16_t>(language);
            RecordTexts record = recordOf("Acme", "123.45", c.year);
            record[Field::ShareC] = "123.45";
            subCalculateSubTotals(record);
            values::PlainRecord r(record);
            const size_t reports = nav->reports.size();
            fakes.messages->answer(c.answer);
            EXPECT_EQ(values::Compare(r), c.compared) << c.year;
            const ShownMessage& asked = fakes.messages->last();
            EXPECT_EQ(asked.buttons, MsgButtons::YesNo);
            for (const char* y : {c.year, "2010", "2009", "2008", c.offered})
                EXPECT_NE(asked.text.find(y), std::string::npos) << c.year << " " << language << ": " << asked.text;
            EXPECT_EQ(asked.text, values::EditionYearQuestion(static_cast<std::int16_t>(std::stoi(c.year)), language));
            EXPECT_EQ(nav->reports.size(), reports + (c.compared ? 1 : 0)) << c.year;
            EXPECT_EQ(r.Record()[Field::Year], c.compared ? c.offered : c.year) << c.year;
            EXPECT_EQ(r.Record()[Field::Cash], "123.45") << "the amounts are kept";
            EXPECT_EQ(r.Changed(), c.compared) << c.year;
        }
    }
    gintLanguage = 0;
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

    values::PlainRecord refused(recordOf("Acme", "100", "201"));
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
