// Rebuilding the stores: the user store keeps the user's records and gains
// what is missing; the industry store is replaced whole or not at all; the
// committed industry source is what the generator makes.
#include "support/DataFixture.h"
#include "support/SqliteHelper.h"

#include "store/Store.h"
#include "store/Validate.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <map>
#include <set>
#include <QStandardPaths>
#include <QStringList>

using namespace zorvadata;
using namespace datatest;

namespace {

const std::string kSourceDir = ZORVA_SOURCE_DIR;

UserSource shippedUserSource() {
    UserSource src;
    Diagnostics d;
    EXPECT_TRUE(loadUserSource(kSourceDir + "/data/user", src, d)) << d.text();
    return src;
}

const char* kSaveRecord =
    "insert into MyValues values ('Boulangerie d''Anne', 2010, '3118', 1500.25, 200, 300, 400, 100, 2500.25, 0, 0, "
    "2500.25, 5000, 4800, 2500, 400, 50, 350, 300, 250, 0, 500, 0, 300, 100, 50, 0, 1200, 100, 1150.25, 50, "
    "1300.25, 2500.25, 1200, 600)";

class RebuildTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        dir = fs::path(tmp.path().toStdString());
        store = (dir / "myData.mdb").string();
    }
    StoreSummary update() {
        StoreSummary s;
        Diagnostics d;
        EXPECT_TRUE(updateUserStore(source, store, d, s)) << d.text();
        return s;
    }
    QTemporaryDir tmp;
    fs::path dir;
    std::string store;
    UserSource source = shippedUserSource();
};

TEST_F(RebuildTest, ANewUserStoreHasEveryTableAndTheReferenceRows) {
    StoreSummary s = update();
    EXPECT_TRUE(s.created);
    EXPECT_EQ(s.tables, 14);
    Sql user(store);
    for (const auto& t : userTables()) EXPECT_TRUE(user.hasTable(t.name)) << t.name;
    for (const auto& t : reportDataTables()) EXPECT_TRUE(user.hasTable(t)) << t;
    EXPECT_EQ(user.count("select count(*) from ProvinceCodes"), 17);
    EXPECT_EQ(user.count("select count(*) from MyValues"), 0);
    // The title tables take "select *" from their sources.
    for (const char* t : {"Rpt_Ratios_Titles", "Rpt_BalanceSheet_Titles", "Rpt_Comparison_Titles"})
        EXPECT_EQ(user.columns(t), user.columns(std::string(t) + "_Source")) << t;
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

TEST_F(RebuildTest, RebuildingKeepsTheSavedRecords) {
    update();
    {
        Sql user(store, false);
        user.exec(kSaveRecord);
        user.exec("INSERT INTO BookMappings VALUES ('gnucash:1', 'a1', 'Assets:Chequing', 'Cash')");
    }
    StoreSummary s = update();
    EXPECT_FALSE(s.created);
    EXPECT_EQ(s.userRecords, 1);
    EXPECT_EQ(Sql(store).count("select count(*) from BookMappings"), 1);  // the remembered mappings too
    EXPECT_TRUE(s.tablesAdded.empty());
    EXPECT_TRUE(s.columnsAdded.empty());
    Sql user(store);
    auto r = user.rows("select FirmName, Year, NAICS, Cash, RetEarn, CurrentLiabilities from MyValues");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0], (std::vector<std::string>{"Boulangerie d'Anne", "2010", "3118", "1500.25", "1150.25", "600.0"}));
}

TEST_F(RebuildTest, MissingTablesAndColumnsAreAddedAndRowsKept) {
    update();
    {
        Sql user(store, false);
        user.exec(kSaveRecord);
        user.exec("ALTER TABLE MyValues DROP COLUMN CurrentLiabilities");
        user.exec("DROP TABLE Rpt_Comparison");
        user.exec("DROP TABLE ProvinceCodes");
        user.exec("DROP TABLE BookMappings");  // a store from before books were imported
        // An older layout of a title table: a column missing, the order changed.
        user.exec("DROP TABLE Rpt_Comparison_Titles");
        user.exec("CREATE TABLE Rpt_Comparison_Titles (NAICS TEXT, Language TEXT)");
        user.exec("INSERT INTO Rpt_Comparison_Titles VALUES ('3118', 'F')");
        user.exec("CREATE TABLE MyNotes (Note TEXT)");
        user.exec("INSERT INTO MyNotes VALUES ('mine')");
    }
    StoreSummary s = update();
    EXPECT_EQ(s.tablesAdded, (std::vector<std::string>{"BookMappings", "Rpt_Comparison", "ProvinceCodes"}));
    EXPECT_EQ(s.tablesRebuilt, (std::vector<std::string>{"Rpt_Comparison_Titles"}));
    EXPECT_NE(std::find(s.columnsAdded.begin(), s.columnsAdded.end(), "MyValues.CurrentLiabilities"), s.columnsAdded.end());

    Sql user(store);
    auto r = user.rows("select FirmName, Cash, CurrentLiabilities from MyValues");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0], (std::vector<std::string>{"Boulangerie d'Anne", "1500.25", "<null>"}));
    EXPECT_EQ(user.columns("MyValues").size(), 35u);
    EXPECT_EQ(user.columns("Rpt_Comparison_Titles"), user.columns("Rpt_Comparison_Titles_Source"));
    EXPECT_EQ(user.value("select NAICS || Language from Rpt_Comparison_Titles"), "3118F");
    EXPECT_EQ(user.count("select count(*) from ProvinceCodes"), 17);
    EXPECT_EQ(user.value("select Note from MyNotes"), "mine");
}

// A table whose last column was renamed (an older version's name for it) is
// laid out anew like any other whose columns differ, keeping the columns it
// shares with its layout; the user's own records only gain columns.
TEST_F(RebuildTest, ATableWhoseLastColumnWasRenamedIsLaidOutAnew) {
    update();
    std::map<std::string, std::vector<std::string>> layout;
    {
        Sql user(store, false);
        for (const auto& def : userLayout())
            if (def.name != "MyValues") layout[def.name] = user.columns(def.name);
        user.exec("INSERT INTO Rpt_Comparison (MyFirmName) VALUES ('Kept')");
        for (const auto& [table, columns] : layout)
            user.exec("ALTER TABLE " + table + " RENAME COLUMN \"" + columns.back() + "\" TO Old_" + columns.back());
    }
    StoreSummary s = update();
    std::vector<std::string> rebuilt = s.tablesRebuilt;
    std::sort(rebuilt.begin(), rebuilt.end());
    std::vector<std::string> expected;
    for (const auto& entry : layout) expected.push_back(entry.first);
    EXPECT_EQ(rebuilt, expected);
    Sql user(store);
    for (const auto& [table, columns] : layout) EXPECT_EQ(user.columns(table), columns) << table;
    EXPECT_EQ(user.value("select MyFirmName from Rpt_Comparison"), "Kept");
}

TEST_F(RebuildTest, ReferenceRowsAreRefreshedFromTheShippedSources) {
    update();
    {
        Sql user(store, false);
        user.exec("UPDATE ProvinceCodes SET English = 'Nova' WHERE Code = 'NS'");
        user.exec("DELETE FROM Volume_Descriptions WHERE Volume = 2");
        user.exec("INSERT INTO Rpt_Ratios_Titles_Source (Language) VALUES ('X')");
    }
    update();
    Sql user(store);
    EXPECT_EQ(user.value("select English from ProvinceCodes where Code = 'NS'"), "Nova Scotia");
    EXPECT_EQ(user.count("select count(*) from Volume_Descriptions"), 6);
    EXPECT_EQ(user.count("select count(*) from Rpt_Ratios_Titles_Source"), 2);
}

TEST_F(RebuildTest, AFileThatIsNotADatabaseIsLeftAlone) {
    writeText(store, "my notes, not a database");
    StoreSummary s;
    Diagnostics d;
    EXPECT_FALSE(updateUserStore(source, store, d, s));
    EXPECT_TRUE(d.contains("left untouched")) << d.text();
    EXPECT_EQ(readText(store), "my notes, not a database");
}

TEST_F(RebuildTest, StoresGainTheWriteAheadLogKeepingTheirRowsAndDamagedOnesAreLeftAlone) {
    // A new store is made in the log mode.
    update();
    EXPECT_EQ(Sql(store).rows("PRAGMA journal_mode")[0][0], "wal");
    // A store of an older version, in the rollback-journal mode, gains it and
    // keeps its saved record.
    {
        Sql user(store, false);
        user.exec("PRAGMA journal_mode = DELETE");
        user.exec(kSaveRecord);
    }
    EXPECT_EQ(update().journalMode, "wal");
    long page = 0;
    {
        Sql user(store, false);
        EXPECT_EQ(user.rows("PRAGMA journal_mode")[0][0], "wal");
        EXPECT_EQ(user.rows("select FirmName from MyValues")[0][0], "Boulangerie d'Anne");
        page = std::stol(user.rows("select rootpage from sqlite_master where name = 'MyValues'")[0][0]);
        user.exec("PRAGMA wal_checkpoint(TRUNCATE)");
    }
    // A damaged store (zeros over the page of the saved records) is left as it is.
    std::string bytes = readText(store);
    std::fill_n(bytes.begin() + (page - 1) * 4096, 4096, '\0');
    writeText(store, bytes);
    StoreSummary s;
    Diagnostics d;
    EXPECT_FALSE(updateUserStore(source, store, d, s));
    EXPECT_TRUE(d.contains("left untouched")) << d.text();
    EXPECT_TRUE(readText(store) == bytes);
}

// ------------------------------------------------------------ the tool itself

struct ToolRun {
    int code;
    std::string err;
};

ToolRun runTool(const QStringList& args) {
    QProcess p;
    p.start(QString::fromUtf8(ZORVA_DATA_TOOL), args);
    if (!p.waitForFinished(60000)) return {-1, "timed out"};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardError().toStdString()};
}

TEST_F(RebuildTest, TheToolKeepsUserRecordsAcrossBuilds) {
    const QString src = QString::fromStdString(kSourceDir + "/data/user");
    const QString out = QString::fromStdString(store);
    ToolRun first = runTool({"build-user", src, out});
    ASSERT_EQ(first.code, 0) << first.err;
    {
        Sql user(store, false);
        user.exec(kSaveRecord);
    }
    ToolRun second = runTool({"build-user", src, out});
    ASSERT_EQ(second.code, 0) << second.err;
    Sql user(store);
    EXPECT_EQ(user.count("select count(*) from MyValues where FirmName = 'Boulangerie d''Anne' and Year = 2010"), 1);
}

TEST_F(RebuildTest, AFailedIndustryBuildLeavesThePreviousStore) {
    fs::path src = dir / "industry";
    fs::create_directories(src);
    writeFixture(src);
    const QString out = QString::fromStdString((dir / "ZOR_DATA.mdb").string());
    ToolRun ok = runTool({"build-industry", QString::fromStdString(src.string()), out});
    ASSERT_EQ(ok.code, 0) << ok.err;
    {
        Sql industry((dir / "ZOR_DATA.mdb").string());
        EXPECT_EQ(industry.count("select count(*) from sqlite_master where type = 'table' and name like 'ZORVA_Vol%'"), 57);
        EXPECT_EQ(industry.value("select IndustryDescription from ZORVA_Vol3_ON_2009_Final_Ratios where NAICS = '4451'"),
                  "Grocery stores");
    }
    const std::string before = readText(dir / "ZOR_DATA.mdb");

    setCell(src / ratioFile(3, "ON", 2009), "4451", "A11", "11");
    ToolRun bad = runTool({"build-industry", QString::fromStdString(src.string()), out});
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.err.find(ratioFile(3, "ON", 2009) + ":3:"), std::string::npos) << bad.err;
    EXPECT_NE(bad.err.find("nothing was written"), std::string::npos) << bad.err;
    EXPECT_EQ(readText(dir / "ZOR_DATA.mdb"), before);

    // A store that cannot be written leaves no temporary file behind.
    setCell(src / ratioFile(3, "ON", 2009), "4451", "A11", "10");
    ToolRun noDir = runTool({"build-industry", QString::fromStdString(src.string()),
                         QString::fromStdString((dir / "missing" / "ZOR_DATA.mdb").string())});
    EXPECT_EQ(noDir.code, 1) << noDir.err;
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

// An edition is three consecutive years: a folder with a year missing
// between the others, or with a fourth year, is refused by year, and nothing
// is written; a folder of any three consecutive years is an edition.
TEST_F(RebuildTest, CheckIndustryRefusesAGapOrAFourthYearAndSaysWhich) {
    const struct {
        const char* what;
        int removed;  // the year whose tables are taken away, or 0
        int added;    // the year whose tables are added (copies of 2010's), or 0
        int shift;    // every year moved by this many years
        int code;
        std::string message;
    } cases[] = {
        {"a gap", 2009, 0, 0, 1,
         "edition: no table of 2009: the edition of 2010 holds 2010, 2009 and 2008 (the latest year found and the "
         "two before it); add the tables of that year"},
        {"a fourth year", 0, 2007, 0, 1,
         "edition: tables of 2007 as well: the edition of 2010 holds 2010, 2009 and 2008 (the latest year found and "
         "the two before it); remove the tables of 2007"},
        {"a newer fourth year", 0, 2011, 0, 1, "remove the tables of 2008"},
        {"another edition", 0, 0, 13, 0, ""},
    };
    for (const auto& c : cases) {
        const fs::path src = dir / c.what;
        fs::create_directories(src);
        writeFixture(src);
        for (const auto& d : dataSets()) {
            for (int y : referenceYears()) {
                const fs::path f = src / ratioFile(d.volume, d.region, y);
                if (!fs::exists(f)) continue;
                if (y == c.removed) fs::remove(f);
                if (c.shift) fs::rename(f, src / ratioFile(d.volume, d.region, y + c.shift));
            }
            if (c.added)
                fs::copy_file(src / ratioFile(d.volume, d.region, 2010), src / ratioFile(d.volume, d.region, c.added));
        }
        if (c.shift && fs::exists(src / "absent_tables.csv")) {  // the tables left out name the years too
            std::string absent = readText(src / "absent_tables.csv");
            for (int y : referenceYears())
                for (size_t at; (at = absent.find("_" + std::to_string(y) + "_")) != std::string::npos;)
                    absent.replace(at + 1, 4, std::to_string(y + c.shift));
            writeText(src / "absent_tables.csv", absent);
        }
        ToolRun check = runTool({"check-industry", QString::fromStdString(src.string())});
        EXPECT_EQ(check.code, c.code) << c.what << ": " << check.err;
        EXPECT_NE(check.err.find(c.message), std::string::npos) << c.what << ": " << check.err;
        const QString out = QString::fromStdString((dir / (std::string(c.what) + ".mdb")).string());
        ToolRun build = runTool({"build-industry", QString::fromStdString(src.string()), out});
        EXPECT_EQ(build.code, c.code) << c.what << ": " << build.err;
        EXPECT_EQ(fs::exists(out.toStdString()), c.code == 0) << c.what;
    }
    Sql edition((dir / "another edition.mdb").string());
    EXPECT_EQ(edition.count("select count(*) from sqlite_master where name like 'ZORVA_Vol%_2023_Final_Ratios'"), 19);
}

TEST_F(RebuildTest, TheCommittedIndustrySourceIsWhatTheGeneratorMakes) {
    // The system's Python, which has the Debian NumPy; a Python of the user's
    // own earlier on PATH may lack it.
    QString python = QFileInfo::exists("/usr/bin/python3") ? QString("/usr/bin/python3")
                                                          : QStandardPaths::findExecutable("python3");
    if (python.isEmpty()) GTEST_SKIP() << "python3 is not installed";
    // The shipped edition and the second one, each from its own story.
    for (const auto& [edition, folder] : {std::pair<QString, std::string>{"2010", "data/industry"},
                                          std::pair<QString, std::string>{"2023", "data/editions/2023"}}) {
        fs::path out = dir / ("generated-" + edition.toStdString());
        QProcess p;
        p.start(python, {QString::fromStdString(kSourceDir + "/tools/zorva-data/gen/generate.py"), "--edition", edition,
                         "--out", QString::fromStdString(out.string())});
        ASSERT_TRUE(p.waitForFinished(600000));  // about 20 s on a quiet machine
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        const fs::path committed = kSourceDir + "/" + folder;
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(committed)) names.insert(e.path().filename().string());
        std::set<std::string> made;
        for (const auto& e : fs::directory_iterator(out)) made.insert(e.path().filename().string());
        EXPECT_EQ(names, made) << folder;
        for (const auto& n : made) EXPECT_TRUE(readText(out / n) == readText(committed / n)) << folder << "/" << n << " differs";
    }
}

} // namespace
