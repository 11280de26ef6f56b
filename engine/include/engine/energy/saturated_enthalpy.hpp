// The enthalpies of saturated phases at a given pressure: a liquid at its
// bubble temperature and a vapour at its dew temperature. Enthalpies are in
// J/mol, relative to the pure components as ideal gases at 298.15 K.
#pragma once

#include "engine/error.hpp"
#include "engine/thermo/system.hpp"

#include <span>
#include <vector>

namespace kolvar::engine {

struct SaturatedEnthalpy {
    double temperature = 0.0;     // the bubble (or dew) temperature, K
    double enthalpy = 0.0;        // of the given phase at that temperature, J/mol
    std::vector<double> incipient;  // the other phase's composition there
};

// h_L(x) at the bubble temperature of the liquid x at p [kPa]: the failures
// of ThermoSystem::bubble_temperature, then of ThermoSystem::enthalpy. A
// bubble point that the library cannot find is ThermoFailed "no bubble point
// of the liquid [0.44, 0.56] at 4500 kPa (is the pressure above its critical
// pressure?): " followed by the library's text.
// `interrupt` is asked by the bubble point, as there.
Result<SaturatedEnthalpy> bubble_enthalpy(const ThermoSystem& system, double p, std::span<const double> x,
                                          Interrupt interrupt = {});

// H_V(y) at the dew temperature of the vapour y at p [kPa]: the failures of
// ThermoSystem::dew_temperature ("no dew point of the vapour [...] at ..."
// as above), then of ThermoSystem::enthalpy.
Result<SaturatedEnthalpy> dew_enthalpy(const ThermoSystem& system, double p, std::span<const double> y,
                                       Interrupt interrupt = {});

// The enthalpy of a feed z of thermal condition q at p [kPa], J/mol:
// h_F = q h_L(z) + (1 - q) H_V(z), each at its own saturation temperature.
// A saturated feed (q = 1 or q = 0) needs only its own side, so only that
// side's failures (of bubble_enthalpy or dew_enthalpy) can refuse it.
Result<double> feed_enthalpy(const ThermoSystem& system, double p, std::span<const double> z, double q,
                             Interrupt interrupt = {});

}  // namespace kolvar::engine
