#pragma once
// LIKE without regard to letter case and accents, for all of Unicode:
// "É", "é" and "e" match each other, so a key word typed without accents
// finds accented titles. "%" matches any run of characters, "_" one character.

#include <string_view>

struct sqlite3;

namespace zorva {

// Folds a text for comparison: decomposed, combining marks dropped, case-folded.
std::u16string FoldForLike(std::string_view utf8);
bool UnicodeLike(std::string_view pattern, std::string_view text, char32_t escape = 0);
// Installs like(pattern, text) and like(pattern, text, escape) on a connection.
int RegisterUnicodeLike(sqlite3* db);

} // namespace zorva
