#pragma once
// The values screen: one enterprise's balance sheet and income statement for
// one reference year, typed, saved, reopened and compared with the industry
// chosen on the search screen.

#include "core/gui/ScreenBase.h"

namespace Ui {
class frmMyValues;
}

namespace zorva {

class frmMyValues : public ScreenBase {
    Q_OBJECT
public:
    frmMyValues();
    ~frmMyValues() override;
    static frmMyValues& instance() { return ScreenInstance<frmMyValues>(); }

    Ui::frmMyValues* const ui;
};

} // namespace zorva
