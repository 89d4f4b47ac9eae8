// The two industry reports (financial ratios, balance-sheet structure): the
// industry's figures for three years copied into the report data tables, and
// the report's title table filled with the fixed headings of the language,
// completed with the years, the industry code and the data set's title.

#include "reports/prep/ReportPrep.h"

#include "core/Strings.h"
#include "reports/prep/ReportSql.h"

namespace zorva {

using namespace reportsql;

namespace {

enum class Kind { Ratios, BalanceSheet };

bool prepareIndustryReport(Kind kind, ConnectionHandle& DataConn, ConnectionHandle& WriteConn,
                           const std::string& ReportToDisplay, std::int16_t Volume, const std::string& Province,
                           std::int16_t Year, const std::string& NAICS, const std::string& Language) {
    if (!KnownYear(Year)) return RefuseYear(Language);
    RequireDataSet(Volume, Province);

    const std::string table = kind == Kind::Ratios ? "Rpt_Ratios_Titles" : "Rpt_BalanceSheet_Titles";
    const std::string L = FirstLetter(Language);
    const int lang = LanguageIndex(Language);
    const std::string Y = std::to_string(Year), Y1 = std::to_string(Year - 1), Y2 = std::to_string(Year - 2),
                      Y3 = std::to_string(Year - 3);

    Transaction tx(WriteConn);
    subExtractIndustryData(DataConn, WriteConn, ReportToDisplay, Volume, Province, Year, NAICS, Language);
    ExecCmdInDB(WriteConn, "delete * from " + table);
    ExecCmdInDB(WriteConn, "insert into " + table + " select * from " + table + "_Source where [Language] = ?", {L});
    ExecCmdInDB(WriteConn,
                "Update " + table + " " + "Set Naics = ?, " + "    Title_LowerRight = Title_LowerRight + ' " + Y +
                    ", " + Y1 + ", " + Y2 + "'",
                {NAICS});
    std::string years = "Update " + table + " Set Year_0 = ?, Year_1 = ?, Year_2 = ?";
    SqlParams yearTexts = {Y, Y1, Y2};
    if (kind == Kind::Ratios) {
        years += ", Year_3 = ?";
        yearTexts.push_back(Y3);
    }
    ExecCmdInDB(WriteConn, years, yearTexts);

    const std::string region = RegionName(WriteConn, Province, lang);
    std::string titles = "Update " + table + " T, (select * from Volume_Descriptions where Volume = " +
                         std::to_string(Volume) + " and [Language] = ?1 ) D " +
                         "Set T.Title_UpperLeft = D.Title1 + ' - ' + ?2, " +
                         "    T.Title_LowerLeft = D.Title2";
    if (kind == Kind::Ratios) titles += std::string(", ") + "    T.ML_Title = D.LargeMedianDesc, " + "    T.MM_Title = D.MediumMedianDesc";
    ExecCmdInDB(WriteConn, titles, {L, region});
    tx.Commit();
    return true;
}

} // namespace

bool fncPrepareRatiosReport(ConnectionHandle& DataConn, ConnectionHandle& WriteConn,
                            const std::string& ReportToDisplay, std::int16_t Volume, const std::string& Province,
                            std::int16_t Year, const std::string& NAICS, const std::string& Language) {
    return prepareIndustryReport(Kind::Ratios, DataConn, WriteConn, ReportToDisplay, Volume, Province, Year, NAICS,
                                 Language);
}

bool fncPrepareBalanceSheetReport(ConnectionHandle& DataConn, ConnectionHandle& WriteConn,
                                  const std::string& ReportToDisplay, std::int16_t Volume,
                                  const std::string& Province, std::int16_t Year, const std::string& NAICS,
                                  const std::string& Language) {
    return prepareIndustryReport(Kind::BalanceSheet, DataConn, WriteConn, ReportToDisplay, Volume, Province, Year,
                                 NAICS, Language);
}

} // namespace zorva
