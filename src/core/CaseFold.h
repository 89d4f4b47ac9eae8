#pragma once
// Names compared without regard to letter case, for all of Unicode: "ACME"
// and "Acme" are one enterprise, and so are "ÉCOLE" and "école"; accents
// still count ("école" is not "ecole"). SQLite's own lower() and NOCASE know
// only the ASCII letters, so the database layer's connections get a function
// of their own:
//
//   foldcase(text)  the text in full case folding (NFC, upper then lower
//                   case, so "ß" and "SS" agree); NULL stays NULL.

#include <string>
#include <string_view>

struct sqlite3;

namespace zorva {

// The folded text (UTF-8 in, UTF-8 out).
std::string FoldCase(std::string_view utf8);
// Installs foldcase(text) on a connection; SQLITE_OK or SQLite's error code.
// Installing it again is harmless.
int RegisterFoldCase(sqlite3* db);

} // namespace zorva
