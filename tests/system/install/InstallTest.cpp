// The program installed like a desktop program: where the user store lives
// (chosen file, environment variable, user's data folder, application
// folder), how a store kept outside the application folder is made and
// brought up to date, and an installed tree started with an empty home.

#include "core/AppPath.h"
#include "core/DBTools.h"
#include "core/Globals.h"
#include "core/Strings.h"
#include "core/modMain.h"
#include "reports/render/ReportViewerLogic.h"
#include "ui/frmAbout.h"
#include "support/AppFixture.h"
#include "support/PgServer.h"

#include <QLabel>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

using namespace zorva;
using namespace zorva::test;
namespace fs = std::filesystem;

namespace {

// Sets or clears an environment variable for the length of a scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* v = std::getenv(name)) old_ = v;
        if (value) ::setenv(name, value->c_str(), 1);
        else ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_) ::setenv(name_, old_->c_str(), 1);
        else ::unsetenv(name_);
    }
private:
    const char* name_;
    std::optional<std::string> old_;
};

long long Scalar(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    long long v = -1;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            v = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return v;
}

bool Exec(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
              sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

void Touch(const fs::path& p) {
    fs::create_directories(p.parent_path());
    std::ofstream(p) << "x";
}

class ChosenStore : public AppFixture {
protected:
    void TearDown() override {
        SetUserStorePath("");
        AppFixture::TearDown();
    }
};

} // namespace

TEST(UserStoreLocation, OptionBeforeVariableBeforeDataFolderOrApplicationFolder) {
    const std::string app = MakeTempDir("zorva-loc");
    SetAppPath(app);
    struct Case {
        std::optional<std::string> option, variable;
        std::string expected;
    } cases[] = {
        {std::nullopt, std::nullopt, app + "/myData.mdb"},
        {std::nullopt, "/clients/acme/myData.mdb", "/clients/acme/myData.mdb"},
        {"/clients/bolt/myData.mdb", "/clients/acme/myData.mdb", "/clients/bolt/myData.mdb"},
        {"rel/../b.mdb", std::nullopt, (fs::current_path() / "b.mdb").string()},
    };
    for (const auto& c : cases) {
        ScopedEnv env(kUserStoreVariable, c.variable);
        SetUserStorePath(c.option.value_or(""));
        EXPECT_EQ(UserStorePath(), c.expected) << c.option.value_or("-") << " / " << c.variable.value_or("-");
    }
    SetUserStorePath("");

    struct Folder {
        std::optional<std::string> xdg;
        std::string expected;
    } folders[] = {
        {std::nullopt, "/home/ann/.local/share/zorva"},
        {"/data/ann", "/data/ann/zorva"},
        {"relative/path", "/home/ann/.local/share/zorva"},  // not absolute: ignored
    };
    ScopedEnv home("HOME", std::string("/home/ann"));
    for (const auto& f : folders) {
        ScopedEnv xdg("XDG_DATA_HOME", f.xdg);
        EXPECT_EQ(UserDataFolder(), f.expected) << f.xdg.value_or("-");
    }

    // Which tree a program file sits in.
    const fs::path root = MakeTempDir("zorva-tree");
    Touch(root / "usr/share/zorva/ZOR_DATA.mdb");
    Touch(root / "opt/bin/zorva");
    Touch(root / "copied/bin/ZOR_DATA.mdb");  // a build's folder copied to a "bin"
    Touch(root / "copied/share/zorva/ZOR_DATA.mdb");
    struct Tree {
        std::string exeFolder;
        bool installed;
        std::string app, helpers;
    } trees[] = {
        {"usr/bin", true, "usr/share/zorva", "usr/lib/zorva"},
        {"usr/bin/", true, "usr/share/zorva", "usr/lib/zorva"},
        {"opt/bin", false, "opt/bin", "opt/bin"},
        {"copied/bin", false, "copied/bin", "copied/bin"},
    };
    for (const auto& t : trees) {
        const AppLayout l = LayoutOfProgramIn((root / t.exeFolder).string());
        EXPECT_EQ(l.installed, t.installed) << t.exeFolder;
        EXPECT_EQ(l.appFolder, (root / t.app).string()) << t.exeFolder;
        EXPECT_EQ(l.helperFolder, (root / t.helpers).string()) << t.exeFolder;
    }
}

TEST_F(ChosenStore, IsMadeOnFirstStartAndAnOlderOneGainsWhatItLacksKeepingSavedEnterprises) {
    const std::string store = MakeTempDir("zorva-client") + "/acme/files/myData.mdb";
    SetUserStorePath(store);
    OpenDataStores();
    ASSERT_TRUE(gcnUser);
    EXPECT_EQ(gcnUser->source(), store);
    EXPECT_EQ(report::ReportDataLocation(), store);  // the reports read the same store
    EXPECT_GT(Scalar(store, "select count(*) from Rpt_Ratios_Titles_Source"), 0);
    EXPECT_EQ(Scalar(store, "select count(*) from MyValues"), 0);

    // An older store: one saved enterprise, a report table and a column missing.
    DisconnectFromDB(gcnUser);
    DisconnectFromDB(gcnIndustry);
    ASSERT_TRUE(Exec(store, "insert into MyValues (FirmName, Year, NAICS, Cash) values ('Acme', 2010, '1111', 12.5);"
                            "drop table Rpt_Comparison; alter table MyValues drop column Ptfl;"
                            "delete from Volume_Descriptions;"));
    OpenDataStores();
    DisconnectFromDB(gcnUser);
    EXPECT_EQ(Scalar(store, "select count(*) from MyValues where FirmName = 'Acme' and Cash = 12.5"), 1);
    EXPECT_EQ(Scalar(store, "select count(*) from sqlite_master where name = 'Rpt_Comparison'"), 1);
    EXPECT_EQ(Scalar(store, "select count(*) from pragma_table_info('MyValues') where name = 'Ptfl'"), 1);
    EXPECT_GT(Scalar(store, "select count(*) from Volume_Descriptions"), 0);

    // A store whose folder cannot be made stops start-up with the advice.
    const std::string blocked = MakeTempDir("zorva-blocked");
    Touch(fs::path(blocked) / "file");
    SetUserStorePath(blocked + "/file/myData.mdb");
    try {
        OpenDataStores();
        ADD_FAILURE() << "start-up went on without a user store";
    } catch (const StartupError& e) {
        EXPECT_NE(std::string(e.what()).find(LoadResString(1520)), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(LoadResString(1563)), std::string::npos) << e.what();
    }
}

TEST_F(ChosenStore, TheAboutScreenNamesItInEitherLanguage) {
    const std::string store = MakeTempDir("zorva-client") + "/bolt/myData.mdb";
    SetUserStorePath(store);
    OpenDataStores();
    for (int language : {0, 1}) {
        gintLanguage = static_cast<std::int16_t>(language);
        auto& about = frmAbout::instance();
        about.show();
        QTest::qWait(0);
        about.subLoadCaptions();
        auto* label = about.findChild<QLabel*>("lblUserStore");
        ASSERT_NE(label, nullptr);
        const QString text = label->text();
        EXPECT_TRUE(text.contains(QString::fromStdString(store))) << text.toStdString();
        EXPECT_TRUE(text.startsWith(QString::fromStdString(LoadResString(1560 + language)).trimmed()))
            << text.toStdString();
        EXPECT_TRUE(label->isVisible());
        about.hide();
    }
}

TEST_F(ChosenStore, TheAboutScreenNamesTheOfficesServerButNeverAPassword) {
    std::string why;
    if (!PgAvailable(&why)) GTEST_SKIP() << why;
    const std::string address = NewServerStore();
    const auto at = address.find('@');
    SetUserStorePath("postgresql://zorva:s3cret" + address.substr(at));
    OpenDataStores();
    for (int language : {0, 1}) {
        gintLanguage = static_cast<std::int16_t>(language);
        auto& about = frmAbout::instance();
        about.show();
        QTest::qWait(0);
        about.subLoadCaptions();
        const QString text = about.findChild<QLabel*>("lblUserStore")->text();
        EXPECT_TRUE(text.startsWith(QString::fromStdString(LoadResString(2300 + language)).trimmed()))
            << text.toStdString();
        EXPECT_TRUE(text.contains("PostgreSQL")) << text.toStdString();
        EXPECT_TRUE(text.contains(QString::fromStdString(address.substr(address.rfind('/'), 8))))
            << text.toStdString();
        EXPECT_FALSE(text.contains("s3cret")) << text.toStdString();
        about.hide();
    }
    SetUserStorePath("");
}

// Installs the build into a temporary root as the package does (prefix
// /usr) and uses it the way a new user of a desktop would.
TEST(InstalledTree, StartsWithAnEmptyHomeMakingItsStoreInTheDataFolderAndPreparesAReport) {
    const QString cmake = QStandardPaths::findExecutable("cmake");
    ASSERT_FALSE(cmake.isEmpty());
    const fs::path root = MakeTempDir("zorva-root");
    const fs::path home = MakeTempDir("zorva-home");

    QProcessEnvironment installEnv = QProcessEnvironment::systemEnvironment();
    installEnv.insert("DESTDIR", QString::fromStdString(root.string()));
    QProcess install;
    install.setProcessEnvironment(installEnv);
    install.start(cmake, {"--install", ZORVA_BINARY_DIR, "--prefix", "/usr"});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();

    const fs::path usr = root / "usr";
    const AppLayout layout = LayoutOfProgramIn((usr / "bin").string());
    ASSERT_TRUE(layout.installed);
    for (const char* f : {"ZOR_DATA.mdb", "rpt_Ratios.rpt", "rpt_BalanceSheet.rpt", "rpt_Comparison.rpt",
                          "ZORV_ConceptsHelp_Eng.chm", "ZORV_ConceptsHelp_Fre.chm", "ZORV_Tech_Help_Eng.chm",
                          "ZORV_Tech_Help_Fre.chm", "user/Rpt_Ratios_Titles_Source.csv"})
        EXPECT_TRUE(fs::is_regular_file(fs::path(layout.appFolder) / f)) << f;
    EXPECT_EQ(fs::status(fs::path(layout.helperFolder) / "hh").permissions() & fs::perms::owner_exec,
              fs::perms::owner_exec);
    EXPECT_FALSE(fs::exists(usr / "share/zorva/myData.mdb"));  // never the developer's saved records

    // What desktops read of it passes their validators.
    auto validate = [](const QString& tool, const QStringList& args) {
        const QString program = QStandardPaths::findExecutable(tool);
        if (program.isEmpty()) return tool.toStdString() + " is missing (tools/install-deps installs it)";
        QProcess p;
        p.start(program, args);
        p.waitForFinished(60000);
        return p.exitCode() == 0 ? std::string() : (p.readAllStandardOutput() + p.readAllStandardError()).toStdString();
    };
    EXPECT_EQ(validate("desktop-file-validate",
                       {QString::fromStdString((usr / "share/applications/org.zorva.Zorva.desktop").string())}),
              "");
    EXPECT_EQ(validate("appstreamcli", {"validate", "--no-net",
                                        QString::fromStdString(
                                            (usr / "share/metainfo/org.zorva.Zorva.metainfo.xml").string())}),
              "");
    EXPECT_TRUE(fs::is_regular_file(usr / "share/icons/hicolor/scalable/apps/zorva.svg"));
    EXPECT_TRUE(fs::is_regular_file(usr / "share/icons/hicolor/48x48/apps/zorva.png"));
    EXPECT_TRUE(fs::is_regular_file(usr / "share/man/man1/zorva-cli.1.gz"));

    // The program, with an empty home folder and no display.
    QProcessEnvironment env;
    env.insert("HOME", QString::fromStdString(home.string()));
    env.insert("PATH", "/usr/bin:/bin");
    env.insert("LC_ALL", "C.UTF-8");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    // Running, its store made and held open (the log's index file exists
    // only while a copy has the store open); then ended.
    auto startAndStop = [&](const QStringList& args, const fs::path& store) {
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QString::fromStdString((usr / "bin/zorva").string()), args);
        ASSERT_TRUE(program.waitForStarted());
        for (int i = 0; i < 300 && !fs::exists(store.string() + "-shm") && program.state() == QProcess::Running; ++i)
            QTest::qWait(100);
        EXPECT_EQ(program.state(), QProcess::Running) << program.readAllStandardError().toStdString();
        EXPECT_TRUE(fs::exists(store.string() + "-shm")) << store;
        program.kill();
        program.waitForFinished();
    };
    const fs::path store = home / ".local/share/zorva/myData.mdb";
    startAndStop({}, store);
    const fs::path chosen = home / "clients/bolt/myData.mdb";
    startAndStop({"--user-store", QString::fromStdString(chosen.string())}, chosen);
    QProcess noFile;
    noFile.start(QString::fromStdString((usr / "bin/zorva").string()), {"--user-store"});
    ASSERT_TRUE(noFile.waitForFinished(60000));
    EXPECT_EQ(noFile.exitCode(), 2);
    EXPECT_TRUE(noFile.readAllStandardError().contains("--user-store FILE"));
    EXPECT_GT(Scalar(store.string(), "select count(*) from Rpt_Comparison_Titles_Source"), 0);

    // A report from the installed command-line tool, on that store.
    QProcess cli;
    cli.setProcessEnvironment(env);
    const std::string pdf = (home / "ratios.pdf").string();
    cli.start(QString::fromStdString((usr / "bin/zorva-cli").string()),
              {"report", "--type", "rat", "--dataset", "optVol1", "--naics", "1111", "--out", QString::fromStdString(pdf)});
    ASSERT_TRUE(cli.waitForFinished(120000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    EXPECT_GT(fs::exists(pdf) ? fs::file_size(pdf) : 0, 1000u);
    EXPECT_GT(Scalar(store.string(), "select count(*) from Rpt_Ratios_Titles"), 0);  // prepared in that store

    // An adviser's client folder named by the variable: made there, not in the data folder.
    const fs::path client = home / "clients/acme/myData.mdb";
    env.insert("ZORVA_USER_STORE", QString::fromStdString(client.string()));
    cli.setProcessEnvironment(env);
    cli.start(QString::fromStdString((usr / "bin/zorva-cli").string()),
              {"prepare", "--type", "bal", "--dataset", "optVol1", "--naics", "1111"});
    ASSERT_TRUE(cli.waitForFinished(120000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    EXPECT_GT(Scalar(client.string(), "select count(*) from Rpt_BalanceSheet_Titles"), 0);
}
