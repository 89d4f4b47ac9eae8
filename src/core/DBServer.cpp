#include "core/DBServer.h"

#include "core/JetSql.h"
#include "core/Text.h"
#include "store/Schema.h"
#include "store/ServerStore.h"

#include <libpq-fe.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <map>
#include <set>

namespace zorva {

namespace {
int gLockWaitMs = 10000;
}

int ServerLockWaitMs() { return gLockWaitMs; }
void SetServerLockWaitMs(int milliseconds) { gLockWaitMs = milliseconds > 0 ? milliseconds : 1; }

namespace server {

namespace {

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

std::string trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ' || s.back() == '\r')) s.pop_back();
    return s;
}

// Connections a call found gone while libpq still calls them good (a server
// stopped at once and started again): the next call connects again.
std::set<const Connection*>& foundLost() {
    static std::set<const Connection*> s;
    return s;
}
bool markedLost(const ConnectionHandle& cn) { return foundLost().count(cn.get()) > 0; }

bool lostState(const std::string& state) {
    return state.rfind("08", 0) == 0 || state == "57P01" || state == "57P02" || state == "57P03";
}

[[noreturn]] void throwLost(const ConnectionHandle& cn, const std::string& statement, const std::string& detail) {
    std::string msg = trimmed(detail);
    if (auto nl = msg.find('\n'); nl != std::string::npos) msg.erase(nl);
    throw DbError::Server(zorvadata::withoutPassword(msg, cn->source()), statement, DescribeConnection(cn), {}, true);
}

// How libpq says the connection is gone: no result at all, a failure of
// its own (no SQLSTATE: the server closed the connection, a network cut),
// the server's connection and shutdown codes (class 08, 57P01-57P03), or a
// connection it marked bad. After a server stopped at once and restarted
// PQstatus may still read CONNECTION_OK, so it is never the only test.
bool lostConnection(const ConnectionHandle& cn, const PGresult* r, const std::string& state) {
    if (!r || PQstatus(cn->server()) != CONNECTION_OK || lostState(state)) return true;
    const auto st = PQresultStatus(r);
    return st == PGRES_BAD_RESPONSE || (st == PGRES_FATAL_ERROR && state.empty());
}

// The failure of a statement as a DbError: the server's primary message
// only (its full text may quote the statement), nothing of the address's
// password. A lost connection is marked, so the next call connects again.
[[noreturn]] void fail(const ConnectionHandle& cn, const PGresult* r, const std::string& original) {
    PGconn* c = cn->server();
    const char* stateField = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
    const std::string state = stateField ? stateField : "";
    const bool lost = lostConnection(cn, r, state);
    if (lost) foundLost().insert(cn.get());
    const char* primary = r ? PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    std::string msg = trimmed(primary ? primary : r ? PQresultErrorMessage(r) : "");
    if (msg.empty()) msg = trimmed(PQerrorMessage(c));
    // libpq's own texts run on over several lines of advice: the first says it.
    if (auto nl = msg.find('\n'); nl != std::string::npos) msg.erase(nl);
    if (msg.empty()) msg = "the connection to the server was lost";
    throw DbError::Server(zorvadata::withoutPassword(msg, cn->source()), original, DescribeConnection(cn), state, lost);
}

// The statement's result, or a DbError with the server's words.
Result exec(const ConnectionHandle& cn, const std::string& sql, const std::string& original) {
    Result r(PQexec(cn->server(), sql.c_str()), &PQclear);
    const auto st = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
    if (r && (st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK || st == PGRES_EMPTY_QUERY)) return r;
    fail(cn, r.get(), original);
}

void applyLockWait(const ConnectionHandle& cn) {
    if (cn->serverLockWait == gLockWaitMs) return;
    exec(cn, "SET lock_timeout = " + std::to_string(gLockWaitMs), "SET lock_timeout");
    cn->serverLockWait = gLockWaitMs;
}

void setUp(const ConnectionHandle& cn) {
    exec(cn, zorvadata::serverSessionSetup(gLockWaitMs), "session set-up");
    cn->serverLockWait = gLockWaitMs;
}

// A dropped connection is made again, outside a transaction only: inside
// one, what the transaction did is gone and its caller must hear so.
void ensureConnected(const ConnectionHandle& cn, const std::string& statement) {
    if (!cn || !cn->server()) throw DbError("Operation is not allowed when the object is closed.", statement);
    PGconn* c = cn->server();
    if (PQstatus(c) != CONNECTION_OK || markedLost(cn)) {
        if (cn->serverDepth > 0) throwLost(cn, statement, "the connection to the server was lost during a transaction");
        PQreset(c);
        if (PQstatus(c) != CONNECTION_OK) throwLost(cn, statement, PQerrorMessage(c));
        foundLost().erase(cn.get());
        cn->serverLockWait = -1;
        setUp(cn);
    }
    applyLockWait(cn);
}

Variant valueOf(const PGresult* r, int row, int col) {
    if (PQgetisnull(r, row, col)) return Variant();
    const char* text = PQgetvalue(r, row, col);
    const int len = PQgetlength(r, row, col);
    switch (PQftype(r, col)) {
    case 20: case 21: case 23: case 26: {  // int8, int2, int4, oid
        std::int64_t v = 0;
        if (std::from_chars(text, text + len, v).ec == std::errc()) return Variant(v);
        break;
    }
    case 700: case 701: case 1700: {  // float4, float8, numeric
        double v = 0;
        if (std::from_chars(text, text + len, v).ec == std::errc()) return Variant(v);
        break;
    }
    case 16: return Variant(static_cast<std::int64_t>(text[0] == 't' ? -1 : 0));  // bool, as the program's -1/0
    default: break;
    }
    return Variant(std::string(text, static_cast<size_t>(len)));
}

// A result column's name as the program spells it: the statement's own
// alias, the store's schema, a name of the statement, or as the server gave it.
// The name of a table by its object id (cached: a table keeps its id).
std::string tableName(const ConnectionHandle& cn, Oid oid) {
    static std::map<Oid, std::string> names;
    if (oid == InvalidOid) return {};
    if (auto it = names.find(oid); it != names.end()) return it->second;
    const std::string id = std::to_string(oid);
    const char* params[] = {id.c_str()};
    Result r(PQexecParams(cn->server(), "SELECT relname FROM pg_class WHERE oid = $1::oid", 1, nullptr, params,
                          nullptr, nullptr, 0),
             &PQclear);
    std::string name;
    if (r && PQresultStatus(r.get()) == PGRES_TUPLES_OK && PQntuples(r.get()) == 1) name = PQgetvalue(r.get(), 0, 0);
    names[oid] = name;
    return name;
}

std::string spelled(const std::string& name, const std::vector<SqlToken>& tokens, const std::string& table) {
    const std::string key = AsciiLower(name);
    auto bare = [](const SqlToken& t) {
        if (t.kind == SqlToken::Bracketed || t.kind == SqlToken::Quoted)
            return t.text.size() >= 2 ? t.text.substr(1, t.text.size() - 2) : t.text;
        return t.text;
    };
    const SqlToken* previous = nullptr;
    for (const auto& t : tokens) {
        if (t.kind == SqlToken::Space) continue;
        if (previous && previous->kind == SqlToken::Word && IEquals(previous->text, "as") &&
            (t.kind == SqlToken::Word || t.kind == SqlToken::Bracketed || t.kind == SqlToken::Quoted) &&
            AsciiLower(bare(t)) == key)
            return bare(t);
        previous = &t;
    }
    if (!table.empty()) {
        const std::string own = zorvadata::userStoreColumnSpelling(table, key);
        if (!own.empty()) return own;
    }
    const auto& spellings = zorvadata::userStoreSpellings();
    if (auto it = spellings.find(key); it != spellings.end()) return it->second;
    for (const auto& t : tokens)
        if ((t.kind == SqlToken::Word || t.kind == SqlToken::Bracketed) && AsciiLower(bare(t)) == key) return bare(t);
    return name;
}

std::string numberText(double d) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, res.ptr);
}

std::string paramText(const Variant& v) {
    switch (v.type()) {
    case Variant::Type::Null: return {};
    case Variant::Type::Integer: return std::to_string(v.toInt());
    case Variant::Type::Real: return numberText(v.toDouble());
    case Variant::Type::Text: break;
    }
    return v.toString();
}

std::string quoted(const std::string& name) { return zorvadata::quoteIdentifier(AsciiLower(name)); }

// The parameters of a statement as it is written: each value bound becomes
// the next "$n" of the statement.
struct Params {
    std::vector<std::string> texts;
    std::vector<bool> nulls;
    std::string bind(const Variant& v) {
        texts.push_back(paramText(v));
        nulls.push_back(v.isNull());
        return "$" + std::to_string(texts.size());
    }
};

Result execParams(const ConnectionHandle& cn, const std::string& sql, const std::vector<std::string>& texts,
                  const std::vector<bool>& nulls, const std::string& original) {
    std::vector<const char*> params;
    for (size_t i = 0; i < texts.size(); ++i) params.push_back(nulls[i] ? nullptr : texts[i].c_str());
    Result r(PQexecParams(cn->server(), sql.c_str(), static_cast<int>(params.size()), nullptr, params.data(), nullptr,
                          nullptr, 0),
             &PQclear);
    const auto st = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
    if (r && (st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK)) return r;
    fail(cn, r.get(), original);
}

// The statement (already in the server's dialect) with its marks as the
// server numbers them: "?" the next of $1, $2 ... in order, "?N" $N; and the
// values to send apart from it.
std::string numberMarks(const std::string& sql, const SqlParams& values, Params& params, const std::string& original) {
    for (const Variant& v : values) params.bind(v);
    auto tokens = TokenizeSql(sql);
    size_t next = 0, highest = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        auto& t = tokens[i];
        if (t.kind != SqlToken::Punct || t.text != "?") continue;
        size_t n = 0;
        if (i + 1 < tokens.size() && tokens[i + 1].kind == SqlToken::Number &&
            tokens[i + 1].text.find_first_not_of("0123456789") == std::string::npos) {
            n = std::stoul(tokens[i + 1].text);
            tokens[i + 1].text.clear();
        } else {
            n = ++next;
        }
        highest = std::max(highest, n);
        t.text = "$" + std::to_string(n);
    }
    if (highest != values.size())
        throw DbError("The statement has " + std::to_string(highest) + " marks for " + std::to_string(values.size()) +
                          " values.",
                      original);
    return JoinTokens(tokens);
}

// The statement's result, its values (if any) bound.
Result execWith(const ConnectionHandle& cn, const std::string& sql, const SqlParams& values,
                const std::string& original) {
    if (values.empty()) return exec(cn, sql, original);
    // The server's texts cannot hold a NUL, and libpq would cut the value there.
    for (const auto& v : values)
        if (v.type() == Variant::Type::Text && v.toString().find('\0') != std::string::npos)
            throw DbError("A text cannot hold a NUL character.", original);
    Params params;
    const std::string numbered = numberMarks(sql, values, params, original);
    return execParams(cn, numbered, params.texts, params.nulls, original);
}

void refuseNul(const std::string& statement) {
    if (statement.find('\0') != std::string::npos)
        throw DbError("A statement cannot hold a NUL character.", statement);
}

} // namespace

ConnectionHandle Connect(const std::string& address) {
    // The address's own settings win over these defaults (expanded last).
    const char* keys[] = {"connect_timeout", "fallback_application_name", "dbname", nullptr};
    const char* values[] = {"10", "zorva", address.c_str(), nullptr};
    PGconn* c = PQconnectdbParams(keys, values, 1);
    if (!c || PQstatus(c) != CONNECTION_OK) {
        std::string msg = c ? trimmed(PQerrorMessage(c)) : "out of memory";
        if (auto nl = msg.find('\n'); nl != std::string::npos) msg.erase(nl);
        PQfinish(c);
        throw DbError::Server(zorvadata::withoutPassword(msg, address), {}, zorvadata::addressWithoutPassword(address),
                              {}, true);
    }
    // The server's notices (a warning as it shuts down) are not the
    // program's messages: libpq would print them on the terminal.
    PQsetNoticeProcessor(c, [](void*, const char*) {}, nullptr);
    auto cn = std::make_shared<Connection>(c, address);
    foundLost().erase(cn.get());  // an ended connection's mark, at the same address in memory
    cn->connectionString = zorvadata::addressWithoutPassword(address);
    setUp(cn);
    return cn;
}

void Run(const ConnectionHandle& cn, const std::string& sql) {
    ensureConnected(cn, sql);
    exec(cn, sql, sql);
}

bool InTransaction(const ConnectionHandle& cn) {
    return cn && cn->server() && PQtransactionStatus(cn->server()) != PQTRANS_IDLE &&
           PQtransactionStatus(cn->server()) != PQTRANS_UNKNOWN;
}

void Begin(const ConnectionHandle& cn, const std::string& savepoint) {
    if (savepoint.empty()) {
        ensureConnected(cn, "BEGIN");
        exec(cn, "BEGIN", "BEGIN");
    } else {
        exec(cn, "SAVEPOINT " + savepoint, "SAVEPOINT");
    }
    ++cn->serverDepth;
}

void Commit(const ConnectionHandle& cn, const std::string& savepoint) {
    --cn->serverDepth;
    exec(cn, savepoint.empty() ? std::string("COMMIT") : "RELEASE SAVEPOINT " + savepoint, "COMMIT");
}

void Rollback(const ConnectionHandle& cn, const std::string& savepoint) {
    if (cn->serverDepth > 0) --cn->serverDepth;
    PGconn* c = cn->server();
    if (!c || PQstatus(c) != CONNECTION_OK || markedLost(cn)) return;
    const std::string sql =
        savepoint.empty() ? std::string("ROLLBACK") : "ROLLBACK TO SAVEPOINT " + savepoint + "; RELEASE SAVEPOINT " + savepoint;
    PQclear(PQexec(c, sql.c_str()));
}

std::unique_ptr<Recordset> Query(ConnectionHandle& cn, const std::string& statement, Recordset::Mode mode,
                                 const SqlParams& params) {
    return ServerRecordset::Make(cn, statement, mode, params);
}

void Execute(ConnectionHandle& cn, const std::string& statement, const SqlParams& params) {
    refuseNul(statement);
    ensureConnected(cn, statement);
    Result r = execWith(cn, JetToPostgres(statement), params, statement);
    const char* n = PQcmdTuples(r.get());
    cn->serverChanges = n && *n ? std::atol(n) : 0;
}

bool TableExists(const ConnectionHandle& cn, const std::string& table) {
    try {
        ensureConnected(cn, "to_regclass");
        Result r = execParams(cn, "SELECT to_regclass($1) IS NOT NULL", {quoted(table)}, {false}, "to_regclass");
        return PQntuples(r.get()) == 1 && std::strcmp(PQgetvalue(r.get(), 0, 0), "t") == 0;
    } catch (const DbError&) {
        return false;
    }
}

std::string Describe(const ConnectionHandle& cn) {
    PGconn* c = cn ? cn->server() : nullptr;
    if (!c) return cn ? cn->connectionString : std::string();
    const char* host = PQhost(c);
    const char* port = PQport(c);
    const char* db = PQdb(c);
    const char* user = PQuser(c);
    std::string h = host && *host ? host : "localhost";
    // A socket folder is written as the URI's host parameter.
    std::string out = "postgresql://" + std::string(user ? user : "") + "@";
    if (!h.empty() && h[0] == '/') out += "/" + std::string(db ? db : "") + "?host=" + h;
    else out += h + (port && *port && std::strcmp(port, "5432") != 0 ? ":" + std::string(port) : "") + "/" + (db ? db : "");
    if (!h.empty() && h[0] == '/' && port && *port && std::strcmp(port, "5432") != 0) out += "&port=" + std::string(port);
    return out;
}

bool Encrypted(const ConnectionHandle& cn) {
    PGconn* c = cn ? cn->server() : nullptr;
    return c && PQstatus(c) == CONNECTION_OK && (PQsslInUse(c) || PQgssEncInUse(c));
}

void CheckUsable(const ConnectionHandle& cn) {
    ensureConnected(cn, "MyValues");
    Result r = exec(cn,
                    "SELECT to_regclass('myvalues') IS NOT NULL, "
                    "coalesce(has_table_privilege(to_regclass('myvalues'), 'INSERT'), false)",
                    "MyValues");
    if (PQntuples(r.get()) != 1 || std::strcmp(PQgetvalue(r.get(), 0, 0), "t") != 0)
        throw DbError::Server("the user data store has not been set up on this server (zorva-data init-store)", {},
                              Describe(cn), "42P01", false);
    if (std::strcmp(PQgetvalue(r.get(), 0, 1), "t") != 0)
        throw DbError::Server("this user may not save enterprises in the store (role " +
                                  std::string(zorvadata::kAdvisersRole) + ")",
                              {}, Describe(cn), "42501", false);
}

} // namespace server

// ---------------------------------------------------------------- recordsets

std::unique_ptr<Recordset> ServerRecordset::Make(ConnectionHandle& cn, const std::string& statement,
                                                 Recordset::Mode mode, const SqlParams& params) {
    server::refuseNul(statement);
    server::ensureConnected(cn, statement);
    std::string sql = JetToPostgres(statement);
    auto rs = std::unique_ptr<Recordset>(new Recordset());
    rs->cn_ = cn;
    rs->statement_ = statement;
    rs->mode_ = mode;
    bool withTid = false;
    if (mode == Recordset::Mode::Write) {
        rs->table_ = SingleTableOfSelect(JetToSQLite(statement));
        if (!rs->table_.empty()) {
            if (rs->table_.size() >= 2 && rs->table_.front() == '"') rs->table_ = rs->table_.substr(1, rs->table_.size() - 2);
            auto pos = AsciiLower(sql).find("select");
            sql = sql.substr(0, pos + 6) + " ctid::text AS __zorva_tid," + sql.substr(pos + 6);
            withTid = true;
        }
    }
    server::Result r = server::execWith(cn, sql, params, statement);
    const PGresult* res = r.get();
    const int cols = PQnfields(res);
    const int first = withTid ? 1 : 0;
    const auto tokens = TokenizeSql(statement);
    for (int c = first; c < cols; ++c) {
        rs->names_.push_back(server::spelled(PQfname(res, c), tokens, server::tableName(cn, PQftable(res, c))));
        // A column of the table itself (not an expression) may be changed.
        if (withTid) rs->tableColumn_.push_back(PQftable(res, c) != InvalidOid ? 1 : 0);
    }
    const int rows = PQntuples(res);
    rs->rows_.reserve(static_cast<size_t>(rows));
    for (int i = 0; i < rows; ++i) {
        std::vector<Variant> row;
        row.reserve(static_cast<size_t>(cols - first));
        if (withTid) rs->tids_.emplace_back(PQgetvalue(res, i, 0));
        for (int c = first; c < cols; ++c) row.push_back(server::valueOf(res, i, c));
        rs->rows_.push_back(std::move(row));
    }
    return rs;
}

void ServerRecordset::Update(Recordset& rs) {
    using server::quoted;
    auto& cn = rs.cn_;
    server::ensureConnected(cn, rs.statement_);
    server::Params params;
    auto bind = [&params](const Variant& v) { return params.bind(v); };
    std::string returning;
    for (size_t i = 0; i < rs.names_.size(); ++i)
        if (rs.tableColumn_[i]) returning += ", " + quoted(rs.names_[i]);
    if (rs.pending_ == Recordset::Pending::Edit) {
        const auto& orig = rs.rows_[static_cast<size_t>(rs.pos_)];
        std::string sets;
        for (size_t i = 0; i < rs.names_.size(); ++i) {
            if (!rs.editChanged_[i]) continue;
            sets += (sets.empty() ? "" : ", ") + quoted(rs.names_[i]) + " = " + bind(rs.editRow_[i]);
        }
        if (sets.empty()) {
            rs.pending_ = Recordset::Pending::None;
            return;
        }
        std::string sql = "UPDATE " + quoted(rs.table_) + " SET " + sets + " WHERE ctid = " +
                          bind(Variant(rs.tids_[static_cast<size_t>(rs.pos_)])) + "::tid";
        for (size_t i = 0; i < rs.names_.size(); ++i)
            if (rs.tableColumn_[i]) sql += " AND " + quoted(rs.names_[i]) + " IS NOT DISTINCT FROM " + bind(orig[i]);
        sql += " RETURNING ctid::text";
        server::Result r = server::execParams(cn, sql, params.texts, params.nulls, rs.statement_);
        if (PQntuples(r.get()) == 0)
            throw DbError("Row cannot be located for updating. Some values may have been changed since it was last read.",
                          rs.statement_);
        rs.tids_[static_cast<size_t>(rs.pos_)] = PQgetvalue(r.get(), 0, 0);
        rs.rows_[static_cast<size_t>(rs.pos_)] = rs.editRow_;
    } else {
        std::string cols, marks;
        for (size_t i = 0; i < rs.names_.size(); ++i) {
            if (!rs.editChanged_[i]) continue;
            cols += (cols.empty() ? "" : ", ") + quoted(rs.names_[i]);
            marks += (marks.empty() ? "" : ", ") + bind(rs.editRow_[i]);
        }
        std::string sql = cols.empty() ? "INSERT INTO " + quoted(rs.table_) + " DEFAULT VALUES"
                                       : "INSERT INTO " + quoted(rs.table_) + " (" + cols + ") VALUES (" + marks + ")";
        sql += " RETURNING ctid::text" + returning;
        server::Result r = server::execParams(cn, sql, params.texts, params.nulls, rs.statement_);
        std::vector<Variant> row = rs.editRow_;
        int c = 1;
        for (size_t i = 0; i < rs.names_.size(); ++i)
            if (rs.tableColumn_[i]) row[i] = server::valueOf(r.get(), 0, c++);
        rs.rows_.push_back(std::move(row));
        rs.tids_.emplace_back(PQgetvalue(r.get(), 0, 0));
        rs.pos_ = static_cast<long>(rs.rows_.size()) - 1;
    }
    rs.pending_ = Recordset::Pending::None;
}

void ServerRecordset::Delete(Recordset& rs) {
    using server::quoted;
    auto& cn = rs.cn_;
    server::ensureConnected(cn, rs.statement_);
    server::Params params;
    auto bind = [&params](const Variant& v) { return params.bind(v); };
    const auto& orig = rs.rows_[static_cast<size_t>(rs.pos_)];
    std::string sql = "DELETE FROM " + quoted(rs.table_) + " WHERE ctid = " +
                      bind(Variant(rs.tids_[static_cast<size_t>(rs.pos_)])) + "::tid";
    for (size_t i = 0; i < rs.names_.size(); ++i)
        if (rs.tableColumn_[i]) sql += " AND " + quoted(rs.names_[i]) + " IS NOT DISTINCT FROM " + bind(orig[i]);
    server::Result r = server::execParams(cn, sql, params.texts, params.nulls, rs.statement_);
    const char* n = PQcmdTuples(r.get());
    if (!n || std::atol(n) == 0)
        throw DbError("Row cannot be located for deleting. Some values may have been changed since it was last read.",
                      rs.statement_);
    rs.rows_.erase(rs.rows_.begin() + rs.pos_);
    rs.tids_.erase(rs.tids_.begin() + rs.pos_);
    rs.pending_ = Recordset::Pending::None;
}

} // namespace zorva
