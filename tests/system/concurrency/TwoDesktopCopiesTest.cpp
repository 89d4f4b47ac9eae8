// Two copies of the desktop program on one user store, each saving,
// deleting and reopening the list of saved statements through the values
// screen's own flows while the other does the same, and while a third
// program reads the store: nothing saved is lost, nothing deleted comes
// back, and each copy sees the other's saves when it reopens the list.
//
// Each copy logs what it has committed ("saved NAME" / "deleted NAME") to a
// file of its own; a name whose round leaves 1 when divided by 3 is deleted
// in the next round, the others are kept. When a copy reopens the list it
// first reads the other's log: every kept name logged by then must be in the
// list, every deleted one absent. ctest runs a short version;
// ZORVA_DESKTOP_ROUNDS gives more rounds.

#include "support/AppFixture.h"
#include "support/PgServer.h"

#include "core/AppPath.h"
#include "core/Globals.h"
#include "core/modMain.h"
#include "enterprise/RecordStore.h"
#include "enterprise/ValuesFlow.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

using namespace zorva;
using namespace zorva::test;

namespace {

struct Logged {
    std::set<std::string> kept, deleted;
};

Logged readLog(const std::string& path) {
    Logged l;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("saved ", 0) == 0) l.kept.insert(line.substr(6));
        if (line.rfind("deleted ", 0) == 0) l.deleted.insert(line.substr(8));
    }
    for (const auto& d : l.deleted) l.kept.erase(d);
    // A name saved and not deleted yet may still be deleted: only the kept kind is sure.
    for (auto it = l.kept.begin(); it != l.kept.end();) {
        const int round = std::stoi(it->substr(it->rfind(' ') + 1));
        it = round % 3 == 1 ? l.kept.erase(it) : std::next(it);
    }
    return l;
}

RecordTexts statement(const std::string& name, int cash) {
    RecordTexts r;
    InitializeValues(r, 0);
    r[Field::FirmName] = name;
    r[Field::Year] = "2009";
    r[Field::Cash] = std::to_string(cash);
    r[Field::ShareC] = std::to_string(cash);
    subCalculateSubTotals(r);
    return r;
}

} // namespace

TEST(TwoDesktopCopies, SavesAndDeletesOfEachAreSeenByTheOtherAndNothingComesBack) {
    const std::string app = CopyAppFolder();
    const std::string server = ServerBackend() ? NewServerStore() : std::string();
    const int rounds = EnvNumber("ZORVA_DESKTOP_ROUNDS", 12);
    QProcess copies[2];
    for (int k = 0; k < 2; ++k) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ZORVA_DESKTOP_APP", QString::fromStdString(app));
        env.insert("ZORVA_DESKTOP_STORE", QString::fromStdString(server));
        env.insert("ZORVA_DESKTOP_WHO", k == 0 ? "A" : "B");
        env.insert("ZORVA_DESKTOP_ROUNDS", QString::number(rounds));
        copies[k].setProcessEnvironment(env);
        copies[k].start(QCoreApplication::applicationFilePath(),
                        {"--gtest_also_run_disabled_tests", "--gtest_filter=TwoDesktopCopies.DISABLED_OneCopy"});
    }
    // The third program reads the store again and again while they work.
    int reads = 0;
    while (copies[0].state() != QProcess::NotRunning || copies[1].state() != QProcess::NotRunning) {
        QProcess reader;
        if (server.empty())
            reader.start("sqlite3", {"-cmd", ".timeout 30000", QString::fromStdString(app + "/myData.mdb"),
                                    "select count(*) from MyValues"});
        else
            reader.start(QString::fromStdString(BuiltAppDir() + "/zorva-cli"),
                         {"--app-dir", QString::fromStdString(app), "--user-store", QString::fromStdString(server),
                          "list"});
        reader.waitForFinished(60000);
        EXPECT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
        ++reads;
        for (auto& c : copies) c.waitForFinished(25);  // QProcess learns of an exit only when asked
    }
    for (auto& c : copies) {
        c.waitForFinished(300000);
        EXPECT_EQ(c.exitCode(), 0) << c.readAllStandardOutput().toStdString() << c.readAllStandardError().toStdString();
    }
    EXPECT_GT(reads, 0);

    // After both: every kept save is there, no deleted one.
    SetAppPath(app);
    SetUserStorePath(server);
    Fakes fakes = InstallFakes();
    OpenDataStores();
    std::set<std::string> listed;
    auto rs = store::ListFirms(gcnUser, 0);
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) listed.insert(rs->Fields(0).toString());
    for (const char* who : {"A", "B"}) {
        const Logged l = readLog(app + "/" + who + ".log");
        EXPECT_EQ(l.kept.size(), static_cast<size_t>(rounds - (rounds + 1) / 3)) << who;
        for (const auto& n : l.kept) EXPECT_TRUE(listed.count(n)) << n << " lost";
        for (const auto& n : l.deleted) EXPECT_FALSE(listed.count(n)) << n << " came back";
    }
    DisconnectFromDB(gcnUser);
    DisconnectFromDB(gcnIndustry);
    SetUserStorePath("");
}

// One desktop copy of the test above, as a process of its own.
TEST(TwoDesktopCopies, DISABLED_OneCopy) {
    const char* app = std::getenv("ZORVA_DESKTOP_APP");
    const char* server = std::getenv("ZORVA_DESKTOP_STORE");
    const char* who = std::getenv("ZORVA_DESKTOP_WHO");
    ASSERT_TRUE(app && server && who);
    const int rounds = EnvNumber("ZORVA_DESKTOP_ROUNDS", 12);
    const std::string other = std::string(app) + "/" + (who[0] == 'A' ? "B" : "A") + ".log";
    std::ofstream log(std::string(app) + "/" + who + ".log", std::ios::app);
    Fakes fakes = InstallFakes();
    SetAppPath(app);
    SetUserStorePath(server);
    OpenDataStores();
    for (int round = 0; round < rounds; ++round) {
        // Save a new statement; with the replace question answered OK.
        const std::string name = std::string("Copy ") + who + " " + std::to_string(round);
        values::PlainRecord record(statement(name, 100 + round), 0);
        ASSERT_TRUE(values::IsSaved(values::Save(record, gcnUser, false))) << name;
        log << "saved " << name << std::endl;
        // Delete the one of the round before when its round leaves 1.
        if (round % 3 == 2) {
            const std::string old = std::string("Copy ") + who + " " + std::to_string(round - 1);
            values::PlainRecord gone(statement(old, 0), 0);
            fakes.messages->answer(MsgAnswer::Yes);
            values::Delete(gone, gcnUser, 0);
            log << "deleted " << old << std::endl;
        }
        // Reopen the list: the other's committed work is there.
        const Logged seen = readLog(other);
        std::set<std::string> listed;
        auto rs = store::ListFirms(gcnUser, 0);
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) listed.insert(rs->Fields(0).toString());
        for (const auto& n : seen.kept) EXPECT_TRUE(listed.count(n)) << who << " round " << round << ": " << n;
        for (const auto& n : seen.deleted) EXPECT_FALSE(listed.count(n)) << who << " round " << round << ": " << n;
        // Reopen a statement of the other's, as the list's Open does.
        if (!seen.kept.empty()) EXPECT_TRUE(store::LoadRecord(gcnUser, *seen.kept.begin(), 2009));
    }
    // A last round after the other has finished cannot be waited for here:
    // the test above checks the end state.
}
