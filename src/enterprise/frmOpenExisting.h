#pragma once
// The list of stored enterprise records (name and year), from which one is
// opened on the values screen. Modeless; destroyed when closed.

#include "core/gui/ScreenBase.h"

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

    // Loads the list; true when it holds at least one record.
    bool fncLoadFirms();

    Ui::frmOpenExisting* const ui;
};

} // namespace zorva
