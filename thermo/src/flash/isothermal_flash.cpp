// Isothermal flash by successive substitution on the K-values with the
// Rachford-Rice split of every pass.
#include "thermo/isothermal_flash.hpp"

#include "flash/extrapolation.hpp"
#include "flash/model_checks.hpp"
#include "flash/phase_pair.hpp"
#include "flash/phase_stability.hpp"
#include "flash/physical_attraction.hpp"
#include "flash/pressure_solver.hpp"
#include "kolvar/format.hpp"
#include "thermo/multiphase_flash.hpp"
#include "thermo/phase_fugacity.hpp"

#include <optional>
#include <utility>
#include <variant>

#include <cmath>

namespace kolvar::thermo {
namespace {

using List = SmallVector<double, 8>;

constexpr double change_tolerance = 1e-10;  // largest |ln(K_new/K_old)| of converged passes
constexpr unsigned rachford_rice_steps = 200;

// g(beta) = sum z_i (K_i - 1)/(1 + beta (K_i - 1)) and its derivative.
struct RachfordRice {
    double value;
    double slope;
};

RachfordRice rachford_rice_at(std::span<const double> z, std::span<const double> k, double beta)
{
    double value = 0.0;
    double slope = 0.0;
    for (std::size_t i = 0; i < z.size(); ++i) {
        const double d = k[i] - 1.0;
        const double term = d / (1.0 + beta * d);
        value += z[i] * term;
        slope -= z[i] * term * term;
    }
    return {value, slope};
}

// The phases of a split beta: x_i = z_i/(1 + beta (K_i - 1)) and y_i = K_i x_i;
// at beta = 0 the liquid is the feed and the vapour its incipient phase
// K z / sum K z, at beta = 1 the reverse.
void phases(std::span<const double> z, std::span<const double> k, double beta, std::span<double> x,
            std::span<double> y)
{
    const std::size_t n = z.size();
    if (beta == 0.0 || beta == 1.0) {
        std::span<double> feed = beta == 0.0 ? x : y;
        std::span<double> incipient = beta == 0.0 ? y : x;
        double sum = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            feed[i] = z[i];
            incipient[i] = beta == 0.0 ? k[i] * z[i] : z[i] / k[i];
            sum += incipient[i];
        }
        for (std::size_t i = 0; i < n; ++i) incipient[i] /= sum;
        return;
    }
    for (std::size_t i = 0; i < n; ++i) {
        x[i] = z[i] / (1.0 + beta * (k[i] - 1.0));
        y[i] = k[i] * x[i];
    }
}

// The liquid or vapour side of the critical point of the feed, by the
// pseudo-critical temperature of critical-volume fractions.
bool liquid_like(std::span<const Component> components, std::span<const double> z, double temperature)
{
    double volume = 0.0;
    double weighted = 0.0;
    for (std::size_t i = 0; i < components.size(); ++i) {
        volume += z[i] * components[i].vc;
        weighted += z[i] * components[i].vc * components[i].tc;
    }
    return temperature < weighted / volume;
}

// 0 for a liquid feed, 2 for a vapour one, 1 for a split.
int regime(double beta) { return beta == 0.0 ? 0 : beta == 1.0 ? 2 : 1; }

bool finite(std::span<const double> values)
{
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}


// Whether the flash's vapour y is a vapour and not a second liquid
// (flash/phase_stability.hpp, true_kind).
bool vapour_root(const SystemSpec& spec, double temperature, double pressure, std::span<const double> y)
{
    PhaseFugacity phases(spec, temperature, pressure);
    return flash::true_kind(spec, phases, temperature, pressure, Phase::Vapor, y) == Phase::Vapor;
}

// The vapour-liquid answer that the stable phases give, for a feed of mole
// fractions: a vapour and one liquid as they are; liquids alone as beta = 0
// with the feed's incipient vapour, a vapour alone as beta = 1 with its
// incipient liquid. Nothing for a vapour with two liquids, or when the
// stable phases or the incipient phase cannot be found.
std::optional<FlashResult> from_stable_phases(const SystemSpec& spec, double temperature, double pressure,
                                              std::span<const double> z)
{
    double sum = 0.0;
    for (double v : z) sum += v;
    if (!(std::abs(sum - 1.0) <= 1e-12)) return std::nullopt;
    auto stable = stable_flash(spec, temperature, pressure, z);
    if (!stable) return std::nullopt;
    std::size_t vapours = 0;
    for (const PhaseShare& phase : *stable) vapours += phase.kind == Phase::Vapor ? 1 : 0;
    const std::size_t liquids = stable->size() - vapours;
    FlashResult result;
    if (vapours == 1 && liquids == 1) {
        result.vapour_fraction = (*stable)[0].fraction;
        result.y = (*stable)[0].composition;
        result.x = (*stable)[1].composition;
        return result;
    }
    if (vapours == 1 && liquids == 2) return std::nullopt;
    const Direction direction = vapours == 0 ? Direction::Bubble : Direction::Dew;
    List k(z.size());
    for (std::size_t i = 0; i < z.size(); ++i) k[i] = wilson_k(spec.components[i], temperature, pressure);
    auto incipient = evaluate_k(spec, temperature, pressure, z, direction, k, 500);
    if (!incipient || !incipient->converged || !finite(incipient->incipient)) return std::nullopt;
    result.vapour_fraction = vapours == 0 ? 0.0 : 1.0;
    result.x.assign(z.begin(), z.end());
    result.y.assign(incipient->incipient.begin(), incipient->incipient.end());
    if (vapours != 0) std::swap(result.x, result.y);
    return result;
}

}  // namespace

double rachford_rice(std::span<const double> z, std::span<const double> k)
{
    if (!(rachford_rice_at(z, k, 0.0).value > 0.0)) return 0.0;
    if (!(rachford_rice_at(z, k, 1.0).value < 0.0)) return 1.0;
    // g falls strictly on [0, 1]; a Newton step that leaves the bracket bisects it.
    double lo = 0.0;
    double hi = 1.0;
    double beta = 0.5;
    for (unsigned step = 0; step < rachford_rice_steps; ++step) {
        const RachfordRice g = rachford_rice_at(z, k, beta);
        if (g.value > 0.0) lo = beta;
        else if (g.value < 0.0) hi = beta;
        else return beta;
        double next = beta - g.value / g.slope;
        if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
        if (next == beta) return beta;
        beta = next;
    }
    return beta;
}

std::expected<FlashResult, ThermoError> isothermal_flash(const SystemSpec& spec, double temperature,
                                                         double pressure, std::span<const double> z,
                                                         unsigned max_iterations)
{
    const std::size_t n = spec.components.size();
    if (z.size() != n)
        return std::unexpected(ThermoError::dimension_mismatch(format::text("components=", n, ", z=", z.size())));
    if (auto ok = flash::check_models(spec, n); !ok) return std::unexpected(ok.error());
    if (auto ok = flash::physical_attraction(spec, temperature); !ok) return std::unexpected(ok.error());

    List k(n), k_new(n), x(n), y(n);
    flash::PhasePair pair(spec, temperature, pressure, flash::PhasePair::Fixed::Neither);

    // Substitution from Wilson's estimate, with extrapolation jumps or
    // without; the error of a failed evaluation, else whether it converged.
    double change = 0.0;
    List step(n), k_start(n);  // k_start: the K a jump started from
    auto substitute = [&](bool accelerate) -> std::expected<bool, ThermoError> {
        for (std::size_t i = 0; i < n; ++i) k[i] = wilson_k(spec.components[i], temperature, pressure);
        bool converged = false;
        flash::Extrapolation extrapolation(n);
        for (unsigned pass = 0; pass < max_iterations && !converged; ++pass) {
            phases(z, k, rachford_rice(z, k), x, y);
            if (auto ok = pair.vapour(y); !ok) return std::unexpected(ok.error());
            if (auto ok = pair.update_k(x, k_new); !ok) return std::unexpected(ok.error());
            change = 0.0;
            bool nan = false;
            for (std::size_t i = 0; i < n; ++i) {
                step[i] = std::log(k_new[i] / k[i]);
                const double term = std::abs(step[i]);
                nan = nan || std::isnan(term);
                if (term > change) change = term;
                k[i] = k_new[i];
            }
            if (nan || !finite(k)) return std::unexpected(flash::non_finite_k_values(temperature, pressure));
            converged = change < change_tolerance;
            if (converged || !accelerate) continue;
            // A jump is taken only when it keeps the K finite and the feed on the
            // same side of the Rachford-Rice bounds (liquid, split or vapour) as
            // the plain pass: a feed that more than one set of K-values can
            // satisfy (two liquids, a liquid and a vapour) keeps the answer the
            // plain passes reach.
            const flash::Extrapolation::Advice advice = extrapolation.advise(step);
            if (advice.revert) {
                for (std::size_t i = 0; i < n; ++i) k[i] = k_start[i];
            }
            else if (advice.jump > 0.0) {
                for (std::size_t i = 0; i < n; ++i) k_new[i] = k[i] * std::exp(advice.jump * step[i]);
                if (finite(k_new) && regime(rachford_rice(z, k_new)) == regime(rachford_rice(z, k))) {
                    for (std::size_t i = 0; i < n; ++i) {
                        k_start[i] = k[i];
                        k[i] = k_new[i];
                    }
                }
                else {
                    extrapolation.declined();
                }
            }
        }
        return converged;
    };
    // A sequence that the jumps lead astray (near a critical point) gets the
    // plain passes it would have had without them.
    auto converged = substitute(true);
    if (converged && !*converged) converged = substitute(false);
    if (!converged) return std::unexpected(std::move(converged.error()));
    if (!*converged) {
        if (auto answer = from_stable_phases(spec, temperature, pressure, z)) return std::move(*answer);
        return std::unexpected(ThermoError::no_convergence("flash", max_iterations, change));
    }

    FlashResult result;
    if (pair.trivial()) {
        result.vapour_fraction = liquid_like(spec.components, z, temperature) ? 0.0 : 1.0;
        result.x.assign(z.begin(), z.end());
        result.y.assign(z.begin(), z.end());
        return result;
    }
    result.vapour_fraction = rachford_rice(z, k);
    phases(z, k, result.vapour_fraction, x, y);
    if (!finite(x) || !finite(y)) return std::unexpected(flash::non_finite_k_values(temperature, pressure));
    // Two liquids are no vapour-liquid answer: the stable phases decide.
    if (result.vapour_fraction > 0.0 && result.vapour_fraction < 1.0 && !vapour_root(spec, temperature, pressure, y)) {
        if (auto answer = from_stable_phases(spec, temperature, pressure, z)) return std::move(*answer);
        return std::unexpected(ThermoError::evaluation(
            format::text("no vapour at T = ", temperature, " K, P = ", pressure,
                         " kPa: the feed splits into two liquids (stable_flash reports them)")));
    }
    // A feed that stays one phase must be stable against the other kind: a
    // vapour that a liquid of another composition would lower (propane with
    // a little water condensing water) is no vapour answer.
    if (result.vapour_fraction == 0.0 || result.vapour_fraction == 1.0) {
        const bool liquid = result.vapour_fraction == 0.0;
        const auto stability = phase_stability(spec, temperature, pressure, z, liquid ? Phase::Liquid : Phase::Vapor,
                                               {.vapour = liquid, .liquid = !liquid});
        if (stability && stability->tpd < unstable_tpd) {
            if (auto answer = from_stable_phases(spec, temperature, pressure, z)) return std::move(*answer);
        }
        // A liquid that would split into two liquids may boil as it splits
        // (propane with water below the bubble point of their homogeneous
        // liquid): when the stable phases are a vapour and a liquid, they are
        // the answer; two liquids leave the liquid answer as it is.
        else if (liquid && stability) {
            const auto splitting =
                phase_stability(spec, temperature, pressure, z, Phase::Liquid, {.vapour = false, .liquid = true});
            if (splitting && splitting->tpd < unstable_tpd) {
                auto answer = from_stable_phases(spec, temperature, pressure, z);
                if (answer && answer->vapour_fraction > 0.0 && answer->vapour_fraction < 1.0) return std::move(*answer);
            }
        }
    }
    result.x.assign(x.begin(), x.end());
    result.y.assign(y.begin(), y.end());
    return result;
}

}  // namespace kolvar::thermo
