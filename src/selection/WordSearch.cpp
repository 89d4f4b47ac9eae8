#include "selection/WordSearch.h"

#include "core/Strings.h"

#include <QString>

#include <libstemmer.h>

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <tuple>

namespace zorva {

namespace {

// One Snowball stemmer per language, made on first use.
class Stemmer {
public:
    explicit Stemmer(const char* algorithm) : s_(sb_stemmer_new(algorithm, "UTF_8")) {}
    ~Stemmer() {
        if (s_) sb_stemmer_delete(s_);
    }
    Stemmer(const Stemmer&) = delete;
    Stemmer& operator=(const Stemmer&) = delete;
    std::string stem(const std::string& word) {
        if (!s_) return word;
        const sb_symbol* out =
            sb_stemmer_stem(s_, reinterpret_cast<const sb_symbol*>(word.data()), static_cast<int>(word.size()));
        if (!out) return word;
        return std::string(reinterpret_cast<const char*>(out), static_cast<size_t>(sb_stemmer_length(s_)));
    }

private:
    sb_stemmer* s_;
};

Stemmer& stemmerFor(int language) {
    static Stemmer english("english"), french("french");
    return language != 0 ? french : english;
}

// The text's letters folded, with "'" for the typographic apostrophes and
// the ligatures spelt out.
QString folded(const std::string& text) {
    QString s = QString::fromStdString(text).toCaseFolded();
    for (QChar apostrophe : {QChar(0x2019), QChar(0x2018), QChar(0x02BC), QChar(0x00B4), QChar(0x2032)})
        s.replace(apostrophe, QLatin1Char('\''));
    s.replace(QChar(0x0153), QLatin1String("oe"));  // œ (Œ folds to it)
    s.replace(QChar(0x00E6), QLatin1String("ae"));  // æ
    return s;
}

std::string withoutAccents(const std::string& word) {
    const QString d = QString::fromStdString(word).normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(d.size());
    for (QChar c : d)
        if (c.category() != QChar::Mark_NonSpacing) out += c;
    return out.toStdString();
}

// The industries of a data set with the stems of their titles and definitions.
struct Indexed {
    IndustryRow row;
    std::set<std::string> title, definition;
};
using Index = std::vector<Indexed>;

const Index& indexOf(ConnectionHandle& connection, const std::string& dataTable, const std::string& naicsTable,
                     int language) {
    static std::map<std::tuple<std::string, std::string, std::string, int>, Index> cache;
    static std::mutex guard;
    const std::lock_guard<std::mutex> lock(guard);
    auto key = std::make_tuple(connection ? connection->source() : std::string(), dataTable, naicsTable, language);
    auto found = cache.find(key);
    if (found != cache.end()) return found->second;

    std::map<std::string, std::string> definitions;
    auto rs = GetRS(connection,
                    "select NAICS, " + std::string(language != 0 ? "definitionf" : "definitione") + " from " +
                        naicsTable,
                    "read");
    for (const auto& r : rs->Rows())
        if (r.size() > 1 && !r[1].isNull()) definitions[r[0].toString()] = r[1].toString();
    Index index;
    for (IndustryRow& row : IndustryTitleList(connection, dataTable, naicsTable, language)) {
        Indexed entry;
        for (auto& s : WordStems(row.title, language)) entry.title.insert(std::move(s));
        for (auto& s : WordStems(definitions[row.naics], language)) entry.definition.insert(std::move(s));
        entry.row = std::move(row);
        index.push_back(std::move(entry));
    }
    return cache.emplace(std::move(key), std::move(index)).first->second;
}

bool holdsAll(const std::set<std::string>& stems, const std::vector<std::string>& wanted) {
    for (const auto& w : wanted)
        if (!stems.count(w)) return false;
    return true;
}

// Every word in the title or the definition.
bool holdsAll(const Indexed& entry, const std::vector<std::string>& wanted) {
    for (const auto& w : wanted)
        if (!entry.title.count(w) && !entry.definition.count(w)) return false;
    return true;
}

} // namespace

std::vector<std::string> WordStems(const std::string& text, int language) {
    std::vector<std::string> stems;
    const QString s = folded(text);
    QString word;
    auto flush = [&] {
        if (!word.isEmpty()) stems.push_back(withoutAccents(stemmerFor(language).stem(word.toStdString())));
        word.clear();
    };
    for (QChar c : s) {
        if (c.isLetterOrNumber() || c.category() == QChar::Mark_NonSpacing) word += c;
        else flush();
    }
    flush();
    return stems;
}

std::string FoundByText(KeywordHit::Found found, int language) {
    switch (found) {
    case KeywordHit::Found::Title: return {};
    case KeywordHit::Found::WordForm: return Txt(2450, language);
    case KeywordHit::Found::Definition: return Txt(2452, language);
    }
    return {};
}

std::vector<KeywordHit> KeywordSearchAll(ConnectionHandle& connection, const std::string& dataTable,
                                         const std::string& naicsTable, const std::string& word, int language) {
    std::vector<KeywordHit> hits;
    std::set<std::string> listed;
    for (IndustryRow& row : KeywordSearch(connection, dataTable, naicsTable, word, language)) {
        listed.insert(row.naics);
        hits.push_back({std::move(row), KeywordHit::Found::Title});
    }
    std::vector<std::string> wanted;
    for (auto& stem : WordStems(word, language))
        if (QString::fromStdString(stem).size() > 1) wanted.push_back(std::move(stem));
    if (wanted.empty()) return hits;

    const Index& index = indexOf(connection, dataTable, naicsTable, language);
    std::vector<const Indexed*> inDefinitions;
    for (const Indexed& entry : index) {
        if (listed.count(entry.row.naics)) continue;
        if (holdsAll(entry.title, wanted)) {
            listed.insert(entry.row.naics);
            hits.push_back({entry.row, KeywordHit::Found::WordForm});
        } else if (holdsAll(entry, wanted)) {
            inDefinitions.push_back(&entry);
        }
    }
    for (const Indexed* entry : inDefinitions) hits.push_back({entry->row, KeywordHit::Found::Definition});
    return hits;
}

} // namespace zorva
