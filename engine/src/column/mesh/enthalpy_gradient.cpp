// The gradient of a stage's enthalpy surplus in the unknowns: the enthalpy
// flows L h = sum_i l_i h_i have the partial molar enthalpies h_i as their
// derivatives in the component flows and L c_p in the temperature.
#include "column/mesh/stage_equations.hpp"

namespace kolvar::engine::mesh {

void add_enthalpy_gradient(const Problem& pb, std::span<const double> u, const Evaluation& eval, std::size_t j,
                           double weight, std::span<double> grad)
{
    const std::size_t n = pb.n, o = pb.offset(pb.block_of_stage(j));
    const StageView s = stage_view(pb, u, j);
    const double L = sum(s.l), V = sum(s.v);
    const double U = pb.liquid_draw[j - 1], W = pb.vapour_draw[j - 1];
    const PhaseState& liq = eval.liquid[j - 1];
    const PhaseState& vap = eval.vapour[j - 1];
    const bool reflux_in = j == 1 && pb.total;
    const double d = reflux_in ? distillate_unknown(pb, u) : 0.0;
    const std::size_t above = j > 1 ? pb.offset(pb.block_of_stage(j - 1)) : 0;
    const std::size_t below = j < pb.stages ? pb.offset(pb.block_of_stage(j + 1)) : 0;
    for (std::size_t k = 0; k < n; ++k) {
        double dv = -((1.0 + W / V) * vap.partial_enthalpy[k] - (W / V) * vap.enthalpy);
        const double dl = -((1.0 + U / L) * liq.partial_enthalpy[k] - (U / L) * liq.enthalpy);
        if (reflux_in) dv += eval.reflux.enthalpy + (V - d) * (eval.reflux.partial_enthalpy[k] - eval.reflux.enthalpy) / V;
        grad[o + k] += weight * dv;
        grad[o + n + k] += weight * dl;
        if (j > 1) grad[above + n + k] += weight * eval.liquid[j - 2].partial_enthalpy[k];
        if (j < pb.stages) grad[below + k] += weight * eval.vapour[j].partial_enthalpy[k];
    }
    grad[o + 2 * n] += -weight * ((L + U) * liq.heat_capacity + (V + W) * vap.heat_capacity);
    if (j > 1) grad[above + 2 * n] += weight * sum(stage_view(pb, u, j - 1).l) * eval.liquid[j - 2].heat_capacity;
    else if (reflux_in) {
        grad[0] += weight * (V - d) * eval.reflux.heat_capacity;
        grad[n + 1] += -weight * eval.reflux.enthalpy;
    }
    if (j < pb.stages) grad[below + 2 * n] += weight * sum(stage_view(pb, u, j + 1).v) * eval.vapour[j].heat_capacity;
}

void add_total_condenser_gradient(const Problem& pb, std::span<const double> u, const Evaluation& eval, double weight,
                                  std::span<double> grad)
{
    // V_1 H_V1 - V_1 h_L(y_1, T_0) = sum_i v_i (H_i - h_i(T_0, y_1)).
    const std::size_t n = pb.n, o = pb.offset(pb.block_of_stage(1));
    const double V = sum(stage_view(pb, u, 1).v);
    for (std::size_t k = 0; k < n; ++k)
        grad[o + k] += weight * (eval.vapour[0].partial_enthalpy[k] - eval.reflux.partial_enthalpy[k]);
    grad[o + 2 * n] += weight * V * eval.vapour[0].heat_capacity;
    grad[0] += -weight * V * eval.reflux.heat_capacity;
}

}  // namespace kolvar::engine::mesh
