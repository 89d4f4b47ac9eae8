#include "reports/prep/Trend.h"

#include "core/Edition.h"

#include "enterprise/EnterpriseRecord.h"
#include "enterprise/RecordStore.h"
#include "reports/prep/ReportPrep.h"
#include "reports/prep/ReportSql.h"

namespace zorva::report {

std::vector<SavedYear> SavedYearsOf(ConnectionHandle& UserConn, const std::vector<std::string>& values) {
    std::vector<SavedYear> years;
    if (values.size() < static_cast<size_t>(kComparisonValueCount) || values[0].empty()) return years;
    const Edition& edition = CurrentEdition();
    for (std::int16_t y = edition.Earliest(); y <= edition.latest; ++y) {
        auto record = store::LoadRecord(UserConn, values[0], y);
        if (!record) continue;
        years.emplace_back(y, BuildComparisonValues(*record, values[2], values[3]));
    }
    return years;
}

bool fncPrepareTrendReport(ConnectionHandle& DataConn, ConnectionHandle& WriteConn, const std::string& ReportToDisplay,
                           std::int16_t Volume, const std::string& Province, std::int16_t Year,
                           const std::string& NAICS, const std::string& Language,
                           const std::vector<std::string>& aComparisonValues) {
    if (!reportsql::KnownYear(Year)) return reportsql::RefuseYear(Language);
    reportsql::RequireDataSet(Volume, Province);
    if (aComparisonValues.size() < static_cast<size_t>(kComparisonValueCount))
        throw ReportArgumentError("The trend needs 37 values, not " + std::to_string(aComparisonValues.size()) + ".");
    Transaction tx(WriteConn);
    subExtractIndustryData(DataConn, WriteConn, ReportToDisplay, Volume, Province, CurrentEdition().latest, NAICS,
                           Language);
    reportsql::FillComparisonTitles(WriteConn, Language, aComparisonValues[2]);
    tx.Commit();
    return true;
}

} // namespace zorva::report
