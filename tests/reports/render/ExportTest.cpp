// Reports exported as spreadsheets, read back with a spreadsheet reader
// (openpyxl) and a CSV reader: titles first, every number of the report's
// tables a number cell showing the report's decimals.

#include "support/AppFixture.h"

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

#include <filesystem>

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

} // namespace

TEST_F(Export, NumbersAsTheReportShowsThemInEitherLanguage) {
    struct Case {
        const char* text;
        bool english;
        double value;
        int decimals;
        const char* format;
    };
    const Case cases[] = {
        {"1,234.50", true, 1234.5, 2, "#,##0.00"},
        {"1 234,50", false, 1234.5, 2, "#,##0.00"},
        {"1\u202F234,5", false, 1234.5, 1, "#,##0.0"},
        {"(1 234)", false, -1234, 0, "#,##0"},
        {"(1,234)", true, -1234, 0, "#,##0"},
        {"12.5%", true, 12.5, 1, "0.0\"%\""},
        {"12,5 %", false, 12.5, 1, "0.0\"%\""},
        {"$900", true, 900, 0, "\"$\"0"},
        {"300 000 $", false, 300000, 0, "\"$\"#,##0"},
        {"\u22120.7", true, -0.7, 1, "0.0"},
        {"-2.0", false, -2, 1, "0.0"},
        {"2010", true, 2010, 0, "0"},
    };
    for (const Case& c : cases) {
        auto n = ParseShownNumber(c.text, c.english);
        ASSERT_TRUE(n.has_value()) << c.text;
        EXPECT_EQ(n->value, c.value) << c.text;
        EXPECT_EQ(n->decimals, c.decimals) << c.text;
        EXPECT_EQ(NumberFormat(*n), c.format) << c.text;
    }
    for (const char* text : {"–", "Q1", "12.5.3", "better than 25 %", ""})
        for (bool english : {true, false}) EXPECT_FALSE(ParseShownNumber(text, english).has_value()) << text;
    EXPECT_FALSE(ParseShownNumber("1,234.5", false).has_value());
    EXPECT_FALSE(ParseShownNumber("1 234,5", true).has_value());
}

TEST_F(Export, EveryReportReadsBackFromXlsxAndCsv) {
    const DatasetChoice& c = *FindChoice("optVol3");
    subSetDataTable(c.option);
    auto first = GetRS(gcnIndustry, "select NAICS from " + gstrDataTable + " order by NAICS", "read");
    ASSERT_GT(first->RecordCount(), 0);
    const std::string naics = first->Fields(0).toString();
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
    const auto values = BuildComparisonValues(r, naics, "Industry");
    const std::string dir = MakeTempDir("zorva-export");
    for (const char* type : {"rat", "bal", "com"}) {
        for (const char* lang : {"E", "F"}) {
            auto prepared = PrepareReport(gcnIndustry, gcnUser, type, c.volume, c.region, 2010, naics, lang, values);
            ASSERT_TRUE(prepared.has_value()) << type << lang;
            const ExportModel model = ExportModelOf(prepared->rendered);
            int numbers = 0;
            for (const auto& item : model.items)
                for (const auto& row : item.table)
                    for (const auto& cell : row) numbers += cell.number.has_value();
            EXPECT_GT(numbers, 20) << type << lang;
            for (const char* ext : {".xlsx", ".csv"}) {
                const std::string path = dir + "/" + type + lang + ext;
                std::string error;
                ASSERT_TRUE(WriteExport(prepared->rendered, path, &error)) << error;
                const QJsonArray cells = readBack(path);
                ASSERT_FALSE(cells.isEmpty()) << path;
                // The report's title is the first row.
                EXPECT_EQ(cells[0].toArray()[0].toInt(), 1);
                EXPECT_EQ(cells[0].toArray()[2].toString().toStdString(), model.items.front().line) << path;
                // XLSX: number cells with the shown decimals as their format;
                // CSV: plain numbers ("." and no grouping).
                int numberCells = 0;
                static const QRegularExpression plain(QStringLiteral("^-?\\d+(\\.\\d+)?$"));
                for (const auto& v : cells) {
                    const QJsonArray cell = v.toArray();
                    if (std::string(ext) == ".csv") {
                        numberCells += plain.match(cell[2].toString()).hasMatch();
                        continue;
                    }
                    if (!cell[2].isDouble()) continue;
                    ++numberCells;
                    EXPECT_NE(cell[3].toString(), "General") << path;
                }
                EXPECT_EQ(numberCells, numbers) << path;
            }
        }
    }
}
