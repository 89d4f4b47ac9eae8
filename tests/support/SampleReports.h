#pragma once
// Each report the viewer shows, prepared on the shipped data stores for one
// enterprise (Nova Scotia, oilseed and grain farming, NAICS 1111): the two
// industry reports, the comparison of its 2010 statement, and the trend of its
// statements saved for 2008 and 2010. For the tests that read a report as a
// user or a screen reader does. The stores must be open (AppFixture).

#include "enterprise/EnterpriseRecord.h"
#include "reports/render/ReportViewerLogic.h"

#include <optional>
#include <string>

namespace zorva::test {

inline constexpr const char* kSampleEnterprise = "Harbourview Fine Foods";

// Its statement of a year under a name (typed in any letter case), with the
// year's profit after tax; retained earnings -25,000, other surplus 450,000.
RecordTexts SampleStatement(const std::string& name, const char* year, const char* profitAfterTax);

// type "rat", "bal", "com" or "tre"; lang "E" or "F".
std::optional<report::PreparedReport> PrepareSampleReport(const std::string& type, const std::string& lang);

} // namespace zorva::test
