#pragma once
// The preview of a statement read from a file (File > Import… of the values
// screen): each line item found with the value read and the cell it came
// from, what goes into the box or why it does not, and the lines that were
// not recognised. Nothing reaches the values screen unless Import is chosen.

#include "enterprise/StatementImport.h"

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

    void SetPreview(const import::StatementPreview& preview, const std::string& path);
    void subLoadCaptions();

    // Asks for the statement file; empty: cancelled. Replaceable in tests.
    static std::function<std::string(QWidget* parent)>& FileChooser();

private:
    std::unique_ptr<Ui::frmImportPreview> ui;
    import::StatementPreview preview_;
    std::string path_;
};

} // namespace zorva
