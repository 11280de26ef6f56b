#include "thermo/phase.hpp"

#include <cmath>

namespace kolvar::thermo {

const char* name(Phase phase) { return phase == Phase::Vapor ? "Vapor" : "Liquid"; }

std::optional<double> select_root(const CubicRoots& roots, double b, Phase phase)
{
    bool found = false;
    double chosen = 0.0;
    const unsigned count = roots.count < 3 ? roots.count : 3;
    for (unsigned i = 0; i < count; ++i) {
        const double z = roots.roots[i];
        if (b >= z) continue;
        // A NaN candidate never replaces a number; a NaN held so far is replaced.
        const bool better = phase == Phase::Vapor ? z > chosen : z < chosen;
        if (!found || better || std::isnan(chosen)) chosen = z;
        found = true;
    }
    if (!found) return std::nullopt;
    return chosen;
}

}  // namespace kolvar::thermo
