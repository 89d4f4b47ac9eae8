#include "support/FixtureStores.h"
#include "support/PgServer.h"

#include "support/AppFixture.h"

#include "core/AppPath.h"
#include "core/Catalogue.h"
#include "core/Globals.h"
#include "selection/IndustrySearch.h"
#include "core/modMain.h"

#include <sqlite3.h>

#include <stdexcept>

namespace zorva::test {

namespace {

const char* kQuartilePrefixes[] = {"NPM", "PPM", "OPM", "GPM", "ORTTNOA", "RNOA", "PPA", "RCE",
                                   "RE",  "DE",  "RT",  "IT",  "WC",      "LTA",  "IC"};
const char* kStructure[] = {"A11", "A12", "A13", "A18", "A19", "TOTOA", "A14", "A151617", "TOTASS",
                            "A22", "A25200", "A25500", "A25400", "A25180", "A24", "A2329", "A27", "TOTLIAB",
                            "A31", "A38", "A283334", "TOTSE", "TOTLSE", "CURASS", "CURLiab"};
const char* kDistribution[] = {"OPP", "OPL", "PPP", "PPL", "NPP", "NPL"};

void createFile(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot create " + path);
    sqlite3_exec(db, "PRAGMA user_version = 1", nullptr, nullptr, nullptr);  // writes the header
    sqlite3_close(db);
}

std::string ratioTableColumns() {
    std::string s;
    for (const auto& c : RatioColumns()) {
        if (!s.empty()) s += ", ";
        s += c + (c == "NAICS" || c == "IndustryDescription" ? " TEXT" : c == "NumberOfFirms" ? " INTEGER" : " REAL");
    }
    return s;
}

std::string titleColumns(bool ratios, bool balance) {
    std::string s = "Language TEXT, Naics TEXT, Title_LowerRight TEXT, Year_0 TEXT, Year_1 TEXT, Year_2 TEXT, ";
    if (ratios) s += "Year_3 TEXT, ";
    s += "Title_UpperLeft TEXT, Title_LowerLeft TEXT, ";
    if (ratios) s += "ML_Title TEXT, MM_Title TEXT, ";
    (void)balance;
    return s + "Title_Report TEXT";
}

std::string comparisonColumns() {
    std::string s = "MyFirmName TEXT, MyYear INTEGER, MyNAICS TEXT, MyIndustry TEXT";
    for (const char* c : {"MyCash", "MyAr", "MyInv", "MyCA", "MyOA", "MyToa", "MyInvest", "MyPtfl", "MyTa",
                          "MyOperatingRevenue", "MyGrossProfit", "MyOperatingProfit", "MyInterestExpense",
                          "MyPretaxProfit", "MyProfitAfterTax", "MyAccountsPayable", "MyPaper", "MyMtg", "MyBonds",
                          "MyOl", "MyAmtsAffil", "MyOLiab", "MyDefTax", "MyTliab", "MyShareC", "MyRetEarn",
                          "MyOtherSur", "MyEquity1", "MyTotLiabShareEq", "MyCurrentAssets", "MyCurrentLiabilities",
                          "MyNPM", "MyPPM", "MyOPM", "MyGPM", "MyORTNOA", "MyRONOA", "MyPPTA", "MyROCE", "MyROE",
                          "MyRT", "MyIT", "MyWC", "MyDE", "MyLTA", "MyIC"})
        s += std::string(", ") + c + " REAL";
    for (const char* side : {"Better", "Worse"})
        for (const char* r : {"NPM", "PPM", "OPM", "GPM", "ORTNOA", "RONOA", "PPA", "RCE", "RE", "RT", "IT", "WC",
                              "DE", "LTA", "IC"})
            s += std::string(", ") + side + r + " REAL";
    for (const char* v : {"VarianceCash", "VarianceAR", "VarianceInvent", "VarianceCA", "VarianceOA", "VarianceTOA",
                          "VarianceInvest", "VariancePTFL", "VarianceTOTASS", "VarianceAP", "VarianceSTPAPER",
                          "VarianceMTG", "VarianceBonds", "VarianceOLoans", "VarianceAOTA", "VarianceOLiab",
                          "VarianceDefTax", "VarianceTL", "VarianceEq", "VarianceSC", "VarianceRE", "VarianceOS",
                          "VarianceSETL", "VarianceCurrA", "VarianceCurrL"})
        s += std::string(", ") + v + " REAL";
    s += ", MyVol TEXT, NumberOfFirms INTEGER";
    for (const char* m : {"PPAQ2", "LTAQ2", "NPMQ2", "PPMQ2", "OPMQ2", "GPMQ2", "ORTTNOAQ2", "RNOAQ2", "RCEQ2", "REQ2",
                          "RTQ2", "ITQ2", "WCQ2", "DEQ2", "ICQ2"})
        s += std::string(", ") + m + " REAL";
    for (const char* d : kDistribution) s += std::string(", ") + d + " REAL";
    for (const char* a : kStructure) s += std::string(", ") + a + " REAL";
    return s;
}

} // namespace

std::string SqlLiteral(const Variant& v) {
    switch (v.type()) {
    case Variant::Type::Null: return "NULL";
    case Variant::Type::Integer:
    case Variant::Type::Real: return v.toString();
    case Variant::Type::Text: return "'" + SqlQuote(v.toString()) + "'";
    }
    return "NULL";
}

const std::vector<std::string>& RatioColumns() {
    static const std::vector<std::string> cols = [] {
        std::vector<std::string> c = {"NAICS", "IndustryDescription", "NumberOfFirms"};
        for (const char* p : kQuartilePrefixes)
            for (const char* q : {"Q1", "Q2", "Q3"}) c.push_back(std::string(p) + q);
        for (const char* a : kStructure) c.push_back(a);
        for (const char* d : kDistribution) c.push_back(d);
        return c;
    }();
    return cols;
}

std::map<std::string, Variant> DefaultFigures() {
    std::map<std::string, Variant> f;
    f["IndustryDescription"] = Variant("Crop production");
    f["NumberOfFirms"] = Variant(std::int64_t{100});
    double base = 1.0;
    for (const char* p : kQuartilePrefixes) {
        std::string s = p;
        bool decreasing = s == "DE" || s == "LTA";
        double q1 = base, q2 = base * 2, q3 = base * 3;
        if (decreasing) std::swap(q1, q3);
        f[s + "Q1"] = Variant(q1);
        f[s + "Q2"] = Variant(q2);
        f[s + "Q3"] = Variant(q3);
        base += 0.5;
    }
    const double structure[] = {10, 20, 15, 40, 5, 90, 6, 4, 100, 20, 1, 10, 5, 15, 4, 3, 2, 60,
                                10, 25, 5, 40, 100, 45, 30};
    for (size_t i = 0; i < std::size(kStructure); ++i) f[kStructure[i]] = Variant(structure[i]);
    const double dist[] = {80, 20, 75, 25, 70, 30};
    for (size_t i = 0; i < std::size(kDistribution); ++i) f[kDistribution[i]] = Variant(dist[i]);
    return f;
}

FixtureStores::FixtureStores() {
    dir = MakeTempDir("zorva-stores");
    createFile(dir + "/" + kIndustryStore);
    createFile(dir + "/" + kUserStore);
    ConnectToFile(industry, dir + "/" + kIndustryStore, "unknown");
    if (ServerBackend()) {
        // A store on the test server with the server's functions (foldcase),
        // its tables made anew below in this fixture's layouts.
        server = NewServerStore();
        std::string tables;
        for (const char* t : {"MyValues", "Rpt_Data_CY", "Rpt_Data_CYM1", "Rpt_Data_CYM2", "Rpt_Comparison",
                              "Rpt_Ratios_Titles", "Rpt_Ratios_Titles_Source", "Rpt_BalanceSheet_Titles",
                              "Rpt_BalanceSheet_Titles_Source", "Rpt_Comparison_Titles", "Rpt_Comparison_Titles_Source",
                              "Volume_Descriptions", "ProvinceCodes", "BookMappings"})
            tables += std::string(tables.empty() ? "" : ", ") + t;
        PgSql(server, "DROP TABLE " + tables + " CASCADE");
        ConnectToFile(user, server, "unknown");
    } else {
        ConnectToFile(user, dir + "/" + kUserStore, "unknown");
    }

    ExecCmdInDB(industry, "CREATE TABLE tblTreeview (NodeKey TEXT, Parent TEXT, sequence INTEGER, IndDescE TEXT, IndDescF TEXT)");
    ExecCmdInDB(industry, "CREATE TABLE datadescription (optname TEXT, descriptione TEXT, descriptionf TEXT)");
    for (const char* t : {kNaicsDetailed, kNaicsRaw})
        ExecCmdInDB(industry, std::string("CREATE TABLE ") + t +
                                  " (NAICS TEXT, Description TEXT, Description_french TEXT, Parent TEXT, NodeKey TEXT, "
                                  "sequence INTEGER, definitione TEXT, definitionf TEXT)");
    addFolder("IndTOTALL", "", 1, "All industries", "Toutes les industries");
    addFolder("Ind11", "IndTOTALL", 2, "Agriculture, forestry, fishing and hunting",
              "Agriculture, foresterie, pêche et chasse");

    userTable("CREATE TABLE MyValues (FirmName TEXT, Year INTEGER, NAICS TEXT, Cash REAL, Ar REAL, Inv REAL, "
                      "CA REAL, OA REAL, Toa REAL, Invest REAL, Ptfl REAL, Ta REAL, OperatingRevenue REAL, Sales REAL, "
                      "GrossProfit REAL, OperatingProfit REAL, InterestExpense REAL, PretaxProfit REAL, "
                      "ProfitAfterTax REAL, AccountsPayable REAL, Paper REAL, Mtg REAL, Bonds REAL, Ol REAL, "
                      "AmtsAffil REAL, OLiab REAL, DefTax REAL, Tliab REAL, ShareC REAL, RetEarn REAL, OtherSur REAL, "
                      "Equity1 REAL, TotLiabShareEq REAL, CurrentAssets REAL, CurrentLiabilities REAL)");
    for (const char* t : {"Rpt_Data_CY", "Rpt_Data_CYM1", "Rpt_Data_CYM2"})
        userTable(std::string("CREATE TABLE ") + t + " (" + ratioTableColumns() + ")");
    userTable("CREATE TABLE Rpt_Comparison (" + comparisonColumns() + ")");
    for (const char* t : {"Rpt_Ratios_Titles", "Rpt_Ratios_Titles_Source"})
        userTable(std::string("CREATE TABLE ") + t + " (" + titleColumns(true, false) + ")");
    for (const char* t : {"Rpt_BalanceSheet_Titles", "Rpt_BalanceSheet_Titles_Source"})
        userTable(std::string("CREATE TABLE ") + t + " (" + titleColumns(false, true) + ")");
    for (const char* t : {"Rpt_Comparison_Titles", "Rpt_Comparison_Titles_Source"})
        userTable(std::string("CREATE TABLE ") + t + " (Language TEXT, NAICS TEXT, Title_Report TEXT)");
    userTable("CREATE TABLE Volume_Descriptions (Volume INTEGER, Language TEXT, Title1 TEXT, Title2 TEXT, "
                      "LargeMedianDesc TEXT, MediumMedianDesc TEXT)");
    userTable("CREATE TABLE ProvinceCodes (Code TEXT, English TEXT, French TEXT)");
    userTable("CREATE TABLE BookMappings (BookKey TEXT, AccountKey TEXT, AccountName TEXT, Target TEXT)");

    ExecCmdInDB(user, "INSERT INTO Rpt_Ratios_Titles_Source VALUES "
                      "('E', NULL, 'Reference years:', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 'Financial ratios'),"
                      "('F', NULL, 'Années de référence :', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 'Ratios financiers')");
    ExecCmdInDB(user, "INSERT INTO Rpt_BalanceSheet_Titles_Source VALUES "
                      "('E', NULL, 'Reference years:', NULL, NULL, NULL, NULL, NULL, 'Balance sheet structure'),"
                      "('F', NULL, 'Années de référence :', NULL, NULL, NULL, NULL, NULL, 'Structure du bilan')");
    ExecCmdInDB(user, "INSERT INTO Rpt_Comparison_Titles_Source VALUES "
                      "('E', NULL, 'Your enterprise compared with its industry'),"
                      "('F', NULL, 'Votre entreprise comparée à son industrie')");
    for (int v = 1; v <= 3; ++v) {
        std::string n = std::to_string(v);
        ExecCmdInDB(user, "INSERT INTO Volume_Descriptions VALUES (" + n + ", 'E', 'Volume " + n +
                              " title', 'Volume " + n + " subtitle', 'Median', 'Median of the previous years'),(" + n +
                              ", 'F', 'Titre du volume " + n + "', 'Sous-titre du volume " + n +
                              "', 'Médiane', 'Médiane des années précédentes')");
    }
    ExecCmdInDB(user, "INSERT INTO ProvinceCodes VALUES ('ALL', 'Canada', 'Canada'), "
                      "('NS', 'Nova Scotia', 'Nouvelle-Écosse'), ('QC', 'Quebec', 'Québec'), "
                      "('ATLANTIC', 'Atlantic Canada', 'Canada atlantique')");
}

FixtureStores::~FixtureStores() {
    DisconnectFromDB(industry);
    DisconnectFromDB(user);
}

void FixtureStores::addRatioTable(int volume, const std::string& region, int year) {
    std::string t = RatioTableName(volume, region, year);
    if (!TableExists(industry, t)) ExecCmdInDB(industry, "CREATE TABLE " + t + " (" + ratioTableColumns() + ")");
}

void FixtureStores::addIndustryRow(int volume, const std::string& region, int year, const std::string& naics,
                                   const std::map<std::string, Variant>& changes) {
    addRatioTable(volume, region, year);
    auto f = DefaultFigures();
    f["NAICS"] = Variant(naics);
    for (const auto& kv : changes) f[kv.first] = kv.second;
    std::string cols, vals;
    for (const auto& c : RatioColumns()) {
        if (!cols.empty()) {
            cols += ", ";
            vals += ", ";
        }
        cols += c;
        vals += SqlLiteral(f.count(c) ? f[c] : Variant());
    }
    ExecCmdInDB(industry, "INSERT INTO " + RatioTableName(volume, region, year) + " (" + cols + ") VALUES (" + vals + ")");
}

void FixtureStores::addNaics(const std::string& naics, const std::string& english, const std::string& french,
                             const std::string& parent) {
    ++sequence_;
    for (const char* t : {kNaicsDetailed, kNaicsRaw})
        ExecCmdInDB(industry, std::string("INSERT INTO ") + t + " VALUES (" + SqlLiteral(Variant(naics)) + ", " +
                                  SqlLiteral(Variant(english)) + ", " + SqlLiteral(Variant(french)) + ", " +
                                  SqlLiteral(Variant(parent)) + ", " + SqlLiteral(Variant("Ind" + naics)) + ", " +
                                  std::to_string(sequence_) + ", 'definition', 'définition')");
}

void FixtureStores::addFolder(const std::string& nodeKey, const std::string& parent, int sequence,
                              const std::string& english, const std::string& french) {
    ExecCmdInDB(industry, "INSERT INTO tblTreeview VALUES (" + SqlLiteral(Variant(nodeKey)) + ", " +
                              SqlLiteral(Variant(parent)) + ", " + std::to_string(sequence) + ", " +
                              SqlLiteral(Variant(english)) + ", " + SqlLiteral(Variant(french)) + ")");
}

std::vector<std::vector<Variant>> FixtureStores::userRows(const std::string& sql) {
    return GetRS(user, sql, "read")->Rows();
}

Variant FixtureStores::userValue(const std::string& sql, const std::string& column) {
    auto rs = GetRS(user, sql, "read");
    if (rs->RecordCount() == 0) throw std::runtime_error("no row: " + sql);
    return rs->Fields(column);
}

void FixtureStores::openAsProgram() {
    SetAppPath(dir);
    SetUserStorePath(server);
    OpenDataStores();
    // On the server the program works on this fixture's connection: the
    // report tables it filled are the ones the program reads.
    if (!server.empty()) gcnUser = user;
}

void FixtureStores::userTable(std::string ddl) {
    if (!server.empty()) {
        // The server's types of the same meaning (its REAL is single precision).
        for (const auto& [from, to] : {std::pair<std::string, std::string>{" REAL", " double precision"},
                                       {" INTEGER", " bigint"}})
            for (auto at = ddl.find(from); at != std::string::npos; at = ddl.find(from, at + to.size()))
                ddl.replace(at, from.size(), to);
    }
    ExecCmdInDB(user, ddl);
}

} // namespace zorva::test
