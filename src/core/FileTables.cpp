#include "core/FileTables.h"

#include "core/DBTools.h"
#include "store/Schema.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifdef ZORVA_HAVE_FREEXL
#include <freexl.h>
#endif

namespace zorva {

namespace {

bool isInteger(const std::string& s) {
    size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i >= s.size() || s.size() > 18) return false;
    return std::all_of(s.begin() + static_cast<long>(i), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Numbers in files always use ".", whatever the process locale is.
bool parseReal(const std::string& s, double* out) {
    const char* b = s.data();
    const char* e = b + s.size();
    if (b != e && *b == '+') ++b;
    double v = 0.0;
    auto res = std::from_chars(b, e, v);
    if (res.ec != std::errc() || res.ptr != e) return false;
    if (out) *out = v;
    return true;
}

bool isReal(const std::string& s) { return !s.empty() && parseReal(s, nullptr); }

void exec(sqlite3* db, const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : "error";
        sqlite3_free(err);
        throw DbError(msg, sql);
    }
}

} // namespace

std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool inQuotes = false, any = false;
    size_t i = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;  // byte order mark
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (inQuotes) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') { field += '"'; ++i; }
                else inQuotes = false;
            } else {
                field += c;
            }
            continue;
        }
        if (c == '"') { inQuotes = true; any = true; }
        else if (c == ',') { row.push_back(field); field.clear(); any = true; }
        else if (c == '\r') { /* ends with the \n that follows */ }
        else if (c == '\n') {
            row.push_back(field);
            field.clear();
            rows.push_back(std::move(row));
            row.clear();
            any = false;
        } else { field += c; any = true; }
    }
    if (any || !field.empty() || !row.empty()) {
        row.push_back(field);
        rows.push_back(std::move(row));
    }
    return rows;
}

void CreateTableFromRows(sqlite3* db, const std::string& name, const std::vector<std::string>& header,
                         const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::string> types(header.size(), "INTEGER");
    for (size_t c = 0; c < header.size(); ++c) {
        bool anyValue = false;
        for (const auto& r : rows) {
            if (c >= r.size() || r[c].empty()) continue;
            anyValue = true;
            if (types[c] == "INTEGER" && !isInteger(r[c])) types[c] = "REAL";
            if (types[c] == "REAL" && !isReal(r[c])) { types[c] = "TEXT"; break; }
        }
        if (!anyValue) types[c] = "TEXT";
    }
    std::string create = "CREATE TABLE " + zorvadata::quoteIdentifier(name) + " (";
    std::string insert = "INSERT INTO " + zorvadata::quoteIdentifier(name) + " VALUES (";
    for (size_t c = 0; c < header.size(); ++c) {
        std::string col = header[c].empty() ? "F" + std::to_string(c + 1) : header[c];
        create += (c ? ", " : "") + zorvadata::quoteIdentifier(col) + " " + types[c];
        insert += c ? ", ?" : "?";
    }
    exec(db, create + ")");
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, (insert + ")").c_str(), -1, &st, nullptr) != SQLITE_OK)
        throw DbError(sqlite3_errmsg(db), insert);
    for (const auto& r : rows) {
        for (size_t c = 0; c < header.size(); ++c) {
            int p = static_cast<int>(c + 1);
            if (c >= r.size() || r[c].empty()) sqlite3_bind_null(st, p);
            else if (types[c] == "INTEGER") sqlite3_bind_int64(st, p, std::strtoll(r[c].c_str(), nullptr, 10));
            else if (types[c] == "REAL") {
                double v = 0.0;
                parseReal(r[c], &v);
                sqlite3_bind_double(st, p, v);
            }
            else sqlite3_bind_text(st, p, r[c].c_str(), static_cast<int>(r[c].size()), SQLITE_TRANSIENT);
        }
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}

void LoadTextFolder(sqlite3* db, const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) throw DbError("'" + folder + "' is not a valid path.", {}, folder);
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        std::string ext = e.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (e.is_regular_file() && (ext == ".txt" || ext == ".csv")) files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    exec(db, "BEGIN");
    for (const auto& f : files) {
        std::ifstream in(f, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        auto rows = ParseCsv(ss.str());
        if (rows.empty()) continue;
        std::vector<std::string> header = rows.front();
        rows.erase(rows.begin());
        std::string name = f.filename().string();
        CreateTableFromRows(db, name, header, rows);
        std::string alias = name;
        std::replace(alias.begin(), alias.end(), '.', '#');
        exec(db, "CREATE VIEW IF NOT EXISTS " + zorvadata::quoteIdentifier(alias) + " AS SELECT * FROM " + zorvadata::quoteIdentifier(name));
    }
    exec(db, "COMMIT");
}

void LoadWorkbook(sqlite3* db, const std::string& file) {
#ifdef ZORVA_HAVE_FREEXL
    const void* handle = nullptr;
    int rc = freexl_open(file.c_str(), &handle);
    if (rc != FREEXL_OK) {
        if (handle) freexl_close(handle);
        throw DbError("The workbook '" + file + "' could not be read (error " + std::to_string(rc) + ").", {}, file);
    }
    unsigned int sheets = 0;
    freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets);
    exec(db, "BEGIN");
    for (unsigned short s = 0; s < sheets; ++s) {
        const char* sheetName = nullptr;
        if (freexl_get_worksheet_name(handle, s, &sheetName) != FREEXL_OK || !sheetName) continue;
        if (freexl_select_active_worksheet(handle, s) != FREEXL_OK) continue;
        unsigned int rowsN = 0;
        unsigned short colsN = 0;
        if (freexl_worksheet_dimensions(handle, &rowsN, &colsN) != FREEXL_OK || rowsN == 0) continue;
        std::vector<std::vector<std::string>> rows(rowsN, std::vector<std::string>(colsN));
        for (unsigned int r = 0; r < rowsN; ++r) {
            for (unsigned short c = 0; c < colsN; ++c) {
                FreeXL_CellValue cell;
                if (freexl_get_cell_value(handle, r, c, &cell) != FREEXL_OK) continue;
                switch (cell.type) {
                case FREEXL_CELL_INT: rows[r][c] = std::to_string(cell.value.int_value); break;
                case FREEXL_CELL_DOUBLE: rows[r][c] = FormatDouble15(cell.value.double_value); break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                case FREEXL_CELL_TIME:
                    rows[r][c] = cell.value.text_value ? cell.value.text_value : "";
                    break;
                default: break;
                }
            }
        }
        std::vector<std::string> header = rows.front();
        rows.erase(rows.begin());
        std::string name = std::string(sheetName) + "$";
        CreateTableFromRows(db, name, header, rows);
        exec(db, "CREATE VIEW IF NOT EXISTS " + zorvadata::quoteIdentifier(sheetName) + " AS SELECT * FROM " + zorvadata::quoteIdentifier(name));
    }
    exec(db, "COMMIT");
    freexl_close(handle);
#else
    throw DbError("Excel workbooks are not supported by this build: " + file, {}, file);
#endif
}

} // namespace zorva
