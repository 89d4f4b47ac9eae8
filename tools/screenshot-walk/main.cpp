// Walks the start screen, the main menu, the about screen, the industry
// search in each of its four modes, the industry definition window and the
// values screens in English and in French, as a user would (clicks and
// shortcut keys), and saves a picture of each window into a folder. Also reports any caption that does not fit
// its control. Usage:
//   zorva-screenshot-walk <application folder> <output folder> [name suffix]

#include "core/AppPath.h"
#include "core/Services.h"
#include "ui/Navigator.h"
#include "ui/QtServices.h"
#include "ui/ScreenBase.h"
#include "core/modMain.h"
#include "ui/StartScreen.h"
#include "ui/frmAbout.h"
#include "ui/frmStart.h"
#include "selection/ui/frmIndustryDefinitions.h"
#include "selection/ui/frmMenu.h"
#include "selection/ui/frmSearch.h"
#include "reports/ui/frmReportViewer.h"
#include "ValuesWalk.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTableView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QDir>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <iostream>

using namespace zorva;

namespace {

QString gOut;
QString gSuffix;
int gProblems = 0;

void settle(int ms = 150) { QTest::qWait(ms); }

void activate(ScreenBase& w, int before) {
    if (!QTest::qWaitForWindowActive(&w, 3000) || !WaitForActivation(w, before, 3000)) {
        std::cerr << "window did not become active: " << w.objectName().toStdString() << "\n";
        ++gProblems;
    }
    settle();
}

// Controls whose text needs more room than they were given.
void checkFit(QWidget* window, const char* what) {
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || !(qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w))) continue;
        QSize need = w->sizeHint();
        if (auto* l = qobject_cast<QLabel*>(w); l && l->wordWrap()) need = QSize(0, l->heightForWidth(l->width()));
        const QRect onWindow(w->mapTo(window, QPoint(0, 0)), w->size());
        if (w->width() < need.width() || w->height() < need.height() || !window->rect().contains(onWindow)) {
            std::cerr << what << ": " << w->objectName().toStdString() << " is clipped\n";
            ++gProblems;
        }
    }
}

void save(QWidget* window, const QString& name) {
    checkFit(window, name.toUtf8().constData());
    const QString file = gOut + "/" + name + gSuffix + ".png";
    if (!window->grab().save(file)) {
        std::cerr << "cannot write " << file.toStdString() << "\n";
        ++gProblems;
    } else {
        std::cout << file.toStdString() << "\n";
    }
}

void clickOn(QWidget* parent, const char* name) {
    auto* b = parent->findChild<QAbstractButton*>(QString::fromLatin1(name));
    if (!b) {
        std::cerr << "no control " << name << "\n";
        ++gProblems;
        return;
    }
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, b->rect().center());
    settle();
}

// Search without a choice: the message box comes up; once it is closed the
// menu is the active window again, and that was no activation.
void messageBoxCheck(frmMenu& menu) {
    const int before = menu.ActivationCount();
    QTimer::singleShot(300, [] {
        if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    clickOn(&menu, "cmdSearch");
    settle(300);
    if (!menu.isActiveWindow() || menu.ActivationCount() != before) {
        std::cerr << "after a message box the menu is not active, or was activated again\n";
        ++gProblems;
    }
}

void aboutShot(frmMenu& menu, const QString& name) {
    const int before = menu.ActivationCount();
    QTimer::singleShot(0, [name] {
        for (int i = 0; i < 100; ++i) {
            auto* about = ExistingScreen<frmAbout>();
            if (about && about->isActiveWindow() && about->ActivationCount() > 0) {
                settle();
                save(about, name);
                clickOn(about, "cmdReturn");
                return;
            }
            QTest::qWait(30);
        }
        std::cerr << "the about screen did not come up\n";
        ++gProblems;
    });
    QTest::keyClick(&menu, Qt::Key_P, Qt::ControlModifier);
    settle();
    // Back from the about screen: an activation of the menu.
    activate(menu, before);
}

template <class T>
T* child(QWidget* parent, const char* name) {
    auto* w = parent->findChild<T*>(QString::fromLatin1(name));
    if (!w) {
        std::cerr << "no control " << name << "\n";
        ++gProblems;
    }
    return w;
}

void check(bool ok, const char* what) {
    if (!ok) {
        std::cerr << what << "\n";
        ++gProblems;
    }
}

// The report viewer that the button brings up, grabbed, then left.
void reportShot(QWidget* parent, const char* button, const QString& name) {
    check(walk::ViewerShot(save, [&] { clickOn(parent, button); }, name), "the report viewer did not come up");
}

// Main menu, a data set, Search; then each search mode with an industry
// chosen, the definition window and the values screens; back to the menu.
void searchWalk(frmMenu& menu, const QString& lang) {
    clickOn(&menu, "optVol1");
    auto* existing = ExistingScreen<frmSearch>();
    const int before = existing ? existing->ActivationCount() : 0;
    clickOn(&menu, "cmdSearch");
    auto& search = frmSearch::instance();
    activate(search, before);

    // The tree: a sector opened with the keyboard, an industry chosen.
    auto* tree = child<QTreeWidget>(&search, "TreeView1");
    tree->setFocus();
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toString() == "Ind11") tree->setCurrentItem(*it);
    QTest::keyClick(tree, Qt::Key_Right);
    QTest::keyClick(tree, Qt::Key_Down);
    QTest::keyClick(tree, Qt::Key_Down);
    settle();
    check(!search.ChosenNaics().empty(), "the tree chose no industry");
    save(&search, "search-tree-" + lang);

    // Key word.
    clickOn(&search, "optKeyword");
    QTest::keyClicks(child<QLineEdit>(&search, "txtKeyword"), lang == "fr" ? "elevage" : "farming");
    QTest::keyClick(child<QLineEdit>(&search, "txtKeyword"), Qt::Key_Return);
    settle();
    auto* grid = child<QTableView>(&search, "dbgridKeywordResults");
    grid->setFocus(Qt::TabFocusReason);
    QTest::keyClick(grid, Qt::Key_Down);
    settle();
    check(grid->isVisible() && !search.ChosenNaics().empty(), "the key word search chose no industry");
    save(&search, "search-keyword-" + lang);

    // Code list, chosen by typing the code.
    clickOn(&search, "optNAICScode");
    auto* codes = child<QComboBox>(&search, "cboNAICScodes");
    codes->setFocus();
    QTest::keyClicks(codes, "1111");
    settle();
    check(search.ChosenNaics() == "1111", "the code list did not choose 1111");
    save(&search, "search-code-" + lang);

    // The two industry reports of the chosen code, in the viewer.
    clickOn(&search, "optReport");
    clickOn(&search, "optRatios");
    reportShot(&search, "cmdContinue", "viewer-ratios-" + lang);
    clickOn(&search, "optBalanceSheet");
    reportShot(&search, "cmdContinue", "viewer-balancesheet-" + lang);
    clickOn(&search, "optRatios");

    // Title list, chosen with the arrow keys.
    clickOn(&search, "optNAICSTitle");
    auto* titles = child<QComboBox>(&search, "cboNAICSTitle");
    titles->setFocus();
    for (int i = 0; i < 5; ++i) QTest::keyClick(titles, Qt::Key_Down);
    settle();
    check(!search.ChosenNaics().empty(), "the title list chose no industry");
    save(&search, "search-title-" + lang);

    // The definition of the chosen industry, then Back.
    QTest::keyClick(&search, Qt::Key_D, Qt::ControlModifier);
    settle();
    auto* definition = ExistingScreen<frmIndustryDefinitions>();
    if (definition) {
        activate(*definition, 0);
        save(definition, "definition-" + lang);
        const int back = search.ActivationCount();
        clickOn(definition, "cmdContinue");
        activate(search, back);
    } else {
        check(false, "the definition window did not come up");
    }

    // The values screens, from the search screen with an industry chosen.
    zorva::walk::WalkValuesScreens(save, lang);

    // Back to the main menu.
    const int menuBefore = menu.ActivationCount();
    if (search.isVisible()) {
        QTest::keyClick(&search, Qt::Key_R, Qt::ControlModifier);
    } else {
        menu.Show();
    }
    activate(menu, menuBefore);
}

void walkAll() {
    ShowStartScreen();
    auto& start = frmStart::instance();
    activate(start, 0);
    save(&start, "start");

    clickOn(&start, "cmdEnglish");
    auto& menu = frmMenu::instance();
    activate(menu, 0);
    messageBoxCheck(menu);
    clickOn(&menu, "optVol2");
    save(&menu, "menu-en");
    aboutShot(menu, "about-en");
    searchWalk(menu, "en");

    QTest::keyClick(&menu, Qt::Key_F3);
    settle();
    clickOn(&menu, "optNovaScotia");
    save(&menu, "menu-fr");
    aboutShot(menu, "about-fr");
    searchWalk(menu, "fr");

    QApplication::exit(gProblems ? 1 : 0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: zorva-screenshot-walk <application folder> <output folder> [name suffix]\n";
        return 2;
    }
    ZorvaApplication app(argc, argv);
    InstallQtServices();
    InstallScreenNavigator();
    gOut = QString::fromLocal8Bit(argv[2]);
    gSuffix = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    QDir().mkpath(gOut);
    SetAppPath(argv[1]);
    try {
        OpenDataStores();
    } catch (const StartupError& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    QTimer::singleShot(0, walkAll);
    const int rc = app.exec();
    if (gProblems) std::cerr << gProblems << " problem(s)\n";
    return rc;
}
