#include "core/AppPath.h"

#include "core/DBTools.h"

#include <cstdlib>
#include <filesystem>

namespace zorva {

namespace fs = std::filesystem;

namespace {

struct PathState {
    bool resolved = false;
    AppLayout layout;
    std::string userStore;  // set by SetUserStorePath
    std::string industryStore;  // set by SetIndustryStorePath
};

PathState& state() {
    static PathState s;
    return s;
}

std::string executableFolder() {
    std::error_code ec;
    auto exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return fs::current_path().string();
    return exe.parent_path().string();
}

std::string withoutTrailingSeparator(std::string p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

const PathState& resolved() {
    PathState& s = state();
    if (!s.resolved) {
        s.layout = LayoutOfProgramIn(executableFolder());
        s.resolved = true;
    }
    return s;
}

std::string absolute(const std::string& file) {
    std::error_code ec;
    fs::path p = fs::absolute(file, ec);
    return ec ? file : p.lexically_normal().string();
}

std::string environment(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

} // namespace

AppLayout LayoutOfProgramIn(const std::string& exeFolder) {
    AppLayout l;
    const std::string folder = withoutTrailingSeparator(exeFolder);
    l.appFolder = folder;
    l.helperFolder = folder;
    const fs::path bin(folder);
    if (bin.filename() == "bin" && bin.has_parent_path()) {
        const fs::path prefix = bin.parent_path();
        const fs::path share = prefix / "share" / "zorva";
        std::error_code ec;
        // A build's program folder never sits beside share/zorva, so an
        // industry store there means an installed tree.
        if (fs::is_regular_file(share / "ZOR_DATA.mdb", ec) && !fs::exists(bin / "ZOR_DATA.mdb", ec)) {
            l.installed = true;
            l.appFolder = share.string();
            l.helperFolder = (prefix / "lib" / "zorva").string();
        }
    }
    return l;
}

std::string AppPath() { return resolved().layout.appFolder; }

void SetAppPath(const std::string& folder) {
    PathState& s = state();
    const std::string f = withoutTrailingSeparator(folder);
    s.layout = AppLayout{false, f, f};
    s.resolved = true;
}

std::string AppFile(const std::string& name) { return AppPath() + "/" + name; }

bool RunsInstalled() { return resolved().layout.installed; }

std::string HelperProgram(const std::string& name) { return resolved().layout.helperFolder + "/" + name; }

std::string UserDataFolder() {
    std::string base = environment("XDG_DATA_HOME");
    if (base.empty() || base.front() != '/') {
        std::string home = environment("HOME");
        if (home.empty()) home = fs::current_path().string();
        base = withoutTrailingSeparator(home) + "/.local/share";
    }
    return withoutTrailingSeparator(base) + "/zorva";
}

std::string UserStorePath() {
    const PathState& s = resolved();
    if (!s.userStore.empty()) return s.userStore;
    const std::string chosen = environment(kUserStoreVariable);
    if (!chosen.empty()) return IsServerAddress(chosen) ? chosen : absolute(chosen);
    if (s.layout.installed) return UserDataFolder() + "/myData.mdb";
    return AppFile("myData.mdb");
}

void SetUserStorePath(const std::string& file) {
    state().userStore = file.empty() || IsServerAddress(file) ? file : absolute(file);
}

std::string IndustryStorePath() {
    const PathState& s = resolved();
    if (!s.industryStore.empty()) return s.industryStore;
    const std::string chosen = environment(kIndustryStoreVariable);
    if (!chosen.empty()) return absolute(chosen);
    return AppFile("ZOR_DATA.mdb");
}

void SetIndustryStorePath(const std::string& file) { state().industryStore = file.empty() ? file : absolute(file); }

} // namespace zorva
