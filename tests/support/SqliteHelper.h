#pragma once
// Plain SQLite access for the data store tests: the stores are checked with
// the statements the program sends, in the SQL that SQLite runs.

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace datatest {

class Sql {
public:
    explicit Sql(const std::string& path, bool readOnly = true) {
        int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
        if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << "cannot open " << path;
            sqlite3_close(db_);
            db_ = nullptr;
        }
    }
    ~Sql() { sqlite3_close(db_); }
    Sql(const Sql&) = delete;
    Sql& operator=(const Sql&) = delete;

    bool ok() const { return db_ != nullptr; }

    // Rows as texts ("<null>" for NULL). A statement that fails is a test failure.
    std::vector<std::vector<std::string>> rows(const std::string& sql, std::vector<std::string>* names = nullptr) {
        std::vector<std::vector<std::string>> out;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sqlite3_errmsg(db_) << "\n  in: " << sql;
            return out;
        }
        if (names) {
            names->clear();
            for (int i = 0; i < sqlite3_column_count(st); ++i) names->push_back(sqlite3_column_name(st, i));
        }
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            std::vector<std::string> r;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const unsigned char* t = sqlite3_column_text(st, i);
                r.push_back(t ? reinterpret_cast<const char*>(t) : "<null>");
            }
            out.push_back(std::move(r));
        }
        if (rc != SQLITE_DONE) ADD_FAILURE() << sqlite3_errmsg(db_) << "\n  in: " << sql;
        sqlite3_finalize(st);
        return out;
    }
    std::string value(const std::string& sql) {
        auto r = rows(sql);
        return r.empty() || r[0].empty() ? std::string("<none>") : r[0][0];
    }
    long long count(const std::string& sql) { return std::stoll(value(sql)); }
    void exec(const std::string& sql) {
        char* err = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
            ADD_FAILURE() << (err ? err : "?") << "\n  in: " << sql;
            sqlite3_free(err);
        }
    }
    // True when the statement can be prepared (its tables and columns exist).
    bool prepares(const std::string& sql) {
        sqlite3_stmt* st = nullptr;
        bool good = sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) == SQLITE_OK;
        sqlite3_finalize(st);
        return good;
    }
    std::vector<std::string> columns(const std::string& table) {
        std::vector<std::string> c;
        for (auto& r : rows("PRAGMA table_info(\"" + table + "\")")) c.push_back(r[1]);
        return c;
    }
    bool hasTable(const std::string& table) {
        return count("select count(*) from sqlite_master where type = 'table' and name = '" + table + "'") == 1;
    }

private:
    sqlite3* db_ = nullptr;
};

// Doubles every single quote, as the program does with typed text.
inline std::string doubledQuotes(const std::string& s) {
    std::string q;
    for (char c : s) q += (c == '\'') ? std::string("''") : std::string(1, c);
    return q;
}

} // namespace datatest
