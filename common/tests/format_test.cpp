#include "kolvar/format.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace fmt = kolvar::format;

struct NumberCase {
    double value;
    const char* text;
};

class DefaultNumberForm : public ::testing::TestWithParam<NumberCase> {};

TEST_P(DefaultNumberForm, PrintsShortestPositional)
{
    EXPECT_EQ(fmt::number(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DefaultNumberForm,
    ::testing::Values(NumberCase{1.0, "1"}, NumberCase{100.0, "100"}, NumberCase{1e-7, "0.0000001"},
                      NumberCase{1e20, "100000000000000000000"}, NumberCase{0.1 + 0.2, "0.30000000000000004"},
                      NumberCase{-0.0, "-0"}, NumberCase{-5.0, "-5"}, NumberCase{101.325, "101.325"},
                      NumberCase{-2e-12, "-0.000000000002"},
                      NumberCase{std::numeric_limits<double>::quiet_NaN(), "NaN"},
                      NumberCase{std::numeric_limits<double>::infinity(), "inf"},
                      NumberCase{-std::numeric_limits<double>::infinity(), "-inf"}));

TEST(DefaultNumberForm, ExtremesRoundTripWithoutExponent)
{
    for (double v : {5e-324, 1.7976931348623157e308, -2.2250738585072014e-308}) {
        const std::string s = fmt::number(v);
        EXPECT_EQ(s.find('e'), std::string::npos) << s;
        double back = 0;
        auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), back);
        ASSERT_EQ(ec, std::errc{});
        EXPECT_EQ(end, s.data() + s.size());
        EXPECT_EQ(back, v);
    }
    EXPECT_EQ(fmt::number(5e-324).size(), 2 + 323 + 1);
}

TEST(FixedForm, RoundsToExactDecimals)
{
    EXPECT_EQ(fmt::fixed(0.0123449, 6), "0.012345");
    EXPECT_EQ(fmt::fixed(1e-12, 6), "0.000000");
    EXPECT_EQ(fmt::fixed(0.01, 3), "0.010");
    EXPECT_EQ(fmt::fixed(2.0, 4), "2.0000");
    EXPECT_EQ(fmt::fixed(std::nan(""), 6), "NaN");
    EXPECT_EQ(fmt::fixed(-std::numeric_limits<double>::infinity(), 4), "-inf");
    EXPECT_EQ(fmt::fixed(1.7976931348623157e308, 6).size(), 309 + 7);
}

TEST(ExponentForm, HasBareExponent)
{
    EXPECT_EQ(fmt::exponent(1.234e-5, 3), "1.234e-5");
    EXPECT_EQ(fmt::exponent(1.2345e5, 3), "1.234e5");
    EXPECT_EQ(fmt::exponent(0.0, 3), "0.000e0");
    EXPECT_EQ(fmt::exponent(-4.6e-4, 3), "-4.600e-4");
    EXPECT_EQ(fmt::exponent(1e-300, 3), "1.000e-300");
    EXPECT_EQ(fmt::exponent(std::nan(""), 3), "NaN");
}

TEST(QuotedForm, EscapesQuotesBackslashesAndControls)
{
    EXPECT_EQ(fmt::quoted("benzen"), "\"benzen\"");
    EXPECT_EQ(fmt::quoted(""), "\"\"");
    EXPECT_EQ(fmt::quoted("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(fmt::quoted("t\tn\nr\r"), "\"t\\tn\\nr\\r\"");
    EXPECT_EQ(fmt::quoted(std::string("\0x", 2)), "\"\\0x\"");
    EXPECT_EQ(fmt::quoted("\x1b\x7f"), "\"\\u{1b}\\u{7f}\"");
    EXPECT_EQ(fmt::quoted("\xc2\x85"), "\"\\u{85}\"");            // NEL, a C1 control
    EXPECT_EQ(fmt::quoted("caf\xc3\xa9 \xce\xa3"), "\"caf\xc3\xa9 \xce\xa3\"");  // printable non-ASCII kept
    EXPECT_EQ(fmt::quoted("\xff"), "\"\\u{fffd}\"");              // invalid UTF-8 never passes raw
}

TEST(Text, ConcatenatesPiecesInTheirForms)
{
    EXPECT_EQ(fmt::text("feed rate must be positive, got ", -5.0, " kmol/h"),
              "feed rate must be positive, got -5 kmol/h");
    EXPECT_EQ(fmt::text("got ", std::uint64_t{3}, " at ", fmt::Fixed{0.01, 3}, " r ", fmt::Exp{1.234e-5, 3},
                        " ", fmt::Quoted{"x"}),
              "got 3 at 0.010 r 1.234e-5 \"x\"");
}
