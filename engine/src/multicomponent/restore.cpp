// Checked rebuilding of a shortcut design: each check states one thing the
// design guarantees for every value it returns.
#include "engine/multicomponent/restore.hpp"

#include "kolvar/format.hpp"
#include "thermo/input_checks.hpp"

#include <algorithm>
#include <cmath>
#include <span>

namespace kolvar::engine {
namespace {

using format::text;

Result<void> check_positive(const char* name, double value)
{
    if (std::isfinite(value) && value > 0.0) return {};
    return invalid_input(text(name, " must be positive and finite, got ", value));
}

Result<void> check_composition(const char* name, std::span<const double> x)
{
    const auto sum = entry_sum(name, x);
    if (!sum) return std::unexpected(std::move(sum.error()));
    if (std::fabs(*sum - 1.0) <= 1e-9) return {};
    return invalid_input(text(name, " must sum to 1, got ", *sum));
}

}  // namespace

Result<ShortcutResult> restore_shortcut(ShortcutResult parts)
{
    if (auto ok = check_positive("n_min", parts.n_min); !ok) return std::unexpected(ok.error());
    if (!(std::isfinite(parts.r_min) && parts.r_min >= 0.0))
        return invalid_input(text("r_min must be finite and not negative, got ", parts.r_min));
    if (!(std::isfinite(parts.reflux) && parts.reflux > parts.r_min))
        return invalid_input(text("reflux must be finite and above r_min = ", parts.r_min, ", got ", parts.reflux));
    const double n_stages = gilliland_stages(parts.n_min, parts.r_min, parts.reflux);
    if (!(parts.n_stages == n_stages)) {
        return invalid_input(text("n_stages must be the Gilliland count ", n_stages,
                                  " of n_min, r_min and reflux, got ", parts.n_stages));
    }
    if (!(parts.rectifying_stages >= 0.0 && parts.rectifying_stages <= parts.n_stages)) {
        return invalid_input(text("rectifying_stages must lie in [0, n_stages = ", parts.n_stages, "], got ",
                                  parts.rectifying_stages));
    }
    const double feed_stage = std::round(parts.rectifying_stages) + 1.0;
    if (!(static_cast<double>(parts.feed_stage) == feed_stage)) {
        return invalid_input(text("feed_stage must be round(rectifying_stages) + 1 = ", feed_stage, ", got ",
                                  parts.feed_stage));
    }

    const std::size_t n = parts.alpha.size();
    if (n < 2 || parts.distillate.size() != n || parts.bottoms.size() != n) {
        return invalid_input(text("distillate, bottoms and alpha must have one length of at least 2, got ",
                                  static_cast<std::uint64_t>(parts.distillate.size()), ", ",
                                  static_cast<std::uint64_t>(parts.bottoms.size()), " and ",
                                  static_cast<std::uint64_t>(n)));
    }
    if (auto ok = check_composition("distillate", parts.distillate); !ok) return std::unexpected(ok.error());
    if (auto ok = check_composition("bottoms", parts.bottoms); !ok) return std::unexpected(ok.error());
    for (const auto& [name, value] : {std::pair{"distillate_rate", parts.distillate_rate},
                                      std::pair{"bottoms_rate", parts.bottoms_rate},
                                      std::pair{"top_temperature", parts.top_temperature},
                                      std::pair{"bottom_temperature", parts.bottom_temperature}}) {
        if (auto ok = check_positive(name, value); !ok) return std::unexpected(ok.error());
    }
    for (const auto& [name, value] : {std::pair{"condenser_duty", parts.condenser_duty},
                                      std::pair{"reboiler_duty", parts.reboiler_duty}}) {
        if (!std::isfinite(value)) return invalid_input(text(name, " must be finite, got ", value));
    }
    for (double a : parts.alpha) {
        if (auto ok = check_positive("alpha entries", a); !ok) return std::unexpected(ok.error());
    }
    const auto& alpha = parts.alpha;
    if (std::find(alpha.begin(), alpha.end(), 1.0) == alpha.end() ||
        !std::any_of(alpha.begin(), alpha.end(), [](double a) { return a > 1.0; })) {
        return invalid_input("alpha must hold the heavy key's 1 and a light key's value above 1");
    }
    return parts;
}

}  // namespace kolvar::engine
