#include "support/ui/ScreensFixture.h"

#include "core/Edition.h"
#include "core/AppPath.h"
#include "core/Catalogue.h"
#include "core/Globals.h"
#include "core/modMain.h"
#include "selection/ui/frmMenu.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace zorva::test {

namespace {

void exec(sqlite3* db, const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string message = err ? err : "?";
        sqlite3_free(err);
        throw std::runtime_error(message + " in " + sql);
    }
}

sqlite3* open(const std::string& file) {
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) throw std::runtime_error("cannot open " + file);
    return db;
}

void writeFile(const fs::path& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f) throw std::runtime_error("cannot write " + path.string());
    std::fputs(text.c_str(), f);
    std::fclose(f);
}

} // namespace

void AddRatioRows(const std::string& file, const std::string& table, int rows) {
    sqlite3* db = open(file);
    for (int i = 0; i < rows; ++i)
        exec(db, "insert into " + table + " (NAICS, Year) values ('" + std::to_string(1110 + i) + "', 2010)");
    sqlite3_close(db);
}

void MakeIndustryStore(const std::string& file, const Availability& rows) {
    sqlite3* db = open(file);
    exec(db, "create table datadescription (optname text, descriptione text, descriptionf text)");
    // What the search screen reads when the main menu hands over to it.
    exec(db, "create table tblTreeview (NodeKey text, Parent text, sequence integer, IndDescE text, IndDescF text)");
    for (const char* t : {kNaicsDetailed, kNaicsRaw})
        exec(db, std::string("create table ") + t +
                     " (NAICS text, Description text, Description_french text, Parent text, NodeKey text, "
                     "sequence integer, definitione text, definitionf text)");
    for (const auto& choice : Catalogue()) {
        const std::string opt = choice.option;
        exec(db, "insert into datadescription values ('" + opt + "', 'English description of " + opt +
                     "', 'Description française de " + opt + "')");
        auto it = rows.find(opt);
        const int count = it == rows.end() ? 1 : it->second;
        if (count < 0) continue;
        const std::string table = RatioTableName(choice.volume, choice.region, CurrentEdition().latest);
        exec(db, "create table " + table + " (NAICS text, [Year] integer)");
        sqlite3_close(db);
        AddRatioRows(file, table, count);
        db = open(file);
    }
    sqlite3_close(db);
}

Availability ScreensTest::availability() const {
    return {{"optVol2", 0}, {"optYukon", 0}, {"optNunavut", -1}};
}

void ScreensTest::SetUp() {
    ResetGlobals();
    fakes = InstallFakes();
    appDir = MakeTempDir("zorva screens");  // a blank in the path on purpose
    industryFile = appDir + "/ZOR_DATA.mdb";
    MakeIndustryStore(industryFile, availability());
    sqlite3* user = open(appDir + "/myData.mdb");
    exec(user, "create table MyValues (FirmName text)");
    sqlite3_close(user);
    const fs::path dir(appDir);
    writeFile(dir / "hh", "#!/bin/sh\nexit 0\n");
    fs::permissions(dir / "hh", fs::perms::owner_all);
    for (const char* name : {"ZORV_ConceptsHelp_Eng.chm", "ZORV_ConceptsHelp_Fre.chm", "ZORV_Tech_Help_Eng.chm",
                             "ZORV_Tech_Help_Fre.chm"})
        writeFile(dir / name, "help\n");
    SetAppPath(appDir);
    OpenDataStores();
}

void ScreensTest::TearDown() {
    DestroyAllScreens();
    ResetGlobals();
}

} // namespace zorva::test
