// Pure-component vapour pressure Psat(T), in kPa, by one of six correlations.
#pragma once

#include "thermo/component.hpp"

#include <cstddef>
#include <expected>
#include <string>

namespace kolvar::thermo {

// "Antoine", "Riedel", "Muller", "RPM", "Polynomial", "Maxwell"
const char* name(SaturationModel model);

struct SaturationError {
    enum class Kind { WrongCoefficientCount, NotAvailable, MaxwellFailed, OutOfRange };
    Kind kind;
    std::string component{};      // WrongCoefficientCount
    std::size_t expected = 0;     // WrongCoefficientCount
    std::size_t actual = 0;       // WrongCoefficientCount
    SaturationModel model{};      // NotAvailable
    std::string message{};        // MaxwellFailed
    double temperature = 0.0;     // OutOfRange

    std::string text() const;
};

// Pure; allocates only for an error text. Real is double, or the library's
// Dual (the temperature with its derivative, giving dPsat/dT).
template <class Real>
std::expected<Real, SaturationError> saturation_pressure(SaturationModel model, const Component& component,
                                                         Real temperature);

}  // namespace kolvar::thermo
