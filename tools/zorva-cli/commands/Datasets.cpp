// zorva-cli datasets: the data sets of the catalogue.

#include "commands/Commands.h"

#include "CliCommands.h"
#include "Json.h"

#include "core/Catalogue.h"
#include "core/Globals.h"
#include "core/modMain.h"

#include <ostream>

namespace zorva::cli {

int cmdDatasets(const Options& o, std::ostream& out) {
    int lang = languageOf(o);
    for (const DatasetChoice& c : Catalogue()) {
        out << JsonObject()
                   .addString("option", c.option)
                   .add("volume", std::to_string(c.volume))
                   .addString("region", c.region)
                   .addString("table", RatioTableName(c.volume, c.region, kCurrentYear))
                   .addString("naicsTable", std::string(c.option) == "optVol1" ? kNaicsDetailed : kNaicsRaw)
                   .addBool("enabled", ChoiceHasData(gcnIndustry, c))
                   .addString("caption", ChoiceCaption(c, lang))
                   .addString("description", DatasetDescription(gcnIndustry, c.option, lang))
                   .str()
            << "\n";
    }
    return kExitOk;
}

} // namespace zorva::cli
