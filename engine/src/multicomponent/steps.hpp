// The shortcut design's steps as its files share them.
#pragma once

#include "engine/multicomponent/shortcut.hpp"

#include <cstddef>
#include <span>
#include <vector>

namespace kolvar::engine::multicomponent {

struct Keys {
    std::size_t light = 0;
    std::size_t heavy = 0;
};

// A specification that passed the checks before any thermodynamics: its
// keys, and the feed composition scaled to sum to 1 exactly.
struct CheckedSpec {
    Keys keys;
    std::vector<double> z;
};

// The checks of shortcut() up to the reflux choice, in their order.
Result<CheckedSpec> check_shortcut(const ThermoSystem& system, const ShortcutSpec& spec);

// The name of component i as messages show it.
const std::string& component_name(const ThermoSystem& system, std::size_t i);

// The settled distribution of step 1 and what its last pass found.
struct Distribution {
    std::vector<double> distillate;  // d_i / F
    std::vector<double> bottoms;     // b_i / F
    std::vector<double> alpha;       // of the last pass, relative to the heavy key
    double n_min = 0.0;
    double top_temperature = 0.0;
    double bottom_temperature = 0.0;
};

// Step 1 from the K-values of the feed at its bubble point.
Result<Distribution> fenske_distribution(const ThermoSystem& system, const ShortcutSpec& spec,
                                         const CheckedSpec& checked, std::span<const double> feed_k,
                                         Interrupt& interrupt);

}  // namespace kolvar::engine::multicomponent
