#include "core/DBTools.h"

#include "core/AppPath.h"
#include "core/DBServer.h"
#include "core/FileTables.h"
#include "core/JetSql.h"
#include "core/Services.h"
#include "core/Strings.h"
#include "core/Text.h"
#include "core/UnicodeLike.h"
#include "store/Schema.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zorva {

bool DbError::damaged() const {
    const int primary = code_ & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

DbError DbError::Server(const std::string& what, std::string statement, std::string address, std::string sqlState,
                        bool connectionLost) {
    // Codes the program's messages are chosen by: a lock held too long is
    // "busy", a refused privilege "cannot be written".
    int code = 0;
    if (sqlState == "55P03" || sqlState == "40P01") code = SQLITE_BUSY;
    else if (sqlState == "42501" || sqlState == "25006") code = SQLITE_PERM;
    DbError e(what, std::move(statement), std::move(address), code);
    e.sqlState_ = std::move(sqlState);
    e.lost_ = connectionLost;
    return e;
}

bool DbError::busy() const { return (code_ & 0xff) == SQLITE_BUSY || (code_ & 0xff) == SQLITE_LOCKED; }

bool DbError::notWritable() const {
    const int primary = code_ & 0xff;
    return primary == SQLITE_READONLY || primary == SQLITE_CANTOPEN || primary == SQLITE_PERM ||
           primary == SQLITE_AUTH;
}

// ---------------------------------------------------------------- open files

// The database files the connections of this process hold, by device and
// inode. POSIX locks belong to the process and the file, not to a descriptor:
// closing any descriptor of a store drops the locks of every connection to
// it, after which another program that closes its last connection believes
// itself alone, checkpoints and deletes the write-ahead log under ours. Every
// check of a store file therefore asks here first and reads the file by a
// descriptor of its own only when no connection holds it.
namespace {
struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    bool operator<(const FileId& o) const { return dev != o.dev ? dev < o.dev : ino < o.ino; }
    bool operator==(const FileId& o) const { return dev == o.dev && ino == o.ino; }
};
// Never destroyed: the program's connections are globals that close after
// the function-level statics are gone.
std::mutex& openFilesMutex() {
    static auto* m = new std::mutex;
    return *m;
}
std::map<const Connection*, FileId>& openFiles() {
    static auto* m = new std::map<const Connection*, FileId>;
    return *m;
}
std::optional<FileId> fileId(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileId{st.st_dev, st.st_ino};
}
void registerOpenFile(const Connection* cn, const std::string& path) {
    if (auto id = fileId(path)) {
        std::lock_guard<std::mutex> lock(openFilesMutex());
        openFiles()[cn] = *id;
    }
}
void unregisterOpenFile(const Connection* cn) {
    std::lock_guard<std::mutex> lock(openFilesMutex());
    openFiles().erase(cn);
}
bool heldHere(const std::string& path) {
    const auto id = fileId(path);
    if (!id) return false;
    std::lock_guard<std::mutex> lock(openFilesMutex());
    for (const auto& [cn, held] : openFiles())
        if (held == *id) return true;
    return false;
}
} // namespace

bool StoreFileInUse(const std::string& path) {
    if (heldHere(path)) return true;
    // The store's companions: its log, shared memory, journal and turnstile.
    for (const char* tail : {"-wal", "-shm", "-journal", "-writers"}) {
        const std::string t(tail);
        if (path.size() > t.size() && path.compare(path.size() - t.size(), t.size(), t) == 0 &&
            heldHere(path.substr(0, path.size() - t.size())))
            return true;
    }
    return false;
}

std::string StoreFileInUseMessage(const std::string& path) {
    if (!StoreFileInUse(path)) return {};
    return HasResString(kMsgStoreFileInUse) ? Txt(kMsgStoreFileInUse) : path + ": the program's data store";
}

namespace {

long long steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Another copy holds the write lock: wait in short steps (the turnstile of
// Transaction keeps the waits fair), up to kBusyLimitMs in all.
int busyHandler(void* arg, int count) {
    auto* cn = static_cast<Connection*>(arg);
    const long long now = steadyMs();
    if (count == 0) cn->busySince = now;
    if (now - cn->busySince >= kBusyLimitMs) return 0;
    std::this_thread::sleep_for(std::chrono::microseconds(count < 50 ? 500 : 2000));
    return 1;
}

std::string textOr(int id, const char* fallback) {
    return HasResString(id) ? Txt(id) : std::string(fallback);
}

// Microsoft Access files carry "Standard Jet DB" or "Standard ACE DB" at offset 4.
// A file a connection of this process holds is a database already, and
// reading it by a descriptor of its own would drop that connection's locks.
bool looksLikeAccessFile(const std::string& path) {
    if (StoreFileInUse(path)) return false;
    std::ifstream in(path, std::ios::binary);
    char head[20] = {};
    in.read(head, sizeof head);
    return in.gcount() >= 19 &&
           (std::memcmp(head + 4, "Standard Jet DB", 15) == 0 || std::memcmp(head + 4, "Standard ACE DB", 15) == 0);
}

[[noreturn]] void throwSqlite(sqlite3* db, const std::string& statement, const std::string& file) {
    throw DbError(db ? sqlite3_errmsg(db) : "database error", statement, file, db ? sqlite3_extended_errcode(db) : 0);
}

sqlite3* openMemory() {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db);
        throw DbError("out of memory");
    }
    return db;
}

sqlite3* openDatabaseFile(const std::string& file, OpenMode mode, bool* readOnly) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        throw DbError("Could not find file '" + file + "'.", {}, file, SQLITE_CANTOPEN);
    if (looksLikeAccessFile(file))
        throw DbError(textOr(912, "This file is a Microsoft Access database, which this version cannot open: ") + file,
                      {}, file);
    sqlite3* db = nullptr;
    *readOnly = mode == OpenMode::ReadOnly;
    int rc = sqlite3_open_v2(file.c_str(), &db, *readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, nullptr);
    if (!*readOnly && (rc == SQLITE_READONLY || rc == SQLITE_CANTOPEN || rc == SQLITE_PERM)) {
        sqlite3_close_v2(db);
        db = nullptr;
        rc = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        *readOnly = true;
    }
    if (rc != SQLITE_OK) {
        std::string msg = db ? sqlite3_errmsg(db) : "cannot open";
        const int code = db ? sqlite3_extended_errcode(db) : rc;
        sqlite3_close_v2(db);
        throw DbError("The database '" + file + "' cannot be opened: " + msg, {}, file, code);
    }
    sqlite3_extended_result_codes(db, 1);
    // Another copy may hold the file's lock at this very moment (switching
    // the journal mode, recovering the log, committing): wait for it from the
    // first statement on. The connection installs its own fair handler later.
    sqlite3_busy_timeout(db, kBusyLimitMs);
    // Reading the schema makes SQLite look at the file: a file that is not a
    // database is refused here rather than at the first query.
    char* err = nullptr;
    if (sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : "not a database";
        const int code = sqlite3_extended_errcode(db);
        sqlite3_free(err);
        sqlite3_close_v2(db);
        const int primary = code & 0xff;
        if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT)
            throw DbError("The file '" + file + "' is not a valid database: " + msg, {}, file, code);
        throw DbError("The database '" + file + "' cannot be opened: " + msg, {}, file, code);
    }
    if (sqlite3_db_readonly(db, "main") == 1) *readOnly = true;
    // A store opened for reading only cannot be changed by any statement.
    if (*readOnly) sqlite3_exec(db, "PRAGMA query_only = ON", nullptr, nullptr, nullptr);
    return db;
}

sqlite3_stmt* prepare(sqlite3* db, const std::string& sql, const std::string& original, const std::string& file,
                      const char** tail = nullptr) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, tail) != SQLITE_OK) throwSqlite(db, original, file);
    return st;
}

Variant columnValue(sqlite3_stmt* st, int c) {
    switch (sqlite3_column_type(st, c)) {
    case SQLITE_NULL: return Variant();
    case SQLITE_INTEGER: return Variant(static_cast<std::int64_t>(sqlite3_column_int64(st, c)));
    case SQLITE_FLOAT: return Variant(sqlite3_column_double(st, c));
    default: {
        const unsigned char* t = sqlite3_column_text(st, c);
        return Variant(std::string(reinterpret_cast<const char*>(t ? t : reinterpret_cast<const unsigned char*>("")),
                                   static_cast<size_t>(sqlite3_column_bytes(st, c))));
    }
    }
}

void bindValue(sqlite3_stmt* st, int p, const Variant& v) {
    switch (v.type()) {
    case Variant::Type::Null: sqlite3_bind_null(st, p); break;
    case Variant::Type::Integer: sqlite3_bind_int64(st, p, v.toInt()); break;
    case Variant::Type::Real: sqlite3_bind_double(st, p, v.toDouble()); break;
    case Variant::Type::Text: {
        std::string s = v.toString();
        sqlite3_bind_text(st, p, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
        break;
    }
    }
}

// The SQLite form of a statement run with parameters: such statements are
// templates run again and again (once per enterprise of an import), so each
// is translated once. Never destroyed (see openFiles).
std::string translatedOnce(const std::string& jet) {
    static auto* mutex = new std::mutex;
    static auto* done = new std::map<std::string, std::string>;
    std::lock_guard<std::mutex> lock(*mutex);
    auto it = done->find(jet);
    if (it != done->end()) return it->second;
    if (done->size() >= 256) done->clear();
    return done->emplace(jet, JetToSQLite(jet)).first->second;
}

// Binds the statement's placeholders to params from index `from` on; the
// number bound.
size_t bindParams(sqlite3_stmt* st, const Params& params, size_t from) {
    const int n = sqlite3_bind_parameter_count(st);
    for (int p = 1; p <= n; ++p) {
        const size_t i = from + static_cast<size_t>(p - 1);
        if (i < params.size()) bindValue(st, p, params[i]);
    }
    return static_cast<size_t>(n);
}

// A statement run with values has one mark for each: a count that differs is
// the caller's error, raised before anything runs.
void requireMarksFor(sqlite3_stmt* st, const Params& params, const std::string& statement, const std::string& file) {
    const int marks = sqlite3_bind_parameter_count(st);
    if (!params.empty() && marks != static_cast<int>(params.size()))
        throw DbError("The statement has " + std::to_string(marks) + " marks for " + std::to_string(params.size()) +
                          " values.",
                      statement, file);
}

// Prepared statements kept per connection for the statements run with
// parameters: the same few statements run once per enterprise in an import,
// and preparing a "select *" of MyValues costs more than running it. A kept
// statement is reset after each use, so it holds no lock; SQLite prepares it
// again by itself when the schema changes. Never destroyed (see openFiles).
struct KeptStatement {
    sqlite3_stmt* st = nullptr;
    bool inUse = false;
};
constexpr size_t kKeptStatements = 64;
std::map<sqlite3*, std::map<std::string, KeptStatement>>& keptStatements() {
    static auto* m = new std::map<sqlite3*, std::map<std::string, KeptStatement>>;
    return *m;
}
void forgetKeptStatements(sqlite3* db) {
    auto& all = keptStatements();
    auto it = all.find(db);
    if (it == all.end()) return;
    for (auto& [sql, kept] : it->second) sqlite3_finalize(kept.st);
    all.erase(it);
}

// One use of a statement: the kept one when `keep` (and it is free), else one
// prepared for this use alone. *single is false when the SQL holds more than
// one statement (then nothing is kept).
class StatementUse {
public:
    StatementUse(sqlite3* db, const std::string& sql, const std::string& original, const std::string& file, bool keep)
        : db_(db) {
        if (keep) {
            auto& mine = keptStatements()[db];
            auto it = mine.find(sql);
            if (it != mine.end() && !it->second.inUse) {
                kept_ = &it->second;
                kept_->inUse = true;
                st_ = kept_->st;
                return;
            }
            keep = it == mine.end() && mine.size() < kKeptStatements;
        }
        const char* tail = nullptr;
        if (sqlite3_prepare_v3(db, sql.c_str(), -1, keep ? SQLITE_PREPARE_PERSISTENT : 0, &st_, &tail) != SQLITE_OK)
            throwSqlite(db, original, file);
        while (tail && *tail && std::isspace(static_cast<unsigned char>(*tail))) ++tail;
        single_ = !(tail && *tail);
        if (keep && single_ && st_) {
            kept_ = &keptStatements()[db][sql];
            kept_->st = st_;
            kept_->inUse = true;
        }
    }
    ~StatementUse() {
        if (kept_) {
            sqlite3_reset(st_);
            sqlite3_clear_bindings(st_);
            kept_->inUse = false;
        } else {
            sqlite3_finalize(st_);
        }
    }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;
    sqlite3_stmt* get() const { return st_; }
    bool single() const { return single_; }

private:
    sqlite3* db_;
    sqlite3_stmt* st_ = nullptr;
    KeptStatement* kept_ = nullptr;
    bool single_ = true;
};

void requireOpen(const ConnectionHandle& cn, const std::string& statement) {
    if (!cn || !cn->open()) throw DbError("Operation is not allowed when the object is closed.", statement);
}

} // namespace

namespace {
// Holds the writers' turnstile of a store while this copy waits for the write
// lock (see Transaction in DBTools.h). Without a turnstile file (a store in a
// folder where none can be made) only the busy handler's waiting remains.
class TurnstilePass {
public:
    explicit TurnstilePass(Connection& cn) {
        const int fd = cn.turnstile();
        if (fd < 0) return;
        const long long start = steadyMs();
        while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR) return;
            // The holder waits for the write lock, bounded by kBusyLimitMs.
            if (steadyMs() - start >= kBusyLimitMs) return;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        fd_ = fd;
    }
    ~TurnstilePass() {
        if (fd_ >= 0) ::flock(fd_, LOCK_UN);
    }
    TurnstilePass(const TurnstilePass&) = delete;
    TurnstilePass& operator=(const TurnstilePass&) = delete;

private:
    int fd_ = -1;
};

bool writableDatabase(const ConnectionHandle& cn) {
    return cn && cn->handle() && cn->kind() == Connection::Kind::Database && !cn->readOnly();
}
// A statement that manages transactions or the connection itself runs as it is.
bool controlsTransactions(const std::string& sql) {
    size_t i = 0;
    while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i]))) ++i;
    size_t j = i;
    while (j < sql.size() && std::isalpha(static_cast<unsigned char>(sql[j]))) ++j;
    const std::string word = AsciiLower(sql.substr(i, j - i));
    for (const char* w : {"begin", "commit", "end", "rollback", "savepoint", "release", "pragma", "vacuum", "attach",
                          "detach"})
        if (word == w) return true;
    return false;
}

// A change made outside any transaction gets one of its own, so that it takes
// the same fair road to the write lock as a transaction does.
class ImplicitWrite {
public:
    explicit ImplicitWrite(const ConnectionHandle& cn) {
        if (writableDatabase(cn) && cn->handle() && sqlite3_get_autocommit(cn->handle())) tx_.emplace(cn);
    }
    void done() {
        if (tx_) tx_->Commit();
    }

private:
    std::optional<Transaction> tx_;
};
} // namespace

// ---------------------------------------------------------------- Connection

Connection::Connection(sqlite3* db, Kind kind, std::string source)
    : db_(db), kind_(kind), source_(std::move(source)) {
    if (kind_ == Kind::Database) registerOpenFile(this, source_);
    RegisterUnicodeLike(db_);
    // Another copy of the program writing at the same moment is waited for.
    if (kind_ == Kind::Database) sqlite3_busy_handler(db_, busyHandler, this);
}

Connection::Connection(pg_conn* server, std::string address)
    : pg_(server), kind_(Kind::Server), source_(std::move(address)) {}

Connection::~Connection() {
    unregisterOpenFile(this);
    if (pg_) PQfinish(pg_);
    if (db_) forgetKeptStatements(db_);
    if (db_) sqlite3_close_v2(db_);
    if (turnstile_ >= 0) ::close(turnstile_);
}

int Connection::turnstile() {
    if (turnstile_ == -2) {
        turnstile_ = -1;
        if (kind_ == Kind::Database && !readOnly()) {
            // Locking needs no write access: a file another account made serves too.
            const std::string path = source_ + "-writers";
            turnstile_ = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
            if (turnstile_ < 0) turnstile_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        }
    }
    return turnstile_;
}

// ---------------------------------------------------------------- operations

void DisconnectFromDB(ConnectionHandle& connection) {
    if (connection) connection.reset();
}

void ConnectToFile(ConnectionHandle& connection, std::string file, std::string folder, OpenMode mode) {
    DisconnectFromDB(connection);
    if (folder == "unknown") folder = AppPath();
    file = TrimBlanks(file);
    std::string kind = file.size() >= 3 ? file.substr(file.size() - 3) : file;
    if (file == "text") kind = "txt";
    std::string k = AsciiLower(kind);

    if (IsServerAddress(file)) {
        connection = server::Connect(file);
    } else if (k == "txt" || k == "csv") {
        sqlite3* db = openMemory();
        auto cn = std::make_shared<Connection>(db, Connection::Kind::TextFolder, folder);
        cn->connectionString = "DRIVER={Microsoft Text Driver (*.txt; *.csv)};DBQ=" + folder +
                               ";DefaultDir=" + folder + ";Uid=Admin;Pwd=;";
        LoadTextFolder(db, folder);
        sqlite3_exec(db, "PRAGMA query_only = ON", nullptr, nullptr, nullptr);
        connection = cn;
    } else if (k == "xls") {
        sqlite3* db = openMemory();
        auto cn = std::make_shared<Connection>(db, Connection::Kind::Workbook, file);
        cn->connectionString = "Data Source=" + file + ";Extended Properties=Excel 8.0;";
        LoadWorkbook(db, file);
        sqlite3_exec(db, "PRAGMA query_only = ON", nullptr, nullptr, nullptr);
        connection = cn;
    } else if (k == "mdb") {
        bool ro = false;
        sqlite3* db = openDatabaseFile(file, mode, &ro);
        auto cn = std::make_shared<Connection>(db, Connection::Kind::Database, file);
        cn->setReadOnly(ro);
        cn->connectionString = "Data Source=" + file;
        connection = cn;
    } else {
        MsgBox("Invalid use of ConnectToFile (Invalid File Type: " + kind + " )", MsgButtons::OK, MsgIcon::None);
        EndProgram(1);
    }
}

std::unique_ptr<Recordset> GetRS(ConnectionHandle& connection, const std::string& statement,
                                 const std::string& mode) {
    return GetRS(connection, statement, mode, Params{});
}

std::unique_ptr<Recordset> GetRS(ConnectionHandle& connection, const std::string& statement,
                                 const std::string& mode, const Params& params) {
    std::string m = AsciiLower(mode);
    if (m != "read" && m != "write") {
        MsgBox("Invalid use of GetRS (Invalid WriteMode: " + mode + " )", MsgButtons::OK, MsgIcon::None);
        EndProgram(1);
    }
    requireOpen(connection, statement);
    if (connection->isServer())
        return server::Query(connection, statement, m == "read" ? Recordset::Mode::Read : Recordset::Mode::Write,
                             params);
    sqlite3* db = connection->handle();
    std::string sql = params.empty() ? JetToSQLite(statement) : translatedOnce(statement);

    auto rs = std::unique_ptr<Recordset>(new Recordset());
    rs->cn_ = connection;
    rs->statement_ = statement;
    rs->mode_ = m == "read" ? Recordset::Mode::Read : Recordset::Mode::Write;

    // In write mode a plain single-table query is made updatable: each row
    // carries its rowid (kept out of the fields).
    bool withRowid = false;
    if (rs->mode_ == Recordset::Mode::Write) {
        rs->table_ = SingleTableOfSelect(sql);
        if (!rs->table_.empty()) {
            auto pos = AsciiLower(sql).find("select");
            std::string withId = sql.substr(0, pos + 6) + " rowid AS __zorva_rowid," + sql.substr(pos + 6);
            sqlite3_stmt* probe = nullptr;
            if (sqlite3_prepare_v2(db, withId.c_str(), -1, &probe, nullptr) == SQLITE_OK) {
                sql = withId;
                withRowid = true;
            } else {
                rs->table_.clear();  // a view or a table without rowid: read-only
            }
            sqlite3_finalize(probe);
        }
    }

    StatementUse use(db, sql, statement, connection->source(), !params.empty() && !withRowid);
    sqlite3_stmt* st = use.get();
    if (!st) throwSqlite(db, statement, connection->source());
    requireMarksFor(st, params, statement, connection->source());
    bindParams(st, params, 0);
    // The first step comes before the columns are read: a kept statement whose
    // tables changed since it was prepared is prepared again by that step, and
    // its columns ("select *") are those of the tables as they are now.
    int rc = sqlite3_step(st);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) throwSqlite(db, statement, connection->source());
    int cols = sqlite3_column_count(st);
    int first = withRowid ? 1 : 0;
    for (int c = first; c < cols; ++c) {
        rs->names_.push_back(sqlite3_column_name(st, c) ? sqlite3_column_name(st, c) : "");
        if (withRowid) {
            const char* origin = sqlite3_column_origin_name(st, c);
            rs->tableColumn_.push_back(origin && sqlite3_stricmp(origin, rs->names_.back().c_str()) == 0 ? 1 : 0);
        }
    }
    for (; rc == SQLITE_ROW; rc = sqlite3_step(st)) {
        std::vector<Variant> row;
        row.reserve(static_cast<size_t>(cols - first));
        if (withRowid) rs->rowids_.push_back(sqlite3_column_int64(st, 0));
        for (int c = first; c < cols; ++c) row.push_back(columnValue(st, c));
        rs->rows_.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) throwSqlite(db, statement, connection->source());
    return rs;
}

void ExecCmdInDB(ConnectionHandle& connection, const std::string& statement) {
    ExecCmdInDB(connection, statement, Params{});
}

void ExecCmdInDB(ConnectionHandle& connection, const std::string& statement, const Params& params) {
    requireOpen(connection, statement);
    if (connection->isServer()) return server::Execute(connection, statement, params);
    sqlite3* db = connection->handle();
    const std::string sql = params.empty() ? JetToSQLite(statement) : translatedOnce(statement);
    std::optional<ImplicitWrite> write;
    if (!controlsTransactions(sql)) write.emplace(connection);
    if (!params.empty()) {
        StatementUse use(db, sql, statement, connection->source(), true);
        if (use.single()) {
            if (use.get()) {
                requireMarksFor(use.get(), params, statement, connection->source());
                bindParams(use.get(), params, 0);
                int rc;
                while ((rc = sqlite3_step(use.get())) == SQLITE_ROW) {}
                if (rc != SQLITE_DONE) throwSqlite(db, statement, connection->source());
            }
            if (write) write->done();
            return;
        }
    }
    const char* tail = sql.c_str();
    size_t bound = 0;
    while (tail && *tail) {
        const char* next = nullptr;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, tail, -1, &st, &next) != SQLITE_OK) throwSqlite(db, statement, connection->source());
        if (!st) break;  // only blanks or comments left
        bound += bindParams(st, params, bound);
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {}
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) throwSqlite(db, statement, connection->source());
        tail = next;
    }
    if (write) write->done();
}

long RowsAffected(const ConnectionHandle& connection) {
    if (connection && connection->isServer()) return connection->serverChanges;
    return connection && connection->handle() ? sqlite3_changes(connection->handle()) : 0;
}

void LockKeyForWriting(ConnectionHandle& connection, const std::string& key) {
    if (!connection || !connection->isServer()) return;
    ExecCmdInDB(connection, "select pg_advisory_xact_lock(hashtextextended(?, 0))", Params{Variant(key)});
}

std::string DescribeConnection(const ConnectionHandle& connection) {
    if (!connection) return {};
    if (connection->isServer()) return "PostgreSQL " + server::Describe(connection);
    return connection->source();
}

bool ConnectionEncrypted(const ConnectionHandle& connection) {
    return connection && connection->isServer() && server::Encrypted(connection);
}

bool IsServerAddress(std::string_view text) {
    std::string t = AsciiLower(TrimBlanks(std::string(text)));
    if (t.rfind("postgresql://", 0) == 0 || t.rfind("postgres://", 0) == 0) return true;
    // libpq's keyword=value form: the first word is one of its keywords.
    const auto eq = t.find('=');
    if (eq == std::string::npos) return false;
    const std::string key = TrimBlanks(t.substr(0, eq));
    for (const char* k : {"service", "host", "hostaddr", "dbname", "user", "port"})
        if (key == k) return true;
    return false;
}

bool TableExists(const ConnectionHandle& connection, const std::string& table) {
    if (connection && connection->isServer()) return server::TableExists(connection, table);
    if (!connection || !connection->handle()) return false;
    sqlite3_stmt* st = nullptr;
    const char* sql = "SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND name = ? COLLATE NOCASE";
    if (sqlite3_prepare_v2(connection->handle(), sql, -1, &st, nullptr) != SQLITE_OK) return false;
    sqlite3_bind_text(st, 1, table.c_str(), -1, SQLITE_TRANSIENT);
    bool found = sqlite3_step(st) == SQLITE_ROW;
    sqlite3_finalize(st);
    return found;
}

std::string SqlQuote(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out;
}

// ---------------------------------------------------------------- Transaction

namespace {
void execOrThrow(const ConnectionHandle& cn, const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(cn->handle(), sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : "transaction failed";
        sqlite3_free(err);
        throw DbError(msg, sql, cn->source(), sqlite3_extended_errcode(cn->handle()));
    }
}
int savepointCounter = 0;

} // namespace

Transaction::Transaction(ConnectionHandle connection) : cn_(std::move(connection)) {
    requireOpen(cn_, "BEGIN IMMEDIATE");
    if (cn_->isServer()) {
        if (server::InTransaction(cn_)) savepoint_ = "zorva_sp" + std::to_string(++savepointCounter);
        server::Begin(cn_, savepoint_);
        open_ = true;
        return;
    }
    if (sqlite3_get_autocommit(cn_->handle())) {
        TurnstilePass pass(*cn_);
        execOrThrow(cn_, "BEGIN IMMEDIATE");
    } else {
        savepoint_ = "zorva_sp" + std::to_string(++savepointCounter);
        execOrThrow(cn_, "SAVEPOINT " + savepoint_);
    }
    open_ = true;
}

Transaction::~Transaction() {
    if (!open_) return;
    if (cn_->isServer()) {
        server::Rollback(cn_, savepoint_);
        return;
    }
    if (savepoint_.empty()) {
        sqlite3_exec(cn_->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    } else {
        std::string sql = "ROLLBACK TO " + savepoint_ + "; RELEASE " + savepoint_;
        sqlite3_exec(cn_->handle(), sql.c_str(), nullptr, nullptr, nullptr);
    }
}

void Transaction::Commit() {
    if (!open_) return;
    if (cn_->isServer()) {
        open_ = false;
        server::Commit(cn_, savepoint_);
        return;
    }
    execOrThrow(cn_, savepoint_.empty() ? std::string("COMMIT") : "RELEASE " + savepoint_);
    open_ = false;
}

// ---------------------------------------------------------------- store checks

namespace {
std::uint32_t bigEndian(const unsigned char* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
    return v;
}

[[noreturn]] void throwDamaged(const std::string& file, const std::string& detail) {
    throw DbError("The file '" + file + "' is damaged: " + detail, {}, file, SQLITE_CORRUPT);
}
} // namespace

namespace {
// A part of a page missing: SQLite reads the short page as zeros, which a
// free last page never shows. The header's page count holds when it was
// written by this SQLite (change counter = "valid for" number) and no log is
// waiting to be copied into the file. SQLite would only call the file
// malformed. Sizes come from stat(), which takes no descriptor.
void checkSize(const std::string& file, std::uintmax_t size, std::uint32_t pageSize, std::uint32_t pages,
               bool countValid) {
    if (pageSize == 0 || size % pageSize != 0)
        throwDamaged(file, "its size is not a whole number of pages (it was cut off)");
    std::error_code ec;
    const auto walSize = std::filesystem::file_size(file + "-wal", ec);
    const bool walPending = !ec && walSize > 32;
    if (countValid && !walPending && pages > 0 && size < static_cast<std::uintmax_t>(pages) * pageSize)
        throwDamaged(file, "it is shorter than its header says (it was cut off)");
}

std::int64_t pragmaNumber(sqlite3* db, const char* sql, const std::string& file) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) throwSqlite(db, sql, file);
    const int rc = sqlite3_step(st);
    const std::int64_t v = rc == SQLITE_ROW ? sqlite3_column_int64(st, 0) : 0;
    const int code = sqlite3_extended_errcode(db);
    const std::string msg = sqlite3_errmsg(db);
    sqlite3_finalize(st);
    if (rc != SQLITE_ROW) {
        if ((code & 0xff) == SQLITE_CORRUPT || (code & 0xff) == SQLITE_NOTADB) throwDamaged(file, msg);
        throw DbError(msg, sql, file, code);
    }
    return v;
}
} // namespace

void CheckStoreFile(const std::string& file) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (ec) throw DbError("The file '" + file + "' cannot be read: " + ec.message(), {}, file, SQLITE_CANTOPEN);
    // A connection of this process holds the file: it was checked when that
    // connection opened it, and reading it here would drop the connection's
    // locks (CheckStoreIntact checks an open store through SQLite).
    if (StoreFileInUse(file)) return;
    unsigned char head[100] = {};
    {
        std::ifstream in(file, std::ios::binary);
        in.read(reinterpret_cast<char*>(head), sizeof head);
        // SQLite itself takes an empty file for an empty database.
        if (in.gcount() < static_cast<std::streamsize>(sizeof head) ||
            std::memcmp(head, "SQLite format 3", 16) != 0)
            throwDamaged(file, "it is not a database, or its beginning is missing");
    }
    std::uint32_t pageSize = bigEndian(head + 16, 2);
    if (pageSize == 1) pageSize = 65536;
    if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0)
        throwDamaged(file, "its header is not valid");
    checkSize(file, size, pageSize, bigEndian(head + 28, 4), bigEndian(head + 24, 4) == bigEndian(head + 92, 4));
}

void CheckStoreIntact(const ConnectionHandle& connection) {
    requireOpen(connection, "PRAGMA quick_check");
    if (connection->kind() != Connection::Kind::Database) return;
    const std::string& file = connection->source();
    sqlite3* db = connection->handle();
    // The size checks of CheckStoreFile, with the page size and count read
    // through the connection itself: never by a descriptor of our own.
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec) throw DbError("The file '" + file + "' cannot be read: " + ec.message(), {}, file, SQLITE_CANTOPEN);
    const auto pageSize = static_cast<std::uint32_t>(pragmaNumber(db, "PRAGMA page_size", file));
    const auto pages = static_cast<std::uint32_t>(pragmaNumber(db, "PRAGMA page_count", file));
    checkSize(file, size, pageSize, pages, true);

    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &st, nullptr) != SQLITE_OK)
        throwSqlite(db, "PRAGMA quick_check", file);
    const int rc = sqlite3_step(st);
    std::string result;
    if (rc == SQLITE_ROW && sqlite3_column_text(st, 0))
        result = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    const int code = sqlite3_extended_errcode(db);
    const std::string msg = sqlite3_errmsg(db);
    sqlite3_finalize(st);
    if (rc != SQLITE_ROW) {
        if ((code & 0xff) == SQLITE_CORRUPT || (code & 0xff) == SQLITE_NOTADB) throwDamaged(file, msg);
        throw DbError(msg, "PRAGMA quick_check", file, code);
    }
    if (result != "ok") throwDamaged(file, result);
}

void CheckStoreWritable(const ConnectionHandle& connection) {
    requireOpen(connection, "PRAGMA user_version");
    if (connection->isServer()) return server::CheckUsable(connection);
    const std::string& file = connection->source();
    if (connection->kind() != Connection::Kind::Database || connection->readOnly() ||
        sqlite3_db_readonly(connection->handle(), "main") == 1)
        throw DbError("The file '" + file + "' can only be read, not written.", {}, file, SQLITE_READONLY);
    auto rs = GetRS(const_cast<ConnectionHandle&>(connection), "PRAGMA user_version", "read");
    const std::int64_t version = rs->RecordCount() ? rs->Fields(0).toInt() : 0;
    // Rewriting the header's user version with its own value changes nothing
    // but is a real write: the journal or log is made and the file written.
    Transaction tx(connection);
    execOrThrow(connection, "PRAGMA user_version = " + std::to_string(version));
    tx.Commit();
}

std::string JournalMode(const ConnectionHandle& connection) {
    if (connection && connection->isServer()) return "server";
    if (!connection || !connection->handle()) return {};
    sqlite3_stmt* st = nullptr;
    std::string mode;
    if (sqlite3_prepare_v2(connection->handle(), "PRAGMA journal_mode", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
        mode = AsciiLower(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return mode;
}

std::string UseWriteAheadLog(const ConnectionHandle& connection) {
    if (!writableDatabase(connection)) return JournalMode(connection);
    std::string mode = JournalMode(connection);
    if (mode == "wal") return mode;
    // Another copy with the file open in the old mode: do not wait for it.
    sqlite3* db = connection->handle();
    sqlite3_busy_timeout(db, 200);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA journal_mode = WAL", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
        mode = AsciiLower(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_busy_handler(db, busyHandler, connection.get());
    return mode;
}

// ---------------------------------------------------------------- Recordset

const std::string& Recordset::FieldName(int index) const {
    if (index < 0 || index >= FieldCount())
        throw DbError("Item cannot be found in the collection corresponding to the requested name or ordinal.",
                      statement_);
    return names_[static_cast<size_t>(index)];
}

int Recordset::FieldIndex(std::string_view name) const {
    std::string n(name);
    for (size_t i = 0; i < names_.size(); ++i)
        if (sqlite3_stricmp(names_[i].c_str(), n.c_str()) == 0) return static_cast<int>(i);
    return -1;
}

const Variant& Recordset::at(int index) const {
    if (pending_ != Pending::None) return editRow_[static_cast<size_t>(index)];
    if (pos_ < 0 || pos_ >= static_cast<long>(rows_.size()))
        throw DbError("Either BOF or EOF is True, or the current record has been deleted.", statement_);
    return rows_[static_cast<size_t>(pos_)][static_cast<size_t>(index)];
}

const Variant& Recordset::Fields(int index) const {
    if (index < 0 || index >= FieldCount())
        throw DbError("Item cannot be found in the collection corresponding to the requested name or ordinal.",
                      statement_);
    return at(index);
}

const Variant& Recordset::Fields(std::string_view name) const {
    int i = FieldIndex(name);
    if (i < 0)
        throw DbError("Item cannot be found in the collection corresponding to the requested name or ordinal: " +
                          std::string(name),
                      statement_);
    return at(i);
}

void Recordset::requireWritable(const char* op) const {
    if (mode_ != Mode::Write || table_.empty() || !cn_ || cn_->readOnly())
        throw DbError(std::string("The recordset cannot be updated (") + op + ").", statement_);
}

void Recordset::SetField(std::string_view name, Variant value) {
    requireWritable("edit");
    int i = FieldIndex(name);
    if (i < 0 || !tableColumn_[static_cast<size_t>(i)])
        throw DbError("The field " + std::string(name) + " cannot be updated.", statement_);
    if (pending_ == Pending::None) {
        if (Eof() || pos_ < 0) throw DbError("Either BOF or EOF is True, or the current record has been deleted.", statement_);
        editRow_ = rows_[static_cast<size_t>(pos_)];
        editChanged_.assign(names_.size(), false);
        pending_ = Pending::Edit;
    }
    editRow_[static_cast<size_t>(i)] = std::move(value);
    editChanged_[static_cast<size_t>(i)] = true;
}

void Recordset::AddNew() {
    requireWritable("add");
    editRow_.assign(names_.size(), Variant());
    editChanged_.assign(names_.size(), false);
    pending_ = Pending::Add;
}

void Recordset::CancelUpdate() { pending_ = Pending::None; }

void Recordset::Update() {
    if (pending_ == Pending::None) return;
    requireWritable("update");
    if (cn_->isServer()) return ServerRecordset::Update(*this);
    sqlite3* db = cn_->handle();
    const std::string table = zorvadata::quoteIdentifier(table_);
    ImplicitWrite write(cn_);
    if (pending_ == Pending::Edit) {
        const auto& orig = rows_[static_cast<size_t>(pos_)];
        std::string sql = "UPDATE " + table + " SET ";
        std::vector<const Variant*> binds;
        bool first = true;
        for (size_t i = 0; i < names_.size(); ++i) {
            if (!editChanged_[i]) continue;
            sql += (first ? "" : ", ") + zorvadata::quoteIdentifier(names_[i]) + " = ?";
            binds.push_back(&editRow_[i]);
            first = false;
        }
        if (first) { pending_ = Pending::None; return; }
        sql += " WHERE rowid = ?";
        // Optimistic locking: the row must still hold what was read.
        for (size_t i = 0; i < names_.size(); ++i) {
            if (!tableColumn_[i]) continue;
            sql += " AND " + zorvadata::quoteIdentifier(names_[i]) + " IS ?";
        }
        sqlite3_stmt* st = prepare(db, sql, statement_, cn_->source());
        int p = 1;
        for (auto* v : binds) bindValue(st, p++, *v);
        sqlite3_bind_int64(st, p++, rowids_[static_cast<size_t>(pos_)]);
        for (size_t i = 0; i < names_.size(); ++i)
            if (tableColumn_[i]) bindValue(st, p++, orig[i]);
        int rc = sqlite3_step(st);
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) throwSqlite(db, statement_, cn_->source());
        if (sqlite3_changes(db) == 0)
            throw DbError("Row cannot be located for updating. Some values may have been changed since it was last read.",
                          statement_);
        write.done();
        rows_[static_cast<size_t>(pos_)] = editRow_;
    } else {
        std::string cols, qs;
        std::vector<const Variant*> binds;
        for (size_t i = 0; i < names_.size(); ++i) {
            if (!editChanged_[i]) continue;
            cols += (cols.empty() ? "" : ", ") + zorvadata::quoteIdentifier(names_[i]);
            qs += qs.empty() ? "?" : ", ?";
            binds.push_back(&editRow_[i]);
        }
        std::string sql = cols.empty() ? "INSERT INTO " + table + " DEFAULT VALUES"
                                       : "INSERT INTO " + table + " (" + cols + ") VALUES (" + qs + ")";
        sqlite3_stmt* st = prepare(db, sql, statement_, cn_->source());
        int p = 1;
        for (auto* v : binds) bindValue(st, p++, *v);
        int rc = sqlite3_step(st);
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) throwSqlite(db, statement_, cn_->source());
        std::int64_t id = sqlite3_last_insert_rowid(db);
        // Read the new row back so that defaults show; it joins this recordset.
        std::vector<Variant> row = editRow_;
        std::string sel = "SELECT ";
        bool any = false;
        for (size_t i = 0; i < names_.size(); ++i) {
            if (!tableColumn_[i]) continue;
            sel += (any ? ", " : "") + zorvadata::quoteIdentifier(names_[i]);
            any = true;
        }
        if (any) {
            sqlite3_stmt* rd = prepare(db, sel + " FROM " + table + " WHERE rowid = ?", statement_, cn_->source());
            sqlite3_bind_int64(rd, 1, id);
            if (sqlite3_step(rd) == SQLITE_ROW) {
                int c = 0;
                for (size_t i = 0; i < names_.size(); ++i)
                    if (tableColumn_[i]) row[i] = columnValue(rd, c++);
            }
            sqlite3_finalize(rd);
        }
        write.done();
        rows_.push_back(std::move(row));
        rowids_.push_back(id);
        pos_ = static_cast<long>(rows_.size()) - 1;
    }
    pending_ = Pending::None;
}

void Recordset::Delete() {
    requireWritable("delete");
    if (Eof() || pos_ < 0) throw DbError("Either BOF or EOF is True, or the current record has been deleted.", statement_);
    if (cn_->isServer()) return ServerRecordset::Delete(*this);
    sqlite3* db = cn_->handle();
    ImplicitWrite write(cn_);
    std::string sql = "DELETE FROM " + zorvadata::quoteIdentifier(table_) + " WHERE rowid = ?";
    const auto& orig = rows_[static_cast<size_t>(pos_)];
    for (size_t i = 0; i < names_.size(); ++i)
        if (tableColumn_[i]) sql += " AND " + zorvadata::quoteIdentifier(names_[i]) + " IS ?";
    sqlite3_stmt* st = prepare(db, sql, statement_, cn_->source());
    int p = 1;
    sqlite3_bind_int64(st, p++, rowids_[static_cast<size_t>(pos_)]);
    for (size_t i = 0; i < names_.size(); ++i)
        if (tableColumn_[i]) bindValue(st, p++, orig[i]);
    int rc = sqlite3_step(st);
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) throwSqlite(db, statement_, cn_->source());
    if (sqlite3_changes(db) == 0)
        throw DbError("Row cannot be located for deleting. Some values may have been changed since it was last read.",
                      statement_);
    write.done();
    rows_.erase(rows_.begin() + pos_);
    rowids_.erase(rowids_.begin() + pos_);
    pending_ = Pending::None;
}

void Recordset::Close() {
    rows_.clear();
    rowids_.clear();
    names_.clear();
    cn_.reset();
    pos_ = 0;
    pending_ = Pending::None;
}

} // namespace zorva
