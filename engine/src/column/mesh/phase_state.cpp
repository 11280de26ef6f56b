// A stage phase's fugacities, gradients and enthalpies from one call of the
// exact-derivative entry point.
#include "column/mesh/phase_state.hpp"

#include "thermo/enthalpy.hpp"

namespace kolvar::engine::mesh {
namespace {

// The gas constant of the library's enthalpies, J/(mol K).
constexpr double gas_constant = 8.31451;

// Ideal-gas Cp = R sum_k a_k T^k.
double ideal_gas_heat_capacity(const thermo::Component& component, double t)
{
    double cp = 0.0;
    for (std::size_t k = component.cp_coeffs.size(); k-- > 0;) cp = cp * t + component.cp_coeffs[k];
    return gas_constant * cp;
}

}  // namespace

Result<void> evaluate_phase(const thermo::SystemSpec& spec, double t, double p, std::span<const double> w,
                            thermo::Phase phase, PhaseState& out)
{
    if (auto ok = thermo::fugacity_derivatives(spec, t, p, w, phase, out.fugacity); !ok)
        return thermo_failed(ok.error().text());
    const std::size_t n = w.size();
    double total = 0.0;
    for (double v : w) total += v;
    out.partial_enthalpy.resize(n);
    out.enthalpy = 0.0;
    out.heat_capacity = 0.0;
    const double rt2 = gas_constant * t * t;
    for (std::size_t i = 0; i < n; ++i) {
        const auto& component = spec.components[i];
        const double slope = out.fugacity.d_temperature[i];
        out.partial_enthalpy[i] = thermo::ideal_gas_enthalpy(component, t) - rt2 * slope;
        const double x = w[i] / total;
        out.enthalpy += x * out.partial_enthalpy[i];
        out.heat_capacity += x * ideal_gas_heat_capacity(component, t);
    }
    return {};
}

}  // namespace kolvar::engine::mesh
