// A program killed while it saves loses nothing that was saved before: a copy
// of this test program saves enterprises in a loop (each new one, then once
// more an earlier one, which replaces its row by delete and insert) and is
// killed with SIGKILL at a random moment. Afterwards the stores open as at
// start-up, every record whose save had returned is there with all 32 amounts
// as saved, the one being saved is either whole or absent, and SQLite finds
// the file intact. On the office's server (ZORVA_TEST_USER_STORE=postgresql)
// the same, the server rolling back the transaction of the killed connection.
//
// ctest kills it 10 times; ZORVA_KILLED_SAVES=200 (make killed-saves) more.

#include "support/AppFixture.h"
#include "support/PgServer.h"

#include "core/AppPath.h"
#include "core/DBTools.h"
#include "core/Globals.h"
#include "core/modMain.h"
#include "enterprise/EnterpriseRecord.h"
#include "enterprise/RecordStore.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>

using namespace zorva;
using namespace zorva::test;

namespace {

// The record of number i: its name, year and amounts follow from i alone, so
// the checking side knows what each saved row must hold.
std::string NameOf(long i) { return "L'Étoile n° " + std::to_string(i); }
std::int16_t YearOf(long i) { return static_cast<std::int16_t>(2008 + i % 3); }
RecordTexts RecordOf(long i) {
    RecordTexts r;
    r[Field::FirmName] = NameOf(i);
    r[Field::Year] = std::to_string(YearOf(i));
    int j = 0;
    for (Field f : ValueFields()) {
        std::int64_t v = ((i + 1) * 1000003LL + ++j * 7919LL) % 1000000000LL;
        if (j % 3 == 0) v = -v;
        if (j % 7 == 0) v = 0;
        r[f] = FormatTenThousandths(v);
    }
    return r;
}

int EnvInt(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

// The saving side, run in a copy of this program by the test below.
TEST(KilledSavesChild, SaveInALoop) {
    const char* dir = std::getenv("ZORVA_KILLED_SAVES_DIR");
    if (!dir) GTEST_SKIP() << "run by KilledSaves.EverySavedRecordSurvives";
    ResetGlobals();
    SetAppPath(dir);
    OpenDataStores();
    std::printf("ready\n");
    std::fflush(stdout);
    const long from = EnvInt("ZORVA_KILLED_SAVES_FROM", 0);
    for (long i = from; i < from + 100000; ++i) {
        store::SaveRecord(gcnUser, RecordOf(i), YearOf(i));
        if (i > 0) store::SaveRecord(gcnUser, RecordOf(i / 2), YearOf(i / 2));
        std::printf("saved %ld\n", i);
        std::fflush(stdout);
    }
}

std::string IntegrityCheck(const std::string& file) {
    sqlite3* db = nullptr;
    std::string result;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "pragma integrity_check", -1, &st, nullptr) == SQLITE_OK) {
            while (sqlite3_step(st) == SQLITE_ROW)
                result += reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            sqlite3_finalize(st);
        }
    }
    sqlite3_close(db);
    return result;
}

TEST(KilledSaves, EverySavedRecordSurvives) {
    const int kills = EnvInt("ZORVA_KILLED_SAVES", 10);
    InstallFakes();
    const std::string dir = CopyAppFolder();
    const std::string server = ServerBackend() ? NewServerStore() : std::string();
    std::mt19937 random(std::random_device{}());
    std::set<long> saved;  // saves that returned before a kill
    long next = 0;         // first record of the next copy
    long checked = 0;
    for (int round = 0; round < kills; ++round) {
        SCOPED_TRACE("kill " + std::to_string(round + 1));
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ZORVA_KILLED_SAVES_DIR", QString::fromStdString(dir));
        env.insert("ZORVA_KILLED_SAVES_FROM", QString::number(next));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        if (!server.empty()) env.insert("ZORVA_USER_STORE", QString::fromStdString(server));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=KilledSavesChild.SaveInALoop"});
        ASSERT_TRUE(child.waitForStarted(10000));
        // Wait until the copy has opened the stores, then let it save for a
        // random while (sometimes not at all) and kill it.
        QByteArray out;
        while (!out.contains("ready\n") && child.state() == QProcess::Running) {
            child.waitForReadyRead(100);
            out += child.readAllStandardOutput();
        }
        ASSERT_TRUE(out.contains("ready\n")) << out.toStdString() << child.readAllStandardError().toStdString();
        QThread::usleep(std::uniform_int_distribution<int>(0, 60000)(random));
        child.kill();
        ASSERT_TRUE(child.waitForFinished(10000));
        EXPECT_EQ(child.exitStatus(), QProcess::CrashExit) << "the copy ended by itself: "
                                                           << child.readAllStandardError().toStdString();
        out += child.readAllStandardOutput();
        long last = next - 1;
        for (const QByteArray& line : out.split('\n'))
            if (line.startsWith("saved ")) {
                last = line.mid(6).toLong();
                saved.insert(last);
                saved.insert(last / 2);
            }
        const long inFlight = last + 1;
        next = inFlight + 1;

        // The program starts cleanly on the store the copy was killed over.
        ResetGlobals();
        SetAppPath(dir);
        SetUserStorePath(server);
        ASSERT_NO_THROW(OpenDataStores());
        for (long i : saved) {
            auto record = store::LoadRecord(gcnUser, NameOf(i), YearOf(i));
            ASSERT_TRUE(record.has_value()) << NameOf(i) << " " << YearOf(i) << " was saved and is gone";
            const RecordTexts expected = RecordOf(i);
            for (Field f : ValueFields()) ASSERT_EQ((*record)[f], expected[f]) << NameOf(i) << " " << ColumnName(f);
            ++checked;
        }
        // The records being saved when the copy died: whole or not there.
        for (long i : {inFlight, inFlight / 2}) {
            if (saved.count(i)) continue;
            if (auto record = store::LoadRecord(gcnUser, NameOf(i), YearOf(i))) {
                const RecordTexts expected = RecordOf(i);
                for (Field f : ValueFields()) ASSERT_EQ((*record)[f], expected[f]) << NameOf(i);
                saved.insert(i);
            }
        }
        const long rows = GetRS(gcnUser, "select FirmName from MyValues", "read")->RecordCount();
        EXPECT_EQ(rows, static_cast<long>(saved.size()));
        ResetGlobals();
        if (server.empty()) ASSERT_EQ(IntegrityCheck(dir + "/" + kUserStore), "ok");
    }
    std::printf("%d kills survived, %zu records saved, %ld record checks of 32 amounts\n", kills, saved.size(),
                checked);
    EXPECT_GT(saved.size(), 0u);
}

} // namespace
