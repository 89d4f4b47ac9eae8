#pragma once
// The report engine. A report template is an HTML file with ctemplate markers
// ({{NAME}}, {{#SECTION}}...{{/SECTION}}); its first comment declares what it
// reads and says:
//
//   {{!
//   REPORT   comparison                  built-in rows and charts (optional)
//   TABLE    C  = Rpt_Comparison         a table of the user data store and the
//   TABLE    T  = Rpt_Comparison_Titles  prefix of its columns in the template
//   LANGUAGE T_Language                  the field that holds "E" or "F"
//   TEXT     MEDIAN = Median | Médiane   a caption in English | French
//   }}
//
// Opening a template gives a Report whose database tables are enumerated and
// relocated by index from 1; rendering reads each table from its location,
// computes the report's model (ReportModel.h: every value once, with its
// shown text and, for a number, its decimals) and expands the template from
// it into HTML; the exports are written from the same model. In the template:
//   {{C_MyFirmName}}        a field of the table's first row (column names
//                           match without regard to letter case)
//   {{#C_ROWS}}{{C_X}}{{/C_ROWS}}  once per row of the table
//   {{C_MyNPM:x-num=1}}     a number with 1 decimal in the report's language;
//                           also x-pct=N (per cent), x-signed=N (explicit sign)
//   {{MEDIAN}}              a TEXT caption in the report's language
//   {{#LANG_E}}/{{#LANG_F}} shown in English / French reports only
//   {{HTML_LANG}}           "en" or "fr", for <html lang="...">
//   {{#ILLUSTRATIVE}}{{ILLUSTRATIVE_NOTICE}}{{/ILLUSTRATIVE}}  shown when the
//                           figures are illustrative
//   {{#ERRORS}}{{ERROR}}{{/ERRORS}} every problem found while filling
// Every value is HTML-escaped. A Null value shows as "–". A missing table,
// a missing column or an unknown name shows a visible error in its place.

#include "core/DBTools.h"
#include "reports/prep/ReportFormat.h"
#include "reports/render/ReportModel.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

class QImage;

namespace zorva::report {

class ReportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A table that a template reads.
class DatabaseTable {
public:
    DatabaseTable(std::string name, std::string alias) : name_(std::move(name)), alias_(std::move(alias)) {}
    const std::string& Name() const { return name_; }
    const std::string& Alias() const { return alias_; }
    // The database file the table is read from; empty until relocated.
    const std::string& Location() const { return location_; }
    void SetLocation(const std::string& file) { location_ = file; }

private:
    std::string name_, alias_, location_;
};

// A table as read for one rendering.
struct TableData {
    std::string name, alias, location;
    std::string error;  // why it could not be read; empty when it was
    std::vector<std::string> fields;
    std::vector<std::vector<Variant>> rows;
    int FieldIndex(const std::string& column) const;  // -1 when absent
};

// Special pieces of text that survive escaping and are replaced after the
// expansion: an error shown in the report, a Null, a picture.
std::string ErrorMarker(const std::string& message);
std::string NullMarker();
// A text without the markers' private-use characters (data cannot make one).
std::string StripMarkers(std::string text);
// A value's text with its markers as plain text: a Null as "–", an error as
// "[message]", a picture as nothing.
std::string PlainText(const std::string& marked);

// A picture drawn for the report, shown at width x height pixels (drawn at a
// multiple of that size, so that it stays sharp in print). The rendered HTML
// refers to it as ImageUrl(index); the document takes the picture itself and
// only an HTML file gets it encoded as PNG. `alt` is its text alternative: a
// chart's sentence, made from the numbers it draws (the reading view shows it
// below the chart), or empty for a mark whose meaning the text beside it
// gives (a legend's symbol).
struct ReportImage {
    std::shared_ptr<const QImage> image;
    int width = 0, height = 0;
    std::string alt;
};
std::string ImageUrl(size_t index);

// What the built-in rows and charts read and write.
class ReportData {
public:
    Lang lang = Lang::English;
    bool illustrative = false;
    // The enterprise's comparison values (37 texts) when the report is a
    // comparison prepared from them; empty otherwise.
    std::vector<std::string> comparisonValues;
    // The enterprise's saved years (year, 37 comparison values), oldest
    // first, when the report is a trend; empty otherwise.
    std::vector<std::pair<int, std::vector<std::string>>> savedYears;
    std::vector<TableData> tables;

    // The table of that name (letter case ignored), or nullptr when the
    // template does not read it.
    const TableData* Find(const std::string& tableName) const;
    // A field of row `row`: its text (a Null gives NullMarker()), or an error
    // marker naming what is missing.
    std::string Text(const std::string& tableName, const std::string& column, size_t row = 0) const;
    // A field as a number; nothing when it is missing, Null or not a number
    // (the reason, as a marker, in *why).
    std::optional<double> Number(const std::string& tableName, const std::string& column,
                                 std::string* why = nullptr, size_t row = 0) const;

    // Adds a picture; the value stands for it.
    Value AddImage(ReportImage image);
    const std::vector<ReportImage>& Images() const { return images_; }

    // Problems found while filling (shown by the ERRORS section).
    mutable std::vector<std::string> errors;

private:
    std::vector<ReportImage> images_;
};

struct TextPair {
    std::string english, french;
};

struct Rendered {
    std::string html;                 // the page: the template expanded from the model
    std::string readingHtml;          // the same, each chart followed by its sentence (the reading view)
    std::string title;                // the document's <title>
    Lang lang = Lang::English;
    std::vector<std::string> errors;  // problems shown in the report
    std::vector<ReportImage> images;  // the pictures, by index of ImageUrl
    std::shared_ptr<const ReportModel> model;  // what the outputs were made from (the export reads it)
};

struct RenderOptions {
    // The figures are illustrative: the ILLUSTRATIVE section is shown.
    bool illustrative = false;
    // The comparison values the report was prepared from (see ReportData).
    std::vector<std::string> comparisonValues;
    // The enterprise's saved years, for a trend (see ReportData).
    std::vector<std::pair<int, std::vector<std::string>>> savedYears;
};

class Report {
public:
    // Opens a template file. Throws ReportError when it cannot be read.
    static std::unique_ptr<Report> Open(const std::string& path);
    // A template given as text (tests, tools); `name` appears in messages.
    static std::unique_ptr<Report> FromText(const std::string& text, const std::string& name = "template");

    // The tables the template reads, in the order declared.
    int TableCount() const { return static_cast<int>(tables_.size()); }
    // The table at a 1-based index; ReportError for any index outside 1..TableCount().
    DatabaseTable& Table(int index);

    const std::string& Kind() const { return kind_; }
    const std::string& Name() const { return name_; }
    const std::vector<std::string>& HeaderErrors() const { return headerErrors_; }

    // Reads every table from its location and expands the template. A table
    // whose location is the file of `open` (letter case ignored) is read
    // through that connection, so that rows written in a transaction still
    // open on it are seen; other locations are opened for the time of the
    // call. Never throws for missing tables, columns or names: they are shown
    // in the report.
    Rendered Render(const ConnectionHandle& open = nullptr, const RenderOptions& options = {}) const;

private:
    Report() = default;
    void ParseHeader();

    std::string name_;
    std::string text_;
    std::string kind_;
    std::string languageField_;
    std::vector<DatabaseTable> tables_;
    std::map<std::string, TextPair> texts_;
    std::vector<std::string> headerErrors_;
};

// Names of variables and sections that a template text uses, for checks.
struct TemplateNames {
    std::set<std::string> variables;
    std::set<std::string> sections;
};
TemplateNames ScanTemplateNames(const std::string& text);

// Base64 of bytes (for pictures embedded in the HTML).
std::string Base64(const std::string& bytes);
// The rendered HTML with every picture embedded as PNG data (for a file).
std::string HtmlWithEmbeddedImages(const Rendered& rendered);

} // namespace zorva::report
