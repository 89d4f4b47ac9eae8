// The database layer: connections by file kind, the two wrong uses, read and
// write recordsets, Jet statements end to end, transactions, text folders.
#include "core/AppPath.h"
#include "core/DBTools.h"
#include "core/Globals.h"
#include "support/AppFixture.h"
#include "support/CommaLocale.h"
#include "support/FakeServices.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace zorva;
using namespace zorva::test;
namespace fs = std::filesystem;

namespace {

std::string makeStore(const std::string& dir, const std::string& name, const char* sql) {
    std::string path = dir + "/" + name;
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        ADD_FAILURE() << err;
        sqlite3_free(err);
    }
    sqlite3_close(db);
    return path;
}

class DBToolsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        fakes = InstallFakes();
        dir = MakeTempDir("zorva-db");
        SetAppPath(dir);
        store = makeStore(dir, "store.mdb",
                          "CREATE TABLE MyValues (FirmName TEXT, [Year] INTEGER, NAICS TEXT, Cash REAL, Ar REAL);"
                          "INSERT INTO MyValues VALUES ('Acme', 2010, '311', 100, 0);"
                          "INSERT INTO MyValues VALUES ('O''Hara', 2009, '311', NULL, 5.5);"
                          "INSERT INTO MyValues VALUES ('', 2008, '', 0, 0);"
                          "CREATE TABLE Titles (Language TEXT, Title1 TEXT, Volume INTEGER);"
                          "INSERT INTO Titles VALUES ('E', 'Small enterprises', 3), ('F', 'Petites entreprises', 3);"
                          "CREATE TABLE Report (Naics TEXT, Heading TEXT, Region TEXT);"
                          "INSERT INTO Report VALUES ('1', 'Ratios', NULL);"
                          "CREATE TABLE Names (t TEXT);"
                          "INSERT INTO Names VALUES ('École de conduite'), ('ÉCOLE'), ('Fabrication d''aliments'),"
                          " ('Straße'), ('Garage');");
    }
    Fakes fakes;
    std::string dir, store;
    ConnectionHandle cn;
};

} // namespace

TEST_F(DBToolsTest, FileNameIsTrimmedAndKindIsCaseInsensitive) {
    fs::copy_file(store, dir + "/UPPER.MDB");
    ConnectToFile(cn, "   " + dir + "/UPPER.MDB  ", "unknown");
    ASSERT_TRUE(cn);
    EXPECT_EQ(cn->kind(), Connection::Kind::Database);
    EXPECT_EQ(cn->connectionString, "Data Source=" + dir + "/UPPER.MDB");
}

TEST_F(DBToolsTest, TextOnUnknownFolderOpensTheApplicationFolder) {
    std::ofstream(dir + "/rates.csv") << "Code,Rate\nA,1.5\n";
    ConnectToFile(cn, "text", "unknown");
    ASSERT_TRUE(cn);
    EXPECT_EQ(cn->kind(), Connection::Kind::TextFolder);
    EXPECT_EQ(cn->connectionString, "DRIVER={Microsoft Text Driver (*.txt; *.csv)};DBQ=" + dir + ";DefaultDir=" + dir +
                                        ";Uid=Admin;Pwd=;");
}

TEST_F(DBToolsTest, UnknownFileKindShowsItsMessageAndEndsTheProgram) {
    EXPECT_THROW(ConnectToFile(cn, "Text", "unknown"), ProgramEnded);
    ASSERT_EQ(fakes.messages->shown.size(), 1u);
    EXPECT_EQ(fakes.messages->last().text, "Invalid use of ConnectToFile (Invalid File Type: ext )");
    EXPECT_EQ(fakes.messages->last().buttons, MsgButtons::OK);
    EXPECT_EQ(fakes.messages->last().icon, MsgIcon::None);
    EXPECT_EQ(fakes.messages->last().title, "");

    EXPECT_THROW(ConnectToFile(cn, "report.DOC", "unknown"), ProgramEnded);
    EXPECT_EQ(fakes.messages->last().text, "Invalid use of ConnectToFile (Invalid File Type: DOC )");
    EXPECT_EQ(fakes.exit->codes.size(), 2u);
}

TEST_F(DBToolsTest, UnknownModeShowsTheModeAsPassedAndEndsTheProgram) {
    ConnectToFile(cn, store, "unknown");
    EXPECT_NO_THROW(GetRS(cn, "select * from MyValues", "READ"));
    EXPECT_THROW(GetRS(cn, "select * from MyValues", "Update"), ProgramEnded);
    EXPECT_EQ(fakes.messages->last().text, "Invalid use of GetRS (Invalid WriteMode: Update )");
}

TEST_F(DBToolsTest, DisconnectEmptiesTheVariableAndReconnectClosesTheFirst) {
    DisconnectFromDB(cn);  // empty: nothing happens
    EXPECT_FALSE(cn);
    ConnectToFile(cn, store, "unknown");
    std::weak_ptr<Connection> first = cn;
    ConnectToFile(cn, store, "unknown");
    EXPECT_TRUE(first.expired());
    EXPECT_TRUE(cn);
    DisconnectFromDB(cn);
    EXPECT_FALSE(cn);
    EXPECT_THROW(GetRS(cn, "select 1", "read"), DbError);
}

TEST_F(DBToolsTest, MissingForeignAndBrokenFilesAreRefusedNamingTheFile) {
    try {
        ConnectToFile(cn, dir + "/absent.mdb", "unknown");
        FAIL() << "a missing file must not be created";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("absent.mdb"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(dir + "/absent.mdb"));

    std::string access = dir + "/access.mdb";
    {
        std::ofstream f(access, std::ios::binary);
        const char head[] = "\0\1\0\0Standard Jet DB\0\0\0\0";
        f.write(head, sizeof head);
        f << std::string(4096, '\0');
    }
    try {
        ConnectToFile(cn, access, "unknown");
        FAIL();
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("Microsoft Access"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("access.mdb"), std::string::npos);
    }

    std::ofstream(dir + "/junk.mdb") << std::string(5000, 'x');
    EXPECT_THROW(ConnectToFile(cn, dir + "/junk.mdb", "unknown"), DbError);
}

TEST_F(DBToolsTest, ReadRecordsetIsACompleteSnapshotWithNullDistinct) {
    ConnectToFile(cn, store, "unknown");
    auto rs = GetRS(cn, "select * from MyValues order by [Year] desc", "read");
    EXPECT_EQ(rs->RecordCount(), 3);
    EXPECT_EQ(rs->Fields("firmname").toString(), "Acme");
    EXPECT_EQ(rs->Fields("CASH").type(), Variant::Type::Real);
    rs->MoveNext();
    EXPECT_TRUE(rs->Fields("Cash").isNull());
    EXPECT_DOUBLE_EQ(rs->Fields("ar").toDouble(), 5.5);
    rs->MoveNext();
    EXPECT_FALSE(rs->Fields("FirmName").isNull());
    EXPECT_EQ(rs->Fields("FirmName").toString(), "");
    EXPECT_FALSE(rs->Fields("Cash").isNull());
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    EXPECT_THROW(rs->Fields("Cash"), DbError);
    rs->MoveFirst();
    EXPECT_THROW(rs->Fields("NoSuchColumn"), DbError);
    // The snapshot does not follow later changes.
    ExecCmdInDB(cn, "delete * from MyValues");
    EXPECT_EQ(rs->RecordCount(), 3);
    EXPECT_EQ(GetRS(cn, "select * from MyValues", "read")->RecordCount(), 0);
}

TEST_F(DBToolsTest, ReadRecordsetCannotBeChanged) {
    ConnectToFile(cn, store, "unknown");
    auto rs = GetRS(cn, "select * from MyValues", "read");
    EXPECT_THROW(rs->SetField("Cash", 1.0), DbError);
    EXPECT_THROW(rs->AddNew(), DbError);
}

TEST_F(DBToolsTest, WriteRecordsetEditsAddsAndDeletes) {
    ConnectToFile(cn, store, "unknown");
    auto rs = GetRS(cn, "select * from MyValues where [Year] >= 2009 order by [Year]", "write");
    ASSERT_TRUE(rs->Updatable());
    ASSERT_EQ(rs->RecordCount(), 2);
    rs->SetField("cash", 42.0);
    rs->Update();
    EXPECT_DOUBLE_EQ(GetRS(cn, "select Cash from MyValues where FirmName = 'O''Hara'", "read")->Fields(0).toDouble(),
                     42.0);

    rs->AddNew();
    rs->SetField("FirmName", "New firm");
    rs->SetField("Year", 2010);
    rs->Update();
    EXPECT_EQ(rs->RecordCount(), 3);  // sees its own addition
    EXPECT_EQ(rs->Fields("FirmName").toString(), "New firm");
    EXPECT_TRUE(rs->Fields("Cash").isNull());
    EXPECT_EQ(GetRS(cn, "select * from MyValues", "read")->RecordCount(), 4);

    rs->MoveFirst();
    rs->Delete();
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(GetRS(cn, "select * from MyValues where FirmName = 'O''Hara'", "read")->RecordCount(), 0);
}

TEST_F(DBToolsTest, WriteRecordsetDetectsAChangeByAnotherWriter) {
    ConnectToFile(cn, store, "unknown");
    ConnectionHandle other;
    ConnectToFile(other, store, "unknown");
    auto rs = GetRS(cn, "select * from MyValues where FirmName = 'Acme'", "write");
    ExecCmdInDB(other, "Update MyValues Set Cash = 7 where FirmName = 'Acme'");
    rs->SetField("Cash", 1.0);
    EXPECT_THROW(rs->Update(), DbError);
    EXPECT_DOUBLE_EQ(GetRS(cn, "select Cash from MyValues where FirmName = 'Acme'", "read")->Fields(0).toDouble(), 7.0);
}

TEST_F(DBToolsTest, JoinedQueriesInWriteModeAreNotUpdatable) {
    ConnectToFile(cn, store, "unknown");
    auto rs = GetRS(cn, "select * from MyValues M inner join Titles T on M.[Year] = T.Volume", "write");
    EXPECT_FALSE(rs->Updatable());
}

TEST_F(DBToolsTest, JetStatementsRunEndToEnd) {
    ConnectToFile(cn, store, "unknown");
    ExecCmdInDB(cn, "DELETE myvalues from myvalues where firmname = 'O''Hara' and [year] = 2009");
    EXPECT_EQ(GetRS(cn, "select * from myvalues", "read")->RecordCount(), 2);

    ExecCmdInDB(cn, "Update Report T, (select * from Titles where Volume = 3 and [Language] = 'F' ) D "
                    "Set T.Heading = D.Title1 + ' - ' + 'Nouvelle-Écosse', T.Region = 'NS'");
    auto rs = GetRS(cn, "select * from Report", "read");
    EXPECT_EQ(rs->Fields("Heading").toString(), "Petites entreprises - Nouvelle-Écosse");
    EXPECT_EQ(rs->Fields("Region").toString(), "NS");

    ExecCmdInDB(cn, "Update Report Set Naics = '311',     Heading = Heading + ' 2010, 2009, 2008'");
    EXPECT_EQ(GetRS(cn, "select Heading from Report", "read")->Fields(0).toString(),
              "Petites entreprises - Nouvelle-Écosse 2010, 2009, 2008");

    ExecCmdInDB(cn, "delete * from Report");
    EXPECT_EQ(GetRS(cn, "select * from Report", "read")->RecordCount(), 0);
    EXPECT_THROW(ExecCmdInDB(cn, "delete * from NoSuchTable"), DbError);
}

TEST_F(DBToolsTest, LikeIgnoresCaseAndAccentsForAllOfUnicode) {
    ConnectToFile(cn, store, "unknown");
    auto count = [&](const std::string& word) {
        return GetRS(cn, "select * from Names where t like '%" + SqlQuote(word) + "%'", "read")->RecordCount();
    };
    EXPECT_EQ(count("ecole"), 2);
    EXPECT_EQ(count("ÉCOLE"), 2);
    EXPECT_EQ(count("École de"), 1);
    EXPECT_EQ(count("d'aliments"), 1);
    EXPECT_EQ(count("STRASSE"), 1);  // ß folds to ss
    EXPECT_EQ(count(""), 5);
    EXPECT_EQ(count("g_rage"), 1);  // "_" is one character
    EXPECT_EQ(count("xyz"), 0);
    EXPECT_EQ(GetRS(cn, "select * from Names where t like 'gar%'", "read")->RecordCount(), 1);
    EXPECT_EQ(GetRS(cn, "select * from Names where t like 'arage'", "read")->RecordCount(), 0);
}

TEST_F(DBToolsTest, TransactionRollsBackUnlessCommittedAndNests) {
    ConnectToFile(cn, store, "unknown");
    {
        Transaction t(cn);
        ExecCmdInDB(cn, "delete * from MyValues");
    }
    EXPECT_EQ(GetRS(cn, "select * from MyValues", "read")->RecordCount(), 3);
    {
        Transaction outer(cn);
        ExecCmdInDB(cn, "delete * from Titles");
        {
            Transaction inner(cn);
            ExecCmdInDB(cn, "delete * from MyValues");
        }  // inner rolled back
        outer.Commit();
    }
    EXPECT_EQ(GetRS(cn, "select * from MyValues", "read")->RecordCount(), 3);
    EXPECT_EQ(GetRS(cn, "select * from Titles", "read")->RecordCount(), 0);
}

TEST_F(DBToolsTest, TextFolderFilesAreReadOnlyTables) {
    std::string folder = MakeTempDir("zorva-csv");
    std::ofstream(folder + "/rates.csv") << "Code,Name,Rate\r\nA,\"Smith, \"\"Jr\"\"\",1.5\r\nB,Plain,\r\n";
    std::ofstream(folder + "/notes.txt") << "Id,Text\n1,hello\n";
    std::ofstream(folder + "/ignored.dat") << "x\n";
    ConnectToFile(cn, "text", folder);
    auto rs = GetRS(cn, "select * from [rates.csv] order by Code", "read");
    ASSERT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(rs->Fields("Name").toString(), "Smith, \"Jr\"");
    EXPECT_DOUBLE_EQ(rs->Fields("rate").toDouble(), 1.5);
    rs->MoveNext();
    EXPECT_TRUE(rs->Fields("Rate").isNull());
    EXPECT_EQ(GetRS(cn, "select * from notes#txt", "read")->Fields("Text").toString(), "hello");
    EXPECT_THROW(ExecCmdInDB(cn, "delete * from [rates.csv]"), DbError);
    EXPECT_THROW(GetRS(cn, "select * from [ignored.dat]", "read"), DbError);
}

TEST_F(DBToolsTest, MissingWorkbookIsAnErrorNamingIt) {
    try {
        ConnectToFile(cn, dir + "/absent.xls", "unknown");
        FAIL();
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("absent.xls"), std::string::npos);
    }
}

TEST(SqlQuote, DoublesEveryQuote) {
    EXPECT_EQ(SqlQuote("O'Hara's"), "O''Hara''s");
    EXPECT_EQ(SqlQuote(""), "");
}

TEST(VariantText, NumbersAsTextWithPointAndFifteenDigits) {
    EXPECT_EQ(Variant(12.5).toString(), "12.5");
    EXPECT_EQ(Variant(-0.25).toString(), "-0.25");
    EXPECT_EQ(Variant(0.1 + 0.2).toString(), "0.3");
    EXPECT_EQ(Variant(1e16).toString(), "1E+16");
    EXPECT_EQ(Variant(1.5e-5).toString(), "1.5E-05");
    EXPECT_EQ(Variant(static_cast<std::int64_t>(2010)).toString(), "2010");
    EXPECT_EQ(Variant().toString(), "");
    EXPECT_DOUBLE_EQ(Variant("1,5").toDouble(), 1.0);
    EXPECT_DOUBLE_EQ(Variant("  -3.5e2x").toDouble(), -350.0);
    EXPECT_DOUBLE_EQ(Variant("abc").toDouble(), 0.0);
}

TEST_F(DBToolsTest, EveryWorksheetIsAReadOnlyTable) {
    ConnectToFile(cn, std::string(ZORVA_SOURCE_DIR) + "/tests/core/fixtures/sample.xls", "unknown");
    EXPECT_EQ(cn->kind(), Connection::Kind::Workbook);
    auto rs = GetRS(cn, "select * from [Rates$] order by Code", "read");
    ASSERT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(rs->Fields("name").toString(), "Nouvelle-Écosse");
    EXPECT_DOUBLE_EQ(rs->Fields("Rate").toDouble(), 1.5);
    rs->MoveNext();
    EXPECT_EQ(rs->Fields("Name").toString(), "O'Neil");
    EXPECT_EQ(GetRS(cn, "select Firms from Counts where [Year] = 2010", "read")->Fields(0).toInt(), 1234);
    EXPECT_THROW(ExecCmdInDB(cn, "delete * from Counts"), DbError);
}

TEST(VariantText, ACommaLocaleChangesNothing) {
    CommaLocaleScope comma(MakeTempDir("zorva-locale"));
    if (!comma.active()) GTEST_SKIP() << "no locale with a decimal comma available";
    EXPECT_EQ(Variant(12.5).toString(), "12.5");
    EXPECT_DOUBLE_EQ(Variant("12.5").toDouble(), 12.5);
    EXPECT_DOUBLE_EQ(Variant("-3.25e1").toDouble(), -32.5);
}
