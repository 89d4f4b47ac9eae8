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

// A source value as a text, as the report tables have always received them
// (a real number with 15 significant digits); Null stays Null.
Variant textValue(const Variant& v) {
    switch (v.type()) {
    case Variant::Type::Null: return Variant();
    case Variant::Type::Real: return Variant(Format15(v.toDouble()));
    default: return Variant(v.toString());
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

    Transaction tx(WriteConn);
    for (int i = 0; i < 3; ++i) {
        const std::string source = RatioTableName(Volume, Province, Year - i);
        const std::string target = kReportDataTables[i];
        ExecCmdInDB(WriteConn, "delete * from " + target);

        std::unique_ptr<Recordset> rs;
        if (DoesReportTableExist(source, DataConn))
            rs = GetRS(DataConn, "select * from " + source + " where Naics = ?", "read", {NAICS});
        if (!rs || rs->RecordCount() == 0) {
            // No figures for this year: a row with only the code, whose Null
            // NumberOfFirms tells the comparison so. The older years go on.
            ExecCmdInDB(WriteConn, "insert into " + target + "(NAICS) values (?)", {NAICS});
            continue;
        }

        std::string columns, marks;
        SqlParams values;
        for (int f = 0; f < rs->FieldCount(); ++f) {
            if (f > 0) {
                columns += ", ";
                marks += ", ";
            }
            columns += SqlColumnName(rs->FieldName(f));
            marks += "?";
            values.push_back(textValue(rs->Fields(f)));
        }
        ExecCmdInDB(WriteConn, "insert into " + target + " (" + columns + ") values (" + marks + ")", values);

        if (!Language.empty() && Language[0] == 'F') {
            const std::string table = Volume == 1 ? kNaicsDetailed : kNaicsRaw;
            auto d = GetRS(DataConn, "select Description_French from " + table + " where Naics = ?", "read", {NAICS});
            if (d->RecordCount() > 0 && !d->Fields(0).isNull())
                ExecCmdInDB(WriteConn, "Update " + target + " Set IndustryDescription = ?",
                            {TrimBlanks(d->Fields(0).toString())});
        }
    }
    tx.Commit();
}

} // namespace zorva
