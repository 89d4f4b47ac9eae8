// zorva-cli open: one saved enterprise, as the values screen opens it.

#include "commands/Commands.h"

#include "CliCommands.h"
#include "Json.h"

#include "core/Edition.h"
#include "core/Globals.h"
#include "core/Strings.h"
#include "enterprise/NumberText.h"
#include "enterprise/RecordStore.h"
#include "enterprise/ValuesFlow.h"

#include <ostream>

namespace zorva::cli {

int cmdOpen(const Options& o, std::ostream& out) {
    requireOptions(o, {"name", "year"});
    const auto year = ReferenceYear(o.get("year"));
    if (!year) throw UsageError(FillEditionYears("--year must be {E}, {P} or {L}, not ") + o.get("year"));
    const auto record = store::LoadRecord(gcnUser, o.get("name"), *year);
    if (!record) {
        out << JsonObject().addString("FirmName", o.get("name")).add("Year", Json(*year))
                   .addString("error", Txt(store::kMsgNoRecords, languageOf(o))).str()
            << "\n";
        return kExitFailed;
    }
    JsonObject line;
    line.addString("FirmName", (*record)[Field::FirmName]).add("Year", Json(*year));
    for (Field f : ValueFields()) {
        auto n = ParseNumber((*record)[f]);
        line.add(ColumnName(f), n ? NumberJson(*n) : Json((*record)[f]));
    }
    const auto v = store::CurrentVersion(gcnUser, o.get("name"), *year);
    if (!v.savedBy.empty()) line.addString("SavedBy", v.savedBy).addString("SavedAt", v.savedAt);
    out << line.str() << "\n";
    return kExitOk;
}

} // namespace zorva::cli
