#include "store/ServerStore.h"

#include "store/Schema.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <set>
#include <stdexcept>

namespace zorvadata {

namespace {

struct ServerFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A name for the server: lower case, quoted.
std::string ident(const std::string& name) { return quoteIdentifier(lower(name)); }

std::string serverType(const Column& c) {
    switch (c.type) {
    case ColumnType::Integer: return "bigint";
    case ColumnType::Real: return "double precision";
    case ColumnType::Text: break;
    }
    return "text";
}

// The server's own MyValues columns: who saved the row and when.
struct ExtraColumn {
    const char* name;
    const char* definition;
};
const ExtraColumn kSavedColumns[] = {
    {"SavedBy", "text NOT NULL DEFAULT current_user"},
    {"SavedAt", "timestamptz NOT NULL DEFAULT now()"},
};

class Server {
public:
    explicit Server(const std::string& address) {
        conn_ = PQconnectdb(address.c_str());
        if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
            std::string msg = conn_ ? PQerrorMessage(conn_) : "out of memory";
            while (!msg.empty() && (msg.back() == '\n' || msg.back() == ' ')) msg.pop_back();
            PQfinish(conn_);
            conn_ = nullptr;
            throw ServerFailure("cannot connect: " + msg);
        }
        exec("SET client_min_messages = warning");
        exec("SET standard_conforming_strings = on");
        exec("SET client_encoding = 'UTF8'");
    }
    ~Server() { PQfinish(conn_); }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

    Result exec(const std::string& sql, const std::vector<const char*>& params = {}) {
        Result r(params.empty() ? PQexec(conn_, sql.c_str())
                                : PQexecParams(conn_, sql.c_str(), static_cast<int>(params.size()), nullptr,
                                               params.data(), nullptr, nullptr, 0),
                 &PQclear);
        const auto st = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
        if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) {
            std::string msg = r ? PQresultErrorMessage(r.get()) : PQerrorMessage(conn_);
            while (!msg.empty() && (msg.back() == '\n' || msg.back() == ' ')) msg.pop_back();
            throw ServerFailure(msg + " (in: " + sql.substr(0, 200) + ")");
        }
        return r;
    }
    std::string text(const std::string& sql, const std::vector<const char*>& params = {}) {
        Result r = exec(sql, params);
        return PQntuples(r.get()) > 0 && !PQgetisnull(r.get(), 0, 0) ? PQgetvalue(r.get(), 0, 0) : std::string();
    }
    std::vector<std::string> column(const std::string& sql, const std::vector<const char*>& params = {}) {
        Result r = exec(sql, params);
        std::vector<std::string> out;
        for (int i = 0; i < PQntuples(r.get()); ++i) out.emplace_back(PQgetvalue(r.get(), i, 0));
        return out;
    }

private:
    PGconn* conn_ = nullptr;
};

std::string createStatement(const TableDef& def, const std::string& name) {
    std::string s = "CREATE TABLE " + ident(name) + " (";
    for (std::size_t i = 0; i < def.columns.size(); ++i)
        s += (i ? ", " : "") + ident(def.columns[i].name) + " " + serverType(def.columns[i]);
    if (equalsNoCase(def.name, kUserRecordsTable))
        for (const auto& extra : kSavedColumns) s += ", " + ident(extra.name) + " " + extra.definition;
    return s + ")";
}

std::string valueText(const Value& v) {
    char buf[64];
    switch (v.kind) {
    case Value::Kind::Null: return {};
    case Value::Kind::Text: return v.text;
    case Value::Kind::Integer: return std::to_string(v.integer);
    case Value::Kind::Real: std::snprintf(buf, sizeof buf, "%.17g", v.real); return buf;
    }
    return {};
}

long long insertRows(Server& db, const std::string& name, const Table& t) {
    std::string sql = "INSERT INTO " + ident(name) + " (";
    std::string marks;
    for (std::size_t c = 0; c < t.def.columns.size(); ++c) {
        sql += (c ? ", " : "") + ident(t.def.columns[c].name);
        marks += (c ? ", $" : "$") + std::to_string(c + 1);
    }
    sql += ") VALUES (" + marks + ")";
    long long n = 0;
    for (const auto& row : t.rows) {
        std::vector<std::string> texts;
        std::vector<const char*> params;
        texts.reserve(row.size());
        for (const auto& v : row) texts.push_back(valueText(v));
        for (std::size_t c = 0; c < row.size(); ++c) params.push_back(row[c].isNull() ? nullptr : texts[c].c_str());
        db.exec(sql, params);
        ++n;
    }
    return n;
}

// foldcase(text): NFC, then upper and lower case with the ICU root locale
// (full case mapping: "ß" becomes "SS" before lower case), as the program's
// own FoldCase. Without ICU the server's default rules serve.
void installFoldCase(Server& db) {
    const bool icu = !db.text("SELECT 1 FROM pg_collation WHERE collname = 'und-x-icu'").empty();
    const std::string c = icu ? " COLLATE \"und-x-icu\"" : "";
    db.exec("CREATE OR REPLACE FUNCTION foldcase(text) RETURNS text LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE "
            "AS $f$ SELECT lower(upper(normalize($1, NFC)" + c + ")" + c + ") $f$");
}

void grantAdvisers(Server& db, const std::vector<TableDef>& layout) {
    const std::string role = kAdvisersRole;
    if (db.text("SELECT 1 FROM pg_roles WHERE rolname = $1", {role.c_str()}).empty()) {
        const bool mayCreate =
            db.text("SELECT rolcreaterole OR rolsuper FROM pg_roles WHERE rolname = current_user") == "t";
        if (!mayCreate) return;
        db.exec("CREATE ROLE " + ident(role) + " NOLOGIN");
    }
    db.exec("GRANT USAGE ON SCHEMA " + ident(db.text("SELECT current_schema()")) + " TO " + ident(role));
    const auto& refs = userReferenceTables();
    for (const auto& def : layout) {
        const bool reference = std::any_of(refs.begin(), refs.end(), [&](const std::string& r) {
            return equalsNoCase(r, def.name);
        });
        db.exec("GRANT " + std::string(reference ? "SELECT" : "SELECT, INSERT, UPDATE, DELETE") + " ON " +
                ident(def.name) + " TO " + ident(role));
    }
    db.exec("GRANT EXECUTE ON FUNCTION foldcase(text) TO " + ident(role));
}

void setRowSecurity(Server& db, ServerStoreOptions::RowSecurity choice) {
    const std::string table = ident(kUserRecordsTable);
    if (choice == ServerStoreOptions::RowSecurity::Off) {
        db.exec("DROP POLICY IF EXISTS zorva_own_rows ON " + table);
        db.exec("ALTER TABLE " + table + " DISABLE ROW LEVEL SECURITY");
        return;
    }
    db.exec("DROP POLICY IF EXISTS zorva_own_rows ON " + table);
    db.exec("CREATE POLICY zorva_own_rows ON " + table +
            " USING (savedby = current_user) WITH CHECK (savedby = current_user)");
    db.exec("ALTER TABLE " + table + " ENABLE ROW LEVEL SECURITY");
}

} // namespace

const std::vector<std::string>& perConnectionTables() {
    static const std::vector<std::string> t = [] {
        std::vector<std::string> out;
        for (const auto& def : userLayout()) {
            const auto& refs = userReferenceTables();
            const bool reference = std::any_of(refs.begin(), refs.end(), [&](const std::string& r) {
                return equalsNoCase(r, def.name);
            });
            if (!reference && !equalsNoCase(def.name, kUserRecordsTable)) out.push_back(def.name);
        }
        return out;
    }();
    return t;
}

std::string serverSessionSetup(int lockWaitMs) {
    std::string names;
    for (const auto& t : perConnectionTables()) names += (names.empty() ? "'" : ", '") + lower(t) + "'";
    return "SET client_min_messages = warning; SET standard_conforming_strings = on; "
           "SET client_encoding = 'UTF8'; SET DateStyle = 'ISO, YMD'; SET lock_timeout = " +
           std::to_string(std::max(1, lockWaitMs)) +
           "; DO $z$ DECLARE t text; BEGIN FOREACH t IN ARRAY ARRAY[" + names +
           "] LOOP IF to_regclass(t) IS NOT NULL THEN "
           "EXECUTE format('CREATE TEMPORARY TABLE IF NOT EXISTS %I (LIKE %I INCLUDING DEFAULTS)', t, t); "
           "END IF; END LOOP; END $z$";
}

std::string addressWithoutPassword(const std::string& address) {
    std::string a = address;
    const auto scheme = a.find("://");
    if (scheme != std::string::npos) {
        const auto start = scheme + 3;
        const auto end = a.find_first_of("/?", start);
        const auto at = a.rfind('@', end == std::string::npos ? a.size() : end);
        if (at != std::string::npos && at >= start) {
            const auto colon = a.find(':', start);
            if (colon != std::string::npos && colon < at) a.erase(colon, at - colon);
        }
        // password=... among the URI's parameters
        for (auto p = a.find("password="); p != std::string::npos; p = a.find("password=")) {
            auto e = a.find('&', p);
            if (p > 0 && (a[p - 1] == '&' || a[p - 1] == '?')) {
                a.erase(p, e == std::string::npos ? std::string::npos : e - p + 1);
                if (!a.empty() && (a.back() == '&' || a.back() == '?')) a.pop_back();
            } else {
                break;
            }
        }
        return a;
    }
    // keyword=value pairs: drop password=... (quoted or not)
    std::string out;
    std::size_t i = 0;
    while (i < a.size()) {
        while (i < a.size() && std::isspace(static_cast<unsigned char>(a[i]))) ++i;
        std::size_t j = i;
        while (j < a.size() && a[j] != '=' && !std::isspace(static_cast<unsigned char>(a[j]))) ++j;
        const std::string key = a.substr(i, j - i);
        while (j < a.size() && std::isspace(static_cast<unsigned char>(a[j]))) ++j;
        if (j < a.size() && a[j] == '=') ++j;
        while (j < a.size() && std::isspace(static_cast<unsigned char>(a[j]))) ++j;
        std::size_t k = j;
        if (k < a.size() && a[k] == '\'') {
            ++k;
            while (k < a.size() && a[k] != '\'') k += a[k] == '\\' ? 2 : 1;
            ++k;
        } else {
            while (k < a.size() && !std::isspace(static_cast<unsigned char>(a[k]))) ++k;
        }
        if (lower(key) != "password" && !key.empty())
            out += (out.empty() ? "" : " ") + a.substr(i, std::min(k, a.size()) - i);
        i = k;
    }
    return out;
}

const std::map<std::string, std::string>& userStoreSpellings() {
    static const std::map<std::string, std::string> m = [] {
        std::map<std::string, std::string> out;
        for (const auto& def : userLayout()) {
            out.emplace(lower(def.name), def.name);
            for (const auto& c : def.columns) out.emplace(lower(c.name), c.name);
        }
        for (const auto& extra : kSavedColumns) out.emplace(lower(extra.name), extra.name);
        return out;
    }();
    return m;
}

std::string userStoreColumnSpelling(const std::string& table, const std::string& column) {
    static const std::map<std::string, std::string> m = [] {
        std::map<std::string, std::string> out;
        for (const auto& def : userLayout())
            for (const auto& c : def.columns) out.emplace(lower(def.name) + "\n" + lower(c.name), c.name);
        for (const auto& extra : kSavedColumns)
            out.emplace(lower(kUserRecordsTable) + "\n" + lower(extra.name), extra.name);
        return out;
    }();
    auto it = m.find(lower(table) + "\n" + lower(column));
    return it == m.end() ? std::string() : it->second;
}

bool updateServerStore(const UserSource& src, const std::string& address, const ServerStoreOptions& options,
                       Diagnostics& diags, StoreSummary& summary) {
    summary = StoreSummary{};
    try {
        Server db(address);
        db.exec("BEGIN");
        // Two set-ups of one store at once: the second waits for the first.
        db.exec("SELECT pg_advisory_xact_lock(hashtext('zorva store set-up'))");
        std::set<std::string> existing;
        for (auto& n : db.column("SELECT table_name FROM information_schema.tables WHERE table_schema = "
                                 "current_schema() AND table_type = 'BASE TABLE'"))
            existing.insert(lower(n));
        summary.created = !existing.count(lower(kUserRecordsTable));
        const auto layout = userLayout();
        for (const auto& def : layout) {
            const std::string key = lower(def.name);
            if (!existing.count(key)) {
                db.exec(createStatement(def, def.name));
                if (!summary.created) summary.tablesAdded.push_back(def.name);
                continue;
            }
            std::vector<std::string> have;
            for (auto& c : db.column("SELECT column_name FROM information_schema.columns WHERE table_schema = "
                                     "current_schema() AND table_name = $1 ORDER BY ordinal_position",
                                     {key.c_str()}))
                have.push_back(lower(c));
            const TableUpgrade plan = PlanTableUpgrade(def, have);
            for (const Column* c : plan.missing) summary.columnsAdded.push_back(def.name + "." + c->name);
            if (plan.kind == TableUpgrade::Kind::AddColumns)
                for (const Column* c : plan.missing)
                    db.exec("ALTER TABLE " + ident(def.name) + " ADD COLUMN " + ident(c->name) + " " + serverType(*c));
            if (equalsNoCase(def.name, kUserRecordsTable)) {
                // The office's records also say who saved them and when.
                for (const auto& extra : kSavedColumns)
                    if (std::find(have.begin(), have.end(), lower(extra.name)) == have.end()) {
                        db.exec("ALTER TABLE " + ident(def.name) + " ADD COLUMN " + ident(extra.name) + " " +
                                extra.definition);
                        summary.columnsAdded.push_back(def.name + "." + extra.name);
                    }
            }
            if (plan.kind != TableUpgrade::Kind::Relay) continue;
            std::string common;
            for (const auto& c : plan.common) common += (common.empty() ? "" : ", ") + ident(c);
            const std::string fresh = def.name + "_zorva_new";
            db.exec(createStatement(def, fresh));
            if (!common.empty())
                db.exec("INSERT INTO " + ident(fresh) + " (" + common + ") SELECT " + common + " FROM " +
                        ident(def.name));
            db.exec("DROP TABLE " + ident(def.name));
            db.exec("ALTER TABLE " + ident(fresh) + " RENAME TO " + ident(def.name));
            summary.tablesRebuilt.push_back(def.name);
        }
        for (const auto& name : userReferenceTables()) {
            db.exec("DELETE FROM " + ident(name));
            summary.rows += insertRows(db, name, src.tables.at(name));
        }
        installFoldCase(db);
        db.exec("CREATE INDEX IF NOT EXISTS myvalues_name_year ON " + ident(kUserRecordsTable) +
                " (foldcase(firmname), year)");
        grantAdvisers(db, layout);
        if (options.rowSecurity != ServerStoreOptions::RowSecurity::Keep) setRowSecurity(db, options.rowSecurity);
        summary.userRecords = std::stoll(db.text("SELECT count(*) FROM " + ident(kUserRecordsTable)));
        summary.tables = static_cast<long long>(layout.size());
        summary.journalMode = "server";
        db.exec("COMMIT");
        return true;
    } catch (const std::exception& e) {
        diags.error(addressWithoutPassword(address), 0, 0, std::string("setting up the user data store on the server failed: ") + e.what());
        return false;
    }
}

} // namespace zorvadata
