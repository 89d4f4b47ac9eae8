// Statements from books written by the real programs: GnuCash books in both
// of GnuCash's formats (committed, made by tools/make-test-books), trial
// balances printed by hledger and saved by LibreOffice, each checked against
// the statement worked out by hand from the transactions the books hold
// (tools/make-test-books lists them). Also the suggestions for account
// names, the balance check with the accounts left out, the mapping
// remembered in the user store and kept in a mapping file, and books that
// must be refused.

#include "support/AppFixture.h"
#include "support/OtherPrograms.h"

#include "core/Globals.h"
#include "enterprise/BookMapping.h"
#include "enterprise/Books.h"
#include "enterprise/ImportFlow.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <zlib.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace zorva;
using namespace zorva::books;
using namespace zorva::test;

namespace {

// The statement worked out by hand, field by field; the fields not named are 0.
using Figures = std::vector<std::pair<Field, const char*>>;

// Northwind Bakery at 31 December 2010. Cash: chequing 17,450 + petty cash
// 300. Capital assets: equipment 60,000 less two years' amortization of
// 6,000. Retained earnings: the profits of 2009 (16,500) and 2010 (2,450),
// never closed in the books. Sales 50,000, cost of goods sold 18,000,
// operating expense 25,000 (rent, wages, amortization), interest 3,000,
// interest income 450, income tax 2,000. The sale of 15 January 2011 is
// after the year end. The GST/HST owed (2,600) is an amount owing to a
// government, so accounts payable; the owner's loan (7,000) a loan beside
// the line of credit (5,000).
const Figures kNorthwind2010 = {
    {Field::Cash, "17750"},         {Field::Ar, "22600"},           {Field::Inv, "8000"},
    {Field::CA, "48000"},           {Field::OA, "1200"},            {Field::Toa, "97550"},
    {Field::Ta, "97550"},           {Field::OperatingRevenue, "50000"}, {Field::Sales, "50000"},
    {Field::GrossProfit, "32000"},  {Field::OperatingProfit, "7000"}, {Field::InterestExpense, "3000"},
    {Field::PretaxProfit, "4450"},  {Field::ProfitAfterTax, "2450"}, {Field::AccountsPayable, "10600"},
    {Field::Mtg, "46000"},          {Field::Ol, "12000"},           {Field::Tliab, "68600"},
    {Field::ShareC, "10000"},
    {Field::RetEarn, "18950"},      {Field::Equity1, "28950"},      {Field::TotLiabShareEq, "97550"},
    {Field::CurrentAssets, "49550"}, {Field::CurrentLiabilities, "15600"}};
// The same books at 31 December 2009.
const Figures kNorthwind2009 = {
    {Field::Cash, "22500"},        {Field::CA, "54000"},           {Field::Toa, "76500"},
    {Field::Ta, "76500"},          {Field::OperatingRevenue, "40000"}, {Field::Sales, "40000"},
    {Field::GrossProfit, "25000"}, {Field::OperatingProfit, "19000"}, {Field::InterestExpense, "2500"},
    {Field::PretaxProfit, "16500"}, {Field::ProfitAfterTax, "16500"}, {Field::Mtg, "50000"},
    {Field::Tliab, "50000"},       {Field::ShareC, "10000"},       {Field::RetEarn, "16500"},
    {Field::Equity1, "26500"},     {Field::TotLiabShareEq, "76500"}, {Field::CurrentAssets, "22500"}};
// Boulangerie Lévesque at 31 December 2010: 2009 closed into retained
// earnings (12,000) by a closing transaction, 2010 not closed (3,800).
// Sales taxes of an invoice of 10,000: GST 500 and QST 997.50, owed to
// governments (accounts payable); the shareholder's advance is a loan.
const Figures kLevesque2010 = {
    {Field::Cash, "24800"},        {Field::Ar, "11497.5"},         {Field::Inv, "5000"},
    {Field::CA, "24000"},          {Field::Toa, "65297.5"},        {Field::Ta, "65297.5"},
    {Field::OperatingRevenue, "50000"}, {Field::Sales, "50000"},   {Field::GrossProfit, "30000"},
    {Field::OperatingProfit, "6000"}, {Field::InterestExpense, "1200"}, {Field::PretaxProfit, "4800"},
    {Field::ProfitAfterTax, "3800"}, {Field::AccountsPayable, "6497.5"}, {Field::Ol, "23000"},
    {Field::Tliab, "29497.5"},
    {Field::ShareC, "20000"},      {Field::RetEarn, "15800"},      {Field::Equity1, "35800"},
    {Field::TotLiabShareEq, "65297.5"}, {Field::CurrentAssets, "41297.5"}, {Field::CurrentLiabilities, "6497.5"}};
// The same at 31 December 2009: the year's income statement is the one
// before its closing transaction.
const Figures kLevesque2009 = {
    {Field::Cash, "25000"},        {Field::CA, "27000"},           {Field::Toa, "52000"},
    {Field::Ta, "52000"},          {Field::OperatingRevenue, "25000"}, {Field::Sales, "25000"},
    {Field::GrossProfit, "15000"}, {Field::OperatingProfit, "12000"}, {Field::PretaxProfit, "12000"},
    {Field::ProfitAfterTax, "12000"}, {Field::Ol, "20000"},         {Field::Tliab, "20000"},
    {Field::ShareC, "20000"},      {Field::RetEarn, "12000"},      {Field::Equity1, "32000"},
    {Field::TotLiabShareEq, "52000"}, {Field::CurrentAssets, "25000"}};

// Differences between a statement and the figures, one line each.
std::string differences(const RecordTexts& record, const Figures& figures) {
    std::string out;
    for (Field f : ValueFields()) {
        std::string want = "0";
        for (const auto& [field, value] : figures)
            if (field == f) want = value;
        if (record[f] != want) out += std::string(ColumnName(f)) + ": " + record[f] + " instead of " + want + "\n";
    }
    return out;
}

Statement suggestedStatement(const Book& book) { return ComputeStatement(book, MakeMapping(book, {}, Why::Remembered).targets); }

// The Northwind journal for hledger: the balances of 31 December 2009 opened
// on 1 January 2010, then the transactions of 2010 and one of 2011.
const char* kNorthwindJournal = R"(2010-01-01 Opening balances
    Assets:Current Assets:Chequing                 $22,500.00
    Assets:Fixed Assets:Equipment                  $60,000.00
    Assets:Fixed Assets:Accumulated Amortization   $-6,000.00
    Liabilities:Mortgage                          $-50,000.00
    Equity:Share capital                          $-10,000.00
    Equity:Retained Earnings                      $-16,500.00

2010-02-01 Stock
    Assets:Current Assets:Inventory Asset           $8,000.00
    Liabilities:Accounts Payable

2010-03-15 Invoice
    Assets:Current Assets:Accounts Receivable (A/R)  $22,600.00
    Income:Sales                                  $-20,000.00
    Liabilities:GST/HST Payable

2010-04-01 Sales
    Assets:Current Assets:Chequing                 $30,000.00
    Income:Sales

2010-05-01 Flour
    Expenses:Cost of Goods Sold                    $18,000.00
    Assets:Current Assets:Chequing

2010-06-01 Rent
    Expenses:Rent                                  $10,000.00
    Assets:Current Assets:Chequing

2010-07-01 Wages
    Expenses:Wages                                  $9,000.00
    Assets:Current Assets:Chequing

2010-08-01 Line of credit
    Assets:Current Assets:Chequing                  $5,000.00
    Liabilities:Line of Credit

2010-09-01 Loan from the owner
    Assets:Current Assets:Chequing                  $7,000.00
    Liabilities:Shareholder loan

2010-10-01 Mortgage payment
    Liabilities:Mortgage                            $4,000.00
    Expenses:Mortgage Interest                      $3,000.00
    Assets:Current Assets:Chequing

2010-11-01 Insurance
    Assets:Current Assets:Prepaid Insurance         $1,200.00
    Assets:Current Assets:Chequing

2010-11-15 Petty cash
    Assets:Current Assets:Petty Cash                  $300.00
    Assets:Current Assets:Chequing

2010-12-01 Interest
    Assets:Current Assets:Chequing                    $450.00
    Income:Interest Income

2010-12-31 Amortization
    Expenses:Amortization Expense                   $6,000.00
    Assets:Fixed Assets:Accumulated Amortization

2010-12-31 Income tax
    Expenses:Income Tax                             $2,000.00
    Assets:Current Assets:Chequing

2011-01-15 Sales
    Assets:Current Assets:Chequing                  $1,000.00
    Income:Sales
)";

// Lévesque's trial balance at 31 December 2010, as a bookkeeper lays it out
// in LibreOffice Calc: a merged title, headings in French, account numbers,
// group headings, debit and credit columns in the French number format, and
// a total line of formulas; a hidden sheet of notes after it.
std::string levesqueSheet() {
    struct Line {
        const char* number;
        const char* name;
        double debit, credit;
    };
    const Line lines[] = {
        {"", "Actif", 0, 0},
        {"1010", "Encaisse", 24800, 0},
        {"1200", "Comptes clients", 11497.5, 0},
        {"1300", "Stocks", 5000, 0},
        {"1500", "Matériel", 30000, 0},
        {"1510", "Amortissement cumulé – matériel", 0, 6000},
        {"", "Passif", 0, 0},
        {"2100", "Comptes fournisseurs", 0, 5000},
        {"2200", "TPS/TVH à payer", 0, 500},
        {"2210", "TVQ à payer", 0, 997.5},
        {"2500", "Avances de l'actionnaire", 0, 3000},
        {"2700", "Prêt à terme", 0, 20000},
        {"", "Capitaux propres", 0, 0},
        {"3000", "Capital-actions", 0, 20000},
        {"3500", "Bénéfices non répartis", 0, 12000},
        {"", "Revenus", 0, 0},
        {"4000", "Ventes", 0, 50000},
        {"", "Dépenses", 0, 0},
        {"5000", "Coût des marchandises vendues", 20000, 0},
        {"5600", "Loyer", 6000, 0},
        {"5700", "Salaires", 15000, 0},
        {"5750", "Amortissement", 3000, 0},
        {"5800", "Intérêts sur la dette", 1200, 0},
        {"5900", "Impôts sur le revenu", 1000, 0},
    };
    auto text = [](const std::string& s) {
        return "<table:table-cell office:value-type=\"string\"><text:p>" + s + "</text:p></table:table-cell>";
    };
    auto money = [](double v) {
        return v == 0 ? std::string("<table:table-cell/>")
                      : "<table:table-cell table:style-name=\"money\" office:value-type=\"float\" office:value=\"" +
                            std::to_string(v) + "\"/>";
    };
    std::string rows = "<table:table-row><table:table-cell table:number-columns-spanned=\"4\" "
                       "office:value-type=\"string\"><text:p>Boulangerie Lévesque — balance de vérification au "
                       "31 décembre 2010</text:p></table:table-cell><table:covered-table-cell "
                       "table:number-columns-repeated=\"3\"/></table:table-row>";
    rows += "<table:table-row>" + text("N°") + text("Compte") + text("Débit") + text("Crédit") + "</table:table-row>";
    for (const Line& l : lines) {
        rows += "<table:table-row>";
        rows += *l.number ? "<table:table-cell office:value-type=\"float\" office:value=\"" + std::string(l.number) +
                                "\"/>"
                          : std::string("<table:table-cell/>");
        rows += text(l.name) + money(l.debit) + money(l.credit) + "</table:table-row>";
    }
    const int last = 2 + static_cast<int>(std::size(lines));
    rows += "<table:table-row>" + text("Total") + "<table:table-cell/>";
    for (const char* col : {"C", "D"})
        rows += "<table:table-cell table:style-name=\"money\" table:formula=\"of:=SUM([." + std::string(col) + "3:." +
                col + std::to_string(last) + "])\" office:value-type=\"float\" office:value=\"117497.5\"/>";
    rows += "</table:table-row>";
    return FlatSpreadsheet(R"(
  <table:table table:name="Balance">)" +
           rows + R"(</table:table>
  <table:table table:name="Notes" table:style-name="hidden"><table:table-row><table:table-cell office:value-type="string"><text:p>Brouillon</text:p></table:table-cell><table:table-cell office:value-type="float" office:value="1"/></table:table-row></table:table>
)");
}

class Books : public ::testing::Test {
protected:
    std::string dir = MakeTempDir("zorva-books");
};

} // namespace

TEST_F(Books, GnuCashBooksInBothFormatsGiveTheStatementsWorkedOutByHand) {
    struct Case {
        const char* file;
        int yearEnd;  // 0: the default
        const Figures* figures;
        BookKind kind;
        std::int64_t closed;  // profit not closed in the books, in dollars
    };
    const Case cases[] = {
        {"northwind-sqlite.gnucash", 0, &kNorthwind2010, BookKind::GnuCashSqlite, 18950},
        {"northwind-xml.gnucash", 0, &kNorthwind2010, BookKind::GnuCashXml, 18950},
        {"northwind-sqlite.gnucash", 20091231, &kNorthwind2009, BookKind::GnuCashSqlite, 16500},
        {"northwind-xml.gnucash", 20091231, &kNorthwind2009, BookKind::GnuCashXml, 16500},
        {"levesque-sqlite.gnucash", 0, &kLevesque2010, BookKind::GnuCashSqlite, 3800},
        {"levesque-xml.gnucash", 0, &kLevesque2010, BookKind::GnuCashXml, 3800},
        {"levesque-sqlite.gnucash", 20091231, &kLevesque2009, BookKind::GnuCashSqlite, 0},
        {"levesque-xml.gnucash", 20091231, &kLevesque2009, BookKind::GnuCashXml, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.yearEnd));
        Book book = ReadBookFile(TestBook(c.file));
        EXPECT_EQ(book.kind, c.kind);
        EXPECT_EQ(book.yearEnd, 20101231);  // the last 31 December of 2008 to 2010 in the books
        EXPECT_EQ(book.key.rfind("gnucash:", 0), 0u);
        if (c.yearEnd) book.SetYearEnd(c.yearEnd);
        const Statement s = suggestedStatement(book);
        EXPECT_EQ(differences(s.record, *c.figures), "");
        EXPECT_TRUE(s.balanced);
        EXPECT_TRUE(s.leftOut.empty());
        EXPECT_EQ(s.closedIntoRetainedEarnings, c.closed * 10000);
    }
    // Both formats hold the same books, account by account.
    const Book sqlite = ReadBookFile(TestBook("levesque-sqlite.gnucash"));
    const Book xml = ReadBookFile(TestBook("levesque-xml.gnucash"));
    ASSERT_EQ(sqlite.accounts.size(), xml.accounts.size());
    for (size_t k = 0; k < sqlite.accounts.size(); ++k) {
        EXPECT_EQ(sqlite.accounts[k].fullName, xml.accounts[k].fullName);
        EXPECT_EQ(sqlite.accounts[k].balance, xml.accounts[k].balance) << sqlite.accounts[k].fullName;
    }
}

TEST_F(Books, TrialBalancesPrintedByHledgerGiveTheSameStatementAsTheBooks) {
    // Flat (each account once) and as a tree (parents with their sub-accounts' sums).
    for (const char* args : {"-e 2011-01-01", "-e 2011-01-01 --tree"}) {
        SCOPED_TRACE(args);
        const std::string csv = HledgerBalance(dir, kNorthwindJournal, args);
        Book book = ReadBookFile(csv);
        EXPECT_EQ(book.kind, BookKind::TrialBalance);
        EXPECT_EQ(book.accounts.size(), 22u);
        const Statement s = suggestedStatement(book);
        EXPECT_EQ(differences(s.record, kNorthwind2010), "");
        EXPECT_TRUE(s.balanced);
    }
}

TEST_F(Books, ATrialBalanceSavedByLibreOfficeReadsTheSameAsXlsxAndAsFrenchCsv) {
    const std::string fods = dir + "/levesque.fods";
    std::ofstream(fods, std::ios::binary) << levesqueSheet();
    const std::string xlsx = LibreOfficeConvert({fods}, "xlsx", "xlsx", dir)[0];
    // ";" between fields, Windows-1252, "24 800,00" with a no-break space.
    const std::string csv = LibreOfficeConvert({fods}, "csv:Text - txt - csv (StarCalc):59,34,1", "csv", dir)[0];
    for (const std::string& file : {xlsx, csv}) {
        SCOPED_TRACE(file);
        Book book = ReadBookFile(file);
        EXPECT_EQ(book.accounts.size(), 19u);  // no heading, no title, no total
        const Statement s = suggestedStatement(book);
        EXPECT_EQ(differences(s.record, kLevesque2010), "");
        EXPECT_TRUE(s.balanced);
    }
    const Book fromCsv = ReadBookFile(csv);
    EXPECT_EQ(fromCsv.encoding, TextEncoding::Windows1252);
    EXPECT_EQ(fromCsv.separator, ';');
    EXPECT_EQ(fromCsv.accounts[4].fullName, "Actif:Amortissement cumulé – matériel");
    EXPECT_EQ(ReadBookFile(xlsx).sheet, "Balance");
}

TEST_F(Books, SuggestionsRecogniseAccountsByTypeNameGroupAndNumber) {
    struct Case {
        const char* fullName;
        const char* type;
        const char* code;
        Target target;
        Why why;
    };
    const Case cases[] = {
        {"Assets:Current Assets:Savings Account", "BANK", "", Target::Cash, Why::Type},
        {"Actif:Encaisse", "", "", Target::Cash, Why::Name},
        {"Assets:Accounts Receivable (A/R)", "ASSET", "", Target::Ar, Why::Name},
        {"Actif:Comptes clients", "ASSET", "", Target::Ar, Why::Name},
        {"Assets:Inventory Asset", "ASSET", "", Target::Inv, Why::Name},
        {"Actif:Stocks de marchandises", "ASSET", "", Target::Inv, Why::Name},
        {"Assets:Prepaid Expenses", "ASSET", "", Target::OACurrent, Why::Name},
        {"Assets:Fixed Assets:Delivery Van", "ASSET", "", Target::CA, Why::Group},
        {"Assets:Accumulated Amortization - Equipment", "ASSET", "", Target::CA, Why::Name},
        {"Actif:Amortissement cumulé du matériel roulant", "ASSET", "", Target::CA, Why::Name},
        {"Assets:Goodwill", "ASSET", "", Target::OA, Why::Name},
        {"Assets:Brokerage", "STOCK", "", Target::Ptfl, Why::Type},
        {"Liabilities:GST/HST Payable", "LIABILITY", "", Target::AccountsPayable, Why::Name},
        {"Passif:TPS/TVH à payer", "LIABILITY", "", Target::AccountsPayable, Why::Name},
        {"Liabilities:Visa Business", "CREDIT", "", Target::OlCurrent, Why::Type},
        {"Liabilities:Shareholder loan - J. Smith", "LIABILITY", "", Target::Ol, Why::Name},
        {"Liabilities:Due to affiliate", "LIABILITY", "", Target::AmtsAffil, Why::Name},
        {"Passif:Prêt hypothécaire", "LIABILITY", "", Target::Mtg, Why::Name},
        {"Liabilities:Future income taxes", "LIABILITY", "", Target::DefTax, Why::Name},
        {"Passif:Impôts futurs", "LIABILITY", "", Target::DefTax, Why::Name},
        {"Equity:Common Shares", "EQUITY", "", Target::ShareC, Why::Name},
        {"Capitaux propres:Capital-actions", "EQUITY", "", Target::ShareC, Why::Name},
        {"Equity:Opening Balances", "EQUITY", "", Target::ShareC, Why::Name},
        {"Equity:Contributed surplus", "EQUITY", "", Target::OtherSur, Why::Name},
        {"Income:Consulting Revenue", "INCOME", "", Target::Sales, Why::Name},
        {"Income:Interest Income", "INCOME", "", Target::OtherIncome, Why::Name},
        {"Expenses:Cost of Goods Sold", "EXPENSE", "", Target::Cogs, Why::Name},
        {"Dépenses:Frais d'intérêts", "EXPENSE", "", Target::InterestExpense, Why::Name},
        {"Expenses:Taxes:Property Taxes", "EXPENSE", "", Target::OperatingExpense, Why::Name},
        {"Expenses:Corporate income tax", "EXPENSE", "", Target::IncomeTax, Why::Name},
        {"Expenses:Office Supplies", "EXPENSE", "", Target::OperatingExpense, Why::Name},
        // Trial balances: no type; the number, the heading or the name decides.
        {"Petite caisse", "", "1020", Target::Cash, Why::Name},
        {"Divers", "", "1450", Target::OACurrent, Why::Number},
        {"Miscellaneous", "", "2650", Target::Mtg, Why::Number},
        {"Misc", "", "52010", Target::Cogs, Why::Number},
        {"Revenues:Other", "", "", Target::Sales, Why::Class},
        {"Whatever", "", "", Target::None, Why::Unknown},
    };
    for (const Case& c : cases) {
        Account a;
        a.fullName = c.fullName;
        a.name = a.fullName.substr(a.fullName.rfind(':') + 1);
        a.type = c.type;
        a.code = c.code;
        if (*c.type) {
            // As the GnuCash reader classes it.
            a.cls = std::string(c.type) == "EXPENSE"  ? AccountClass::Expense
                    : std::string(c.type) == "INCOME" ? AccountClass::Income
                    : std::string(c.type) == "EQUITY" ? AccountClass::Equity
                    : std::string(c.type) == "LIABILITY" || std::string(c.type) == "CREDIT" ? AccountClass::Liability
                                                                                              : AccountClass::Asset;
        }
        const Suggestion s = Suggest(a);
        EXPECT_EQ(TargetCode(s.target), std::string(TargetCode(c.target))) << c.fullName;
        EXPECT_EQ(static_cast<int>(s.why), static_cast<int>(c.why)) << c.fullName;
    }
}

TEST_F(Books, ALeftOutAccountUnbalancesTheStatementByItsAmount) {
    Book book = ReadBookFile(TestBook("northwind-sqlite.gnucash"));
    Mapping m = MakeMapping(book, {}, Why::Remembered);
    size_t petty = 0;
    while (book.accounts[petty].name != "Petty Cash") ++petty;
    m.targets[petty] = Target::None;
    const Statement s = ComputeStatement(book, m.targets);
    EXPECT_FALSE(s.balanced);
    EXPECT_EQ(s.totalAssets, 97250 * 10000ll);
    EXPECT_EQ(s.totalLiabilitiesAndEquity, 97550 * 10000ll);
    ASSERT_EQ(s.leftOut.size(), 1u);
    EXPECT_EQ(s.leftOut[0], petty);
    // An income account left out: its profit is neither in the income
    // statement nor closed into retained earnings.
    m = MakeMapping(book, {}, Why::Remembered);
    size_t interest = 0;
    while (book.accounts[interest].name != "Interest Income") ++interest;
    m.targets[interest] = Target::None;
    const Statement t = ComputeStatement(book, m.targets);
    EXPECT_EQ(t.record[Field::PretaxProfit], "4000");
    EXPECT_EQ(t.totalAssets - t.totalLiabilitiesAndEquity, 450 * 10000ll);
}

class RememberedMapping : public AppFixture {};

TEST_F(RememberedMapping, IsKeptPerBookInTheUserStoreAndInAMappingFile) {
    Book book = ReadBookFile(TestBook("northwind-xml.gnucash"));
    Mapping m = MakeMapping(book, LoadRememberedMapping(gcnUser, book.key), Why::Remembered);
    EXPECT_EQ(m.remembered, 0);
    m.targets[0] = Target::Ptfl;  // the user's own choice for the first account
    ASSERT_TRUE(RememberMapping(gcnUser, book, m.targets));
    ASSERT_TRUE(RememberMapping(gcnUser, ReadBookFile(TestBook("levesque-xml.gnucash")),
                                std::vector<Target>(25, Target::None)));

    const Mapping again = MakeMapping(book, LoadRememberedMapping(gcnUser, book.key), Why::Remembered);
    EXPECT_EQ(again.remembered, static_cast<int>(book.accounts.size()));
    EXPECT_EQ(again.targets, m.targets);
    EXPECT_EQ(again.why[0], Why::Remembered);

    // The same mapping through a file, found by account number when the keys differ.
    const std::string file = MakeTempDir("zorva-mapping") + "/mapping.csv";
    std::ofstream(file, std::ios::binary) << MappingCsv(book, m.targets);
    Book other = ReadBookFile(TestBook("northwind-sqlite.gnucash"));
    const auto fromFile = ReadMappingFile(file, other);
    EXPECT_EQ(fromFile.size(), other.accounts.size());
    const Mapping viaFile = MakeMapping(other, fromFile, Why::MappingFile);
    size_t first = 0;
    while (other.accounts[first].fullName != book.accounts[0].fullName) ++first;
    EXPECT_EQ(viaFile.targets[first], Target::Ptfl);
}

TEST_F(Books, FilesThatAreNotBooksOrAreHostileAreRefusedQuickly) {
    // A gzip file of 300 MB of XML whitespace: a few hundred kilobytes.
    const std::string bomb = dir + "/bomb.gnucash";
    {
        gzFile gz = gzopen(bomb.c_str(), "wb9");
        const std::string head =
            "<?xml version=\"1.0\"?>\n<gnc-v2 xmlns:gnc=\"http://www.gnucash.org/XML/gnc\"><gnc:book>";
        gzwrite(gz, head.data(), static_cast<unsigned>(head.size()));
        const std::string blanks(1 << 20, ' ');
        for (int k = 0; k < 300; ++k) gzwrite(gz, blanks.data(), static_cast<unsigned>(blanks.size()));
        gzclose(gz);
    }
    ASSERT_LT(std::filesystem::file_size(bomb), 1u << 20);
    // A SQLite file whose "accounts" is a view that never ends.
    const std::string view = dir + "/view.gnucash";
    {
        std::filesystem::copy_file(TestBook("northwind-sqlite.gnucash"), view);
        sqlite3* db = nullptr;
        sqlite3_open(view.c_str(), &db);
        sqlite3_exec(db,
                     "drop table accounts; create view accounts as with recursive n(x) as (select 1 union all "
                     "select x + 1 from n) select '' as guid, '' as name, '' as account_type, '' as parent_guid, '' "
                     "as code, 0 as hidden from n",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    const std::string truncated = dir + "/truncated.gnucash";
    {
        std::ifstream in(TestBook("northwind-xml.gnucash"), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        std::ofstream(truncated, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    }
    const std::string entities = dir + "/entities.gnucash";
    std::ofstream(entities) << "<?xml version=\"1.0\"?>\n<!DOCTYPE gnc-v2 [<!ENTITY a \"aaaaaaaaaa\">"
                               "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]>\n<gnc-v2>&b;</gnc-v2>\n";
    // Another program's XML, and a book cut before its first element.
    const std::string foreign = dir + "/foreign.xml";
    std::ofstream(foreign) << "<?xml version=\"1.0\"?>\n<office:document xmlns:office=\"urn:x\"><x/></office:document>\n";
    const std::string cut = dir + "/cut.gnucash";
    std::ofstream(cut) << "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<gnc";
    const std::string notes = dir + "/notes.csv";
    std::ofstream(notes) << "Dear diary,\nnothing to count today.\n";
    struct Case {
        std::string path;
        int id;
        const char* french;  // a few words of the French message
    };
    const Case cases[] = {
        {bomb, readmsg::kInflatesTooMuch, "se décompresse"},
        {view, readmsg::kNotBook, "ni des livres GnuCash"},
        {truncated, readmsg::kTruncatedXml, "est tronqué"},
        {foreign, readmsg::kNotBook, "ni des livres GnuCash"},
        {cut, readmsg::kNotBook, "ni des livres GnuCash"},
        {entities, readmsg::kDocumentType, "type de document"},
        {notes, readmsg::kBookNoAccounts, "aucun compte"},
    };
    for (const Case& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        try {
            ReadBookFile(c.path);
            ADD_FAILURE() << c.path << " was read";
        } catch (const ReadError& e) {
            EXPECT_EQ(e.id(), c.id) << c.path << ": " << e.what();
            EXPECT_NE(e.Message(1).find(c.french), std::string::npos) << e.Message(1);
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << c.path;
    }
}

// A book kept from early 2008 to mid-2009: the year end offered is the last
// 31 December it covers, 2008 (not 2009, which it does not reach), and the
// statement is that year's.
TEST_F(Books, ABookEndingMidYearOffersTheLastThirtyFirstOfDecemberItCovers) {
    // Northwind a year earlier, cut after June: 2 January 2008 to 1 June 2009.
    const std::string file = dir + "/northwind-2008.gnucash";
    std::filesystem::copy_file(TestBook("northwind-sqlite.gnucash"), file);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "update transactions set post_date = (cast(substr(post_date, 1, 4) as integer) - 1) || "
                           "substr(post_date, 5); delete from splits where tx_guid in (select guid from transactions "
                           "where post_date > '2009-06-30'); delete from transactions where post_date > '2009-06-30'",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    const Book book = ReadBookFile(file);
    EXPECT_EQ(book.firstDate, 20080102);
    EXPECT_EQ(book.lastDate, 20090601);
    EXPECT_EQ(book.yearEnd, 20081231);
    EXPECT_EQ(differences(suggestedStatement(book).record, kNorthwind2009), "");  // 2009's, a year earlier
}

// A trial balance of one balance column: credits written positive (each
// account in its normal sign) or marked "Cr" ("5 000,00 Cr"), debits plain or
// marked "Dr". Either way sales come in as revenue and credits as credits.
TEST_F(Books, OneBalanceColumnBringsCreditsInAsCredits) {
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"normal-sign.csv", "Account,Balance\n1010 Cash,6000.00\n3000 Share capital,2000.00\n"
                            "4000 Sales,10000.00\n5600 Rent,6000.00\n"},
        {"cote.csv", "Compte;Solde\n1010 Encaisse;6 000,00 Dr\n3000 Capital-actions;2 000,00 Cr\n"
                     "4000 Ventes;10 000,00 Cr\n5600 Loyer;6 000,00 Dr\n"},
        {"sided.csv", "Account,Balance\n1010 Cash,\"6,000.00 DR\"\n3000 Share capital,\"2,000.00 CR\"\n"
                      "4000 Sales,\"10,000.00 CR\"\n5600 Rent,\"6,000.00 DR\"\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir + "/" + c.name;
        std::ofstream(path, std::ios::binary) << c.text;
        const Statement s = suggestedStatement(ReadBookFile(path));
        EXPECT_EQ(s.record[Field::Cash], "6000");
        EXPECT_EQ(s.record[Field::Sales], "10000");
        EXPECT_EQ(s.record[Field::OperatingRevenue], "10000");
        EXPECT_EQ(s.record[Field::ShareC], "2000");
        EXPECT_EQ(s.record[Field::ProfitAfterTax], "4000");
        EXPECT_TRUE(s.balanced);
    }
}

namespace {

// The year of a small trading company that every chart of tests/support/books
// holds (tools/make-test-books), worked out from its transactions: shares
// issued 50,000; a bank loan of 40,000 less 5,000 repaid; equipment 30,000
// less 6,000 depreciation; purchases 60,000 with 3,000 of input tax, 55,000
// of them sold; sales 110,000 (80,000 on credit, 50,000 collected) with 5,500
// of sales tax; wages 20,000 of which 3,000 withheld; rent 12,000; a lawyer
// 1,500; interest paid 2,400 and earned 300; income tax 3,000 of which 1,000
// owed. Taxes owed to governments and the tax withheld are accounts payable,
// the input tax a current asset, the loan a long-term loan.
const Figures kTradingYear = {
    {Field::Cash, "61900"},           {Field::Ar, "34000"},          {Field::Inv, "5000"},
    {Field::OA, "3000"},              {Field::CA, "24000"},          {Field::Toa, "127900"},
    {Field::Ta, "127900"},            {Field::OperatingRevenue, "110000"}, {Field::Sales, "110000"},
    {Field::GrossProfit, "55000"},    {Field::OperatingProfit, "15500"}, {Field::InterestExpense, "2400"},
    {Field::PretaxProfit, "13400"},   {Field::ProfitAfterTax, "10400"}, {Field::AccountsPayable, "32500"},
    {Field::Ol, "35000"},             {Field::Tliab, "67500"},       {Field::ShareC, "50000"},
    {Field::RetEarn, "10400"},        {Field::Equity1, "60400"},     {Field::TotLiabShareEq, "127900"},
    {Field::CurrentAssets, "103900"}, {Field::CurrentLiabilities, "32500"}};

// How many of the accounts holding an amount went to their line item.
struct Tally {
    int right = 0, withAmount = 0;
    std::string wrong;
};
Tally tally(const Book& book, const std::vector<Target>& targets, const std::map<std::string, std::string>& expected,
            bool byName) {
    Tally t;
    for (size_t k = 0; k < book.accounts.size(); ++k) {
        const Account& a = book.accounts[k];
        if (a.balance == 0 && a.flow == 0) continue;
        ++t.withAmount;
        const auto it = expected.find(byName ? a.name : a.fullName);
        const std::string want = it == expected.end() ? "?" : it->second;
        if (want == TargetCode(targets[k])) ++t.right;
        else t.wrong += "  " + a.fullName + ": " + TargetCode(targets[k]) + " instead of " + want + "\n";
    }
    return t;
}

} // namespace

TEST_F(Books, BooksMadeFromGnuCashChartTemplatesGiveTheStatementOfTheirTransactions) {
    // Each account holding an amount, by chart, and its line item by the definitions.
    std::map<std::string, std::map<std::string, std::string>> expected;
    const SheetDocument list(TestBook("charts.csv"));
    for (const SheetRow& r : list.Rows(0))
        if (r.cells.size() == 3 && r.cells[0].text != "chart") expected[r.cells[0].text][r.cells[1].text] = r.cells[2].text;
    ASSERT_EQ(expected.size(), 6u);
    const std::map<std::string, std::string> currency = {{"de_DE", "EUR"}, {"en_GB", "GBP"}, {"en_US", "USD"},
                                                         {"fr_CA", "CAD"}, {"fr_CH", "CHF"}, {"fr_FR", "EUR"}};
    for (const auto& [chart, accounts] : expected)
        for (const char* format : {"sqlite", "xml"}) {
            const std::string file = "chart-" + chart + "-" + format + ".gnucash";
            SCOPED_TRACE(file);
            const Book book = ReadBookFile(TestBook(file));
            EXPECT_EQ(book.currency, currency.at(chart));
            const auto targets = MakeMapping(book, {}, Why::Remembered).targets;
            const Tally t = tally(book, targets, accounts, false);
            const Statement s = ComputeStatement(book, targets);
            const std::string diff = differences(s.record, kTradingYear);
            std::printf("%s: %d/%d accounts right, statement %s\n", file.c_str(), t.right, t.withAmount,
                        diff.empty() ? "right" : "wrong");
            EXPECT_EQ(t.withAmount, static_cast<int>(accounts.size()));
            EXPECT_EQ(t.wrong, "");
            EXPECT_EQ(diff, "");
        }
}

namespace {

// The same year as a trial balance: each account's role in it, its line item
// by the definitions and its balance at the year end (debit positive), and
// its movement in December.
struct Role {
    const char* role;
    Target target;
    int balance, december;
};
const Role kRoles[] = {
    {"bank", Target::Cash, 61900, -2000},     {"ar", Target::Ar, 34000, 0},
    {"inv", Target::Inv, 5000, 0},            {"taxin", Target::OACurrent, 3000, 0},
    {"equip", Target::CA, 30000, 0},          {"accdep", Target::CA, -6000, -6000},
    {"ap", Target::AccountsPayable, -23000, 0}, {"taxout", Target::AccountsPayable, -5500, 0},
    {"withheld", Target::AccountsPayable, -3000, 0}, {"incometaxpay", Target::AccountsPayable, -1000, -1000},
    {"loan", Target::Ol, -35000, 0},          {"capital", Target::ShareC, -50000, 0},
    {"sales", Target::Sales, -110000, 0},     {"interestinc", Target::OtherIncome, -300, 0},
    {"cogs", Target::Cogs, 55000, 0},         {"wages", Target::OperatingExpense, 20000, 0},
    {"rent", Target::OperatingExpense, 12000, 0}, {"legal", Target::OperatingExpense, 1500, 0},
    {"depexp", Target::OperatingExpense, 6000, 6000}, {"interestexp", Target::InterestExpense, 2400, 0},
    {"incometax", Target::IncomeTax, 3000, 3000},
};
const Role& role(const std::string& name) {
    for (const Role& r : kRoles)
        if (name == r.role) return r;
    throw std::logic_error(name);
}

// A trial balance as a program lays it out: title lines, a heading row, the
// accounts (a line starting with "#" is a group heading), a total line.
struct Layout {
    const char* program;
    const char* file;
    const char* titles;   // lines before the headings
    const char* headings;
    enum Columns { DebitCredit, NumberDebitCredit, MonthAndYearToDate } columns;
    bool french;          // ";", decimal comma, (no-break) space groups, Windows-1252
    std::vector<std::pair<const char*, const char*>> lines;  // role (or "#"), name
    const char* total;
    const char* footer;
};

std::string money(std::int64_t dollars, bool french, bool nbsp) {
    if (dollars == 0) return "";
    std::string digits = std::to_string(dollars);
    std::string grouped;
    for (size_t k = 0; k < digits.size(); ++k) {
        if (k && (digits.size() - k) % 3 == 0) grouped += french ? (nbsp ? "\xc2\xa0" : " ") : ",";
        grouped += digits[k];
    }
    return "\"" + grouped + (french ? ",00" : ".00") + "\"";
}

std::string writeLayout(const Layout& l, const std::string& dir) {
    const char sep = l.french ? ';' : ',';
    std::string out = std::string(l.titles) + l.headings + "\n";
    std::int64_t total = 0;
    bool nbsp = false;
    for (const auto& [what, name] : l.lines) {
        if (*what == '#') {
            out += std::string("\"") + name + "\"\n";
            continue;
        }
        const Role& r = role(what);
        std::string label = std::string("\"") + name + "\"";
        if (l.columns == Layout::NumberDebitCredit) {
            const std::string n = name;
            label = "\"" + n.substr(0, n.find(' ')) + "\"" + sep + "\"" + n.substr(n.find(' ') + 1) + "\"";
        }
        auto pair = [&](int v) {
            nbsp = !nbsp;
            return money(v > 0 ? v : 0, l.french, nbsp) + sep + money(v < 0 ? -v : 0, l.french, nbsp);
        };
        out += label + sep;
        if (l.columns == Layout::MonthAndYearToDate) out += pair(r.december) + sep;
        out += pair(r.balance) + "\n";
        total += r.balance > 0 ? r.balance : 0;
    }
    std::string totals = money(total, l.french, false) + sep + money(total, l.french, false);
    out += std::string(l.total) + sep + (l.columns == Layout::NumberDebitCredit ? std::string(1, sep) : "") +
           (l.columns == Layout::MonthAndYearToDate ? std::string(2, sep) : "") + totals + "\n" + l.footer;
    const std::string path = dir + "/" + l.file;
    std::ofstream(path, std::ios::binary)
        << (l.french ? QString::fromStdString(out).toLatin1().toStdString() : out);
    return path;
}

} // namespace

TEST_F(Books, TrialBalancesInEachProgramsLayoutGiveTheStatementOfTheTransactions) {
    using L = Layout;
    const Layout layouts[] = {
        {"QuickBooks Desktop", "qbd.csv", "\"12:00 PM\"\n\"01/07/11\"\n\"Accrual Basis\"\n", ",\"Dec 31, 10\",\n,Debit,Credit",
         L::DebitCredit, false,
         {{"bank", "1060 · Chequing"}, {"ar", "1200 · Accounts Receivable"}, {"inv", "1300 · Inventory Asset"},
          {"taxin", "1400 · GST/HST Recoverable"}, {"equip", "1700 · Furniture and Equipment"},
          {"accdep", "1750 · Accumulated Depreciation"}, {"ap", "2100 · Accounts Payable"},
          {"taxout", "2200 · GST/HST Payable"}, {"withheld", "2310 · Payroll Liabilities"},
          {"incometaxpay", "2400 · Corporate Income Tax Payable"}, {"loan", "2710 · Bank Loan"},
          {"capital", "3000 · Opening Balance Equity"}, {"sales", "4000 · Sales"},
          {"interestinc", "4800 · Interest Income"}, {"cogs", "5000 · Cost of Goods Sold"},
          {"wages", "5400 · Payroll Expenses"}, {"rent", "5600 · Rent Expense"},
          {"legal", "5700 · Professional Fees"}, {"depexp", "5750 · Depreciation Expense"},
          {"interestexp", "5800 · Interest Expense"}, {"incometax", "5900 · Income Tax Expense"}},
         "TOTAL", ""},
        {"QuickBooks Online", "qbo.csv", "Trial Balance\nNorthwind Trading Ltd.\n\"As of December 31, 2010\"\n\n",
         ",Debit,Credit", L::DebitCredit, false,
         {{"bank", "Checking"}, {"ar", "Accounts Receivable (A/R)"}, {"inv", "Inventory Asset"},
          {"taxin", "Prepaid Expenses"}, {"equip", "Truck:Original Cost"}, {"accdep", "Truck:Depreciation"},
          {"ap", "Accounts Payable (A/P)"}, {"taxout", "GST/HST Payable"}, {"withheld", "Payroll Liabilities:Income Tax"},
          {"incometaxpay", "Income Tax Payable"}, {"loan", "Loan Payable"}, {"capital", "Opening Balance Equity"},
          {"sales", "Sales of Product Income"}, {"interestinc", "Interest Earned"}, {"cogs", "Cost of Goods Sold"},
          {"wages", "Payroll Expenses:Wages"}, {"rent", "Rent or Lease"}, {"legal", "Legal & Professional Services"},
          {"depexp", "Depreciation Expense"}, {"interestexp", "Interest Paid"}, {"incometax", "Income Tax Expense"}},
         "TOTAL", "\n\"Accrual basis Friday, January 7, 2011 10:02 AM GMT-05:00\"\n"},
        {"Sage 50", "sage.csv", "Northwind Trading Ltd.\nTrial Balance As at 12/31/2010\n\n",
         "\"Account Number\",\"Account Description\",\"Debits\",\"Credits\"", L::NumberDebitCredit, false,
         {{"bank", "1060 Chequing Bank Account"}, {"ar", "1200 Accounts Receivable"}, {"inv", "1520 Inventory"},
          {"equip", "1820 Office Furniture & Equipment"}, {"accdep", "1825 Accum. Amort. -Furn. & Equip."},
          {"ap", "2100 Accounts Payable"}, {"taxout", "2310 GST Charged on Sales"},
          {"taxin", "2315 GST Paid on Purchases"}, {"withheld", "2330 Income Tax Payable"},
          {"incometaxpay", "2380 Corporate Taxes Payable"}, {"loan", "2920 Bank Loan"},
          {"capital", "3560 Share Capital"}, {"sales", "4020 Sales"}, {"interestinc", "4220 Interest Revenue"},
          {"cogs", "5010 Cost of Goods Sold"}, {"wages", "5410 Wages & Salaries"}, {"legal", "5620 Legal Fees"},
          {"rent", "5690 Rent"}, {"depexp", "5760 Amortization Expense"}, {"interestexp", "5780 Interest Expense"},
          {"incometax", "5910 Income Taxes"}},
         "\"Total\"", ""},
        {"Sage 50 (French)", "sage-fr.csv", "Balance de vérification au 31/12/2010\n\n",
         "\"N° de compte\";\"Description du compte\";\"Débits\";\"Crédits\"", L::NumberDebitCredit, true,
         {{"bank", "1060 Compte de chèques"}, {"ar", "1200 Comptes clients"}, {"inv", "1520 Stocks"},
          {"equip", "1820 Mobilier et matériel de bureau"}, {"accdep", "1825 Amort. cumulé - mobilier et matériel"},
          {"ap", "2100 Comptes fournisseurs"}, {"taxout", "2310 TPS perçue sur les ventes"},
          {"taxin", "2315 TPS payée sur les achats"}, {"withheld", "2330 Impôt sur le revenu à payer"},
          {"incometaxpay", "2380 Impôts des sociétés à payer"}, {"loan", "2920 Dettes bancaires à long terme"},
          {"capital", "3560 Capital-actions"}, {"sales", "4020 Ventes"}, {"interestinc", "4220 Revenus d'intérêts"},
          {"cogs", "5010 Coût des marchandises vendues"}, {"wages", "5410 Salaires"},
          {"legal", "5620 Honoraires juridiques"}, {"rent", "5690 Loyer"}, {"depexp", "5760 Amortissement"},
          {"interestexp", "5780 Frais d'intérêts"}, {"incometax", "5910 Impôts sur le revenu"}},
         "\"Total\"", ""},
        {"Xero", "xero.csv", "Trial Balance\nNorthwind Trading Ltd\nAs at 31 December 2010\n\n",
         "Account,Debit,Credit,YTD Debit,YTD Credit", L::MonthAndYearToDate, false,
         {{"#", "Revenue"}, {"sales", "Sales (200)"}, {"interestinc", "Interest Income (270)"},
          {"#", "Expenses"}, {"cogs", "Cost of Goods Sold (310)"}, {"depexp", "Depreciation (416)"},
          {"interestexp", "Interest Expense (437)"}, {"legal", "Legal expenses (441)"}, {"rent", "Rent (469)"},
          {"wages", "Wages and Salaries (477)"}, {"incometax", "Income Tax Expense (505)"},
          {"#", "Assets"}, {"bank", "Business Bank Account (090)"}, {"ar", "Accounts Receivable (610)"},
          {"taxin", "Prepayments (620)"}, {"inv", "Inventory (630)"}, {"equip", "Office Equipment (710)"},
          {"accdep", "Less Accumulated Depreciation on Office Equipment (711)"},
          {"#", "Liabilities"}, {"ap", "Accounts Payable (800)"}, {"taxout", "Sales Tax (820)"},
          {"withheld", "PAYG Withholdings Payable (825)"}, {"incometaxpay", "Income Tax Payable (830)"},
          {"loan", "Loan (900)"}, {"#", "Equity"}, {"capital", "Owner A Share Capital (970)"}},
         "Total", ""},
        {"Wave", "wave.csv", "Northwind Trading Ltd.\nTrial Balance\nAs of Dec 31, 2010\n\n", "Account Name,Debit,Credit",
         L::DebitCredit, false,
         {{"#", "Assets"}, {"bank", "Cash on Hand"}, {"ar", "Accounts Receivable"}, {"inv", "Inventory"},
          {"taxin", "Prepaid Expenses"}, {"equip", "Vehicles"}, {"accdep", "Vehicles - Accumulated Depreciation"},
          {"#", "Liabilities"}, {"ap", "Accounts Payable"}, {"taxout", "GST/HST"}, {"withheld", "Payroll Liabilities"},
          {"incometaxpay", "Income Tax Payable"}, {"loan", "Loan Payable"},
          {"#", "Equity"}, {"capital", "Owner Investment / Drawings"},
          {"#", "Income"}, {"sales", "Sales"}, {"interestinc", "Interest Income"},
          {"#", "Expense"}, {"cogs", "Cost of Goods Sold"}, {"wages", "Payroll - Salary & Wages"},
          {"rent", "Rent Expense"}, {"legal", "Professional Fees"}, {"depexp", "Depreciation Expense"},
          {"interestexp", "Interest Expense"}, {"incometax", "Income Tax Expense"}},
         "Total", ""},
    };
    // hledger's own names, flat and as a tree with its parents' subtotals.
    const std::pair<const char*, const char*> hledgerNames[] = {
        {"bank", "assets:bank:checking"}, {"ar", "assets:receivable"}, {"inv", "assets:inventory"},
        {"taxin", "assets:tax:input"}, {"equip", "assets:fixed:equipment"},
        {"accdep", "assets:fixed:accumulated depreciation"}, {"ap", "liabilities:payable"},
        {"taxout", "liabilities:tax:sales"}, {"withheld", "liabilities:employees:income tax"},
        {"incometaxpay", "liabilities:tax:income"}, {"loan", "liabilities:long-term:bank loan"},
        {"capital", "equity:capital"}, {"sales", "revenues:sales"}, {"interestinc", "revenues:interest"},
        {"cogs", "expenses:cogs"}, {"wages", "expenses:wages"}, {"rent", "expenses:rent"},
        {"legal", "expenses:legal"}, {"depexp", "expenses:depreciation"}, {"interestexp", "expenses:interest"},
        {"incometax", "expenses:income tax"}};
    std::string journal = "2010-12-31 The year\n";
    for (const auto& [r, name] : hledgerNames) journal += "    " + std::string(name) + "  " + std::to_string(role(r).balance) + "\n";

    struct Case {
        std::string program, path;
        std::vector<std::pair<const char*, const char*>> lines;
    };
    std::vector<Case> cases;
    for (const Layout& l : layouts) cases.push_back({l.program, writeLayout(l, dir), l.lines});
    const std::vector<std::pair<const char*, const char*>> hl(std::begin(hledgerNames), std::end(hledgerNames));
    cases.push_back({"hledger", HledgerBalance(dir, journal, "-e 2011-01-01"), hl});
    cases.push_back({"hledger --tree", HledgerBalance(dir, journal, "-e 2011-01-01 --tree"), hl});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        Book book;
        try {
            book = ReadBookFile(c.path);
        } catch (const ReadError& e) {
            ADD_FAILURE() << e.Message(0);
            std::printf("%s: not read\n", c.program.c_str());
            continue;
        }
        const auto targets = MakeMapping(book, {}, Why::Remembered).targets;
        // Each account by the name it was written with (number and Xero's "(200)" aside).
        std::map<std::string, std::string> expected;
        for (const auto& [r, written] : c.lines) {
            if (*r == '#') continue;
            std::string name = written;
            if (const auto dot = name.find(" · "); dot != std::string::npos) name = name.substr(dot + 4);
            if (c.program.rfind("Sage", 0) == 0) name = name.substr(name.find(' ') + 1);
            if (name.back() == ')' && name.find(" (") != std::string::npos && std::isdigit(name[name.size() - 2]))
                name = name.substr(0, name.rfind(" ("));
            expected[name] = TargetCode(role(r).target);
        }
        std::map<std::string, std::string> byAccount;
        for (const Account& a : book.accounts)
            for (const auto& [name, target] : expected)
                if (a.fullName == name || a.name == name ||
                    (a.fullName.size() > name.size() &&
                     a.fullName.compare(a.fullName.size() - name.size() - 1, std::string::npos, ":" + name) == 0))
                    byAccount[a.fullName] = target;
        const Tally t = tally(book, targets, byAccount, false);
        const Statement s = ComputeStatement(book, targets);
        const std::string diff = differences(s.record, kTradingYear);
        std::printf("%s: %d/%d accounts right, statement %s\n", c.program.c_str(), t.right, t.withAmount,
                    diff.empty() ? "right" : "wrong");
        EXPECT_EQ(t.withAmount, 21);
        EXPECT_EQ(t.wrong, "");
        EXPECT_EQ(diff, "");
    }
}

class BooksImport : public AppFixture {};

TEST_F(BooksImport, AStatementHoldingOnlyZerosIsNeverStoredAndTheUserIsToldWhy) {
    const std::string file = TestBook("chart-fr_CA-sqlite.gnucash");
    const std::string none = MakeTempDir("zorva-zeros") + "/none.csv";
    const Book book = ReadBookFile(file);
    std::ofstream(none, std::ios::binary) << MappingCsv(book, std::vector<Target>(book.accounts.size(), Target::None));
    struct Case {
        values::BooksOptions options;
        int language;
        const char* words;
    };
    const Case cases[] = {
        {{"", "", none}, 1, "tous les comptes qui ont un solde au 2010-12-31 sont exclus"},
        {{"", "", none}, 0, "every account holding an amount at 2010-12-31 is left out"},
        {{"2009-12-31", "", ""}, 1, "les livres n'ont aucun solde au 2009-12-31"},  // before the first transaction
    };
    for (const Case& c : cases) {
        const values::BooksImportResult r = values::ImportBooksToStore(gcnUser, file, c.options, c.language);
        EXPECT_EQ(r.saved, values::SaveResult::Refused) << c.words;
        EXPECT_TRUE(r.statement.noAmount);
        EXPECT_NE(r.reason.find(c.words), std::string::npos) << r.reason;
        EXPECT_EQ(GetRS(gcnUser, "select FirmName from MyValues", "read")->RecordCount(), 0);
    }
}

TEST_F(Books, EachSuggestionSaysTheRuleItWentByAndMarksWhatRestsOnTheNameAlone) {
    struct Case {
        const char* fullName;
        const char* type;
        const char* code;
        const char* currency;
        int language;
        const char* reason;  // the reason shown, whole
    };
    const Case cases[] = {
        {"Liabilities:Long-Term Liabilities:Bank Loan", "LIABILITY", "", "CAD", 0, "group \u201clong-term\u201d"},
        {"Loan Payable", "", "", "", 0,
         "account name \u201cloan\u201d \u2014 from its name alone: check it first"},
        {"Passif:Dettes bancaires à long terme", "", "2920", "", 1, "nom du compte \u00ab\u00a0a long terme\u00a0\u00bb"},
        {"Assets:Current Assets:US Account", "BANK", "", "USD", 0,
         "account type \u201cBANK\u201d \u2014 in USD, not in the books' CAD: its amounts are those of its transactions"},
    };
    for (const Case& c : cases) {
        Account a;
        a.fullName = c.fullName;
        a.name = a.fullName.substr(a.fullName.rfind(':') == std::string::npos ? 0 : a.fullName.rfind(':') + 1);
        a.type = c.type;
        a.code = c.code;
        a.currency = c.currency;
        if (*c.type) a.cls = std::string(c.type) == "BANK" ? AccountClass::Asset : AccountClass::Liability;
        const Suggestion s = Suggest(a);
        EXPECT_EQ(ReasonText(a, s.why, s.rule, c.language, "CAD"), c.reason) << c.fullName;
    }
}
