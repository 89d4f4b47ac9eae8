// Data stores that are damaged or cannot be written: start-up stops before
// any screen with a message naming the file and what to do; damage found
// later gets the failure policy's box, worded by what failed; nothing is lost.
#include "core/AppPath.h"
#include "core/DBTools.h"
#include "core/Globals.h"
#include "core/Strings.h"
#include "core/modMain.h"
#include "support/AppFixture.h"

#include <QProcess>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <unistd.h>

using namespace zorva;
using namespace zorva::test;
namespace fs = std::filesystem;

namespace {

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs one statement on a store outside the program; the first value.
std::string sqlValue(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string v;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW &&
        sqlite3_column_text(st, 0))
        v = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return v;
}

// Writes zeros over the page holding the first rows of a table.
void zeroPageOf(const std::string& file, const std::string& table) {
    const long page = std::stol(sqlValue(file, "select rootpage from sqlite_master where name = '" + table + "'"));
    const long size = std::stol(sqlValue(file, "PRAGMA page_size"));
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp((page - 1) * size);
    const std::string zeros(static_cast<size_t>(size), '\0');
    f.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
}

class StoreSafety : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        fakes = InstallFakes();
        dir = CopyAppFolder();
        SetAppPath(dir);
        user = dir + "/myData.mdb";
        industry = dir + "/ZOR_DATA.mdb";
        // A saved enterprise that must survive whatever happens to the store.
        sqlValue(user, "insert into MyValues (FirmName, Year, NAICS, Cash) values ('Kept Ltd', 2010, '721', 5)");
    }
    void TearDown() override { ResetGlobals(); }

    // Start-up fails with the message of `headlineId` naming `file`; the message.
    std::string expectStartupStops(const std::string& file, int headlineId, int adviceId, const std::string& what) {
        std::string msg;
        try {
            OpenDataStores();
            ADD_FAILURE() << what << ": start-up must stop";
        } catch (const StartupError& e) {
            msg = e.what();
            EXPECT_EQ(e.file(), file) << what;
            for (int id : {headlineId, headlineId + 1})
                EXPECT_NE(msg.find(LoadResString(id) + file), std::string::npos) << what << "\n" << msg;
            for (int id : {adviceId, adviceId + 1})
                EXPECT_NE(msg.find(LoadResString(id)), std::string::npos) << what << "\n" << msg;
        }
        EXPECT_FALSE(gcnUser && gcnIndustry) << what;
        return msg;
    }

    Fakes fakes;
    std::string dir, user, industry;
};

} // namespace

// Each damage is found, and the reason given shows which check found it: the
// checks of the file's beginning, its size in pages and its header's page
// count each catch a case that SQLite's own check of the pages lets through
// or reports only as "malformed".
TEST_F(StoreSafety, ADamagedStoreStopsStartUpAndIsLeftAsItWas) {
    const std::string cut = "it was cut off", notADatabase = "it is not a database",
                      shorter = "shorter than its header says";
    auto pageSize = [](const std::string& f) { return std::stol(sqlValue(f, "PRAGMA page_size")); };
    auto setHeader = [](const std::string& f, int offset, std::uint32_t value) {
        std::fstream io(f, std::ios::in | std::ios::out | std::ios::binary);
        io.seekp(offset);
        const char bytes[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                               static_cast<char>(value >> 8), static_cast<char>(value)};
        io.write(bytes, 4);
    };
    auto headerValue = [](const std::string& f, int offset) {
        const std::string b = readBytes(f).substr(static_cast<size_t>(offset), 4);
        std::uint32_t v = 0;
        for (char c : b) v = (v << 8) | static_cast<unsigned char>(c);
        return v;
    };
    struct Damage {
        const char* name;
        std::function<void(const std::string& file, const std::string& table)> apply;
        std::string because;  // the reason given; empty: SQLite's own check of the pages
    };
    const Damage damages[] = {
        {"a few bytes cut off the end",
         [](const std::string& f, const std::string&) { fs::resize_file(f, fs::file_size(f) - 7); }, "whole number"},
        // The last pages free: SQLite reads the short page as zeros and finds nothing wrong.
        {"a few bytes cut off a free last page",
         [&](const std::string& f, const std::string&) {
             sqlValue(f, "PRAGMA journal_mode = DELETE");
             sqlValue(f, "CREATE TABLE junk AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                         "WHERE i < 40) SELECT zeroblob(3000) AS x FROM n");
             sqlValue(f, "DROP TABLE junk");
             fs::resize_file(f, fs::file_size(f) - 7);
         },
         "whole number"},
        {"whole pages cut off the end",
         [&](const std::string& f, const std::string&) {
             fs::resize_file(f, fs::file_size(f) - 2 * static_cast<std::uintmax_t>(pageSize(f)));
         },
         shorter},
        {"a header that counts more pages than the file has",
         [&](const std::string& f, const std::string&) { setHeader(f, 28, headerValue(f, 28) + 5); }, shorter},
        // A stale change counter makes the header's page count unusable:
        // the pages themselves must show what is missing.
        {"a stale change counter and whole pages cut off",
         [&](const std::string& f, const std::string&) {
             setHeader(f, 24, headerValue(f, 92) + 3);
             fs::resize_file(f, fs::file_size(f) - 2 * static_cast<std::uintmax_t>(pageSize(f)));
         },
         ""},
        {"zeros over a page", [](const std::string& f, const std::string& t) { zeroPageOf(f, t); }, ""},
        {"a text file under the name",
         [](const std::string& f, const std::string&) {
             std::ofstream(f, std::ios::binary | std::ios::trunc) << "These are my notes, not a database.\n";
         },
         notADatabase},
        // SQLite takes an empty file for an empty database.
        {"an empty file", [](const std::string& f, const std::string&) { std::ofstream(f, std::ios::trunc); },
         notADatabase},
    };
    const std::string userBefore = readBytes(user), industryBefore = readBytes(industry);
    for (const auto& d : damages) {
        for (const auto& [file, table] : {std::pair{user, std::string("MyValues")},
                                          std::pair{industry, std::string("ZORVA_Vol3_ALL_2010_Final_Ratios")}}) {
            const std::string what = std::string(d.name) + " of " + file;
            d.apply(file, table);
            fs::remove(file + "-wal");
            fs::remove(file + "-shm");
            const std::string damaged = readBytes(file);
            const std::string reason = expectStartupStops(file, 1524, 1526, what);
            if (!d.because.empty()) {
                EXPECT_NE(reason.find(d.because), std::string::npos) << what << "\n" << reason;
            } else {
                for (const std::string& ours : {cut, notADatabase, shorter})
                    EXPECT_EQ(reason.find(ours), std::string::npos) << what << "\n" << reason;
            }
            EXPECT_TRUE(readBytes(file) == damaged) << what << ": the damaged file must be left as it was";
            std::ofstream(file, std::ios::binary | std::ios::trunc) << (file == user ? userBefore : industryBefore);
            ResetGlobals();
        }
    }
    OpenDataStores();  // whole again: the saved enterprise is there
    EXPECT_EQ(GetRS(gcnUser, "select FirmName from MyValues", "read")->Fields(0).toString(), "Kept Ltd");
}

TEST_F(StoreSafety, DamageFoundLaterGivesTheFailureBoxSayingTheFileIsDamaged) {
    OpenDataStores();
    ResetGlobals();
    zeroPageOf(user, "Rpt_Data_CY");
    ConnectionHandle cn;
    ConnectToFile(cn, user, "unknown");  // without the start-up checks
    try {
        ExecCmdInDB(cn, "delete * from Rpt_Data_CY");
        FAIL() << "the damaged page must be noticed";
    } catch (const DbError& e) {
        gintLanguage = 1;
        const std::string text = FatalErrorText(e);
        EXPECT_EQ(text.rfind(LoadResString(1529), 0), 0u) << text;
        EXPECT_EQ(text.find("delete * from Rpt_Data_CY"), std::string::npos) << "the statement is no message";
    }
    cn.reset();
    EXPECT_EQ(sqlValue(user, "select FirmName from MyValues"), "Kept Ltd");
}

TEST_F(StoreSafety, TheFailureBoxSaysWhatFailed) {
    struct Case {
        std::function<void()> raise;
        int headline;
    };
    const Case cases[] = {
        {[] { throw DbError("no such table: Rpt_Data_CY", "delete * from Rpt_Data_CY", {}, SQLITE_ERROR); }, 904},
        {[] { throw DbError("database disk image is malformed", "select 1", {}, SQLITE_CORRUPT); }, 1528},
        {[] { throw DbError("attempt to write a readonly database", "delete", {}, SQLITE_READONLY); }, 1536},
        {[] { throw DbError("database is locked", "BEGIN IMMEDIATE", {}, SQLITE_BUSY); }, 1538},
        {[] { throw fs::filesystem_error("cannot copy", fs::path("/a"), std::make_error_code(std::errc::io_error)); },
         1530},
        {[] { throw std::bad_alloc(); }, 1532},
        {[] { throw std::runtime_error("The report template cannot be read: rpt_Ratios.rpt"); }, 1534},
    };
    for (int language : {0, 1}) {
        gintLanguage = static_cast<std::int16_t>(language);
        for (const auto& c : cases) {
            try {
                c.raise();
            } catch (const std::exception& e) {
                const std::string text = FatalErrorText(e);
                EXPECT_EQ(text.rfind(LoadResString(c.headline + language), 0), 0u) << text;
                if (c.headline != 904) {
                    EXPECT_EQ(text.find(LoadResString(904 + language)), std::string::npos) << text;
                }
                EXPECT_NE(text.find(LoadResString(906 + language)), std::string::npos);
            }
        }
    }
}

TEST_F(StoreSafety, AUserStoreThatCannotBeWrittenStopsStartUp) {
    // Run as root, file permissions do not stop a write: these situations
    // stop it for anyone. A write-ahead-log store whose shared-memory file
    // cannot be made (a folder stands in its place), and a rollback-journal
    // store for which neither a journal nor a log can be made (their names
    // lead into a folder that does not exist): start-up cannot switch it to
    // the log, and its write probe fails.
    struct Case {
        const char* name;
        const char* journalMode;
        std::vector<const char*> folders, deadEnds;
    };
    const Case cases[] = {
        {"log store, no -shm possible", "wal", {"-shm"}, {}},
        {"journal store, no -journal nor -wal possible", "delete", {}, {"-journal", "-wal"}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(sqlValue(user, std::string("PRAGMA journal_mode = ") + c.journalMode), c.journalMode);
        for (const char* b : c.folders) fs::create_directory(user + b);
        for (const char* b : c.deadEnds) fs::create_symlink(dir + "/no-such-folder/x", user + b);
        const std::string before = readBytes(user);
        expectStartupStops(user, 1520, 1522, c.name);
        EXPECT_TRUE(readBytes(user) == before) << c.name;
        for (const char* b : c.folders) fs::remove_all(user + b);
        for (const char* b : c.deadEnds) fs::remove(user + b);
        ResetGlobals();
    }
    OpenDataStores();
    EXPECT_EQ(JournalMode(gcnUser), "wal") << "start-up puts a store in the old mode into write-ahead-log mode";
    EXPECT_EQ(GetRS(gcnUser, "select FirmName from MyValues", "read")->Fields(0).toString(), "Kept Ltd");
}

TEST_F(StoreSafety, AReadOnlyStoreOrFolderStopsTheProgramsOfAnotherAccount) {
    // A real read-only situation: the command-line program, which starts as
    // the program does, run under an ordinary account (root ignores
    // permissions) on a read-only store, then in a read-only folder.
    const std::string cli = BuiltAppDir() + "/zorva-cli";
    QStringList prefix;
    if (::geteuid() == 0) {
        if (!fs::exists("/usr/bin/setpriv")) GTEST_SKIP() << "setpriv is needed to run as another account";
        prefix = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
    }
    auto run = [&](int* code) {
        QProcess p;
        QStringList args = prefix;
        args << QString::fromStdString(cli) << "--app-dir" << QString::fromStdString(dir) << "datasets";
        p.start(args.takeFirst(), args);
        p.waitForFinished(60000);
        *code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        return p.readAllStandardError().toStdString();
    };
    fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec);
    for (const auto& e : fs::directory_iterator(dir))
        fs::permissions(e.path(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                      fs::perms::others_read);
    int code = -1;
    std::string err = run(&code);
    if (code == 126 || code == 127 || err.find("Permission denied") != std::string::npos)
        GTEST_SKIP() << "the ordinary account cannot run the built program: " << err;
    EXPECT_EQ(code, 2) << err;
    EXPECT_NE(err.find(LoadResString(1520) + user), std::string::npos) << err;
    EXPECT_NE(err.find(LoadResString(1523)), std::string::npos) << err;

    // The store writable for everyone, its folder not.
    fs::permissions(user, fs::perms::all);
    fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec);
    err = run(&code);
    EXPECT_EQ(code, 2) << err;
    EXPECT_NE(err.find(LoadResString(1520) + user), std::string::npos) << err;
    fs::permissions(dir, fs::perms::owner_all);
}

TEST_F(StoreSafety, NoStatementCanChangeTheIndustryStore) {
    OpenDataStores();
    const std::string before = readBytes(industry);
    EXPECT_THROW(ExecCmdInDB(gcnIndustry, "delete * from datadescription"), DbError);
    EXPECT_THROW(ExecCmdInDB(gcnIndustry, "update datadescription set descriptione = 'x'"), DbError);
    auto rs = GetRS(gcnIndustry, "select * from datadescription", "write");
    EXPECT_THROW(rs->AddNew(), DbError);
    EXPECT_TRUE(readBytes(industry) == before);
}
