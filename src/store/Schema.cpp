#include "store/Schema.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace zorvadata {

// Defined in the file generated from data/schema/*.sql.
extern const char* const kIndustrySchemaSql;
extern const char* const kUserSchemaSql;
extern const char* const kRatioSchemaSql;

bool equalsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string quoteIdentifier(const std::string& name) {
    std::string s = "\"";
    for (char c : name) {
        if (c == '"') s += '"';
        s += c;
    }
    return s + "\"";
}

int TableDef::find(const std::string& column) const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (equalsNoCase(columns[i].name, column)) return static_cast<int>(i);
    return -1;
}

std::string TableDef::createStatement(const std::string& tableName) const {
    std::string s = "CREATE TABLE " + quoteIdentifier(tableName) + " (";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i) s += ", ";
        s += quoteIdentifier(columns[i].name) + " " + columns[i].declaredType;
    }
    return s + ")";
}

const std::string& industrySchemaSql() { static const std::string s = kIndustrySchemaSql; return s; }
const std::string& userSchemaSql() { static const std::string s = kUserSchemaSql; return s; }
const std::string& ratioSchemaSql() { static const std::string s = kRatioSchemaSql; return s; }

static ColumnType typeOf(std::string declared) {
    for (auto& c : declared) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    // SQLite's affinity rules, in their order.
    if (declared.find("INT") != std::string::npos) return ColumnType::Integer;
    if (declared.find("CHAR") != std::string::npos || declared.find("CLOB") != std::string::npos ||
        declared.find("TEXT") != std::string::npos)
        return ColumnType::Text;
    return ColumnType::Real;
}

std::vector<TableDef> tablesOf(const std::string& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(":memory:", &db) != SQLITE_OK) throw std::runtime_error("cannot open an in-memory database");
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : "unknown error";
        sqlite3_free(err);
        sqlite3_close(db);
        throw std::runtime_error("schema error: " + msg);
    }
    std::vector<TableDef> tables;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "select name from sqlite_master where type = 'table' order by rowid", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        TableDef t;
        t.name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        tables.push_back(std::move(t));
    }
    sqlite3_finalize(st);
    for (auto& t : tables) {
        std::string q = "PRAGMA table_info(" + quoteIdentifier(t.name) + ")";
        sqlite3_prepare_v2(db, q.c_str(), -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            Column c;
            c.name = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
            const unsigned char* ty = sqlite3_column_text(st, 2);
            c.declaredType = ty ? reinterpret_cast<const char*>(ty) : "";
            c.type = typeOf(c.declaredType);
            t.columns.push_back(std::move(c));
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return tables;
}

const TableDef& ratioLayout() {
    static const TableDef def = [] {
        auto t = tablesOf(ratioSchemaSql());
        if (t.size() != 1) throw std::runtime_error("ratio.sql must define exactly one table");
        return t.front();
    }();
    return def;
}

const std::vector<TableDef>& industryTables() {
    static const std::vector<TableDef> t = tablesOf(industrySchemaSql());
    return t;
}

const std::vector<TableDef>& userTables() {
    static const std::vector<TableDef> t = tablesOf(userSchemaSql());
    return t;
}

const std::vector<std::string>& reportDataTables() {
    static const std::vector<std::string> t = {"Rpt_Data_CY", "Rpt_Data_CYM1", "Rpt_Data_CYM2"};
    return t;
}

std::vector<TableDef> userLayout() {
    std::vector<TableDef> all = userTables();
    for (const auto& name : reportDataTables()) {
        TableDef t = ratioLayout();
        t.name = name;
        all.push_back(t);
    }
    return all;
}

TableUpgrade PlanTableUpgrade(const TableDef& def, const std::vector<std::string>& have) {
    auto has = [&](const std::string& c) {
        return std::any_of(have.begin(), have.end(), [&](const std::string& h) { return equalsNoCase(h, c); });
    };
    TableUpgrade plan;
    for (const auto& c : def.columns)
        if (has(c.name)) plan.common.push_back(c.name);
        else plan.missing.push_back(&c);
    if (equalsNoCase(def.name, kUserRecordsTable)) {
        plan.kind = plan.missing.empty() ? TableUpgrade::Kind::Nothing : TableUpgrade::Kind::AddColumns;
        return plan;
    }
    bool sameLayout = have.size() == def.columns.size();
    for (std::size_t i = 0; sameLayout && i < have.size(); ++i) sameLayout = equalsNoCase(have[i], def.columns[i].name);
    plan.kind = sameLayout ? TableUpgrade::Kind::Nothing : TableUpgrade::Kind::Relay;
    return plan;
}

const std::vector<std::string>& userReferenceTables() {
    static const std::vector<std::string> t = {"Rpt_Ratios_Titles_Source", "Rpt_BalanceSheet_Titles_Source",
                                               "Rpt_Comparison_Titles_Source", "Volume_Descriptions",
                                               "ProvinceCodes"};
    return t;
}

} // namespace zorvadata
