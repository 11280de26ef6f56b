// Tangent-plane stability of a liquid by successive substitution from
// several trial compositions.
#include "thermo/stability.hpp"

#include "flash/extrapolation.hpp"
#include "flash/model_checks.hpp"
#include "kolvar/format.hpp"
#include "thermo/phase_fugacity.hpp"

#include <cmath>
#include <limits>
#include <optional>
#include <variant>

namespace kolvar::thermo {
namespace {

using List = SmallVector<double, 8>;

constexpr unsigned max_passes = 300;
constexpr double change_tolerance = 1e-10;  // largest |ln W_new - ln W| of a converged trial
constexpr double trivial_distance = 1e-6;   // a trial this close to the liquid has found the liquid
constexpr double pure_trial = 1e-3;         // the other components' share of a nearly pure trial

// ln f_i(w), the liquid's composition-dependent fugacity term: ln phi_i on the
// liquid root, or ln gamma_i.
class LiquidTerm {
public:
    LiquidTerm(const SystemSpec& spec, double temperature, double pressure) : phases_(spec, temperature, pressure) {}

    // Ideal-solution and Grayson-Streed liquids have none.
    bool composition_dependent() const { return phases_.composition_dependent(Phase::Liquid); }

    std::expected<void, ThermoError> operator()(std::span<const double> w, std::span<double> out)
    {
        return phases_.term(Phase::Liquid, w, out);
    }

private:
    PhaseFugacity phases_;
};

struct Trial {
    double tpd;
    List w;
};

// The largest difference of two compositions; NaN when either holds a NaN.
double distance(std::span<const double> a, std::span<const double> b)
{
    double d = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double gap = std::abs(a[i] - b[i]);
        if (!(gap <= d)) d = gap;
    }
    return d;
}

// Successive substitution from the normalised trial w; returns tm at the last
// W and its normalised composition.
std::expected<Trial, ThermoError> run_trial(LiquidTerm& term, std::span<const double> d,
                                            std::span<const double> liquid, List w)
{
    const std::size_t n = w.size();
    List big_w = w;  // W, the unnormalised amounts
    List ln_f(n), next(n), step(n);
    List start_w(n), start(n);  // the plain pass a jump started from, W and w
    flash::Extrapolation extrapolation(n);
    double tpd = 0.0;
    for (unsigned pass = 0; pass < max_passes; ++pass) {
        if (auto ok = term(w, ln_f); !ok) return std::unexpected(ok.error());
        tpd = 1.0;
        double change = 0.0;
        bool regular = true;  // every present amount positive and finite, so steps are finite
        for (std::size_t i = 0; i < n; ++i) {
            if (big_w[i] > 0.0) tpd += big_w[i] * (std::log(big_w[i]) + ln_f[i] - d[i] - 1.0);
            next[i] = std::isinf(d[i]) ? 0.0 : std::exp(d[i] - ln_f[i]);
            step[i] = 0.0;
            if (next[i] > 0.0 || big_w[i] > 0.0) {
                step[i] = std::log(next[i]) - std::log(big_w[i]);
                const double size = std::abs(step[i]);
                if (size > change || std::isnan(size)) change = size;  // a NaN keeps the trial going
                regular = regular && std::isfinite(step[i]);
            }
        }
        if (change < change_tolerance || distance(w, liquid) < trivial_distance) break;
        const flash::Extrapolation::Advice advice = regular ? extrapolation.advise(step) : flash::Extrapolation::Advice{};
        if (advice.revert) {
            big_w = start_w;
            w = start;
            continue;
        }
        if (advice.jump > 0.0) {
            start_w = next;
        }
        double total = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            const double moved = advice.jump > 0.0 ? next[i] * std::exp(advice.jump * step[i]) : next[i];
            next[i] = std::isfinite(moved) ? moved : next[i];
            total += next[i];
        }
        for (std::size_t i = 0; i < n; ++i) {
            big_w[i] = next[i];
            w[i] = next[i] / total;
        }
        if (advice.jump > 0.0) {
            double plain = 0.0;
            for (double v : start_w) plain += v;
            for (std::size_t i = 0; i < n; ++i) start[i] = start_w[i] / plain;
        }
    }
    if (distance(w, liquid) < trivial_distance) return Trial{0.0, List(liquid)};
    return Trial{tpd, w};
}

}  // namespace

std::expected<StabilityResult, ThermoError> liquid_stability(const SystemSpec& spec, double temperature,
                                                             double pressure, std::span<const double> x)
{
    const std::size_t n = spec.components.size();
    if (x.size() != n)
        return std::unexpected(ThermoError::dimension_mismatch(format::text("components=", n, ", x=", x.size())));
    if (auto ok = flash::check_models(spec, n); !ok) return std::unexpected(ok.error());
    double sum = 0.0;
    bool valid = true;
    for (double v : x) {
        valid = valid && std::isfinite(v) && v >= 0.0;
        sum += v;
    }
    if (!valid || !(sum > 0.0))
        return std::unexpected(ThermoError::dimension_mismatch(
            "composition must be finite and non-negative with a positive sum"));

    List liquid(n);
    for (std::size_t i = 0; i < n; ++i) liquid[i] = x[i] / sum;
    Trial best{0.0, liquid};
    const auto result = [&] { return StabilityResult{best.tpd, std::vector<double>(best.w.begin(), best.w.end())}; };
    LiquidTerm term(spec, temperature, pressure);
    if (!term.composition_dependent() || n < 2) return result();

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
        auto trial = run_trial(term, d, liquid, std::move(w));
        if (!trial) return std::unexpected(std::move(trial.error()));
        if (!std::isfinite(trial->tpd)) return non_finite();
        if (trial->tpd < best.tpd) best = std::move(*trial);
    }
    return result();
}

}  // namespace kolvar::thermo
