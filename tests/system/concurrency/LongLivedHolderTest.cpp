// A program that keeps the user store open for hours while other programs
// come and go on the same store: the office's usual day. This test program
// is the long-lived holder: it opens the stores exactly as the program does
// (OpenDataStores, the connection kept for the whole test) and saves and
// deletes enterprises, while zorva-cli (list, import, compare), a second copy
// of the program and SQLite's own sqlite3 open, read, write and close the
// same store again and again. Every save of the holder must be seen by the
// others at once and after the holder has gone; its log and shared-memory
// files are never deleted under it; it keeps its lock on the file.
//
// ctest runs a short version; ZORVA_HOLDER_ROUNDS gives more rounds. With
// ZORVA_TEST_USER_STORE=postgresql ("pg." tests) the store is on the test
// server (the file checks do not apply there).

#include "support/AppFixture.h"
#include "support/PgServer.h"

#include "core/AppPath.h"
#include "core/Globals.h"
#include "core/modMain.h"
#include "enterprise/EnterpriseRecord.h"
#include "enterprise/RecordStore.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

using namespace zorva;
using namespace zorva::test;

namespace {

struct Ran {
    int code = -1;
    std::string out, err;
};

Ran run(const QString& program, const QStringList& args, const QProcessEnvironment& env = {}) {
    QProcess p;
    if (!env.isEmpty()) p.setProcessEnvironment(env);
    p.start(program, args);
    Ran r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

QString cli() { return QString::fromStdString(BuiltAppDir() + "/zorva-cli"); }

// Descriptors of this process on the store's files that now name a deleted
// file (readlink shows " (deleted)").
std::vector<std::string> deletedUnderUs(const std::string& store) {
    std::vector<std::string> found;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
        const std::string target = std::filesystem::read_symlink(e.path(), ec).string();
        if (!ec && target.rfind(store, 0) == 0 && target.find("(deleted)") != std::string::npos)
            found.push_back(target);
    }
    return found;
}

// Whether /proc/locks shows a POSIX lock of this process on the store file.
bool holdsLockOn(const std::string& store) {
    struct stat st {};
    if (::stat(store.c_str(), &st) != 0) return false;
    const std::string pid = std::to_string(::getpid());
    const std::string inode = ":" + std::to_string(st.st_ino);
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream words(line);
        std::string n, kind, advisory, mode, owner, where;
        words >> n >> kind;
        if (kind == "->") words >> kind;  // a waiting lock
        words >> advisory >> mode >> owner >> where;
        if (kind == "POSIX" && owner == pid && where.size() > inode.size() &&
            where.compare(where.size() - inode.size(), inode.size(), inode) == 0)
            return true;
    }
    return false;
}

RecordTexts enterprise(const std::string& name, int cash) {
    RecordTexts r;
    InitializeValues(r, 0);
    r[Field::FirmName] = name;
    r[Field::Year] = "2010";
    r[Field::NAICS] = "721";
    r[Field::Cash] = std::to_string(cash);
    r[Field::ShareC] = std::to_string(cash);
    r[Field::OperatingRevenue] = "50000";
    EXPECT_TRUE(subCalculateSubTotals(r));
    return r;
}

// The names stored now, as another program reads them: SQLite's own shell on
// the file, zorva-cli on a server store.
std::set<std::string> namesSeenByAnother(const std::string& app, const std::string& server) {
    std::set<std::string> names;
    Ran r;
    if (server.empty()) {
        r = run("sqlite3", {"-cmd", ".timeout 30000", QString::fromStdString(app + "/myData.mdb"),
                            "select FirmName from MyValues"});
        std::istringstream lines(r.out);
        std::string line;
        while (std::getline(lines, line))
            if (!line.empty()) names.insert(line);
    } else {
        r = run(cli(), {"--app-dir", QString::fromStdString(app), "--user-store", QString::fromStdString(server),
                        "list"});
        std::istringstream lines(r.out);
        std::string line;
        while (std::getline(lines, line)) {
            const auto at = line.find("\"FirmName\":\"");
            if (at == std::string::npos) continue;
            const auto start = at + 12;
            names.insert(line.substr(start, line.find('"', start) - start));
        }
    }
    EXPECT_EQ(r.code, 0) << r.err;
    return names;
}

} // namespace

TEST(LongLivedHolder, AnOpenProgramsSavesReachTheStoreWhileOtherProgramsComeAndGo) {
    const int rounds = EnvNumber("ZORVA_HOLDER_ROUNDS", 10);
    const std::string app = CopyAppFolder();
    const std::string server = ServerBackend() ? NewServerStore() : std::string();
    const std::string store = app + "/myData.mdb";
    Fakes fakes = InstallFakes();
    SetAppPath(app);
    SetUserStorePath(server);
    OpenDataStores();  // held until the end of the test, as the program holds it

    QStringList storeArgs{"--app-dir", QString::fromStdString(app)};
    if (!server.empty()) storeArgs << "--user-store" << QString::fromStdString(server);
    const std::string csv = app + "/visitors.csv";
    std::set<std::string> expected, gone;
    for (int round = 0; round < rounds; ++round) {
        const std::string name = "Holder " + std::to_string(round);
        store::SaveRecord(gcnUser, enterprise(name, 1000 + round), 2010);
        expected.insert(name);
        if (round % 3 == 2) {  // a delete must stay done, too
            const std::string old = "Holder " + std::to_string(round - 1);
            store::DeleteRecord(gcnUser, old, 2010);
            expected.erase(old);
            gone.insert(old);
        }

        // Another program opens, reads or writes, and closes the store.
        const std::string visitor = "Visitor " + std::to_string(round);
        Ran other;
        switch (round % 5) {
        case 0: other = run(cli(), storeArgs + QStringList{"list"}); break;
        case 1:
            other = server.empty() ? run("sqlite3", {"-cmd", ".timeout 30000", QString::fromStdString(store),
                                                     "select count(*) from MyValues"})
                                   : run(cli(), storeArgs + QStringList{"store"});
            break;
        case 2: {
            std::ofstream(csv, std::ios::trunc) << "FirmName,Year,Cash,ShareC,OperatingRevenue\n"
                                                << visitor << ",2009,10,10,100\n";
            other = run(cli(), storeArgs + QStringList{"import", "--values", QString::fromStdString(csv)});
            expected.insert(visitor);
            break;
        }
        case 3: {
            std::ofstream(csv, std::ios::trunc) << "FirmName,Year,Cash,ShareC,OperatingRevenue\n"
                                                << visitor << ",2010,10,10,100\n";
            other = run(cli(), storeArgs + QStringList{"compare", "--dataset", "optVol3", "--naics", "721",
                                                       "--values", QString::fromStdString(csv)});
            break;
        }
        default: {
            // A second copy of the program: its own connection, one save, gone.
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("ZORVA_HOLDER_APP", QString::fromStdString(app));
            env.insert("ZORVA_HOLDER_STORE", QString::fromStdString(server));
            env.insert("ZORVA_HOLDER_NAME", QString::fromStdString(visitor));
            other = run(QCoreApplication::applicationFilePath(),
                        {"--gtest_also_run_disabled_tests", "--gtest_filter=LongLivedHolder.DISABLED_ASecondCopySaves"},
                        env);
            expected.insert(visitor);
            break;
        }
        }
        ASSERT_EQ(other.code, 0) << "round " << round << ": " << other.out << other.err;

        // Every save of the holder is there for the others at once ...
        const std::set<std::string> seen = namesSeenByAnother(app, server);
        for (const auto& n : expected) EXPECT_TRUE(seen.count(n)) << "round " << round << ": " << n << " not seen";
        for (const auto& n : gone) EXPECT_FALSE(seen.count(n)) << "round " << round << ": deleted " << n << " is back";
        // ... and the others' saves for the holder.
        std::set<std::string> mine;
        auto rs = store::ListFirms(gcnUser, 0);
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) mine.insert(rs->Fields(0).toString());
        for (const auto& n : expected) EXPECT_TRUE(mine.count(n)) << "round " << round << ": the holder misses " << n;
        if (server.empty()) {
            EXPECT_EQ(deletedUnderUs(store), std::vector<std::string>{}) << "round " << round;
            EXPECT_TRUE(holdsLockOn(store)) << "round " << round << ": the holder lost its lock on the store";
        }
        if (HasFailure()) break;
    }

    // The holder ends: what it saved stays, what it deleted stays deleted.
    DisconnectFromDB(gcnUser);
    DisconnectFromDB(gcnIndustry);
    const std::set<std::string> after = namesSeenByAnother(app, server);
    for (const auto& n : expected) EXPECT_TRUE(after.count(n)) << n << " lost after the holder ended";
    for (const auto& n : gone) EXPECT_FALSE(after.count(n)) << "deleted " << n << " came back";
    SetUserStorePath("");
}

// The second copy of the test above, run as a process of its own.
TEST(LongLivedHolder, DISABLED_ASecondCopySaves) {
    const char* app = std::getenv("ZORVA_HOLDER_APP");
    const char* server = std::getenv("ZORVA_HOLDER_STORE");
    const char* name = std::getenv("ZORVA_HOLDER_NAME");
    ASSERT_TRUE(app && server && name);
    Fakes fakes = InstallFakes();
    SetAppPath(app);
    SetUserStorePath(server);
    OpenDataStores();
    store::SaveRecord(gcnUser, enterprise(name, 7), 2009);
}
