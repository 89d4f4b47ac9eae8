// zorva-cli list: the enterprises saved in the user store.

#include "commands/Commands.h"

#include "CliCommands.h"
#include "Json.h"

#include "core/Globals.h"
#include "enterprise/RecordStore.h"

#include <ostream>

namespace zorva::cli {

int cmdList(const Options& o, std::ostream& out) {
    auto rs = store::ListFirms(gcnUser, languageOf(o));
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        JsonObject line;
        line.addValue("FirmName", rs->Fields(0)).addValue("Year", rs->Fields(1));
        if (gcnUser->isServer()) {
            const auto v = store::CurrentVersion(gcnUser, rs->Fields(0).toString(),
                                                 static_cast<std::int16_t>(rs->Fields(1).toInt()));
            line.addString("SavedBy", v.savedBy).addString("SavedAt", v.savedAt);
        }
        out << line.str() << "\n";
    }
    return kExitOk;
}

} // namespace zorva::cli
