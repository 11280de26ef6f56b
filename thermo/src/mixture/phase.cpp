#include "thermo/phase.hpp"

#include <cmath>

namespace kolvar::thermo {

const char* name(Phase phase) { return phase == Phase::Vapor ? "Vapor" : "Liquid"; }

std::optional<double> select_root(const CubicRoots& roots, double b, Phase phase)
{
    std::optional<double> chosen;
    for (unsigned i = 0; i < roots.count && i < roots.roots.size(); ++i) {
        const double z = roots.roots[i];
        if (b >= z) continue;
        if (!chosen) chosen = z;
        else chosen = phase == Phase::Vapor ? std::fmax(*chosen, z) : std::fmin(*chosen, z);
    }
    return chosen;
}

}  // namespace kolvar::thermo
