#pragma once
// The shipped data stores and report templates, copied into a temporary folder
// so that a benchmark never changes the application folder, and the stores
// opened as the program opens them.

#include "core/AppPath.h"
#include "core/DBTools.h"
#include "core/Globals.h"
#include "core/modMain.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace zorva::bench {

// False (with *why) when the application folder has no data stores yet.
inline bool OpenShippedStores(std::string* why) {
    namespace fs = std::filesystem;
    const fs::path app = ZORVA_BENCH_APP_DIR;
    std::error_code ec;
    for (const char* f : {kIndustryStore, kUserStore})
        if (!fs::is_regular_file(app / f, ec)) {
            *why = (app / f).string() + " is missing: build the application folder first";
            return false;
        }
    std::string tmpl = (fs::temp_directory_path() / "zorva-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) {
        *why = "cannot create a temporary folder";
        return false;
    }
    for (const char* f : {kIndustryStore, kUserStore}) fs::copy_file(app / f, fs::path(tmpl) / f, ec);
    for (const auto& e : fs::directory_iterator(app, ec))
        if (e.path().extension() == ".rpt") fs::copy_file(e.path(), fs::path(tmpl) / e.path().filename(), ec);
    SetAppPath(tmpl);
    OpenDataStores();
    return true;
}

// The first industry of a ratio table.
inline std::string FirstIndustry(const std::string& table) {
    auto rs = GetRS(gcnIndustry, "select NAICS from " + table + " order by NAICS", "read");
    return rs->RecordCount() ? rs->Fields(0).toString() : std::string();
}

} // namespace zorva::bench
