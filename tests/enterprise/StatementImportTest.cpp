// A statement read from a CSV or XLSX file: both layouts, English and French
// captions and number formats, unknown lines listed and left out, and files
// that cannot be read.

#include "support/AppFixture.h"

#include "enterprise/StatementImport.h"

#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <filesystem>
#include <fstream>

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
        r[Field::OA] = "10";  // a box the file does not name keeps its value
        ASSERT_TRUE(ApplyStatement(p, r)) << c.what;
        EXPECT_EQ(r[Field::Toa], "510.5") << c.what;
        EXPECT_EQ(r[Field::Ta], "510.5") << c.what;
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
                          Case{writeCsv("Cash,1\nCaf\xE9,2\n"), "line 2 is not UTF-8"},
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
