#include "enterprise/RecordStore.h"

#include "core/CaseFold.h"
#include "core/Strings.h"
#include "core/Text.h"
#include "enterprise/NumberText.h"

#include <charconv>
#include <cstdint>
#include <map>
#include <memory>

namespace zorva::store {

namespace {

// The name key. A file store keeps each row's folded name in the column
// FirmKey, indexed with the year, so that finding a name reads a few index
// entries instead of folding every stored name. The record store keeps it:
// it adds the column and the index to a store that lacks them and fills the
// key of rows written without one (by an older version, or by another
// program) the first time a connection uses the store, and writes it with
// every row it saves. A row another program writes later without a key is
// still found: a missing key falls back to folding that row's name. A server
// store indexes foldcase(firmname) itself (store/ServerStore.cpp).
constexpr const char* kKeyColumn = "FirmKey";

enum class KeyKind { Server, Column, None };
struct KeyState {
    std::weak_ptr<Connection> connection;
    KeyKind kind = KeyKind::None;
};
std::map<const Connection*, KeyState>& keyStates() {
    static std::map<const Connection*, KeyState> m;
    return m;
}

bool hasKeyColumn(ConnectionHandle& cn) {
    auto rs = GetRS(cn, "select name from pragma_table_info('MyValues') where name = ? collate nocase", "read",
                    {Variant(std::string(kKeyColumn))});
    return rs->RecordCount() > 0;
}

KeyKind keyKind(ConnectionHandle& cn) {
    if (cn->isServer()) return KeyKind::Server;
    auto& states = keyStates();
    auto it = states.find(cn.get());
    if (it != states.end() && it->second.connection.lock() == cn) return it->second.kind;
    RegisterFoldCase(cn->handle());
    KeyKind kind = KeyKind::None;
    if (cn->kind() == Connection::Kind::Database && TableExists(cn, "MyValues")) {
        bool column = hasKeyColumn(cn);
        if (!cn->readOnly()) {
            // Work only when there is some: a store kept up to date is only read.
            bool unkeyed = true;
            if (column) {
                auto rs = GetRS(cn, "select 1 from MyValues where FirmKey is null and FirmName is not null limit 1",
                                "read");
                unkeyed = rs->RecordCount() > 0;
            }
            if (!column || unkeyed) {
                Transaction tx(cn);
                if (!hasKeyColumn(cn)) ExecCmdInDB(cn, "ALTER TABLE MyValues ADD COLUMN FirmKey TEXT");
                ExecCmdInDB(cn, "CREATE INDEX IF NOT EXISTS MyValues_FirmKey ON MyValues (FirmKey, [Year])");
                ExecCmdInDB(cn, "UPDATE MyValues SET FirmKey = foldcase(FirmName) "
                                "WHERE FirmKey IS NULL AND FirmName IS NOT NULL");
                tx.Commit();
                column = true;
            }
        }
        kind = column ? KeyKind::Column : KeyKind::None;
    }
    states[cn.get()] = KeyState{cn, kind};
    return kind;
}

// foldcase() on the connection (the database layer opens connections
// without it) and the name key brought up to date, on the connection's first
// use (installing a function again would make SQLite prepare every statement
// of the connection anew).
void prepare(ConnectionHandle& cn) {
    if (cn) keyKind(cn);
}

// The condition that finds a name, with its parameters appended to params.
std::string nameMatch(ConnectionHandle& cn, const std::string& name, Params& params) {
    switch (keyKind(cn)) {
    case KeyKind::Server:
        params.emplace_back(name);
        return "foldcase(firmname) = foldcase(?)";
    case KeyKind::Column: {
        const std::string key = FoldCase(name);
        params.emplace_back(key);
        params.emplace_back(key);
        return "(FirmKey = ? OR (FirmKey IS NULL AND foldcase(firmname) = ?))";
    }
    case KeyKind::None: break;
    }
    params.emplace_back(FoldCase(name));
    return "foldcase(firmname) = ?";
}

// "where" and the condition of the name and year.
std::string whereNameAndYear(ConnectionHandle& cn, const std::string& name, std::int16_t year, Params& params) {
    std::string w = " where " + nameMatch(cn, name, params) + " and [year] = ?";
    params.emplace_back(static_cast<std::int64_t>(year));
    return w;
}

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
    std::uint64_t order = 0;  // when it was remembered
};
// A session keeps the versions of the records it worked on; an import of
// 100,000 enterprises must not keep one per enterprise. Past kSeenLimit the
// older half is forgotten (those records were saved or opened long before the
// one on the screen; forgetting one only skips the changed-meanwhile question).
constexpr size_t kSeenLimit = 4096;
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
    Params params;
    const std::string where = whereNameAndYear(cn, name, year, params);
    return GetRS(cn, "select * from myvalues" + where, "read", params);
}

void remember(const ConnectionHandle& cn, const std::string& name, std::int16_t year, const StoredVersion& v) {
    static std::uint64_t clock = 0;
    auto& seen = seenVersions();
    seen[recordKey(cn, name, year)] = Seen{cn, v, ++clock};
    if (seen.size() <= kSeenLimit) return;
    const std::uint64_t keepFrom = clock - kSeenLimit / 2;
    for (auto it = seen.begin(); it != seen.end();) it = it->second.order <= keepFrom ? seen.erase(it) : std::next(it);
}

// A value of the record as it is stored: the record holds number texts; any
// other text is refused as the database refused it when values were written
// into the statement.
Variant storedNumber(const std::string& text) {
    if (auto n = ParseNumber(text)) return Variant(*n);
    throw DbError("The value '" + text + "' is not a number.", kInsertHead);
}

// Deletes the rows of the name and year.
void deleteRows(ConnectionHandle& cn, const std::string& name, std::int16_t year) {
    Params params;
    const std::string where = whereNameAndYear(cn, name, year, params);
    ExecCmdInDB(cn, "DELETE myvalues from myvalues" + where, params);
}

// Writes the record; inside the caller's transaction, with the key locked.
void writeRecord(ConnectionHandle& cn, const RecordTexts& record, std::int16_t year) {
    const std::string& name = record[Field::FirmName];
    const bool keyed = keyKind(cn) == KeyKind::Column;
    Params params{Variant(name), Variant(static_cast<std::int64_t>(year)), Variant(record[Field::NAICS])};
    std::string marks = "?, ?, ?";
    for (Field f : ValueFields()) {
        params.push_back(storedNumber(record[f]));
        marks += ", ?";
    }
    std::string head = kInsertHead;
    if (keyed) {
        head.insert(head.size() - 1, ", FirmKey");
        params.emplace_back(FoldCase(name));
        marks += ", ?";
    }
    deleteRows(cn, name, year);
    ExecCmdInDB(cn, head + " VALUES (" + marks + ")", params);
    auto rs = storedRows(cn, name, year);
    remember(cn, name, year, versionOf(*rs));
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
    Params params;
    const std::string where = whereNameAndYear(cn, name, year, params);
    auto rs = GetRS(cn, "Select 1 from myvalues" + where, "read", params);
    return rs->RecordCount() > 0;
}

void DeleteRecord(ConnectionHandle& cn, const std::string& name, std::int16_t year) {
    prepare(cn);
    Transaction tx(cn);
    lockRecord(cn, name, year);
    deleteRows(cn, name, year);
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
    Params params;
    const std::string where = whereNameAndYear(cn, name, year, params);
    auto rs = GetRS(cn, "select NAICS from myvalues" + where, "read", params);
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
