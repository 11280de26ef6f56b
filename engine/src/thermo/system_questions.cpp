// The equilibrium questions a ThermoSystem answers.
#include "engine/thermo/system.hpp"
#include "input_checks.hpp"

#include "kolvar/format.hpp"
#include "thermo/activity.hpp"
#include "thermo/dew_point.hpp"

#include <cmath>
#include <cstdint>
#include <utility>
#include <variant>

namespace kolvar::engine {
namespace {

using format::text;

template <class T>
Result<T> answered(std::expected<T, thermo::ThermoError>&& answer)
{
    if (!answer) return thermo_failed(answer.error().text());
    return std::move(*answer);
}

// An answer of work that `interrupt` may have stopped: stopped work is
// Interrupted, whatever the solvers made of it.
template <class T>
Result<T> answered(std::expected<T, thermo::ThermoError>&& answer, const Interrupt& interrupt)
{
    if (interrupt.stopped()) return interrupted("stopped between work items");
    return answered(std::move(answer));
}

}  // namespace

Result<void> ThermoSystem::check_composition(std::span<const double> x) const
{
    if (x.size() == components_.size()) return {};
    return invalid_input(text("composition has ", static_cast<std::uint64_t>(x.size()), " entries but the system has ",
                              static_cast<std::uint64_t>(components_.size()), " components"));
}

Result<void> ThermoSystem::check_state(std::optional<double> t, std::optional<double> p,
                                       std::span<const double> x) const
{
    if (t && !(std::isfinite(*t) && *t > 0.0))
        return invalid_input(text("temperature must be positive and finite, got ", *t, " K"));
    if (p && !(std::isfinite(*p) && *p > 0.0))
        return invalid_input(text("pressure must be positive and finite, got ", *p, " kPa"));
    if (auto ok = check_composition(x); !ok) return ok;
    const auto sum = entry_sum("composition", x);
    if (!sum) return std::unexpected(std::move(sum.error()));
    if (!(*sum > 0.0)) return invalid_input("composition must have a positive sum");
    return {};
}

Result<BubblePoint> ThermoSystem::bubble_temperature(double p, std::span<const double> x, Interrupt interrupt) const
{
    if (auto ok = check_composition(x); !ok) return std::unexpected(std::move(ok.error()));
    return answered(thermo::bubble_temperature(spec(interrupt), p, x, bubble_tolerance, bubble_iterations),
                    interrupt);
}

Result<BubblePoint> ThermoSystem::bubble_pressure(double t, std::span<const double> x, Interrupt interrupt) const
{
    if (auto ok = check_composition(x); !ok) return std::unexpected(std::move(ok.error()));
    return answered(thermo::bubble_pressure(spec(interrupt), t, x, thermo::Direction::Bubble, bubble_tolerance,
                                            bubble_iterations),
                    interrupt);
}

Result<BubblePoint> ThermoSystem::dew_temperature(double p, std::span<const double> y, Interrupt interrupt) const
{
    if (auto ok = check_state(std::nullopt, p, y); !ok) return std::unexpected(std::move(ok.error()));
    return answered(thermo::dew_temperature(spec(interrupt), p, y, bubble_tolerance, bubble_iterations), interrupt);
}

Result<BubblePoint> ThermoSystem::dew_pressure(double t, std::span<const double> y, Interrupt interrupt) const
{
    if (auto ok = check_state(t, std::nullopt, y); !ok) return std::unexpected(std::move(ok.error()));
    return answered(thermo::dew_pressure(spec(interrupt), t, y, bubble_tolerance, bubble_iterations), interrupt);
}

Result<thermo::FlashResult> ThermoSystem::flash(double t, double p, std::span<const double> z) const
{
    if (auto ok = check_state(t, p, z); !ok) return std::unexpected(std::move(ok.error()));
    return answered(thermo::isothermal_flash(spec(), t, p, z));
}

Result<thermo::EquilibriumRatios> ThermoSystem::k_values(double t, double p, std::span<const double> x) const
{
    if (auto ok = check_state(t, p, x); !ok) return std::unexpected(std::move(ok.error()));
    return answered(thermo::equilibrium_ratios(spec(), t, p, x));
}

Result<std::vector<double>> ThermoSystem::ln_phi(double t, double p, std::span<const double> composition,
                                                 thermo::Phase phase) const
{
    if (auto ok = check_state(t, p, composition); !ok) return std::unexpected(std::move(ok.error()));
    if (phase == thermo::Phase::Liquid && !std::holds_alternative<thermo::liquid::PhiPhi>(model_.liquid))
        return invalid_input(text("ln_phi of the liquid needs an equation-of-state liquid; this system's liquid is ",
                                  liquid_description()));
    return answered(thermo::phase_ln_phi(spec(), t, p, composition, phase));
}

Result<std::vector<double>> ThermoSystem::ln_gamma(double t, std::span<const double> x) const
{
    if (auto ok = check_state(t, std::nullopt, x); !ok) return std::unexpected(std::move(ok.error()));
    std::vector<double> out(components_.size(), 0.0);
    if (std::holds_alternative<thermo::liquid::IdealSolution>(model_.liquid)) return out;
    const auto* gamma_phi = std::get_if<thermo::liquid::GammaPhi>(&model_.liquid);
    if (!gamma_phi)
        return invalid_input(text("ln_gamma needs an activity-coefficient liquid; this system's liquid is ",
                                  liquid_description()));
    thermo::ln_gamma(gamma_phi->model, t, x, spec().activity, out);
    for (double v : out)
        if (!std::isfinite(v)) return thermo_failed(text("non-finite ln gamma at T = ", t, " K"));
    return out;
}

Result<std::vector<double>> ThermoSystem::saturation_pressure(double t) const
{
    if (!(std::isfinite(t) && t > 0.0))
        return invalid_input(text("temperature must be positive and finite, got ", t, " K"));
    return answered(thermo::saturation_pressures(spec(), t));
}

Result<thermo::StabilityResult> ThermoSystem::liquid_stability(double t, double p, std::span<const double> x,
                                                               Interrupt interrupt) const
{
    if (auto ok = check_state(t, p, x); !ok) return std::unexpected(std::move(ok.error()));
    return answered(thermo::liquid_stability(spec(interrupt), t, p, x), interrupt);
}

}  // namespace kolvar::engine
