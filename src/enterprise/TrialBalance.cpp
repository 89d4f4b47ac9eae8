// A trial balance in CSV or XLSX (Books.h): the columns are found by their
// headings (English or French; hledger's "account","balance"), or else by
// their contents (a column of account numbers, one of names, then one or two
// columns of amounts). Rows without an amount are group headings (their
// names become the accounts' groups); rows whose label starts with "Total"
// or that have neither number nor name are totals and are not counted; an
// hledger parent account whose amount is the sum of its sub-accounts (a tree
// listing) is not counted either.
//
// Debit and credit columns give balance = debit - credit. One balance column
// is read as signed (debit positive, as hledger prints it) when its amounts
// add up to zero, and otherwise as every account in its normal sign (credit
// balances of liabilities, equity and income written positive); "Dr" and
// "Cr" after an amount say its side.

#include "enterprise/BookMapping.h"
#include "enterprise/Books.h"
#include "enterprise/StatementImport.h"

#include <QRegularExpression>
#include <QString>

#include <cstdlib>
#include <map>

namespace zorva::books {

namespace {

enum class Column { Unknown, Number, Name, Debit, Credit, Balance };

// Year-to-date columns beside a month's ("YTD Debit", "Debit - Year to date", "Cumul débit").
bool yearToDate(const std::string& folded) {
    for (const char* w : {"ytd", "year to date", "year-to-date", "cumul", "cumulatif"})
        if (folded.find(w) != std::string::npos) return true;
    return false;
}
std::string withoutYearToDate(std::string folded) {
    for (const char* w : {"year-to-date", "year to date", "cumulatif", "cumul", "ytd"})
        if (auto at = folded.find(w); at != std::string::npos) folded.erase(at, std::char_traits<char>::length(w));
    QString q = QString::fromStdString(folded);
    q.remove(QLatin1Char('-'));
    return q.simplified().toStdString();
}

Column headingOf(const std::string& folded) {
    static const std::map<std::string, Column> m = {
        {"account number", Column::Number}, {"account no", Column::Number}, {"account no.", Column::Number},
        {"account #", Column::Number}, {"acct", Column::Number}, {"acct no", Column::Number},
        {"no", Column::Number}, {"no.", Column::Number}, {"number", Column::Number}, {"code", Column::Number},
        {"#", Column::Number}, {"numero", Column::Number}, {"numero de compte", Column::Number},
        {"no de compte", Column::Number}, {"n°", Column::Number}, {"n° de compte", Column::Number},
        {"account", Column::Name}, {"account name", Column::Name}, {"name", Column::Name},
        {"description", Column::Name}, {"account description", Column::Name}, {"compte", Column::Name},
        {"nom", Column::Name}, {"nom du compte", Column::Name}, {"description du compte", Column::Name},
        {"account name", Column::Name}, {"intitule", Column::Name},
        {"intitule du compte", Column::Name}, {"libelle", Column::Name}, {"titre", Column::Name},
        {"debit", Column::Debit}, {"debits", Column::Debit}, {"dr", Column::Debit}, {"debit balance", Column::Debit},
        {"solde debiteur", Column::Debit}, {"credit", Column::Credit}, {"credits", Column::Credit},
        {"cr", Column::Credit}, {"credit balance", Column::Credit}, {"solde crediteur", Column::Credit},
        {"balance", Column::Balance}, {"amount", Column::Balance}, {"solde", Column::Balance},
        {"montant", Column::Balance}, {"net", Column::Balance}, {"closing balance", Column::Balance},
        {"ending balance", Column::Balance}, {"solde de cloture", Column::Balance},
        {"solde de fin", Column::Balance}};
    auto it = m.find(folded);
    if (it == m.end() && yearToDate(folded)) it = m.find(withoutYearToDate(folded));
    return it == m.end() ? Column::Unknown : it->second;
}

struct Layout {
    int number = -1, name = -1, debit = -1, credit = -1, balance = -1;
    size_t firstRow = 0;
    bool found() const { return (number >= 0 || name >= 0) && (balance >= 0 || debit >= 0 || credit >= 0); }
};

std::string cellText(const SheetRow& r, int c) {
    return c >= 0 && c < static_cast<int>(r.cells.size()) ? r.cells[static_cast<size_t>(c)].text : std::string();
}

bool isCode(const std::string& s) {
    static const QRegularExpression re(QStringLiteral("^\\d{3,6}(-\\d{1,4})?$"));
    return re.match(QString::fromStdString(s).trimmed()).hasMatch();
}

bool isAmount(const SheetCell& c) {
    if (c.text.empty()) return false;
    if (c.number) return true;
    return !import::ReadAmount(c.text, false, import::DecimalMark::Point).plain.empty();
}

Layout fromHeadings(const std::vector<SheetRow>& rows) {
    for (size_t r = 0; r < rows.size() && r < 15; ++r) {
        Layout l;
        bool nameWords = false;
        std::vector<int> accountCols;
        for (size_t c = 0; c < rows[r].cells.size(); ++c) {
            const std::string h = import::LabelKey(rows[r].cells[c].text);
            const int col = static_cast<int>(c);
            switch (headingOf(h)) {
            case Column::Number: if (l.number < 0) l.number = col; break;
            case Column::Name:
                if (h == "account" || h == "compte") accountCols.push_back(col);
                else if (l.name < 0) l.name = col, nameWords = true;
                break;
            // The year-to-date columns win over the month's beside them.
            case Column::Debit: if (l.debit < 0 || yearToDate(h)) l.debit = col; break;
            case Column::Credit: if (l.credit < 0 || yearToDate(h)) l.credit = col; break;
            case Column::Balance: if (l.balance < 0 || yearToDate(h)) l.balance = col; break;
            default: break;
            }
        }
        // "Account" is the number beside a name column, else the name.
        for (int col : accountCols) {
            if (nameWords && l.number < 0) l.number = col;
            else if (l.name < 0) l.name = col;
        }
        if (l.found()) {
            l.firstRow = r + 1;
            return l;
        }
    }
    return {};
}

Layout fromContents(const std::vector<SheetRow>& rows) {
    size_t width = 0;
    for (const auto& r : rows) width = std::max(width, r.cells.size());
    std::vector<int> codes(width), amounts(width), texts(width), filled(width);
    for (const auto& r : rows)
        for (size_t c = 0; c < r.cells.size(); ++c) {
            const SheetCell& cell = r.cells[c];
            if (cell.text.empty()) continue;
            ++filled[c];
            if (isCode(cell.text) && !cell.number) ++codes[c];
            else if (isAmount(cell)) ++amounts[c];
            else ++texts[c];
        }
    Layout l;
    std::vector<int> amountCols;
    for (size_t c = 0; c < width; ++c) {
        const int col = static_cast<int>(c);
        if (!filled[c]) continue;
        if (l.name < 0 && l.number < 0 && codes[c] * 2 > filled[c]) l.number = col;
        else if (l.name < 0 && texts[c] * 2 > filled[c]) l.name = col;
        else if (amounts[c] * 2 > filled[c] && (l.name >= 0 || l.number >= 0)) amountCols.push_back(col);
    }
    if (amountCols.size() == 1) l.balance = amountCols[0];
    else if (amountCols.size() >= 2) {
        l.debit = amountCols[amountCols.size() - 2];
        l.credit = amountCols.back();
    }
    return l;
}

bool isTotal(const std::string& folded) {
    for (const char* w : {"total", "totals", "totaux", "sous-total", "subtotal", "grand total", "sous total"})
        if (folded == w || folded.rfind(std::string(w) + " ", 0) == 0 || folded.rfind(std::string(w) + ":", 0) == 0)
            return true;
    return false;
}

struct Reading {
    std::int64_t amount = 0;
    bool present = false;   // a cell with an amount
    bool ambiguous = false;
    int side = 0;           // +1 "Dr", -1 "Cr", 0 none
};

Reading readCell(const SheetRow& r, int c, import::DecimalMark convention) {
    Reading out;
    if (c < 0 || c >= static_cast<int>(r.cells.size())) return out;
    const SheetCell& cell = r.cells[static_cast<size_t>(c)];
    std::string text = cell.text;
    if (text.empty()) return out;
    if (!cell.number) {
        // "1,234.00 Cr", "1 234,00 DT" (débit), "CT" (crédit)
        static const QRegularExpression side(QStringLiteral("\\s*\\b(dr|cr|d|c|db|dt|ct)\\.?\\s*$"),
                                             QRegularExpression::CaseInsensitiveOption);
        QString q = QString::fromStdString(text);
        const auto m = side.match(q);
        if (m.hasMatch() && m.capturedStart() > 0) {
            const QString s = m.captured(1).toLower();
            out.side = s.startsWith('d') ? 1 : -1;
            q.truncate(m.capturedStart());
            text = q.toStdString();
        }
    }
    const import::AmountReading a = import::ReadAmount(text, cell.number, convention);
    if (a.plain.empty()) return out;
    const auto v = ReadTenThousandths(a.plain);
    if (!v) throw ReadError(readmsg::kAmountOutOfRange, cell.ref);
    out.amount = *v;
    out.present = true;
    out.ambiguous = a.ambiguous;
    if (out.side) out.amount = out.side * std::llabs(out.amount);
    return out;
}

// The code at the start of a name ("1060 Chequing", "1060 - Chequing").
// "1060 · Chequing" as QuickBooks writes it; "Sales (200)" as Xero does.
void splitCode(std::string& name, std::string& code) {
    static const QRegularExpression re(QStringLiteral("^(\\d{3,6})\\s*[-–:.·]?\\s+(.+)$"));
    static const QRegularExpression after(QStringLiteral("^(.+?)\\s*\\((\\d{3,6})\\)$"));
    const QString text = QString::fromStdString(name).trimmed();
    if (const auto m = re.match(text); m.hasMatch()) {
        code = m.captured(1).toStdString();
        name = m.captured(2).toStdString();
    } else if (const auto n = after.match(text); n.hasMatch()) {
        code = n.captured(2).toStdString();
        name = n.captured(1).toStdString();
    }
}

std::vector<Account> accountsOf(const std::vector<SheetRow>& rows, const Layout& l, import::DecimalMark convention,
                                bool* signedBalances) {
    std::vector<Account> accounts;
    std::vector<bool> sided;
    std::string group;
    bool anyAccount = false;
    for (size_t r = l.firstRow; r < rows.size(); ++r) {
        const SheetRow& row = rows[r];
        std::string name = cellText(row, l.name);
        std::string code = cellText(row, l.number);
        if (l.name < 0) {
            name = code;
            code.clear();
        }
        if (code.empty()) splitCode(name, code);
        name = QString::fromStdString(name).trimmed().toStdString();
        code = QString::fromStdString(code).trimmed().toStdString();
        const Reading debit = readCell(row, l.debit, convention);
        const Reading credit = readCell(row, l.credit, convention);
        const Reading balance = readCell(row, l.balance, convention);
        const bool any = debit.present || credit.present || balance.present;
        const std::string folded = import::LabelKey(name);
        if (!any) {
            // A heading names the accounts' group; the title lines above the
            // first account do not, unless they name a class ("Assets").
            if (!name.empty() && !isTotal(folded)) {
                Account probe;
                probe.fullName = name + ":x";
                if (anyAccount || ClassOf(probe) != AccountClass::Unknown) group = name;
            } else if (!anyAccount) {
                group.clear();
            }
            continue;
        }
        anyAccount = true;
        if ((name.empty() && code.empty()) || isTotal(folded) || isTotal(import::LabelKey(code))) continue;
        Account a;
        a.code = code;
        a.name = name;
        const bool hierarchical = name.find(':') != std::string::npos;
        if (hierarchical) a.name = name.substr(name.rfind(':') + 1);
        a.fullName = hierarchical || group.empty() ? name : group + ":" + name;
        const int labelCol = l.name >= 0 ? l.name : l.number;
        if (labelCol >= 0 && labelCol < static_cast<int>(row.cells.size()))
            a.where = row.cells[static_cast<size_t>(labelCol)].ref;
        a.balance = balance.present ? balance.amount : debit.amount - credit.amount;
        a.ambiguous = debit.ambiguous || credit.ambiguous || balance.ambiguous;
        a.key = !code.empty() ? "#" + code : "name:" + import::LabelKey(a.fullName);
        accounts.push_back(std::move(a));
        sided.push_back(balance.side != 0 || l.balance < 0);
    }
    // A parent listed with its sub-accounts' sums (hledger's tree listing):
    // when the accounts do not add up to zero as listed but do once each
    // parent keeps only its own amount, the parents are netted (and dropped
    // when nothing of their own is left).
    auto below = [](const std::string& parent, const std::string& child) {
        return child.size() > parent.size() + 1 && child.rfind(parent + ":", 0) == 0;
    };
    std::vector<std::int64_t> own(accounts.size());
    std::vector<bool> parent(accounts.size(), false);
    std::int64_t listed = 0, netted = 0;
    for (size_t k = 0; k < accounts.size(); ++k) {
        own[k] = accounts[k].balance;
        for (const auto& child : accounts) {
            if (!below(accounts[k].fullName, child.fullName)) continue;
            bool nearest = true;
            for (const auto& between : accounts)
                nearest = nearest && !(below(accounts[k].fullName, between.fullName) &&
                                       below(between.fullName, child.fullName));
            if (!nearest) continue;
            own[k] -= child.balance;
            parent[k] = true;
        }
        listed += accounts[k].balance;
        netted += own[k];
    }
    const bool tree = std::llabs(listed) >= 50 && std::llabs(netted) < 50;
    std::vector<Account> kept;
    std::vector<bool> keptSided;
    for (size_t k = 0; k < accounts.size(); ++k) {
        if (parent[k] && (tree || own[k] == 0)) {
            if (own[k] == 0) continue;
            accounts[k].balance = own[k];
        }
        kept.push_back(accounts[k]);
        keptSided.push_back(sided[k]);
    }
    // One balance column: signed when it adds up to zero, else in each
    // account's normal sign.
    std::int64_t sum = 0, magnitude = 0;
    bool allSided = true;
    for (size_t k = 0; k < kept.size(); ++k) {
        sum += kept[k].balance;
        magnitude += std::llabs(kept[k].balance);
        allSided = allSided && keptSided[k];
    }
    *signedBalances = allSided || std::llabs(sum) < 50 || std::llabs(sum) * 1000000 < magnitude;
    for (size_t k = 0; k < kept.size(); ++k) {
        Account& a = kept[k];
        a.cls = ClassOf(a);
        if (!*signedBalances && !keptSided[k] &&
            (a.cls == AccountClass::Liability || a.cls == AccountClass::Equity || a.cls == AccountClass::Income))
            a.balance = -a.balance;
        a.flow = a.balance;
    }
    return kept;
}

} // namespace

Book ReadTrialBalance(const std::string& path) {
    SheetDocument doc(path);
    Book book;
    book.kind = BookKind::TrialBalance;
    book.path = path;
    book.key = TrialBalanceKey(path);
    book.workbook = doc.IsWorkbook();
    book.encoding = doc.Encoding();
    book.separator = doc.Separator();
    std::vector<int> order;
    for (bool hidden : {false, true})
        for (size_t k = 0; k < doc.Sheets().size(); ++k)
            if (doc.Sheets()[k].hidden == hidden) order.push_back(static_cast<int>(k));
    for (int sheet : order) {
        const std::vector<SheetRow> rows = doc.Rows(sheet);
        Layout l = fromHeadings(rows);
        if (!l.found()) l = fromContents(rows);
        if (!l.found()) continue;
        std::vector<std::string> texts;
        for (const auto& r : rows)
            for (int c : {l.debit, l.credit, l.balance})
                if (c >= 0 && c < static_cast<int>(r.cells.size()) && !r.cells[static_cast<size_t>(c)].number)
                    texts.push_back(r.cells[static_cast<size_t>(c)].text);
        const auto fallback = !doc.IsWorkbook() && doc.Separator() == ';' ? import::DecimalMark::Comma
                                                                          : import::DecimalMark::Point;
        bool signedBalances = true;
        book.accounts = accountsOf(rows, l, import::DecimalMarkOf(texts, fallback), &signedBalances);
        if (book.accounts.empty()) continue;
        if (doc.IsWorkbook()) book.sheet = doc.Sheets()[static_cast<size_t>(sheet)].name;
        return book;
    }
    throw ReadError(readmsg::kBookNoAccounts);
}

} // namespace zorva::books
