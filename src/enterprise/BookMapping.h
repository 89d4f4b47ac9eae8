#pragma once
// From books to a statement: each account goes to a line item of the
// balance sheet, to a role of the income statement, or is left out; the
// statement follows from that mapping.
//
// Targets. The balance-sheet line items that are typed on the values screen,
// four of them in a current and a long-term form (other assets, loans and
// other borrowing, other liabilities), so that current assets and current
// liabilities follow from the mapping; and six income-statement roles:
// sales, cost of goods sold, operating expense, interest expense, income tax,
// other income.
//
// Suggestions, in this order: GnuCash's specific account types (bank, cash,
// receivable, payable, stock, mutual fund, credit card); the account's own
// name in English or French; the names of its groups ("Fixed Assets:Truck");
// its number in the usual blocks of small-business charts of accounts (1000
// to 5999, also with five digits); then the default of its class (asset,
// liability, equity, income, expense). An account whose class is unknown is
// left out, and the preview says so. A contra account (accumulated
// amortization) goes with its assets: its credit balance lowers them.
//
// The statement. Assets are debit balances, liabilities and equity credit
// balances, at the year end. The income statement is the fiscal year's
// movement of the accounts given roles: operating revenue = sales; gross
// profit = sales - cost of goods sold; operating profit = gross profit -
// operating expense; pretax profit = operating profit - interest expense +
// other income; net profit = pretax profit - income tax. Whatever the
// income-statement accounts hold at the year end (the profit of the year and
// of the years before, when the books were not closed) is closed into
// retained earnings, so books that are not closed balance as closed books do.
// Current assets = cash + receivables + inventory + other current assets;
// current liabilities = payables + short-term paper + current loans + other
// current liabilities. The five totals are the record's own subtotals.
//
// Remembered mappings live in the user store's table BookMappings, one row
// per account of a book (Jet dialect through the database layer, so any
// backend of it serves); a mapping file is the same mapping as CSV.

#include "core/DBTools.h"
#include "enterprise/Books.h"
#include "enterprise/EnterpriseRecord.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zorva::books {

enum class Target {
    None,
    Cash, Ar, Inv, OACurrent, CA, OA, Invest, Ptfl,
    AccountsPayable, Paper, OlCurrent, Ol, Mtg, Bonds, AmtsAffil, OLiabCurrent, OLiab, DefTax,
    ShareC, RetEarn, OtherSur,
    Sales, Cogs, OperatingExpense, InterestExpense, IncomeTax, OtherIncome,
};
inline constexpr int kTargetCount = static_cast<int>(Target::OtherIncome) + 1;

// Every target in the order of the preview's list.
const std::vector<Target>& AllTargets();
// Its code in the store and in mapping files ("Cash", "OA.current", "sales", "none").
const char* TargetCode(Target t);
// A code, or a caption in either language (letter case and accents aside).
std::optional<Target> TargetByName(const std::string& text);
// Its caption in a language ("Other assets, current"; "Income statement: sales").
std::string TargetCaption(Target t, int language);
// The record's field of a balance-sheet target (Field::FirmName for None and the roles).
Field TargetField(Target t);
bool IsRole(Target t);

// Where a suggestion came from.
enum class Why { Remembered, MappingFile, Type, Name, Group, Number, Class, Unknown };
std::string WhyCaption(Why why, int language);

struct Suggestion {
    Target target = Target::None;
    Why why = Why::Unknown;
    std::string rule;  // what it went by: the phrase of the name or group, the type, the number
};
Suggestion Suggest(const Account& account);
// Whether a suggestion rests on the account's name alone (no GnuCash type, no
// number in a known block): the preview marks it, to be checked first.
bool NameOnly(const Account& account, Why why);
// The reason the preview shows: where the target came from, the rule it went
// by ("account name «bank loan»"), and the mark of a name-only suggestion.
// An account in another currency than the books' says so.
std::string ReasonText(const Account& account, Why why, const std::string& rule, int language,
                       const std::string& booksCurrency = {});
// The class of an account: its GnuCash type, its groups' names (hledger's
// "assets:", a trial balance's headings), its number, else its name.
AccountClass ClassOf(const Account& account);

// The statement of a book under a mapping (one target per account).
struct Statement {
    RecordTexts record;                 // the 32 values (name and year left empty)
    std::int64_t totalAssets = 0;       // ten-thousandths
    std::int64_t totalLiabilitiesAndEquity = 0;
    std::int64_t closedIntoRetainedEarnings = 0;  // income and expense not closed in the books
    std::int64_t profitOfYear = 0;
    bool balanced = false;              // the two totals agree to the cent
    bool outOfRange = false;            // a total left the record's range
    std::vector<size_t> leftOut;        // accounts left out that hold an amount
    // Nothing to store: every value of the statement is zero, because the
    // books hold no amount at the year end or every account holding one is
    // left out.
    bool noAmount = false;
};
Statement ComputeStatement(const Book& book, const std::vector<Target>& targets);

// An account's amount as its target takes it: the balance (debit positive
// for assets, credit positive for liabilities and equity) or the year's
// movement for a role (credit positive for sales and other income).
std::int64_t AmountFor(const Account& account, Target target);

// ---------------------------------------------------------------- remembered

inline constexpr const char* kMappingTable = "BookMappings";
// The mapping remembered for a book: account key -> target (empty when none,
// or when the store has no BookMappings table).
std::map<std::string, Target> LoadRememberedMapping(ConnectionHandle& user, const std::string& bookKey);
// Replaces the book's remembered mapping, in one transaction. False when the
// store has no BookMappings table (the mapping is then not remembered).
bool RememberMapping(ConnectionHandle& user, const Book& book, const std::vector<Target>& targets);

// ---------------------------------------------------------------- mapping files

// The mapping as CSV: a header, then one row per account (its key, number,
// full name and target code).
std::string MappingCsv(const Book& book, const std::vector<Target>& targets);
// A mapping file's targets by account key (rows found by key, else number,
// else full name). Throws ReadError or std::runtime_error naming the line of
// an unknown target.
std::map<std::string, Target> ReadMappingFile(const std::string& path, const Book& book);

// The targets of a book: remembered (or from a file) where given, else suggested.
struct Mapping {
    std::vector<Target> targets;
    std::vector<Why> why;
    std::vector<std::string> rules;  // Suggestion::rule; empty when remembered or given
    int remembered = 0;  // accounts whose target was remembered or given by a file
};
Mapping MakeMapping(const Book& book, const std::map<std::string, Target>& given, Why givenWhy);

} // namespace zorva::books
