// zorva-cli store: which user store is in use.

#include "commands/Commands.h"

#include "CliCommands.h"
#include "Json.h"

#include "core/AppPath.h"
#include "core/DBTools.h"
#include "core/Globals.h"

#include <ostream>

namespace zorva::cli {

int cmdStore(std::ostream& out) {
    auto rs = GetRS(gcnUser, "select count(*) as N from MyValues", "read");
    out << JsonObject()
               .addString("kind", gcnUser->isServer() ? "postgresql" : "file")
               .addString("store", gcnUser->isServer() ? DescribeConnection(gcnUser) : UserStorePath())
               .addValue("records", rs->Fields(0))
               .addBool("encrypted", ConnectionEncrypted(gcnUser))
               .str()
        << "\n";
    return kExitOk;
}

} // namespace zorva::cli
