#pragma once
// The bilingual string table, compiled into the program from
// src/resources/strings.txt: English at an even id, French at id + 1.

#include <string>
#include <vector>

namespace zorva {

// Text of one id exactly as stored; throws std::out_of_range when the id is
// missing (a fault of the build, caught by the tests).
const std::string& LoadResString(int id);
bool HasResString(int id);
// Text of the even (English) id in the current language: id + gintLanguage.
const std::string& Txt(int englishId);
// Text of the even id in the given language (0 English, 1 French).
const std::string& Txt(int englishId, int language);
// Every id in the table, ascending.
std::vector<int> AllStringIds();

} // namespace zorva
