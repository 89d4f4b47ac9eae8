// Two copies of the program on one user store at the same moment: two real
// processes started together, each doing its own work. Every row and report
// must be what the same work gives alone, without an error, and the store
// must pass SQLite's integrity check afterwards.
//
// ctest runs one round; `make two-copies` runs five (ZORVA_TWO_COPIES_ROUNDS).
// With ZORVA_TEST_USER_STORE=postgresql (ctest's "pg." tests) the copies share
// a store on the test PostgreSQL server instead of the folder's file.

#include "support/AppFixture.h"
#include "support/PgServer.h"

#include "core/AppPath.h"
#include "core/Globals.h"
#include "core/modMain.h"
#include "enterprise/EnterpriseRecord.h"
#include "reports/render/ReportViewerLogic.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace zorva;
using namespace zorva::test;

namespace {

int Rounds() { return EnvNumber("ZORVA_TWO_COPIES_ROUNDS", 1); }

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// `count` balanced enterprises, different for each copy.
std::string writeEnterprises(const std::string& dir, char who, int count) {
    const std::string path = dir + "/" + who + ".csv";
    std::ofstream out(path, std::ios::binary);
    out << "FirmName,Year,Cash,Ar,AccountsPayable,ShareC,OperatingRevenue,ProfitAfterTax\n";
    unsigned seed = static_cast<unsigned>(who) * 7919u;
    auto next = [&seed](int range) { seed = seed * 1103515245u + 12345u; return static_cast<int>((seed >> 8) % range); };
    for (int i = 0; i < count; ++i) {
        const int cash = 1000 + next(90000), ar = 1000 + next(90000);
        const int payable = 100 + next(cash + ar - 200);
        out << who << " firm " << i << "," << 2008 + next(3) << "," << cash << "," << ar << "," << payable << ","
            << cash + ar - payable << "," << 10000 + next(900000) << "," << next(60000) - 5000 << "\n";
    }
    return path;
}

struct Process {
    std::unique_ptr<QProcess> p = std::make_unique<QProcess>();
    int code = -1;
    std::string out, err;
    void start(const QString& program, const QStringList& args, const QProcessEnvironment& env = {}) {
        if (!env.isEmpty()) p->setProcessEnvironment(env);
        p->start(program, args);
    }
    void finish() {
        if (!p->waitForFinished(300000)) {
            p->kill();
            p->waitForFinished();
        }
        code = p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
        out = p->readAllStandardOutput().toStdString();
        err = p->readAllStandardError().toStdString();
    }
};

std::string integrityOf(const std::string& store) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(store.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            result = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return result;
}

std::string journalModeOf(const std::string& store) {
    sqlite3* db = nullptr;
    std::string mode;
    if (sqlite3_open_v2(store.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            mode = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return mode;
}

QString cli() { return QString::fromStdString(BuiltAppDir() + "/zorva-cli"); }

// The user store of the copies: the folder's file, or a store on the server.
std::string& serverStore() {
    static std::string address;
    return address;
}
QStringList storeArgs(const std::string& app) {
    QStringList a{"--app-dir", QString::fromStdString(app)};
    if (!serverStore().empty()) a << "--user-store" << QString::fromStdString(serverStore());
    return a;
}

QStringList compareArgs(const std::string& app, const std::string& csv) {
    return storeArgs(app) + QStringList{"compare", "--dataset", "optVol3", "--naics", "721", "--values",
                                        QString::fromStdString(csv)};
}

// The store's own check: SQLite's integrity check of the file; the server
// keeps its files whole itself.
std::string storeIntegrity(const std::string& app) {
    return serverStore().empty() ? integrityOf(app + "/myData.mdb") : std::string("ok");
}

// This test program run as one copy preparing reports (the test below).
Process startPreparer(const std::string& app, char who, const std::string& out) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ZORVA_TWO_COPIES_APP", QString::fromStdString(app));
    env.insert("ZORVA_TWO_COPIES_WHO", QString(QChar(who)));
    env.insert("ZORVA_TWO_COPIES_OUT", QString::fromStdString(out));
    if (!serverStore().empty()) env.insert("ZORVA_USER_STORE", QString::fromStdString(serverStore()));
    Process p;
    p.start(QCoreApplication::applicationFilePath(),
            {"--gtest_also_run_disabled_tests", "--gtest_filter=TwoCopies.DISABLED_OneCopyPreparesReports"}, env);
    return p;
}

} // namespace

TEST(TwoCopies, ComparisonsAtTheSameMomentGiveTheRowsComputedAlone) {
    const std::string app = CopyAppFolder();
    serverStore() = ServerBackend() ? NewServerStore() : std::string();
    if (!ServerBackend()) EXPECT_EQ(journalModeOf(app + "/myData.mdb"), "wal");
    const int count = EnvNumber("ZORVA_TWO_COPIES_COUNT", 150);
    const std::string csv[2] = {writeEnterprises(app, 'a', count), writeEnterprises(app, 'b', count)};

    std::string alone[2];
    for (int k = 0; k < 2; ++k) {
        Process p;
        p.start(cli(), compareArgs(app, csv[k]));
        p.finish();
        ASSERT_EQ(p.code, 0) << p.err;
        ASSERT_EQ(std::count(p.out.begin(), p.out.end(), '\n'), count);
        ASSERT_EQ(p.out.find("\"error\""), std::string::npos) << p.out.substr(0, 400);
        alone[k] = p.out;
    }
    for (int round = 0; round < Rounds(); ++round) {
        Process both[2];
        for (int k = 0; k < 2; ++k) both[k].start(cli(), compareArgs(app, csv[k]));
        for (auto& p : both) p.finish();
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(both[k].code, 0) << "round " << round << ": " << both[k].err;
            EXPECT_EQ(both[k].err, "") << "round " << round;
            EXPECT_TRUE(both[k].out == alone[k]) << "round " << round << ", copy " << k
                                                 << ": rows differ from the rows computed alone";
        }
        EXPECT_EQ(storeIntegrity(app), "ok") << "round " << round;
    }
}

TEST(TwoCopies, ReportPreparationsAtTheSameMomentGiveTheReportsPreparedAlone) {
    const std::string app = CopyAppFolder();
    serverStore() = ServerBackend() ? NewServerStore() : std::string();
    std::string alone[2];
    for (int k = 0; k < 2; ++k) {
        const std::string out = app + "/alone" + std::to_string(k) + ".txt";
        Process p = startPreparer(app, "ab"[k], out);
        p.finish();
        ASSERT_EQ(p.code, 0) << p.out << p.err;
        alone[k] = readAll(out);
        ASSERT_NE(alone[k].find("<"), std::string::npos) << "no report was prepared";
    }
    for (int round = 0; round < Rounds(); ++round) {
        Process both[2];
        std::string out[2];
        for (int k = 0; k < 2; ++k) {
            out[k] = app + "/round" + std::to_string(round) + "-" + std::to_string(k) + ".txt";
            both[k] = startPreparer(app, "ab"[k], out[k]);
        }
        for (auto& p : both) p.finish();
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(both[k].code, 0) << "round " << round << ": " << both[k].out << both[k].err;
            EXPECT_TRUE(readAll(out[k]) == alone[k]) << "round " << round << ", copy " << k
                                                     << ": reports differ from those prepared alone";
        }
        EXPECT_EQ(storeIntegrity(app), "ok") << "round " << round;
    }
}

// The waiting policy cannot starve a copy: while one connection writes
// transaction after transaction (each about as long as a report's
// preparation), another that asks for the write lock gets it after at most
// a couple of them, not when the first has finished.
TEST(TwoCopies, AWriterWaitingForTheLockGetsItWhileTheOtherKeepsWriting) {
    ZORVA_SQLITE_ONLY();
    const std::string dir = MakeTempDir("zorva-turnstile");
    const std::string store = dir + "/myData.mdb";
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2(store.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        sqlite3_exec(db,
                     "PRAGMA journal_mode = WAL; CREATE TABLE Rpt_Data_CY (NAICS TEXT, Copy INTEGER);"
                     "CREATE TABLE Source (NAICS TEXT);"
                     "WITH RECURSIVE n(v) AS (SELECT 1 UNION ALL SELECT v + 1 FROM n WHERE v < 400) "
                     "INSERT INTO Source SELECT 'x' || v FROM n",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    ConnectionHandle busy, waiting;
    ConnectToFile(busy, store, dir);
    ConnectToFile(waiting, store, dir);
    constexpr int kTransactions = 400;
    std::atomic<int> committed{0};
    std::thread writer([&] {
        for (int i = 0; i < kTransactions; ++i) {
            Transaction tx(busy);
            ExecCmdInDB(busy, "delete * from Rpt_Data_CY");
            ExecCmdInDB(busy, "insert into Rpt_Data_CY select NAICS, 1 from Source");
            tx.Commit();
            ++committed;
        }
    });
    while (committed < 10) std::this_thread::yield();
    const int before = committed;
    int passed = -1;
    {
        Transaction tx(waiting);
        passed = committed - before;
        ExecCmdInDB(waiting, "insert into Rpt_Data_CY values ('y', 2)");
        tx.Commit();
    }
    writer.join();
    EXPECT_LE(passed, 3) << "the waiting copy got the lock only after " << passed << " of the other's transactions";
}

// Two copies started at the same moment, again and again: on a store that
// does not exist yet (one makes it while the other waits for it) and on an
// existing store left in the old journal mode (one switches it to the
// write-ahead log while the other opens it). Every start succeeds.
TEST(TwoCopies, CopiesStartedTogetherAllStart) {
    const int pairs = EnvNumber("ZORVA_START_PAIRS", 50);
    const std::string app = CopyAppFolder();
    serverStore() = ServerBackend() ? NewServerStore() : std::string();
    if (ServerBackend()) {
        // The office's store exists already: every copy connects and checks it.
        int failed = 0;
        for (int pair = 0; pair < pairs && failed <= 3; ++pair) {
            Process both[2];
            for (auto& p : both) p.start(cli(), storeArgs(app) + QStringList{"datasets"});
            for (auto& p : both) {
                p.finish();
                if (p.code != 0) {
                    ++failed;
                    ADD_FAILURE() << "pair " << pair << ": " << p.err;
                }
            }
        }
        EXPECT_EQ(failed, 0);
        return;
    }
    for (const bool fresh : {true, false}) {
        const std::string dir = MakeTempDir(fresh ? "zorva-new-store" : "zorva-old-store");
        int failed = 0;
        for (int pair = 0; pair < pairs; ++pair) {
            const std::string store = dir + "/" + (fresh ? "s" + std::to_string(pair) : std::string("s")) + ".mdb";
            if (!fresh) {
                sqlite3* db = nullptr;
                if (pair == 0) {
                    Process make;
                    make.start(cli(), {"--app-dir", QString::fromStdString(app), "--user-store",
                                       QString::fromStdString(store), "datasets"});
                    make.finish();
                    ASSERT_EQ(make.code, 0) << make.err;
                }
                ASSERT_EQ(sqlite3_open_v2(store.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
                sqlite3_exec(db, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
                sqlite3_close(db);
                ASSERT_EQ(journalModeOf(store), "delete");
            }
            Process both[2];
            for (auto& p : both)
                p.start(cli(), {"--app-dir", QString::fromStdString(app), "--user-store", QString::fromStdString(store),
                                "datasets"});
            for (auto& p : both) {
                p.finish();
                if (p.code != 0) {
                    ++failed;
                    ADD_FAILURE() << (fresh ? "new" : "existing") << " store, pair " << pair << ": " << p.err;
                }
            }
            if (failed > 3) break;
        }
        EXPECT_EQ(failed, 0) << (fresh ? "new store" : "existing store");
    }
}

// A copy that starts while another holds the store's lock (here for half a
// second) waits for it instead of failing at once.
TEST(TwoCopies, ACopyStartingWhileTheStoreIsLockedWaits) {
    ZORVA_SQLITE_ONLY();
    const std::string app = CopyAppFolder();
    const std::string store = app + "/myData.mdb";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(store.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_exec(db, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
    ASSERT_EQ(sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    Process p;
    p.start(cli(), {"--app-dir", QString::fromStdString(app), "datasets"});
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    p.finish();
    EXPECT_EQ(p.code, 0) << p.err;
    EXPECT_NE(p.out.find("optVol1"), std::string::npos);
}

// A copy that finds the store being made by another copy waits for it, then
// works on the store the other made (here the test is the other copy).
TEST(TwoCopies, ACopyFindingTheStoreBeingMadeWaitsForIt) {
    ZORVA_SQLITE_ONLY();
    const std::string app = CopyAppFolder();
    const std::string store = MakeTempDir("zorva-being-made") + "/myData.mdb";
    const int turnstile = ::open((store + "-writers").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    ASSERT_EQ(::flock(turnstile, LOCK_EX), 0);
    Process p;
    p.start(cli(), {"--app-dir", QString::fromStdString(app), "--user-store", QString::fromStdString(store), "list"});
    ASSERT_TRUE(p.p->waitForStarted(10000));
    EXPECT_FALSE(p.p->waitForFinished(600)) << "it did not wait for the store being made";
    std::filesystem::copy_file(app + "/myData.mdb", store);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(store.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_exec(db, "insert into MyValues (FirmName, Year) values ('Made by the other copy', 2010)", nullptr, nullptr,
                 nullptr);
    sqlite3_close(db);
    ::close(turnstile);
    p.finish();
    EXPECT_EQ(p.code, 0) << p.err;
    EXPECT_NE(p.out.find("Made by the other copy"), std::string::npos) << p.out;
}

// One copy of the program preparing reports as the report viewer does (the
// preparation and the rendering in one transaction), one after the other:
// ratios, balance sheet and comparison reports of several industries, each
// written to the output file. Run by the test above as a separate process.
TEST(TwoCopies, DISABLED_OneCopyPreparesReports) {
    const char* app = std::getenv("ZORVA_TWO_COPIES_APP");
    const char* who = std::getenv("ZORVA_TWO_COPIES_WHO");
    const char* outPath = std::getenv("ZORVA_TWO_COPIES_OUT");
    ASSERT_TRUE(app && who && outPath);
    const int count = EnvNumber("ZORVA_TWO_COPIES_REPORTS", 45);
    Fakes fakes = InstallFakes();
    SetAppPath(app);
    OpenDataStores();

    std::vector<std::string> naics;
    auto rs = GetRS(gcnIndustry, "select NAICS from ZORVA_Vol3_ALL_2010_Final_Ratios order by NAICS", "read");
    for (rs->MoveFirst(); !rs->Eof() && naics.size() < 12; rs->MoveNext()) naics.push_back(rs->Fields(0).toString());
    ASSERT_FALSE(naics.empty());

    std::ofstream out(outPath, std::ios::binary);
    const int offset = who[0] == 'a' ? 0 : 1;
    for (int i = 0; i < count; ++i) {
        const char* type = i % 3 == 0 ? "rat" : i % 3 == 1 ? "bal" : "com";
        const std::string code = naics[static_cast<size_t>(i * 5 + offset * 7) % naics.size()];
        std::int16_t year = 2010;
        std::vector<std::string> values;
        if (std::string(type) == "com") {
            RecordTexts record;
            InitializeValues(record, 0);
            year = static_cast<std::int16_t>(2008 + (i + offset) % 3);
            record[Field::FirmName] = std::string(1, who[0]) + " firm " + std::to_string(i);
            record[Field::Year] = std::to_string(year);
            record[Field::Cash] = std::to_string(1000 + 37 * i + offset);
            record[Field::Ar] = std::to_string(5000 + 11 * i);
            record[Field::OperatingRevenue] = std::to_string(90000 + 101 * i);
            record[Field::ProfitAfterTax] = std::to_string(700 + 3 * i);
            record[Field::AccountsPayable] = std::to_string(2000 + 5 * i);
            record[Field::ShareC] = std::to_string(1000 + 37 * i + offset + 5000 + 11 * i - 2000 - 5 * i);
            ASSERT_TRUE(subCalculateSubTotals(record));
            values = BuildComparisonValues(record, code, "Industry " + code);
        }
        auto prepared = report::PrepareReport(gcnIndustry, gcnUser, type, 3, "ALL", year, code, "E", values);
        out << "== " << type << " " << code << " " << year << "\n"
            << (prepared ? prepared->rendered.html : std::string("(no report)")) << "\n";
    }
    for (const auto& m : fakes.messages->shown) out << "message: " << m.text << "\n";
}
