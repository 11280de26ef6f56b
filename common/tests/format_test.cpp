#include "kolvar/format.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <string_view>

namespace kolvar::format {
namespace {

struct NumberCase {
    double value;
    const char* text;
};

class DefaultNumberForm : public ::testing::TestWithParam<NumberCase> {};

TEST_P(DefaultNumberForm, PrintsShortestPositional)
{
    EXPECT_EQ(number(GetParam().value), GetParam().text);
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
        const std::string s = number(v);
        EXPECT_EQ(s.find('e'), std::string::npos) << s;
        double back = 0;
        auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), back);
        ASSERT_EQ(ec, std::errc{});
        EXPECT_EQ(end, s.data() + s.size());
        EXPECT_EQ(back, v);
    }
    EXPECT_EQ(number(5e-324).size(), 2 + 323 + 1);
}

struct LargeCase {
    double value;
    std::string text;
};

class LargeNumberForm : public ::testing::TestWithParam<LargeCase> {};

TEST_P(LargeNumberForm, PrintsShortestDigitsPaddedWithZeros)
{
    EXPECT_EQ(number(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    AboveTwoTo53, LargeNumberForm,
    ::testing::Values(LargeCase{1e23, "100000000000000000000000"},
                      LargeCase{std::ldexp(1.0, 60), "1152921504606847000"},
                      LargeCase{1.5e300, "15" + std::string(299, '0')},
                      LargeCase{1.7976931348623157e308, "17976931348623157" + std::string(292, '0')}));

std::uint64_t bits(double v) { return std::bit_cast<std::uint64_t>(v); }

double read(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// "-?(0|[1-9][0-9]*)(\.[0-9]*[1-9])?": no exponent, no padding zeros, no
// fraction part on integral values.
bool is_plain_positional(std::string_view s)
{
    if (!s.empty() && s.front() == '-') s.remove_prefix(1);
    const std::size_t point = s.find('.');
    const std::string_view whole = s.substr(0, point);
    if (whole.empty() || whole.find_first_not_of("0123456789") != std::string_view::npos) return false;
    if (whole.size() > 1 && whole.front() == '0') return false;
    if (point == std::string_view::npos) return true;
    const std::string_view fraction = s.substr(point + 1);
    return !fraction.empty() && fraction.find_first_not_of("0123456789") == std::string_view::npos &&
           fraction.back() != '0';
}

// The significant digits of a positional text as an integer D and a power of
// ten P, so that the text reads as D x 10^P: "-0.00120" -> {"12", -4}.
struct Significand {
    std::string digits;
    int power;
};

Significand significand(std::string_view s)
{
    if (s.front() == '-') s.remove_prefix(1);
    const std::size_t point = s.find('.');
    std::string digits(s.substr(0, point));
    int power = 0;
    if (point != std::string_view::npos) {
        digits.append(s.substr(point + 1));
        power = -static_cast<int>(s.size() - point - 1);
    }
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
        ++power;
    }
    digits.erase(0, digits.find_first_not_of('0'));
    return {digits, power};
}

// The decimal integer one above `digits`.
std::string plus_one(std::string digits)
{
    std::size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i == 0) return "1" + digits;
    ++digits[i - 1];
    return digits;
}

TEST(DefaultNumberForm, RandomDoublesPrintTheShortestDigitsThatReadBack)
{
    // Random bit patterns cover every exponent, subnormals and both signs.
    std::mt19937_64 random(11);
    int checked = 0;
    while (checked < 200000) {
        const double v = std::bit_cast<double>(random());
        if (!std::isfinite(v)) continue;
        ++checked;
        const std::string s = number(v);
        ASSERT_TRUE(is_plain_positional(s)) << s;
        ASSERT_EQ(bits(read(s)), bits(v)) << s;

        // The doubles that read back to v form an interval around the printed
        // value. A decimal with fewer digits inside it would put one of the
        // two nearest decimals with one digit fewer, rounded down and up,
        // inside it as well.
        const auto [digits, power] = significand(s);
        if (digits.size() < 2) continue;
        const std::string down = digits.substr(0, digits.size() - 1);
        const std::string e = "e" + std::to_string(power + 1);
        const std::string sign = v < 0 ? "-" : "";
        ASSERT_NE(bits(read(sign + down + e)), bits(v)) << s;
        ASSERT_NE(bits(read(sign + plus_one(down) + e)), bits(v)) << s;
    }
}

TEST(FixedForm, RoundsToExactDecimals)
{
    EXPECT_EQ(fixed(0.0123449, 6), "0.012345");
    EXPECT_EQ(fixed(1e-12, 6), "0.000000");
    EXPECT_EQ(fixed(0.01, 3), "0.010");
    EXPECT_EQ(fixed(2.0, 4), "2.0000");
    EXPECT_EQ(fixed(std::nan(""), 6), "NaN");
    EXPECT_EQ(fixed(-std::numeric_limits<double>::infinity(), 4), "-inf");
    EXPECT_EQ(fixed(1.7976931348623157e308, 6).size(), 309 + 7);
}

TEST(ExponentForm, HasBareExponent)
{
    EXPECT_EQ(exponent(1.234e-5, 3), "1.234e-5");
    EXPECT_EQ(exponent(1.2345e5, 3), "1.234e5");
    EXPECT_EQ(exponent(0.0, 3), "0.000e0");
    EXPECT_EQ(exponent(-4.6e-4, 3), "-4.600e-4");
    EXPECT_EQ(exponent(1e-300, 3), "1.000e-300");
    EXPECT_EQ(exponent(std::nan(""), 3), "NaN");
}

TEST(SignificantForm, RoundsThenPrintsShortestPositional)
{
    EXPECT_EQ(significant(2.0 / 3.0, 6), "0.666667");
    EXPECT_EQ(significant(1234.5678912, 6), "1234.57");
    EXPECT_EQ(significant(-0.000012345678, 3), "-0.0000123");
    EXPECT_EQ(significant(350.0, 6), "350");
    EXPECT_EQ(significant(std::nan(""), 6), "NaN");
}

TEST(QuotedForm, EscapesQuotesBackslashesAndControls)
{
    EXPECT_EQ(quoted("benzen"), "\"benzen\"");
    EXPECT_EQ(quoted(""), "\"\"");
    EXPECT_EQ(quoted("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(quoted("t\tn\nr\r"), "\"t\\tn\\nr\\r\"");
    // Qualified: a std::string argument would also find std::quoted.
    EXPECT_EQ(format::quoted(std::string("\0x", 2)), "\"\\0x\"");
    EXPECT_EQ(quoted("\x1b\x7f"), "\"\\u{1b}\\u{7f}\"");
    EXPECT_EQ(quoted("\xc2\x85"), "\"\\u{85}\"");            // NEL, a C1 control
    EXPECT_EQ(quoted("caf\xc3\xa9 \xce\xa3"), "\"caf\xc3\xa9 \xce\xa3\"");  // printable non-ASCII kept
    EXPECT_EQ(quoted("\xff"), "\"\\u{fffd}\"");              // invalid UTF-8 never passes raw
}

TEST(Text, ConcatenatesPiecesInTheirForms)
{
    EXPECT_EQ(text("feed rate must be positive, got ", -5.0, " kmol/h"),
              "feed rate must be positive, got -5 kmol/h");
    EXPECT_EQ(text("got ", std::uint64_t{3}, " at ", Fixed{0.01, 3}, " r ", Exp{1.234e-5, 3},
                        " ", Quoted{"x"}),
              "got 3 at 0.010 r 1.234e-5 \"x\"");
}

}  // namespace
}  // namespace kolvar::format
