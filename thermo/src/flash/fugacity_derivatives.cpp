// ln(f_i / (x_i P)) of one phase with its gradient, one Tangent pass per
// direction.
#include "thermo/fugacity_derivatives.hpp"

#include "flash/model_checks.hpp"
#include "kolvar/format.hpp"
#include "numerics/dual.hpp"
#include "thermo/phase_fugacity.hpp"
#include "thermo/small_vector.hpp"

#include <cmath>

namespace kolvar::thermo {
namespace {

// One pass: the phase at the mole fractions x, each moved along `direction`
// (its entries dx_k), into ln(f_i / (x_i P)) with its slopes.
std::expected<void, ThermoError> pass(BasicPhaseFugacity<Tangent>& phases, Phase phase, std::span<const double> x,
                                      std::span<const double> direction, std::span<Tangent> out)
{
    SmallVector<Tangent, 8> seeded(x.size());
    for (std::size_t k = 0; k < x.size(); ++k) seeded[k] = Tangent{x[k], direction.empty() ? 0.0 : direction[k]};
    return phases.ln_coefficients(phase, seeded, out);
}

}  // namespace

std::expected<void, ThermoError> fugacity_derivatives(const SystemSpec& spec, double temperature, double pressure,
                                                      std::span<const double> w, Phase phase,
                                                      FugacityDerivatives& out)
{
    using format::text;
    const std::size_t n = spec.components.size();
    if (w.size() != n)
        return std::unexpected(ThermoError::dimension_mismatch(text("components=", n, ", composition=", w.size())));
    if (auto ok = flash::check_models(spec, n); !ok) return ok;
    double total = 0.0;
    for (const double v : w) total += v;
    if (!(total > 0.0 && std::isfinite(total)))
        return std::unexpected(ThermoError::evaluation("composition must have a positive sum"));
    SmallVector<double, 8> x(n);
    for (std::size_t k = 0; k < n; ++k) x[k] = w[k] / total;

    out.ln_phi.resize(n);
    out.d_temperature.resize(n);
    out.d_pressure.resize(n);
    out.d_amounts.assign(n * n, 0.0);
    SmallVector<Tangent, 8> result(n);

    BasicPhaseFugacity<Tangent> along_t(spec, Tangent{temperature, 1.0}, Tangent{pressure, 0.0});
    if (auto ok = pass(along_t, phase, x, {}, result); !ok) return ok;
    for (std::size_t i = 0; i < n; ++i) {
        out.ln_phi[i] = result[i].value;
        out.d_temperature[i] = result[i].dt;
    }
    BasicPhaseFugacity<Tangent> along_p(spec, Tangent{temperature, 0.0}, Tangent{pressure, 1.0});
    if (auto ok = pass(along_p, phase, x, {}, result); !ok) return ok;
    for (std::size_t i = 0; i < n; ++i) out.d_pressure[i] = result[i].dt;

    BasicPhaseFugacity<Tangent> at_state(spec, Tangent{temperature, 0.0}, Tangent{pressure, 0.0});
    if (at_state.composition_dependent(phase)) {
        SmallVector<double, 8> direction(n);
        for (std::size_t j = 0; j < n; ++j) {
            for (std::size_t k = 0; k < n; ++k) direction[k] = (k == j ? 1.0 : 0.0) - x[k];
            if (auto ok = pass(at_state, phase, x, direction, result); !ok) return ok;
            for (std::size_t i = 0; i < n; ++i) out.d_amounts[i * n + j] = result[i].dt;
        }
    }

    bool finite = true;
    for (std::size_t i = 0; i < n; ++i)
        finite = finite && std::isfinite(out.ln_phi[i]) && std::isfinite(out.d_temperature[i]) &&
                 std::isfinite(out.d_pressure[i]);
    for (const double v : out.d_amounts) finite = finite && std::isfinite(v);
    if (!finite)
        return std::unexpected(ThermoError::evaluation(
            text("non-finite fugacity at T = ", temperature, " K, P = ", pressure, " kPa")));
    return {};
}

}  // namespace kolvar::thermo
