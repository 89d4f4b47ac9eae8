#include "core/Strings.h"

#include "core/Globals.h"

#include <map>
#include <stdexcept>
#include <string_view>

namespace zorva {
extern const char* const kStringTableText;

namespace {

std::string unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            char c = s[i + 1];
            if (c == 'n') { out += '\n'; ++i; continue; }
            if (c == 't') { out += '\t'; ++i; continue; }
            if (c == '\\') { out += '\\'; ++i; continue; }
        }
        out += s[i];
    }
    return out;
}

// Parses "id<TAB>text" lines; '#' lines and blank lines are comments.
std::map<int, std::string> parse(std::string_view text) {
    std::map<int, std::string> table;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos = end + 1;
        if (line.empty() || line.front() == '#') continue;
        size_t tab = line.find('\t');
        if (tab == std::string_view::npos || tab == 0) continue;
        int id = 0;
        bool ok = true;
        for (char c : line.substr(0, tab)) {
            if (c < '0' || c > '9') { ok = false; break; }
            id = id * 10 + (c - '0');
        }
        if (!ok) continue;
        table[id] = unescape(line.substr(tab + 1));
        if (end == text.size()) break;
    }
    return table;
}

const std::map<int, std::string>& table() {
    static const std::map<int, std::string> t = parse(kStringTableText);
    return t;
}

} // namespace

const std::string& LoadResString(int id) {
    auto it = table().find(id);
    if (it == table().end()) throw std::out_of_range("string id " + std::to_string(id) + " is missing");
    return it->second;
}

bool HasResString(int id) { return table().count(id) != 0; }

const std::string& Txt(int englishId) { return LoadResString(englishId + gintLanguage); }

const std::string& Txt(int englishId, int language) { return LoadResString(englishId + (language != 0 ? 1 : 0)); }

std::vector<int> AllStringIds() {
    std::vector<int> ids;
    for (auto& kv : table()) ids.push_back(kv.first);
    return ids;
}

} // namespace zorva
