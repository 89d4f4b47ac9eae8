// The comparison's title table, and the refusal of a year without a report.

#include "reports/prep/ReportPrep.h"

#include "core/Edition.h"

#include "core/Services.h"
#include "core/Strings.h"
#include "reports/prep/ReportSql.h"

namespace zorva::reportsql {

void FillComparisonTitles(ConnectionHandle& WriteConn, const std::string& Language, const std::string& naics) {
    ExecCmdInDB(WriteConn, "delete * from Rpt_Comparison_Titles");
    ExecCmdInDB(WriteConn, "insert into Rpt_Comparison_Titles select * from Rpt_Comparison_Titles_Source where [Language] = ?",
                {FirstLetter(Language)});
    ExecCmdInDB(WriteConn, "Update rpt_comparison_titles set NAICS = ?", {naics});
}

bool RefuseYear(const std::string& Language) {
    MsgBox(EditionText(916, LanguageIndex(Language)), MsgButtons::OK, MsgIcon::None);
    return false;
}

} // namespace zorva::reportsql
