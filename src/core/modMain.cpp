#include "core/modMain.h"

#include "core/AppPath.h"
#include "core/DBTools.h"
#include "core/Globals.h"
#include "core/Services.h"
#include "core/Strings.h"

#include <filesystem>

namespace zorva {

namespace {

std::string both(int id) {
    return HasResString(id) ? LoadResString(id) + "\n" + LoadResString(id + 1) : std::string();
}

void openStore(ConnectionHandle& cn, const std::string& name) {
    const std::string path = AppFile(name);
    try {
        ConnectToFile(cn, path, "unknown");
    } catch (const DbError& e) {
        std::string msg = HasResString(900) ? LoadResString(900) + path + "\n" + LoadResString(901) + path
                                             : "A data file is missing or cannot be read: " + path;
        msg += "\n\n" + std::string(e.what());
        if (HasResString(902)) msg += "\n\n" + both(902);
        throw StartupError(msg, path);
    }
}

bool helpFileUsable(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

bool startViewer(const std::vector<std::string>& arguments) {
    std::error_code ec;
    if (gstrHelpViewer.empty() || !std::filesystem::is_regular_file(gstrHelpViewer, ec)) {
        MsgBox(Txt(908) + gstrHelpViewer, MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    std::string error;
    if (!services().processes->start(gstrHelpViewer, arguments, &error)) {
        MsgBox(Txt(908) + gstrHelpViewer + (error.empty() ? "" : "\n\n" + error), MsgButtons::OK,
               MsgIcon::Exclamation);
        return false;
    }
    return true;
}

} // namespace

void OpenDataStores() {
    openStore(gcnIndustry, kIndustryStore);
    openStore(gcnUser, kUserStore);
    gblnKeepValues = false;
    gstrHelpViewer = AppFile(kHelpViewer);
}

std::string FatalErrorText(const std::exception& error) {
    std::string text = (HasResString(904) ? Txt(904) : std::string("A database operation failed: ")) + error.what();
    if (auto* db = dynamic_cast<const DbError*>(&error)) {
        if (!db->statement().empty()) text += "\n\n" + db->statement();
        else if (!db->file().empty() && text.find(db->file()) == std::string::npos) text += "\n\n" + db->file();
    }
    if (HasResString(906)) text += "\n\n" + Txt(906);
    return text;
}

void ReportFatalError(const std::exception& error) {
    MsgBox(FatalErrorText(error), MsgButtons::OK, MsgIcon::Critical);
    EndProgram(1);
}

std::string HelpFileName(const std::string& which, int language) {
    if (which == "Contents") return language != 0 ? "ZORV_ConceptsHelp_Fre.chm" : "ZORV_ConceptsHelp_Eng.chm";
    if (which == "Tech") return language != 0 ? "ZORV_Tech_Help_Fre.chm" : "ZORV_Tech_Help_Eng.chm";
    return {};
}

bool gsubLaunchHelpFile(const std::string& which) {
    std::string name = HelpFileName(which, gintLanguage);
    std::vector<std::string> args;
    if (!name.empty()) {
        std::string file = AppFile(name);
        if (!helpFileUsable(file)) {
            MsgBox(Txt(910) + file, MsgButtons::OK, MsgIcon::Exclamation);
            return false;
        }
        args.push_back(file);
    }
    return startViewer(args);
}

bool LaunchHelpTopic(const std::string& helpFile, long topic) {
    std::string file = AppFile(helpFile);
    if (!helpFileUsable(file)) {
        MsgBox(Txt(910) + file, MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    return startViewer({file, "--topic", std::to_string(topic)});
}

bool gsubLaunchHelpTopic(const std::string& which, long topic) {
    const std::string name = HelpFileName(which, gintLanguage);
    if (name.empty()) return gsubLaunchHelpFile(which);
    return LaunchHelpTopic(name, topic);
}

} // namespace zorva
