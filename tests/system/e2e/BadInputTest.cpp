// Bad input into every box a user can type into, through real key presses and
// the clipboard: letters, emoji, 10,000 characters, quotes, a year with SQL in
// it, a lone minus, a number beyond any range, two minus signs, several lines
// of pasted text. Nothing may crash or give a database error, no stored row
// may change or go, and each box shows only what its key filter lets in.

#include "support/ui/ScreenHelpers.h"
#include "support/AppFixture.h"
#include "support/ui/ScreensFixture.h"

#include "core/Catalogue.h"
#include "core/DBTools.h"
#include "core/Globals.h"
#include "core/Strings.h"
#include "enterprise/RecordStore.h"
#include "enterprise/ui/frmMyValues.h"
#include "selection/ui/frmSearch.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTableView>

using namespace zorva;
using namespace zorva::test;

namespace {

struct Input {
    const char* what;
    QString text;
};

std::vector<Input> BadInputs() {
    return {
        {"letters", "abcXYZ"},
        {"emoji", QString::fromUtf8("😀🎉💶")},
        {"10,000 digits", QString(10000, '7')},
        {"10,000 letters", QString(10000, 'x')},
        {"quotes", "'\"`; -- ''"},
        {"SQL in a year", "2010 or 1=1"},
        {"a lone minus", "-"},
        {"1e400", "1e400"},
        {"two minus signs", "--5"},
        {"several lines", "12\n34\r\nfoo\tbar\n"},
    };
}

// Every row of MyValues as one text, to see that nothing changed.
std::string AllRows() {
    auto rs = GetRS(gcnUser, "select * from MyValues order by FirmName, [Year]", "read");
    std::string all;
    for (long r = 0; r < rs->RecordCount(); ++r, rs->MoveNext())
        for (int c = 0; c < rs->FieldCount(); ++c) all += rs->Fields(c).toString() + "|";
    return all;
}

class BadInput : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        ExecCmdInDB(gcnUser, "delete * from MyValues");
        ASSERT_TRUE(subSetDataTable("optVol3"));
        frmSearch::instance().ChooseCode("111");
        ASSERT_FALSE(frmSearch::instance().ChosenNaics().empty());
        // One stored enterprise that nothing below may touch.
        RecordTexts keep;
        InitializeValues(keep, 0);
        keep[Field::FirmName] = "Keep Me";
        keep[Field::Cash] = "1234.5";
        keep[Field::Ta] = "1234.5";
        store::SaveRecord(gcnUser, keep, 2009);
        before = AllRows();
    }
    void TearDown() override {
        DestroyAllScreens();
        AppFixture::TearDown();
    }
    // Types the text key by key (Return for a line break) into the box.
    static void Type(QWidget* box, const QString& text) {
        box->setFocus(Qt::TabFocusReason);
        Settle();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);  // select all: the text replaces it
        TypeText(box, text);
        Settle();
    }
    // Pastes the text over the box's whole text.
    static void Paste(QWidget* box, const QString& text) {
        box->setFocus(Qt::TabFocusReason);
        Settle();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        Settle();
    }
    void ExpectNoFailure(const std::string& where) {
        EXPECT_TRUE(fakes.exit->codes.empty()) << where;
        for (const auto& m : fakes.messages->shown)
            EXPECT_EQ(m.text.find(Txt(904)), std::string::npos) << where << ": " << m.text;
        fakes.messages->shown.clear();
    }
    std::string before;
};

// The 27 value boxes: typed and pasted, each bad input leaves digits, points
// and a leading minus only; leaving the box makes it a number or keeps it with
// the out-of-range message. The stored rows stay as they were.
TEST_F(BadInput, ValueBoxesLetThroughOnlyWhatMakesANumber) {
    auto& v = frmMyValues::instance();
    ShowAndActivate(v);
    const QRegularExpression allowed("^-?[0-9.]*$");
    for (Field f : ValueFields()) {
        QLineEdit* box = v.ValueBox(f);
        for (const Input& in : BadInputs()) {
            for (bool pasted : {false, true}) {
                if (!pasted && in.text.size() > 100) continue;  // long texts arrive by the clipboard
                const std::string where = std::string(ColumnName(f)) + ", " + in.what + (pasted ? ", pasted" : ", typed");
                const QString was = box->text();
                pasted ? Paste(box, in.text) : Type(box, in.text);
                if (IsComputed(f)) {
                    EXPECT_EQ(box->text(), was) << where << ": a computed box changed";
                    continue;
                }
                EXPECT_TRUE(allowed.match(box->text()).hasMatch()) << where << ": " << box->text().left(40).toStdString();
                QTest::keyClick(box, Qt::Key_Tab);
                Settle();
                const bool outOfRange = !fakes.messages->empty() && fakes.messages->last().text == Txt(918);
                if (!outOfRange) {
                    EXPECT_TRUE(NumberTextForm(box->text().toStdString()).text == box->text().toStdString())
                        << where << ": " << box->text().left(40).toStdString();
                }
                // Start the next input from an empty box.
                box->setFocus(Qt::TabFocusReason);
                QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClick(box, Qt::Key_Delete);
                QTest::keyClick(box, Qt::Key_Return);
                Settle();
                ExpectNoFailure(where);
            }
        }
    }
    EXPECT_EQ(AllRows(), before);
}

// The name and the year boxes: any name is saved exactly as shown and read
// back unchanged; a year that is not 2008-2010 is refused before any statement.
TEST_F(BadInput, NameIsStoredAsShownAndABadYearIsRefused) {
    auto& v = frmMyValues::instance();
    ShowAndActivate(v);
    auto* name = Child<QLineEdit>(&v, "txtFirmName");
    auto* year = Child<QComboBox>(&v, "cboYear");
    int savedNames = 0;
    for (const Input& in : BadInputs()) {
        for (bool pasted : {false, true}) {
            if (!pasted && in.text.size() > 100) continue;
            const std::string where = std::string("name, ") + in.what + (pasted ? ", pasted" : ", typed");
            pasted ? Paste(name, in.text) : Type(name, in.text);
            Type(year, "2008");
            Press(&v, Qt::Key_S, Qt::ControlModifier);
            const std::string shown = name->text().toStdString();
            if (store::VerifyFirmName(shown, 0)) {
                auto stored = store::LoadRecord(gcnUser, shown, 2008);
                ASSERT_TRUE(stored.has_value()) << where;
                EXPECT_EQ((*stored)[Field::FirmName], shown) << where;
                store::DeleteRecord(gcnUser, shown, 2008);
                ++savedNames;
            } else {
                EXPECT_EQ(fakes.messages->last().text, Txt(store::kMsgInvalidName)) << where;
            }
            ExpectNoFailure(where);
        }
    }
    EXPECT_GT(savedNames, 10);
    EXPECT_EQ(AllRows(), before);

    // Bad years, with a valid name: save and compare refuse them; no row changes.
    Type(name, "Keep Me");
    for (const Input& in : BadInputs()) {
        for (bool pasted : {false, true}) {
            if (!pasted && in.text.size() > 100) continue;
            const std::string where = std::string("year, ") + in.what + (pasted ? ", pasted" : ", typed");
            pasted ? Paste(year->lineEdit(), in.text) : Type(year, in.text);
            Press(&v, Qt::Key_S, Qt::ControlModifier);
            ASSERT_FALSE(fakes.messages->empty()) << where;
            EXPECT_EQ(fakes.messages->last().text.rfind(Txt(986), 0), 0u) << where << ": " << fakes.messages->last().text;
            ExpectNoFailure(where);
            Press(&v, Qt::Key_I, Qt::ControlModifier);
            ExpectNoFailure(where + ", compare");
        }
    }
    EXPECT_EQ(AllRows(), before);
}

// The search screen's key word box and the two lists: any text searches or
// chooses without a database error.
TEST_F(BadInput, SearchBoxesTakeAnyText) {
    auto& s = frmSearch::instance();
    ShowAndActivate(s);
    Click(Child<QAbstractButton>(&s, "optKeyword"));
    auto* word = Child<QLineEdit>(&s, "txtKeyword");
    for (const Input& in : BadInputs()) {
        for (bool pasted : {false, true}) {
            if (!pasted && in.text.size() > 100) continue;
            const std::string where = std::string("key word, ") + in.what + (pasted ? ", pasted" : ", typed");
            pasted ? Paste(word, in.text) : Type(word, in.text);
            QTest::keyClick(word, Qt::Key_Return);
            Settle();
            ExpectNoFailure(where);
        }
    }
    for (const char* list : {"cboNAICScodes", "cboNAICSTitle"}) {
        Click(Child<QAbstractButton>(&s, list == std::string("cboNAICScodes") ? "optNAICScode" : "optNAICSTitle"));
        auto* box = Child<QComboBox>(&s, list);
        for (const Input& in : BadInputs()) {
            // Enter on a list with a choice runs Continue: line breaks are left out.
            if (in.text.size() > 100 || in.text.contains('\n')) continue;
            Type(box, in.text);
            ExpectNoFailure(std::string(list) + ", " + in.what);
        }
    }
    EXPECT_EQ(AllRows(), before);
}

} // namespace
