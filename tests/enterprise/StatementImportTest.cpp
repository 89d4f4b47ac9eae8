// A statement read from a CSV or XLSX file: both layouts, English and French
// captions and number formats, unknown lines listed and left out, and files
// that cannot be read.

#include "support/AppFixture.h"
#include "support/OtherPrograms.h"

#include "core/Strings.h"
#include "enterprise/BoundedRead.h"
#include "enterprise/StatementImport.h"

#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <zip.h>
#include <zlib.h>

using namespace zorva;
using namespace zorva::import;
using namespace zorva::test;

namespace {

class StatementImport : public ::testing::Test {
protected:
    std::string dir = MakeTempDir("zorva-import");
    int files = 0;
    std::string writeCsv(const std::string& text) {
        std::string path = dir + "/s" + std::to_string(++files) + ".csv";
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    // Cells as {row, column, text, number?}.
    struct Cell {
        int row, col;
        const char* text;
        double number;
        bool isNumber;
    };
    std::string writeXlsx(const std::vector<Cell>& cells) {
        std::string path = dir + "/s" + std::to_string(++files) + ".xlsx";
        lxw_workbook* wb = workbook_new(path.c_str());
        lxw_worksheet* ws = workbook_add_worksheet(wb, "Statement");
        for (const Cell& c : cells) {
            if (c.isNumber) worksheet_write_number(ws, c.row, c.col, c.number, nullptr);
            else worksheet_write_string(ws, c.row, c.col, c.text, nullptr);
        }
        EXPECT_EQ(workbook_close(wb), LXW_NO_ERROR);
        return path;
    }
};

std::string valueOf(const StatementPreview& p, Field f) {
    for (const auto& l : p.lines)
        if (l.field == f) return l.ok ? l.value : "refused: " + l.problem;
    return "absent";
}
std::string cellOf(const StatementPreview& p, Field f) {
    for (const auto& l : p.lines)
        if (l.field == f) return l.cell;
    return "";
}

} // namespace

TEST_F(StatementImport, EachLayoutAndNumberFormatInBothLanguages) {
    struct Case {
        const char* what;
        std::string path;
        Layout layout;
        const char* cashCell;
    };
    const std::vector<Case> cases = {
        {"two columns, English captions and numbers",
         writeCsv("Line item,Amount\nCash and deposits:,\"1,234.50\"\nACCOUNTS RECEIVABLE,(1 234)\nInv,$500\n"),
         Layout::TwoColumns, "B2"},
        {"two columns, French captions and numbers",
         writeCsv("Poste;Montant\nEncaisse et depots :,\"1 234,50\"\n comptes débiteurs,(1\xC2\xA0" "234)\nStocks,500 $\n"),
         Layout::TwoColumns, "B2"},
        {"one row, column names", writeCsv("cash,AR,Inv\n1234.5,-1234,500%\n"), Layout::OneRow, "A2"},
        {"one row, French captions, amounts in French",
         writeCsv("Encaisse et dépôts,Comptes débiteurs,Stocks\n\"1 234,5\",\"−1 234\",500\n"), Layout::OneRow, "A2"},
        {"two columns in a workbook, number cells and French texts",
         writeXlsx({{0, 0, "Cash and deposits", 0, false}, {0, 1, nullptr, 1234.5, true},
                    {1, 0, "Comptes débiteurs:", 0, false}, {1, 1, "(1 234,00)", 0, false},
                    {2, 0, "INV", 0, false}, {2, 1, nullptr, 500, true}}),
         Layout::TwoColumns, "B1"},
        {"one row in a workbook",
         writeXlsx({{0, 1, "Cash", 0, false}, {0, 2, "Accounts receivable", 0, false}, {0, 3, "Inventory", 0, false},
                    {1, 1, nullptr, 1234.5, true}, {1, 2, nullptr, -1234, true}, {1, 3, "500.00", 0, false}}),
         Layout::OneRow, "B2"},
    };
    for (const Case& c : cases) {
        StatementPreview p = ReadStatementFile(c.path, 0);
        EXPECT_EQ(p.layout, c.layout) << c.what;
        EXPECT_TRUE(p.unknown.empty()) << c.what << ": " << (p.unknown.empty() ? "" : p.unknown[0].label);
        EXPECT_EQ(valueOf(p, Field::Cash), "1234.5") << c.what;
        EXPECT_EQ(valueOf(p, Field::Ar), "-1234") << c.what;
        EXPECT_EQ(valueOf(p, Field::Inv), "500") << c.what;
        EXPECT_EQ(cellOf(p, Field::Cash), c.cashCell) << c.what;
        RecordTexts r;
        InitializeValues(r, 0);
        r[Field::OA] = "10";  // a box the file does not name is cleared
        ASSERT_TRUE(ApplyStatement(p, r)) << c.what;
        EXPECT_EQ(r[Field::Toa], "500.5") << c.what;
        EXPECT_EQ(r[Field::Ta], "500.5") << c.what;
    }
}

// A heading row of just two line items over their amounts is one statement
// in a row, not a two-column list of "Cash: Sales" and "100: 200".
TEST_F(StatementImport, TwoLineItemsOverTheirAmountsAreOneRow) {
    for (const std::string& path : {writeCsv("Cash,Sales\n100,200\n"),
                                    writeXlsx({{0, 0, "Cash", 0, false}, {0, 1, "Sales", 0, false},
                                               {1, 0, nullptr, 100, true}, {1, 1, nullptr, 200, true}})}) {
        StatementPreview p = ReadStatementFile(path, 0);
        EXPECT_EQ(p.layout, Layout::OneRow) << path;
        EXPECT_EQ(valueOf(p, Field::Cash), "100") << path;
        EXPECT_EQ(valueOf(p, Field::Sales), "200") << path;
        EXPECT_TRUE(p.unknown.empty()) << path;
    }
}

TEST_F(StatementImport, UnknownLinesAreListedAndNeverImported) {
    StatementPreview p = ReadStatementFile(
        writeCsv("Cash,100\nGoodwill,250\nCash equivalents,7\nTotal assets,999\nAccounts payable,abc\n"), 1);
    ASSERT_EQ(p.unknown.size(), 2u);
    EXPECT_EQ(p.unknown[0].label, "Goodwill");
    EXPECT_EQ(p.unknown[0].cell, "A2");
    EXPECT_EQ(p.unknown[1].label, "Cash equivalents");
    EXPECT_EQ(valueOf(p, Field::AccountsPayable), "refused: pas un nombre");
    RecordTexts r;
    InitializeValues(r, 1);
    ASSERT_TRUE(ApplyStatement(p, r));
    EXPECT_EQ(r[Field::Cash], "100");
    EXPECT_EQ(r[Field::Ta], "100");  // the file's total is recomputed, not taken
    EXPECT_EQ(r[Field::AccountsPayable], "0");
}

TEST_F(StatementImport, AFileThatCannotBeReadSaysWhy) {
    std::string workbook = writeXlsx({{0, 0, "Cash", 0, false}, {0, 1, nullptr, 5, true}});
    std::string damaged = dir + "/damaged.xlsx";
    {
        std::ifstream in(workbook, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        std::ofstream(damaged, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    }
    struct Case {
        std::string path;
        const char* says;
    };
    for (const Case& c : {Case{writeCsv(""), "empty"}, Case{writeCsv("\n\n"), "nothing"},
                          Case{writeCsv("\xEF\xBB\xBF" "Cash,1\nCaf\xE9,2\n"), "line 2 is not UTF-8"},
                          Case{damaged, "workbook"}, Case{dir + "/missing.csv", "does not exist"},
                          Case{writeCsv("Cash,\"1\n"), "not closed"}}) {
        try {
            ReadStatementFile(c.path, 0);
            ADD_FAILURE() << c.path << " was read";
        } catch (const SheetError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
    }
}

TEST_F(StatementImport, TheShippedTemplatesReadBackWithEveryLineItem) {
    for (const char* ext : {".csv", ".xlsx"}) {
        StatementPreview p = ReadStatementFile(BuiltAppDir() + "/statement-template" + ext, 1);
        EXPECT_EQ(p.layout, Layout::TwoColumns) << ext;
        EXPECT_TRUE(p.unknown.empty()) << ext;
        int importable = 0;
        for (const auto& l : p.lines) importable += l.ok && !l.computed;
        EXPECT_EQ(importable, 27 + 1) << ext;  // every typed amount and the year
        EXPECT_EQ(valueOf(p, Field::Year), "2010") << ext;
    }
}

namespace {

// A French statement as a bookkeeper keeps it in LibreOffice Calc: a first
// sheet of notes, a hidden draft sheet with line items, then the statement
// with its labels merged across two columns, an amount computed by a
// formula and a line item given twice.
const std::string kStatementFods = FlatSpreadsheet(R"(
  <table:table table:name="Notes"><table:table-row><table:table-cell office:value-type="string"><text:p>Préparé par la tenue de livres</text:p></table:table-cell></table:table-row></table:table>
  <table:table table:name="Brouillon" table:style-name="hidden">
   <table:table-row><table:table-cell office:value-type="string"><text:p>Encaisse et dépôts</text:p></table:table-cell><table:table-cell office:value-type="float" office:value="1"/></table:table-row>
   <table:table-row><table:table-cell office:value-type="string"><text:p>Stocks</text:p></table:table-cell><table:table-cell office:value-type="float" office:value="2"/></table:table-row>
   <table:table-row><table:table-cell office:value-type="string"><text:p>Hypothèques</text:p></table:table-cell><table:table-cell office:value-type="float" office:value="3"/></table:table-row>
   <table:table-row><table:table-cell office:value-type="string"><text:p>Capital-actions</text:p></table:table-cell><table:table-cell office:value-type="float" office:value="4"/></table:table-row>
  </table:table>
  <table:table table:name="État">
   <table:table-row><table:table-cell table:number-columns-spanned="2" office:value-type="string"><text:p>Encaisse et dépôts</text:p></table:table-cell><table:covered-table-cell/><table:table-cell table:style-name="money" office:value-type="float" office:value="1500"/></table:table-row>
   <table:table-row><table:table-cell table:number-columns-spanned="2" office:value-type="string"><text:p>Comptes débiteurs</text:p></table:table-cell><table:covered-table-cell/><table:table-cell table:style-name="money" table:formula="of:=[.C1]+100" office:value-type="float" office:value="1600"/></table:table-row>
   <table:table-row><table:table-cell table:number-columns-spanned="2" office:value-type="string"><text:p>Stocks</text:p></table:table-cell><table:covered-table-cell/><table:table-cell table:style-name="money" office:value-type="float" office:value="700"/></table:table-row>
   <table:table-row><table:table-cell table:number-columns-spanned="2" office:value-type="string"><text:p>Stocks</text:p></table:table-cell><table:covered-table-cell/><table:table-cell table:style-name="money" office:value-type="float" office:value="9999"/></table:table-row>
  </table:table>
)");

// A one-sheet French statement for LibreOffice's CSV: amounts with grouping
// and a decimal comma.
const std::string kCsvFods = FlatSpreadsheet(R"(<table:table table:name="État">
  <table:table-row><table:table-cell office:value-type="string"><text:p>Nom de l'entreprise</text:p></table:table-cell><table:table-cell office:value-type="string"><text:p>Café Thérèse</text:p></table:table-cell></table:table-row>
  <table:table-row><table:table-cell office:value-type="string"><text:p>Encaisse et dépôts</text:p></table:table-cell><table:table-cell table:style-name="money" office:value-type="float" office:value="12345.5"/></table:table-row>
  <table:table-row><table:table-cell office:value-type="string"><text:p>Stocks</text:p></table:table-cell><table:table-cell table:style-name="money" office:value-type="float" office:value="-250"/></table:table-row>
 </table:table>)");

} // namespace

TEST_F(StatementImport, CsvAsSpreadsheetProgramsWriteItWithTheEncodingAndSeparatorSaid) {
    const std::string fods = dir + "/etat.fods";
    std::ofstream(fods, std::ios::binary) << kCsvFods;
    struct Case {
        std::string path;
        TextEncoding encoding;
        char separator;
    };
    const std::vector<Case> cases = {
        // LibreOffice: Windows-1252 and UTF-16 (with its byte-order mark), ";" between fields.
        {LibreOfficeConvert({fods}, "csv:Text - txt - csv (StarCalc):59,34,1", "csv", dir)[0], TextEncoding::Windows1252, ';'},
        {LibreOfficeConvert({fods}, "csv:Text - txt - csv (StarCalc):59,34,65535", "csv", MakeTempDir("zorva-utf16"))[0],
         TextEncoding::Utf16LE, ';'},
        {writeCsv("\xEF\xBB\xBFNom de l'entreprise\tCaf\xC3\xA9 Th\xC3\xA9r\xC3\xA8se\nEncaisse et d\xC3\xA9p\xC3\xB4ts\t"
                  "12 345,50\nStocks\t-250\n"), TextEncoding::Utf8Bom, '\t'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const StatementPreview p = ReadStatementFile(c.path, 1);
        EXPECT_EQ(p.readAs.encoding, c.encoding);
        EXPECT_EQ(p.readAs.separator, c.separator);
        EXPECT_EQ(p.readAs.convention, DecimalMark::Comma);
        EXPECT_EQ(p.FirmName(), "Café Thérèse");
        EXPECT_EQ(valueOf(p, Field::Cash), "12345.5");
        EXPECT_EQ(valueOf(p, Field::Inv), "-250");
    }
}

TEST_F(StatementImport, AnAmountThatReadsTwoWaysFollowsTheFileAndIsMarked) {
    struct Case {
        const char* what;
        std::string csv;
        const char* inventory;  // "1.234" or "0,125" or "1,234"
        bool ambiguous;
    };
    const Case cases[] = {
        {"the file writes decimal points", "Cash,12.50\nInv,1.234\n", "1.234", true},
        {"the file writes thousands with points", "Cash,\"1.234.567,00\"\nInv,1.234\n", "1234", true},
        {"the file writes decimal commas", "Cash;12,5\nInv;0,125\n", ".125", true},
        {"a file separated by ';' with no other sign", "Cash;7\nInv;1,234\n", "1.234", true},
        {"a file separated by ',' with no other sign", "Cash,7\nInv,\"1,234\"\n", "1234", true},
        {"two decimals are no riddle", "Cash,7\nInv,\"1,23\"\n", "1.23", false},
        {"the accounting zero", "Cash,7\nInv,\" $ -   \"\n", "0", false},
    };
    for (const Case& c : cases) {
        const StatementPreview p = ReadStatementFile(writeCsv(c.csv), 0);
        EXPECT_EQ(valueOf(p, Field::Inv), c.inventory) << c.what;
        for (const auto& l : p.lines)
            if (l.field == Field::Inv) EXPECT_EQ(l.ambiguous, c.ambiguous) << c.what;
    }
}

TEST_F(StatementImport, WorkbooksAsSpreadsheetProgramsWriteThem) {
    const std::string fods = dir + "/etat-classeur.fods";
    std::ofstream(fods, std::ios::binary) << kStatementFods;
    const std::string libre = LibreOfficeConvert({fods}, "xlsx", "xlsx", dir)[0];
    StatementPreview p = ReadStatementFile(libre, 1);
    // The visible sheet with line items, not the notes nor the hidden draft.
    ASSERT_EQ(p.readAs.sheets.size(), 3u);
    EXPECT_EQ(p.readAs.sheets[p.readAs.sheet].name, "État");
    EXPECT_TRUE(p.readAs.sheets[1].hidden);
    EXPECT_EQ(valueOf(p, Field::Cash), "1500");  // after a label merged across A and B
    EXPECT_EQ(cellOf(p, Field::Cash), "C1");
    EXPECT_EQ(valueOf(p, Field::Ar), "1600");    // a formula with its saved result
    EXPECT_EQ(valueOf(p, Field::Inv), "700");
    int twice = 0;
    for (const auto& l : p.lines)
        twice += l.field == Field::Inv && !l.ok && l.problem.find("deux fois") != std::string::npos;
    EXPECT_EQ(twice, 1);
    // The user may read the hidden sheet all the same.
    p = ReadStatementFile(libre, 1, 1);
    EXPECT_EQ(valueOf(p, Field::Mtg), "3");

    // openpyxl writes formulas without their results.
    const std::string script = dir + "/formula.py";
    const std::string scripted = dir + "/formula.xlsx";
    std::ofstream(script) << "import openpyxl, sys\nwb = openpyxl.Workbook()\nws = wb.active\n"
                             "ws.append(['Cash', 10])\nws.append(['Inventory', '=B1*2'])\nwb.save(sys.argv[1])\n";
    ASSERT_EQ(RunCommand("/usr/bin/python3 " + ShellQuote(script) + " " + ShellQuote(scripted)), 0);
    p = ReadStatementFile(scripted, 0);
    EXPECT_EQ(valueOf(p, Field::Cash), "10");
    EXPECT_EQ(valueOf(p, Field::Inv), "refused: " + Txt(kProblemFormulaWithoutValue, 0));
}

TEST_F(StatementImport, HostileFilesAreRefusedQuicklyWithAMessageInTheLanguage) {
    // A workbook whose sheet inflates to 300 MB from a few hundred kilobytes
    // (the archive says so: refused before anything is inflated).
    const std::string bomb = dir + "/bomb.xlsx";
    {
        zipFile z = zipOpen(bomb.c_str(), APPEND_STATUS_CREATE);
        zip_fileinfo info{};
        zipOpenNewFileInZip(z, "xl/worksheets/sheet1.xml", &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 9);
        const std::string head = "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>";
        zipWriteInFileInZip(z, head.data(), static_cast<unsigned>(head.size()));
        const std::string blanks(1 << 20, 'a');
        for (int k = 0; k < 300; ++k) zipWriteInFileInZip(z, blanks.data(), static_cast<unsigned>(blanks.size()));
        zipCloseFileInZip(z);
        zipClose(z, nullptr);
    }
    ASSERT_LT(std::filesystem::file_size(bomb), 1u << 20);
    auto workbook = [&](const std::string& name, const std::string& sheetXml) {
        const std::string path = dir + "/" + name;
        zipFile z = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
        zip_fileinfo info{};
        zipOpenNewFileInZip(z, "xl/worksheets/sheet1.xml", &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6);
        zipWriteInFileInZip(z, sheetXml.data(), static_cast<unsigned>(sheetXml.size()));
        zipCloseFileInZip(z);
        zipClose(z, nullptr);
        return path;
    };
    const std::string entities = workbook(
        "entities.xlsx", "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
                         "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>&x;</t></is></c>"
                         "</row></sheetData></worksheet>");
    const std::string wide = workbook(
        "wide.xlsx", "<worksheet><sheetData><row r=\"1\"><c r=\"XFD1\"><v>1</v></c></row></sheetData></worksheet>");
    std::string many = "Cash,1\n";
    for (int k = 0; k < 100001; ++k) many += "x,1\n";
    struct Case {
        std::string path;
        int id;
        const char* french;
    };
    const Case cases[] = {
        {bomb, readmsg::kTooLarge, "plus volumineux"},
        {entities, readmsg::kDocumentType, "type de document"},
        {wide, readmsg::kRowTooWide, "la ligne 1"},
        {writeCsv(many), readmsg::kTooManyRows, "plus de lignes"},
    };
    for (const Case& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        try {
            ReadStatementFile(c.path, 1);
            ADD_FAILURE() << c.path << " was read";
        } catch (const ReadError& e) {
            EXPECT_EQ(e.id(), c.id) << e.what();
            EXPECT_NE(e.Message(1).find(c.french), std::string::npos) << e.Message(1);
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << c.path;
    }
}

// Each limit of what is read lets a file exactly at it through and refuses
// one a step past it, with its message: the rows of a sheet (CSV and
// workbook), and the inflated size of a gzip-compressed book of ordinary
// compressibility (no bomb: its ratio is that of real text).
TEST_F(StatementImport, AFileAtALimitIsReadAndOneStepPastItIsRefused) {
    const long rows = SheetLimits().maxRows;
    ReadLimits gzipLimits = BookLimits();
    gzipLimits.maxInflated = gzipLimits.ratioCheckAfter + (1 << 20);  // the ratio is judged too
    auto csv = [&](long count) {
        std::string text = "Cash,1\n";
        for (long k = 1; k < count; ++k) text += "x,1\n";
        return writeCsv(text);
    };
    auto xlsx = [&](long count) {
        const std::string path = dir + "/rows" + std::to_string(count) + ".xlsx";
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        lxw_workbook* wb = workbook_new_opt(path.c_str(), &options);
        lxw_worksheet* ws = workbook_add_worksheet(wb, "Statement");
        for (long k = 0; k < count; ++k) {
            worksheet_write_string(ws, static_cast<lxw_row_t>(k), 0, k ? "x" : "Cash", nullptr);
            worksheet_write_number(ws, static_cast<lxw_row_t>(k), 1, 1, nullptr);
        }
        EXPECT_EQ(workbook_close(wb), LXW_NO_ERROR);
        return path;
    };
    auto gzip = [&](long bytes) {
        // Letters as random as a book's identifiers: about 2 to 1 compressed.
        const std::string path = dir + "/book" + std::to_string(bytes) + ".gnucash";
        std::string text(static_cast<size_t>(bytes), ' ');
        std::uint32_t x = 12345;
        for (char& ch : text) ch = "0123456789abcdef"[(x = x * 1103515245u + 12345u) >> 28];
        gzFile gz = gzopen(path.c_str(), "wb1");
        gzwrite(gz, text.data(), static_cast<unsigned>(text.size()));
        gzclose(gz);
        return path;
    };
    auto readStatement = [](const std::string& path) { ReadStatementFile(path, 1); };
    auto readGzip = [&](const std::string& path) {
        GzipDevice device(path, gzipLimits);
        const QByteArray all = device.readAll();
        if (device.limitError()) throw *device.limitError();
        EXPECT_EQ(all.size(), gzipLimits.maxInflated);
    };
    const struct {
        const char* what;
        std::function<std::string(long)> make;
        long limit;
        std::function<void(const std::string&)> read;
        int id;
        const char* french;
    } cases[] = {
        {"CSV rows", csv, rows, readStatement, readmsg::kTooManyRows, "plus de lignes"},
        {"workbook rows", xlsx, rows, readStatement, readmsg::kTooManyRows, "plus de lignes"},
        {"gzip inflated bytes", gzip, static_cast<long>(gzipLimits.maxInflated), readGzip, readmsg::kTooLarge,
         "plus volumineux"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            c.read(c.make(c.limit));
        } catch (const ReadError& e) {
            ADD_FAILURE() << "a file at the limit was refused: " << e.what();
        }
        try {
            c.read(c.make(c.limit + 1));
            ADD_FAILURE() << "a file past the limit was read";
        } catch (const ReadError& e) {
            EXPECT_EQ(e.id(), c.id) << e.what();
            EXPECT_NE(e.Message(1).find(c.french), std::string::npos) << e.Message(1);
        }
    }
}
