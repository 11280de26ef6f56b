// The reflux sweep: one full construction per reflux ratio, NaN where it
// fails. Only the stage count is kept, so the staircases are not recorded.
#include "engine/binary/total_reflux.hpp"

#include "construction.hpp"

#include <limits>

namespace kolvar::engine {

std::vector<StageCount> n_vs_r(const EquilibriumCurve& curve, std::span<const double> reflux_values,
                               double x_distillate, double x_bottoms, double z_feed, double q,
                               double murphree, CondenserKind condenser)
{
    std::vector<StageCount> counts;
    counts.reserve(reflux_values.size());
    McCabeThieleResult scratch;
    for (double r : reflux_values) {
        scratch.spec = {x_distillate, x_bottoms, z_feed, q, r, murphree, condenser};
        const auto built = detail::construct(curve, scratch, false);
        counts.push_back({r, built ? scratch.n_stages : std::numeric_limits<double>::quiet_NaN()});
    }
    return counts;
}

}  // namespace kolvar::engine
