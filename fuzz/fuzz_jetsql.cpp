// Feeds the statement translator arbitrary text. It must never crash, hang or
// read out of bounds; whatever it returns must be something SQLite can be
// asked to prepare (and refuse cleanly). Its PostgreSQL target must keep every
// text literal of the statement exactly as it was: what is safe to splice for
// one engine is safe for the other.
#include "core/JetSql.h"

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static sqlite3* db = [] {
        sqlite3* d = nullptr;
        sqlite3_open(":memory:", &d);
        sqlite3_exec(d,
                     "CREATE TABLE t (a TEXT, b REAL, c INTEGER);"
                     "CREATE TABLE MyValues (FirmName TEXT, [Year] INTEGER, Cash REAL);",
                     nullptr, nullptr, nullptr);
        return d;
    }();
    std::string in(reinterpret_cast<const char*>(data), size);
    std::string out = zorva::JetToSQLite(in);
    (void)zorva::SingleTableOfSelect(in);
    (void)zorva::JoinTokens(zorva::TokenizeSql(in));
    auto literals = [](const std::string& sql) {
        std::string all;
        for (const auto& t : zorva::TokenizeSql(sql))
            if (t.kind == zorva::SqlToken::String) all += t.text + '\x1f';
        return all;
    };
    if (literals(zorva::JetToPostgres(in)) != literals(out)) __builtin_trap();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, out.c_str(), static_cast<int>(out.size()), &st, nullptr) == SQLITE_OK)
        sqlite3_finalize(st);
    return 0;
}
