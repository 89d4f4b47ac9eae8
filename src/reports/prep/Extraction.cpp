// Copy of an industry's published figures for three reference years into the
// report data tables of the user data store.

#include "reports/prep/ReportPrep.h"

#include "core/Edition.h"

#include "core/Text.h"

#include "core/Catalogue.h"
#include "enterprise/NumberText.h"
#include "reports/prep/ReportSql.h"

namespace zorva {

using namespace reportsql;

namespace {

// A source value as a quoted text literal, as the report tables have always
// received them; Null stays Null.
std::string quotedValue(const Variant& v) {
    switch (v.type()) {
    case Variant::Type::Null: return "NULL";
    case Variant::Type::Real: return "'" + Format15(v.toDouble()) + "'";
    default: return "'" + SqlQuote(v.toString()) + "'";
    }
}

} // namespace

bool DoesReportTableExist(const std::string& TableName, ConnectionHandle& dbconn) {
    try {
        auto rs = GetRS(dbconn, "select NAICS from " + TableName, "read");
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::string ReportDataTableOfYear(int year) {
    const int i = CurrentEdition().Slot(year);
    if (i < 0) throw ReportArgumentError("No report data table for the year " + std::to_string(year) + ".");
    return kReportDataTables[i];
}

void subExtractIndustryData(ConnectionHandle& DataConn, ConnectionHandle& WriteConn,
                            const std::string& ReportToDisplay, std::int16_t Volume, const std::string& Province,
                            std::int16_t Year, const std::string& NAICS, const std::string& Language) {
    if (!KnownYear(Year))
        throw ReportArgumentError(FillEditionYears("The reference year must be {E}, {P} or {L}, not ") +
                                  std::to_string(Year) + ".");
    RequireDataSet(Volume, Province);
    const std::string code = SqlQuote(NAICS);

    Transaction tx(WriteConn);
    for (int i = 0; i < 3; ++i) {
        const std::string source = RatioTableName(Volume, Province, Year - i);
        const std::string target = kReportDataTables[i];
        ExecCmdInDB(WriteConn, "delete * from " + target);

        std::unique_ptr<Recordset> rs;
        if (DoesReportTableExist(source, DataConn))
            rs = GetRS(DataConn, "select * from " + source + " where Naics = '" + code + "'", "read");
        if (!rs || rs->RecordCount() == 0) {
            // No figures for this year: a row with only the code, whose Null
            // NumberOfFirms tells the comparison so. The older years go on.
            ExecCmdInDB(WriteConn, "insert into " + target + "(NAICS) values ('" + code + "')");
            continue;
        }

        std::string columns, values;
        for (int f = 0; f < rs->FieldCount(); ++f) {
            if (f > 0) {
                columns += ", ";
                values += ", ";
            }
            columns += SqlColumnName(rs->FieldName(f));
            values += quotedValue(rs->Fields(f));
        }
        ExecCmdInDB(WriteConn, "insert into " + target + " (" + columns + ") values (" + values + ")");

        if (!Language.empty() && Language[0] == 'F') {
            const std::string table = Volume == 1 ? kNaicsDetailed : kNaicsRaw;
            auto d = GetRS(DataConn, "select Description_French from " + table + " where Naics = '" + code + "'",
                           "read");
            if (d->RecordCount() > 0 && !d->Fields(0).isNull()) {
                std::string title = TrimBlanks(SqlQuote(d->Fields(0).toString()));
                ExecCmdInDB(WriteConn, "Update " + target + " Set IndustryDescription = '" + title + "'");
            }
        }
    }
    tx.Commit();
}

} // namespace zorva
