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
            throw ServerFailure("cannot connect: " + withoutPassword(msg, address));
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

// The office's own tables: what the advisers save (shared, with who saved).
inline constexpr const char* kMappingsTable = "BookMappings";
bool officeTable(const std::string& name) {
    return equalsNoCase(name, kUserRecordsTable) || equalsNoCase(name, kMappingsTable);
}

std::string createStatement(const TableDef& def, const std::string& name) {
    std::string s = "CREATE TABLE " + ident(name) + " (";
    for (std::size_t i = 0; i < def.columns.size(); ++i)
        s += (i ? ", " : "") + ident(def.columns[i].name) + " " + serverType(def.columns[i]);
    if (officeTable(def.name))
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
    // What the program does and no more: it writes the office's tables and
    // reads the rest; the report tables it writes are each connection's
    // temporary copies, made from the shared ones (which needs reading them).
    for (const auto& def : layout) {
        const std::string table = ident(def.name);
        db.exec("REVOKE ALL ON " + table + " FROM " + ident(role));
        db.exec("GRANT " + std::string(officeTable(def.name) ? "SELECT, INSERT, UPDATE, DELETE" : "SELECT") + " ON " +
                table + " TO " + ident(role));
    }
    // Granted by the database's owner; another administrator leaves the
    // right as it stands (PUBLIC has it unless the office revoked it).
    if (db.text("SELECT pg_has_role(datdba, 'USAGE') FROM pg_database WHERE datname = current_database()") == "t")
        db.exec("GRANT TEMPORARY ON DATABASE " + ident(db.text("SELECT current_database()")) + " TO " + ident(role));
    db.exec("GRANT EXECUTE ON FUNCTION foldcase(text) TO " + ident(role));
}

std::string joined(const std::vector<std::string>& items, const std::string& separator) {
    std::string out;
    for (const auto& i : items) out += (out.empty() ? "" : separator) + i;
    return out;
}

// Turning row-level security off would make two advisers' statements of the
// same name and year one statement: refused, naming them.
void refuseMergingStatements(Server& db) {
    const auto pairs = db.column(
        "SELECT format('%s, %s (saved by %s)', min(firmname), year, string_agg(DISTINCT savedby, ', ' ORDER BY savedby)) "
        "FROM myvalues GROUP BY foldcase(firmname), year HAVING count(DISTINCT savedby) > 1 "
        "ORDER BY min(firmname), year");
    if (pairs.empty()) return;
    throw ServerFailure(
        "row-level security was not turned off: " + std::to_string(pairs.size()) +
        " enterprise name and year pairs are held by more than one adviser, and would become one statement "
        "(a replace by one adviser would delete the other's):\n  " +
        joined(pairs, "\n  ") +
        "\nHave the advisers rename or delete all but one statement of each pair, then run init-store again.");
}

// Statements no adviser owns: no adviser would see them once each sees only
// their own. Given to one adviser, left to all, or refused with the count.
void settleOwnerless(Server& db, const ServerStoreOptions& options, StoreSummary& summary) {
    // The advisers' role as a text of the statements: the program's own name,
    // never a value from outside.
    const std::string advisers = std::string("'") + kAdvisersRole + "'";
    // The row's saver is no adviser (superusers see every row anyway).
    auto ownerlessOf = [&](const std::string& alias) {
        const std::string savedby = (alias.empty() ? "" : alias + ".") + "savedby";
        return savedby + " <> " + advisers + " AND NOT EXISTS (SELECT 1 FROM pg_roles r WHERE r.rolname = " + savedby +
               " AND NOT r.rolsuper AND pg_has_role(r.oid, " + advisers + ", 'MEMBER'))";
    };
    const std::string ownerless = ownerlessOf("");
    for (const char* table : {kUserRecordsTable, kMappingsTable}) {
        const std::string count = db.text("SELECT count(*) FROM " + ident(table) + " WHERE " + ownerless);
        if (count == "0") continue;
        const bool records = equalsNoCase(table, kUserRecordsTable);
        if (records && (!options.ownerRole.empty() || options.ownerlessToAll)) {
            summary.ownerlessSettled = std::stoll(count);
            // Given to one adviser, or left to all, a statement must not meet
            // one of the same name and year that an adviser already sees: a
            // replace of one would delete the other.
            std::vector<const char*> params;
            std::string whose = "NOT (" + ownerlessOf("m") + ")";
            if (!options.ownerRole.empty()) {
                whose = "m.savedby = $1";
                params.push_back(options.ownerRole.c_str());
            }
            const auto clashes = db.column(
                "SELECT DISTINCT format('%s, %s (saved by %s)', m.firmname, m.year, m.savedby) FROM myvalues o "
                "JOIN myvalues m ON foldcase(m.firmname) = foldcase(o.firmname) AND m.year = o.year AND " + whose +
                    " WHERE " + ownerlessOf("o"),
                params);
            if (!clashes.empty())
                throw ServerFailure("row-level security was not turned on: statements saved by no adviser have the "
                                    "enterprise name and year of these advisers' statements, and a replace of one "
                                    "would delete the other:\n  " +
                                    joined(clashes, "\n  ") +
                                    "\nRename or delete one of each pair, then run init-store again.");
        }
        if (!options.ownerRole.empty()) {
            if (db.text("SELECT 1 FROM pg_roles r WHERE r.rolname = $1 AND NOT r.rolsuper AND "
                        "pg_has_role(r.oid, $2, 'MEMBER')",
                        {options.ownerRole.c_str(), kAdvisersRole})
                    .empty())
                throw ServerFailure("row-level security was not turned on: --owner " + options.ownerRole +
                                    " is not a role of the advisers (" + kAdvisersRole + ")");
            db.exec("UPDATE " + ident(table) + " SET savedby = $1 WHERE " + ownerless, {options.ownerRole.c_str()});
        } else if (options.ownerlessToAll || !records) {
            // Book mappings nobody owns are remembered for every adviser.
            db.exec("UPDATE " + ident(table) + " SET savedby = " + advisers + " WHERE " + ownerless);
        } else {
            const auto savers =
                db.column("SELECT DISTINCT savedby FROM myvalues WHERE " + ownerless + " ORDER BY savedby");
            throw ServerFailure(
                "row-level security was not turned on: " + count +
                " saved statements were saved by no adviser (SavedBy: " + joined(savers, ", ") +
                ") and no adviser would see them. Run init-store again with --owner ROLE to give them to that "
                "adviser, or with --ownerless-to-all to let every adviser see them (an adviser who saves one "
                "again makes it theirs)");
        }
    }
}

void setRowSecurity(Server& db, const ServerStoreOptions& options) {
    for (const char* name : {kUserRecordsTable, kMappingsTable}) {
        const std::string table = ident(name);
        db.exec("DROP POLICY IF EXISTS zorva_own_rows ON " + table);
        if (options.rowSecurity == ServerStoreOptions::RowSecurity::Off) {
            db.exec("ALTER TABLE " + table + " DISABLE ROW LEVEL SECURITY");
            continue;
        }
        // Each adviser's own rows, and those left to every adviser.
        const std::string advisers = std::string("'") + kAdvisersRole + "'";
        db.exec("CREATE POLICY zorva_own_rows ON " + table + " USING (savedby = current_user OR savedby = " + advisers +
                ") WITH CHECK (savedby = current_user)");
        db.exec("ALTER TABLE " + table + " ENABLE ROW LEVEL SECURITY");
    }
}

bool rowSecurityOn(Server& db) {
    return db.text("SELECT relrowsecurity FROM pg_class WHERE oid = to_regclass('myvalues')") == "t";
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
            if (!reference && !officeTable(def.name)) out.push_back(def.name);
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

namespace {

using Options = std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)>;

// The address as libpq itself reads it (a URI or keyword=value pairs); null
// when libpq cannot read it. libpq's own complaint is never kept: it may
// quote the password.
Options parsedAddress(const std::string& address) {
    char* error = nullptr;
    Options o(PQconninfoParse(address.c_str(), &error), &PQconninfoFree);
    PQfreemem(error);
    return o;
}

std::string percentEncoded(const std::string& s, bool keepSlash) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || (keepSlash && c == '/')) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

// A URI whose "user:password@" libpq does not see as one: a "/" before the
// last "@" (postgresql://alice:SE/CRET@host/db) ends libpq's look for the
// credentials, so it reads the password as a host, a port or a database.
// Such an address is shown as if libpq could not read it.
bool passwordMisread(const std::string& address) {
    const auto scheme = address.find("://");
    if (scheme == std::string::npos) return false;
    const auto at = address.rfind('@');
    const auto slash = address.find('/', scheme + 3);
    return at != std::string::npos && at > scheme && slash != std::string::npos && slash < at;
}

// An address libpq cannot read: where its password starts and ends is not
// known, so only the scheme is shown.
std::string unreadableAddress(const std::string& address) {
    const auto scheme = address.find("://");
    if (scheme != std::string::npos) return address.substr(0, scheme + 3) + "…";
    return "…";
}

} // namespace

std::string addressWithoutPassword(const std::string& address) {
    Options o = parsedAddress(address);
    if (!o || passwordMisread(address)) return unreadableAddress(address);
    std::map<std::string, std::string> v;
    std::vector<std::string> order;
    for (const PQconninfoOption* p = o.get(); p->keyword; ++p) {
        if (!p->val || std::string(p->keyword) == "password") continue;
        v[p->keyword] = p->val;
        order.push_back(p->keyword);
    }
    // Rebuilt as a URI: user@host:port/dbname, then every other setting.
    std::string out = "postgresql://";
    if (v.count("user")) out += percentEncoded(v["user"], false) + "@";
    const std::string host = v.count("host") ? v["host"] : "";
    const std::string port = v.count("port") ? v["port"] : "";
    const bool hostInAuthority = !host.empty() && host.find_first_of("/,") == std::string::npos &&
                                 port.find(',') == std::string::npos;
    if (hostInAuthority) {
        out += host.find(':') != std::string::npos ? "[" + host + "]" : percentEncoded(host, false);
        if (!port.empty()) out += ":" + percentEncoded(port, false);
    }
    out += "/";
    if (v.count("dbname")) out += percentEncoded(v["dbname"], false);
    std::string query;
    for (const auto& k : order) {
        if (k == "user" || k == "dbname" || (hostInAuthority && (k == "host" || k == "port"))) continue;
        query += (query.empty() ? "?" : "&") + k + "=" + percentEncoded(v[k], true);
    }
    return out + query;
}

std::string withoutPassword(const std::string& text, const std::string& address) {
    Options o = parsedAddress(address);
    if (!o || passwordMisread(address)) {
        // libpq could not read the address (or read its password as
        // something else), so its complaint may quote any part of it: every
        // quoted stretch is left out, and the address itself.
        std::string out;
        bool inQuote = false;
        for (char c : text) {
            if (c == '"') {
                out += inQuote ? "…\"" : "\"";
                inQuote = !inQuote;
            } else if (!inQuote) {
                out += c;
            }
        }
        for (auto at = out.find(address); at != std::string::npos; at = out.find(address, at))
            out.replace(at, address.size(), unreadableAddress(address));
        return out;
    }
    std::string out = text;
    for (const PQconninfoOption* p = o.get(); p->keyword; ++p) {
        if (!p->val || !*p->val || std::string(p->keyword) != "password") continue;
        // As libpq decoded it, and as it was written in a URI.
        for (const std::string& secret : {std::string(p->val), percentEncoded(p->val, false)})
            for (auto at = out.find(secret); at != std::string::npos; at = out.find(secret, at))
                out.replace(at, secret.size(), "***");
    }
    const std::string shown = addressWithoutPassword(address);
    if (address != shown)
        for (auto at = out.find(address); at != std::string::npos; at = out.find(address, at + shown.size()))
            out.replace(at, address.size(), shown);
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
            if (officeTable(def.name)) {
                // The office's records also say who saved them and when.
                // Rows saved before have no saver: never the role running
                // this, which would hide them under row-level security.
                for (const auto& extra : kSavedColumns)
                    if (std::find(have.begin(), have.end(), lower(extra.name)) == have.end()) {
                        const std::string column = ident(extra.name);
                        db.exec("ALTER TABLE " + ident(def.name) + " ADD COLUMN " + column + " " + extra.definition);
                        if (lower(extra.name) == "savedby") db.exec("UPDATE " + ident(def.name) + " SET savedby = ''");
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
        if (options.rowSecurity == ServerStoreOptions::RowSecurity::Off && rowSecurityOn(db)) refuseMergingStatements(db);
        if (options.rowSecurity == ServerStoreOptions::RowSecurity::On ||
            (options.rowSecurity == ServerStoreOptions::RowSecurity::Keep && rowSecurityOn(db)))
            settleOwnerless(db, options, summary);
        if (options.rowSecurity != ServerStoreOptions::RowSecurity::Keep) setRowSecurity(db, options);
        else if (rowSecurityOn(db)) setRowSecurity(db, ServerStoreOptions{ServerStoreOptions::RowSecurity::On, {}, false});
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
