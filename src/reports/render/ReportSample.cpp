#include "reports/render/ReportSample.h"

#include "reports/render/ReportModel.h"

#include <cmath>
#include <map>
#include <vector>

namespace zorva::report {

namespace {

struct Quartiles {
    const char* code;
    double q1, q2, q3;
};
// Lower is better for DE and LTA: their boundaries decrease.
const Quartiles kQuartiles[] = {
    {"NPM", 0.8, 2.6, 5.9},     {"PPM", 1.0, 3.2, 7.1},   {"OPM", 1.5, 3.9, 8.0},    {"GPM", 18.2, 25.4, 33.0},
    {"ORTTNOA", 180, 320, 560}, {"RNOA", 3.1, 9.8, 21.5}, {"PPA", 1.2, 5.6, 12.3},   {"RCE", 2.5, 8.9, 18.4},
    {"RE", 4.1, 14.2, 31.0},    {"RT", 18.5, 42.3, 110.2}, {"IT", 8.1, 14.6, 25.3},  {"WC", 0.9, 1.5, 2.6},
    {"DE", 2.8, 1.1, 0.3},      {"LTA", 0.92, 0.64, 0.38}, {"IC", 1.2, 3.5, 9.8},
};
const std::map<std::string, double> kBalance = {
    {"A11", 12.4},  {"A12", 9.8},   {"A13", 28.6},    {"A18", 31.2},   {"A19", 6.1},     {"TOTOA", 88.1},
    {"A14", 7.3},   {"A151617", 4.6}, {"TOTASS", 100}, {"A22", 18.9},   {"A25200", 1.2},  {"A25500", 8.7},
    {"A25400", 0.9}, {"A25180", 14.3}, {"A24", 9.6},    {"A2329", 3.1},  {"A27", 0.8},     {"TOTLIAB", 57.5},
    {"A31", 6.4},   {"A38", 33.9},  {"A283334", 2.2}, {"TOTSE", 42.5}, {"TOTLSE", 100},   {"CURASS", 54.3},
    {"CURLiab", 33.6}};
const std::map<std::string, double> kProfit = {{"OPP", 78.2}, {"OPL", 21.8}, {"PPP", 76.5},
                                               {"PPL", 23.5}, {"NPP", 74.9}, {"NPL", 25.1}};
const long kFirms[] = {1284, 1247, 1198};
const char* kDataTables[] = {"Rpt_Data_CY", "Rpt_Data_CYM1", "Rpt_Data_CYM2"};

std::string Num(double v) { return FormatDouble15(v); }

// The enterprise: its ratios and its balance sheet in per cent of its assets.
const std::map<std::string, double> kMine = {
    {"MyNPM", 3.4},  {"MyPPM", 4.1},  {"MyOPM", 5.2},     {"MyGPM", 22.7}, {"MyORTNOA", 410.5},
    {"MyRONOA", 12.6}, {"MyPPTA", 7.9}, {"MyROCE", 6.3},  {"MyROE", 18.8}, {"MyRT", 35.2},
    {"MyIT", 17.4},  {"MyWC", 1.82},  {"MyDE", 0.74},     {"MyLTA", 0.58}, {"MyIC", 2.9}};
const std::map<std::string, double> kMyBalance = {
    {"MyCash", 8.5},  {"MyAr", 12.1},  {"MyInv", 31.4},  {"MyCA", 36.0},  {"MyOA", 4.0},
    {"MyToa", 92.0},  {"MyInvest", 5.0}, {"MyPtfl", 3.0}, {"MyTa", 100},  {"MyAccountsPayable", 21.3},
    {"MyPaper", 0},   {"MyMtg", 12.0},  {"MyBonds", 0},  {"MyOl", 10.2},  {"MyAmtsAffil", 6.5},
    {"MyOLiab", 2.0}, {"MyDefTax", 0.5}, {"MyTliab", 52.5}, {"MyShareC", 5.0}, {"MyRetEarn", -2.5},
    {"MyOtherSur", 45.0}, {"MyEquity1", 47.5}, {"MyTotLiabShareEq", 100}, {"MyCurrentAssets", 57.0},
    {"MyCurrentLiabilities", 31.3}};

double Better(double q1, double q2, double q3, double v, bool higher) {
    double r = 0;
    if (higher) {
        if (q1 != 0 && v > q1) r = 25;
        if (q2 != 0 && v > q2) r = 50;
        if (q3 != 0 && v > q3) r = 75;
    } else {
        if (q1 != 0 && v < q1) r = 25;
        if (q2 != 0 && v < q2) r = 50;
        if (q3 != 0 && v < q3) r = 75;
    }
    return r;
}
double Worse(double q1, double q2, double q3, double v, bool higher) {
    double r = 0;
    if (higher) {
        if (q3 != 0 && v < q3) r = 25;
        if (q2 != 0 && v < q2) r = 50;
        if (q1 != 0 && v < q1) r = 75;
    } else {
        if (q3 != 0 && v > q3) r = 25;
        if (q2 != 0 && v > q2) r = 50;
        if (q1 != 0 && v > q1) r = 75;
    }
    return r;
}

std::string DataColumns() {
    std::string cols = "Naics TEXT, IndustryDescription TEXT, NumberOfFirms INTEGER";
    for (const auto& q : kQuartiles)
        for (int k = 1; k <= 3; ++k) cols += std::string(", ") + q.code + "Q" + std::to_string(k) + " REAL";
    for (const auto& [c, v] : kBalance) cols += ", " + c + " REAL";
    for (const auto& [c, v] : kProfit) cols += ", " + c + " REAL";
    return cols;
}

} // namespace

void CreateSampleReportTables(ConnectionHandle& cn) {
    for (const char* t : kDataTables)
        ExecCmdInDB(cn, std::string("CREATE TABLE IF NOT EXISTS ") + t + " (" + DataColumns() + ")");
    ExecCmdInDB(cn, "CREATE TABLE IF NOT EXISTS Rpt_Ratios_Titles ([Language] TEXT, Naics TEXT, Title_LowerRight TEXT, "
                    "Year_0 TEXT, Year_1 TEXT, Year_2 TEXT, Year_3 TEXT, Title_UpperLeft TEXT, Title_LowerLeft TEXT, "
                    "ML_Title TEXT, MM_Title TEXT, Title_Report TEXT, Title_Note TEXT)");
    ExecCmdInDB(cn, "CREATE TABLE IF NOT EXISTS Rpt_BalanceSheet_Titles ([Language] TEXT, Naics TEXT, "
                    "Title_LowerRight TEXT, Year_0 TEXT, Year_1 TEXT, Year_2 TEXT, Title_UpperLeft TEXT, "
                    "Title_LowerLeft TEXT, Title_Report TEXT, Title_Note TEXT)");
    ExecCmdInDB(cn, "CREATE TABLE IF NOT EXISTS Rpt_Comparison_Titles ([Language] TEXT, NAICS TEXT, Title_Report TEXT, "
                    "Title_Note TEXT)");
    std::string cols = "MyFirmName TEXT, MyYear INTEGER, MyNAICS TEXT, MyIndustry TEXT, MyVol TEXT, NumberOfFirms INTEGER";
    for (const auto& [c, v] : kMyBalance) cols += ", " + c + " REAL";
    for (const char* c : {"MyOperatingRevenue", "MyGrossProfit", "MyOperatingProfit", "MyInterestExpense",
                          "MyPretaxProfit", "MyProfitAfterTax"})
        cols += std::string(", ") + c + " REAL";
    for (const auto& r : Ratios())
        cols += std::string(", ") + r.valueColumn + " REAL, " + r.betterColumn + " REAL, " + r.worseColumn + " REAL";
    for (const auto& l : BalanceLines()) cols += std::string(", ") + l.varianceColumn + " REAL";
    for (const auto& q : kQuartiles) cols += std::string(", ") + q.code + "Q2 REAL";
    for (const auto& [c, v] : kProfit) cols += ", " + c + " REAL";
    for (const auto& [c, v] : kBalance) cols += ", " + c + " REAL";
    ExecCmdInDB(cn, "CREATE TABLE IF NOT EXISTS Rpt_Comparison (" + cols + ")");
}

void FillSampleReport(ConnectionHandle& cn, const std::string& type, const std::string& language,
                      const std::string& firmName) {
    const bool fr = !language.empty() && (language[0] == 'F' || language[0] == 'f');
    const std::string L = fr ? "F" : "E";
    const std::string naics = "445110";
    const std::string industry = fr ? "Supermarchés et autres épiceries (sauf les dépanneurs)"
                                    : "Supermarkets and other grocery (except convenience) stores";
    const std::string vol = fr ? "Volume 3 : entreprises dont les revenus vont de 30\u00A0000\u00A0$ à 5\u00A0000\u00A0000\u00A0$ - Nouvelle-Écosse"
                               : "Volume 3: enterprises with revenue from $30,000 to $5,000,000 - Nova Scotia";

    for (int y = 0; y < 3; ++y) {
        const double f = 1.0 - 0.05 * y;  // earlier years a little lower
        std::string cols = "Naics, IndustryDescription, NumberOfFirms", vals = "?, ?, " + std::to_string(kFirms[y]);
        for (const auto& q : kQuartiles) {
            const double v[3] = {q.q1, q.q2, q.q3};
            for (int k = 0; k < 3; ++k) {
                cols += std::string(", ") + q.code + "Q" + std::to_string(k + 1);
                vals += ", " + Num(std::round(v[k] * f * 100) / 100);
            }
        }
        for (const auto& [c, v] : kBalance) {
            cols += ", " + c;
            vals += ", " + Num(v);
        }
        for (const auto& [c, v] : kProfit) {
            cols += ", " + c;
            vals += ", " + Num(std::round((c.back() == 'P' ? v - 2 * y : v + 2 * y) * 10) / 10);
        }
        ExecCmdInDB(cn, std::string("DELETE FROM ") + kDataTables[y]);
        ExecCmdInDB(cn, std::string("INSERT INTO ") + kDataTables[y] + " (" + cols + ") VALUES (" + vals + ")",
                    {naics, industry});
    }

    const std::string upper = vol;
    const std::string lower = fr ? "Sociétés constituées en société, données de l'exercice" : "Incorporated businesses, fiscal-year data";
    const std::string years = fr ? "Années de référence : 2010, 2009, 2008" : "Reference years: 2010, 2009, 2008";
    const std::string note = fr ? "Données illustratives, produites à titre de démonstration : ce ne sont pas des "
                                  "statistiques officielles."
                                : "Illustrative figures, generated for demonstration: they are not official statistics.";
    if (type == "rat") {
        ExecCmdInDB(cn, "DELETE FROM Rpt_Ratios_Titles");
        ExecCmdInDB(cn, "INSERT INTO Rpt_Ratios_Titles VALUES (?, ?, ?, '2010', '2009', '2008', '2007', ?, ?, ?, ?, ?, ?)",
                    {L, naics, years, upper, lower, fr ? "Médiane" : "Median",
                     fr ? "Médiane des années précédentes" : "Median of the previous years",
                     fr ? "Ratios financiers" : "Financial ratios", note});
    } else if (type == "bal") {
        ExecCmdInDB(cn, "DELETE FROM Rpt_BalanceSheet_Titles");
        ExecCmdInDB(cn, "INSERT INTO Rpt_BalanceSheet_Titles VALUES (?, ?, ?, '2010', '2009', '2008', ?, ?, ?, ?)",
                    {L, naics, years, upper, lower,
                     fr ? "Structure du bilan (% de l'actif total)" : "Balance sheet structure (% of total assets)",
                     note});
    } else {
        ExecCmdInDB(cn, "DELETE FROM Rpt_Comparison_Titles");
        ExecCmdInDB(cn, "INSERT INTO Rpt_Comparison_Titles VALUES (?, ?, ?, ?)",
                    {L, naics,
                     fr ? "Votre entreprise comparée à son industrie" : "Your enterprise compared with its industry",
                     note});
        ExecCmdInDB(cn, "DELETE FROM Rpt_Comparison");
        std::string cols = "MyFirmName, MyYear, MyNAICS, MyIndustry, MyVol, NumberOfFirms";
        std::string vals = "?, 2010, ?, ?, ?, " + std::to_string(kFirms[0]);
        for (const auto& [c, v] : kMyBalance) {
            cols += ", " + c;
            vals += ", " + Num(v);
        }
        const std::pair<const char*, double> amounts[] = {
            {"MyOperatingRevenue", 2480000}, {"MyGrossProfit", 563000},  {"MyOperatingProfit", 129000},
            {"MyInterestExpense", 36500},    {"MyPretaxProfit", 101700}, {"MyProfitAfterTax", 84300}};
        for (const auto& [c, v] : amounts) {
            cols += std::string(", ") + c;
            vals += ", " + Num(v);
        }
        for (size_t i = 0; i < Ratios().size(); ++i) {
            const auto& r = Ratios()[i];
            const auto& q = kQuartiles[i];
            const double v = kMine.at(r.valueColumn);
            cols += std::string(", ") + r.valueColumn + ", " + r.betterColumn + ", " + r.worseColumn + ", " + q.code + "Q2";
            vals += ", " + Num(v) + ", " + Num(Better(q.q1, q.q2, q.q3, v, r.higherIsBetter)) + ", " +
                    Num(Worse(q.q1, q.q2, q.q3, v, r.higherIsBetter)) + ", " + Num(q.q2);
        }
        for (const auto& l : BalanceLines()) {
            cols += std::string(", ") + l.varianceColumn + ", " + l.industryColumn;
            const double mine = kMyBalance.at(l.enterpriseColumn), ind = kBalance.at(l.industryColumn);
            vals += ", " + Num(std::round((mine - ind) * 1000) / 1000) + ", " + Num(ind);
        }
        for (const auto& [c, v] : kProfit) {
            cols += ", " + c;
            vals += ", " + Num(v);
        }
        ExecCmdInDB(cn, "INSERT INTO Rpt_Comparison (" + cols + ") VALUES (" + vals + ")",
                    {firmName, naics, industry, vol});
    }
}

} // namespace zorva::report
