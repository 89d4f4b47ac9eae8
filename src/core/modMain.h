#pragma once
// Start-up, the failure policy and help launching.

#include <stdexcept>
#include <string>

namespace zorva {

// Start-up could not open a data store. what() is the message for the user
// (in English and French: no language has been chosen yet).
class StartupError : public std::runtime_error {
public:
    StartupError(const std::string& message, std::string file)
        : std::runtime_error(message), file_(std::move(file)) {}
    const std::string& file() const { return file_; }
private:
    std::string file_;
};

inline constexpr const char* kIndustryStore = "ZOR_DATA.mdb";
inline constexpr const char* kUserStore = "myData.mdb";
inline constexpr const char* kHelpViewer = "hh";

// Opens the industry data store (IndustryStorePath(), core/AppPath.h: the
// application folder's unless another edition is chosen) and the user data
// store (UserStorePath()) into gcnIndustry and gcnUser, takes the edition in
// use from the industry store (core/Edition.h) and fixes gstrHelpViewer. A user store outside the
// application folder is created or brought up to date first. A user store on
// a server (a server address, core/DBTools.h) must have been set up with
// zorva-data init-store; it is connected to and checked, never changed.
// Throws StartupError naming the file and what to do.
void OpenDataStores();

// The failure policy: one error box saying what failed (and the file or
// statement), then the program ends.
[[noreturn]] void ReportFatalError(const std::exception& error);
std::string FatalErrorText(const std::exception& error);

// Errors the program survives, with a message in the current language and
// nothing on screen lost: the office's server stopped or dropped the
// connection (the next action connects again), or another adviser held a
// lock for longer than the wait. Everything else follows the failure policy.
bool IsRecoverableError(const std::exception& error);
std::string RecoverableErrorText(const std::exception& error);

// Fills and shows the industry definition window for one NAICS code in the
// current language (through the navigator, core/Navigator.h).
void gsubOpenIndustryDef(const std::string& code);

// Help files of the application folder.
std::string HelpFileName(const std::string& which, int language);  // "Contents" or "Tech"
// Starts the help viewer on the concepts ("Contents") or technical ("Tech")
// help of the current language. The viewer and the file are passed as an
// argument list, never through a shell. A missing viewer or file gives a
// message in the current language; the program goes on. False when nothing
// was started.
bool gsubLaunchHelpFile(const std::string& which);
// Starts the help viewer on one topic of a help file of the application folder.
bool LaunchHelpTopic(const std::string& helpFile, long topic);
// Starts the help viewer on a topic (HelpTopic::k..., core/HelpTopics.h) of the
// concepts ("Contents") or technical ("Tech") help of the current language:
// what a screen's F1 calls. Any other argument: as gsubLaunchHelpFile.
bool gsubLaunchHelpTopic(const std::string& which, long topic);

} // namespace zorva
