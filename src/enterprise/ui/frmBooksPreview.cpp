#include "enterprise/ui/frmBooksPreview.h"

#include "ui_frmBooksPreview.h"

#include "core/Globals.h"
#include "core/Strings.h"
#include "ui/QtServices.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QStyledItemDelegate>

namespace zorva {

namespace {

QString t(int id) { return QString::fromStdString(Txt(id)); }
// A text with its one placeholder ("{A}") filled in.
QString filled(int id, const std::string& piece) {
    static const QRegularExpression mark(QStringLiteral("\\{[A-Z]\\}"));
    return t(id).replace(mark, qs(piece));
}

constexpr int kTargetRole = Qt::UserRole + 1;
enum Col { ColNumber, ColAccount, ColAmount, ColTarget, ColWhy, ColCount };

// The statement in the values screen's order: assets, liabilities and
// equity, the two current items, the income statement.
const Field kOrder[] = {
    Field::Cash, Field::Ar, Field::Inv, Field::CA, Field::OA, Field::Toa, Field::Invest, Field::Ptfl, Field::Ta,
    Field::AccountsPayable, Field::Paper, Field::Mtg, Field::Bonds, Field::Ol, Field::AmtsAffil, Field::OLiab,
    Field::DefTax, Field::Tliab, Field::ShareC, Field::RetEarn, Field::OtherSur, Field::Equity1,
    Field::TotLiabShareEq, Field::CurrentAssets, Field::CurrentLiabilities, Field::OperatingRevenue, Field::Sales,
    Field::GrossProfit, Field::OperatingProfit, Field::InterestExpense, Field::PretaxProfit, Field::ProfitAfterTax};

// The line item column: a list of the targets.
class TargetDelegate : public QStyledItemDelegate {
public:
    TargetDelegate(frmBooksPreview* dialog) : QStyledItemDelegate(dialog), dialog_(dialog) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
        auto* box = new QComboBox(parent);
        for (books::Target target : books::AllTargets())
            box->addItem(qs(books::TargetCaption(target, gintLanguage)), static_cast<int>(target));
        const QString account = index.sibling(index.row(), ColAccount).data().toString();
        box->setAccessibleName(filled(3004, account.toStdString()));
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* box = static_cast<QComboBox*>(editor);
        box->setCurrentIndex(box->findData(index.data(kTargetRole)));
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        auto* box = static_cast<QComboBox*>(editor);
        dialog_->subChooseTarget(index.row(), static_cast<books::Target>(box->currentData().toInt()));
    }

private:
    frmBooksPreview* dialog_;
};

} // namespace

frmBooksPreview::frmBooksPreview(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmBooksPreview>()), accounts_(new QStandardItemModel(this)) {
    ui->setupUi(this);
    setModal(true);
    ui->tblAccounts->setModel(accounts_);
    ui->tblAccounts->setItemDelegateForColumn(ColTarget, new TargetDelegate(this));
    ui->tblAccounts->setEditTriggers(QAbstractItemView::AllEditTriggers);
    ui->tblAccounts->verticalHeader()->hide();
    ui->tblAccounts->horizontalHeader()->setStretchLastSection(true);
    // Column widths from the first rows: a book of many accounts opens at once.
    ui->tblAccounts->horizontalHeader()->setResizeContentsPrecision(60);
    ui->tblStatement->setColumnCount(2);
    ui->tblStatement->verticalHeader()->hide();
    ui->tblStatement->horizontalHeader()->setStretchLastSection(true);
    ui->lblYearEnd->setBuddy(ui->cboYearEnd);
    ui->lblName->setBuddy(ui->txtName);
    ui->lblAccounts->setBuddy(ui->tblAccounts);
    ui->lblStatement->setBuddy(ui->tblStatement);
    ui->splMain->setStretchFactor(0, 3);
    ui->splMain->setStretchFactor(1, 2);
    connect(ui->btnImport, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->cboYearEnd, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int k) {
        if (!review_ || k < 0) return;
        review_->SetYearEnd(ui->cboYearEnd->itemData(k).toInt());
        subShowAmounts();
        subShowStatement();
    });
    subLoadCaptions();
}

frmBooksPreview::~frmBooksPreview() = default;

std::function<std::string(QWidget*)>& frmBooksPreview::FileChooser() {
    static std::function<std::string(QWidget*)> chooser = [](QWidget* parent) {
        return QFileDialog::getOpenFileName(parent, t(2960), QString(), t(2964)).toStdString();
    };
    return chooser;
}

void frmBooksPreview::subLoadCaptions() {
    setWindowTitle(t(2960));
    ui->lblYearEnd->setText(t(2972));
    ui->lblName->setText(t(2974));
    ui->lblAccounts->setText(t(2976));
    ui->lblStatement->setText(t(2988));
    auto plain = [](QString s) { return s.remove('&').remove(':').trimmed(); };
    ui->cboYearEnd->setAccessibleName(plain(t(2972)));
    ui->txtName->setAccessibleName(plain(t(2974)));
    ui->tblAccounts->setAccessibleName(plain(t(2976)));
    ui->tblStatement->setAccessibleName(plain(t(2988)));
    accounts_->setHorizontalHeaderLabels({t(2978), t(2980), t(2982), t(1834), t(2986)});
    ui->tblStatement->setHorizontalHeaderLabels({t(1834), t(3008)});
    ui->btnImport->setText(t(1844));
    ui->btnImport->setAccessibleName(plain(t(1844)));
    ui->btnCancel->setText(t(1544));
    ui->btnCancel->setAccessibleName(t(1544));
    if (review_) {
        subFillAccounts();
        subShowStatement();
    }
}

void frmBooksPreview::SetReview(books::BooksReview& review) {
    review_ = &review;
    const books::Book& book = review.book;
    ui->lblFile->setText(QFileInfo(qs(book.path)).fileName());
    ui->lblFile->setToolTip(qs(book.path));
    QString readAs = t(book.kind == books::BookKind::GnuCashSqlite ? 2966
                       : book.kind == books::BookKind::GnuCashXml  ? 2968
                                                                    : 2970);
    if (book.kind == books::BookKind::TrialBalance) {
        if (book.workbook) {
            readAs += " — " + t(2946) + " (" + qs(book.sheet) + ")";
        } else {
            const int encoding[] = {2920, 2922, 2924, 2924, 2926};
            readAs += " — " + t(encoding[static_cast<int>(book.encoding)]) +
                      t(book.separator == ';' ? 2930 : book.separator == '\t' ? 2932 : 2928);
        }
    }
    ui->lblReadAs->setText(readAs);
    {
        const QSignalBlocker block(ui->cboYearEnd);
        ui->cboYearEnd->clear();
        for (int end : review.YearEnds()) ui->cboYearEnd->addItem(qs(books::FormatDate(end)), end);
        ui->cboYearEnd->setCurrentIndex(ui->cboYearEnd->findData(book.yearEnd));
    }
    ui->txtName->setText(qs(review.name));
    const int unremembered = static_cast<int>(book.accounts.size()) - review.mapping.remembered;
    ui->lblNote->setText(review.allRemembered ? t(2998)
                         : review.mapping.remembered > 0 ? filled(3000, std::to_string(unremembered))
                                                         : QString());
    ui->lblNote->setVisible(!ui->lblNote->text().isEmpty());
    subFillAccounts();
    subShowStatement();
    ui->btnImport->setFocus();
}

void frmBooksPreview::subFillAccounts() {
    const auto& accounts = review_->book.accounts;
    accounts_->setRowCount(static_cast<int>(accounts.size()));
    for (int r = 0; r < static_cast<int>(accounts.size()); ++r) {
        const books::Account& a = accounts[static_cast<size_t>(r)];
        const books::Target target = review_->mapping.targets[static_cast<size_t>(r)];
        auto item = [](const QString& text) {
            auto* i = new QStandardItem(text);
            i->setEditable(false);
            return i;
        };
        accounts_->setItem(r, ColNumber, item(qs(a.code)));
        accounts_->setItem(r, ColAccount, item(qs(a.fullName)));
        accounts_->setItem(r, ColAmount, item(QString()));
        auto* target_ = new QStandardItem(qs(books::TargetCaption(target, gintLanguage)));
        target_->setData(static_cast<int>(target), kTargetRole);
        accounts_->setItem(r, ColTarget, target_);
        const size_t k = static_cast<size_t>(r);
        const books::Why why = review_->mapping.why[k];
        const std::string rule = k < review_->mapping.rules.size() ? review_->mapping.rules[k] : std::string();
        accounts_->setItem(r, ColWhy, item(qs(books::ReasonText(a, why, rule, gintLanguage, review_->book.currency))));
        // A suggestion from the name alone stands out, to be checked first.
        if (books::NameOnly(a, why))
            for (int c = 0; c < ColCount; ++c) {
                QFont f = accounts_->item(r, c)->font();
                f.setBold(true);
                accounts_->item(r, c)->setFont(f);
            }
    }
    subShowAmounts();
    ui->tblAccounts->resizeColumnsToContents();
}

void frmBooksPreview::subShowAmounts() {
    const auto& accounts = review_->book.accounts;
    for (int r = 0; r < static_cast<int>(accounts.size()); ++r) {
        const books::Account& a = accounts[static_cast<size_t>(r)];
        const std::int64_t amount = books::AmountFor(a, review_->mapping.targets[static_cast<size_t>(r)]);
        QStandardItem* item = accounts_->item(r, ColAmount);
        item->setText(qs(books::MoneyText(amount, gintLanguage)));
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
}

void frmBooksPreview::subShowStatement() {
    const books::Statement& s = review_->statement;
    ui->tblStatement->setRowCount(static_cast<int>(std::size(kOrder)));
    int r = 0;
    for (Field f : kOrder) {
        auto* caption = new QTableWidgetItem(t(CaptionId(f)));
        const std::int64_t v = ReadTenThousandths(s.record[f]).value_or(0);
        auto* value = new QTableWidgetItem(qs(books::MoneyText(v, gintLanguage)));
        value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (IsComputed(f)) {
            QFont bold = caption->font();
            bold.setBold(true);
            caption->setFont(bold);
            value->setFont(bold);
        }
        ui->tblStatement->setItem(r, 0, caption);
        ui->tblStatement->setItem(r, 1, value);
        ++r;
    }
    ui->tblStatement->resizeColumnToContents(0);
    if (s.balanced) {
        ui->lblBalance->setText(filled(2990, books::MoneyText(s.totalAssets, gintLanguage)));
        ui->lblBalance->setStyleSheet(QString());
    } else {
        ui->lblBalance->setText(qs(values::UnbalancedText(s, gintLanguage)));
        ui->lblBalance->setStyleSheet(QStringLiteral("color: #b00020; font-weight: bold;"));
    }
    ui->lblClosed->setText(filled(2996, books::MoneyText(s.closedIntoRetainedEarnings, gintLanguage)));
    ui->lblClosed->setVisible(s.closedIntoRetainedEarnings != 0);
    QStringList leftOut;
    for (size_t k : s.leftOut) {
        const books::Account& a = review_->book.accounts[k];
        leftOut << qs(a.fullName) + " (" + qs(books::MoneyText(a.balance ? a.balance : a.flow, gintLanguage)) + ")";
    }
    ui->lblLeftOut->setText(leftOut.isEmpty() ? QString() : filled(2994, leftOut.join(QStringLiteral("; ")).toStdString()));
    ui->lblLeftOut->setVisible(!leftOut.isEmpty());
}

void frmBooksPreview::subChooseTarget(int account, books::Target target) {
    if (!review_ || account < 0 || account >= static_cast<int>(review_->mapping.targets.size())) return;
    review_->SetTarget(static_cast<size_t>(account), target);
    QStandardItem* item = accounts_->item(account, ColTarget);
    item->setText(qs(books::TargetCaption(target, gintLanguage)));
    item->setData(static_cast<int>(target), kTargetRole);
    subShowAmounts();
    subShowStatement();
}

void frmBooksPreview::accept() {
    if (review_) review_->name = ss(ui->txtName->text());
    QDialog::accept();
}

} // namespace zorva
