// zorva-cli industries: the industries of a data set, or those a key word finds.

#include "commands/Commands.h"

#include "CliCommands.h"
#include "Json.h"

#include "core/Globals.h"
#include "selection/IndustrySearch.h"
#include "selection/WordSearch.h"

#include <ostream>

namespace zorva::cli {

int cmdIndustries(const Options& o, std::ostream& out) {
    requireOptions(o, {"dataset"});
    int lang = languageOf(o);
    chooseDataset(datasetOf(o));
    if (o.has("keyword")) {
        // The search screen's results in its order: the titles that contain
        // the word, then those found through word forms and definitions.
        static const char* const kFound[] = {"title", "word form", "definition"};
        for (const auto& hit : KeywordSearchAll(gcnIndustry, gstrDataTable, gstrNaicsTable, o.get("keyword"), lang))
            out << JsonObject()
                       .addString("naics", hit.row.naics)
                       .addString("title", hit.row.title)
                       .addString("sector", hit.row.sector)
                       .addString("found", kFound[static_cast<int>(hit.found)])
                       .str()
                << "\n";
        return kExitOk;
    }
    for (const auto& r : IndustryTitleList(gcnIndustry, gstrDataTable, gstrNaicsTable, lang))
        out << JsonObject().addString("naics", r.naics).addString("title", r.title).addString("sector", r.sector).str()
            << "\n";
    return kExitOk;
}

} // namespace zorva::cli
