// ThermoSystem: an owned mixture plus its model selection. It owns the
// component records and the parameter matrices and assembles a fresh,
// borrowing thermo::SystemSpec for every question it answers. Build it
// once per column problem and reuse it.
#pragma once

#include "engine/error.hpp"

#include "thermo/component.hpp"
#include "thermo/flash.hpp"

#include <array>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace kolvar::engine {

// A solved bubble point: the solved quantity (T in K or P in kPa), the vapour
// composition y and the K-values.
using BubblePoint = thermo::IncipientPoint;

class ThermoSystem {
public:
    // The two kinds of system and the model each carries: phi-phi with the Eos
    // of both phases, gamma-phi with the liquid's ActivityModel.
    using Model = std::variant<thermo::liquid::PhiPhi, thermo::liquid::GammaPhi>;

    // Peng-Robinson in both phases, classical mixing, all kij zero; the
    // components are looked up by name, in order (the first miss fails, as
    // ThermoFailed with the lookup message).
    static Result<ThermoSystem> peng_robinson(std::span<const std::string> names);

    // van Laar liquid with an ideal-gas vapour for a binary pair; a12 and a21
    // are the dimensionless van Laar parameters in the given component order.
    static Result<ThermoSystem> van_laar(const std::array<std::string, 2>& names, double a12, double a21);

    std::span<const thermo::Component> components() const noexcept { return components_; }
    std::vector<std::string> component_names() const;
    const Model& model() const noexcept { return model_; }

    // The borrowing specification of every call: phi-phi systems get their Eos
    // in both phases with the kij matrix; gamma-phi systems their activity
    // model with its parameter matrix and an ideal-gas vapour.
    thermo::SystemSpec spec() const noexcept;

    // Bubble temperature [K] at pressure p [kPa] for liquid composition x.
    // x must have one entry per component:
    // "composition has {len} entries but the system has {n} components".
    Result<BubblePoint> bubble_temperature(double p, std::span<const double> x) const;

    // Bubble pressure [kPa] at temperature t [K] for liquid composition x.
    Result<BubblePoint> bubble_pressure(double t, std::span<const double> x) const;

    // "ThermoSystem(methanol, water)"
    std::string repr() const;

private:
    ThermoSystem(std::vector<thermo::Component> components, Model model,
                 std::vector<std::vector<double>> params) noexcept;

    Result<void> check_composition(std::span<const double> x) const;

    std::vector<thermo::Component> components_;
    Model model_;
    std::vector<std::vector<double>> params_;  // phi-phi: kij (empty = zero); gamma-phi: activity parameters
};

// Tolerance and iteration limit of both bubble-point solvers.
inline constexpr double bubble_tolerance = 1e-9;
inline constexpr unsigned bubble_iterations = 200;

}  // namespace kolvar::engine
