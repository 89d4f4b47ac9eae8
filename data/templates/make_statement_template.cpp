// Writes the statement template in both languages, as CSV and XLSX, into the
// application folder at build time: one row per line item of the values
// screen (its column name, the amount to fill in, its English and French
// captions). The values screen's File > Import reads it back as it is.

#include "core/Strings.h"
#include "core/Text.h"
#include "enterprise/EnterpriseRecord.h"

#include <xlsxwriter.h>

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

using namespace zorva;

namespace {

struct Row {
    std::string item, amount, english, french;
};

std::vector<Row> rows() {
    std::vector<Row> r = {{"Line item / Poste", "Amount / Montant", "Description", "Description (français)"},
                          {ColumnName(Field::FirmName), "", "Enterprise name", "Nom de l'entreprise"},
                          {ColumnName(Field::Year), "2010", Txt(274, 0), Txt(274, 1)}};
    for (Field f : ValueFields())
        if (!IsComputed(f)) r.push_back({ColumnName(f), "0", Txt(CaptionId(f), 0), Txt(CaptionId(f), 1)});
    return r;
}


} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_statement_template OUT.csv OUT.xlsx\n";
        return 2;
    }
    const auto all = rows();
    std::ofstream csv(argv[1], std::ios::binary);
    csv << "\xEF\xBB\xBF";  // so that spreadsheet programs take it as UTF-8
    for (const Row& r : all)
        csv << CsvField(r.item) << "," << r.amount << "," << CsvField(r.english) << "," << CsvField(r.french) << "\r\n";
    if (!csv.flush()) {
        std::cerr << "cannot write " << argv[1] << "\n";
        return 1;
    }

    lxw_workbook* wb = workbook_new(argv[2]);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Statement - État");
    lxw_format* bold = workbook_add_format(wb);
    format_set_bold(bold);
    lxw_format* money = workbook_add_format(wb);
    format_set_num_format(money, "#,##0.00");
    for (size_t k = 0; k < all.size(); ++k) {
        const auto r = static_cast<lxw_row_t>(k);
        lxw_format* f = k == 0 ? bold : nullptr;
        worksheet_write_string(ws, r, 0, all[k].item.c_str(), f);
        if (k >= 3) worksheet_write_number(ws, r, 1, 0, money);
        else if (k == 2) worksheet_write_number(ws, r, 1, 2010, nullptr);
        else if (k == 0) worksheet_write_string(ws, r, 1, all[k].amount.c_str(), f);
        worksheet_write_string(ws, r, 2, all[k].english.c_str(), f);
        worksheet_write_string(ws, r, 3, all[k].french.c_str(), f);
    }
    worksheet_set_column(ws, 0, 0, 22, nullptr);
    worksheet_set_column(ws, 1, 1, 18, nullptr);
    worksheet_set_column(ws, 2, 3, 44, nullptr);
    worksheet_freeze_panes(ws, 1, 0);
    if (workbook_close(wb) != LXW_NO_ERROR) {
        std::cerr << "cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
