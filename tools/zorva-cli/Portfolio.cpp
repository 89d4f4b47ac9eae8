#include "Portfolio.h"

#include "core/Strings.h"
#include "enterprise/NumberText.h"
#include "reports/prep/RatioTable.h"
#include "reports/prep/ReportPrep.h"

#include <xlsxwriter.h>

#include <algorithm>
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

size_t columnOf(const std::string& name) {
    const auto& names = ComparisonColumnNames();
    for (size_t k = 0; k < names.size(); ++k)
        if (strcasecmp(names[k].c_str(), name.c_str()) == 0) return k;
    return names.size();
}

} // namespace

Portfolio::Portfolio(std::string industryTitle, std::string naics, std::string datasetCaption, int language)
    : industry_(std::move(industryTitle)), naics_(std::move(naics)), dataset_(std::move(datasetCaption)),
      lang_(language) {}

int Portfolio::Quarter(double better, double worse, bool meaningful, bool published) {
    if (!meaningful || !published || (better == 0 && worse == 0)) return -1;
    return std::clamp(static_cast<int>(better / 25), 0, 3);
}

void Portfolio::Add(const ComparisonBatch& batch, const std::vector<std::string>& values, const ComparisonRow& row) {
    Entry e;
    e.name = row[0].toString();
    e.year = row[1].toInt();
    auto amount = [&](int i) { return ParseNumber(values[static_cast<size_t>(i)]).value_or(0.0); };
    const bool negativeEquity = amount(report::cv::Equity1) < 0;
    for (const auto& r : report::Ratios()) {
        const double value = row[columnOf(r.valueColumn)].toDouble();
        const double better = row[columnOf(r.betterColumn)].toDouble();
        const double worse = row[columnOf(r.worseColumn)].toDouble();
        const bool meaningful = report::QuantityValue(r.denominator, amount) != 0 && !(r.equityRule && negativeEquity);
        bool published = true;
        for (const char* q : {"Q1", "Q2", "Q3"}) {
            const Variant f = batch.Figure(static_cast<int>(e.year), std::string(r.code) + q);
            published = published && !f.isNull() && f.toDouble() != 0;
        }
        e.ratio.push_back(value);
        e.quarter.push_back(Quarter(better, worse, meaningful, published));
    }
    entries_.push_back(std::move(e));
}

bool Portfolio::Write(const ComparisonBatch& batch, const std::string& path, std::string* error) const {
    lxw_workbook* wb = workbook_new(path.c_str());
    if (!wb) {
        *error = "cannot create " + path;
        return false;
    }
    const auto& ratios = report::Ratios();
    lxw_format* bold = workbook_add_format(wb);
    format_set_bold(bold);
    lxw_format* wrapBold = workbook_add_format(wb);
    format_set_bold(wrapBold);
    format_set_text_wrap(wrapBold);
    // Cell formats by decimals (1, 2) and quarter (-1 none, 0..3).
    lxw_format* number[3][5] = {};
    lxw_format* word[5] = {};
    for (int q = -1; q < 4; ++q) {
        for (int d = 1; d <= 2; ++d) {
            lxw_format* f = workbook_add_format(wb);
            format_set_num_format(f, d == 1 ? "0.0" : "0.00");
            if (q >= 0) {
                format_set_bg_color(f, kQuarterColour[q]);
                if (kQuarterDark[q]) format_set_font_color(f, LXW_COLOR_WHITE);
            }
            number[d][q + 1] = f;
        }
        lxw_format* w = workbook_add_format(wb);
        if (q >= 0) {
            format_set_bg_color(w, kQuarterColour[q]);
            if (kQuarterDark[q]) format_set_font_color(w, LXW_COLOR_WHITE);
        }
        word[q + 1] = w;
    }

    const bool fr = lang_ == 1;
    lxw_worksheet* ws = workbook_add_worksheet(wb, fr ? "Portefeuille" : "Portfolio");
    const std::string title = std::string(fr ? "Comparaison avec l'industrie : " : "Comparison with the industry: ") +
                              industry_ + (fr ? " (SCIAN " : " (NAICS ") + naics_ + ")";
    worksheet_write_string(ws, 0, 0, title.c_str(), bold);
    worksheet_write_string(ws, 1, 0, dataset_.c_str(), nullptr);
    // Legend.
    worksheet_write_string(ws, 2, 0, fr ? "Position dans l'industrie :" : "Position in the industry:", bold);
    for (int q = 0; q < 4; ++q)
        worksheet_write_string(ws, 2, static_cast<lxw_col_t>(1 + q), kQuarterWords[lang_][q], word[q + 1]);
    worksheet_write_string(ws, 2, 5, fr ? "– : non classé" : "– : not ranked", nullptr);

    const lxw_row_t head = 4;
    worksheet_write_string(ws, head, 0, fr ? "Entreprise" : "Enterprise", bold);
    worksheet_write_string(ws, head, 1, fr ? "Année" : "Year", bold);
    worksheet_write_string(ws, head, 2, fr ? "Industrie" : "Industry", bold);
    for (size_t k = 0; k < ratios.size(); ++k) {
        const auto c = static_cast<lxw_col_t>(3 + 2 * k);
        worksheet_write_string(ws, head, c, Txt(ratios[k].nameId, lang_).c_str(), wrapBold);
        worksheet_write_string(ws, head, c + 1, "Position", wrapBold);
    }
    lxw_row_t r = head + 1;
    for (const Entry& e : entries_) {
        worksheet_write_string(ws, r, 0, e.name.c_str(), nullptr);
        worksheet_write_number(ws, r, 1, static_cast<double>(e.year), nullptr);
        worksheet_write_string(ws, r, 2, industry_.c_str(), nullptr);
        for (size_t k = 0; k < ratios.size(); ++k) {
            const auto c = static_cast<lxw_col_t>(3 + 2 * k);
            const int q = e.quarter[k];
            const int d = report::RatioDecimals(ratios[k]) >= 2 ? 2 : 1;
            worksheet_write_number(ws, r, c, e.ratio[k], number[d][q + 1]);
            worksheet_write_string(ws, r, c + 1, q >= 0 ? kQuarterWords[lang_][q] : "–", word[q + 1]);
        }
        ++r;
    }
    worksheet_set_row(ws, head, 45, nullptr);
    worksheet_set_column(ws, 0, 0, 30, nullptr);
    worksheet_set_column(ws, 2, 2, 30, nullptr);
    worksheet_set_column(ws, 3, static_cast<lxw_col_t>(2 + 2 * ratios.size()), 14, nullptr);
    worksheet_freeze_panes(ws, head + 1, 1);

    // The industry's quartiles of each year.
    lxw_worksheet* qs = workbook_add_worksheet(wb, fr ? "Quartiles de l'industrie" : "Industry quartiles");
    worksheet_write_string(qs, 0, 0, title.c_str(), bold);
    worksheet_write_string(qs, 2, 0, "Ratio", bold);
    lxw_col_t col = 1;
    for (int year = 2010; year >= 2008; --year)
        for (const char* q : {"Q1", fr ? "Médiane" : "Median", "Q3"}) {
            const std::string h = std::string(q) + " " + std::to_string(year);
            worksheet_write_string(qs, 2, col++, h.c_str(), bold);
        }
    for (size_t k = 0; k < ratios.size(); ++k) {
        const auto row = static_cast<lxw_row_t>(3 + k);
        worksheet_write_string(qs, row, 0, Txt(ratios[k].nameId, lang_).c_str(), nullptr);
        lxw_col_t c = 1;
        const int d = report::RatioDecimals(ratios[k]) >= 2 ? 2 : 1;
        for (int year = 2010; year >= 2008; --year)
            for (const char* q : {"Q1", "Q2", "Q3"}) {
                const Variant f = batch.Figure(year, std::string(ratios[k].code) + q);
                if (!f.isNull() && f.toDouble() != 0) worksheet_write_number(qs, row, c, f.toDouble(), number[d][0]);
                else worksheet_write_string(qs, row, c, "–", nullptr);
                ++c;
            }
    }
    worksheet_set_column(qs, 0, 0, 40, nullptr);
    worksheet_set_column(qs, 1, 9, 12, nullptr);

    lxw_error e = workbook_close(wb);
    if (e != LXW_NO_ERROR) {
        *error = std::string(lxw_strerror(e)) + ": " + path;
        return false;
    }
    return true;
}

} // namespace zorva::cli
