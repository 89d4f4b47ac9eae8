// zorva-cli as a user drives it: the program built into the application
// folder, run on small stores given with --app-dir.

#include "support/AppFixture.h"
#include "support/FixtureStores.h"
#include "support/PgServer.h"
#include "support/OtherPrograms.h"

#include "CompareStream.h"
#include "core/Catalogue.h"
#include "core/Globals.h"
#include "core/Strings.h"
#include "enterprise/EnterpriseRecord.h"
#include "selection/WordSearch.h"
#include "reports/prep/ReportPrep.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <xlsxwriter.h>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>

using namespace zorva;
using namespace zorva::test;

namespace {

struct CliRun {
    int code = -1;
    std::string out, err;
    std::vector<QJsonObject> objects;  // one per stdout line
    bool allLinesAreJson = true;
};

CliRun runCli(const QStringList& args) {
    QProcess p;
    p.start(QString::fromStdString(BuiltAppDir() + "/zorva-cli"), args);
    CliRun r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        ADD_FAILURE() << "zorva-cli did not finish";
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    QByteArray out = p.readAllStandardOutput();
    r.out = out.toStdString();
    r.err = p.readAllStandardError().toStdString();
    for (const QByteArray& line : out.split('\n')) {
        if (line.isEmpty()) continue;
        QJsonParseError e;
        QJsonDocument d = QJsonDocument::fromJson(line, &e);
        if (e.error != QJsonParseError::NoError || !d.isObject()) {
            r.allLinesAreJson = false;
            continue;
        }
        r.objects.push_back(d.object());
    }
    return r;
}

std::string str(const QJsonObject& o, const char* key) { return o.value(key).toString().toStdString(); }

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        stores.addNaics("111", "Crop production", "Cultures agricoles");
        stores.addNaics("4452", "Farmers' markets", "Marchés d'agriculteurs", "Ind11");
        for (int y : {2010, 2009}) {
            stores.addIndustryRow(3, "NS", y, "111", {{"NumberOfFirms", Variant(std::int64_t{y - 1900})}});
            stores.addIndustryRow(3, "NS", y, "4452");
        }
        ExecCmdInDB(stores.industry, "insert into datadescription values ('optNovaScotia', 'Small firms of Nova Scotia', "
                                     "'Petites entreprises de la Nouvelle-Écosse')");
    }
    QStringList base(const QStringList& args) { return QStringList{"--app-dir", QString::fromStdString(stores.dir)} + args; }
    std::string writeCsv(const std::string& text) {
        std::string path = stores.dir + "/values" + std::to_string(++files_) + ".csv";
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    CliRun compare(const std::string& csv, const QStringList& more = {}) {
        return runCli(base(QStringList{"compare", "--dataset", "optNovaScotia", "--naics", "111", "--values",
                                       QString::fromStdString(writeCsv(csv))} + more));
    }
    FixtureStores stores;

private:
    int files_ = 0;
};

const char* kHeader = "FirmName,Year,Cash,Ar,AccountsPayable,ShareC,OperatingRevenue,ProfitAfterTax\n";

} // namespace

// ---------------------------------------------------------------- usage

TEST_F(Cli, HelpForTheToolAndEachCommand) {
    CliRun r = runCli({"--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("Usage: zorva-cli"), std::string::npos);
    for (const char* cmd : {"datasets", "industries", "compare", "prepare"}) {
        r = runCli({cmd, "--help"});
        EXPECT_EQ(r.code, 0) << cmd;
        EXPECT_NE(r.out.find(std::string("zorva-cli ") + cmd), std::string::npos) << cmd;
    }
}

TEST_F(Cli, BadArgumentsExitWithTwoAndSayWhyOnStderr) {
    for (const QStringList& args : {QStringList{}, QStringList{"frobnicate"}, QStringList{"datasets", "--lang", "de"},
                                    QStringList{"datasets", "--naics", "111"}, QStringList{"industries"},
                                    QStringList{"industries", "--dataset", "optMars"},
                                    QStringList{"compare", "--dataset", "optNovaScotia", "--naics", "111"},
                                    QStringList{"prepare", "--type", "xyz", "--dataset", "optNovaScotia", "--naics", "111"},
                                    QStringList{"prepare", "--type", "rat", "--dataset", "optNovaScotia", "--naics", "111",
                                                "--year", "2011"},
                                    QStringList{"datasets", "--lang"}}) {
        CliRun r = runCli(base(args));
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
        EXPECT_EQ(r.out, "") << args.join(' ').toStdString();
        EXPECT_NE(r.err.find("zorva-cli: "), std::string::npos) << args.join(' ').toStdString();
    }
}

TEST_F(Cli, AFolderWithoutStoresIsAnUnreadableFile) {
    CliRun r = runCli({"--app-dir", QString::fromStdString(MakeTempDir("zorva-empty")), "datasets"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("ZOR_DATA.mdb"), std::string::npos);
    EXPECT_EQ(r.out, "");
}

// ---------------------------------------------------------------- datasets

TEST_F(Cli, DatasetsInCatalogueOrder) {
    CliRun r = runCli(base({"datasets"}));
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.allLinesAreJson);
    ASSERT_EQ(r.objects.size(), 19u);
    const QJsonObject& v1 = r.objects[0];
    EXPECT_EQ(str(v1, "option"), "optVol1");
    EXPECT_EQ(v1.value("volume").toInt(), 1);
    EXPECT_EQ(str(v1, "region"), "ALL");
    EXPECT_EQ(str(v1, "table"), "ZORVA_Vol1_ALL_2010_Final_Ratios");
    EXPECT_EQ(str(v1, "naicsTable"), "ZORVA_NAICS_Description_Ind_Detailed");
    EXPECT_EQ(v1.value("enabled"), QJsonValue(false));
    EXPECT_EQ(str(v1, "caption"), "Enterprises with Revenue of $25 million or more");
    EXPECT_EQ(str(v1, "description"), "");
    const QJsonObject& ns = r.objects[4];
    EXPECT_EQ(str(ns, "option"), "optNovaScotia");
    EXPECT_EQ(ns.value("volume").toInt(), 3);
    EXPECT_EQ(str(ns, "naicsTable"), "ZORVA_NAICS_Description_Ind_Raw");
    EXPECT_EQ(ns.value("enabled"), QJsonValue(true));
    EXPECT_EQ(str(ns, "description"), "Small firms of Nova Scotia");
    EXPECT_EQ(str(r.objects[18], "option"), "optYukon");
    for (const auto& o : r.objects)
        for (const char* k : {"option", "volume", "region", "table", "naicsTable", "enabled", "caption", "description"})
            EXPECT_TRUE(o.contains(k)) << k;
}

TEST_F(Cli, DatasetsInFrench) {
    CliRun r = runCli(base({"datasets", "--lang", "fr"}));
    ASSERT_EQ(r.objects.size(), 19u);
    EXPECT_EQ(str(r.objects[4], "caption"), "Nouvelle-Écosse");
    EXPECT_EQ(str(r.objects[4], "description"), "Petites entreprises de la Nouvelle-Écosse");
}

// ---------------------------------------------------------------- industries

TEST_F(Cli, IndustriesByTitleAndByKeyWord) {
    CliRun r = runCli(base({"industries", "--dataset", "optNovaScotia"}));
    EXPECT_EQ(r.code, 0);
    ASSERT_EQ(r.objects.size(), 2u);
    EXPECT_EQ(str(r.objects[0], "naics"), "111");
    EXPECT_EQ(str(r.objects[0], "title"), "Crop production");
    EXPECT_EQ(str(r.objects[0], "sector"), "Agriculture, forestry, fishing and hunting");
    EXPECT_EQ(str(r.objects[1], "title"), "Farmers' markets");

    r = runCli(base({"industries", "--dataset", "optNovaScotia", "--keyword", "MARCHÉS D'", "--lang", "fr"}));
    ASSERT_EQ(r.objects.size(), 1u);
    EXPECT_EQ(str(r.objects[0], "naics"), "4452");
    EXPECT_EQ(str(r.objects[0], "title"), "Marchés d'agriculteurs");
    EXPECT_EQ(str(r.objects[0], "sector"), "Agriculture, foresterie, pêche et chasse");

    r = runCli(base({"industries", "--dataset", "optNovaScotia", "--keyword", "nothing like this"}));
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.objects.empty());
}

TEST_F(Cli, ADataSetWithoutDataIsRefused) {
    CliRun r = runCli(base({"industries", "--dataset", "optYukon"}));
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("optYukon"), std::string::npos);
}

// ---------------------------------------------------------------- compare

TEST_F(Cli, ComparesEachEnterprise) {
    CliRun r = compare(std::string(kHeader) + "Acme,2010,125,875,600,400,3,1\n"
                                              "\"O'Hara, Sons\",2009,500,500,700,300,1000,50\n");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.allLinesAreJson);
    ASSERT_EQ(r.objects.size(), 2u);
    const QJsonObject& a = r.objects[0];
    EXPECT_EQ(str(a, "MyFirmName"), "Acme");
    EXPECT_EQ(a.value("MyYear").toInt(), 2010);
    EXPECT_EQ(str(a, "MyNAICS"), "111");
    EXPECT_EQ(str(a, "MyIndustry"), "Crop production");
    EXPECT_EQ(a.value("MyCash").toDouble(), 12.5);
    EXPECT_EQ(a.value("MyTa").toDouble(), 100);
    EXPECT_EQ(a.value("MyNPM").toDouble(), 33.3333333333333);  // full precision of what is stored
    EXPECT_EQ(a.value("VarianceCash").toDouble(), 2.5);
    EXPECT_EQ(a.value("NumberOfFirms").toInt(), 110);
    EXPECT_EQ(str(a, "MyVol"), "Volume 3 title - Nova Scotia");
    EXPECT_TRUE(a.value("MyInv").isDouble());
    const QJsonObject& b = r.objects[1];
    EXPECT_EQ(str(b, "MyFirmName"), "O'Hara, Sons");
    EXPECT_EQ(b.value("MyYear").toInt(), 2009);
    EXPECT_EQ(b.value("NumberOfFirms").toInt(), 109);
    EXPECT_EQ(b.value("MyNPM").toDouble(), 5);
    // Every number of the last row reads back as exactly the Double the
    // comparison report's preparation stores for the same enterprise.
    RecordTexts rec;
    InitializeValues(rec, 0);
    rec[Field::FirmName] = "O'Hara, Sons";
    rec[Field::Year] = "2009";
    for (auto [f, v] : {std::pair{Field::Cash, "500"}, {Field::Ar, "500"}, {Field::AccountsPayable, "700"},
                        {Field::ShareC, "300"}, {Field::OperatingRevenue, "1000"}, {Field::ProfitAfterTax, "50"}})
        rec[f] = v;
    ASSERT_TRUE(subCalculateSubTotals(rec));
    ASSERT_TRUE(fncPrepareComparisonReport(stores.industry, stores.user, "com", 3, "NS", 2009, "111", "E",
                                           BuildComparisonValues(rec, "111", "Crop production")));
    auto rs = GetRS(stores.user, "select * from Rpt_Comparison", "read");
    ASSERT_EQ(rs->RecordCount(), 1);
    int numbers = 0;
    for (int f = 0; f < rs->FieldCount(); ++f) {
        const Variant& v = rs->Fields(f);
        if (!v.isNumber()) continue;
        ++numbers;
        EXPECT_EQ(b.value(QString::fromStdString(rs->FieldName(f))).toDouble(), v.toDouble()) << rs->FieldName(f);
    }
    EXPECT_GT(numbers, 140);
}

TEST_F(Cli, KeysAreSpelledAsTheReportSpellsThem) {
    ExecCmdInDB(stores.user, "alter table Rpt_Comparison rename column CURLiab to curliab");
    ExecCmdInDB(stores.user, "alter table Rpt_Comparison rename column VarianceAP to varianceap");
    CliRun r = compare(std::string(kHeader) + "Acme,2010,125,875,600,400,3,1\n");
    ASSERT_EQ(r.objects.size(), 1u);
    EXPECT_TRUE(r.objects[0].contains("CURLiab"));
    EXPECT_TRUE(r.objects[0].contains("VarianceAP"));
    EXPECT_FALSE(r.objects[0].contains("curliab"));
    EXPECT_EQ(r.objects[0].size(), 153);
}

TEST_F(Cli, TheValuesScreensChecksAndTheNoDataMessage) {
    CliRun r = compare(std::string(kHeader) + "BadYear,2011,125,875,600,400,3,1\n"
                                              "ShortYear,201,125,875,600,400,3,1\n"
                                              "Unbalanced,2010,125,875,600,300,3,1\n"
                                              ",2010,125,875,600,400,3,1\n"
                                              "Empty,2010,0,0,0,0,3,1\n"
                                              "Old,2008,125,875,600,400,3,1\n"
                                              "Good,2010,125,875,600,400,3,1\n");
    EXPECT_EQ(r.code, 1);
    ASSERT_EQ(r.objects.size(), 7u);
    EXPECT_EQ(str(r.objects[0], "error"), "Invalid year.  Year must be between 2008 and 2010");
    EXPECT_EQ(str(r.objects[0], "FirmName"), "BadYear");
    EXPECT_EQ(r.objects[0].value("Year").toInt(), 2011);
    EXPECT_EQ(str(r.objects[1], "error"), "Invalid year.  Year must be between 2008 and 2010") << "as on the screen";
    EXPECT_EQ(str(r.objects[2], "error"), "Total Assets is not equal Total Liabilities and Shareholders' Equity");
    EXPECT_EQ(str(r.objects[3], "error"), "Please enter an enterprise name");
    EXPECT_EQ(str(r.objects[4], "error"), "Please enter your enterprise values");
    EXPECT_EQ(str(r.objects[5], "error"), "This industry has no data for 2008");
    EXPECT_EQ(str(r.objects[6], "MyFirmName"), "Good");
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(r.objects[i].size(), 4) << i;
        EXPECT_EQ(r.objects[i].value("line").toInt(), i + 2);
    }
}

TEST_F(Cli, FrenchMessagesAndTitle) {
    CliRun r = compare(std::string(kHeader) + "Acme,2010,125,875,600,400,3,1\nOld,2008,125,875,600,400,3,1\n",
                       {"--lang", "fr"});
    EXPECT_EQ(r.code, 1);
    ASSERT_EQ(r.objects.size(), 2u);
    EXPECT_EQ(str(r.objects[0], "MyIndustry"), "Cultures agricoles");
    EXPECT_EQ(str(r.objects[0], "MyVol"), "Titre du volume 3 - Nouvelle-Écosse");
    EXPECT_EQ(str(r.objects[1], "error"), "Il n'y a pas de données pour cette industrie en 2008");
}

TEST_F(Cli, SubtotalsAreComputedUnlessGiven) {
    // Computed: cash and receivables make the assets, payables and capital the rest.
    CliRun r = compare("firmname,YEAR,cash,ar,accountspayable,sharec\nAcme,2010,10000004,4,10000008,0\n");
    ASSERT_EQ(r.objects.size(), 1u);
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.objects[0].value("MyToa").toDouble(), 100);
    // Given: taken as they are, even out of balance.
    r = compare("FirmName,Year,Cash,Ta,TotLiabShareEq\nAcme,2010,100,100,90\n");
    ASSERT_EQ(r.objects.size(), 1u);
    EXPECT_EQ(str(r.objects[0], "error"), "Total Assets is not equal Total Liabilities and Shareholders' Equity");
    r = compare("FirmName,Year,Cash,Ta,TotLiabShareEq\nAcme,2010,100,200,200\n");
    ASSERT_EQ(r.objects.size(), 1u);
    EXPECT_EQ(r.objects[0].value("MyCash").toDouble(), 50);
}

TEST_F(Cli, AmountsAreReadAsTheValuesScreenReadsThem) {
    CliRun r = compare("FirmName,Year,Cash,Ar,ShareC,OperatingRevenue,ProfitAfterTax\n"
                       "Acme,2010,99.99999,\"900,5\",,1000,12abc\n");
    ASSERT_EQ(r.objects.size(), 1u);
    // Cash rounds to 100, "900,5" reads as 900, the empty capital as 0,
    // "12abc" as 12: assets 1000 against equity 0, so out of balance.
    EXPECT_EQ(str(r.objects[0], "error"), "Total Assets is not equal Total Liabilities and Shareholders' Equity");
    r = compare("FirmName,Year,Cash,Ar,ShareC,OperatingRevenue,ProfitAfterTax\n"
                "Acme,2010,99.99999,\"900,5\",1000,1000,12abc\n");
    ASSERT_EQ(r.objects.size(), 1u);
    EXPECT_EQ(r.objects[0].value("MyCash").toDouble(), 10);
    EXPECT_EQ(r.objects[0].value("MyNPM").toDouble(), 1.2);
    r = compare("FirmName,Year,Cash\nHuge,2010,1e20\n");
    ASSERT_EQ(r.objects.size(), 1u);
    EXPECT_EQ(str(r.objects[0], "error"),
              "A number is too large: amounts must lie between -922,337,203,685,477 and 922,337,203,685,477.");
    EXPECT_EQ(r.code, 1);
}

TEST_F(Cli, BadFilesExitWithTwo) {
    const char binary[] = "FirmName,Year\nA,2010\nB,2\0\0\x01\x02,3\n";  // not a CSV text
    for (const std::string& csv : {std::string(), std::string("Year,Cash\n2010,5\n"), std::string("FirmName,Cash\nA,5\n"),
                                   std::string("FirmName,Year,Bogus\nA,2010,1\n"),
                                   std::string("FirmName,Year,Cash,cash\nA,2010,1,1\n"),
                                   std::string(binary, sizeof binary - 1)}) {
        CliRun r = compare(csv);
        EXPECT_EQ(r.code, 2) << csv;
        EXPECT_EQ(r.out, "") << csv;
        EXPECT_NE(r.err.find("values"), std::string::npos) << csv;
    }
    CliRun r = runCli(base({"compare", "--dataset", "optNovaScotia", "--naics", "111", "--values", "/no/such/file.csv"}));
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("/no/such/file.csv"), std::string::npos);
    r = runCli(base({"compare", "--dataset", "optNovaScotia", "--naics", "999", "--values",
                     QString::fromStdString(writeCsv(std::string(kHeader) + "Acme,2010,1,1,1,1,1,1\n"))}));
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("999"), std::string::npos);
}

// ---------------------------------------------------------------- prepare

TEST_F(Cli, PrepareTheRatiosReport) {
    CliRun r = runCli(base({"prepare", "--type", "rat", "--dataset", "optNovaScotia", "--naics", "111"}));
    EXPECT_EQ(r.code, 0) << r.err;
    ASSERT_EQ(r.objects.size(), 1u);
    const QJsonObject& o = r.objects[0];
    EXPECT_EQ(o.value("Rpt_Data_CY").toObject().value("NumberOfFirms").toInt(), 110);
    EXPECT_EQ(o.value("Rpt_Data_CYM1").toObject().value("NumberOfFirms").toInt(), 109);
    // No 2008 table: the row holds only the code.
    EXPECT_TRUE(o.value("Rpt_Data_CYM2").toObject().value("NumberOfFirms").isNull());
    EXPECT_EQ(o.value("Rpt_Data_CYM2").toObject().value("NAICS").toString(), "111");
    QJsonArray titles = o.value("Rpt_Ratios_Titles").toArray();
    ASSERT_EQ(titles.size(), 1);
    EXPECT_EQ(titles[0].toObject().value("Year_3").toString(), "2007");
    EXPECT_EQ(titles[0].toObject().value("Title_UpperLeft").toString(), "Volume 3 title - Nova Scotia");
}

TEST_F(Cli, PrepareTheBalanceSheetReportInFrenchForAnEarlierYear) {
    CliRun r = runCli(base({"prepare", "--type", "bal", "--dataset", "optNovaScotia", "--naics", "111", "--year", "2009",
                            "--lang", "fr"}));
    EXPECT_EQ(r.code, 0) << r.err;
    ASSERT_EQ(r.objects.size(), 1u);
    const QJsonObject& o = r.objects[0];
    EXPECT_EQ(o.value("Rpt_Data_CY").toObject().value("NumberOfFirms").toInt(), 109);
    EXPECT_EQ(o.value("Rpt_Data_CY").toObject().value("IndustryDescription").toString(), "Cultures agricoles");
    QJsonArray titles = o.value("Rpt_BalanceSheet_Titles").toArray();
    ASSERT_EQ(titles.size(), 1);
    EXPECT_EQ(titles[0].toObject().value("Language").toString(), "F");
    EXPECT_EQ(titles[0].toObject().value("Year_0").toString(), "2009");
    EXPECT_FALSE(o.contains("Rpt_Ratios_Titles"));
}

TEST_F(Cli, AFailingPreparationSaysSoOnStderr) {
    ExecCmdInDB(stores.user, "drop table Volume_Descriptions");
    CliRun r = runCli(base({"prepare", "--type", "rat", "--dataset", "optNovaScotia", "--naics", "111"}));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Volume_Descriptions"), std::string::npos) << r.err;
}

// ---------------------------------------------------------------- text encoding

TEST_F(Cli, AFileThatIsNotUtf8IsRefusedNamingItsLineBeforeAnythingIsWritten) {
    // "Café" written in Latin-1 on the third line, and after 60,000 good rows.
    std::string many(kHeader);
    for (int i = 0; i < 60000; ++i) many += "Acme,2010,125,875,600,400,3,1\n";
    for (const auto& [text, line] : {std::pair{std::string(kHeader) + "Acme,2010,125,875,600,400,3,1\nCaf\xE9,2010,1\n", 3},
                                     std::pair{many + "Caf\xE9,2010,1\n", 60002}}) {
        CliRun r = compare(text);
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("line " + std::to_string(line) + " is not UTF-8"), std::string::npos) << r.err;
    }
}

TEST_F(Cli, NamesWithAccentsAndQuotesComeOutAsValidJson) {
    CliRun r = compare(std::string(kHeader) + "\"Caf\xC3\xA9 \"\"Zo\xC3\xA9\"\"\",2010,125,875,600,400,3,1\n");
    ASSERT_EQ(r.objects.size(), 1u) << r.out;
    EXPECT_EQ(str(r.objects[0], "MyFirmName"), "Café \"Zoé\"");
    EXPECT_TRUE(r.allLinesAreJson);
}

// ---------------------------------------------------------------- import

TEST_F(Cli, ImportStoresManyEnterprisesWithTheReplaceRuleAndNamesEachRefusedLine) {
    const std::string file = writeCsv(std::string(kHeader) +
                                      "Acme,2010,125,875,600,400,3,1\n"
                                      "\n"
                                      "Bravo,2011,1,0,0,1,0,0\n"
                                      ",2009,1,0,0,1,0,0\n"
                                      "\"O'Hara,\nSons\",2009,500,500,700,300,1000,50\n"
                                      "Delta,2008,1e999,0,0,0,0,0\n");
    struct Case {
        QStringList flags;
        int code;
        std::vector<std::string> statuses;  // of the lines 2, 4, 5, 6, 8
        double acmeCash;
    };
    ExecCmdInDB(stores.user, "insert into MyValues (FirmName, Year, Cash) values ('ACME', 2010, 7)");
    const std::vector<Case> cases = {
        {{}, 1, {"refused", "refused", "refused", "saved", "refused"}, 7},
        {{"--skip"}, 1, {"skipped", "refused", "refused", "skipped", "refused"}, 7},
        {{"--replace"}, 1, {"replaced", "refused", "refused", "replaced", "refused"}, 125},
    };
    for (const Case& c : cases) {
        CliRun r = runCli(base(QStringList{"import", "--values", QString::fromStdString(file)} + c.flags));
        EXPECT_EQ(r.code, c.code) << r.err;
        ASSERT_EQ(r.objects.size(), 5u) << r.out;
        const int lines[] = {2, 4, 5, 6, 8};
        for (size_t k = 0; k < 5; ++k) {
            EXPECT_EQ(r.objects[k].value("line").toInt(), lines[k]);
            EXPECT_EQ(str(r.objects[k], "status"), c.statuses[k]) << c.flags.join(' ').toStdString() << " " << k;
            EXPECT_EQ(r.objects[k].contains("reason"), c.statuses[k] == "refused");
        }
        auto rs = GetRS(stores.user, "select Cash from MyValues where lower(FirmName) = 'acme' and Year = 2010", "read");
        ASSERT_EQ(rs->RecordCount(), 1);
        EXPECT_EQ(rs->Fields(0).toDouble(), c.acmeCash);
    }
    auto count = GetRS(stores.user, "select count(*) from MyValues", "read");
    EXPECT_EQ(count->Fields(0).toInt(), 2);  // Acme and O'Hara
}

TEST_F(Cli, ImportWritesNothingWhenTheFileCannotBeRead) {
    for (const std::string& text : {std::string("Name,Year\nAcme,2010\n"), std::string(""),
                                    std::string(kHeader) + "\"Acme,2010\n"}) {
        CliRun r = runCli(base({"import", "--values", QString::fromStdString(writeCsv(text))}));
        EXPECT_EQ(r.code, 2) << text;
        EXPECT_EQ(r.out, "");
        auto count = GetRS(stores.user, "select count(*) from MyValues", "read");
        EXPECT_EQ(count->Fields(0).toInt(), 0) << text;
    }
}

TEST_F(Cli, ImportAndCompareReadTheFirstSheetOfAWorkbook) {
    const std::string path = stores.dir + "/values.xlsx";
    lxw_workbook* wb = workbook_new(path.c_str());
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Enterprises");
    const char* header[] = {"FirmName", "Year", "Cash", "Ar", "AccountsPayable", "ShareC"};
    for (int c = 0; c < 6; ++c) worksheet_write_string(ws, 0, static_cast<lxw_col_t>(c), header[c], nullptr);
    worksheet_write_string(ws, 1, 0, "Zoé & Fils", nullptr);
    const double amounts[] = {2010, 125, 875, 600, 400};
    for (int c = 0; c < 5; ++c) worksheet_write_number(ws, 1, static_cast<lxw_col_t>(c + 1), amounts[c], nullptr);
    ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);

    CliRun r = runCli(base({"import", "--values", QString::fromStdString(path)}));
    EXPECT_EQ(r.code, 0) << r.err;
    ASSERT_EQ(r.objects.size(), 1u);
    EXPECT_EQ(str(r.objects[0], "status"), "saved");
    EXPECT_EQ(r.objects[0].value("line").toInt(), 2);
    auto rs = GetRS(stores.user, "select FirmName, Ta from MyValues", "read");
    ASSERT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->Fields(0).toString(), "Zoé & Fils");
    EXPECT_EQ(rs->Fields(1).toDouble(), 1000);

    r = runCli(base({"compare", "--dataset", "optNovaScotia", "--naics", "111", "--values", QString::fromStdString(path)}));
    EXPECT_EQ(r.code, 0) << r.err;
    ASSERT_EQ(r.objects.size(), 1u);
    EXPECT_EQ(r.objects[0].value("MyCash").toDouble(), 12.5);
}

TEST_F(Cli, ComparePortfolioWorkbookHasARowPerEnterpriseAndTheIndustrysQuartiles) {
    const std::string path = stores.dir + "/portfolio.xlsx";
    CliRun r = compare(std::string(kHeader) + "Acme,2010,125,875,600,400,3,1\n,2010,1,0,0,1,0,0\n"
                                              "\"O'Hara, Sons\",2009,500,500,700,300,1000,50\n",
                       {"--out", QString::fromStdString(path)});
    EXPECT_EQ(r.code, 1) << r.err;  // the row without a name is refused
    ASSERT_EQ(r.objects.size(), 2u) << r.out;
    EXPECT_TRUE(r.objects[0].contains("error"));
    EXPECT_EQ(r.objects[1].value("enterprises").toInt(), 2);
    QProcess p;
    p.start("/usr/bin/python3", {"-c",
                                 "import openpyxl, sys\n"
                                 "wb = openpyxl.load_workbook(sys.argv[1])\n"
                                 "ws = wb.worksheets[0]\n"
                                 "print('|'.join(wb.sheetnames))\n"
                                 "print(ws.cell(6, 1).value, ws.cell(6, 2).value, ws.cell(7, 1).value)\n"
                                 "print(ws.cell(5, 4).value, ws.cell(6, 4).value, ws.cell(6, 4).number_format)\n"
                                 "print(ws.cell(3, 5).fill.fgColor.rgb, ws.cell(3, 11).fill.fgColor.rgb)\n",
                                 QString::fromStdString(path)});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n');
    ASSERT_GE(lines.size(), 4) << p.readAllStandardError().toStdString();
    EXPECT_EQ(lines[0].toStdString(), "Portfolio|Industry quartiles");
    EXPECT_EQ(lines[1].toStdString(), "Acme 2010 O'Hara, Sons");
    EXPECT_EQ(lines[2].toStdString(), "Net profit margin 33.3333333333333 0.0");
    EXPECT_EQ(lines[3].toStdString(), "FFE66101 FF5E3C99");  // the legend's two ends
}

// The tool's key word search is the search screen's, in its order.
TEST_F(Cli, KeywordSearchGivesTheScreensResultsInTheirOrder) {
    stores.addNaics("1122", "Hog and pig farming", "Élevage de porcs");
    ExecCmdInDB(stores.industry, "update ZORVA_NAICS_Description_Ind_Raw set definitionf = 'Entreprises de "
                                 "camionnage.' where NAICS = '4452'");
    for (int y : {2010, 2009}) stores.addIndustryRow(3, "NS", y, "1122");
    stores.openAsProgram();
    ASSERT_TRUE(subSetDataTable("optNovaScotia"));
    for (const auto& [word, language] : {std::pair{"farm", 0}, {"farms", 0}, {"camionnage", 1}, {"cultures", 1}}) {
        const auto expected = KeywordSearchAll(gcnIndustry, gstrDataTable, gstrNaicsTable, word, language);
        ASSERT_FALSE(expected.empty()) << word;
        CliRun r = runCli(base({"industries", "--dataset", "optNovaScotia", "--keyword", word, "--lang",
                                language ? "fr" : "en"}));
        ASSERT_EQ(r.code, 0) << r.err;
        ASSERT_EQ(r.objects.size(), expected.size()) << word;
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(str(r.objects[i], "naics"), expected[i].row.naics) << word << " " << i;
            EXPECT_EQ(str(r.objects[i], "found"),
                      std::vector<std::string>({"title", "word form", "definition"})[static_cast<int>(expected[i].found)]);
        }
    }
}

// ---------------------------------------------------------------- volume

TEST_F(Cli, AMalformedRowIsReportedWithItsLineAndTheRunGoesOn) {
    CliRun r = compare(std::string(kHeader) +
                       "Acme,2010,125,875,600,400,3,1\n"
                       "Extra,2010,125,875,600,400,3,1,9\n"            // line 3: one field too many
                       "\"Stray\" quote,2010,125,875,600,400,3,1\n"    // line 4: text after a closing quote
                       "\"Multi\nline\",2010,125,875,600,400,3,1\n"   // lines 5-6: one good row
                       "Bravo,2010,125,875,600,400,3,1\n"
                       "\"Never closed,2010,1\nZulu,2010,1\n");         // line 8 to the end: one malformed row
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_TRUE(r.allLinesAreJson);
    ASSERT_EQ(r.objects.size(), 6u) << r.out;
    EXPECT_EQ(str(r.objects[0], "MyFirmName"), "Acme");
    const std::pair<int, const char*> malformed[] = {{3, "line 3 has more fields than the header"},
                                                     {4, "text after a closing quote on line 4"}};
    for (size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(r.objects[k + 1].value("line").toInt(), malformed[k].first);
        EXPECT_EQ(str(r.objects[k + 1], "error"), malformed[k].second);
    }
    EXPECT_EQ(str(r.objects[3], "MyFirmName"), "Multi\nline");
    EXPECT_EQ(str(r.objects[4], "MyFirmName"), "Bravo");
    EXPECT_EQ(r.objects[5].value("line").toInt(), 8);
    EXPECT_EQ(str(r.objects[5], "error"), "a quoted field is not closed (line 8)");
}

TEST_F(Cli, EachRowIsComparedWithTheIndustryAndDataSetItNames) {
    stores.addIndustryRow(3, "ALL", 2010, "111", {{"NumberOfFirms", Variant(std::int64_t{5000})}});
    const std::string file = writeCsv("NAICS,Dataset,FirmName,Year,Cash,ShareC\n"
                                      "111,,Acme,2010,10,10\n"
                                      "4452,optNovaScotia,Bravo,2010,10,10\n"
                                      "111,OPTVOL3,Charlie,2010,10,10\n"
                                      "999,,Delta,2010,10,10\n"
                                      ",,Echo,2010,10,10\n"
                                      "111,optMars,Foxtrot,2010,10,10\n");
    // The data set of --dataset stands for an empty cell; a row without a
    // code and without --naics names no industry.
    CliRun r = runCli(base({"compare", "--dataset", "optNovaScotia", "--values", QString::fromStdString(file)}));
    EXPECT_EQ(r.code, 1) << r.err;
    ASSERT_EQ(r.objects.size(), 6u) << r.out;
    const struct {
        const char* industry;
        int firms;
    } rows[] = {{"Crop production", 110}, {"Farmers' markets", 100}, {"Crop production", 5000}};
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(str(r.objects[k], "MyIndustry"), rows[k].industry) << k;
        EXPECT_EQ(r.objects[k].value("NumberOfFirms").toInt(), rows[k].firms) << k;
    }
    EXPECT_EQ(str(r.objects[2], "MyVol"), "Volume 3 title - Canada");
    EXPECT_EQ(str(r.objects[3], "error"), "the NAICS code 999 is not an industry of the data set optNovaScotia");
    EXPECT_EQ(str(r.objects[4], "error"), "the row names no industry (NAICS column)");
    EXPECT_EQ(str(r.objects[5], "error"), "unknown data set: optMars (see zorva-cli datasets)");
    // Without a NAICS column, --naics is needed at once.
    r = runCli(base({"compare", "--dataset", "optNovaScotia", "--values",
                     QString::fromStdString(writeCsv("FirmName,Year\nA,2010\n"))}));
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("--naics"), std::string::npos);
}

TEST_F(Cli, ChosenFieldsAndCsvOutHoldTheSameNumbersAsTheJsonRows) {
    const std::string rows = std::string(kHeader) + "Acme,2010,125,875,600,400,3,1\n"
                                                    "\"O'Hara, Sons\",2009,500,500,700,300,1000,50\n"
                                                    ",2010,1,0,0,1,0,0\n";
    CliRun all = compare(rows);
    ASSERT_EQ(all.objects.size(), 3u);
    CliRun some = compare(rows, {"--fields", "myfirmname, MyNPM,BetterNPM"});
    ASSERT_EQ(some.objects.size(), 3u);
    // In the order asked for, spelled as the table spells them.
    EXPECT_EQ(some.out.substr(0, some.out.find('\n')),
              "{\"MyFirmName\":\"Acme\",\"MyNPM\":33.3333333333333,\"BetterNPM\":" +
                  std::to_string(all.objects[0].value("BetterNPM").toInt()) + "}");
    EXPECT_TRUE(some.objects[2].contains("error"));
    EXPECT_EQ(compare(rows, {"--fields", "MyNPM,Bogus"}).code, 2);

    const std::string path = stores.dir + "/rows.csv";
    CliRun csv = compare(rows, {"--out", QString::fromStdString(path)});
    EXPECT_EQ(csv.code, 1);
    ASSERT_EQ(csv.objects.size(), 2u) << csv.out;  // the refused row, then the summary
    EXPECT_EQ(csv.objects[0].value("line").toInt(), 4);
    EXPECT_EQ(csv.objects[1].value("enterprises").toInt(), 2);
    EXPECT_EQ(csv.objects[1].value("refused").toInt(), 1);
    // Read back by Python's csv module: every column of both rows equals the
    // JSON row's value, and the numbers are written exactly as in JSON.
    QProcess p;
    p.start("/usr/bin/python3", {"-c",
                                 "import csv, json, sys\n"
                                 "rows = list(csv.DictReader(open(sys.argv[1], newline='')))\n"
                                 "print(json.dumps(rows))\n",
                                 QString::fromStdString(path)});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QJsonArray back = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
    ASSERT_EQ(back.size(), 2);
    for (int k = 0; k < 2; ++k) {
        const QJsonObject json = all.objects[static_cast<size_t>(k)], row = back[k].toObject();
        EXPECT_EQ(row.keys().size(), json.keys().size());
        for (const QString& key : json.keys()) {
            const QJsonValue v = json.value(key);
            const QString cell = row.value(key).toString();
            if (v.isString()) EXPECT_EQ(cell, v.toString()) << key.toStdString();
            else if (v.isNull()) EXPECT_EQ(cell, "") << key.toStdString();
            else EXPECT_EQ(cell.toDouble(), v.toDouble()) << key.toStdString();
        }
    }
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains(",33.3333333333333,")) << "the shortest exact form";
}

TEST_F(Cli, RowsComeOutInTheOrderOfTheFileOnEveryCore) {
    std::string rows(kHeader);
    for (int i = 0; i < 3000; ++i)
        rows += (i % 7 == 3 ? "" : "E" + std::to_string(i)) + "," + (i % 11 == 5 ? "2008" : "2010") +
                ",125,875,600,400," + std::to_string(i) + ",1\n";
    CliRun one = compare(rows, {"--threads", "1"});
    CliRun three = compare(rows, {"--threads", "3"});
    ASSERT_EQ(one.objects.size(), 3000u);
    EXPECT_EQ(one.out, three.out);
    for (size_t i = 0; i < 3000; i += 97) {
        const bool refused = i % 7 == 3 || i % 11 == 5;
        EXPECT_EQ(one.objects[i].contains("error"), refused) << i;
        if (!refused) {
            EXPECT_EQ(str(one.objects[i], "MyFirmName"), "E" + std::to_string(i));
        }
    }
}

// A name holding a NUL in an imported file: that row alone is refused, with
// the reason in the user's language and no statement text; the others are
// stored, on a file and on the office's server.
TEST_F(Cli, ANulInAnImportedNameRefusesThatRowAlone) {
    std::string why;
    const bool server = PgAvailable(&why);
    const std::string csv =
        writeCsv(std::string("FirmName,Year,Cash,ShareC\nFirst,2010,5,5\n\"Bad\0Name\",2010,6,6\nLast,2010,7,7\n", 75));
    for (const std::string& store : {std::string(), server ? NewServerStore() : std::string("skip")}) {
        if (store == "skip") continue;
        QStringList chosen = base({});
        if (!store.empty()) chosen << "--user-store" << QString::fromStdString(store);
        for (const char* lang : {"en", "fr"}) {
            SCOPED_TRACE(std::string(lang) + (store.empty() ? " file" : " server"));
            CliRun run = runCli(chosen + QStringList{"import", "--values", QString::fromStdString(csv), "--replace",
                                                     "--lang", lang});
            EXPECT_EQ(run.code, 1) << run.err;
            ASSERT_EQ(run.objects.size(), 3u) << run.out << run.err;
            EXPECT_NE(str(run.objects[0], "status"), "refused") << run.out;
            EXPECT_EQ(str(run.objects[1], "status"), "refused") << run.out;
            EXPECT_EQ(str(run.objects[1], "reason"), Txt(3204, std::string(lang) == "fr" ? 1 : 0)) << run.out;
            EXPECT_EQ(run.err.find("INSERT"), std::string::npos) << run.err;
            EXPECT_NE(str(run.objects[2], "status"), "refused") << run.out;
            EXPECT_EQ(runCli(chosen + QStringList{"list"}).objects.size(), 2u);
        }
    }
}

// Which store is in use, on a file and on the office's server; what the tool
// saves there, lists with who saved it, and opens again. A password in the
// server's address is never printed.
TEST_F(Cli, TheToolSaysWhichStoreItUsesAndWorksOnBoth) {
    std::string why;
    if (!PgAvailable(&why)) GTEST_SKIP() << why;
    const std::string server = NewServerStore();
    const auto at = server.find('@');
    const std::string withPassword = "postgresql://zorva:s3cret" + server.substr(at);
    const std::string csv = writeCsv("FirmName,Year,Cash,ShareC\nO'Hara,2010,5,5\n");
    for (const std::string& store : {std::string(), withPassword}) {
        QStringList chosen = base({});
        if (!store.empty()) chosen << "--user-store" << QString::fromStdString(store);
        CliRun which = runCli(chosen + QStringList{"store"});
        ASSERT_EQ(which.code, 0) << which.err;
        ASSERT_EQ(which.objects.size(), 1u);
        EXPECT_EQ(str(which.objects[0], "kind"), store.empty() ? "file" : "postgresql");
        EXPECT_NE(str(which.objects[0], "store").find(store.empty() ? "myData.mdb" : "zorva@"), std::string::npos)
            << which.out;
        EXPECT_EQ(which.out.find("s3cret"), std::string::npos) << which.out;

        ASSERT_EQ(runCli(chosen + QStringList{"import", "--values", QString::fromStdString(csv)}).code, 0);
        CliRun list = runCli(chosen + QStringList{"list"});
        ASSERT_EQ(list.objects.size(), 1u) << list.out << list.err;
        EXPECT_EQ(str(list.objects[0], "FirmName"), "O'Hara");
        EXPECT_EQ(str(list.objects[0], "SavedBy"), store.empty() ? "" : "zorva");
        CliRun open = runCli(chosen + QStringList{"open", "--name", "o'hara", "--year", "2010"});
        ASSERT_EQ(open.code, 0) << open.err;
        EXPECT_EQ(open.objects[0].value("Cash").toDouble(), 5);
    }
}

// ---------------------------------------------------------------- books

TEST_F(Cli, ImportStoresTheStatementOfBooksAndRemembersTheirMapping) {
    const std::string mapping = stores.dir + "/mapping.csv";
    const QStringList books = {"import", "--books", QString::fromStdString(TestBook("northwind-sqlite.gnucash")),
                               "--name", "Northwind Bakery", "--mapping", QString::fromStdString(mapping)};
    CliRun r = runCli(base(books));
    EXPECT_EQ(r.code, 0) << r.err;
    ASSERT_EQ(r.objects.size(), 1u) << r.out;
    EXPECT_EQ(str(r.objects[0], "status"), "saved");
    EXPECT_EQ(str(r.objects[0], "yearEnd"), "2010-12-31");
    EXPECT_EQ(r.objects[0].value("Year").toInt(), 2010);
    EXPECT_TRUE(r.objects[0].value("balanced").toBool());
    EXPECT_EQ(r.objects[0].value("totalAssets").toDouble(), 97550);
    EXPECT_EQ(r.objects[0].value("remembered").toInt(), 0);
    EXPECT_TRUE(r.objects[0].value("mappingRemembered").toBool());
    auto rs = GetRS(stores.user, "select Ta, RetEarn, ProfitAfterTax from MyValues where FirmName = 'Northwind Bakery'", "read");
    ASSERT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->Fields(0).toDouble(), 97550);
    EXPECT_EQ(rs->Fields(1).toDouble(), 18950);
    EXPECT_EQ(rs->Fields(2).toDouble(), 2450);

    // The mapping file the first run wrote, edited: petty cash left out.
    std::ifstream in(mapping);
    std::string text((std::istreambuf_iterator<char>(in)), {}), edited;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        edited += (line.find("Petty Cash") != std::string::npos ? line.substr(0, line.rfind(',')) + ",none\r" : line) + "\n";
    std::ofstream(mapping, std::ios::binary) << edited;
    struct Case {
        QStringList more;
        int code;
        const char* status;
        double ta;  // stored afterwards
    };
    const Case cases[] = {
        {{"--replace"}, 1, "refused", 97550},                         // does not balance
        {{"--replace", "--accept-unbalanced"}, 0, "replaced", 97250},
        {{"--year-end", "2011-12-31", "--accept-unbalanced"}, 1, "refused", 97250},  // no reference year 2011
    };
    for (const Case& c : cases) {
        r = runCli(base(books + c.more));
        EXPECT_EQ(r.code, c.code) << r.err;
        ASSERT_EQ(r.objects.size(), 1u) << r.out;
        EXPECT_EQ(str(r.objects[0], "status"), c.status) << c.more.join(' ').toStdString();
        EXPECT_EQ(r.objects[0].value("remembered").toInt(), 29);
        rs = GetRS(stores.user, "select Ta from MyValues where FirmName = 'Northwind Bakery'", "read");
        EXPECT_EQ(rs->Fields(0).toDouble(), c.ta) << c.more.join(' ').toStdString();
    }
    EXPECT_NE(str(r.objects[0], "reason").find("2008"), std::string::npos) << str(r.objects[0], "reason");
    // A year end before the books' first transaction: only zeros, never stored, said in French.
    r = runCli(base({"import", "--lang", "fr", "--books", QString::fromStdString(TestBook("northwind-sqlite.gnucash")),
                     "--name", "Northwind 2008", "--year-end", "2008-12-31"}));
    EXPECT_EQ(r.code, 1) << r.err;
    ASSERT_EQ(r.objects.size(), 1u) << r.out;
    EXPECT_NE(str(r.objects[0], "reason").find("les livres n'ont aucun solde au 2008-12-31"), std::string::npos)
        << str(r.objects[0], "reason");
    EXPECT_EQ(GetRS(stores.user, "select Ta from MyValues where FirmName = 'Northwind 2008'", "read")->RecordCount(), 0);
    r = runCli(base({"import", "--books", QString::fromStdString(stores.dir + "/none.gnucash")}));
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("does not exist"), std::string::npos) << r.err;
    r = runCli(base({"import", "--lang", "fr", "--books", QString::fromStdString(stores.dir + "/none.gnucash")}));
    EXPECT_NE(r.err.find("il n'existe pas.\nEssayez zorva-cli import --help."), std::string::npos) << r.err;
}

TEST_F(Cli, ImportReadsTheProgramsOwnStatementTemplate) {
    // The shipped template, filled in the French way with ";" as a spreadsheet saves it.
    std::ifstream in(BuiltAppDir() + "/statement-template.csv", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), {}), filled;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("FirmName,", 0) == 0) line = "FirmName,\"Café Thérèse\"" + line.substr(9);
        if (line.rfind("Cash,0", 0) == 0) line = "Cash,\"1 234,50\"" + line.substr(6);
        if (line.rfind("ShareC,0", 0) == 0) line = "ShareC,\"1 234,50\"" + line.substr(8);
        filled += line + "\n";
    }
    CliRun r = runCli(base({"import", "--values", QString::fromStdString(writeCsv(filled))}));
    EXPECT_EQ(r.code, 0) << r.err << r.out;
    ASSERT_EQ(r.objects.size(), 1u) << r.out;
    EXPECT_EQ(str(r.objects[0], "status"), "saved");
    auto rs = GetRS(stores.user, "select FirmName, Year, Cash, Ta, TotLiabShareEq from MyValues", "read");
    ASSERT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->Fields(0).toString(), "Café Thérèse");
    EXPECT_EQ(rs->Fields(1).toInt(), 2010);
    EXPECT_EQ(rs->Fields(2).toDouble(), 1234.5);
    EXPECT_EQ(rs->Fields(3).toDouble(), 1234.5);
    EXPECT_EQ(rs->Fields(4).toDouble(), 1234.5);

    // One enterprise a row, as a French spreadsheet saves CSV: ";", Windows-1252, a no-break space.
    r = runCli(base({"import", "--values",
                     QString::fromStdString(writeCsv("FirmName;Year;Cash;ShareC\r\nBoulangerie L\xe9vesque;2010;"
                                                     "2\xa0" "345,75;2 345,75\r\n"))}));
    EXPECT_EQ(r.code, 0) << r.err << r.out;
    rs = GetRS(stores.user, "select Cash, Ta from MyValues where FirmName = 'Boulangerie Lévesque'", "read");
    ASSERT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->Fields(0).toDouble(), 2345.75);
    EXPECT_EQ(rs->Fields(1).toDouble(), 2345.75);
}

TEST_F(Cli, CtrlCEndsTheOutputAfterAWholeRow) {
    std::string rows(kHeader);
    for (int i = 0; i < 50000; ++i) rows += "Acme " + std::to_string(i) + ",2010,125,875,600,400,3,1\n";
    QProcess p;
    p.start(QString::fromStdString(BuiltAppDir() + "/zorva-cli"),
            base({"compare", "--dataset", "optNovaScotia", "--naics", "111", "--values",
                  QString::fromStdString(writeCsv(rows))}));
    // The output pipe fills and holds the tool in the middle of writing.
    QByteArray out;
    while (out.size() < 100000 && p.waitForReadyRead(60000)) out += p.readAllStandardOutput();
    ASSERT_GE(out.size(), 100000);
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(60000));
    out += p.readAllStandardOutput();
    EXPECT_EQ(p.exitCode(), 130);
    EXPECT_TRUE(p.readAllStandardError().contains("stopped"));
    ASSERT_TRUE(out.endsWith('\n'));
    const QList<QByteArray> lines = out.trimmed().split('\n');
    EXPECT_LT(lines.size(), 50000);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QJsonObject o = QJsonDocument::fromJson(lines[i]).object();
        ASSERT_EQ(str(o, "MyFirmName"), "Acme " + std::to_string(i));
    }
}

TEST_F(Cli, APortfolioBeyondItsSheetSaysFromWhichLineTheEnterprisesAreLeftOut) {
    // A sheet holds a million rows; the same rule with a sheet of three.
    stores.openAsProgram();
    cli::CompareRun run;
    run.valuesPath = writeCsv(std::string(kHeader) + "A,2010,125,875,600,400,3,1\n,2010,1,0,0,1,0,0\n"
                                                     "B,2010,125,875,600,400,3,1\nC,2010,125,875,600,400,3,1\n"
                                                     "D,2010,125,875,600,400,3,1\n");
    run.dataset = FindChoice("optNovaScotia");
    run.naics = "111";
    run.outPath = stores.dir + "/full.xlsx";
    run.sheetRows = 3;
    std::ostringstream out;
    const cli::CompareTotals totals = cli::CompareEnterprises(run, out);
    EXPECT_EQ(totals.compared, 3);
    EXPECT_EQ(totals.refused, 1);
    EXPECT_NE(totals.notWritten.find("from line 6 on are not in it"), std::string::npos) << totals.notWritten;
    QProcess p;
    p.start("/usr/bin/python3", {"-c",
                                 "import openpyxl, sys\n"
                                 "ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
                                 "print([r[0] for r in ws.iter_rows(min_row=6, values_only=True)])\n",
                                 QString::fromStdString(run.outPath)});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.readAllStandardOutput().trimmed().toStdString(), "['A', 'B', 'C']");
}

// Printed from a spreadsheet program (LibreOffice, headless, to PDF): every
// page of a 50-enterprise portfolio carries the headings, names and figures,
// and the legend reads whole.
TEST_F(Cli, APortfolioOfFiftyEnterprisesPrintsWithHeadingsNamesAndFiguresOnEveryPage) {
    std::string rows(kHeader);
    for (int i = 1; i <= 50; ++i)
        rows += "Enterprise number " + std::to_string(i) + ",2010,125,875,600,400," + std::to_string(i * 7) + ",1\n";
    const QString dir = QString::fromStdString(stores.dir);
    ASSERT_EQ(compare(rows, {"--out", dir + "/portfolio.xlsx"}).code, 0);
    const std::vector<std::string> printed = PrintedPages(stores.dir + "/portfolio.xlsx", stores.dir);
    const int pages = static_cast<int>(printed.size());
    ASSERT_GT(pages, 0);
    // Printed at a readable size, the portfolio goes across as many pages as
    // its columns need: each page has the name column, the heading rows and
    // figures; every heading and legend is on some page; each enterprise is
    // printed once on each page across.
    int portfolioPages = 0, names = 0;
    QSet<QString> seen;
    QString all;
    for (int page = 1; page <= pages; ++page) {
        const QString text = QString::fromStdString(printed[static_cast<size_t>(page - 1)]);
        if (text.contains("Median 2010")) continue;  // the industry's quartiles
        ++portfolioPages;
        all += text;
        EXPECT_TRUE(text.contains("Enterprise")) << "page " << page << " lacks the name heading";
        const auto found = QRegularExpression("Enterprise number (\\d+)").globalMatch(text);
        for (auto it = found; it.hasNext();) seen.insert(it.next().captured(1));
        names += static_cast<int>(text.count("Enterprise number"));
        EXPECT_TRUE(QRegularExpression("\\d+\\.\\d+\\b").match(text).hasMatch()) << "page " << page << " has no figure";
    }
    for (const char* heading : {"Year", "Net profit", "Interest", "Position"})
        EXPECT_TRUE(all.contains(heading)) << "no page has " << heading;
    for (const char* legend : {"lowest quarter", "second quarter", "third quarter", "highest quarter", "not ranked"})
        EXPECT_TRUE(all.contains(legend)) << "no page has " << legend;
    EXPECT_EQ(seen.size(), 50);
    EXPECT_GT(names, 0);
    EXPECT_EQ(names % 50, 0) << "each enterprise printed once on each page across";
    EXPECT_LE(portfolioPages, 16);
    RecordProperty("pages", pages);
}

// A "CSV UTF-8" file saved by a spreadsheet program starts with a byte-order
// mark (and may end its lines with CR LF): it is compared as any other.
TEST_F(Cli, ACsvStartingWithAByteOrderMarkIsReadAsAnyOther) {
    const std::string rows = std::string(kHeader) + "Acme,2010,125,875,600,400,3,1\n\"Café Étoile\",2009,500,500,700,300,1000,50\n";
    const CliRun plain = compare(rows);
    ASSERT_EQ(plain.code, 0) << plain.err;
    ASSERT_EQ(plain.objects.size(), 2u);
    std::string crlf;
    for (char c : rows) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    for (const std::string& text : {"\xEF\xBB\xBF" + rows, "\xEF\xBB\xBF" + crlf}) {
        const CliRun marked = compare(text);
        EXPECT_EQ(marked.code, 0) << marked.err;
        EXPECT_EQ(marked.err, plain.err);
        EXPECT_EQ(marked.out, plain.out);
    }
}

// On paper, each page of the portfolio workbook repeats the name column at
// its left, and no other column, and the heading rows at its top, down to
// the row of headings and not into the enterprises (the print titles as a
// spreadsheet program reads them back).
TEST_F(Cli, ThePortfolioWorkbookRepeatsOnlyTheNameColumnAndTheHeadingRowsOnEachPage) {
    const std::string path = stores.dir + "/portfolio.xlsx";
    ASSERT_EQ(compare(std::string(kHeader) + "Acme,2010,125,875,600,400,3,1\n", {"--out", QString::fromStdString(path)})
                  .code,
              0);
    QProcess p;
    p.start("/usr/bin/python3", {"-c",
                                 "import openpyxl, sys\n"
                                 "for ws in openpyxl.load_workbook(sys.argv[1]).worksheets:\n"
                                 "    rows = (ws.print_title_rows or '').replace('$', '')\n"
                                 "    cols = (ws.print_title_cols or '').replace('$', '')\n"
                                 "    last = int(rows.split(':')[1]) if rows else 0\n"
                                 "    px = sum(int((ws.column_dimensions[openpyxl.utils.get_column_letter(c)].width\n"
                                 "        or 8.43) * 7 + 5) for c in range(1, ws.max_column + 1))\n"
                                 "    fit = ws.sheet_properties.pageSetUpPr and ws.sheet_properties.pageSetUpPr.fitToPage\n"
                                 "    wide = (ws.page_setup.fitToWidth or 1) if fit else 0\n"
                                 "    scale = min(1, wide * 960 / px) if wide else (ws.page_setup.scale or 100) / 100\n"
                                 "    print('|'.join(map(str, [ws.title, cols, rows, ws.cell(1, 1).value,\n"
                                 "        ws.cell(last, 1).value if last else '', ws.cell(last + 1, 1).value,\n"
                                 "        round(11 * scale, 1)])))\n",
                                 QString::fromStdString(path)});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << p.readAllStandardError().toStdString();
    // The portfolio: the headings repeat, the enterprises below them do not.
    const QStringList portfolio = lines[0].split('|');
    ASSERT_EQ(portfolio.size(), 7) << lines[0].toStdString();
    EXPECT_EQ(portfolio[0], "Portfolio");
    EXPECT_EQ(portfolio[1], "A:A");
    EXPECT_FALSE(portfolio[2].isEmpty()) << "no heading rows repeat";
    EXPECT_EQ(portfolio[4], "Enterprise") << "the last row repeated";
    EXPECT_EQ(portfolio[5], "Acme") << "the row after the repeated ones";
    // Printed at a size people read (the 11-point type at its print scale),
    // across as many pages as the columns need.
    EXPECT_GE(portfolio[6].toDouble(), 8) << "printed type of " << portfolio[6].toStdString() << " points";
    // The industry's quartiles: the ratio names at the left of each page.
    const QStringList quartiles = lines[1].split('|');
    ASSERT_EQ(quartiles.size(), 7) << lines[1].toStdString();
    EXPECT_EQ(quartiles[1], "A:A");
    EXPECT_GE(quartiles[6].toDouble(), 8) << "printed type of " << quartiles[6].toStdString() << " points";
}
