#include "support/ui/ValuesFixture.h"

#include "core/Catalogue.h"
#include "core/DBTools.h"
#include "core/Globals.h"
#include "selection/ui/frmSearch.h"

#include <QApplication>
#include <QTest>

namespace zorva::test {

void ValuesTest::SetUp() {
    AppFixture::SetUp();
    ExecCmdInDB(gcnUser, "delete * from MyValues");
    ASSERT_TRUE(subSetDataTable("optVol3"));
    auto rs = GetRS(gcnIndustry, "select NAICS from " + gstrDataTable + " order by NAICS", "read");
    ASSERT_GT(rs->RecordCount(), 0);
    frmSearch::instance().ChooseCode(rs->Fields(0).toString());
    naics = frmSearch::instance().ChosenNaics();
    ShowAndActivate(screen());
}

void ValuesTest::TearDown() {
    DestroyAllScreens();
    AppFixture::TearDown();
}

void ValuesTest::focus(QWidget* w) {
    w->setFocus(Qt::TabFocusReason);
    Settle();
}

void ValuesTest::type(const QString& keys) {
    QTest::keyClicks(QApplication::focusWidget(), keys);
    Settle();
}

void ValuesTest::key(int k, Qt::KeyboardModifiers modifiers) { Press(&screen(), k, modifiers); }

void ValuesTest::enter(Field f, const QString& text) {
    focus(box(f));
    type(text);
    key(Qt::Key_Return);
}

long ValuesTest::storedRows(const std::string& where) {
    return GetRS(gcnUser, "select * from MyValues where " + where, "read")->RecordCount();
}

double ValuesTest::stored(const std::string& column, const std::string& where) {
    auto rs = GetRS(gcnUser, "select " + column + " from MyValues where " + where, "read");
    return rs->RecordCount() ? rs->Fields(0).toDouble() : -1;
}

} // namespace zorva::test
