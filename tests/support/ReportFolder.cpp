#include "support/ReportFolder.h"

#include "core/AppPath.h"
#include "core/Globals.h"
#include "reports/render/ReportSample.h"
#include "reports/render/ReportViewerLogic.h"
#include "support/AppFixture.h"

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace zorva::test {

void ReportFolder::SetUp() {
    ResetGlobals();
    fakes = InstallFakes();
    dir = MakeTempDir("zorva-reports");
    for (const char* t : {"rpt_Ratios.rpt", "rpt_BalanceSheet.rpt", "rpt_Comparison.rpt"})
        fs::copy_file(fs::path(ZORVA_SOURCE_DIR) / "data/templates" / t, fs::path(dir) / t);
    SetAppPath(dir);
    // Empty SQLite files become the two stores.
    for (const char* f : {"myData.mdb", "ZOR_DATA.mdb"}) std::fclose(std::fopen((dir + "/" + f).c_str(), "w"));
    ConnectToFile(user, dir + "/myData.mdb", dir);
    ConnectToFile(industry, dir + "/ZOR_DATA.mdb", dir);
    report::CreateSampleReportTables(user);
    ExecCmdInDB(industry, "CREATE TABLE datadescription (optname TEXT, descriptione TEXT, descriptionf TEXT)");
    ExecCmdInDB(industry, "INSERT INTO datadescription VALUES ('optVol3', 'Illustrative figures for small enterprises.', "
                          "'Chiffres présentés à titre indicatif pour les petites entreprises.')");
}

void ReportFolder::TearDown() {
    report::ResetReportPreparations();
    DisconnectFromDB(user);
    DisconnectFromDB(industry);
    ResetGlobals();
}

bool HavePdfToText() { return std::system("pdftotext -v > /dev/null 2>&1") == 0; }

std::string PdfText(const std::string& pdf) {
    std::string txt = pdf + ".txt";
    std::string cmd = "pdftotext -enc UTF-8 '" + pdf + "' '" + txt + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) return {};
    std::string out;
    if (FILE* f = std::fopen(txt.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
        std::fclose(f);
    }
    return out;
}

} // namespace zorva::test
