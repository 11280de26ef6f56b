// The small value types that describe a binary two-product column: the feed,
// the condenser kind, the column itself with its checks and material
// balances, and the straight construction line.
//
// Units: flows in kmol/h, pressure in kPa absolute, compositions as mole
// fractions of the light (more volatile) component.
#pragma once

#include "engine/error.hpp"

#include <expected>
#include <string>
#include <string_view>

namespace kolvar::engine {

struct Feed {
    double rate = 0.0;  // F, kmol/h
    double z = 0.0;     // light-component mole fraction z_F
    double q = 1.0;     // thermal condition: 1 saturated liquid, 0 saturated vapour
};

enum class CondenserKind : unsigned {
    Total = 0,    // whole overhead condensed; not an equilibrium stage
    Partial = 1,  // distillate leaves as vapour; one equilibrium stage
};

// "Total" or "Partial".
const char* name(CondenserKind kind);

// Accepts "total" and "partial" after ASCII lower-casing, nothing else (no
// trimming). The error is the full message, e.g.
// condenser must be 'total' or 'partial', got "reboiler"
std::expected<CondenserKind, std::string> parse_condenser(std::string_view text);

struct BinaryColumn {
    double pressure = 0.0;  // kPa absolute, uniform over all stages (not checked)
    Feed feed;
    double x_distillate = 0.0;
    double x_bottoms = 0.0;
    CondenserKind condenser = CondenserKind::Total;
};

// Checks, in order: F > 0; z_F, x_D, x_B in [0, 1]; x_B < z_F < x_D.
// The first failure is returned as InvalidInput.
Result<void> validate(const BinaryColumn& column);

// Builds the record and validates it.
Result<BinaryColumn> make_column(double pressure, Feed feed, double x_distillate, double x_bottoms,
                                 CondenserKind condenser);

// D = ((z_F - x_B) * F) / (x_D - x_B) and B = F - D, after validate.
Result<double> distillate_rate(const BinaryColumn& column);
Result<double> bottoms_rate(const BinaryColumn& column);

// The straight line y = slope * x + intercept.
struct Line {
    double slope = 0.0;
    double intercept = 0.0;
};

}  // namespace kolvar::engine
