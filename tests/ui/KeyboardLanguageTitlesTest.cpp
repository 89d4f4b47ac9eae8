// The first screens as a keyboard or screen-reader user and a French user
// meet them: choosing a data set without the mouse, why a choice is greyed,
// Qt's own buttons and dialogs in the program's language, exact window
// titles, whole telephone numbers, the report viewer's Return button.
#include "support/ui/ScreensFixture.h"

#include "core/Edition.h"
#include "core/Globals.h"
#include "core/Strings.h"
#include "ui/QtServices.h"
#include "reports/ui/frmReportViewer.h"
#include "ui/StartScreen.h"
#include "ui/frmAbout.h"
#include "ui/frmStart.h"
#include "selection/ui/frmMenu.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTextLayout>
#include <QTimer>
#include <QWindow>

namespace zorva::test {
namespace {

class FirstScreens : public ScreensTest {
protected:
    frmMenu& menu(int language) {
        ShowStartScreen();
        auto& start = frmStart::instance();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&start));
        Click(Child<QPushButton>(&start, language ? "cmdFrancais" : "cmdEnglish"));
        auto& m = frmMenu::instance();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m));
        EXPECT_TRUE(WaitForActivation(m, 0));
        return m;
    }
    QString description(frmMenu& m) { return Child<QPlainTextEdit>(&m, "txtDescription")->toPlainText(); }
    static QString checkedOption(frmMenu& m) {
        for (auto* o : m.findChildren<QRadioButton*>())
            if (o->isChecked()) return o->objectName();
        return {};
    }
};

// The title as the window system gets it: the platform window's title, with
// nothing added by Qt (Qt appends an application display name only when one
// was set, and then applicationDisplayName() no longer follows the name).
void expectExactTitle(QWidget* w, const QString& expected) {
    ASSERT_NE(w->windowHandle(), nullptr);
    EXPECT_EQ(w->windowTitle().toStdString(), expected.toStdString());
    EXPECT_EQ(w->windowHandle()->title().toStdString(), expected.toStdString());
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("probe-name"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName().toStdString(), "probe-name")
        << "a display name is set: the window system shows titles with \" \u2014 \" and that name appended";
    QCoreApplication::setApplicationName(name);
}

TEST_F(FirstScreens, ArrowKeysToggleAndEnterChooseADataSetAsAClickDoes) {
    auto& m = menu(0);
    // Assistive technology's Toggle action describes the choice.
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(m.Option("optVol3"));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a->actionInterface(), nullptr);
    a->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    Settle();
    EXPECT_EQ(description(m), "English description of optVol3");

    // Down from the first option goes through the left box, then the right
    // box, top to bottom, past the greyed choices (Volume 2, Nunavut, Yukon).
    const QStringList readingOrder = {
        "optVol1",         "optVol3",        "optAtlantic", "optNewfoundland",    "optNewBrunswick",
        "optNovaScotia",   "optPEI",         "optQuebec",   "optOntario",         "optPrairies",
        "optManitoba",     "optSaskatchewan", "optAlberta", "optBritishColumbia", "optTerritories",
        "optNWT"};
    m.Option("optVol1")->setFocus();
    m.Option("optVol1")->setChecked(true);
    for (int i = 1; i < readingOrder.size(); ++i) {
        Press(&m, Qt::Key_Down);
        EXPECT_EQ(checkedOption(m), readingOrder[i]);
        EXPECT_EQ(description(m), "English description of " + readingOrder[i]);
    }
    Press(&m, Qt::Key_Up);
    EXPECT_EQ(checkedOption(m), "optTerritories");

    // Enter runs Search with the choice.
    Press(&m, Qt::Key_Return);
    EXPECT_FALSE(m.isVisible());
    EXPECT_EQ(gstrRegion, "TERRITORIES");
}

TEST_F(FirstScreens, AGreyedDataSetSaysWhyInEitherLanguage) {
    auto& m = menu(0);
    for (int language : {0, 1}) {
        if (language) Press(&m, Qt::Key_F3);
        for (const char* name : {"optVol2", "optYukon", "optNunavut"}) {
            EXPECT_EQ(m.Option(name)->toolTip().toStdString(), EditionText(1540, language)) << name;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(m.Option(name));
            EXPECT_EQ(a->text(QAccessible::Description).toStdString(), EditionText(1540, language)) << name;
        }
        EXPECT_TRUE(m.Option("optVol1")->toolTip().isEmpty());
    }
}

TEST_F(FirstScreens, QtsOwnButtonsAndDialogsFollowTheLanguageBackAndForth) {
    // The real message boxes; the other services stay fakes.
    InstallQtServices();
    auto qtMessages = services().messages;
    fakes = InstallFakes();
    services().messages = qtMessages;

    auto& m = menu(0);
    auto exitQuestionButtons = [&] {
        QStringList texts;
        QTimer::singleShot(0, [&] {
            for (int i = 0; i < 100 && !qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); ++i)
                QTest::qWait(20);
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            for (auto* b : box->buttons()) texts << b->text().remove('&');
            box->button(QMessageBox::No)->click();  // No: the menu stays
        });
        Press(&m, Qt::Key_Q, Qt::ControlModifier);
        texts.sort();
        return texts;
    };
    for (int language : {1, 0, 1}) {
        Press(&m, language ? Qt::Key_F3 : Qt::Key_F2);
        EXPECT_EQ(exitQuestionButtons(), language ? QStringList({"Non", "Oui"}) : QStringList({"No", "Yes"}));
        // The print and save dialogs take their texts from Qt's translations.
        EXPECT_EQ(QCoreApplication::translate("QPrintDialog", "Print"), language ? "Imprimer" : "Print");
        EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Save As"), language ? "Enregistrer sous" : "Save As");
        EXPECT_TRUE(m.isVisible());
    }
}

TEST_F(FirstScreens, TitlesAreExactlyTheProgramsTexts) {
    ShowStartScreen();
    auto& start = frmStart::instance();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&start));
    expectExactTitle(&start, "ZORVA - VELMO   2010, 2009 and 2008");
    auto& m = menu(1);
    expectExactTitle(&m, "Velmo pour 2010, 2009 et 2008");
    WhileModal([&] { Press(&m, Qt::Key_P, Qt::ControlModifier); },
               [&](ScreenBase& about) {
                   expectExactTitle(&about, "Au sujet de VELMO");
                   Click(Child<QPushButton>(&about, "cmdReturn"));
               });
    Press(&m, Qt::Key_F2);
    expectExactTitle(&m, "Zorva for 2010, 2009 and 2008");
}

// The title bars as the X window system holds them (_NET_WM_NAME, read with
// xprop), from a copy of this test program on a virtual display.
TEST_F(FirstScreens, TheWindowSystemHoldsExactlyTheseTitles) {
    const QString xvfb = QStandardPaths::findExecutable("xvfb-run");
    const QString xprop = QStandardPaths::findExecutable("xprop");
    if (xvfb.isEmpty() || xprop.isEmpty()) GTEST_SKIP() << "xvfb-run and xprop (x11-utils) are needed";
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    p.setProcessEnvironment(env);
    p.start(xvfb, {"-a", QCoreApplication::applicationFilePath(), "--gtest_also_run_disabled_tests",
                   "--gtest_filter=FirstScreens.DISABLED_TitlesOnTheWindowSystem"});
    ASSERT_TRUE(p.waitForFinished(120000));
    const QString out = p.readAllStandardOutput() + p.readAllStandardError();
    EXPECT_EQ(p.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
}

TEST_F(FirstScreens, DISABLED_TitlesOnTheWindowSystem) {
    auto titleOf = [](QWidget* w) {
        QProcess p;
        p.start(QStandardPaths::findExecutable("xprop"),
                {"-id", QString::number(w->winId()), "-notype", "_NET_WM_NAME"});
        p.waitForFinished(10000);
        // _NET_WM_NAME = "..."
        const QString line = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        const int q = line.indexOf('"');
        return q < 0 ? line : line.mid(q + 1, line.size() - q - 2);
    };
    auto& start = frmStart::instance();
    start.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&start));
    EXPECT_EQ(titleOf(&start).toStdString(), "ZORVA - VELMO   2010, 2009 and 2008");
    gintLanguage = 1;
    auto& m = frmMenu::instance();
    m.Show();
    m.subLoadCaptions();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m));
    Settle();
    EXPECT_EQ(titleOf(&m).toStdString(), "Velmo pour 2010, 2009 et 2008");
}

TEST_F(FirstScreens, EachTelephoneLineOfTheAboutScreenStaysOneLine) {
    auto& m = menu(0);
    for (int language : {0, 1}) {
        if (language) Press(&m, Qt::Key_F3);
        WhileModal([&] { Press(&m, Qt::Key_P, Qt::ControlModifier); },
                   [&](ScreenBase& about) {
                       for (const char* name : {"lblSubjectMatter", "lblTechnical", "lblFax"}) {
                           auto* label = Child<QLabel>(&about, name);
                           const QFontMetrics fm(label->font());
                           EXPECT_LE(fm.horizontalAdvance(label->text()), label->contentsRect().width())
                               << name << " in language " << language;
                           EXPECT_LT(label->height(), 2 * fm.lineSpacing()) << name << " in language " << language;
                       }
                       about.close();
                   });
    }
}

class ViewerScreen : public AppFixture {};

TEST_F(ViewerScreen, ReturnCarriesItsWordAndTheReportFillsTheWindow) {
    gintLanguage = 1;
    bool checked = false;
    QTimer::singleShot(0, [&] {
        for (int i = 0; i < 200 && !qobject_cast<frmReportViewer*>(QApplication::activeModalWidget()); ++i)
            QTest::qWait(20);
        auto* w = qobject_cast<frmReportViewer*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        checked = true;
        auto* back = w->findChild<QPushButton*>("btnBack");
        auto* view = w->findChild<QWidget*>("CRViewer1");
        for (QSize size : {w->size(), QSize(900, 700)}) {
            w->resize(size);
            EXPECT_EQ(back->text(), "Retourner");
            EXPECT_GE(back->width(), back->sizeHint().width()) << "the word is cut";
            EXPECT_EQ(back->x() + back->width(), view->x() + view->width());
            EXPECT_LE(w->height() - (view->y() + view->height()), view->x()) << "an empty strip below the report";
        }
        back->click();
    });
    PrepareAndShowReport(gcnIndustry, gcnUser, "rat", 3, "ALL", 2010, "721", "F", {});
    EXPECT_TRUE(checked);
}

} // namespace
} // namespace zorva::test
