#pragma once
// The preview of books (File > Import from books… of the values screen): how
// the file was read, the fiscal year end and the enterprise's name, each
// account with its number, amount, line item and where the suggestion came
// from, and the statement that follows with whether it balances (total
// assets against total liabilities and shareholders' equity, the profit not
// closed in the books being added to retained earnings). Choosing another
// line item (F2 or typing in the line item column opens the list) or year
// end recomputes the statement at once through the review
// (enterprise/ImportFlow.h); the questions after Import are the flow's.

#include "enterprise/ImportFlow.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

class QStandardItemModel;

namespace Ui {
class frmBooksPreview;
}

namespace zorva {

class frmBooksPreview : public QDialog {
    Q_OBJECT
public:
    explicit frmBooksPreview(QWidget* parent = nullptr);
    ~frmBooksPreview() override;

    void SetReview(books::BooksReview& review);
    void subLoadCaptions();
    // A new line item for an account (what the list in the table does).
    void subChooseTarget(int account, books::Target target);

    // Asks for the books' file; empty: cancelled. Replaceable in tests.
    static std::function<std::string(QWidget* parent)>& FileChooser();

    void accept() override;

private:
    void subFillAccounts();
    void subShowAmounts();
    void subShowStatement();
    std::unique_ptr<Ui::frmBooksPreview> ui;
    QStandardItemModel* accounts_ = nullptr;
    books::BooksReview* review_ = nullptr;
};

} // namespace zorva
