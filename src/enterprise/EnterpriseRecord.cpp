#include "enterprise/EnterpriseRecord.h"

#include "core/Edition.h"

#include "core/Text.h"

#include "core/Strings.h"

#include <algorithm>
#include <cctype>

namespace zorva {

namespace {

struct FieldInfo {
    const char* column;
    const char* control;
    int captionId;
    Field next;  // Enter moves here
};

// In column order of MyValues.
const FieldInfo kFields[kFieldCount] = {
    {"FirmName", "txtFirmName", 544, Field::FirmName},
    {"Year", "cboYear", 274, Field::Year},
    {"NAICS", "lblNAICS", 0, Field::NAICS},
    {"Cash", "txtCash", 152, Field::Ar},
    {"Ar", "txtAr", 154, Field::Inv},
    {"Inv", "txtInv", 156, Field::CA},
    {"CA", "txtCA", 158, Field::OA},
    {"OA", "txtOA", 160, Field::Invest},
    {"Toa", "txtToa", 162, Field::Invest},
    {"Invest", "txtInvest", 164, Field::Ptfl},
    {"Ptfl", "txtPtfl", 166, Field::AccountsPayable},
    {"Ta", "txtTa", 168, Field::AccountsPayable},
    {"OperatingRevenue", "txtOperatingRevenue", 254, Field::Sales},
    {"Sales", "txtSales", 256, Field::GrossProfit},
    {"GrossProfit", "txtGrossProfit", 258, Field::OperatingProfit},
    {"OperatingProfit", "txtOperatingProfit", 260, Field::InterestExpense},
    {"InterestExpense", "txtInterestExpense", 262, Field::PretaxProfit},
    {"PretaxProfit", "txtPretaxProfit", 264, Field::ProfitAfterTax},
    {"ProfitAfterTax", "txtProfitAfterTax", 266, Field::AccountsPayable},
    {"AccountsPayable", "txtAccountsPayable", 172, Field::Paper},
    {"Paper", "txtPaper", 176, Field::Mtg},
    {"Mtg", "txtMtg", 178, Field::Bonds},
    {"Bonds", "txtBonds", 180, Field::Ol},
    {"Ol", "txtOl", 182, Field::AmtsAffil},
    {"AmtsAffil", "txtAmtsAffil", 184, Field::OLiab},
    {"OLiab", "txtOLiab", 186, Field::DefTax},
    {"DefTax", "txtDefTax", 188, Field::ShareC},
    {"Tliab", "txtTliab", 190, Field::ShareC},
    {"ShareC", "txtShareC", 192, Field::RetEarn},
    {"RetEarn", "txtRetEarn", 194, Field::OtherSur},
    {"OtherSur", "txtOtherSur", 196, Field::CurrentAssets},
    {"Equity1", "txtEquity1", 198, Field::CurrentAssets},
    {"TotLiabShareEq", "txtTotLiabShareEq", 200, Field::CurrentAssets},
    {"CurrentAssets", "txtCurrentAssets", 202, Field::CurrentLiabilities},
    {"CurrentLiabilities", "txtCurrentLiabilities", 204, Field::OperatingRevenue},
};

const FieldInfo& info(Field f) { return kFields[static_cast<int>(f)]; }

// Byte offset of the code point at index `chars` of a UTF-8 text (its size when beyond).
size_t byteOffset(std::string_view s, size_t chars) {
    size_t i = 0;
    while (i < s.size() && chars > 0) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
        --chars;
    }
    return i;
}

bool checkedAdd(std::int64_t a, std::int64_t b, std::int64_t* out) { return !__builtin_add_overflow(a, b, out); }

// Sum of the fields' values in ten-thousandths; empty when out of range.
std::optional<std::int64_t> sumOf(std::initializer_list<std::optional<std::int64_t>> operands) {
    std::int64_t total = 0;
    for (const auto& v : operands) {
        if (!v || !checkedAdd(total, *v, &total)) return std::nullopt;
    }
    return total;
}

} // namespace

const char* ColumnName(Field f) { return info(f).column; }
const char* ControlName(Field f) { return info(f).control; }
int CaptionId(Field f) { return info(f).captionId; }

std::optional<Field> FieldByColumn(std::string_view column) {
    for (int i = 0; i < kFieldCount; ++i)
        if (IEquals(column, kFields[i].column)) return static_cast<Field>(i);
    return std::nullopt;
}

bool IsComputed(Field f) {
    return f == Field::Toa || f == Field::Ta || f == Field::Tliab || f == Field::Equity1 ||
           f == Field::TotLiabShareEq;
}

bool IsValueField(Field f) { return static_cast<int>(f) >= kFirstValueField; }

const std::vector<Field>& ValueFields() {
    static const std::vector<Field> fields = [] {
        std::vector<Field> v;
        for (int i = kFirstValueField; i < kFieldCount; ++i) v.push_back(static_cast<Field>(i));
        return v;
    }();
    return fields;
}

Field NextFieldOnEnter(Field f) { return info(f).next; }

void InitializeValues(RecordTexts& record, int language) {
    record[Field::FirmName] = Txt(544, language);
    record[Field::NAICS].clear();
    for (Field f : ValueFields()) record[f] = "0";
}

// ---------------------------------------------------------------- subtotals

Subtotals CalculateSubTotals(const RecordTexts& r) {
    auto v = [&](Field f) { return ReadTenThousandths(r[f]); };
    Subtotals out;
    auto toa = sumOf({v(Field::Cash), v(Field::Ar), v(Field::Inv), v(Field::CA), v(Field::OA)});
    auto ta = sumOf({toa, v(Field::Invest), v(Field::Ptfl)});
    auto tliab = sumOf({v(Field::AccountsPayable), v(Field::Paper), v(Field::Mtg), v(Field::Bonds), v(Field::Ol),
                        v(Field::AmtsAffil), v(Field::OLiab), v(Field::DefTax)});
    auto equity = sumOf({v(Field::ShareC), v(Field::RetEarn), v(Field::OtherSur)});
    auto total = sumOf({tliab, equity});
    if (!toa || !ta || !tliab || !equity || !total) {
        out.ok = false;
        out.messageId = kMsgNumberOutOfRange;
        return out;
    }
    out.Toa = FormatTenThousandths(*toa);
    out.Ta = FormatTenThousandths(*ta);
    out.Tliab = FormatTenThousandths(*tliab);
    out.Equity1 = FormatTenThousandths(*equity);
    out.TotLiabShareEq = FormatTenThousandths(*total);
    return out;
}

bool subCalculateSubTotals(RecordTexts& record) {
    Subtotals s = CalculateSubTotals(record);
    if (!s.ok) return false;
    record[Field::Toa] = s.Toa;
    record[Field::Ta] = s.Ta;
    record[Field::Tliab] = s.Tliab;
    record[Field::Equity1] = s.Equity1;
    record[Field::TotLiabShareEq] = s.TotLiabShareEq;
    return true;
}

// ---------------------------------------------------------------- typing

bool IsNumericText(std::string_view text, const NumberLocale& locale) {
    size_t p = 0, n = text.size();
    while (p < n && text[p] == ' ') ++p;
    while (n > p && text[n - 1] == ' ') --n;
    if (p < n && (text[p] == '+' || text[p] == '-')) ++p;
    bool digits = false, mark = false;
    for (; p < n; ++p) {
        char c = text[p];
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if (c == locale.decimalMark && !mark) {
            mark = true;
        } else {
            return false;
        }
    }
    return digits;
}

KeyDecision subHandleKeyPressDecision(int keyCode, std::string_view text, std::size_t selStart,
                                      std::size_t selLength, const NumberLocale& locale) {
    KeyDecision d;
    if (keyCode == kKeyEnter) {
        NumberTextResult n = NumberTextForm(text);
        if (!n.ok) {
            d.action = KeyAction::Refuse;
            d.messageId = kMsgNumberOutOfRange;
            return d;
        }
        d.action = KeyAction::Enter;
        d.key = keyCode;
        d.text = n.text;
        return d;
    }
    if (keyCode == kKeyMinus) {
        std::string rest(text);
        if (selLength > 0) {
            size_t a = byteOffset(text, selStart);
            size_t b = byteOffset(text, selStart + selLength);
            rest.erase(a, b - a);
        }
        rest.erase(std::remove(rest.begin(), rest.end(), '-'), rest.end());
        auto v = ReadTenThousandths(rest);
        if (!v) {
            d.action = KeyAction::Refuse;
            d.messageId = kMsgNumberOutOfRange;
            return d;
        }
        d.action = KeyAction::Minus;
        // Without its "-" signs the value is never negative, and a count of
        // ten-thousandths can always be negated.
        d.text = *v == 0 ? "-" : FormatTenThousandths(-*v);
        return d;
    }
    d.key = keyCode;
    if (keyCode == kKeyBackspace || keyCode == '.') return d;
    if (keyCode > 0 && keyCode < 0x80) {
        if (keyCode == locale.decimalMark) {
            d.key = '.';
            return d;
        }
        const char one[2] = {static_cast<char>(keyCode), 0};
        if (IsNumericText(one, locale)) return d;
    }
    d.action = KeyAction::Refuse;
    d.messageId = kMsgPleaseEnterNumber;
    return d;
}

NumberTextResult CheckNumericField(std::string_view text) { return NumberTextForm(text); }

void subRemoveBlanksCommas(RecordTexts& record) {
    for (Field f : ValueFields()) {
        std::string& t = record[f];
        if (t.empty()) t = "0";
        std::replace(t.begin(), t.end(), ',', '.');
    }
}

// ---------------------------------------------------------------- comparison

std::optional<std::int16_t> ReferenceYear(std::string_view yearText) {
    const StatementYear y = ClassifyStatementYear(yearText);
    if (y.standing != YearStanding::InEdition) return std::nullopt;
    return y.year;
}

std::optional<std::int16_t> StoredYear(std::string_view yearText) {
    std::string t = TrimBlanks(yearText);
    if (t.empty() || t.size() > 4 || !std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return static_cast<std::int16_t>(std::stoi(t));
}

std::string StoredYearMessage(std::int16_t year, int language) {
    return ReplaceAll(ReplaceAll(ReplaceAll(Txt(kMsgStoredYearNotCompared, language), "{Y}", std::to_string(year)),
                                 "{F}", std::to_string(CurrentEdition().Earliest())),
                      "{L}", std::to_string(CurrentEdition().latest));
}

ComparisonCheck CheckBeforeComparison(const RecordTexts& r) {
    const std::string& year = r[Field::Year];
    const Edition& edition = CurrentEdition();
    if (year > std::to_string(edition.latest) || year < std::to_string(edition.Earliest()))
        return ComparisonCheck::YearOutOfRange;
    if (!ReferenceYear(year)) return ComparisonCheck::YearNotWhole;
    auto ta = ReadTenThousandths(r[Field::Ta]);
    auto tl = ReadTenThousandths(r[Field::TotLiabShareEq]);
    if (!ta || !tl) return ComparisonCheck::OutOfRange;
    if (*ta != *tl) return ComparisonCheck::Unbalanced;
    if (r[Field::FirmName].empty()) return ComparisonCheck::NoName;
    if (*ta == 0) return ComparisonCheck::NoTotalAssets;
    return ComparisonCheck::Ok;
}

std::string ComparisonCheckMessage(ComparisonCheck check, int language) {
    switch (check) {
    case ComparisonCheck::Ok: return {};
    case ComparisonCheck::YearOutOfRange:
        return Txt(986, language) + std::to_string(CurrentEdition().Earliest()) + Txt(988, language) +
               std::to_string(CurrentEdition().latest);
    case ComparisonCheck::YearNotWhole: return EditionText(916, language);
    case ComparisonCheck::Unbalanced: return Txt(550, language);
    case ComparisonCheck::NoName: return Txt(552, language);
    case ComparisonCheck::NoTotalAssets: return Txt(560, language);
    case ComparisonCheck::OutOfRange: return Txt(kMsgNumberOutOfRange, language);
    }
    return {};
}

int ComparisonCheckMessageId(ComparisonCheck check) {
    switch (check) {
    case ComparisonCheck::Ok: return 0;
    case ComparisonCheck::YearOutOfRange: return 986;
    case ComparisonCheck::YearNotWhole: return 916;
    case ComparisonCheck::Unbalanced: return 550;
    case ComparisonCheck::NoName: return 552;
    case ComparisonCheck::NoTotalAssets: return 560;
    case ComparisonCheck::OutOfRange: return kMsgNumberOutOfRange;
    }
    return 0;
}

std::vector<std::string> BuildComparisonValues(const RecordTexts& r, const std::string& naics,
                                               const std::string& industryTitle) {
    std::vector<std::string> v(kComparisonValueCount);
    v[0] = r[Field::FirmName];
    auto year = ReferenceYear(r[Field::Year]);
    v[1] = year ? std::to_string(*year) : r[Field::Year];
    v[2] = naics;
    v[3] = TrimBlanks(industryTitle);
    // Cash ... AccountsPayable (rows 4 to 20 of the record) go to indices 4
    // to 20; Paper ... CurrentLiabilities (rows 21 to 35) to 22 to 36, so
    // index 21 stays empty.
    for (int c = static_cast<int>(Field::Cash); c <= static_cast<int>(Field::AccountsPayable); ++c)
        v[static_cast<size_t>(c + 1)] = r.text[static_cast<size_t>(c)];
    for (int c = static_cast<int>(Field::Paper); c <= static_cast<int>(Field::CurrentLiabilities); ++c)
        v[static_cast<size_t>(c + 2)] = r.text[static_cast<size_t>(c)];
    return v;
}

} // namespace zorva
