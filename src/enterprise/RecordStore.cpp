#include "enterprise/RecordStore.h"

#include "core/CaseFold.h"
#include "core/Strings.h"
#include "core/Text.h"

namespace zorva::store {

namespace {

// foldcase() on the connection; installing it is cheap and idempotent, and
// the database layer opens connections without it.
void prepare(ConnectionHandle& cn) {
    if (cn && cn->handle()) RegisterFoldCase(cn->handle());
}

std::string nameMatch(const std::string& name) { return "foldcase(firmname) = foldcase('" + SqlQuote(name) + "')"; }

const char* kInsertHead =
    "INSERT into MyValues (FirmName, [Year], NAICS, Cash, Ar, Inv, CA, OA, Toa, "
    "Invest, Ptfl, Ta, OperatingRevenue, Sales, GrossProfit, OperatingProfit, InterestExpense, "
    "PretaxProfit,ProfitAfterTax, AccountsPayable, Paper, Mtg, Bonds, Ol, AmtsAffil, OLiab, "
    "DefTax, Tliab, ShareC, RetEarn, OtherSur, Equity1, TotLiabShareEq, CurrentAssets, CurrentLiabilities)";

} // namespace

bool VerifyFirmName(const std::string& name, int language) {
    return !TrimBlanks(name).empty() && name != Txt(544, language);
}

bool RecordExists(ConnectionHandle& cn, const std::string& name, std::int16_t year) {
    prepare(cn);
    auto rs = GetRS(cn, "Select * from myvalues where " + nameMatch(name) + " and year = " + std::to_string(year),
                    "read");
    return rs->RecordCount() > 0;
}

void DeleteRecord(ConnectionHandle& cn, const std::string& name, std::int16_t year) {
    prepare(cn);
    ExecCmdInDB(cn, "DELETE myvalues from myvalues where " + nameMatch(name) + " and [year] = " + std::to_string(year));
}

void SaveRecord(ConnectionHandle& cn, const RecordTexts& record, std::int16_t year) {
    std::string values;
    for (Field f : ValueFields()) {
        if (!values.empty()) values += ",";
        values += record[f];
    }
    const std::string insert = std::string(kInsertHead) + " VALUES ('" + SqlQuote(record[Field::FirmName]) + "', " +
                               std::to_string(year) + ", '" + record[Field::NAICS] + "', " + values + ")";
    prepare(cn);
    Transaction tx(cn);
    DeleteRecord(cn, record[Field::FirmName], year);
    ExecCmdInDB(cn, insert);
    tx.Commit();
}

std::unique_ptr<Recordset> ListFirms(ConnectionHandle& cn, int language) {
    prepare(cn);
    const std::string order = " from myvalues order by foldcase(Firmname), Firmname, [year]";
    return GetRS(cn,
                 language == 0 ? "select Firmname, [year], NAICS" + order
                               : "select Firmname as Nom, [year] as Année, NAICS as SCIAN" + order,
                 "read");
}

std::string StoredIndustry(ConnectionHandle& cn, const std::string& name, std::int16_t year) {
    prepare(cn);
    auto rs = GetRS(cn, "select NAICS from myvalues where " + nameMatch(name) + " and [year] = " + std::to_string(year),
                    "read");
    return rs->RecordCount() && !rs->Fields(0).isNull() ? rs->Fields(0).toString() : std::string();
}

std::optional<RecordTexts> LoadRecord(ConnectionHandle& cn, const std::string& name, std::int16_t year) {
    prepare(cn);
    auto rs = GetRS(cn, "select * from myvalues where " + nameMatch(name) + " and [year] = " + std::to_string(year),
                    "read");
    if (rs->RecordCount() == 0) return std::nullopt;
    RecordTexts r;
    r[Field::FirmName] = rs->Fields("FirmName").toString();
    r[Field::Year] = std::to_string(year);
    for (Field f : ValueFields()) {
        const Variant& v = rs->Fields(ColumnName(f));
        // Stored as numbers; shown in the number text form the boxes use.
        NumberTextResult t = NumberTextForm(v.isNull() ? std::string("0") : Format15(v.toDouble()));
        r[f] = t.ok ? t.text : Format15(v.toDouble());
    }
    return r;
}

std::string ReplaceQuestion(const std::string& name, const std::string& year, int language) {
    return Txt(964, language) + name + Txt(966, language) + year + Txt(968, language);
}

std::string SaveChangesQuestion(const std::string& name, int language) {
    return Txt(970, language) + name + Txt(972, language);
}

std::string SaveChangesBeforeOpenQuestion(const std::string& name, int language) {
    return Txt(974, language) + name + Txt(976, language);
}

} // namespace zorva::store
