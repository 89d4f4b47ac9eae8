#pragma once
// The definitions of the statement's 32 line items, shown when a value label
// of the values screen is clicked: a title and a body per item and language,
// from the string table (ids 1100 to 1227, four per item in column order:
// English title, French title, English body, French body). Paragraphs of a
// body are separated by an empty line.

#include "enterprise/EnterpriseRecord.h"

#include <string>

namespace zorva {

struct LineItemDefinition {
    std::string title;
    std::string body;
};

// The definition of a value field (Cash ... CurrentLiabilities) in a language
// (1 French, anything else English); empty texts for the name, year and NAICS.
LineItemDefinition Definition(Field field, int language);

} // namespace zorva
