#include "thermo/eos_error.hpp"

#include "kolvar/format.hpp"

#include <utility>

namespace kolvar::thermo {

EosError EosError::dimension_mismatch(std::string message)
{
    return {.kind = Kind::DimensionMismatch, .message = std::move(message)};
}

EosError EosError::unsupported_combination(std::string message)
{
    return {.kind = Kind::UnsupportedCombination, .message = std::move(message)};
}

EosError EosError::cubic_failed(const CubicError& error) { return {.kind = Kind::Cubic, .cubic = error}; }

EosError EosError::no_real_root(double b, Phase phase) { return {.kind = Kind::NoRealRoot, .b = b, .phase = phase}; }

std::string EosError::text() const
{
    using format::Fixed;
    switch (kind) {
    case Kind::DimensionMismatch: return format::text("dimension mismatch: ", message);
    case Kind::UnsupportedCombination: return format::text("unsupported combination: ", message);
    case Kind::Cubic: return format::text("cubic solver failed: ", cubic.text());
    case Kind::NoRealRoot: return format::text("no real root above B=", Fixed{b, 6}, " for phase ", name(phase));
    }
    return {};
}

}  // namespace kolvar::thermo
