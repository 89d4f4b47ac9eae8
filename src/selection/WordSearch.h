#pragma once
// The key word search as the search screen and zorva-cli run it: first the
// industries whose title contains the word (the key word statement, in the
// order it returns them: nothing it finds is lost or moved), then the
// industries found through the forms of the words, marked as such:
//   - a title that holds every word of the search in some form ("bakery"
//     finds "Bakeries", "farms" finds "farming", "oeufs" finds "œufs",
//     "d’alimentation" with a typographic apostrophe finds "d'alimentation");
//   - then an industry whose definition holds the words its title lacks
//     (words only the definition holds).
//
// Word forms: letters are case-folded, typographic apostrophes become "'",
// the ligatures œ and æ become oe and ae, the text is cut into words at every
// character that is not a letter or a digit, each word is reduced to its stem
// by the Snowball stemmer of the language (Debian's libstemmer: "english" or
// "french"), and accents are dropped from the stem. Words of one letter (the
// elided "l'", "d'") are left out of a search.
//
// The titles and definitions of a data set are read and reduced once per
// industry store, data set and language, and kept: a search then costs a few
// set lookups per industry.

#include "core/DBTools.h"
#include "selection/IndustrySearch.h"

#include <string>
#include <vector>

namespace zorva {

// The stems of a text's words in a language (0 English, 1 French), in order.
std::vector<std::string> WordStems(const std::string& text, int language);

struct KeywordHit {
    enum class Found { Title, WordForm, Definition };
    IndustryRow row;
    Found found = Found::Title;
};
// The words that mark a hit in a language ("" for a title match).
std::string FoundByText(KeywordHit::Found found, int language);

// Every industry of the data set the word finds, as described above.
std::vector<KeywordHit> KeywordSearchAll(ConnectionHandle& connection, const std::string& dataTable,
                                         const std::string& naicsTable, const std::string& word, int language);

} // namespace zorva
