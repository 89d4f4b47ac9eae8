#pragma once
// The preview of a statement read from a file (File > Import… of the values
// screen): how the file was read (its encoding and separator, or the sheet
// of a workbook, which the user may change), each line item found with the
// value read and the cell it came from, what goes into the box or why it
// does not (an amount that reads two ways says so), the lines that were not
// recognised, and the choice to keep the values of the line items the file
// does not name. Nothing reaches the values screen unless Import is chosen;
// the questions that follow are the import flow's (enterprise/ImportFlow.h).

#include "enterprise/ImportFlow.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

namespace Ui {
class frmImportPreview;
}

namespace zorva {

class frmImportPreview : public QDialog {
    Q_OBJECT
public:
    explicit frmImportPreview(QWidget* parent = nullptr);
    ~frmImportPreview() override;

    // Shows a review; the choices are written back into it on Import.
    void SetReview(import::StatementReview& review);
    void subLoadCaptions();

    // Asks for the statement file; empty: cancelled. Replaceable in tests.
    static std::function<std::string(QWidget* parent)>& FileChooser();

    void accept() override;

private:
    void subShowPreview();
    std::unique_ptr<Ui::frmImportPreview> ui;
    import::StatementReview* review_ = nullptr;
};

} // namespace zorva
