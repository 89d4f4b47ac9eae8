#include "support/AppFixture.h"

#include "core/AppPath.h"
#include "core/Globals.h"
#include "core/modMain.h"
#include "support/PgServer.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace zorva::test {

namespace {
struct TempDirs {
    std::vector<fs::path> dirs;
    ~TempDirs() {
        std::error_code ec;
        for (auto& d : dirs) fs::remove_all(d, ec);
    }
};
TempDirs& temps() {
    static TempDirs t;
    return t;
}
} // namespace

std::string BuiltAppDir() { return ZORVA_TEST_APP_DIR; }

std::string MakeTempDir(const std::string& prefix) {
    std::string tmpl = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    char* made = mkdtemp(buf.data());
    if (!made) throw std::runtime_error("cannot create a temporary folder");
    temps().dirs.emplace_back(made);
    return made;
}

int EnvNumber(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && std::atoi(v) > 0 ? std::atoi(v) : fallback;
}

std::string CopyAppFolder() {
    std::string dir = MakeTempDir("zorva-app");
    for (const auto& e : fs::directory_iterator(BuiltAppDir())) {
        std::string ext = e.path().extension().string();
        // The data stores, templates and help; not the programs.
        if (e.is_regular_file() && (ext == ".mdb" || ext == ".rpt" || ext == ".chm" || ext == ".html" || ext == ".css"))
            fs::copy_file(e.path(), fs::path(dir) / e.path().filename(), fs::copy_options::overwrite_existing);
        else if (e.is_directory())
            fs::copy(e.path(), fs::path(dir) / e.path().filename(), fs::copy_options::recursive);
    }
    // A stand-in help viewer: present and executable.
    fs::path hh = fs::path(dir) / "hh";
    if (!fs::exists(hh)) {
        FILE* f = std::fopen(hh.c_str(), "w");
        if (f) {
            std::fputs("#!/bin/sh\nexit 0\n", f);
            std::fclose(f);
        }
        fs::permissions(hh, fs::perms::owner_all);
    }
    return dir;
}

void AppFixture::SetUp() {
    ResetGlobals();
    fakes = InstallFakes();
    appDir = CopyAppFolder();
    SetAppPath(appDir);
    SetUserStorePath("");
    SetIndustryStorePath("");
    // The user store on the office's server instead of the folder's file.
    if (ServerBackend()) SetUserStorePath(NewServerStore());
    OpenDataStores();
}

void ShippedStoresFixture::SetUp() {
    std::error_code ec;
    if (!fs::is_regular_file(BuiltAppDir() + "/ZOR_DATA.mdb", ec))
        GTEST_SKIP() << "the application folder has no data stores";
    AppFixture::SetUp();
}

void AppFixture::TearDown() {
    ResetGlobals();
    SetUserStorePath("");
    SetIndustryStorePath("");
}

} // namespace zorva::test
