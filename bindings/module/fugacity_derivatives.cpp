// ln phi of one phase with its exact gradient: ThermoSystem.ln_phi_derivatives
// and its FugacityDerivatives class.
#include "module/fugacity_derivatives.hpp"

#include "module/classes.hpp"
#include "module/thermo_conversions.hpp"

#include "toolkit/callable.hpp"
#include "toolkit/class.hpp"

#include "engine/thermo/fugacity_derivatives.hpp"

#include <string>
#include <utility>
#include <vector>

namespace kolvar::bind {
namespace {

using engine::FugacityDerivatives;
using engine::ThermoSystem;

const auto system_ln_phi_derivatives = method<ThermoSystem>(
    "ThermoSystem", "ln_phi_derivatives",
    "ln φ_i of one phase (\"liquid\" or \"vapour\") of the given composition at\n"
    "`t` [K] and `p` [kPa], with its exact derivatives in the temperature, the\n"
    "pressure and the amounts: a `FugacityDerivatives`. Any model and either\n"
    "phase; for an activity-coefficient or ideal-solution liquid the quantities\n"
    "are those of ln(f_i/(x_i P)). The composition (amounts or mole fractions)\n"
    "is taken at a total of one mole.",
    [](const ThermoSystem& system, double t, double p, std::vector<double> composition, thermo::Phase phase) {
        return system.ln_phi_derivatives(t, p, composition, phase);
    },
    required<Float>("t"), required<Float>("p"), required<Composition>("composition"), required<PhaseName>("phase"));

const auto derivatives_rebuild = constructor<FugacityDerivatives>(
    "FugacityDerivatives", "",
    [](std::vector<double> ln_phi, std::vector<double> d_temperature, std::vector<double> d_pressure,
       std::vector<std::vector<double>> d_amounts) {
        return engine::restore_fugacity_derivatives(
            {std::move(ln_phi), std::move(d_temperature), std::move(d_pressure), std::move(d_amounts)});
    },
    required<FloatList>("ln_phi"), required<FloatList>("d_temperature"), required<FloatList>("d_pressure"),
    required<FloatMatrix>("d_amounts"));

std::string derivatives_repr(const FugacityDerivatives& value) { return engine::repr(value); }

PyObject* make_fugacity_derivatives()
{
    ClassSpec<FugacityDerivatives> spec{
        "ln φ_i of one phase with its exact gradient, from `ThermoSystem.ln_phi_derivatives`."};
    spec.attributes = {
        field<&FugacityDerivatives::ln_phi>("ln_phi", "ln φ_i, in the system's component order."),
        field<&FugacityDerivatives::d_temperature>("d_temperature",
                                                   "∂ln φ_i/∂T [1/K] at fixed pressure and amounts."),
        field<&FugacityDerivatives::d_pressure>("d_pressure",
                                                "∂ln φ_i/∂P [1/kPa] at fixed temperature and amounts."),
        field<&FugacityDerivatives::d_amounts>(
            "d_amounts", "∂ln φ_i/∂n_j [1/mol] at a total of one mole: row i, column j (symmetric)."),
    };
    spec.repr = repr_of<FugacityDerivatives, &derivatives_repr>;
    spec.rebuilt_by<derivatives_rebuild>();
    return create_class(std::move(spec));
}
const DeclaredClass<FugacityDerivatives> fugacity_derivatives_class{"FugacityDerivatives", &make_fugacity_derivatives,
                                                                    Exposure::ThroughOtherObjects};

}  // namespace

PyMethodDef thermo_system_ln_phi_derivatives_def() { return def<system_ln_phi_derivatives>(); }

}  // namespace kolvar::bind
