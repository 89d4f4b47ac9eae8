#include "core/CaseFold.h"

#include <QString>
#include <sqlite3.h>

namespace zorva {

namespace {

QString fold(std::string_view utf8) {
    // Composed first, so that "e" + combining acute and "é" fold alike; upper
    // then lower case applies the full mappings, which simple folding does not.
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()))
        .normalized(QString::NormalizationForm_C)
        .toUpper()
        .toLower();
}

void foldFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* s = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const std::string folded = fold(std::string_view(s ? s : "", static_cast<size_t>(sqlite3_value_bytes(argv[0]))))
                                   .toStdString();
    sqlite3_result_text(ctx, folded.c_str(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
}

} // namespace

std::string FoldCase(std::string_view utf8) { return fold(utf8).toStdString(); }

int RegisterFoldCase(sqlite3* db) {
    return sqlite3_create_function(db, "foldcase", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, foldFunction,
                                   nullptr, nullptr);
}

} // namespace zorva
