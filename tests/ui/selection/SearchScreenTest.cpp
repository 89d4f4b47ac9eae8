// The search screen on the shipped industry store, driven through its
// widgets: the four ways to an industry, Continue, the language switch, the
// refresh rules and the definition window.
#include "support/ui/SearchFixture.h"

#include "core/Globals.h"
#include "core/Strings.h"
#include "enterprise/ui/frmMyValues.h"
#include "selection/IndustrySearch.h"
#include "core/modMain.h"
#include "selection/ui/frmIndustryDefinitions.h"
#include "selection/ui/frmMenu.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <algorithm>
#include <set>

namespace zorva::test {
namespace {

template <class T>
T* Find(QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found) ADD_FAILURE() << "no control " << name;
    return found;
}

std::string Text(const QLabel* l) { return l->text().toStdString(); }

// The chosen industry as the bottom strip shows it.
struct Choice {
    std::string sector, codeLabel, title, code;
    bool operator==(const Choice& o) const {
        return sector == o.sector && codeLabel == o.codeLabel && title == o.title && code == o.code;
    }
};
std::ostream& operator<<(std::ostream& os, const Choice& c) {
    return os << "[" << c.sector << " | " << c.codeLabel << " | " << c.title << " | " << c.code << "]";
}
Choice Chosen(frmSearch& s) {
    return {Text(Find<QLabel>(&s, "lblCategory")), Text(Find<QLabel>(&s, "lblNAICSCode")), Find<QPlainTextEdit>(&s, "txtIndName")->toPlainText().toStdString(),
            Text(Find<QLabel>(&s, "lblHiddenNaics"))};
}
const Choice kNothing{};

// Tree nodes by key.
std::map<std::string, QTreeWidgetItem*> Nodes(QTreeWidget* tree) {
    std::map<std::string, QTreeWidgetItem*> nodes;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) nodes[(*it)->data(0, Qt::UserRole).toString().toStdString()] = *it;
    return nodes;
}

void ClickNode(QTreeWidget* tree, QTreeWidgetItem* node, bool twice = false) {
    tree->scrollToItem(node);
    const QPoint at = tree->visualItemRect(node).center();
    // A double click is a click, then the second press as a double click.
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    if (twice) {
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(tree->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
    Settle();
}

void Toggle(QAbstractButton* option) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(option);
    ASSERT_TRUE(a && a->actionInterface());
    a->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    Settle();
}

TEST_F(SearchTest, KeyWordSearchFillsTheGrid) {
    struct Case {
        int language;
        const char* word;
        std::vector<std::string> mustFind;  // codes
        bool everything;                    // every industry of the data set
        const char* codeHeading;
    };
    const Case cases[] = {
        {0, "", {}, true, "NAICS"},
        {0, "MEN'S", {"44811", "44812"}, false, "NAICS"},    // apostrophe, any letter case
        {1, "peche", {"1141"}, false, "SCIAN"},               // "Pêche" without its accent
        {1, "l'agriculture", {"115"}, false, "SCIAN"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        gintLanguage = static_cast<std::int16_t>(c.language);
        auto& s = Enter("optVol2");
        Click(Find<QAbstractButton>(&s, "optKeyword"));
        ASSERT_TRUE(Find<QLineEdit>(&s, "txtKeyword")->hasFocus());
        QTest::keyClicks(Find<QLineEdit>(&s, "txtKeyword"), QString::fromUtf8(c.word));
        Press(Qt::Key_Return);

        auto* grid = Find<QTableView>(&s, "dbgridKeywordResults");
        ASSERT_TRUE(grid->isVisible());
        auto* model = grid->model();
        EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString().toStdString(), c.codeHeading);
        std::set<std::string> codes;
        for (int r = 0; r < model->rowCount(); ++r) codes.insert(model->index(r, 0).data().toString().toStdString());
        for (const auto& code : c.mustFind) EXPECT_TRUE(codes.count(code)) << code;
        if (c.everything) EXPECT_EQ(codes.size(), ReadCodeList(gcnIndustry, gstrDataTable).size());
        EXPECT_EQ(grid->columnWidth(0), 42);
        EXPECT_GE(grid->columnWidth(1), 166);
        EXPECT_NEAR(grid->columnWidth(1), grid->columnWidth(2), 1);
        EXPECT_TRUE(fakes.messages->empty());
    }

    // No match: the message, and the grid stays with the empty result.
    auto& s = frmSearch::instance();
    Find<QLineEdit>(&s, "txtKeyword")->setText("zzqx");
    Click(Find<QAbstractButton>(&s, "cmdKeyword"));
    ASSERT_FALSE(fakes.messages->empty());
    EXPECT_EQ(fakes.messages->last().text, Txt(990, 1));
    EXPECT_TRUE(Find<QTableView>(&s, "dbgridKeywordResults")->isVisible());
    EXPECT_EQ(Find<QTableView>(&s, "dbgridKeywordResults")->model()->rowCount(), 0);
}

TEST_F(SearchTest, TitleWithAnApostropheChosenFromTheList) {
    auto& s = Enter("optVol2");
    Click(Find<QAbstractButton>(&s, "optNAICSTitle"));
    Find<QComboBox>(&s, "cboNAICSTitle")->setFocus();
    QTest::keyClicks(Find<QComboBox>(&s, "cboNAICSTitle"), "Men's");
    Settle();
    EXPECT_EQ(Chosen(s), (Choice{"Sector: Retail trade", "NAICS: 44811", "Men's clothing stores", "44811"}));
    EXPECT_EQ(s.ChosenNaics(), "44811");
}

TEST_F(SearchTest, ChoiceAndCodeLabelFollowTheLanguage) {
    auto& s = Enter("optVol2");
    Click(Find<QAbstractButton>(&s, "optNAICScode"));
    Find<QComboBox>(&s, "cboNAICScodes")->setFocus();
    QTest::keyClicks(Find<QComboBox>(&s, "cboNAICScodes"), "1141");
    Settle();
    const Choice english{"Sector: Agriculture, forestry, fishing and hunting", "NAICS: 1141", "Fishing", "1141"};
    EXPECT_EQ(Chosen(s), english);

    Find<QLineEdit>(&s, "txtKeyword")->setText("word");
    Press(Qt::Key_F3);
    EXPECT_EQ(Chosen(s), (Choice{"Secteur: Agriculture, foresterie, pêche et chasse", "SCIAN: 1141", "Pêche", "1141"}));
    EXPECT_TRUE(s.windowTitle().startsWith("Recherche "));
    EXPECT_EQ(gstrDatasetCaption, frmMenu::instance().Option("optVol2")->text().toStdString());
    EXPECT_TRUE(Find<QLineEdit>(&s, "txtKeyword")->text().isEmpty());
    EXPECT_EQ(Find<QComboBox>(&s, "cboNAICSTitle")->itemText(0).toStdString(),
              ReadTitleList(gcnIndustry, gstrDataTable, gstrNaicsTable, 1).front());
    Press(Qt::Key_F2);
    EXPECT_EQ(Chosen(s), english);
    EXPECT_TRUE(s.windowTitle().startsWith("Search "));
}

TEST_F(SearchTest, TreeHoldsEveryIndustryAndTheFinanceFolderOnlyInVolumeOne) {
    for (const auto& [option, finance] : {std::pair{"optVol1", true}, {"optVol2", false}, {"optNovaScotia", false}}) {
        SCOPED_TRACE(option);
        auto& s = Enter(option);
        const auto nodes = Nodes(Find<QTreeWidget>(&s, "TreeView1"));
        EXPECT_EQ(nodes.count("IndTFINANC"), finance ? 1u : 0u);
        std::set<std::string> leaves;
        for (const auto& [key, node] : nodes)
            if (node->data(0, Qt::UserRole + 1).toBool()) leaves.insert(CodeOfNodeKey(key));
        const auto codes = ReadCodeList(gcnIndustry, gstrDataTable);
        EXPECT_EQ(leaves, std::set<std::string>(codes.begin(), codes.end()));
        EXPECT_EQ(Find<QTreeWidget>(&s, "TreeView1")->topLevelItemCount(), 2);
        Press(Qt::Key_R, Qt::ControlModifier);  // back to the main menu
    }
}

TEST_F(SearchTest, FolderClicksChangeNothingPaperDoubleClickContinues) {
    auto& requests = RecordReports();
    auto& s = Enter("optVol1");
    auto nodes = Nodes(Find<QTreeWidget>(&s, "TreeView1"));
    ClickNode(Find<QTreeWidget>(&s, "TreeView1"), nodes.at("Ind11"), true);  // a folder opens, nothing else
    EXPECT_TRUE(nodes.at("Ind11")->isExpanded());
    EXPECT_EQ(Chosen(s), kNothing);
    ClickNode(Find<QTreeWidget>(&s, "TreeView1"), nodes.at("Ind111"));
    const Choice crops{"Sector: Agriculture, forestry, fishing and hunting", "NAICS: 111", "Crop production", "111"};
    EXPECT_EQ(Chosen(s), crops);
    ClickNode(Find<QTreeWidget>(&s, "TreeView1"), nodes.at("Ind22"));
    ClickNode(Find<QTreeWidget>(&s, "TreeView1"), nodes.at("Ind22"), true);
    EXPECT_EQ(Chosen(s), crops);
    EXPECT_TRUE(requests.empty());
    EXPECT_TRUE(fakes.messages->empty());

    ClickNode(Find<QTreeWidget>(&s, "TreeView1"), nodes.at("Ind1111"), true);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].naics, "1111");
}

TEST_F(SearchTest, ContinueByReportOption) {
    auto& requests = RecordReports();
    struct Case {
        int language;
        std::vector<const char*> clicks;
        const char* report;  // "" when no report is asked for
        const char* message;
    };
    const std::string noRecords = Txt(980, 0);
    const Case cases[] = {
        {0, {"optRatios"}, "rat", nullptr},
        {1, {"optBalanceSheet"}, "bal", nullptr},
        {0, {"optCompareNew", "optBalanceSheet"}, "bal", nullptr},  // a data type means the industry data
        {0, {"optCompareExisting"}, "", noRecords.c_str()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clicks.back());
        requests.clear();
        fakes.messages->shown.clear();
        gintLanguage = static_cast<std::int16_t>(c.language);
        auto& s = Enter("optNovaScotia");
        s.ChooseCode("111");
        for (const char* name : c.clicks) Click(s.findChild<QAbstractButton*>(name));
        Click(Find<QAbstractButton>(&s, "cmdContinue"));
        if (*c.report) {
            ASSERT_EQ(requests.size(), 1u);
            const auto& r = requests[0];
            EXPECT_EQ(r.type, c.report);
            EXPECT_EQ(r.volume, 3);
            EXPECT_EQ(r.province, "NS");
            EXPECT_EQ(r.year, 2010);
            EXPECT_EQ(r.naics, "111");
            EXPECT_EQ(r.language, c.language ? "F" : "E");
        } else {
            EXPECT_TRUE(requests.empty());
        }
        if (c.message) {
            ASSERT_FALSE(fakes.messages->empty());
            EXPECT_EQ(fakes.messages->last().text, c.message);
        } else {
            EXPECT_TRUE(fakes.messages->empty());
        }
        EXPECT_TRUE(s.isVisible());
        Press(Qt::Key_R, Qt::ControlModifier);
    }

    // Nothing chosen: the message, nothing else.
    requests.clear();
    auto& fresh = Enter("optNovaScotia");
    Click(Find<QAbstractButton>(&fresh, "optReport"));
    Click(Find<QAbstractButton>(&fresh, "cmdContinue"));
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(fakes.messages->last().text, Txt(992, 0));

    // Enter new data: the values screen instead of the search screen.
    auto& s = Enter("optNovaScotia");
    s.ChooseCode("111");
    Click(Find<QAbstractButton>(&s, "optCompareNew"));
    Click(Find<QAbstractButton>(&s, "cmdContinue"));
    EXPECT_TRUE(frmMyValues::instance().isVisible());
    EXPECT_FALSE(s.isVisible());
}

TEST_F(SearchTest, ReturnFromAReportKeepsEverythingReturnToTheMenuStartsAfresh) {
    auto& s = Enter("optVol1");
    Click(Find<QAbstractButton>(&s, "optNAICScode"));
    s.ChooseCode("111");
    const Choice before = Chosen(s);
    QString title;
    ReturnFromViewer([&] { Click(Find<QAbstractButton>(&s, "cmdContinue")); }, &title);
    EXPECT_FALSE(title.isEmpty());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&s));
    Settle();
    EXPECT_EQ(Chosen(s), before);
    EXPECT_TRUE(Find<QWidget>(&s, "fraNAICScode")->isVisible());

    Press(Qt::Key_R, Qt::ControlModifier);
    EXPECT_FALSE(s.isVisible());
    auto& again = Enter("optVol1");
    EXPECT_EQ(Chosen(again), kNothing);
    EXPECT_TRUE(Find<QWidget>(&again, "fraTreeView")->isVisible());
    EXPECT_FALSE(Find<QWidget>(&again, "fraNAICScode")->isVisible());

    // Left for the values screen, whose Return to Main Menu keeps the search
    // screen as it was: entering it from the menu with another data set
    // still starts afresh.
    again.ChooseCode("111");
    Click(Find<QAbstractButton>(&again, "optCompareNew"));
    Click(Find<QAbstractButton>(&again, "cmdContinue"));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frmMyValues::instance()));
    Settle();
    Press(Qt::Key_R, Qt::ControlModifier);
    auto& other = Enter("optVol2");
    EXPECT_EQ(Chosen(other), kNothing);
}

TEST_F(SearchTest, DefinitionWindowComesAndGoesWithoutLosingTheChoice) {
    auto& s = Enter("optVol1");
    Press(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(fakes.messages->last().text, Txt(556, 0));
    EXPECT_EQ(ExistingScreen<frmIndustryDefinitions>(), nullptr);

    s.ChooseCode("111");
    const Choice chosen = Chosen(s);
    Press(Qt::Key_D, Qt::ControlModifier);
    auto* def = ExistingScreen<frmIndustryDefinitions>();
    ASSERT_NE(def, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(def));
    EXPECT_EQ(Find<QLabel>(def, "lblNAICS")->text(), "111 - Crop production");
    // Back and forth between the two windows, more than once.
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(Activate(s));
        EXPECT_EQ(Chosen(s), chosen) << "round " << round;
        ASSERT_TRUE(Activate(*def));
    }
    Click(Find<QAbstractButton>(def, "cmdContinue"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Settle();
    EXPECT_EQ(ExistingScreen<frmIndustryDefinitions>(), nullptr);
    EXPECT_EQ(Chosen(s), chosen);
}

TEST_F(SearchTest, DefinitionWindowLanguageAndPrint) {
    auto& s = Enter("optVol1");
    s.ChooseCode("111");
    gsubOpenIndustryDef("111");
    auto* def = ExistingScreen<frmIndustryDefinitions>();
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->windowTitle(), "Industry Definition");
    EXPECT_EQ(Find<QAbstractButton>(def, "cmdPrint")->text(), "Print");
    const QString definition = Find<QPlainTextEdit>(def, "txtDefinition")->toPlainText();
    EXPECT_TRUE(definition.startsWith("Farms whose main activity"));

    // Print what the box holds now, the user's change included.
    Find<QPlainTextEdit>(def, "txtDefinition")->setPlainText("First line.\nSecond line.");
    Click(Find<QAbstractButton>(def, "cmdPrint"));
    ASSERT_EQ(fakes.printer->documents.size(), 1u);
    const auto& items = fakes.printer->documents[0];
    ASSERT_EQ(items.size(), 9u);
    EXPECT_EQ(items[4].text, std::string(15, ' ') + "111 - Crop production");
    EXPECT_TRUE(items[4].bold);
    EXPECT_EQ(items[4].pointSize, 12);
    const std::string indent(15, ' ');
    EXPECT_EQ(items[8].text, indent + "First line.\n" + indent + "Second line.");
    fakes.printer->present = false;
    Click(Find<QAbstractButton>(def, "cmdPrint"));
    EXPECT_EQ(fakes.messages->last().text, Txt(920, 0));
    EXPECT_EQ(fakes.printer->documents.size(), 1u);

    // Closed, then opened anew in French: French captions and text.
    def->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    gintLanguage = 1;
    gsubOpenIndustryDef("111");
    def = ExistingScreen<frmIndustryDefinitions>();
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->windowTitle().toStdString(), Txt(334, 1));
    EXPECT_EQ(Find<QAbstractButton>(def, "cmdContinue")->text().toStdString(), Txt(336, 1));
    EXPECT_EQ(Find<QLabel>(def, "lblNAICS")->text(), "111 - Cultures agricoles");
    // Refilled in place in English: the captions keep the language of creation.
    gintLanguage = 0;
    gsubOpenIndustryDef("1111");
    EXPECT_EQ(ExistingScreen<frmIndustryDefinitions>(), def);
    EXPECT_EQ(Find<QLabel>(def, "lblNAICS")->text(), "1111 - Oilseed and grain farming");
    EXPECT_EQ(Find<QAbstractButton>(def, "cmdPrint")->text().toStdString(), Txt(58, 1));
}

TEST_F(SearchTest, KeyboardAlone) {
    auto& requests = RecordReports();
    auto& s = Enter("optVol1");

    // Tab reaches every control of tree mode, each with a name.
    Find<QAbstractButton>(&s, "optSearchNaics")->setFocus();
    std::vector<std::string> order;
    for (int i = 0; i < 30; ++i) {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        if (!order.empty() && w->objectName().toStdString() == order.front()) break;
        order.push_back(w->objectName().toStdString());
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << order.back();
        Press(Qt::Key_Tab);
    }
    auto at = [&](const char* name) { return std::find(order.begin(), order.end(), name) - order.begin(); };
    for (const char* name : {"TreeView1", "optRatios", "optReport", "txtIndName", "cmdContinue", "btnBack"})
        EXPECT_LT(at(name), static_cast<long>(order.size())) << name << " is not on the Tab chain";
    EXPECT_LT(at("TreeView1"), at("optRatios"));
    EXPECT_LT(at("optReport"), at("cmdContinue"));

    // The tree: arrows to a paper, Enter.
    Find<QTreeWidget>(&s, "TreeView1")->setFocus(Qt::TabFocusReason);
    for (int key : {Qt::Key_Down, Qt::Key_Right, Qt::Key_Down}) Press(key);
    EXPECT_EQ(s.ChosenNaics(), "111");
    Press(Qt::Key_Return);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests.back().naics, "111");

    // The code list, chosen through the accessibility action.
    Toggle(Find<QAbstractButton>(&s, "optNAICScode"));
    ASSERT_TRUE(Find<QComboBox>(&s, "cboNAICScodes")->isVisible());
    Find<QComboBox>(&s, "cboNAICScodes")->setFocus(Qt::TabFocusReason);
    Press(Qt::Key_Down);
    const std::string first = ReadCodeList(gcnIndustry, gstrDataTable).front();
    EXPECT_EQ(s.ChosenNaics(), first);
    Press(Qt::Key_Return);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests.back().naics, first);

    // The key word grid: Enter searches, arrows choose, Enter goes on.
    Toggle(Find<QAbstractButton>(&s, "optKeyword"));
    ASSERT_TRUE(Find<QLineEdit>(&s, "txtKeyword")->hasFocus());
    QTest::keyClicks(Find<QLineEdit>(&s, "txtKeyword"), "farming");
    Press(Qt::Key_Return);
    ASSERT_TRUE(Find<QTableView>(&s, "dbgridKeywordResults")->isVisible());
    Find<QTableView>(&s, "dbgridKeywordResults")->setFocus(Qt::TabFocusReason);
    Press(Qt::Key_Down);
    const std::string second = Find<QTableView>(&s, "dbgridKeywordResults")->model()->index(1, 0).data().toString().toStdString();
    EXPECT_EQ(s.ChosenNaics(), second);
    Press(Qt::Key_Return);
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests.back().naics, second);

    // A data type chosen through the accessibility action means the industry data.
    Click(Find<QAbstractButton>(&s, "optCompareNew"));
    Toggle(Find<QAbstractButton>(&s, "optBalanceSheet"));
    EXPECT_TRUE(Find<QAbstractButton>(&s, "optReport")->isChecked());
}

} // namespace
} // namespace zorva::test
