// zorva-cli import --values killed half-way through a large file: the store
// holds whole enterprises only (each transaction of the import is stored
// whole or not at all), every line the output named as stored is stored with
// the file's values, and the store holds nothing the file did not give.

#include "support/AppFixture.h"
#include "support/PgServer.h"

#include "core/AppPath.h"
#include "core/DBTools.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>

using namespace zorva;
using namespace zorva::test;

TEST(KilledImport, AnImportKilledHalfWayLeavesWholeEnterprisesAndSaysWhichLinesWereStored) {
    const std::string app = CopyAppFolder();
    const std::string server = ServerBackend() ? NewServerStore() : std::string();
    const int count = EnvNumber("ZORVA_KILLED_IMPORT_ROWS", 12000);
    const std::string csv = app + "/portfolio.csv";
    {
        std::ofstream out(csv, std::ios::binary);
        out << "FirmName,Year,Cash,ShareC,OperatingRevenue\n";
        for (int i = 0; i < count; ++i) out << "Firm " << i << ",2010," << 1000 + i << "," << 1000 + i << ",5000\n";
    }
    QStringList args{"--app-dir", QString::fromStdString(app)};
    if (!server.empty()) args << "--user-store" << QString::fromStdString(server);
    QProcess p;
    p.start(QString::fromStdString(BuiltAppDir() + "/zorva-cli"), args + QStringList{"import", "--values",
                                                                                   QString::fromStdString(csv)});
    ASSERT_TRUE(p.waitForStarted(10000));
    // Killed as soon as the first stored lines are out.
    std::string out;
    while (out.empty() && p.waitForReadyRead(60000)) out += p.readAllStandardOutput().toStdString();
    p.kill();
    p.waitForFinished();
    out += p.readAllStandardOutput().toStdString();
    ASSERT_FALSE(out.empty()) << "nothing was stored before the end";

    // The lines the output names as stored.
    std::map<std::string, long> named;
    const std::regex row(R"re("line":(\d+),"FirmName":"([^"]*)","Year":2010,"status":"saved")re");
    size_t complete = out.rfind('\n');
    ASSERT_NE(complete, std::string::npos);
    std::istringstream lines(out.substr(0, complete));
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        ASSERT_TRUE(std::regex_search(line, m, row)) << line;
        named[m[2]] = std::stol(m[1]);
    }

    ConnectionHandle cn;
    ConnectToFile(cn, server.empty() ? app + "/myData.mdb" : server, "unknown");
    auto rs = GetRS(cn, "select FirmName, Cash, ShareC, OperatingRevenue, Ta from MyValues", "read");
    std::map<std::string, bool> stored;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        const std::string name = rs->Fields(0).toString();
        ASSERT_EQ(name.rfind("Firm ", 0), 0u) << name;
        const int i = std::stoi(name.substr(5));
        // Whole: every value of the row as the file gave it.
        EXPECT_EQ(rs->Fields(1).toDouble(), 1000 + i) << name;
        EXPECT_EQ(rs->Fields(2).toDouble(), 1000 + i) << name;
        EXPECT_EQ(rs->Fields(3).toDouble(), 5000) << name;
        EXPECT_EQ(rs->Fields(4).toDouble(), 1000 + i) << name;
        stored[name] = true;
    }
    for (const auto& [name, line] : named) EXPECT_TRUE(stored.count(name)) << "line " << line << " named but not stored";
    EXPECT_LT(stored.size(), static_cast<size_t>(count)) << "the import was not stopped half-way";
    // Stored a transaction at a time: the first lines of the file, none missing.
    for (size_t i = 0; i < stored.size(); ++i)
        EXPECT_TRUE(stored.count("Firm " + std::to_string(i))) << "Firm " << i << " missing among " << stored.size();
}
