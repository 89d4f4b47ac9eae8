#include "core/AppPath.h"

#include <filesystem>
#include <mutex>

namespace zorva {

namespace {
std::string& storedPath() {
    static std::string path;
    return path;
}

std::string executableFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path().string();
    return exe.parent_path().string();
}

std::string withoutTrailingSeparator(std::string p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}
} // namespace

std::string AppPath() {
    if (storedPath().empty()) storedPath() = withoutTrailingSeparator(executableFolder());
    return storedPath();
}

void SetAppPath(const std::string& folder) { storedPath() = withoutTrailingSeparator(folder); }

std::string AppFile(const std::string& name) { return AppPath() + "/" + name; }

} // namespace zorva
