// The exact Jacobian of the stage equations, block by block. Composition
// derivatives of ln(f_i/(x_i P)) come from the exact-derivative entry point
// (at a total of one mole, so over the phase's total here); the enthalpy
// balances' from enthalpy_gradient.cpp.
#include "column/mesh/stage_equations.hpp"

#include <algorithm>

namespace kolvar::engine::mesh {
namespace {

// The condenser's rows: its bubble point in T_0, w and stage 1's vapour,
// and the summation of w.
void condenser_rows(const Problem& pb, std::span<const double> u, const Evaluation& eval, BlockTridiagonal& jac)
{
    const std::size_t n = pb.n;
    const StageView top = stage_view(pb, u, 1);
    const double V1 = sum(top.v);
    const auto w = u.subspan(1, n);
    const double S = sum(w);
    const auto& vap = eval.incipient.fugacity;
    const auto& liq = eval.reflux.fugacity;
    for (std::size_t i = 0; i < n; ++i) {
        jac.diagonal(0, i, 0) = vap.d_temperature[i] - liq.d_temperature[i];
        for (std::size_t k = 0; k < n; ++k) {
            jac.diagonal(0, i, 1 + k) = (i == k ? 1.0 / w[i] : 0.0) - 1.0 / S + vap.d_amounts[i * n + k] / S;
            jac.upper(0, i, k) = -(i == k ? 1.0 / top.v[i] : 0.0) + 1.0 / V1 - liq.d_amounts[i * n + k] / V1;
        }
    }
    for (std::size_t k = 0; k < n; ++k) jac.diagonal(0, n, 1 + k) = 1.0;
}

// A gradient as row `row` of block row b: its entries lie in the blocks
// b - 1, b and b + 1.
void place_row(const Problem& pb, std::span<const double> grad, std::size_t b, std::size_t row, BlockTridiagonal& jac)
{
    for (std::size_t nb = b == 0 ? 0 : b - 1; nb <= std::min(b + 1, pb.blocks() - 1); ++nb) {
        const std::size_t o = pb.offset(nb);
        for (std::size_t c = 0; c < pb.block_size(nb); ++c) {
            const double g = grad[o + c];
            if (g == 0.0) continue;
            if (nb == b) jac.diagonal(b, row, c) = g;
            else if (nb + 1 == b) jac.lower(b, row, c) = g;
            else jac.upper(b, row, c) = g;
        }
    }
}

void specification_row(const Problem& pb, std::span<const double> u, const Evaluation& eval, PlacedSpec spec,
                       bool top, std::size_t b, std::size_t row, std::vector<double>& grad, BlockTridiagonal& jac)
{
    specification(pb, u, eval, spec, top, grad);
    place_row(pb, grad, b, row, jac);
}

void stage_rows(const Problem& pb, std::span<const double> u, const Evaluation& eval, std::size_t j,
                std::vector<double>& grad, BlockTridiagonal& jac)
{
    const std::size_t n = pb.n, b = pb.block_of_stage(j), T = 2 * n;
    const StageView s = stage_view(pb, u, j);
    const double L = sum(s.l), V = sum(s.v);
    const double U = pb.liquid_draw[j - 1], W = pb.vapour_draw[j - 1];
    const PhaseState& liq = eval.liquid[j - 1];
    const PhaseState& vap = eval.vapour[j - 1];
    const bool reflux_in = j == 1 && pb.total;
    const double d = reflux_in ? distillate_unknown(pb, u) : 0.0;
    const double f = 1.0 / pb.total_feed;

    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t k = 0; k < n; ++k) {
            const double delta = i == k ? 1.0 : 0.0;
            // Component balance.
            double dv = -delta - W * (delta / V - s.v[i] / (V * V));
            if (reflux_in) dv += delta * (1.0 - d / V) + s.v[i] * d / (V * V);
            jac.diagonal(b, i, k) = dv * f;
            jac.diagonal(b, i, n + k) = (-delta - U * (delta / L - s.l[i] / (L * L))) * f;
            if (j > 1) jac.lower(b, i, n + k) = delta * f;
            if (j < pb.stages) jac.upper(b, i, k) = delta * f;
            // Equilibrium.
            jac.diagonal(b, n + i, k) = delta / s.v[i] - 1.0 / V + vap.fugacity.d_amounts[i * n + k] / V;
            jac.diagonal(b, n + i, n + k) = -delta / s.l[i] + 1.0 / L - liq.fugacity.d_amounts[i * n + k] / L;
        }
        if (reflux_in) jac.lower(b, i, n + 1) = -s.v[i] / V * f;
        jac.diagonal(b, n + i, T) = vap.fugacity.d_temperature[i] - liq.fugacity.d_temperature[i];
    }

    if (j == pb.stages) return specification_row(pb, u, eval, pb.bottom, false, b, T, grad, jac);
    if (j == 1 && !pb.total) return specification_row(pb, u, eval, pb.top, true, b, T, grad, jac);

    // Enthalpy balance: what enters less what leaves.
    std::fill(grad.begin(), grad.end(), 0.0);
    add_enthalpy_gradient(pb, u, eval, j, 1.0 / (pb.total_feed * pb.enthalpy_scale), grad);
    place_row(pb, grad, b, T, jac);
}

}  // namespace

void jacobian(const Problem& pb, std::span<const double> u, const Evaluation& eval, BlockTridiagonal& jac)
{
    jac.clear();
    std::vector<double> grad(u.size());
    if (pb.total) {
        condenser_rows(pb, u, eval, jac);
        specification_row(pb, u, eval, pb.top, true, 0, pb.n + 1, grad, jac);
    }
    for (std::size_t j = 1; j <= pb.stages; ++j) stage_rows(pb, u, eval, j, grad, jac);
}

}  // namespace kolvar::engine::mesh
