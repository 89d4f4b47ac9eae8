#pragma once
// The list of stored enterprise records (name, year and the industry each was
// saved under), from which one is opened on the values screen (the values
// flows' OpenStored, which asks which industry to compare with when it is not
// the one chosen now). Modeless; destroyed when closed. The list is read again
// on every activation, keeping the row the user had chosen.

#include "ui/ScreenBase.h"

namespace Ui {
class frmOpenExisting;
}

namespace zorva {

class frmOpenExisting : public ScreenBase {
    Q_OBJECT
public:
    frmOpenExisting();
    ~frmOpenExisting() override;
    static frmOpenExisting& instance() { return ScreenInstance<frmOpenExisting>(); }

    void subLoadCaptions();
    // Loads the list; true when it holds at least one record (the grid is
    // then shown; an empty list leaves it as it was).
    bool fncLoadFirms();
    // Opens the grid's current row on the values screen and closes the list.
    void subOpenRecord();
    // Open, the double click on a row and Enter in the grid.
    void cmdOpen_Click();

    Ui::frmOpenExisting* const ui;

protected:
    void Form_Activate() override;
};

} // namespace zorva
