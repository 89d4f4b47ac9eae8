#pragma once
// Translation of the Jet dialect of the program's statements into SQLite.
//
//   delete * from T                        -> DELETE FROM T
//   DELETE T from T where ...              -> DELETE FROM T where ...
//   Update T t, (select ...) D Set t.c = D.c + ' - x'
//                                          -> UPDATE T AS t SET c = D.c || ' - x' FROM (select ...) AS D
//   Update T Set T.c = ...                 -> UPDATE T SET c = ...
//   a + ' text' (a "+" that joins a text)  -> a || ' text'
// Bracketed names, LIKE with "%" and the rest of the statement pass unchanged
// (SQLite reads them as Jet does; LIKE itself is replaced on every connection
// by a match without regard to letter case and accents).
//
// A statement that does not parse is returned unchanged, so SQLite reports
// its own error on it. The translator never throws.
//
// One translator, two targets: JetToPostgres takes the SQLite form and
// changes what PostgreSQL reads otherwise:
//   [Year], "Year"                         -> "year"  (the server store's names
//                                             are in lower case; unquoted
//                                             names fold to it by themselves)
//   ==                                     -> =
// Text literals pass through untouched in both targets: a quote doubled in a
// literal stays doubled, and a backslash stays a plain character (the server
// connection keeps standard_conforming_strings on), so a value that is safe
// to splice for SQLite is safe for PostgreSQL.

#include <string>
#include <string_view>
#include <vector>

namespace zorva {

std::string JetToSQLite(std::string_view jet);
std::string JetToPostgres(std::string_view jet);

// Lexical pieces of a statement, shared with the database layer.
struct SqlToken {
    enum Kind { Space, Word, Bracketed, String, Quoted, Number, Punct };
    Kind kind;
    std::string text;
};
std::vector<SqlToken> TokenizeSql(std::string_view sql);
std::string JoinTokens(const std::vector<SqlToken>& tokens);

// Table of a plain single-table "select ... from T [where ...]" statement, or
// an empty text for anything else (joins, several tables, subqueries, grouping).
std::string SingleTableOfSelect(std::string_view sql);

} // namespace zorva
