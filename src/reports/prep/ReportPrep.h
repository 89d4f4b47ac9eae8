#pragma once
// Preparation of the three reports in the user data store: the copy of an
// industry's figures for three years into the report data tables, the
// comparison of an enterprise with its industry, and the title tables.
//
// Arguments, in the order of every preparation:
//   DataConn          the industry data store (read only)
//   WriteConn         the user data store (every statement runs here)
//   ReportToDisplay   "rat", "bal" or "com"; not used by the preparations
//   Volume            1, 2 or 3
//   Province          region code of the data set ("ALL", "NS", ...)
//   Year              the latest (industry reports) or the enterprise's
//                     (comparison) reference year, one of the edition's (core/Edition.h)
//   NAICS             industry code
//   Language          first letter "E" or "F"
//
// Each preparation runs in one transaction on WriteConn: nothing half-written
// is ever left, and a second copy of the program preparing a report at the same
// moment waits for ours instead of mixing its rows into our tables. Inside a
// transaction that the caller already holds on WriteConn the preparation
// becomes a savepoint of it.
//
// A year outside the edition shows message 916 and the preparation returns
// false before any statement runs. A volume other than 1 to 3 or a region code
// that is not one of the catalogue's throws ReportArgumentError. Database
// errors come as DbError and leave the user data store as it was.

#include "core/DBTools.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorva {

class ReportArgumentError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// Financial ratios report: extraction, then Rpt_Ratios_Titles. True when the
// report may be shown.
bool fncPrepareRatiosReport(ConnectionHandle& DataConn, ConnectionHandle& WriteConn,
                            const std::string& ReportToDisplay, std::int16_t Volume, const std::string& Province,
                            std::int16_t Year, const std::string& NAICS, const std::string& Language);

// Balance-sheet structure report: extraction, then Rpt_BalanceSheet_Titles.
bool fncPrepareBalanceSheetReport(ConnectionHandle& DataConn, ConnectionHandle& WriteConn,
                                  const std::string& ReportToDisplay, std::int16_t Volume,
                                  const std::string& Province, std::int16_t Year, const std::string& NAICS,
                                  const std::string& Language);

// Comparison report: extraction of the edition's three years, one row in
// Rpt_Comparison computed from aComparisonValues (37 texts, see
// BuildComparisonValues) and the industry row of Year, then
// Rpt_Comparison_Titles. False, after the message "This industry has no data
// for " + Year (through MsgBox), when the data set has no figures for the
// industry in that year; also false after message 560 when total assets are 0.
// Throws ReportArgumentError when aComparisonValues has fewer than 37 texts or
// an amount is not a number text.
bool fncPrepareComparisonReport(ConnectionHandle& DataConn, ConnectionHandle& WriteConn,
                                const std::string& ReportToDisplay, std::int16_t Volume,
                                const std::string& Province, std::int16_t Year, const std::string& NAICS,
                                const std::string& Language, const std::vector<std::string>& aComparisonValues);

// Copies the industry's row of Year, Year - 1 and Year - 2 into Rpt_Data_CY,
// Rpt_Data_CYM1 and Rpt_Data_CYM2. A year without a ratio table, or whose
// table has no row for the industry, gets a row holding only NAICS (so its
// NumberOfFirms is Null) and the older years are still copied. Null values
// stay Null. In French the rows receive the industry's French description.
// Throws ReportArgumentError for a year outside the edition.
void subExtractIndustryData(ConnectionHandle& DataConn, ConnectionHandle& WriteConn,
                            const std::string& ReportToDisplay, std::int16_t Volume, const std::string& Province,
                            std::int16_t Year, const std::string& NAICS, const std::string& Language);

// True when "select NAICS from " + TableName can be opened on dbconn; any
// error is absorbed and gives False.
bool DoesReportTableExist(const std::string& TableName, ConnectionHandle& dbconn);

// The report data tables: 0 the reference year, 1 the year before, 2 two years before.
inline constexpr const char* kReportDataTables[3] = {"Rpt_Data_CY", "Rpt_Data_CYM1", "Rpt_Data_CYM2"};
// Report data table that holds a year of the edition (latest, the year before, earliest).
std::string ReportDataTableOfYear(int year);

// Every column of Rpt_Comparison that the comparison writes, spelled as the
// report spells them (MyFirmName ... BetterNPM ... VarianceAP ... CURLiab).
const std::vector<std::string>& ComparisonColumnNames();

// The message of a comparison year without data, in the language of the
// letter ("E..." English, anything else French).
std::string NoDataMessage(const std::string& Language, int year);

} // namespace zorva
