#include "store/Store.h"

#include "store/DataSets.h"
#include "store/Schema.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <thread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace zorvadata {

namespace {

struct DbFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Db {
public:
    Db(const std::string& path, int flags) : path_(path) {
        if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
            std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            db_ = nullptr;
            throw DbFailure("cannot open " + path + ": " + msg);
        }
        sqlite3_busy_timeout(db_, 5000);
        sqlite3_extended_result_codes(db_, 1);
    }
    ~Db() { close(); }
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    void close() {
        if (db_) sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    void exec(const std::string& sql) {
        char* err = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
            std::string msg = err ? err : sqlite3_errmsg(db_);
            sqlite3_free(err);
            throw DbFailure(path_ + ": " + msg + " (in: " + sql.substr(0, 200) + ")");
        }
    }
    sqlite3_stmt* prepare(const std::string& sql) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw DbFailure(path_ + ": " + sqlite3_errmsg(db_) + " (in: " + sql.substr(0, 200) + ")");
        return st;
    }
    void step(sqlite3_stmt* st) {
        int rc = sqlite3_step(st);
        if (rc != SQLITE_DONE && rc != SQLITE_ROW) throw DbFailure(path_ + ": " + sqlite3_errmsg(db_));
    }
    std::string text(const std::string& sql) {
        sqlite3_stmt* st = prepare(sql);
        std::string v;
        int rc = sqlite3_step(st);
        if (rc == SQLITE_ROW && sqlite3_column_text(st, 0)) v = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        std::string err = sqlite3_errmsg(db_);
        sqlite3_finalize(st);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) throw DbFailure(path_ + ": " + err);
        return v;
    }
    sqlite3* handle() { return db_; }
    long long scalar(const std::string& sql) {
        sqlite3_stmt* st = prepare(sql);
        long long v = 0;
        if (sqlite3_step(st) == SQLITE_ROW) v = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        return v;
    }
    // Existing tables of the database: lower-case name -> name as stored.
    std::map<std::string, std::string> tables() {
        std::map<std::string, std::string> out;
        sqlite3_stmt* st = prepare("select name from sqlite_master where type = 'table'");
        while (sqlite3_step(st) == SQLITE_ROW) {
            std::string n = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            std::string l = n;
            for (auto& c : l) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            out[l] = n;
        }
        sqlite3_finalize(st);
        return out;
    }
    std::vector<std::string> columns(const std::string& table) {
        std::vector<std::string> out;
        sqlite3_stmt* st = prepare("PRAGMA table_info(" + quoteIdentifier(table) + ")");
        while (sqlite3_step(st) == SQLITE_ROW) out.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
        sqlite3_finalize(st);
        return out;
    }

private:
    std::string path_;
    sqlite3* db_ = nullptr;
};

void bindValue(sqlite3_stmt* st, int index, const Value& v) {
    switch (v.kind) {
    case Value::Kind::Null: sqlite3_bind_null(st, index); break;
    case Value::Kind::Text: sqlite3_bind_text(st, index, v.text.c_str(), static_cast<int>(v.text.size()), SQLITE_TRANSIENT); break;
    case Value::Kind::Integer: sqlite3_bind_int64(st, index, v.integer); break;
    case Value::Kind::Real: sqlite3_bind_double(st, index, v.real); break;
    }
}

long long insertRows(Db& db, const std::string& tableName, const Table& t) {
    std::string sql = "INSERT INTO " + quoteIdentifier(tableName) + " (";
    std::string marks;
    for (std::size_t c = 0; c < t.def.columns.size(); ++c) {
        sql += (c ? ", " : "") + quoteIdentifier(t.def.columns[c].name);
        marks += c ? ", ?" : "?";
    }
    sql += ") VALUES (" + marks + ")";
    sqlite3_stmt* st = db.prepare(sql);
    long long n = 0;
    try {
        for (const auto& row : t.rows) {
            for (std::size_t c = 0; c < row.size(); ++c) bindValue(st, static_cast<int>(c) + 1, row[c]);
            db.step(st);
            sqlite3_reset(st);
            ++n;
        }
    } catch (...) {
        sqlite3_finalize(st);
        throw;
    }
    sqlite3_finalize(st);
    return n;
}

// The user store is kept in write-ahead-log mode (stored in the file): two
// copies of the program then read while one writes, and the writer never
// waits for readers. A copy of the program that has the store open in the
// old mode keeps the switch from happening now; the next build makes it.
std::string useWriteAheadLog(Db& db) {
    sqlite3_busy_timeout(db.handle(), 200);
    std::string mode;
    try {
        mode = db.text("PRAGMA journal_mode = WAL");
    } catch (const DbFailure&) {
        mode = db.text("PRAGMA journal_mode");
    }
    sqlite3_busy_timeout(db.handle(), 5000);
    for (auto& c : mode) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return mode;
}

// A file next to target that does not exist yet.
std::string temporaryPath(const std::string& target) {
    return target + ".tmp-" + std::to_string(::getpid());
}

void removeQuietly(const std::string& path) {
    std::error_code ec;
    fs::remove(path, ec);
    fs::remove(path + "-journal", ec);
    fs::remove(path + "-wal", ec);
    fs::remove(path + "-shm", ec);
}

void createUserStore(Db& db, const UserSource& src, StoreSummary& summary) {
    for (const auto& t : userLayout()) db.exec(t.createStatement());
    for (const auto& name : userReferenceTables()) summary.rows += insertRows(db, name, src.tables.at(name));
}

void upgradeUserStore(Db& db, const UserSource& src, StoreSummary& summary) {
    auto existing = db.tables();
    for (const auto& def : userLayout()) {
        std::string key = def.name;
        for (auto& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        auto it = existing.find(key);
        if (it == existing.end()) {
            db.exec(def.createStatement());
            summary.tablesAdded.push_back(def.name);
            continue;
        }
        const std::string& stored = it->second;
        const TableUpgrade plan = PlanTableUpgrade(def, db.columns(stored));
        if (plan.kind == TableUpgrade::Kind::Nothing) continue;
        for (const Column* c : plan.missing) summary.columnsAdded.push_back(def.name + "." + c->name);
        if (plan.kind == TableUpgrade::Kind::AddColumns) {
            for (const Column* c : plan.missing)
                db.exec("ALTER TABLE " + quoteIdentifier(stored) + " ADD COLUMN " + quoteIdentifier(c->name) + " " +
                        c->declaredType);
            continue;
        }
        std::string common;
        for (const auto& c : plan.common) common += (common.empty() ? "" : ", ") + quoteIdentifier(c);
        std::string fresh = def.name + "_zorva_new";
        db.exec(def.createStatement(fresh));
        if (!common.empty())
            db.exec("INSERT INTO " + quoteIdentifier(fresh) + " (" + common + ") SELECT " + common + " FROM " +
                    quoteIdentifier(stored));
        db.exec("DROP TABLE " + quoteIdentifier(stored));
        db.exec("ALTER TABLE " + quoteIdentifier(fresh) + " RENAME TO " + quoteIdentifier(def.name));
        summary.tablesRebuilt.push_back(def.name);
    }
    // Reference rows: the program only reads them; the shipped rows replace
    // whatever an older version left.
    for (const auto& name : userReferenceTables()) {
        db.exec("DELETE FROM " + quoteIdentifier(name));
        summary.rows += insertRows(db, name, src.tables.at(name));
    }
}

// Moves a finished temporary file to its place. With keepExisting, an
// existing target is never replaced (a hard link fails when the name is taken).
bool publish(const std::string& tmp, const std::string& target, bool keepExisting, Diagnostics& diags) {
    if (keepExisting) {
        if (::link(tmp.c_str(), target.c_str()) == 0) {
            removeQuietly(tmp);
            return true;
        }
        if (fs::exists(target)) {
            diags.error(target, 0, 0, "the file appeared while it was being created; it was left as it is");
            removeQuietly(tmp);
            return false;
        }
        // A file system without hard links: fall back to renaming.
    }
    std::error_code ec;
    fs::rename(tmp, target, ec);
    if (ec) {
        diags.error(target, 0, 0, "cannot put the new store in place: " + ec.message());
        removeQuietly(tmp);
        return false;
    }
    return true;
}

// Two copies started at the same moment on a store that does not exist yet
// (a first start, a double click twice): one creates it while the other waits
// for it, then finds it made and only brings it up to date. The lock is the
// writers' turnstile beside the store ("<store>-writers", the file the
// database layer's transactions pass through), held for as long as the store
// is being created or brought up to date, at most kSetupWaitMs.
constexpr int kSetupWaitMs = 30000;

class SetupLock {
public:
    explicit SetupLock(const std::string& store) {
        const std::string path = store + "-writers";
        fd_ = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
        if (fd_ < 0) fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) return;  // a folder where no lock can be made: go on without
        const auto start = std::chrono::steady_clock::now();
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) ||
                std::chrono::steady_clock::now() - start > std::chrono::milliseconds(kSetupWaitMs)) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    ~SetupLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    SetupLock(const SetupLock&) = delete;
    SetupLock& operator=(const SetupLock&) = delete;

private:
    int fd_ = -1;
};

} // namespace

bool writeIndustryStore(const IndustrySource& src, const std::string& outPath, Diagnostics& diags,
                        StoreSummary& summary) {
    summary = StoreSummary{};
    std::string tmp = temporaryPath(outPath);
    removeQuietly(tmp);
    try {
        {
            Db db(tmp, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
            db.exec("PRAGMA journal_mode = OFF");  // a failed build is thrown away whole
            db.exec("BEGIN");
            for (const auto& def : industryTables()) db.exec(def.createStatement());
            summary.rows += insertRows(db, kTreeTable, src.tree);
            summary.rows += insertRows(db, kDescriptionTable, src.datasets);
            for (const auto& [name, t] : src.naics) summary.rows += insertRows(db, name, t);
            for (const auto& d : dataSets())
                for (int year : src.years()) {
                    std::string name = ratioTableName(d.volume, d.region, year);
                    auto it = src.ratios.find(name);
                    if (it == src.ratios.end()) continue;
                    db.exec(ratioLayout().createStatement(name));
                    summary.rows += insertRows(db, name, it->second);
                }
            db.exec("COMMIT");
            summary.tables = db.scalar("select count(*) from sqlite_master where type = 'table'");
            db.close();
        }
        summary.created = true;
        return publish(tmp, outPath, false, diags);
    } catch (const std::exception& e) {
        diags.error(outPath, 0, 0, std::string("building the industry data store failed: ") + e.what());
        removeQuietly(tmp);
        return false;
    }
}

bool updateUserStore(const UserSource& src, const std::string& outPath, Diagnostics& diags, StoreSummary& summary) {
    summary = StoreSummary{};
    try {
        SetupLock setup(outPath);
        if (!fs::exists(outPath)) {
            std::string tmp = temporaryPath(outPath);
            removeQuietly(tmp);
            {
                Db db(tmp, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
                db.exec("BEGIN");
                createUserStore(db, src, summary);
                db.exec("COMMIT");
                useWriteAheadLog(db);
                summary.tables = db.scalar("select count(*) from sqlite_master where type = 'table'");
                db.close();
            }
            summary.created = true;
            return publish(tmp, outPath, true, diags);
        }
        Db db(outPath, SQLITE_OPEN_READWRITE);
        // A file that is not a database, or a damaged one, is left exactly as
        // it is: rebuilding tables of a damaged file could lose saved records.
        try {
            db.scalar("select count(*) from sqlite_master");
            const std::string check = db.text("PRAGMA quick_check(1)");
            if (check != "ok") throw DbFailure("damaged: " + check);
        } catch (const DbFailure& e) {
            diags.error(outPath, 0, 0, std::string("not a usable database, left untouched: ") + e.what());
            return false;
        }
        db.exec("BEGIN IMMEDIATE");
        try {
            upgradeUserStore(db, src, summary);
            db.exec("COMMIT");
        } catch (...) {
            try { db.exec("ROLLBACK"); } catch (...) {}
            throw;
        }
        summary.tables = db.scalar("select count(*) from sqlite_master where type = 'table'");
        summary.userRecords = db.scalar("select count(*) from " + quoteIdentifier(kUserRecordsTable));
        summary.journalMode = useWriteAheadLog(db);
        return true;
    } catch (const std::exception& e) {
        diags.error(outPath, 0, 0, std::string("updating the user data store failed: ") + e.what());
        return false;
    }
}

} // namespace zorvadata
