// A liquid and a vapour at one (T, P): the vapour's ln phi, then new K-values
// from the liquid, on the system's PhaseFugacity (which computes everything
// that depends on T and P alone once: the per-component equation-of-state
// parameters of each phase, the virial coefficients, the pure-liquid
// references). A phase whose composition is fixed for the whole life of the
// object (the liquid of a bubble point, the vapour of a dew point) is
// evaluated once only. No heap allocation for up to 8 components.
#pragma once

#include "thermo/flash.hpp"
#include "thermo/phase_fugacity.hpp"

#include <cstddef>
#include <expected>
#include <limits>
#include <span>

namespace kolvar::thermo::flash {

class PhasePair {
public:
    // Which phase keeps one composition throughout.
    enum class Fixed { Liquid, Vapour, Neither };

    PhasePair(const SystemSpec& spec, double temperature, double pressure, Fixed fixed);

    // The pair of a K-value evaluation: the known phase is the fixed one.
    static Fixed fixed_by(Direction direction) { return direction == Direction::Dew ? Fixed::Vapour : Fixed::Liquid; }

    // ln phi_i of the vapour y.
    std::expected<void, ThermoError> vapour(std::span<const double> y);

    // The new K_i from the liquid x and the vapour's ln phi (vapour() first).
    std::expected<void, ThermoError> update_k(std::span<const double> x, std::span<double> k);

    // K = 1 with both phases on one root of the same cubic: every
    // |ln K_i| < 1e-8 and Z^L = Z^V to 1e-8 relative (phi-phi only).
    bool trivial() const;

private:
    using List = SmallVector<double, 8>;

    std::expected<void, ThermoError> liquid_term(std::span<const double> x);

    const SystemSpec& spec_;
    const double pressure_;
    const std::size_t n_;
    const bool vapour_given_;
    const bool liquid_given_;

    PhaseFugacity phases_;
    const bool activity_form_;  // the liquid's f_i = x_i gamma_i f0_i
    List ln_phi_vapour_;
    List liquid_;  // phi-phi: ln phi of the liquid; gamma-phi: ln gamma; Grayson-Streed: ln nu
    double z_vapour_ = std::numeric_limits<double>::quiet_NaN();
    double z_liquid_ = std::numeric_limits<double>::quiet_NaN();
    bool vapour_done_ = false;
    bool liquid_done_ = false;
};

}  // namespace kolvar::thermo::flash
