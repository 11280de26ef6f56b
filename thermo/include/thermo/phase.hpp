// The two fluid phases and the compressibility root that belongs to each.
#pragma once

#include "thermo/cubic.hpp"

#include <optional>

namespace kolvar::thermo {

// Text forms "Vapor" and "Liquid".
enum class Phase : unsigned { Vapor, Liquid };

const char* name(Phase phase);

// The root of the cubic in Z for the phase: among the roots for which
// `b >= root` is false (roots strictly above the covolume B, and a NaN root,
// which only an overflowing cubic produces), the largest for Vapor and the
// smallest for Liquid; a NaN candidate loses against any other candidate.
// nullopt when every root lies at or below B.
std::optional<double> select_root(const CubicRoots& roots, double b, Phase phase);

}  // namespace kolvar::thermo
