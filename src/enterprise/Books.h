#pragma once
// An enterprise's books as read from a file, for File > Import from books and
// zorva-cli import --books: its accounts with their balances at a fiscal year
// end and, for the income-statement accounts, the movement of the fiscal
// year ending then. Three kinds of file are read:
//
//   a GnuCash book saved as SQLite (read-only through the SQLite C API: the
//     tables accounts, transactions, splits, slots and books; no statement
//     stored in the file is run, its tables must be tables, and a query that
//     runs too long is stopped);
//   a GnuCash book saved as XML, gzip-compressed or not (zlib and
//     QXmlStreamReader as a stream, within BookLimits(); the scheduled
//     transactions' templates are not part of the books);
//   a trial balance in CSV or XLSX as accounting programs, hledger and
//     ledger print it (TrialBalance.cpp): account number and/or name, then
//     debit and credit columns or one balance column, with or without group
//     headings and total lines.
//
// Amounts are held exactly as signed counts of ten-thousandths (the record's
// own fixed-point form), debit positive. A GnuCash book keeps every posting,
// so the year end can be changed without reading the file again; a trial
// balance has no dates: its balances are those of its one period, and its
// income and expense balances are taken as the fiscal year's movement.
//
// A GnuCash transaction marked as closing the books (GnuCash's own
// "book_closing" mark) counts in the balances but not in the year's income
// and expense, so the profit of a closed year is the profit before closing.

#include "enterprise/SheetFile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zorva::books {

enum class AccountClass { Unknown, Asset, Liability, Equity, Income, Expense };

struct Posting {
    int date = 0;              // yyyymmdd
    std::int64_t amount = 0;   // ten-thousandths, debit positive
    bool closing = false;      // part of a transaction that closes the books
};

struct Account {
    std::string key;       // what a remembered mapping is kept under (GUID, number or name)
    std::string code;      // account number, may be empty
    std::string name;      // its own name ("Chequing")
    std::string fullName;  // with its parents ("Assets:Current Assets:Chequing")
    std::string type;      // GnuCash's account type ("BANK"); empty for a trial balance
    std::string currency;  // GnuCash: its currency or commodity ("CAD"); empty for a trial balance
    AccountClass cls = AccountClass::Unknown;  // from the type or the file's groups; else Unknown
    std::string where;     // trial balance: the row it came from ("A12")
    bool ambiguous = false;            // trial balance: an amount read by the file's convention
    std::vector<Posting> postings;     // GnuCash
    // At the year end in force: the balance (closing entries included) and,
    // for every account, the movement of the fiscal year without closing entries.
    std::int64_t balance = 0;
    std::int64_t flow = 0;
};

enum class BookKind { TrialBalance, GnuCashSqlite, GnuCashXml };

struct Book {
    BookKind kind = BookKind::TrialBalance;
    std::string path;
    std::string key;      // the book's identity for its remembered mapping
    std::string company;  // the enterprise's name when the book gives one
    std::string currency; // GnuCash: the currency of most of its accounts
    std::vector<Account> accounts;
    int firstDate = 0, lastDate = 0;  // GnuCash: the first and last posting (yyyymmdd)
    int yearEnd = 0;                  // the year end in force (yyyymmdd)
    // Trial balance: how the file was read (the preview says it).
    bool workbook = false;
    TextEncoding encoding = TextEncoding::Utf8;
    char separator = ',';
    std::string sheet;
    bool Dated() const { return kind != BookKind::TrialBalance; }
    // Recomputes every account's balance and flow for a year end (GnuCash);
    // a trial balance only takes the date.
    void SetYearEnd(int yyyymmdd);
    // The last 31 December of the edition's years within the book's dates (the latest
    // when the book has none or they all come later).
    int DefaultYearEnd() const;
};

// "2010-12-31" <-> 20101231; 0 when the text is not a date.
int ParseDate(std::string_view text);
std::string FormatDate(int yyyymmdd);
// The reference year of a year end (its calendar year).
inline int YearOf(int yyyymmdd) { return yyyymmdd / 10000; }

// What the file is, by its first bytes: a GnuCash book (SQLite, or XML
// compressed or not) or else a trial balance.
BookKind KindOfFile(const std::string& path);

// Reads a book or a trial balance and sets its default year end. Throws
// ReadError (BoundedRead.h) when it cannot be read or holds no account.
Book ReadBookFile(const std::string& path);
Book ReadGnuCashSqlite(const std::string& path);
Book ReadGnuCashXml(const std::string& path);
Book ReadTrialBalance(const std::string& path);

// The identity of a trial balance's file for its remembered mapping: its
// folder and name with every run of digits as "#", so that next year's
// "balance 2011.csv" beside "balance 2010.csv" is the same book.
std::string TrialBalanceKey(const std::string& path);

} // namespace zorva::books
