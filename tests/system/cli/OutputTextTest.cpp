// The texts zorva-cli writes for a comparison row: numbers in their shortest
// exact form and JSON strings that are always valid.

#include "Json.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>

using namespace zorva::cli;

TEST(OutputText, NumbersAreWrittenAsStdToCharsWritesThemAndReadBackExactly) {
    auto toChars = [](double v) {
        char buf[64];
        return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
    };
    auto fifteen = [](double v) {  // a value as a comparison row holds it
        char buf[64];
        auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
        double out = 0;
        std::from_chars(buf, res.ptr, out);
        return out;
    };
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> unit(-1, 1);
    std::vector<double> values = {12.5, -0.25, 33.3333333333333, 1.5e-07, 0.000015, 0.0001, 123456789012345.6,
                                  1e15 + 0.5, 9.99999999999999e14, 0.1 + 0.2, 1e-5, 2.5e-5};
    for (int i = 0; i < 400000; ++i) {
        const double v = unit(rng) * std::pow(10.0, static_cast<int>(rng() % 26) - 10);
        values.push_back(v);
        values.push_back(fifteen(v));
    }
    for (double v : values) {
        std::string text;
        AppendNumber(text, v);
        double back = 0;
        ASSERT_EQ(std::from_chars(text.data(), text.data() + text.size(), back).ec, std::errc()) << text;
        ASSERT_EQ(back, v) << text;
        if (std::floor(v) != v) {
            ASSERT_EQ(text, toChars(v));
        }
    }
    // Whole numbers as integers, never "-0" or an exponent; nothing finite as null.
    const std::pair<double, const char*> cases[] = {{0.0, "0"}, {-0.0, "0"}, {100, "100"}, {1e6, "1000000"},
                                                    {-75, "-75"}, {NAN, "null"}, {INFINITY, "null"}};
    for (const auto& [v, expected] : cases) {
        std::string text;
        AppendNumber(text, v);
        EXPECT_EQ(text, expected);
    }
}

TEST(OutputText, StringsAreValidJsonWhateverTheirBytes) {
    const std::pair<std::string, std::string> cases[] = {
        {"Café \"Zoé\"", "\"Café \\\"Zoé\\\"\""},
        {"a\\b\n\t\x01", "\"a\\\\b\\n\\t\\u0001\""},
        {"Caf\xE9", "\"Caf\xEF\xBF\xBD\""},             // Latin-1 é: the replacement character
        {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},  // an encoded surrogate
        {"日本", "\"日本\""},
    };
    for (const auto& [text, expected] : cases) {
        std::string out;
        AppendJsonString(out, text);
        EXPECT_EQ(out, expected);
        EXPECT_EQ(out, Dump(Json(text))) << "as nlohmann::json writes it";
    }
}
