#include "ScreensFixture.h"

#include "core/AppPath.h"
#include "core/Catalogue.h"
#include "core/Globals.h"
#include "core/modMain.h"
#include "selection/frmMenu.h"

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
        const std::string table = RatioTableName(choice.volume, choice.region, kCurrentYear);
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

void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

void Click(QAbstractButton* button) {
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
    Settle();
}

void Press(QWidget* window, int key, Qt::KeyboardModifiers modifiers) {
    ASSERT_NE(window, nullptr);
    QWidget* target = QApplication::focusWidget() && QApplication::focusWidget()->window() == window
                          ? QApplication::focusWidget()
                          : window;
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    Settle();
}

void ShowAndActivate(ScreenBase& screen) {
    const int before = screen.ActivationCount();
    screen.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&screen));
    ASSERT_TRUE(WaitForActivation(screen, before));
}

void WhileModal(const std::function<void()>& trigger, const std::function<void(ScreenBase&)>& inspect) {
    bool inspected = false;
    QTimer::singleShot(0, [&] {
        QElapsedTimer timer;
        timer.start();
        ScreenBase* modal = nullptr;
        while (timer.elapsed() < 3000) {
            if (auto* w = qobject_cast<ScreenBase*>(QApplication::activeModalWidget()))
                if (w->isActiveWindow() && w->ActivationCount() > 0) {
                    modal = w;
                    break;
                }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        if (!modal) return;
        inspected = true;
        inspect(*modal);
    });
    trigger();
    Settle();
    EXPECT_TRUE(inspected) << "no modal window came up";
}

std::vector<std::string> ClippedWidgets(QWidget* window) {
    std::vector<std::string> clipped;
    const QRect inside = window->rect();
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window)) continue;
        const bool hasText = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w);
        if (!hasText) continue;
        // What the text needs: a wrapped label its height at its width,
        // anything else its size hint.
        QSize need = w->sizeHint();
        if (auto* label = qobject_cast<QLabel*>(w); label && label->wordWrap())
            need = QSize(0, label->heightForWidth(label->width()));
        const QRect onWindow(w->mapTo(window, QPoint(0, 0)), w->size());
        if (w->width() < need.width() || w->height() < need.height() || !inside.contains(onWindow))
            clipped.push_back(w->objectName().toStdString() + " (" + std::to_string(w->width()) + "x" +
                              std::to_string(w->height()) + " < " + std::to_string(need.width()) + "x" +
                              std::to_string(need.height()) + ")");
    }
    return clipped;
}

} // namespace zorva::test
