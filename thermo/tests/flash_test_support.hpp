// Shared fixtures of the K-value and bubble-point tests: database mixtures and
// the system descriptions built on them.
#pragma once

#include "thermo/component.hpp"
#include "thermo/flash.hpp"
#include "thermo/saturation.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <expected>
#include <limits>
#include <string>
#include <vector>

namespace kolvar::thermo::testing {

inline constexpr double nan_value = std::numeric_limits<double>::quiet_NaN();

inline std::vector<Component> mixture(std::vector<std::string> names)
{
    auto found = find_components(names);
    if (!found) ADD_FAILURE() << found.error().text();
    return found.value_or(std::vector<Component>{});
}

// PR1976 in both phases, Classical mixing, no kij: the phi-phi system.
inline SystemSpec peng_robinson(const std::vector<Component>& components)
{
    return {.liquid = liquid::PhiPhi{Eos::PR1976},
            .components = components,
            .vapor = VaporModel::equation_of_state(Eos::PR1976)};
}

// An activity-coefficient liquid (with its parameter rows) and a chosen vapour.
inline SystemSpec gamma_phi(const std::vector<Component>& components, ActivityModel model,
                            const std::vector<std::vector<double>>& parameters, VaporModel vapour)
{
    return {.liquid = liquid::GammaPhi{model},
            .components = components,
            .activity = {.parameters = parameters},
            .vapor = vapour};
}

inline SystemSpec described(const std::vector<Component>& components, LiquidModel liquid, VaporModel vapour)
{
    return {.liquid = liquid, .components = components, .vapor = vapour};
}

inline double psat(const Component& component, double temperature)
{
    auto p = saturation_pressure(component.saturation_model, component, temperature);
    if (!p) ADD_FAILURE() << p.error().text();
    return p.value_or(nan_value);
}

template <class T>
T value_or_fail(std::expected<T, ThermoError> result)
{
    if (!result) {
        ADD_FAILURE() << result.error().text();
        return T{};
    }
    return std::move(*result);
}

inline std::string error_text(const auto& result)
{
    return result ? std::string("(success)") : result.error().text();
}

}  // namespace kolvar::thermo::testing
