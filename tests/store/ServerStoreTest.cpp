// The office's user store on a PostgreSQL server, made and kept up to date by
// `zorva-data init-store` (run as a real process), with its optional
// row-level security, and refused at start when it is not set up.
#include "core/AppPath.h"
#include "core/DBTools.h"
#include "core/Globals.h"
#include "core/modMain.h"
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
