// zorva-cli datasets: the data sets of the catalogue.

#include "commands/Commands.h"

#include "CliCommands.h"
#include "Json.h"

#include "core/Catalogue.h"
#include "core/AppPath.h"
#include "core/Edition.h"
#include "core/Globals.h"
#include "core/modMain.h"

#include <ostream>

namespace zorva::cli {

int cmdDatasets(const Options& o, std::ostream& out) {
    int lang = languageOf(o);
    const Edition& edition = CurrentEdition();
    std::string years = "[";
    for (int slot = 0; slot < kEditionSlots; ++slot) years += (slot ? ", " : "") + std::to_string(edition.Year(slot));
    years += "]";
    for (const DatasetChoice& c : Catalogue()) {
        out << JsonObject()
                   .addString("option", c.option)
                   .add("volume", std::to_string(c.volume))
                   .addString("region", c.region)
                   .addString("table", RatioTableName(c.volume, c.region, CurrentEdition().latest))
                   .addString("naicsTable", std::string(c.option) == "optVol1" ? kNaicsDetailed : kNaicsRaw)
                   .addBool("enabled", ChoiceHasData(gcnIndustry, c))
                   .addString("caption", ChoiceCaption(c, lang))
                   .addString("description", DatasetDescription(gcnIndustry, c.option, lang))
                   .addString("edition", edition.Name())
                   .add("years", years)
                   .addString("industryStore", IndustryStorePath())
                   .str()
            << "\n";
    }
    return kExitOk;
}

} // namespace zorva::cli
