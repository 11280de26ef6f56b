// ln(f_i / (x_i P)) of one phase with its gradient: the temperature, the
// pressure and every amount carried together in the lanes of a Gradient, so
// the (T, P) parameters are prepared once and each kernel runs once for up
// to 8 components; wider states take one pass per wide_gradient directions
// and a narrow one for the last few.
#include "thermo/fugacity_derivatives.hpp"

#include "flash/model_checks.hpp"
#include "kolvar/format.hpp"
#include "numerics/dual.hpp"
#include "thermo/phase_fugacity.hpp"
#include "thermo/small_vector.hpp"

#include <algorithm>
#include <cmath>

namespace kolvar::thermo {
namespace {

// Direction 0 is the temperature, 1 the pressure, 2 + j the amount n_j, whose
// direction moves the mole fractions by dx_k/dn_j = delta_kj - x_k at a total
// of one mole.
constexpr std::size_t first_amount = 2;

// One pass in Gradient<L> carrying directions [first, first + L) (those past
// the last are left 0); writes the values and the slopes it carries into out.
template <std::size_t L>
std::expected<void, ThermoError> pass(const SystemSpec& spec, double temperature, double pressure,
                                      std::span<const double> x, Phase phase, std::size_t first,
                                      bool amounts, FugacityDerivatives& out)
{
    using G = Gradient<L>;
    const std::size_t n = x.size();
    const std::size_t directions = amounts ? n + first_amount : first_amount;
    const std::size_t lanes = std::min(L, directions - first);
    G t{temperature};
    G p{pressure};
    SmallVector<G, 8> seeded(n);
    for (std::size_t k = 0; k < n; ++k) seeded[k] = G{x[k]};
    for (std::size_t l = 0; l < lanes; ++l) {
        const std::size_t direction = first + l;
        if (direction == 0) t.slope(l) = 1.0;
        else if (direction == 1) p.slope(l) = 1.0;
        else
            for (std::size_t k = 0; k < n; ++k) seeded[k].slope(l) = (k == direction - first_amount ? 1.0 : 0.0) - x[k];
    }
    BasicPhaseFugacity<G> phases(spec, t, p);
    SmallVector<G, 8> result(n);
    if (auto ok = phases.ln_coefficients(phase, seeded, result); !ok) return ok;
    for (std::size_t i = 0; i < n; ++i) {
        out.ln_phi[i] = result[i].value;
        for (std::size_t l = 0; l < lanes; ++l) {
            const std::size_t direction = first + l;
            const double slope = result[i].slope(l);
            if (direction == 0) out.d_temperature[i] = slope;
            else if (direction == 1) out.d_pressure[i] = slope;
            else out.d_amounts[i * n + direction - first_amount] = slope;
        }
    }
    return {};
}

// Whether the phase's term changes with the composition: an equation-of-state
// or virial phase, a gamma-phi liquid.
bool composition_dependent(const SystemSpec& spec, Phase phase)
{
    if (phase == Phase::Vapor) return spec.vapor.kind != VaporModel::Kind::IdealGas;
    return std::holds_alternative<liquid::PhiPhi>(spec.liquid) || std::holds_alternative<liquid::GammaPhi>(spec.liquid);
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

    const bool amounts = composition_dependent(spec, phase);
    const std::size_t directions = amounts ? n + first_amount : first_amount;
    // Wide passes while more than a narrow one's directions remain, then a narrow one.
    for (std::size_t first = 0; first < directions;) {
        const bool narrow = directions - first <= narrow_gradient;
        const auto ok = narrow ? pass<narrow_gradient>(spec, temperature, pressure, x, phase, first, amounts, out)
                               : pass<wide_gradient>(spec, temperature, pressure, x, phase, first, amounts, out);
        if (!ok) return ok;
        first += narrow ? narrow_gradient : wide_gradient;
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
