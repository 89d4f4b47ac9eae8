// Reports exported as spreadsheets, read back with a spreadsheet reader
// (openpyxl) and a CSV reader: titles first, every number of the report's
// tables a number cell holding the number the page shows, with its decimals;
// and the same file whatever the template's layout.

#include "support/AppFixture.h"
#include "support/OtherPrograms.h"

#include "core/Catalogue.h"
#include "core/Globals.h"
#include "enterprise/EnterpriseRecord.h"
#include "reports/render/ReportExport.h"
#include "reports/render/ReportViewerLogic.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

using namespace zorva;
using namespace zorva::report;
using namespace zorva::test;

namespace {

// Cells of the first sheet (or the CSV) as [row, column, value, format].
QJsonArray readBack(const std::string& path) {
    const char* script = R"(
import csv, json, sys
p = sys.argv[1]
out = []
if p.endswith('.xlsx'):
    import openpyxl
    ws = openpyxl.load_workbook(p).worksheets[0]
    for row in ws.iter_rows():
        for c in row:
            if c.value is not None:
                out.append([c.row, c.column, c.value, c.number_format])
else:
    with open(p, newline='', encoding='utf-8') as f:
        for r, row in enumerate(csv.reader(f), 1):
            for k, v in enumerate(row, 1):
                if v != '':
                    out.append([r, k, v, ''])
print(json.dumps(out))
)";
    QProcess p;
    p.start("/usr/bin/python3", {"-c", script, QString::fromStdString(path)});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        ADD_FAILURE() << "reading back " << path << " failed: " << p.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).array();
}

class Export : public AppFixture {};

// The enterprise of the export tests, compared with the data set's first industry.
struct Prepared {
    std::vector<std::string> values;
    std::string naics;
    const DatasetChoice* choice;
};
Prepared Acme() {
    Prepared p;
    p.choice = FindChoice("optVol3");
    subSetDataTable(p.choice->option);
    auto first = GetRS(gcnIndustry, "select NAICS from " + gstrDataTable + " order by NAICS", "read");
    EXPECT_GT(first->RecordCount(), 0);
    p.naics = first->Fields(0).toString();
    RecordTexts r;
    InitializeValues(r, 0);
    r[Field::FirmName] = "Acme";
    r[Field::Year] = "2010";
    r[Field::Cash] = "125000";
    r[Field::Ar] = "875000";
    r[Field::AccountsPayable] = "600000";
    r[Field::ShareC] = "400000";
    r[Field::OperatingRevenue] = "3000000";
    r[Field::ProfitAfterTax] = "100000";
    subCalculateSubTotals(r);
    p.values = BuildComparisonValues(r, p.naics, "Industry");
    return p;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST_F(Export, EveryReportReadsBackWithThePagesNumbersAndDecimals) {
    const Prepared acme = Acme();
    const std::string dir = MakeTempDir("zorva-export");
    for (const char* type : {"rat", "bal", "com"}) {
        for (const char* lang : {"E", "F"}) {
            auto prepared = PrepareReport(gcnIndustry, gcnUser, type, acme.choice->volume, acme.choice->region, 2010,
                                          acme.naics, lang, acme.values);
            ASSERT_TRUE(prepared.has_value()) << type << lang;
            const Rendered& rendered = prepared->rendered;
            ASSERT_TRUE(rendered.model);
            // Every number of the lines and tables, in order; the page shows each as the export holds it.
            std::vector<const Value*> numbers;
            auto take = [&](const std::vector<Value>& cells) {
                for (const auto& cell : cells) {
                    if (!cell.number) continue;
                    numbers.push_back(&cell);
                    EXPECT_NE(rendered.html.find(cell.text + "<"), std::string::npos)
                        << type << lang << ": " << cell.text << " is not on the page";
                }
            };
            for (const auto& block : rendered.model->blocks) {
                take(block.cells);
                for (const auto& row : block.rows) take(row);
            }
            EXPECT_GT(numbers.size(), 20u) << type << lang;
            for (const char* ext : {".xlsx", ".csv"}) {
                const std::string path = dir + "/" + type + lang + ext;
                std::string error;
                ASSERT_TRUE(WriteExport(rendered, path, &error)) << error;
                const QJsonArray cells = readBack(path);
                ASSERT_FALSE(cells.isEmpty()) << path;
                // The report's title is the first row.
                EXPECT_EQ(cells[0].toArray()[0].toInt(), 1);
                EXPECT_EQ(cells[0].toArray()[2].toString().toStdString(), rendered.model->blocks.front().cells[0].text)
                    << path;
                // XLSX: number cells with the shown decimals as their format, in
                // the model's order; CSV: plain numbers ("." and no grouping) as
                // shown, in the same order among its cells (a code or a year
                // written as text looks like a number there).
                size_t k = 0;
                const bool csv = std::string(ext) == ".csv";
                static const QRegularExpression plain(QStringLiteral("^-?\\d+(\\.\\d+)?$"));
                size_t numberCells = 0;
                for (const auto& v : cells) {
                    const QJsonArray cell = v.toArray();
                    numberCells += cell[2].isDouble();
                    if (k >= numbers.size()) continue;
                    const Value& n = *numbers[k];
                    if (csv) {
                        const QString text = cell[2].toString();
                        if (plain.match(text).hasMatch() && text.toDouble() == *n.number &&
                            text.section('.', 1).size() == n.decimals)
                            ++k;
                        continue;
                    }
                    if (!cell[2].isDouble()) continue;
                    ++k;
                    EXPECT_EQ(cell[2].toDouble(), *n.number) << path << " " << n.text;
                    EXPECT_EQ(cell[3].toString().toStdString(), NumberFormat(n)) << path << " " << n.text;
                }
                EXPECT_EQ(k, numbers.size()) << path;
                if (!csv) EXPECT_EQ(numberCells, numbers.size()) << path;
            }
        }
    }
}

// On paper, each page of a report's workbook repeats the line names at its
// left, and no other column, and the report's titles at its top, down to the
// tables and not into their figures (the print titles as a spreadsheet
// program reads them back).
TEST_F(Export, AReportWorkbookRepeatsTheLineNamesAndTheTitlesOnEachPage) {
    const Prepared acme = Acme();
    const std::string dir = MakeTempDir("zorva-export-titles");
    for (const char* type : {"rat", "bal", "com"}) {
        SCOPED_TRACE(type);
        auto prepared = PrepareReport(gcnIndustry, gcnUser, type, acme.choice->volume, acme.choice->region, 2010,
                                      acme.naics, "E", acme.values);
        ASSERT_TRUE(prepared.has_value());
        const std::string path = dir + "/" + type + ".xlsx";
        std::string error;
        ASSERT_TRUE(WriteExport(prepared->rendered, path, &error)) << error;
        QProcess p;
        p.start("/usr/bin/python3",
                {"-c",
                 "import openpyxl, sys\n"
                 "ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
                 "figures = [c.row for row in ws.iter_rows() for c in row if isinstance(c.value, float)]\n"
                 "print((ws.print_title_cols or '').replace('$', ''), (ws.print_title_rows or '').replace('$', ''),\n"
                 "      min(figures))\n",
                 QString::fromStdString(path)});
        ASSERT_TRUE(p.waitForFinished(60000));
        const QStringList read = QString::fromUtf8(p.readAllStandardOutput()).trimmed().split(' ');
        ASSERT_EQ(read.size(), 3) << p.readAllStandardError().toStdString();
        EXPECT_EQ(read[0], "A:A");
        const QStringList rows = read[1].split(':');
        ASSERT_EQ(rows.size(), 2) << "no title rows repeat";
        EXPECT_EQ(rows[0], "1");
        EXPECT_LT(rows[1].toInt(), read[2].toInt()) << "a row of the tables' figures repeats";
    }
}

TEST_F(Export, NumberFormatsShowTheDecimalsTheSignAndThePerCent) {
    struct Case {
        Value value;
        const char* format;
    };
    const Case cases[] = {
        {Value::Number(1234.5, 2, NumberKind::Plain, Lang::French), "#,##0.00"},
        {Value::Number(2480000, 0, NumberKind::Plain, Lang::English), "#,##0"},
        {Value::Number(12.5, 1, NumberKind::Percent, Lang::French), "#,##0.0\"%\""},
        {Value::Number(-0.7, 1, NumberKind::Signed, Lang::English), "+#,##0.0;-#,##0.0;0.0"},
        {Value::Text("12.5"), ""},
        {Value::Null(), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(NumberFormat(c.value), c.format) << c.value.text;
    // The number kept is the number shown.
    EXPECT_EQ(*Value::Number(2.46, 1, NumberKind::Plain, Lang::French).number, 2.5);
    EXPECT_EQ(*Value::Number(-0.04, 1, NumberKind::Signed, Lang::English).number, 0.0);
}

TEST_F(Export, ATemplateWithAnotherLayoutExportsTheSameFile) {
    const Prepared acme = Acme();
    auto prepared = PrepareReport(gcnIndustry, gcnUser, "com", acme.choice->volume, acme.choice->region, 2010,
                                  acme.naics, "F", acme.values);
    ASSERT_TRUE(prepared.has_value());
    // The ratios as sentences with a unit, the balance sheet left out of the page.
    std::string text = ReadFile(appDir + "/rpt_Comparison.rpt");
    const size_t row = text.find("{{#RATIO}}"), rowEnd = text.find("{{/RATIO}}");
    ASSERT_NE(row, std::string::npos);
    text.replace(row, rowEnd - row, "{{#RATIO}}<tr><td>{{NAME}} : {{VALUE}} pts ({{Q2}})</td></tr>\n");
    const size_t part = text.find("{{#PART}}"), partEnd = text.find("{{/PART}}");
    text.replace(part, partEnd + 9 - part, "");
    auto other = Report::FromText(text, "other.rpt");
    RelocateTables(*other, ReportDataLocation());
    RenderOptions options;
    options.illustrative = FiguresAreIllustrative(gcnIndustry);
    options.comparisonValues = acme.values;
    const Rendered changed = other->Render(gcnUser, options);
    EXPECT_NE(changed.html.find("pts"), std::string::npos);
    const std::string dir = MakeTempDir("zorva-export-layout");
    std::string error;
    ASSERT_TRUE(WriteExport(prepared->rendered, dir + "/shipped.csv", &error)) << error;
    ASSERT_TRUE(WriteExport(changed, dir + "/other.csv", &error)) << error;
    const std::string shipped = ReadFile(dir + "/shipped.csv");
    EXPECT_GT(shipped.size(), 2000u);
    EXPECT_EQ(ReadFile(dir + "/other.csv"), shipped);
}

// Printed from a spreadsheet program (LibreOffice, headless, to PDF): every
// page carries the report's title, and each line of a table prints whole on
// one page, its name and its last figure together (the sheet is one page wide
// and its columns as wide as their texts).
TEST_F(Export, PrintedFromASpreadsheetProgramEveryPageHasTheTitleAndWholeLines) {
    const Prepared acme = Acme();
    const std::string dir = MakeTempDir("zorva-export-print");
    for (const char* lang : {"E", "F"}) {
        auto prepared = PrepareReport(gcnIndustry, gcnUser, "com", acme.choice->volume, acme.choice->region, 2010,
                                      acme.naics, lang, acme.values);
        ASSERT_TRUE(prepared.has_value()) << lang;
        const Rendered& rendered = prepared->rendered;
        const std::string xlsx = dir + "/com" + lang + ".xlsx";
        std::string error;
        ASSERT_TRUE(WriteExport(rendered, xlsx, &error)) << error;
        QStringList pageTexts;
        for (const std::string& page : PrintedPages(xlsx, dir)) pageTexts << QString::fromStdString(page);
        const int pages = static_cast<int>(pageTexts.size());
        ASSERT_GT(pages, 0) << lang;
        const QString title = QString::fromStdString(CellText(rendered.model->blocks.front().cells[0], rendered));
        int lines = 0;
        for (int page = 0; page < pages; ++page)
            EXPECT_TRUE(pageTexts[page].contains(title)) << lang << " page " << page + 1 << " lacks " << title.toStdString();
        for (const auto& block : rendered.model->blocks) {
            if (block.kind != Block::Kind::Table) continue;
            for (size_t k = static_cast<size_t>(block.headerRows); k < block.rows.size(); ++k) {
                const auto& row = block.rows[k];
                const QString name = QString::fromStdString(CellText(row.front(), rendered)).simplified();
                const auto figures = std::count_if(row.begin(), row.end(), [](const Value& v) { return v.number.has_value(); });
                if (figures == 0 || name.isEmpty() || row.front().number) continue;
                // The spreadsheet program shows the numbers in its own locale:
                // counted, not compared.
                static const QRegularExpression number(QStringLiteral("[-+]?\\d[\\d,.]*%?"));
                bool whole = false;
                for (const QString& text : pageTexts)
                    for (const QString& line : text.split('\n')) {
                        const QString simple = line.simplified();
                        // A long name wraps in its cell: its first words begin the line.
                        const QString start = name.left(30);
                        if (!simple.startsWith(start)) continue;
                        long found = 0;
                        for (auto m = number.globalMatch(simple.mid(start.size())); m.hasNext(); m.next()) ++found;
                        whole = whole || found >= figures;
                    }
                EXPECT_TRUE(whole) << lang << ": " << name.toStdString() << " with its " << figures << " figures";
                ++lines;
            }
        }
        EXPECT_GT(lines, 20) << lang;
    }
}
