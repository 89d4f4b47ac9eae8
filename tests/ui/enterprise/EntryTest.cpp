// Typing a statement into the values screen: the key filter, paste, minus,
// normalisation on leaving a box, the Enter chain and the subtotals.

#include "support/ui/ValuesFixture.h"

#include "core/Strings.h"
#include <QComboBox>
#include <QLabel>
#include <QMenu>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>

using namespace zorva;
using namespace zorva::test;

namespace {

TEST_F(ValuesTest, LeavingABoxWritesItsNumberAndTheTotals) {
    const struct { const char* held; const char* shown; } cases[] = {
        {"0012", "12"}, {"12abc", "12"}, {"-", "0"}, {"", "0"}, {"abc", "0"}, {"1.23456", "1.2346"}};
    for (const auto& c : cases) {
        focus(box(Field::Cash));
        box(Field::Cash)->setText(c.held);
        key(Qt::Key_Tab);
        EXPECT_EQ(box(Field::Cash)->text(), c.shown) << c.held;
        EXPECT_EQ(box(Field::Toa)->text(), c.shown) << "total operating assets after " << c.held;
    }
    EXPECT_TRUE(fakes.messages->empty());
}

TEST_F(ValuesTest, MinusAlwaysMakesTheAmountNegative) {
    const struct { const char* text; int selStart, selLength; const char* result; } cases[] = {
        {"150", 0, 0, "-150"}, {"-150", 0, 0, "-150"}, {"0", 0, 0, "-"}, {"", 0, 0, "-"}, {"1500", 1, 1, "-100"}};
    for (const auto& c : cases) {
        focus(box(Field::Ar));
        box(Field::Ar)->setText(c.text);
        if (c.selLength) box(Field::Ar)->setSelection(c.selStart, c.selLength);
        else box(Field::Ar)->end(false);
        type("-");
        EXPECT_EQ(box(Field::Ar)->text(), c.result) << c.text;
        EXPECT_EQ(QApplication::focusWidget(), box(Field::Ar));
    }
    type("25");
    EXPECT_EQ(box(Field::Ar)->text(), "-10025");
}

TEST_F(ValuesTest, ALetterOrABadPasteIsRefusedAndTheTextKept) {
    QLineEdit* cash = box(Field::Cash);
    focus(cash);
    type("150");
    type("a");
    ASSERT_EQ(fakes.messages->shown.size(), 1u);
    EXPECT_EQ(fakes.messages->last().text, Txt(960));
    EXPECT_EQ(cash->text(), "150");
    EXPECT_EQ(cash->selectedText(), "150");

    // Ctrl+V and Shift+Insert go through the same filter.
    const struct { const char* clip; int key; Qt::KeyboardModifiers mods; const char* result; bool refused; } pastes[] = {
        {"12x", Qt::Key_V, Qt::ControlModifier, "150", true},
        {" 3.5 ", Qt::Key_V, Qt::ControlModifier, "3.5", false},
        {"1,000", Qt::Key_Insert, Qt::ShiftModifier, "3.5", true},
        {"-40", Qt::Key_Insert, Qt::ShiftModifier, "-40", false}};
    for (const auto& p : pastes) {
        const size_t before = fakes.messages->shown.size();
        QGuiApplication::clipboard()->setText(p.clip);
        cash->selectAll();
        key(p.key, p.mods);
        EXPECT_EQ(cash->text(), p.result) << p.clip;
        EXPECT_EQ(fakes.messages->shown.size(), before + (p.refused ? 1 : 0)) << p.clip;
    }

    // The context menu's Paste as well.
    QGuiApplication::clipboard()->setText("7z");
    cash->selectAll();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            if (auto* paste = menu->findChild<QAction*>("edit-paste")) paste->trigger();
            menu->close();
        }
    });
    poll.start(10);
    QContextMenuEvent event(QContextMenuEvent::Keyboard, cash->rect().center(), cash->mapToGlobal(cash->rect().center()));
    QApplication::sendEvent(cash, &event);
    Settle();
    EXPECT_EQ(cash->text(), "-40");
    EXPECT_EQ(fakes.messages->last().text, Txt(960));
}

TEST_F(ValuesTest, EnterMovesAlongTheStatementAndTotals) {
    const struct { Field from, to; } chain[] = {{Field::ProfitAfterTax, Field::AccountsPayable},
                                                  {Field::Ptfl, Field::AccountsPayable},
                                                  {Field::OtherSur, Field::CurrentAssets},
                                                  {Field::Ta, Field::AccountsPayable}};
    for (const auto& c : chain) {
        focus(box(c.from));
        key(Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), box(c.to)) << ControlName(c.from);
    }
    for (Field f : {Field::Toa, Field::Ta, Field::Tliab, Field::Equity1, Field::TotLiabShareEq})
        EXPECT_EQ(box(f)->text(), "0");
    enter(Field::Cash, "1000");
    enter(Field::ShareC, "1000");
    EXPECT_EQ(box(Field::Toa)->text(), "1000");
    EXPECT_EQ(box(Field::Ta)->text(), "1000");
    EXPECT_EQ(box(Field::Tliab)->text(), "0");
    EXPECT_EQ(box(Field::Equity1)->text(), "1000");
    EXPECT_EQ(box(Field::TotLiabShareEq)->text(), "1000");
    EXPECT_TRUE(screen().DataChanged());
    // The totals cannot be typed into.
    focus(box(Field::Ta));
    type("5");
    EXPECT_EQ(box(Field::Ta)->text(), "1000");
}

TEST_F(ValuesTest, ClearAllAsksThenStartsAnEmptyRecord) {
    enter(Field::Cash, "5");
    Child<QLineEdit>(&screen(), "txtFirmName")->setText("Acme");
    fakes.messages->answer(MsgAnswer::No);
    Child<QAction>(&screen(), "tbClear")->trigger();
    EXPECT_EQ(box(Field::Cash)->text(), "5");
    Child<QAction>(&screen(), "tbClear")->trigger();
    EXPECT_EQ(fakes.messages->last().icon, MsgIcon::Question);
    EXPECT_EQ(box(Field::Cash)->text(), "0");
    EXPECT_EQ(Child<QLineEdit>(&screen(), "txtFirmName")->text().toStdString(), Txt(544));
    EXPECT_TRUE(Child<QLabel>(&screen(), "lblIndustry")->text().isEmpty());
    EXPECT_FALSE(screen().DataChanged());
}

} // namespace
