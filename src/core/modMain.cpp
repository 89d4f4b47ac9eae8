#include "core/modMain.h"

#include "core/Edition.h"

#include "core/AppPath.h"
#include "core/DBTools.h"
#include "core/Globals.h"
#include "core/Navigator.h"
#include "core/Services.h"
#include "core/Strings.h"
#include "core/UserStoreSetup.h"
#include "store/ServerStore.h"

#include <filesystem>
#include <new>

namespace zorva {

namespace {

std::string both(int id) {
    return HasResString(id) ? LoadResString(id) + "\n" + LoadResString(id + 1) : std::string();
}

// The start-up message: what is wrong with the file, in both languages (no
// language has been chosen yet), the database's own words, what to do.
std::string startupMessage(int headlineId, const std::string& path, const std::string& detail, int adviceId) {
    std::string msg = LoadResString(headlineId) + path + "\n" + LoadResString(headlineId + 1) + path;
    msg += "\n\n" + detail;
    msg += "\n\n" + both(adviceId);
    return msg;
}

// Opens a data store, checks that it is whole and, for the user store, that
// it can be written with its write-ahead log beside it.
void openStore(ConnectionHandle& cn, const std::string& path, bool writable, int writeAdviceId = 1522) {
    try {
        // The file's own checks first, before any connection of this process
        // holds it (they read its header by a descriptor of their own): SQLite
        // opening a damaged file would only call it malformed.
        DisconnectFromDB(cn);
        if (std::filesystem::exists(path)) CheckStoreFile(path);
        ConnectToFile(cn, path, "unknown", writable ? OpenMode::ReadWrite : OpenMode::ReadOnly);
        CheckStoreIntact(cn);
        if (writable) {
            UseWriteAheadLog(cn);
            CheckStoreWritable(cn);
        }
    } catch (const DbError& e) {
        DisconnectFromDB(cn);
        std::error_code ec;
        if (!std::filesystem::exists(path, ec))
            throw StartupError(startupMessage(900, path, e.what(), 902), path);
        if (e.damaged()) throw StartupError(startupMessage(1524, path, e.what(), 1526), path);
        if (writable && e.notWritable()) throw StartupError(startupMessage(1520, path, e.what(), writeAdviceId), path);
        throw StartupError(startupMessage(900, path, e.what(), 902), path);
    }
}

// A user store outside the application folder (the user's data folder of an
// installed program, or one chosen by the user) is made on first use and kept
// up to date from the reference sources shipped in the application folder.
void prepareOutsideStore(const std::string& path) {
    const std::string sources = AppFile(kUserSourceFolder);
    std::error_code ec;
    if (!std::filesystem::is_directory(sources, ec)) return;  // nothing to make it from: opening will say so
    const UserStoreSetup setup = PrepareUserStore(path, sources);
    // An existing store that could not be brought up to date (busy, damaged,
    // read-only) is opened as it is: the checks of openStore say what is wrong.
    if (!setup.problem.empty() && !std::filesystem::exists(path, ec))
        throw StartupError(startupMessage(1520, path, setup.problem, 1562), path);
}

// The office's store on a server: reached, set up, and usable by this user.
void openServerStore(ConnectionHandle& cn, const std::string& address) {
    const std::string shown = zorvadata::addressWithoutPassword(address);
    try {
        ConnectToFile(cn, address, "unknown");
        CheckStoreWritable(cn);
    } catch (const DbError& e) {
        DisconnectFromDB(cn);
        if (e.connectionLost()) throw StartupError(startupMessage(2302, shown, e.what(), 2304), shown);
        throw StartupError(startupMessage(2306, shown, e.what(), 2308), shown);
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
    const std::string industryStore = IndustryStorePath();
    openStore(gcnIndustry, industryStore, false);
    // The edition is the store's: its latest year and the two before it.
    try {
        SetCurrentEdition(ReadEdition(gcnIndustry).value_or(Edition{}));
    } catch (const DbError& e) {
        DisconnectFromDB(gcnIndustry);
        throw StartupError(startupMessage(900, industryStore, e.what(), 902), industryStore);
    }
    const std::string userStore = UserStorePath();
    if (IsServerAddress(userStore)) {
        openServerStore(gcnUser, userStore);
        gstrHelpViewer = HelperProgram(kHelpViewer);
        return;
    }
    const bool outside = userStore != AppFile(kUserStore);
    if (outside) prepareOutsideStore(userStore);
    openStore(gcnUser, userStore, true, outside ? 1562 : 1522);
    gstrHelpViewer = HelperProgram(kHelpViewer);
}

std::string FatalErrorText(const std::exception& error) {
    // Worded by what failed.
    int headline = 1534;  // an operation of the program
    const auto* db = dynamic_cast<const DbError*>(&error);
    if (db && db->damaged()) headline = 1528;
    else if (db && db->notWritable()) headline = 1536;
    else if (db && (db->code() & 0xff) == 5 /* SQLITE_BUSY */) headline = 1538;
    else if (db) headline = 904;
    else if (dynamic_cast<const std::filesystem::filesystem_error*>(&error)) headline = 1530;
    else if (dynamic_cast<const std::bad_alloc*>(&error)) headline = 1532;
    std::string text = Txt(headline);
    if (headline != 1532) text += error.what();
    // Which store, never the statement: a statement quotes what the user
    // typed and means nothing to the person reading the message.
    if (db && !db->file().empty() && text.find(db->file()) == std::string::npos) text += "\n\n" + db->file();
    text += "\n\n" + Txt(906);
    return text;
}

bool IsRecoverableError(const std::exception& error) {
    const auto* db = dynamic_cast<const DbError*>(&error);
    return db && (db->connectionLost() || (db->busy() && !db->sqlState().empty()));
}

std::string RecoverableErrorText(const std::exception& error) {
    const auto* db = dynamic_cast<const DbError*>(&error);
    if (db && db->connectionLost()) return Txt(2310) + error.what() + "\n\n" + Txt(2312);
    return Txt(2314) + std::to_string((ServerLockWaitMs() + 999) / 1000) + Txt(2316) + error.what() + "\n\n" +
           Txt(2318);
}

void ReportFatalError(const std::exception& error) {
    MsgBox(FatalErrorText(error), MsgButtons::OK, MsgIcon::Critical);
    EndProgram(1);
}

void gsubOpenIndustryDef(const std::string& code) { navigator().ShowIndustryDefinition(code); }

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
