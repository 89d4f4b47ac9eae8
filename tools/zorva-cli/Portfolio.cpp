#include "Portfolio.h"

#include "core/Edition.h"

#include "core/Strings.h"
#include "enterprise/NumberText.h"
#include "reports/prep/RatioTable.h"
#include "reports/prep/ReportPrep.h"
#include "reports/render/SheetLayout.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
#include <strings.h>

namespace zorva::cli {

namespace {

// Purple-orange scale of four steps, readable with every common colour-vision
// deficiency; white text on the two dark ends.
const lxw_color_t kQuarterColour[4] = {0xE66101, 0xFDB863, 0xB2ABD2, 0x5E3C99};
const bool kQuarterDark[4] = {true, false, false, true};

const char* kQuarterWords[2][4] = {
    {"lowest quarter", "second quarter", "third quarter", "highest quarter"},
    {"quart inférieur", "deuxième quart", "troisième quart", "quart supérieur"},
};

// Rows above the first enterprise: title, data set, legend, a blank row, headings.
constexpr lxw_row_t kHeadingRow = 4;

// The text of a ratio as its cell shows it (one or two decimals).
std::string shownNumber(double value, int decimals) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    return std::string(buf, res.ptr);
}

size_t columnOf(const std::string& name) {
    const auto& names = ComparisonColumnNames();
    for (size_t k = 0; k < names.size(); ++k)
        if (strcasecmp(names[k].c_str(), name.c_str()) == 0) return k;
    return names.size();
}

} // namespace

const long long Portfolio::kCapacity = static_cast<long long>(LXW_ROW_MAX) - kHeadingRow - 1;

int Portfolio::Quarter(double better, double worse, bool meaningful, bool published) {
    if (!meaningful || !published || (better == 0 && worse == 0)) return -1;
    return std::clamp(static_cast<int>(better / 25), 0, 3);
}

Portfolio::Entry Portfolio::MakeEntry(const ComparisonBatch& batch, const std::string& industry,
                                      const std::vector<std::string>& values, const ComparisonRow& row) {
    static const struct Columns {
        std::vector<size_t> value, better, worse;
        Columns() {
            for (const auto& r : report::Ratios()) {
                value.push_back(columnOf(r.valueColumn));
                better.push_back(columnOf(r.betterColumn));
                worse.push_back(columnOf(r.worseColumn));
            }
        }
    } columns;
    Entry e;
    e.name = row[0].toString();
    e.year = row[1].toInt();
    e.industry = industry;
    auto amount = [&](int i) { return ParseNumber(values[static_cast<size_t>(i)]).value_or(0.0); };
    const bool negativeEquity = amount(report::cv::Equity1) < 0;
    const auto& ratios = report::Ratios();
    for (size_t k = 0; k < ratios.size(); ++k) {
        const auto& r = ratios[k];
        const bool meaningful = report::QuantityValue(r.denominator, amount) != 0 && !(r.equityRule && negativeEquity);
        bool published = true;
        for (const char* q : {"Q1", "Q2", "Q3"}) {
            const Variant f = batch.Figure(static_cast<int>(e.year), std::string(r.code) + q);
            published = published && !f.isNull() && f.toDouble() != 0;
        }
        e.ratio.push_back(row[columns.value[k]].toDouble());
        e.quarter.push_back(
            Quarter(row[columns.better[k]].toDouble(), row[columns.worse[k]].toDouble(), meaningful, published));
    }
    return e;
}

Portfolio::Portfolio(const std::string& path, const std::string& title, const std::string& subtitle, int language,
                     long long capacity)
    : path_(path), title_(title), lang_(language), capacity_(std::min(capacity, kCapacity)) {
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    wb_ = workbook_new_opt(path.c_str(), &options);
    if (!wb_) {
        error_ = "cannot create " + path;
        return;
    }
    bold_ = workbook_add_format(wb_);
    format_set_bold(bold_);
    wrapBold_ = workbook_add_format(wb_);
    format_set_bold(wrapBold_);
    format_set_text_wrap(wrapBold_);
    for (int q = -1; q < 4; ++q) {
        for (int d = 1; d <= 2; ++d) {
            lxw_format* f = workbook_add_format(wb_);
            format_set_num_format(f, d == 1 ? "0.0" : "0.00");
            if (q >= 0) {
                format_set_bg_color(f, kQuarterColour[q]);
                if (kQuarterDark[q]) format_set_font_color(f, LXW_COLOR_WHITE);
            }
            number_[d][q + 1] = f;
        }
        lxw_format* w = workbook_add_format(wb_);
        if (q >= 0) {
            format_set_bg_color(w, kQuarterColour[q]);
            if (kQuarterDark[q]) format_set_font_color(w, LXW_COLOR_WHITE);
        }
        word_[q + 1] = w;
    }

    const bool fr = lang_ == 1;
    ws_ = workbook_add_worksheet(wb_, fr ? "Portefeuille" : "Portfolio");
    const auto& ratios = report::Ratios();
    // On paper: the legend and the headings on top of every page, the names
    // at the left. On screen: the same rows and names frozen.
    sheet::SetPrintLayout(ws_, lang_, 2, kHeadingRow, 1);
    worksheet_freeze_panes(ws_, kHeadingRow + 1, 1);

    worksheet_write_string(ws_, 0, 0, title_.c_str(), bold_);
    worksheet_write_string(ws_, 1, 0, subtitle.c_str(), nullptr);
    // The legend: each position in a position column, as wide as its words.
    worksheet_write_string(ws_, 2, 0, fr ? "Position dans l'industrie :" : "Position in the industry:", bold_);
    for (int q = 0; q < 4; ++q)
        worksheet_write_string(ws_, 2, static_cast<lxw_col_t>(4 + 2 * q), kQuarterWords[lang_][q], word_[q + 1]);
    worksheet_write_string(ws_, 2, 12, fr ? "– : non classé" : "– : not ranked", nullptr);
    widths_.Fit(12, fr ? "– : non classé" : "– : not ranked");

    worksheet_set_row(ws_, kHeadingRow, 45, nullptr);  // three lines of heading
    const char* headings[3] = {fr ? "Entreprise" : "Enterprise", fr ? "Année" : "Year", fr ? "Industrie" : "Industry"};
    for (int c = 0; c < 3; ++c) {
        worksheet_write_string(ws_, kHeadingRow, static_cast<lxw_col_t>(c), headings[c], bold_);
        widths_.Fit(c, headings[c], true);
    }
    for (size_t k = 0; k < ratios.size(); ++k) {
        const auto c = static_cast<lxw_col_t>(3 + 2 * k);
        const std::string& name = Txt(ratios[k].nameId, lang_);
        worksheet_write_string(ws_, kHeadingRow, c, name.c_str(), wrapBold_);
        worksheet_write_string(ws_, kHeadingRow, c + 1, "Position", wrapBold_);
        widths_.FitWrapped(c, name, 3);
        widths_.Fit(c + 1, "Position", true);
        for (const char* word : kQuarterWords[lang_]) widths_.Fit(c + 1, word);
    }
}

Portfolio::~Portfolio() {
    if (wb_) workbook_close(wb_);
}

bool Portfolio::Add(const Entry& e) {
    if (!wb_ || rows_ >= capacity_) return false;
    const auto r = static_cast<lxw_row_t>(kHeadingRow + 1 + rows_);
    const auto& ratios = report::Ratios();
    worksheet_write_string(ws_, r, 0, e.name.c_str(), nullptr);
    worksheet_write_number(ws_, r, 1, static_cast<double>(e.year), nullptr);
    worksheet_write_string(ws_, r, 2, e.industry.c_str(), nullptr);
    widths_.Fit(0, e.name);
    widths_.Fit(2, e.industry);
    for (size_t k = 0; k < ratios.size(); ++k) {
        const auto c = static_cast<lxw_col_t>(3 + 2 * k);
        const int q = e.quarter[k];
        const int d = report::RatioDecimals(ratios[k]) >= 2 ? 2 : 1;
        worksheet_write_number(ws_, r, c, e.ratio[k], number_[d][q + 1]);
        widths_.Fit(static_cast<int>(c), shownNumber(e.ratio[k], d));
        worksheet_write_string(ws_, r, c + 1, q >= 0 ? kQuarterWords[lang_][q] : "–", word_[q + 1]);
    }
    ++rows_;
    return true;
}

void Portfolio::AddIndustry(const std::string& heading, const ComparisonBatch* batch) {
    industries_.emplace_back(heading, batch);
}

bool Portfolio::Close() {
    if (!wb_) return false;
    const bool fr = lang_ == 1;
    const auto& ratios = report::Ratios();
    widths_.Apply(ws_);
    sheet::KeepPrintReadable(ws_, widths_);
    // The quartiles of each industry and year, one block per industry.
    lxw_worksheet* qs = workbook_add_worksheet(wb_, fr ? "Quartiles de l'industrie" : "Industry quartiles");
    sheet::SetPrintLayout(qs, lang_, 0, -1, 1);
    sheet::ColumnWidths widths;
    lxw_row_t row = 0;
    for (const auto& [heading, batch] : industries_) {
        worksheet_write_string(qs, row, 0, heading.c_str(), bold_);
        row += 2;
        worksheet_write_string(qs, row, 0, "Ratio", bold_);
        lxw_col_t col = 1;
        const Edition& edition = CurrentEdition();
        for (int year = edition.latest; year >= edition.Earliest(); --year)
            for (const char* q : {"Q1", fr ? "Médiane" : "Median", "Q3"}) {
                const std::string h = std::string(q) + " " + std::to_string(year);
                worksheet_write_string(qs, row, col, h.c_str(), bold_);
                widths.Fit(static_cast<int>(col++), h, true);
            }
        ++row;
        for (size_t k = 0; k < ratios.size(); ++k, ++row) {
            const std::string& name = Txt(ratios[k].nameId, lang_);
            worksheet_write_string(qs, row, 0, name.c_str(), nullptr);
            widths.Fit(0, name);
            lxw_col_t c = 1;
            const int d = report::RatioDecimals(ratios[k]) >= 2 ? 2 : 1;
            for (int year = edition.latest; year >= edition.Earliest(); --year)
                for (const char* q : {"Q1", "Q2", "Q3"}) {
                    const Variant f = batch->Figure(year, std::string(ratios[k].code) + q);
                    if (!f.isNull() && f.toDouble() != 0) {
                        worksheet_write_number(qs, row, c, f.toDouble(), number_[d][0]);
                        widths.Fit(static_cast<int>(c), shownNumber(f.toDouble(), d));
                    } else {
                        worksheet_write_string(qs, row, c, "–", nullptr);
                    }
                    ++c;
                }
        }
        ++row;  // a blank row between industries
    }
    widths.Apply(qs);
    sheet::KeepPrintReadable(qs, widths);
    lxw_error e = workbook_close(wb_);
    wb_ = nullptr;
    if (e != LXW_NO_ERROR) {
        error_ = std::string(lxw_strerror(e)) + ": " + path_;
        return false;
    }
    return true;
}

} // namespace zorva::cli
