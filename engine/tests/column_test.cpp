#include "engine/column.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kolvar::engine;

namespace {

struct ColumnCase {
    Feed feed;
    double x_d;
    double x_b;
    const char* message;  // nullptr when the column is valid
};

class ColumnChecks : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(ColumnChecks, FirstFailingCheckIsReported)
{
    const ColumnCase& c = GetParam();
    auto column = make_column(101.325, c.feed, c.x_d, c.x_b, CondenserKind::Total);
    if (c.message == nullptr) {
        EXPECT_TRUE(column.has_value());
        return;
    }
    ASSERT_FALSE(column.has_value());
    EXPECT_EQ(column.error().kind, ErrorKind::InvalidInput);
    EXPECT_EQ(column.error().message, c.message);
}

const double nan = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Order, ColumnChecks,
    ::testing::Values(
        ColumnCase{{0, 0.5, 1}, 0.95, 0.05, "feed rate must be positive, got 0 kmol/h"},
        ColumnCase{{nan, 0.5, 1}, 0.95, 0.05, "feed rate must be positive, got NaN kmol/h"},
        ColumnCase{{-5, 0.5, 1}, 0.95, 0.05, "feed rate must be positive, got -5 kmol/h"},
        ColumnCase{{100, 1.2, 1}, 1.5, 0.05, "z_F must be a mole fraction in [0, 1], got 1.2"},
        ColumnCase{{100, 0.5, 1}, 1.5, -1, "x_D must be a mole fraction in [0, 1], got 1.5"},
        ColumnCase{{100, 0.5, 1}, 0.95, nan, "x_B must be a mole fraction in [0, 1], got NaN"},
        ColumnCase{{100, 0.5, 1}, 0.95, 0.5, "specs must satisfy x_B < z_F < x_D, got x_B = 0.5, z_F = 0.5, x_D = 0.95"},
        ColumnCase{{100, 0.5, 1}, 1.0, 0.0, nullptr},
        ColumnCase{{100, 0.5, -7}, 1.0, 0.0, nullptr}));

TEST(Column, MaterialBalances)
{
    auto column = make_column(101.325, {100, 0.4, 1}, 0.95, 0.05, CondenserKind::Total);
    ASSERT_TRUE(column.has_value());
    EXPECT_EQ(*distillate_rate(*column), 38.88888888888889);
    EXPECT_EQ(*bottoms_rate(*column), 61.11111111111111);
}

TEST(Column, PressureIsNotChecked)
{
    EXPECT_TRUE(make_column(-1, {1, 0.5, 1}, 0.9, 0.1, CondenserKind::Partial).has_value());
    EXPECT_TRUE(make_column(nan, {1, 0.5, nan}, 0.9, 0.1, CondenserKind::Partial).has_value());
}

struct CondenserCase {
    const char* text;
    bool accepted;
    CondenserKind kind;
    const char* message;
};

class CondenserParsing : public ::testing::TestWithParam<CondenserCase> {};

TEST_P(CondenserParsing, LowerCasesAsciiOnly)
{
    const CondenserCase& c = GetParam();
    auto kind = parse_condenser(c.text);
    ASSERT_EQ(kind.has_value(), c.accepted);
    if (c.accepted) {
        EXPECT_EQ(*kind, c.kind);
    } else {
        EXPECT_EQ(kind.error(), c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CondenserParsing,
    ::testing::Values(
        CondenserCase{"total", true, CondenserKind::Total, ""},
        CondenserCase{"Total", true, CondenserKind::Total, ""},
        CondenserCase{"PARTIAL", true, CondenserKind::Partial, ""},
        CondenserCase{"Reboiler", false, {}, "condenser must be 'total' or 'partial', got \"reboiler\""},
        CondenserCase{"partial ", false, {}, "condenser must be 'total' or 'partial', got \"partial \""},
        CondenserCase{" total", false, {}, "condenser must be 'total' or 'partial', got \" total\""},
        CondenserCase{"TO\"t\\AL\n", false, {}, "condenser must be 'total' or 'partial', got \"to\\\"t\\\\al\\n\""},
        CondenserCase{"\xc3\x84", false, {}, "condenser must be 'total' or 'partial', got \"\xc3\x84\""}));

}  // namespace
