#pragma once
// The trend of an enterprise over the years saved for it in the user store
// (the edition's years, its name matched without regard to letter case): the
// preparation of the industry's tables for the three years, and the saved
// years' comparison values that the trend report reads.

#include "core/DBTools.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zorva::report {

// One saved year of the enterprise: the year and its 37 comparison values.
using SavedYear = std::pair<int, std::vector<std::string>>;

// The years saved under the name of aComparisonValues (index 0), oldest
// first, as comparison values with the NAICS code and industry title of
// aComparisonValues. Nothing when the name is empty.
std::vector<SavedYear> SavedYearsOf(ConnectionHandle& UserConn, const std::vector<std::string>& aComparisonValues);

// The trend report's tables: the industry's rows of the edition's years and
// the comparison's title table (the report's language). False after message
// 916 for a year outside the edition; ReportArgumentError for an unknown
// data set or fewer than 37 comparison values.
bool fncPrepareTrendReport(ConnectionHandle& DataConn, ConnectionHandle& WriteConn, const std::string& ReportToDisplay,
                           std::int16_t Volume, const std::string& Province, std::int16_t Year,
                           const std::string& NAICS, const std::string& Language,
                           const std::vector<std::string>& aComparisonValues);

} // namespace zorva::report
