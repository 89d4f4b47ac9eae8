#pragma once
// The computed report: every value a report shows, computed once, from which
// each of its outputs is made.
//
// The engine (ReportEngine.h) reads the tables a template declares and
// computes a ReportModel:
//   - a tree of named values (Section): the fields of the tables, the
//     template's captions (TEXT), and for the four built-in kinds (REPORT
//     ratios, balancesheet, comparison, trend) the rows, numbers, charts and
//     sentences filled here. Each value keeps the text the report shows and,
//     for a number, the number as shown (rounded to its decimals), its
//     decimals and its kind (plain, per cent, signed);
//   - the report's headings, lines and tables in report order (Block), made
//     of the same values, with their header rows.
// The page and the reading view are the template expanded from the tree; the
// CSV and XLSX exports are written from the blocks (ReportExport.h). So an
// export shows exactly the numbers and decimals of the page, whatever the
// template's layout, and it never reads the rendered text back.
//
// The built-in kinds word their blocks with the template's own captions (the
// TEXT names listed in docs/report-templates.md); a caption the template does
// not declare is left empty there.

#include "reports/prep/RatioTable.h"
#include "reports/prep/ReportFormat.h"

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zorva::report {

class ReportData;

enum class NumberKind { Plain, Percent, Signed };

// One value of a report.
struct Value {
    std::string text;              // as shown; may hold the engine's markers (Null, error, picture)
    std::optional<double> number;  // the number shown, when the text is one number
    int decimals = 0;
    NumberKind kind = NumberKind::Plain;
    int image = -1;                // the picture it shows (an index of the report's images), or -1

    // A text from the data: pieces that look like the engine's markers are removed.
    static Value Text(const std::string& text);
    // A text made by the engine (may hold markers: a Null, an error, a picture).
    static Value Marked(const std::string& text);
    // A number formatted in the report's language, kept as shown.
    static Value Number(double value, int decimals, NumberKind kind, Lang lang);
    static Value Null();
};

// One level of named values and of repeated sections, as a template's
// {{NAME}} and {{#SECTION}}...{{/SECTION}} markers read them. A name that a
// section does not hold is looked up in the levels around it.
class Section {
public:
    Section() = default;
    Section(const Section&) = delete;
    Section& operator=(const Section&) = delete;

    void Set(const std::string& name, Value value);
    void SetText(const std::string& name, const std::string& text) { Set(name, Value::Text(text)); }
    void SetMarked(const std::string& name, const std::string& text) { Set(name, Value::Marked(text)); }
    // One more repetition of a section.
    Section& Add(const std::string& name);
    // A section shown once with the values around it (no repetition added when it is already shown).
    void Show(const std::string& name);

    // A value of this level; nullptr when it has none of that name.
    const Value* Find(const std::string& name) const;
    const std::map<std::string, Value>& Values() const { return values_; }
    // The repetitions in the order added, each under its section's name.
    const std::vector<std::pair<std::string, std::unique_ptr<Section>>>& Sections() const { return sections_; }

private:
    std::map<std::string, Value> values_;
    std::vector<std::pair<std::string, std::unique_ptr<Section>>> sections_;
};

// A heading, a line or a table of the report, in report order.
struct Block {
    enum class Kind { Heading, Line, Table };
    Kind kind = Kind::Line;
    int level = 0;                         // a heading: 1 the report's title, 2 a part
    std::vector<Value> cells;              // a heading or a line: its pieces, in reading order
    std::vector<std::vector<Value>> rows;  // a table: its header rows first, then its body
    int headerRows = 0;
};

struct ReportModel {
    Lang lang = Lang::English;
    Section values;            // the root level of the named values
    std::deque<Block> blocks;  // a block keeps its place while others are added

    // Helpers for the built-in kinds, which write a value into the tree and
    // the same value into a block.
    // The template's caption of that name (TEXT), or an empty value.
    Value Caption(const std::string& name) const;
    Block& Heading(int level, std::vector<Value> cells);
    Block& Line(std::vector<Value> cells);
    Block& Table(int headerRows);
};

// ------------------------------------------------------------ built-in kinds

struct BalanceLineDef {
    int nameId;                   // string id of the line's caption
    const char* industryColumn;   // A11 ... in the report data tables and Rpt_Comparison
    const char* enterpriseColumn; // MyCash ... in Rpt_Comparison
    const char* varianceColumn;   // VarianceCash ... in Rpt_Comparison
    int part;                     // 0 assets, 1 liabilities and equity, 2 current items
    bool total;
};
const std::vector<BalanceLineDef>& BalanceLines();

// The report data table of an enterprise's year: Rpt_Data_CY for the
// edition's latest year, Rpt_Data_CYM1 for the year before, Rpt_Data_CYM2 for
// the earliest (2010, 2009, 2008 in the shipped edition); empty for any other.
std::string YearTable(int year);

// How a ratio of the comparison can be read.
enum class RatioState {
    Ranked,         // placed among the quartiles the industry published
    NotMeaningful,  // its denominator is zero: the stored 0 is no ratio at all
    NotRanked,      // return on equity or debt to equity with negative equity
};
// Which of the ratio's three boundaries were published (a boundary of 0 or
// Null was not).
struct Published {
    bool q1 = false, q2 = false, q3 = false;
};

// The words that say where a ratio stands, from its stored ranks (0, 25, 50,
// 75): with all three boundaries "better than about 50% of enterprises in the
// industry" or "in the lowest quarter ..."; with the median but not both
// other boundaries "below the median", "above the median" or "at the median"
// (the value, not its merit: the arrow says which way is better); nothing
// without a median. "not meaningful (operating revenue = 0)" and "not ranked"
// for the other states.
std::string StandingText(const RatioDef& ratio, double better, double worse, Published published, RatioState state,
                         Lang lang);

// Fills the values, charts and blocks of a report kind ("ratios",
// "balancesheet", "comparison", "trend") into the model. Unknown kinds add an
// error.
void FillBuiltIn(const std::string& kind, ReportData& data, ReportModel& model);

} // namespace zorva::report
