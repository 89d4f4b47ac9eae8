#pragma once
// The values screen's two imports, written once for the screen, zorva-cli
// and the tests (like ValuesFlow.h): the questions go through the message
// service, the file chooser and the previews through enterprise/EnterpriseScreens.h.
//
// A statement file (File > Import…): the file is read (nothing on screen
// changes when it cannot be, whatever the failure), the preview shows what
// was read and how (encoding, separator, sheet) and lets the user keep the
// values of the line items the file does not name; a file naming another
// enterprise than the one on screen asks first (and then the save question
// when the screen has unsaved changes), and never mixes the two: the other
// enterprise's lines are all cleared.
//
// Books (File > Import from books…): a GnuCash book or a trial balance is
// read, each account gets its remembered target or a suggestion, and the
// preview shows the mapping and the statement with whether it balances; a
// change of target or year end recomputes the statement at once. Importing
// an unbalanced statement asks first (No goes back to the preview); the
// mapping is then remembered for the book in the user store.
//
// zorva-cli import --books runs the same steps without a screen, answering
// the questions from its options, and saves the statement as Save does.

#include "core/DBTools.h"
#include "enterprise/BookMapping.h"
#include "enterprise/StatementImport.h"
#include "enterprise/ValuesFlow.h"

#include <memory>
#include <string>
#include <vector>

namespace zorva {

namespace import {

// What the statement preview shows, and what the user chose there.
struct StatementReview {
    std::string path;
    std::shared_ptr<const SheetDocument> document;
    StatementPreview preview;
    int language = 0;
    // A typed amount on screen that the file does not name is not zero: the
    // choice to keep such values matters.
    bool screenHasOtherValues = false;
    bool keepOtherLines = false;  // the user's choice
    // Reads the preview again from another sheet of the workbook. Throws ReadError.
    void ChooseSheet(int sheet);
};

} // namespace import

namespace books {

// What the books preview shows; the preview changes targets and the year
// end through it, and the statement follows at once.
struct BooksReview {
    Book book;
    Mapping mapping;
    Statement statement;
    std::string name;          // the enterprise's name the record will carry
    int language = 0;
    bool allRemembered = false;  // every account's target was remembered
    void SetTarget(size_t account, Target target);
    void SetYearEnd(int yyyymmdd);
    void Recompute() { statement = ComputeStatement(book, mapping.targets); }
    // The statement as a record: its values, the name and the year of the year end.
    RecordTexts Record() const;
    // The year ends the preview offers: 31 December of the edition's years,
    // latest first (2010, 2009, 2008 in the shipped one), and the one in force
    // when it is another.
    std::vector<int> YearEnds() const;
};

// Amounts of the preview and the messages: ten-thousandths with two decimals
// and the language's grouping ("97,550.00", "97 550,00").
std::string MoneyText(std::int64_t tenThousandths, int language);

} // namespace books

namespace values {

// File > Import…: the chooser, then ImportStatementFile. True when the screen changed.
bool ImportStatement(RecordHolder& holder, ConnectionHandle& user);
bool ImportStatementFile(RecordHolder& holder, ConnectionHandle& user, const std::string& path);

// File > Import from books…: the chooser, then ImportBooksFile.
bool ImportBooks(RecordHolder& holder, ConnectionHandle& user);
bool ImportBooksFile(RecordHolder& holder, ConnectionHandle& user, const std::string& path);

// The questions' texts, in a language.
std::string AnotherEnterpriseQuestion(const std::string& fileName, const std::string& screenName, int language);
std::string UnbalancedText(const books::Statement& statement, int language);
std::string UnbalancedQuestion(const books::Statement& statement, int language);
// Why a statement holding only zeros is not imported (every account left out,
// or no amount in the books at the year end).
std::string NoAmountText(const books::Book& book, const books::Statement& statement, int language);

// zorva-cli import --books.
struct BooksOptions {
    std::string yearEnd;      // "YYYY-MM-DD"; empty: the book's default
    std::string name;         // empty: the book's company, else the file's name
    std::string mappingFile;  // read when it exists, then written with the mapping used
};
struct BooksImportResult {
    SaveResult saved = SaveResult::Refused;
    std::string reason;      // why it was refused or declined (a message of the program)
    RecordTexts record;
    books::Book book;
    books::Statement statement;
    int remembered = 0;      // accounts whose target was remembered or read from the mapping file
    bool mappingRemembered = false;
};
// Reads the book, maps it (remembered, then the mapping file, then
// suggestions), computes the statement and, when it balances or the
// unbalanced question (Yes/No) is answered Yes, saves it with Save's replace
// question. Throws ReadError when the book cannot be read and
// std::runtime_error for a bad year end or mapping file.
BooksImportResult ImportBooksToStore(ConnectionHandle& user, const std::string& path, const BooksOptions& options,
                                     int language);

// Message ids.
inline constexpr int kMsgAnotherEnterprise = 2910;  // {F} the file's enterprise, {S} the screen's
inline constexpr int kMsgUnbalanced = 2914;         // {A} assets, {L} liabilities and equity, {D} difference
inline constexpr int kMsgImportAnyway = 2912;
inline constexpr int kMsgCannotRead = 1856;
inline constexpr int kMsgNotRemembered = 2916;
inline constexpr int kMsgAllLeftOut = 3300;  // {E} the year end
inline constexpr int kMsgNoAmount = 3302;    // {E} the year end

} // namespace values
} // namespace zorva
