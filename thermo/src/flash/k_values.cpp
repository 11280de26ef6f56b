// K-values by successive substitution at fixed temperature and pressure. The
// phase whose composition is given (the liquid of a bubble point, the vapour
// of a dew point) has fixed fugacity coefficients and is evaluated on the
// first pass only. No heap allocation for up to 8 components.
#include "thermo/flash.hpp"

#include "constants.hpp"
#include "flash/model_checks.hpp"
#include "flash/phase_pair.hpp"

#include <cmath>

namespace kolvar::thermo {
namespace {

using List = SmallVector<double, 8>;

constexpr double change_tolerance = 1e-10;  // largest |ln(K_new/K_old)| of a converged pass

// Step 1 of a pass: w_i = K_i x_i (bubble) or y_i/K_i (dew), written
// normalised into `incipient`; returns S = sum w_i.
double incipient_phase(std::span<const double> known, std::span<const double> k, Direction direction,
                       List& incipient)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < known.size(); ++i) {
        incipient[i] = direction == Direction::Bubble ? k[i] * known[i] : known[i] / k[i];
        sum += incipient[i];
    }
    for (double& w : incipient) w /= sum;
    return sum;
}

}  // namespace

double wilson_k(const Component& component, double temperature, double pressure)
{
    const double exponent = constants::wilson_slope * (1.0 + component.omega) * (1.0 - component.tc / temperature);
    return component.pc * std::exp(exponent) / pressure;
}

std::expected<KValueResult, ThermoError> evaluate_k(const SystemSpec& spec, double temperature, double pressure,
                                                    std::span<const double> composition, Direction direction,
                                                    std::span<double> k, unsigned max_iterations)
{
    const std::size_t n = spec.components.size();
    if (auto ok = flash::check_composition(n, composition.size(), direction); !ok) return std::unexpected(ok.error());
    if (auto ok = flash::check_models(spec, k.size()); !ok) return std::unexpected(ok.error());
    if (spec.stop()) return std::unexpected(ThermoError::stopped());

    flash::PhasePair pass(spec, temperature, pressure, flash::PhasePair::fixed_by(direction));
    KValueResult result;
    result.incipient.resize(n);
    List k_new(n);
    const bool bubble = direction == Direction::Bubble;

    unsigned passes = 0;
    while (passes < max_iterations) {
        ++passes;
        result.sum = incipient_phase(composition, k, direction, result.incipient);
        const std::span<const double> incipient = result.incipient;
        if (auto ok = pass.vapour(bubble ? incipient : composition); !ok) return std::unexpected(ok.error());
        if (auto ok = pass.update_k(bubble ? composition : incipient, k_new); !ok)
            return std::unexpected(ok.error());

        double change = 0.0;  // a NaN term does not raise it
        for (std::size_t i = 0; i < n; ++i) {
            const double term = std::abs(std::log(k_new[i] / k[i]));
            if (term > change) change = term;
            k[i] = k_new[i];
        }
        result.change = change;
        if (change < change_tolerance) {
            result.converged = true;
            break;
        }
    }
    if (passes == 0) result.sum = incipient_phase(composition, k, direction, result.incipient);
    else result.trivial = pass.trivial();
    return result;
}

}  // namespace kolvar::thermo
