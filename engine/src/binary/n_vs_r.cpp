// The reflux sweep: one full construction per reflux ratio, NaN where it
// fails. The minimum-reflux analysis depends on the compositions and q only,
// so it runs once for the whole sweep; only the stage count is kept, so the
// staircases are not recorded.
#include "engine/binary/total_reflux.hpp"

#include "construction.hpp"

#include <limits>

namespace kolvar::engine {

Result<std::vector<StageCount>> n_vs_r(const EquilibriumCurve& curve, std::span<const double> reflux_values,
                                       const McCabeThieleSpec& spec, Interrupt interrupt)
{
    constexpr double failed = std::numeric_limits<double>::quiet_NaN();
    std::vector<StageCount> counts;
    counts.reserve(reflux_values.size());
    // Every construction would return this failure (or an earlier one).
    const auto minimum = rmin(curve, spec.x_distillate, spec.x_bottoms, spec.z_feed, spec.q);
    McCabeThieleResult scratch;
    scratch.spec = spec;
    for (double r : reflux_values) {
        if (auto going = interrupt.check(); !going) return std::unexpected(std::move(going.error()));
        scratch.spec.reflux = r;
        const bool built = minimum && detail::construct(curve, scratch, false, &*minimum);
        counts.push_back({r, built ? scratch.n_stages : failed});
    }
    return counts;
}

std::vector<StageCount> n_vs_r(const EquilibriumCurve& curve, std::span<const double> reflux_values,
                               const McCabeThieleSpec& spec)
{
    return *n_vs_r(curve, reflux_values, spec, Interrupt{});  // a never-stopping sweep cannot fail
}

}  // namespace kolvar::engine
