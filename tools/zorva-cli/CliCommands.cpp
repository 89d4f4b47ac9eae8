#include "CliCommands.h"

#include "CliOptions.h"
#include "CliUsage.h"
#include "commands/Commands.h"

#include "core/AppPath.h"
#include "core/DBTools.h"
#include "core/Globals.h"
#include "core/Strings.h"
#include "core/modMain.h"

#include <ostream>

namespace zorva::cli {

// ---------------------------------------------------------------- entry

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options o;
    try {
        o = parseArgs(args);
        if (o.command.empty()) {
            if (o.help) {
                out << kUsage;
                return kExitOk;
            }
            throw UsageError("no command given");
        }
        auto allowed = kCommandOptions.find(o.command);
        if (allowed == kCommandOptions.end()) throw UsageError("unknown command: " + o.command);
        if (o.help) {
            out << kCommandHelp.at(o.command);
            return kExitOk;
        }
        for (const auto& kv : o.values)
            if (!allowed->second.count(kv.first)) throw UsageError(o.command + " has no option --" + kv.first);
        gintLanguage = static_cast<std::int16_t>(languageOf(o));

        if (!o.appDir.empty()) SetAppPath(o.appDir);
        if (!o.userStore.empty()) SetUserStorePath(o.userStore);
        if (!o.industryStore.empty()) SetIndustryStorePath(o.industryStore);
        try {
            OpenDataStores();
        } catch (const StartupError& e) {
            err << "zorva-cli: cannot open the data store " << e.file() << "\n" << e.what() << "\n";
            return kExitUsage;
        }

        if (o.command == "datasets") return cmdDatasets(o, out);
        if (o.command == "industries") return cmdIndustries(o, out);
        if (o.command == "compare") return cmdCompare(o, out, err);
        if (o.command == "report") return cmdReport(o, out);
        if (o.command == "import") return cmdImport(o, out);
        if (o.command == "list") return cmdList(o, out);
        if (o.command == "open") return cmdOpen(o, out);
        if (o.command == "store") return cmdStore(out);
        return cmdPrepare(o, out);
    } catch (const UsageError& e) {
        err << "zorva-cli: " << e.what() << "\n";
        bool french = false;
        try {
            french = languageOf(o) == 1;
        } catch (const UsageError&) {
        }
        const char* hint = french ? "Essayez zorva-cli " : "Try zorva-cli ";
        if (o.command.empty() || !kCommandHelp.count(o.command)) err << hint << "--help.\n";
        else err << hint << o.command << " --help.\n";
        return kExitUsage;
    } catch (const DbError& e) {
        if (IsRecoverableError(e)) {
            err << "zorva-cli: " << RecoverableErrorText(e) << "\n";
            return kExitFailed;
        }
        err << "zorva-cli: " << Txt(904) << e.what() << "\n";
        return kExitFailed;
    } catch (const std::exception& e) {
        err << "zorva-cli: " << e.what() << "\n";
        return kExitFailed;
    }
}

} // namespace zorva::cli
