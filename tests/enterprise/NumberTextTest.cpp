// Reading typed amounts and writing them back: the leading-number reading, the
// four-decimal number text form and the 15-digit text of statements.

#include "enterprise/NumberText.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

using namespace zorva;

TEST(LeadingNumber, StopsAtTheFirstCharacterThatCannotContinueTheNumber) {
    EXPECT_EQ(LeadingNumber("1,5"), 1.0);  // a comma ends the number
    EXPECT_EQ(LeadingNumber("12abc"), 12.0);
    EXPECT_EQ(LeadingNumber("  -3.5e2x"), -350.0);
    EXPECT_EQ(LeadingNumber("1e"), 1.0);  // an exponent without digits is not read
    EXPECT_EQ(LeadingNumber("+7"), 7.0);
    EXPECT_EQ(LeadingNumber(".5"), 0.5);
    EXPECT_EQ(LeadingNumber("1.2.3"), 1.2);
}

TEST(LeadingNumber, NoNumberReadsAsZero) {
    EXPECT_EQ(LeadingNumber(""), 0.0);
    EXPECT_EQ(LeadingNumber("abc"), 0.0);
    EXPECT_EQ(LeadingNumber("-"), 0.0);
    EXPECT_EQ(LeadingNumber("."), 0.0);
    EXPECT_EQ(LeadingNumber("$5"), 0.0);
}

TEST(LeadingNumber, BeyondTheRangeOfADouble) {
    EXPECT_TRUE(std::isinf(LeadingNumber("1e400")));
    EXPECT_LT(LeadingNumber("-1e400"), 0);
    EXPECT_EQ(LeadingNumber("1e-400"), 0.0);
}

TEST(NumberTextForm, LeavingABoxNormalisesWhatWasTyped) {
    EXPECT_EQ(NumberTextForm("").text, "0");
    EXPECT_EQ(NumberTextForm("0012").text, "12");
    EXPECT_EQ(NumberTextForm("12abc").text, "12");
    EXPECT_EQ(NumberTextForm("abc").text, "0");
    EXPECT_EQ(NumberTextForm("-").text, "0");
    EXPECT_EQ(NumberTextForm("-0").text, "0");
    EXPECT_EQ(NumberTextForm("1,500").text, "1");
    EXPECT_EQ(NumberTextForm("12.50").text, "12.5");
    EXPECT_EQ(NumberTextForm("-150").text, "-150");
    EXPECT_EQ(NumberTextForm("1.5e3").text, "1500");
}

TEST(NumberTextForm, NoDigitBeforeThePointBelowOne) {
    EXPECT_EQ(NumberTextForm("0.5").text, ".5");
    EXPECT_EQ(NumberTextForm("-0.25").text, "-.25");
    EXPECT_EQ(NumberTextForm("0.0001").text, ".0001");
}

TEST(NumberTextForm, RoundsToFourDecimalsWithHalvesToEven) {
    EXPECT_EQ(NumberTextForm("1.23456").text, "1.2346");
    EXPECT_EQ(NumberTextForm("1.23454").text, "1.2345");
    EXPECT_EQ(NumberTextForm("2.00005").text, "2");       // half, 0 is even
    EXPECT_EQ(NumberTextForm("2.00015").text, "2.0002");  // half, 1 is odd
    EXPECT_EQ(NumberTextForm("2.000050001").text, "2.0001");  // more than half
    EXPECT_EQ(NumberTextForm("-2.00015").text, "-2.0002");
    EXPECT_EQ(NumberTextForm("0.00005").text, "0");
    EXPECT_EQ(NumberTextForm("0.00004999").text, "0");
    EXPECT_EQ(NumberTextForm("9.99995").text, "10");      // half, 9999 is odd: carries
    EXPECT_EQ(NumberTextForm("1e-5").text, "0");
    EXPECT_EQ(NumberTextForm("1e-99999999999").text, "0");
}

TEST(NumberTextForm, TheRoundingIsOnTheTypedDigitsNotOnADouble) {
    // 1.00015 is 1.000149999... as a Double; typed, it is exactly a half.
    EXPECT_EQ(NumberTextForm("1.00015").text, "1.0002");
    // Cents above $100,000 survive (a 32-bit float would lose them).
    EXPECT_EQ(NumberTextForm("123456789.99").text, "123456789.99");
}

TEST(NumberTextForm, RefusesNumbersOutsideTheSigned64BitRangeOfTenThousandths) {
    EXPECT_EQ(NumberTextForm("922337203685477.5807").text, "922337203685477.5807");
    EXPECT_EQ(NumberTextForm("-922337203685477.5808").text, "-922337203685477.5808");
    EXPECT_FALSE(NumberTextForm("922337203685477.5808").ok);
    EXPECT_FALSE(NumberTextForm("-922337203685477.5809").ok);
    EXPECT_FALSE(NumberTextForm("1e15").ok);
    EXPECT_FALSE(NumberTextForm("99999999999999999999").ok);
    EXPECT_FALSE(NumberTextForm("1e99999999999").ok);
    // Rounding up across the limit is refused too.
    EXPECT_FALSE(NumberTextForm("922337203685477.58075").ok);
    EXPECT_TRUE(NumberTextForm("922337203685477.58065").ok);
    EXPECT_EQ(kMsgNumberOutOfRange, 918);
}

TEST(TenThousandths, FormatAndReadAgree) {
    for (std::int64_t v : {std::int64_t{0}, std::int64_t{1}, std::int64_t{-1}, std::int64_t{5000},
                           std::int64_t{-2500}, std::int64_t{10000}, std::int64_t{123456789},
                           std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::min()}) {
        auto back = ReadTenThousandths(FormatTenThousandths(v));
        ASSERT_TRUE(back.has_value()) << v;
        EXPECT_EQ(*back, v);
    }
    EXPECT_EQ(FormatTenThousandths(std::numeric_limits<std::int64_t>::min()), "-922337203685477.5808");
}

TEST(Format15, FifteenSignificantDigitsWithAPoint) {
    EXPECT_EQ(Format15(12.5), "12.5");
    EXPECT_EQ(Format15(-0.25), "-0.25");
    EXPECT_EQ(Format15(100), "100");
    EXPECT_EQ(Format15(0), "0");
    EXPECT_EQ(Format15(-0.0), "0");
    EXPECT_EQ(Format15(1e16), "1E+16");
    EXPECT_EQ(Format15(0.1 + 0.2), "0.3");
    EXPECT_EQ(Format15(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(Format15(123456789012345678.0), "1.23456789012346E+17");
    EXPECT_EQ(Format15(123456789012345.0), "123456789012345");
    EXPECT_EQ(Format15(1.5e-5), "1.5E-05");
}

TEST(LocaleDoubleText, UsesTheLocalesDecimalMark) {
    EXPECT_EQ(LocaleDoubleText(-12.5, NumberLocale::French()), "-12,5");
    EXPECT_EQ(LocaleDoubleText(-12.5, NumberLocale::English()), "-12.5");
}

TEST(ParseNumber, AcceptsOnlyAWholeNumberText) {
    EXPECT_EQ(ParseNumber("12.5"), 12.5);
    EXPECT_EQ(ParseNumber(" 12.5 "), 12.5);
    EXPECT_EQ(ParseNumber("-.5"), -0.5);
    EXPECT_EQ(ParseNumber("1E+16"), 1e16);
    EXPECT_FALSE(ParseNumber("12,5"));
    EXPECT_FALSE(ParseNumber("12a"));
    EXPECT_FALSE(ParseNumber(""));
    EXPECT_FALSE(ParseNumber("-"));
    EXPECT_FALSE(ParseNumber("1e999"));
    EXPECT_FALSE(ParseNumber("0x10"));
}

TEST(NumberTextForm, ATextAlreadyInItsFormIsRecognisedAndReadExactly) {
    // Random texts of digits, signs, points and zeros. A text recognised as
    // already in the form is one the form writes, and is read (as a count of
    // ten-thousandths and as a Double) to the last bit; one not recognised is
    // changed by the full reading, unless its whole part is too long for the
    // quick recognition.
    auto tenThousandths = [](const std::string& t) {  // digits with the fraction padded to four
        const size_t point = t.find('.');
        std::string digits = t.substr(0, point);
        std::string fraction = point == std::string::npos ? "" : t.substr(point + 1);
        digits += fraction + std::string(4 - fraction.size(), '0');
        std::int64_t v = 0;
        std::from_chars(digits.data() + (digits[0] == '-'), digits.data() + digits.size(), v);
        return digits[0] == '-' ? -v : v;
    };
    std::mt19937 rng(42);
    const char alphabet[] = "0000123456789-.. ";
    long recognised = 0;
    for (int i = 0; i < 200000; ++i) {
        std::string t;
        for (int n = static_cast<int>(rng() % 18); n > 0; --n) t += alphabet[rng() % (sizeof alphabet - 1)];
        if (IsNumberTextForm(t)) {
            ++recognised;
            const std::int64_t v = tenThousandths(t);
            ASSERT_EQ(FormatTenThousandths(v), t);
            ASSERT_EQ(ReadTenThousandths(t), v) << t;
            double read = 0;
            std::from_chars(t.data(), t.data() + t.size(), read);
            ASSERT_EQ(ParseNumber(t), read) << t;
        } else if (const NumberTextResult full = NumberTextForm(t); full.ok && full.text == t) {
            const size_t start = t[0] == '-' ? 1 : 0;
            ASSERT_GT(std::min(t.find('.'), t.size()) - start, 14u) << t;
        }
    }
    EXPECT_GT(recognised, 1000);
    for (const char* t : {"0", "12", "-12.5", ".25", "-.0001", "99999999999999.9999"}) EXPECT_TRUE(IsNumberTextForm(t)) << t;
    for (const char* t : {"", "-", "-0", "012", "1.50", "1.", ".", "0.5", "1.23456", "+1", " 1"}) EXPECT_FALSE(IsNumberTextForm(t)) << t;
}

TEST(RoundSignificant, GivesTheDoubleOfItsTextWithThatManyDigits) {
    auto throughText = [](double v, int digits) {
        char buf[64];
        auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, digits - 1);
        double out = 0;
        std::from_chars(buf, res.ptr, out);
        return out;
    };
    std::mt19937_64 rng(2010);
    std::uniform_real_distribution<double> unit(-1, 1);
    std::uniform_int_distribution<int> exponent(-12, 16);
    for (int digits : {12, 15}) {
        // Quotients of amounts like the comparison's, values near halves and
        // powers of ten, and values beyond the quick path.
        std::vector<double> values = {0.5, 1.05, 99999999999999.95, 999999999999999.4, 1e-9 / 3, 2.5e20 / 7,
                                      1000000000000005.0, 12.5, -0.25, 29.0 / 1000 * 100};
        for (int i = 0; i < 300000; ++i) values.push_back(unit(rng) * std::pow(10.0, exponent(rng)));
        for (int i = 0; i < 100000; ++i) {
            const double a = static_cast<double>(rng() % 100000000) / 100, b = static_cast<double>(rng() % 100000) + 1;
            values.push_back(a / b * 100);
            values.push_back((static_cast<double>(rng() % 1000000000000000) + 0.5) / std::pow(10.0, rng() % 20));
        }
        for (double v : values)
            ASSERT_EQ(RoundSignificant(v, digits), throughText(v, digits)) << std::hexfloat << v << " " << digits;
    }
}

TEST(GroupedNumberText, GroupsTheDigitsByEachLanguagesConvention) {
    const std::string nbsp = "\u00A0";
    const struct {
        const char* text;
        std::string english, french;
    } cases[] = {
        {"0", "0", "0"},
        {"999", "999", "999"},
        {"2480000", "2,480,000", "2" + nbsp + "480" + nbsp + "000"},
        {"-1234.5", "-1,234.5", "-1" + nbsp + "234,5"},
        {".25", "0.25", "0,25"},
        {"-.0001", "-0.0001", "-0,0001"},
        // Beyond what a Double holds exactly: the digits as they are.
        {"922337203685477.5807", "922,337,203,685,477.5807",
         "922" + nbsp + "337" + nbsp + "203" + nbsp + "685" + nbsp + "477,5807"},
        // Not a plain number: unchanged.
        {"", "", ""}, {"-", "-", "-"}, {"12abc", "12abc", "12abc"}, {"1.", "1.", "1."}, {"1e5", "1e5", "1e5"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GroupedNumberText(c.text, 0), c.english) << c.text;
        EXPECT_EQ(GroupedNumberText(c.text, 1), c.french) << c.text;
    }
}
