#pragma once
// Files written by the real programs the imports read: the GnuCash books
// committed under tests/support/books (made by tools/make-test-books with
// GnuCash's own Python bindings), and hledger and LibreOffice run at test
// time (Debian's hledger and libreoffice-calc-nogui, installed by
// tools/install-deps).

#include <string>
#include <vector>

namespace zorva::test {

// A workbook printed by LibreOffice (headless, to PDF in dir): the text of
// each page, laid out as printed (poppler's pdftotext -layout).
std::vector<std::string> PrintedPages(const std::string& workbook, const std::string& dir);

// A flat OpenDocument spreadsheet (.fods, as LibreOffice reads it) holding
// the given <table:table> elements. Its styles: "money", a French amount with
// grouping and two decimals (cells), and "hidden" (tables).
std::string FlatSpreadsheet(const std::string& tables);

// A committed test book ("northwind-sqlite.gnucash" ...).
std::string TestBook(const std::string& name);

// Runs a command line through the shell; its exit status.
int RunCommand(const std::string& commandLine);
// A shell word for a path or argument.
std::string ShellQuote(const std::string& s);

// hledger's trial balance of a journal: `hledger -f JOURNAL balance ARGS -O csv`
// written to a file in dir; its path.
std::string HledgerBalance(const std::string& dir, const std::string& journal, const std::string& args);

// LibreOffice's headless conversion of files (each "name.fods") into dir:
// the paths of the converted files, in the order given. format is as
// soffice's --convert-to takes it ("xlsx", "csv:Text - txt - csv (StarCalc):59,34,1").
std::vector<std::string> LibreOfficeConvert(const std::vector<std::string>& files, const std::string& format,
                                            const std::string& extension, const std::string& dir);

} // namespace zorva::test
