#pragma once
// Ground for the values screen's tests: a copy of the application folder
// (shipped stores and templates), the fakes, the data set of Volume 3 for
// Canada with its first industry chosen on the search screen, and the values
// screen shown and active.

#include "support/ui/ScreensFixture.h"
#include "support/AppFixture.h"

#include "enterprise/EnterpriseRecord.h"
#include "enterprise/ui/frmMyValues.h"

#include <QLineEdit>

#include <string>

namespace zorva::test {

class ValuesTest : public AppFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    frmMyValues& screen() { return frmMyValues::instance(); }
    QLineEdit* box(Field f) { return screen().ValueBox(f); }
    // Gives a box the focus as a user would (Tab or a click) and waits.
    void focus(QWidget* w);
    // Types keys into the widget that has the focus.
    void type(const QString& keys);
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Focus the box, type the text, press Enter.
    void enter(Field f, const QString& text);
    // Rows of MyValues.
    long storedRows(const std::string& where = "1=1");
    double stored(const std::string& column, const std::string& where);
    // True when an industry could be chosen on the search screen.
    bool industryChosen() const { return !naics.empty(); }

    std::string naics;
};

} // namespace zorva::test
