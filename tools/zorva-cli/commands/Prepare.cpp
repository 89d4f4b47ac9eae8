// zorva-cli prepare: the ratios or balance-sheet report tables of an industry, read back.

#include "commands/Commands.h"

#include "CliCommands.h"
#include "Json.h"

#include "core/DBTools.h"
#include "core/Globals.h"
#include "core/modMain.h"
#include "reports/prep/ReportPrep.h"

#include <ostream>

namespace zorva::cli {

int cmdPrepare(const Options& o, std::ostream& out) {
    requireOptions(o, {"type", "dataset", "naics"});
    int lang = languageOf(o);
    const std::string type = o.get("type");
    if (type != "rat" && type != "bal") throw UsageError("--type must be rat or bal, not " + type);
    const std::int16_t year = yearOption(o);
    const DatasetChoice& c = datasetOf(o);
    subSetDataTable(c.option);
    const std::string naics = o.get("naics");
    const std::string L = lang ? "F" : "E";
    // Prepared and read back in one write transaction, as the report viewer
    // does: another copy preparing at the same moment cannot mix its rows in.
    Transaction tx(gcnUser);
    bool ok = type == "rat"
                  ? fncPrepareRatiosReport(gcnIndustry, gcnUser, type, c.volume, c.region, year, naics, L)
                  : fncPrepareBalanceSheetReport(gcnIndustry, gcnUser, type, c.volume, c.region, year, naics, L);
    if (!ok) {
        tx.Commit();
        return kExitFailed;
    }

    JsonObject result;
    for (const char* t : kReportDataTables) {
        auto rs = GetRS(gcnUser, std::string("select * from ") + t, "read");
        result.add(t, rs->RecordCount() ? RowObject(*rs) : std::string("null"));
    }
    const std::string titles = type == "rat" ? "Rpt_Ratios_Titles" : "Rpt_BalanceSheet_Titles";
    auto rs = GetRS(gcnUser, "select * from " + titles, "read");
    std::string list = "[";
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) list += (list.size() > 1 ? ", " : "") + RowObject(*rs);
    result.add(titles, list + "]");
    tx.Commit();
    out << result.str() << "\n";
    return kExitOk;
}

} // namespace zorva::cli
