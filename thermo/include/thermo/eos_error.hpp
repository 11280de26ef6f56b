// The failure value of the equation-of-state layer (mixing rules and mixture
// fugacity).
#pragma once

#include "thermo/cubic.hpp"
#include "thermo/phase.hpp"

#include <string>

namespace kolvar::thermo {

struct EosError {
    enum class Kind { DimensionMismatch, UnsupportedCombination, Cubic, NoRealRoot };

    Kind kind;
    std::string message{};   // DimensionMismatch, UnsupportedCombination
    CubicError cubic{};      // Cubic
    double b = 0.0;          // NoRealRoot: the mixture covolume B
    Phase phase{};           // NoRealRoot

    static EosError dimension_mismatch(std::string message);
    static EosError unsupported_combination(std::string message);
    static EosError cubic_failed(const CubicError& error);
    static EosError no_real_root(double b, Phase phase);

    // "dimension mismatch: " + message
    // "unsupported combination: " + message
    // "cubic solver failed: " + the cubic error's text
    // "no real root above B=0.012345 for phase Liquid" (B with 6 decimals)
    std::string text() const;
};

}  // namespace kolvar::thermo
