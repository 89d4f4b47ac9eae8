#pragma once
// The definition of one industry, as the industry definition window shows and
// prints it. The text comes from the data set's NAICS description table
// (gstrNaicsTable) in the current language; a null definition is an empty text.
//
// The printed page: four blank lines, the heading in bold 12 points indented
// by 15 spaces, three blank lines, then the body in 10 points. The body is the
// definition indented by 15 spaces, every line of it again after a line feed,
// and a line that runs on is broken at the first space from its 80th
// character on (the break is a carriage return followed by 15 spaces).

#include "core/DBTools.h"
#include "core/Services.h"

#include <optional>
#include <string>
#include <vector>

namespace zorva {

// The definition of one industry; its code is bound to the "?".
std::string DefinitionStatement(const std::string& naicsTable);

struct IndustryDefinition {
    std::string heading;     // code + " - " + title in the language
    std::string definition;  // "" when none is stored
};

// The definition of a code in the language; empty when the table has no row for it.
std::optional<IndustryDefinition> LookupDefinition(ConnectionHandle& connection, const std::string& naicsTable,
                                                   const std::string& code, int language);

// The body as it goes to the printer, built from the text of the definition
// box with its line breaks as carriage return + line feed.
std::string PrintBody(const std::string& text);
// The whole printed document, item by item (each item starts a new line).
std::vector<PrinterService::Item> PrintItems(const std::string& heading, const std::string& text);

} // namespace zorva
