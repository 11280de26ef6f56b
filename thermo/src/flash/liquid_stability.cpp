// Tangent-plane stability of a liquid by successive substitution from
// several trial compositions.
#include "thermo/stability.hpp"

#include "flash/model_checks.hpp"
#include "flash/tangent_plane.hpp"
#include "kolvar/format.hpp"
#include "thermo/phase_fugacity.hpp"

#include <cmath>
#include <limits>
#include <optional>
#include <variant>

namespace kolvar::thermo {
namespace {

using List = SmallVector<double, 8>;

constexpr double pure_trial = 1e-3;  // the other components' share of a nearly pure trial

}  // namespace

std::expected<StabilityResult, ThermoError> liquid_stability(const SystemSpec& spec, double temperature,
                                                             double pressure, std::span<const double> x)
{
    const std::size_t n = spec.components.size();
    if (x.size() != n)
        return std::unexpected(ThermoError::dimension_mismatch(format::text("components=", n, ", x=", x.size())));
    if (auto ok = flash::check_models(spec, n); !ok) return std::unexpected(ok.error());
    List liquid(n);
    if (auto ok = flash::normalised_composition(x, liquid); !ok) return std::unexpected(ok.error());
    flash::Trial best{0.0, liquid};
    const auto result = [&] { return StabilityResult{best.tpd, std::vector<double>(best.w.begin(), best.w.end())}; };
    // ln f~ of a liquid trial: its composition-dependent term alone (ln phi_i
    // on the liquid root, or ln gamma_i), the pure-liquid reference being
    // common to the trial and the tested liquid.
    PhaseFugacity phases(spec, temperature, pressure);
    const auto term = [&](std::span<const double> w, std::span<double> out) {
        return phases.term(Phase::Liquid, w, out);
    };
    // Ideal-solution and Grayson-Streed liquids have none.
    if (!phases.composition_dependent(Phase::Liquid) || n < 2) return result();

    const auto non_finite = [&] {
        return std::unexpected(ThermoError::evaluation(format::text(
            "non-finite tangent-plane distance at T = ", temperature, " K, P = ", pressure, " kPa")));
    };
    List d(n);
    if (auto ok = term(liquid, d); !ok) return std::unexpected(ok.error());
    for (std::size_t i = 0; i < n; ++i) {
        if (liquid[i] > 0.0 && !std::isfinite(d[i])) return non_finite();
        d[i] = liquid[i] > 0.0 ? std::log(liquid[i]) + d[i] : -std::numeric_limits<double>::infinity();
    }

    // Nearly pure trials of every present component, then the equimolar one.
    for (std::size_t j = 0; j <= n; ++j) {
        if (j < n && liquid[j] == 0.0) continue;
        if (spec.stop()) return std::unexpected(ThermoError::stopped());
        List w(n);
        double total = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            w[i] = liquid[i] == 0.0 ? 0.0 : j == n ? 1.0 : i == j ? 1.0 : pure_trial;
            total += w[i];
        }
        for (double& v : w) v /= total;
        auto trial = flash::tangent_plane_trial(term, d, std::move(w), liquid);
        if (!trial) return std::unexpected(std::move(trial.error()));
        if (flash::composition_distance(trial->w, liquid) < flash::trivial_distance) *trial = {0.0, liquid};
        if (!std::isfinite(trial->tpd)) return non_finite();
        if (trial->tpd < best.tpd) best = std::move(*trial);
    }
    return result();
}

}  // namespace kolvar::thermo
