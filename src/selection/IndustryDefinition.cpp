#include "selection/IndustryDefinition.h"

#include <algorithm>

namespace zorva {

namespace {
const std::string kIndent(15, ' ');
constexpr int kBreakColumn = 80;

// Length in bytes of the UTF-8 character that starts with `lead`.
std::size_t CharLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;  // a stray byte counts as one character
}
} // namespace

std::string DefinitionStatement(const std::string& naicsTable) {
    return "select naics, description, description_french, definitione, definitionf from " + naicsTable +
           " where NAICS = ?";
}

std::optional<IndustryDefinition> LookupDefinition(ConnectionHandle& connection, const std::string& naicsTable,
                                                   const std::string& code, int language) {
    auto rs = GetRS(connection, DefinitionStatement(naicsTable), "read", {code});
    if (rs->RecordCount() == 0) return std::nullopt;
    rs->MoveFirst();
    IndustryDefinition found;
    found.heading = code + " - " + rs->Fields(language != 0 ? "description_french" : "description").toString();
    found.definition = rs->Fields(language != 0 ? "definitionf" : "definitione").toString();
    rs->Close();
    return found;
}

std::string PrintBody(const std::string& text) {
    // Character by character, counting columns in characters (not bytes).
    std::string body = kIndent;
    body.reserve(text.size() + text.size() / 4 + kIndent.size());
    int column = 1;
    char previous = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = std::min(CharLength(static_cast<unsigned char>(text[i])), text.size() - i);
        const char c = text[i];
        if (c == '\r') {
            column = 1;
        } else if (column >= kBreakColumn && c == ' ') {
            body += " \r" + kIndent;
            column = 1;
        } else {
            body.append(text, i, length);
            if (i > 0 && previous == '\r') body += kIndent;
            ++column;
        }
        previous = c;
        i += length;
    }
    return body;
}

std::vector<PrinterService::Item> PrintItems(const std::string& heading, const std::string& text) {
    std::vector<PrinterService::Item> items;
    for (int i = 0; i < 4; ++i) items.push_back({" ", 10, false});
    items.push_back({kIndent + heading, 12, true});
    for (int i = 0; i < 3; ++i) items.push_back({" ", 12, true});
    items.push_back({PrintBody(text), 10, false});
    return items;
}

} // namespace zorva
