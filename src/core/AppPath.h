#pragma once
#include <string>

namespace zorva {

// The application folder: the folder that holds the data stores, the report
// templates and the help files, without a trailing separator.
//  - In a build (build/app) it is the folder of the program file.
//  - In an installed tree (PREFIX/bin/zorva beside PREFIX/share/zorva) it is
//    PREFIX/share/zorva; the helper programs are in PREFIX/lib/zorva.
// Tests and the command-line tool may set it; a folder set this way is an
// application folder of a build (everything in it, the user store too).
std::string AppPath();
void SetAppPath(const std::string& folder);
// AppPath() + "/" + name.
std::string AppFile(const std::string& name);

// Where the folders of a program file lead. Pure: looks only at the files
// under exeFolder's parent. installed is true when exeFolder is PREFIX/bin
// and PREFIX/share/zorva holds the industry store.
struct AppLayout {
    bool installed = false;
    std::string appFolder;     // data stores, templates, help
    std::string helperFolder;  // the help viewer
};
AppLayout LayoutOfProgramIn(const std::string& exeFolder);
// The layout of this process (of AppPath() when it was set).
bool RunsInstalled();

// A helper program (the help viewer "hh"): beside the program in a build,
// PREFIX/lib/zorva/NAME when installed.
std::string HelperProgram(const std::string& name);

// The user data store "myData.mdb", in this order of choice:
//  1. the file set by SetUserStorePath (the program's --user-store FILE),
//  2. the file named by the environment variable ZORVA_USER_STORE,
//  3. installed: the user's data folder, $XDG_DATA_HOME/zorva/myData.mdb
//     (default ~/.local/share/zorva/myData.mdb),
//  4. otherwise the application folder's myData.mdb.
// A relative file name is taken from the current folder. A server address
// (IsServerAddress, core/DBTools.h: a postgresql:// URI or service=NAME)
// names the office's store on a PostgreSQL server and is kept as it is.
std::string UserStorePath();
void SetUserStorePath(const std::string& file);  // "" goes back to the default
inline constexpr const char* kUserStoreVariable = "ZORVA_USER_STORE";
// The industry data store, the edition of the benchmarks in use: the file set
// by SetIndustryStorePath (the program's --industry-store FILE), else the file
// named by ZORVA_INDUSTRY_STORE, else the application folder's ZOR_DATA.mdb.
// A relative file name is taken from the current folder.
std::string IndustryStorePath();
void SetIndustryStorePath(const std::string& file);  // "" goes back to the default
inline constexpr const char* kIndustryStoreVariable = "ZORVA_INDUSTRY_STORE";

// The user's data folder for Zorva: $XDG_DATA_HOME/zorva, or
// $HOME/.local/share/zorva when XDG_DATA_HOME is unset or not absolute.
std::string UserDataFolder();

} // namespace zorva
