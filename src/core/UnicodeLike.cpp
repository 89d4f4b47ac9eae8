#include "core/UnicodeLike.h"

#include <QString>
#include <sqlite3.h>

#include <string>

namespace zorva {

namespace {

QString fold(std::string_view utf8) {
    QString s = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()))
                    .normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        auto cat = c.category();
        if (cat == QChar::Mark_NonSpacing || cat == QChar::Mark_SpacingCombining || cat == QChar::Mark_Enclosing)
            continue;
        out.append(c);
    }
    // Upper then lower case applies the full case mappings (ß -> SS -> ss),
    // which simple case folding does not.
    return out.toUpper().toLower();
}

// Iterative wildcard match with backtracking on the last "%".
bool match(const QString& p, const QString& t, QChar esc, bool hasEsc) {
    qsizetype pi = 0, ti = 0, starP = -1, starT = 0;
    while (ti < t.size()) {
        if (pi < p.size()) {
            QChar pc = p[pi];
            if (hasEsc && pc == esc && pi + 1 < p.size()) {
                if (p[pi + 1] == t[ti]) { pi += 2; ++ti; continue; }
            } else if (pc == u'%') {
                starP = pi++;
                starT = ti;
                continue;
            } else if (pc == u'_' || pc == t[ti]) {
                ++pi;
                ++ti;
                continue;
            }
        }
        if (starP < 0) return false;
        pi = starP + 1;
        ti = ++starT;
    }
    while (pi < p.size() && p[pi] == u'%') ++pi;
    return pi == p.size();
}

void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    auto text = [](sqlite3_value* v) {
        const unsigned char* s = sqlite3_value_text(v);
        return std::string_view(reinterpret_cast<const char*>(s ? s : reinterpret_cast<const unsigned char*>("")),
                                static_cast<size_t>(sqlite3_value_bytes(v)));
    };
    QChar esc;
    bool hasEsc = false;
    if (argc == 3) {
        QString e = QString::fromUtf8(text(argv[2]).data(), static_cast<qsizetype>(text(argv[2]).size()));
        if (e.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        esc = e[0];
        hasEsc = true;
    }
    // The folded pattern is kept with the statement between rows.
    auto* folded = static_cast<QString*>(sqlite3_get_auxdata(ctx, 0));
    if (!folded) {
        folded = new QString(fold(text(argv[0])));
        sqlite3_set_auxdata(ctx, 0, folded, [](void* p) { delete static_cast<QString*>(p); });
        folded = static_cast<QString*>(sqlite3_get_auxdata(ctx, 0));
        if (!folded) {  // SQLite may drop auxdata at once; fold again for this row
            QString p = fold(text(argv[0]));
            sqlite3_result_int(ctx, match(p, fold(text(argv[1])), esc, hasEsc) ? 1 : 0);
            return;
        }
    }
    sqlite3_result_int(ctx, match(*folded, fold(text(argv[1])), esc, hasEsc) ? 1 : 0);
}

} // namespace

std::u16string FoldForLike(std::string_view utf8) { return fold(utf8).toStdU16String(); }

bool UnicodeLike(std::string_view pattern, std::string_view text, char32_t escape) {
    QChar esc(static_cast<char16_t>(escape));
    return match(fold(pattern), fold(text), esc, escape != 0);
}

int RegisterUnicodeLike(sqlite3* db) {
    int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    int rc = sqlite3_create_function(db, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_create_function(db, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr);
    return rc;
}

} // namespace zorva
