// The specifications as equations in the unknowns, with their gradients:
// flows over the total feed, fractions as they stand.
#include "column/mesh/stage_equations.hpp"

#include "engine/column/energy_balance.hpp"

#include <algorithm>

namespace kolvar::engine::mesh {
namespace {

// The distillate rate: the condenser's D, or the vapour off a partial one.
double distillate(const Problem& pb, std::span<const double> u, std::span<double> grad, double weight)
{
    if (pb.total) {
        grad[pb.n + 1] += weight;
        return distillate_unknown(pb, u);
    }
    const std::size_t o = pb.offset(pb.block_of_stage(1));
    for (std::size_t k = 0; k < pb.n; ++k) grad[o + k] += weight;
    return sum(stage_view(pb, u, 1).v);
}

// The sum of stage j's vapour (first = 0) or liquid (first = n) flows.
double stage_total(const Problem& pb, std::span<const double> u, std::size_t j, std::size_t first,
                   std::span<double> grad, double weight)
{
    const std::size_t o = pb.offset(pb.block_of_stage(j)) + first;
    double total = 0.0;
    for (std::size_t k = 0; k < pb.n; ++k) {
        grad[o + k] += weight;
        total += u[o + k];
    }
    return total;
}

// Stage j's fraction of component i in its vapour (first = 0) or liquid.
double stage_fraction(const Problem& pb, std::span<const double> u, std::size_t j, std::size_t first, std::size_t i,
                      std::span<double> grad, double weight)
{
    const std::size_t o = pb.offset(pb.block_of_stage(j)) + first;
    const double total = sum(u.subspan(o, pb.n));
    const double fraction = u[o + i] / total;
    for (std::size_t k = 0; k < pb.n; ++k) grad[o + k] += weight * ((k == i ? 1.0 : 0.0) - fraction) / total;
    return fraction;
}

}  // namespace

double specification(const Problem& pb, std::span<const double> u, const Evaluation& eval, PlacedSpec spec, bool top,
                     std::span<double> grad)
{
    std::fill(grad.begin(), grad.end(), 0.0);
    const double f = 1.0 / pb.total_feed;
    const double products = pb.total_feed - pb.total_draw;
    const std::size_t N = pb.stages, n = pb.n, i = spec.component;
    switch (spec.kind) {
    case SpecKind::Reflux: {
        // L_0 - R D with L_0 = V_1 - D, or L_1 - R V_1 on a partial condenser.
        const double reflux = pb.total ? stage_total(pb, u, 1, 0, grad, f) - distillate(pb, u, grad, -f)
                                       : stage_total(pb, u, 1, n, grad, f);
        return (reflux - spec.value * distillate(pb, u, grad, -spec.value * f)) * f;
    }
    case SpecKind::DistillateRate:
    case SpecKind::BottomsRate: {
        const double d_target = spec.kind == SpecKind::DistillateRate ? spec.value : products - spec.value;
        if (top) return (distillate(pb, u, grad, f) - d_target) * f;
        return (stage_total(pb, u, N, n, grad, f) - (products - d_target)) * f;
    }
    case SpecKind::Boilup: {
        const double v = stage_total(pb, u, N, 0, grad, f);
        return (v - spec.value * stage_total(pb, u, N, n, grad, -spec.value * f)) * f;
    }
    case SpecKind::DistillatePurity: return stage_fraction(pb, u, 1, 0, i, grad, 1.0) - spec.value;
    case SpecKind::BottomsPurity: return stage_fraction(pb, u, N, n, i, grad, 1.0) - spec.value;
    case SpecKind::DistillateRecovery: {
        // D y_1i / f_i.
        const double fi = pb.component_feed[i];
        if (!pb.total) {
            grad[pb.offset(0) + i] = 1.0 / fi;
            return u[pb.offset(0) + i] / fi - spec.value;
        }
        const double d = distillate_unknown(pb, u);
        const double y = stage_fraction(pb, u, 1, 0, i, grad, d / fi);
        grad[n + 1] += y / fi;
        return d * y / fi - spec.value;
    }
    case SpecKind::CondenserDuty: {
        // Q_C [kW] against the enthalpy scale of the balances.
        const double e = 1.0 / (pb.total_feed * pb.enthalpy_scale);
        if (!pb.total) {
            add_enthalpy_gradient(pb, u, eval, 1, e, grad);
            return (enthalpy_surplus(pb, u, eval, 1) - kilojoules_per_hour_per_kilowatt * spec.value) * e;
        }
        add_total_condenser_gradient(pb, u, eval, e, grad);
        const double V = sum(stage_view(pb, u, 1).v);
        return (V * (eval.vapour[0].enthalpy - eval.reflux.enthalpy) - kilojoules_per_hour_per_kilowatt * spec.value) *
               e;
    }
    case SpecKind::ReboilerDuty: {
        const double e = 1.0 / (pb.total_feed * pb.enthalpy_scale);
        add_enthalpy_gradient(pb, u, eval, N, -e, grad);
        return (-enthalpy_surplus(pb, u, eval, N) - kilojoules_per_hour_per_kilowatt * spec.value) * e;
    }
    case SpecKind::BottomsRecovery: {
        const std::size_t o = pb.offset(pb.block_of_stage(N)) + n + i;
        grad[o] = 1.0 / pb.component_feed[i];
        return u[o] / pb.component_feed[i] - spec.value;
    }
    }
    return 0.0;
}

}  // namespace kolvar::engine::mesh
