// The office's user store on a PostgreSQL server, made and kept up to date by
// `zorva-data init-store` (run as a real process), with its optional
// row-level security, and refused at start when it is not set up.
#include "core/AppPath.h"
#include "core/DBTools.h"
#include "core/Globals.h"
#include "core/modMain.h"
#include "enterprise/BookMapping.h"
#include "support/AppFixture.h"
#include "support/PgServer.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace zorva;
using namespace zorva::test;

namespace {

struct ToolRun {
    int code = -1;
    std::string out, err;
};

ToolRun initStore(const std::string& address, const QStringList& more = {}) {
    QProcess p;
    p.start(QString::fromUtf8(ZORVA_DATA_TOOL), QStringList{"init-store", QString::fromStdString(address)} + more);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput().toStdString(),
            p.readAllStandardError().toStdString()};
}

long long count(ConnectionHandle& cn, const std::string& sql) { return GetRS(cn, sql, "read")->Fields(0).toInt(); }

class ServerStore : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!PgAvailable(&why)) GTEST_SKIP() << why;
        fakes = InstallFakes();
        address = NewServerDatabase();
    }
    Fakes fakes;
    std::string address;
};

} // namespace

TEST_F(ServerStore, InitStoreMakesTheStoreAndAgainKeepsEverySavedRow) {
    ToolRun made = initStore(address);
    ASSERT_EQ(made.code, 0) << made.err;
    EXPECT_NE(made.out.find("created"), std::string::npos) << made.out;

    ConnectionHandle cn;
    ConnectToFile(cn, address, "unknown");
    ExecCmdInDB(cn, "INSERT into MyValues (FirmName, [Year], Cash) VALUES ('Kept', 2010, 12.5)");
    const long long provinces = count(cn, "select count(*) from ProvinceCodes");
    EXPECT_GT(provinces, 0);
    // An older store: a report table with a column fewer, a reference table gone.
    ExecCmdInDB(cn, "alter table Rpt_Comparison drop column MyNPM");
    ExecCmdInDB(cn, "drop table ProvinceCodes");
    DisconnectFromDB(cn);

    ToolRun again = initStore(address);
    ASSERT_EQ(again.code, 0) << again.err;
    EXPECT_NE(again.out.find("1 saved records kept"), std::string::npos) << again.out;
    ConnectToFile(cn, address, "unknown");
    auto kept = GetRS(cn, "select * from MyValues", "read");
    ASSERT_EQ(kept->RecordCount(), 1);
    EXPECT_EQ(kept->Fields("Cash").toDouble(), 12.5);
    EXPECT_EQ(kept->Fields("SavedBy").toString(), "zorva");
    EXPECT_FALSE(kept->Fields("SavedAt").isNull());
    EXPECT_EQ(count(cn, "select count(*) from ProvinceCodes"), provinces);
    EXPECT_TRUE(GetRS(cn, "select * from Rpt_Comparison", "read")->HasField("MyNPM"));
}

// With row-level security each adviser sees and changes only the enterprises
// they saved; without it the whole office sees all of them.
TEST_F(ServerStore, RowSecurityShowsEachAdviserOnlyTheirOwnEnterprises) {
    ASSERT_EQ(initStore(address, {"--row-security"}).code, 0);
    ConnectionHandle alice, bob;
    ConnectToFile(alice, AddressAs(address, "alice"), "unknown");
    ConnectToFile(bob, AddressAs(address, "bob"), "unknown");
    ExecCmdInDB(alice, "INSERT into MyValues (FirmName, [Year]) VALUES ('Alice Ltd', 2010)");
    ExecCmdInDB(bob, "INSERT into MyValues (FirmName, [Year]) VALUES ('Bob Inc', 2010)");
    auto seen = GetRS(alice, "select FirmName, SavedBy from MyValues", "read");
    ASSERT_EQ(seen->RecordCount(), 1);
    EXPECT_EQ(seen->Fields("SavedBy").toString(), "alice");
    ExecCmdInDB(bob, "delete * from MyValues where FirmName = 'Alice Ltd'");
    EXPECT_EQ(RowsAffected(bob), 0) << "bob changed alice's enterprise";

    ASSERT_EQ(initStore(address, {"--no-row-security"}).code, 0);
    EXPECT_EQ(count(alice, "select count(*) from MyValues"), 2);
}

// init-store run again without a row-security option (to bring the store up
// to date) leaves row-level security as the office chose it, on or off.
TEST_F(ServerStore, InitStoreWithoutARowSecurityOptionKeepsTheOfficesChoice) {
    for (const char* choice : {"--row-security", "--no-row-security"}) {
        SCOPED_TRACE(choice);
        const std::string store = NewServerDatabase();
        ASSERT_EQ(initStore(store, {choice}).code, 0);
        ToolRun again = initStore(store);
        ASSERT_EQ(again.code, 0) << again.err;
        ConnectionHandle alice, bob;
        ConnectToFile(alice, AddressAs(store, "alice"), "unknown");
        ConnectToFile(bob, AddressAs(store, "bob"), "unknown");
        ExecCmdInDB(alice, "INSERT into MyValues (FirmName, [Year]) VALUES ('Alice Ltd', 2010)");
        ExecCmdInDB(bob, "INSERT into MyValues (FirmName, [Year]) VALUES ('Bob Inc', 2010)");
        EXPECT_EQ(count(alice, "select count(*) from MyValues"), std::string(choice) == "--row-security" ? 1 : 2);
    }
}

TEST_F(ServerStore, AServerStoreThatIsNotSetUpIsRefusedAtStart) {
    ResetGlobals();
    SetAppPath(CopyAppFolder());
    SetUserStorePath(address);
    try {
        OpenDataStores();
        ADD_FAILURE() << "an empty database was taken as a store";
    } catch (const StartupError& e) {
        EXPECT_NE(std::string(e.what()).find("init-store"), std::string::npos) << e.what();
    }
    SetUserStorePath("postgresql://zorva@/none?host=/nonexistent-folder");
    try {
        OpenDataStores();
        ADD_FAILURE() << "an unreachable server was taken as a store";
    } catch (const StartupError& e) {
        EXPECT_NE(std::string(e.what()).find("cannot be reached"), std::string::npos) << e.what();
    }
    SetUserStorePath("");
    ResetGlobals();
}

// Turning row-level security on over statements no adviser saved (here the
// administrator's) refuses and changes nothing, saying how many and how to
// choose; --owner gives them to an adviser, --ownerless-to-all lets every
// adviser see them.
TEST_F(ServerStore, TurningRowSecurityOnNeverHidesAStatementSilently) {
    ASSERT_EQ(initStore(address).code, 0);
    ConnectionHandle admin, alice, bob;
    ConnectToFile(admin, address, "unknown");
    ConnectToFile(alice, AddressAs(address, "alice"), "unknown");
    ConnectToFile(bob, AddressAs(address, "bob"), "unknown");
    ExecCmdInDB(admin, "INSERT into MyValues (FirmName, [Year]) VALUES ('Old Client', 2009)");
    ExecCmdInDB(alice, "INSERT into MyValues (FirmName, [Year]) VALUES ('Alice Ltd', 2010)");

    ToolRun refused = initStore(address, {"--row-security"});
    EXPECT_NE(refused.code, 0);
    EXPECT_NE(refused.err.find("1 saved statements were saved by no adviser (SavedBy: zorva)"), std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("--owner ROLE"), std::string::npos) << refused.err;
    EXPECT_EQ(count(bob, "select count(*) from MyValues"), 2) << "row-level security was turned on all the same";

    const struct {
        QStringList choice;
        long long aliceSees, bobSees;
        const char* said;
    } cases[] = {
        {{"--ownerless-to-all"}, 2, 1, "seen by every adviser"},
        {{"--owner", "alice"}, 2, 0, "given to alice"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        PgSql(address, "update myvalues set savedby = 'zorva' where firmname = 'Old Client'");
        ToolRun done = initStore(address, QStringList{"--row-security"} + c.choice);
        ASSERT_EQ(done.code, 0) << done.err;
        EXPECT_NE(done.out.find(c.said), std::string::npos) << done.out;
        EXPECT_EQ(count(alice, "select count(*) from MyValues"), c.aliceSees);
        EXPECT_EQ(count(bob, "select count(*) from MyValues"), c.bobSees);
        ASSERT_EQ(initStore(address, {"--no-row-security"}).code, 0);
    }
}

// Two advisers each hold a statement of one name and year under row-level
// security: turning it off refuses, listing the pair, and keeps both apart;
// once one is gone it goes through.
TEST_F(ServerStore, TurningRowSecurityOffRefusesWhileTwoAdvisersHoldOneNameAndYear) {
    ASSERT_EQ(initStore(address, {"--row-security"}).code, 0);
    ConnectionHandle alice, bob;
    ConnectToFile(alice, AddressAs(address, "alice"), "unknown");
    ConnectToFile(bob, AddressAs(address, "bob"), "unknown");
    ExecCmdInDB(alice, "INSERT into MyValues (FirmName, [Year], Cash) VALUES ('Acme', 2010, 1)");
    ExecCmdInDB(bob, "INSERT into MyValues (FirmName, [Year], Cash) VALUES ('ACME', 2010, 2)");

    ToolRun refused = initStore(address, {"--no-row-security"});
    EXPECT_NE(refused.code, 0);
    EXPECT_NE(refused.err.find("2010 (saved by alice, bob)"), std::string::npos) << refused.err;
    EXPECT_EQ(count(bob, "select count(*) from MyValues"), 1) << "row-level security was turned off all the same";
    EXPECT_EQ(count(alice, "select Cash from MyValues"), 1);

    ExecCmdInDB(bob, "delete * from MyValues");
    ASSERT_EQ(initStore(address, {"--no-row-security"}).code, 0);
    EXPECT_EQ(count(bob, "select count(*) from MyValues"), 1);
}

// An adviser may do what the program does and no more, even where the office
// took the right to make temporary tables from everyone: connect (each
// connection makes its report tables), save, remember a book's mapping; not
// write the shared report tables the connection's own copies hide.
TEST_F(ServerStore, AdvisersMayDoWhatTheProgramDoesAndNoMore) {
    const std::string db = address.substr(address.find("@/") + 2, address.find('?') - address.find("@/") - 2);
    PgSql(address, "REVOKE TEMPORARY ON DATABASE " + db + " FROM PUBLIC");
    ASSERT_EQ(initStore(address).code, 0);
    ConnectionHandle alice;
    ConnectToFile(alice, AddressAs(address, "alice"), "unknown");
    CheckStoreWritable(alice);
    ExecCmdInDB(alice, "INSERT into MyValues (FirmName, [Year]) VALUES ('Alice Ltd', 2010)");
    ExecCmdInDB(alice, "INSERT into BookMappings (BookKey, AccountKey, Target) VALUES ('b', 'a', 'Cash')");
    ExecCmdInDB(alice, "insert into Rpt_Comparison (MyFirmName) values ('mine')");
    for (const char* sql : {"insert into public.rpt_comparison (myfirmname) values ('shared')",
                            "delete from public.rpt_data_cy", "delete from public.provincecodes"}) {
        try {
            ExecCmdInDB(alice, sql);
            ADD_FAILURE() << "allowed: " << sql;
        } catch (const DbError& e) {
            EXPECT_EQ(e.sqlState(), "42501") << sql << ": " << e.what();
        }
    }
}

// A book's mapping remembered by one adviser is stored in the office's table
// with who saved it, and found by the next import: by every adviser, or under
// row-level security by that adviser only (an account's name can name a
// client's creditors or owners).
TEST_F(ServerStore, ABooksMappingIsRememberedOnTheServerForTheOffice) {
    books::Book book;
    book.key = "file:/clients/o'hara-#.csv";
    book.accounts.resize(2);
    book.accounts[0].key = "name:Assets:Chequing";
    book.accounts[0].fullName = "Assets:Chequing";
    book.accounts[1].key = "name:Liabilities:Loan from J. O'Hara";
    book.accounts[1].fullName = "Liabilities:Loan from J. O'Hara";
    const std::vector<books::Target> targets{books::Target::Cash, books::Target::Ol};
    for (bool rowSecurity : {false, true}) {
        SCOPED_TRACE(rowSecurity);
        PgSql(address, "DROP TABLE IF EXISTS bookmappings");
        ASSERT_EQ(initStore(address, {rowSecurity ? "--row-security" : "--no-row-security"}).code, 0);
        ConnectionHandle alice, bob;
        ConnectToFile(alice, AddressAs(address, "alice"), "unknown");
        ConnectToFile(bob, AddressAs(address, "bob"), "unknown");
        ASSERT_TRUE(books::RememberMapping(alice, book, targets));
        EXPECT_EQ(PgSql(address, "select string_agg(DISTINCT savedby, ',') from bookmappings"), "alice");
        ConnectionHandle later;
        ConnectToFile(later, AddressAs(address, "alice"), "unknown");
        EXPECT_EQ(books::LoadRememberedMapping(later, book.key).size(), 2u) << "not kept past the connection";
        const auto bobs = books::LoadRememberedMapping(bob, book.key);
        EXPECT_EQ(bobs.size(), rowSecurity ? 0u : 2u);
        if (!rowSecurity) {
            EXPECT_EQ(bobs.at(book.accounts[1].key), books::Target::Ol);
        }
    }
}
