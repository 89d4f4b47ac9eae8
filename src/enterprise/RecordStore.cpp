#include "enterprise/RecordStore.h"

#include "core/CaseFold.h"
#include "core/Strings.h"
#include "core/Text.h"

#include <charconv>
#include <cstdint>
#include <map>
#include <memory>

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

// The versions this connection saw, by record key. A connection that ended
// leaves its entries behind: the weak handle tells them from a new
// connection's at the same address.
struct Seen {
    std::weak_ptr<Connection> connection;
    StoredVersion version;
};
std::map<std::string, Seen>& seenVersions() {
    static std::map<std::string, Seen> m;
    return m;
}

std::string recordKey(const ConnectionHandle& cn, const std::string& name, std::int16_t year) {
    return std::to_string(reinterpret_cast<std::uintptr_t>(cn.get())) + "\n" + FoldCase(name) + "\n" +
           std::to_string(year);
}

StoredVersion versionOf(Recordset& rs) {
    StoredVersion v;
    v.exists = rs.RecordCount() > 0;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
        for (int f = 0; f < rs.FieldCount(); ++f) {
            const Variant& x = rs.Fields(f);
            v.fingerprint += rs.FieldName(f) + "=" + (x.isNull() ? std::string("\x01") : x.toString()) + "\x1f";
        }
        v.fingerprint += "\x1e";
        if (rs.HasField("SavedBy")) v.savedBy = rs.Fields("SavedBy").toString();
        if (rs.HasField("SavedAt")) v.savedAt = rs.Fields("SavedAt").toString().substr(0, 19);
    }
    if (v.exists) rs.MoveFirst();
    return v;
}

std::unique_ptr<Recordset> storedRows(ConnectionHandle& cn, const std::string& name, std::int16_t year) {
    return GetRS(cn, "select * from myvalues where " + nameMatch(name) + " and [year] = " + std::to_string(year), "read");
}

void remember(const ConnectionHandle& cn, const std::string& name, std::int16_t year, const StoredVersion& v) {
    seenVersions()[recordKey(cn, name, year)] = Seen{cn, v};
}

// Writes the record; inside the caller's transaction, with the key locked.
void writeRecord(ConnectionHandle& cn, const RecordTexts& record, std::int16_t year) {
    std::string values;
    for (Field f : ValueFields()) {
        if (!values.empty()) values += ",";
        values += record[f];
    }
    const std::string insert = std::string(kInsertHead) + " VALUES ('" + SqlQuote(record[Field::FirmName]) + "', " +
                               std::to_string(year) + ", '" + record[Field::NAICS] + "', " + values + ")";
    ExecCmdInDB(cn, "DELETE myvalues from myvalues where " + nameMatch(record[Field::FirmName]) + " and [year] = " +
                        std::to_string(year));
    ExecCmdInDB(cn, insert);
    auto rs = storedRows(cn, record[Field::FirmName], year);
    remember(cn, record[Field::FirmName], year, versionOf(*rs));
}

void lockRecord(ConnectionHandle& cn, const std::string& name, std::int16_t year) {
    LockKeyForWriting(cn, "MyValues\n" + FoldCase(name) + "\n" + std::to_string(year));
}

} // namespace

StoredVersion CurrentVersion(ConnectionHandle& cn, const std::string& name, std::int16_t year) {
    prepare(cn);
    auto rs = storedRows(cn, name, year);
    return versionOf(*rs);
}

std::optional<StoredVersion> SeenVersion(const ConnectionHandle& cn, const std::string& name, std::int16_t year) {
    const auto& m = seenVersions();
    auto it = m.find(recordKey(cn, name, year));
    if (it == m.end() || it->second.connection.lock() != cn) return std::nullopt;
    return it->second.version;
}

bool SaveRecordIfUnchanged(ConnectionHandle& cn, const RecordTexts& record, std::int16_t year,
                           const StoredVersion& expected) {
    prepare(cn);
    const std::string key = recordKey(cn, record[Field::FirmName], year);
    const auto before = seenVersions().find(key);
    const std::optional<Seen> seenBefore =
        before == seenVersions().end() ? std::nullopt : std::optional<Seen>(before->second);
    try {
        Transaction tx(cn);
        lockRecord(cn, record[Field::FirmName], year);
        if (!SameVersion(CurrentVersion(cn, record[Field::FirmName], year), expected)) return false;
        writeRecord(cn, record, year);
        tx.Commit();
    } catch (...) {
        // Not known to be written: this copy still saw what it saw before.
        if (seenBefore) seenVersions()[key] = *seenBefore;
        else seenVersions().erase(key);
        throw;
    }
    return true;
}

bool StoredAsSaved(ConnectionHandle& cn, const RecordTexts& record, std::int16_t year) {
    prepare(cn);
    auto rs = storedRows(cn, record[Field::FirmName], year);
    if (rs->RecordCount() != 1) return false;
    if (rs->Fields("FirmName").toString() != record[Field::FirmName]) return false;
    for (Field f : ValueFields()) {
        const Variant& v = rs->Fields(ColumnName(f));
        double typed = 0;
        const std::string& t = record[f];
        if (std::from_chars(t.data(), t.data() + t.size(), typed).ec != std::errc()) typed = 0;
        if ((v.isNull() ? 0.0 : v.toDouble()) != typed) return false;
    }
    remember(cn, record[Field::FirmName], year, versionOf(*rs));
    return true;
}

std::string ChangedMeanwhileQuestion(const std::string& name, std::int16_t year, const StoredVersion& now,
                                     int language) {
    std::string q = Txt(2320, language) + name + Txt(2322, language) + std::to_string(year);
    if (!now.exists) q += Txt(2330, language);
    else if (!now.savedBy.empty()) q += Txt(2324, language) + now.savedBy + Txt(2326, language) + now.savedAt;
    else q += Txt(2328, language);
    return q + Txt(2332, language);
}

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
    Transaction tx(cn);
    lockRecord(cn, name, year);
    ExecCmdInDB(cn, "DELETE myvalues from myvalues where " + nameMatch(name) + " and [year] = " + std::to_string(year));
    tx.Commit();
    remember(cn, name, year, StoredVersion{});
}

void SaveRecord(ConnectionHandle& cn, const RecordTexts& record, std::int16_t year) {
    prepare(cn);
    Transaction tx(cn);
    lockRecord(cn, record[Field::FirmName], year);
    writeRecord(cn, record, year);
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
    auto rs = storedRows(cn, name, year);
    remember(cn, name, year, versionOf(*rs));
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
