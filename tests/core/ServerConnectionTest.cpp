// The database layer on the office's server (a throwaway PostgreSQL): the
// same calls as on a file, texts that come back exactly as typed on both
// engines, result names in the program's spelling, report tables that belong
// to one connection, a dropped connection or a lock held elsewhere turned
// into a message the program survives, and an address that never shows a
// password.
#include "core/AppPath.h"
#include "core/DBTools.h"
#include "core/Globals.h"
#include "core/Strings.h"
#include "core/modMain.h"
#include "store/ServerStore.h"
#include "support/AppFixture.h"
#include "support/PgServer.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

using namespace zorva;
using namespace zorva::test;

namespace {

class ServerConnection : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!PgAvailable(&why)) GTEST_SKIP() << why;
        fakes = InstallFakes();
        address = NewServerStore();
        ConnectToFile(cn, address, "unknown");
    }
    void TearDown() override { SetServerLockWaitMs(10000); }
    Fakes fakes;
    std::string address;
    ConnectionHandle cn;
};

} // namespace

// Texts bound to statements, or spliced with their quotes doubled, are stored and found again
// exactly as typed on both engines: nothing in them is read as SQL.
TEST_F(ServerConnection, TextsComeBackAsTypedOnBothEngines) {
    const std::string dir = MakeTempDir("zorva-texts");
    {
        sqlite3* db = nullptr;
        sqlite3_open((dir + "/t.mdb").c_str(), &db);
        sqlite3_exec(db, "CREATE TABLE Names (Name TEXT)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    ConnectionHandle file;
    ConnectToFile(file, dir + "/t.mdb", dir);
    ExecCmdInDB(cn, "create table Names (Name text)");
    const std::string texts[] = {"O'Hara",          "back\\slash\\'",       "$$ dollar $$",  "E'x\\n'",
                                 "-- not a comment", "a\nb\tc",              "Année Straße", "'); drop table Names; --",
                                 "[Year] + ' x'",    "\"quoted\" ; select 1", "U&'\\0041'",   "100%_like"};
    for (ConnectionHandle* c : {&file, &cn}) {
        for (const auto& t : texts) {
            // Spliced with SqlQuote (the program's own texts), and bound.
            ExecCmdInDB(*c, "insert into Names (Name) values ('" + SqlQuote(t) + "')");
            ExecCmdInDB(*c, "insert into Names (Name) values (?)", {t});
            auto rs = GetRS(*c, "select Name from Names where Name = ?", "read", {t});
            ASSERT_EQ(rs->RecordCount(), 2) << t << ((*c)->isServer() ? " (server)" : " (file)");
            EXPECT_EQ(rs->Fields("Name").toString(), t);
        }
        EXPECT_EQ(GetRS(*c, "select count(*) from Names", "read")->Fields(0).toInt(), 2 * std::size(texts));
        // As many values as marks, or nothing runs.
        EXPECT_THROW(ExecCmdInDB(*c, "insert into Names (Name) values (?)", {"a", "b"}), DbError);
        EXPECT_THROW(GetRS(*c, "select Name from Names where Name = ? or Name = ?", "read", {"a"}), DbError);
    }
    EXPECT_THROW(ExecCmdInDB(cn, std::string("select 1; \0 drop table Names", 28)), DbError);
}

// Columns come back under the program's names (the server folds unquoted
// names to lower case): the schema's spelling, or the statement's alias.
TEST_F(ServerConnection, ResultColumnsKeepTheProgramsSpelling) {
    ExecCmdInDB(cn, "INSERT into MyValues (FirmName, [Year], Cash) VALUES ('Acme', 2010, 5.5)");
    auto all = GetRS(cn, "select * from myvalues", "read");
    EXPECT_EQ(all->FieldName(0), "FirmName");
    EXPECT_EQ(all->FieldName(1), "Year");
    EXPECT_EQ(all->Fields("cash").toDouble(), 5.5);
    EXPECT_EQ(all->Fields("Year").type(), Variant::Type::Integer);
    auto french = GetRS(cn, "select Firmname as Nom, [year] as Année from myvalues order by Firmname, [year]", "read");
    EXPECT_EQ(french->FieldNames(), (std::vector<std::string>{"Nom", "Année"}));
    EXPECT_EQ(french->Fields("Nom").toString(), "Acme");
}

// Two advisers preparing reports at the same moment: each connection has its
// own report tables, while the saved enterprises are shared.
TEST_F(ServerConnection, ReportTablesBelongToTheirConnection) {
    ConnectionHandle other;
    ConnectToFile(other, address, "unknown");
    Transaction held(other);  // the other's rows are not even committed yet
    ExecCmdInDB(other, "insert into Rpt_Data_CY (NAICS) values ('111')");
    ExecCmdInDB(cn, "delete * from Rpt_Data_CY");
    ExecCmdInDB(cn, "insert into Rpt_Data_CY (NAICS) values ('222')");
    held.Commit();
    auto mine = GetRS(cn, "select NAICS from Rpt_Data_CY", "read");
    ASSERT_EQ(mine->RecordCount(), 1);
    EXPECT_EQ(mine->Fields(0).toString(), "222");
    auto theirs = GetRS(other, "select NAICS from Rpt_Data_CY", "read");
    ASSERT_EQ(theirs->RecordCount(), 1);
    EXPECT_EQ(theirs->Fields(0).toString(), "111");
    ExecCmdInDB(other, "INSERT into MyValues (FirmName, [Year]) VALUES ('Shared', 2009)");
    EXPECT_EQ(GetRS(cn, "select * from MyValues where FirmName = 'Shared'", "read")->RecordCount(), 1);
}

// The server stops (fast, at once as in a crash, or at once and back before
// the next call): the call fails with the lost-connection message (the
// program goes on, and nothing in the message quotes the statement), and once
// the server is back the next call connects again, with the connection's
// report tables made anew.
TEST(ServerFaults, ADroppedConnectionIsSaidAndTheNextCallConnectsAgain) {
    std::string why;
    if (!PgAvailable(&why)) GTEST_SKIP() << why;
    Fakes fakes = InstallFakes();
    PrivatePgServer server;
    const std::string address = server.NewStore();
    enum class Stop { Fast, Immediate, ImmediateAndBack };
    for (Stop how : {Stop::Fast, Stop::Immediate, Stop::ImmediateAndBack}) {
        SCOPED_TRACE(int(how));
        ConnectionHandle cn;
        ConnectToFile(cn, address, "unknown");
        ExecCmdInDB(cn, "delete * from MyValues");
        ExecCmdInDB(cn, "INSERT into MyValues (FirmName, [Year]) VALUES ('Kept', 2010)");
        if (how == Stop::Fast) server.Stop();
        else server.Kill();
        if (how == Stop::ImmediateAndBack) server.Start();
        try {
            GetRS(cn, "select * from MyValues where FirmName = 'Kept'", "read");
            ADD_FAILURE() << "a stopped server went unnoticed";
        } catch (const DbError& e) {
            EXPECT_TRUE(e.connectionLost()) << e.what();
            EXPECT_TRUE(IsRecoverableError(e));
            EXPECT_EQ(RecoverableErrorText(e).rfind(Txt(2310), 0), 0u);
            EXPECT_EQ(RecoverableErrorText(e).find("Kept"), std::string::npos) << RecoverableErrorText(e);
        }
        if (how != Stop::ImmediateAndBack) {
            EXPECT_THROW(GetRS(cn, "select * from MyValues", "read"), DbError) << "still stopped";
            server.Start();
        }
        auto rs = GetRS(cn, "select FirmName from MyValues", "read");
        ASSERT_EQ(rs->RecordCount(), 1);
        EXPECT_EQ(rs->Fields(0).toString(), "Kept");
        EXPECT_EQ(GetRS(cn, "select * from Rpt_Comparison", "read")->RecordCount(), 0);
    }
}

// The server ends the session inside a transaction (an administrator, a
// server restart): each statement after it fails with the lost-connection
// message, as does the commit; nothing of the transaction is written, and no
// reconnection behind the caller's back commits the rest piece by piece. The
// next call outside the transaction connects again.
TEST_F(ServerConnection, ASessionEndedInsideATransactionWritesNothingOfIt) {
    const std::string pid = GetRS(cn, "select pg_backend_pid()", "read")->Fields(0).toString();
    {
        Transaction tx(cn);
        ExecCmdInDB(cn, "INSERT into MyValues (FirmName, [Year]) VALUES ('Before', 2010)");
        ASSERT_EQ(PgSql(address, "select pg_terminate_backend(" + pid + ", 5000)"), "t");
        for (const char* name : {"After", "Later"}) {
            try {
                ExecCmdInDB(cn, std::string("INSERT into MyValues (FirmName, [Year]) VALUES ('") + name + "', 2010)");
                ADD_FAILURE() << name << " was written after the session ended";
            } catch (const DbError& e) {
                EXPECT_TRUE(e.connectionLost()) << name << ": " << e.what();
                EXPECT_TRUE(IsRecoverableError(e));
            }
        }
        try {
            tx.Commit();
            ADD_FAILURE() << "a transaction whose session ended was committed";
        } catch (const DbError& e) {
            EXPECT_TRUE(e.connectionLost()) << e.what();
        }
    }
    EXPECT_EQ(GetRS(cn, "select * from MyValues", "read")->RecordCount(), 0);
    EXPECT_EQ(PgSql(address, "select count(*) from myvalues"), "0");
}

// Another connection holds the table (a long transaction, a full-table lock):
// a write waits no longer than the lock wait, then fails with the busy
// message, which the program survives.
TEST_F(ServerConnection, ALockHeldElsewhereEndsTheWaitWithAMessage) {
    SetServerLockWaitMs(400);
    std::unique_ptr<PGconn, decltype(&PQfinish)> holder(PQconnectdb(address.c_str()), &PQfinish);
    PQclear(PQexec(holder.get(), "BEGIN; LOCK TABLE myvalues IN ACCESS EXCLUSIVE MODE"));
    const auto start = std::chrono::steady_clock::now();
    try {
        ExecCmdInDB(cn, "INSERT into MyValues (FirmName, [Year]) VALUES ('Waiting', 2010)");
        ADD_FAILURE() << "the lock was not waited for";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.busy()) << e.what();
        EXPECT_TRUE(IsRecoverableError(e));
        EXPECT_EQ(RecoverableErrorText(e).rfind(Txt(2314), 0), 0u);
    }
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(350));
    EXPECT_LT(waited, std::chrono::milliseconds(3000));
    PQclear(PQexec(holder.get(), "ROLLBACK"));
    ExecCmdInDB(cn, "INSERT into MyValues (FirmName, [Year]) VALUES ('Waiting', 2010)");
    EXPECT_EQ(RowsAffected(cn), 1);
}

// A write recordset on the server: edit, add and delete rows, and the
// optimistic check against another writer's change.
TEST_F(ServerConnection, WriteRecordsetsEditAddAndDeleteRows) {
    ExecCmdInDB(cn, "INSERT into MyValues (FirmName, [Year], Cash) VALUES ('A', 2010, 1)");
    auto rs = GetRS(cn, "select FirmName, [Year], Cash from MyValues", "write");
    ASSERT_TRUE(rs->Updatable());
    rs->SetField("Cash", Variant(2.5));
    rs->Update();
    rs->AddNew();
    rs->SetField("FirmName", Variant(std::string("B")));
    rs->SetField("Year", Variant(std::int64_t{2009}));
    rs->Update();
    EXPECT_EQ(rs->RecordCount(), 2);
    auto check = GetRS(cn, "select FirmName, Cash from MyValues order by FirmName", "read");
    EXPECT_EQ(check->Fields("Cash").toDouble(), 2.5);
    ExecCmdInDB(cn, "Update MyValues Set Cash = 9 where FirmName = 'B'");
    EXPECT_THROW(rs->Delete(), DbError) << "B was changed by another writer";
    rs->MoveFirst();
    rs->Delete();
    EXPECT_EQ(GetRS(cn, "select * from MyValues", "read")->RecordCount(), 1);
}

// Which store is in use, said without the password that may be in the address.
TEST_F(ServerConnection, TheDescriptionNamesServerDatabaseAndUserButNoPassword) {
    const auto at = address.find('@');
    const std::string withPassword = "postgresql://zorva:s3cret" + address.substr(at);
    ConnectionHandle c;
    ConnectToFile(c, withPassword, "unknown");
    const std::string d = DescribeConnection(c);
    EXPECT_EQ(d.find("s3cret"), std::string::npos) << d;
    EXPECT_NE(d.find("PostgreSQL"), std::string::npos) << d;
    EXPECT_NE(d.find("zorva@"), std::string::npos) << d;
    EXPECT_NE(d.find(address.substr(address.rfind('/') + 1, address.find('?') - address.rfind('/') - 1)),
              std::string::npos)
        << d;
    EXPECT_EQ(c->connectionString.find("s3cret"), std::string::npos);
    EXPECT_TRUE(IsServerAddress("service=zorva"));
    EXPECT_TRUE(IsServerAddress("postgresql:///zorva?host=/run/postgresql"));
    EXPECT_FALSE(IsServerAddress("/home/a/myData.mdb"));
    EXPECT_FALSE(IsServerAddress("odd=name.mdb"));
}

// Passwords in the address, wherever they would break a hand-made reading of
// it ("/", "?", "@", a percent sign libpq cannot decode, a quoted keyword
// value): neither the description, the connection string, a failure's
// message nor the store it names ever holds them.
TEST_F(ServerConnection, APasswordNeverShowsWhateverItHolds) {
    const std::string socket = address.substr(address.find("host=") + 5);
    const std::string db = address.substr(address.find("@/") + 2, address.find('?') - address.find("@/") - 2);
    const struct {
        std::string address;
        std::string secret;
    } cases[] = {
        {"postgresql://zorva:SECRET/slash@/" + db + "?host=" + socket, "SECRET"},
        {"postgresql://zorva:SE%3FC%40RET@/" + db + "?host=" + socket, "SE?C@RET"},
        {"postgresql://zorva:SE%CRET@/" + db + "?host=" + socket, "SE%CRET"},
        {"postgresql://zorva@/" + db + "?host=" + socket + "&password=SECRET", "SECRET"},
        {"host=" + socket + " dbname=" + db + " user=zorva password='S3 cr\\'et'", "S3 cr"},
        {"postgresql://nobody_here:SECRET@/" + db + "?host=" + socket, "SECRET"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        const std::string shown = zorvadata::addressWithoutPassword(c.address);
        EXPECT_EQ(shown.find(c.secret), std::string::npos) << shown;
        EXPECT_EQ(shown.find("CRET"), std::string::npos) << shown;
        ConnectionHandle other;
        try {
            ConnectToFile(other, c.address, "unknown");
            EXPECT_EQ(DescribeConnection(other).find("CRET"), std::string::npos) << DescribeConnection(other);
            EXPECT_EQ(other->connectionString.find("CRET"), std::string::npos) << other->connectionString;
            EXPECT_NE(other->connectionString.find(db), std::string::npos) << other->connectionString;
        } catch (const DbError& e) {
            EXPECT_EQ(std::string(e.what()).find("CRET"), std::string::npos) << e.what();
            EXPECT_EQ(e.file().find("CRET"), std::string::npos) << e.file();
        }
    }
}
