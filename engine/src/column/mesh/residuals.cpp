// The phases at the unknowns and the scaled residuals of the stage equations.
#include "column/mesh/stage_equations.hpp"

#include "kolvar/format.hpp"

#include <cmath>

namespace kolvar::engine::mesh {

Result<void> evaluate(const thermo::SystemSpec& spec, const Problem& pb, std::span<const double> u, Evaluation& eval)
{
    eval.liquid.resize(pb.stages);
    eval.vapour.resize(pb.stages);
    for (std::size_t j = 1; j <= pb.stages; ++j) {
        const StageView s = stage_view(pb, u, j);
        const double p = pb.pressure[j - 1];
        if (auto ok = evaluate_phase(spec, s.t, p, s.l, thermo::Phase::Liquid, eval.liquid[j - 1]); !ok) return ok;
        if (auto ok = evaluate_phase(spec, s.t, p, s.v, thermo::Phase::Vapor, eval.vapour[j - 1]); !ok) return ok;
    }
    if (pb.total) {
        const StageView top = stage_view(pb, u, 1);
        const double t0 = u[0];
        const auto w = u.subspan(1, pb.n);
        if (auto ok = evaluate_phase(spec, t0, pb.pressure[0], top.v, thermo::Phase::Liquid, eval.reflux); !ok)
            return ok;
        if (auto ok = evaluate_phase(spec, t0, pb.pressure[0], w, thermo::Phase::Vapor, eval.incipient); !ok)
            return ok;
    }
    return {};
}

double enthalpy_surplus(const Problem& pb, std::span<const double> u, const Evaluation& eval, std::size_t j)
{
    const StageView s = stage_view(pb, u, j);
    const double L = sum(s.l), V = sum(s.v);
    const PhaseState& liquid = eval.liquid[j - 1];
    const PhaseState& vapour = eval.vapour[j - 1];
    double in = pb.feed_enthalpy[j - 1];
    if (j > 1) in += sum(stage_view(pb, u, j - 1).l) * eval.liquid[j - 2].enthalpy;
    else if (pb.total) in += (V - distillate_unknown(pb, u)) * eval.reflux.enthalpy;
    if (j < pb.stages) in += sum(stage_view(pb, u, j + 1).v) * eval.vapour[j].enthalpy;
    const double out = (L + pb.liquid_draw[j - 1]) * liquid.enthalpy + (V + pb.vapour_draw[j - 1]) * vapour.enthalpy;
    return in - out;
}


void residuals(const Problem& pb, std::span<const double> u, const Evaluation& eval, std::span<double> r)
{
    const std::size_t n = pb.n;
    const double h_scale = pb.total_feed * pb.enthalpy_scale;
    std::vector<double> grad(u.size());
    if (pb.total) {
        const StageView top = stage_view(pb, u, 1);
        const double V1 = sum(top.v);
        const auto w = u.subspan(1, n);
        const double S = sum(w);
        for (std::size_t i = 0; i < n; ++i)
            r[i] = std::log(w[i] / S) + eval.incipient.fugacity.ln_phi[i] - std::log(top.v[i] / V1) -
                   eval.reflux.fugacity.ln_phi[i];
        r[n] = S - 1.0;
        r[n + 1] = specification(pb, u, eval, pb.top, true, grad);
    }
    for (std::size_t j = 1; j <= pb.stages; ++j) {
        const StageView s = stage_view(pb, u, j);
        std::span<double> row = r.subspan(pb.offset(pb.block_of_stage(j)), pb.stage_size());
        const double L = sum(s.l), V = sum(s.v);
        const double U = pb.liquid_draw[j - 1], W = pb.vapour_draw[j - 1];
        const double d = j == 1 && pb.total ? distillate_unknown(pb, u) : 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            double in = pb.feed[(j - 1) * n + i];
            if (j > 1) in += stage_view(pb, u, j - 1).l[i];
            else if (pb.total) in += s.v[i] * (1.0 - d / V);
            if (j < pb.stages) in += stage_view(pb, u, j + 1).v[i];
            row[i] = (in - s.l[i] * (1.0 + U / L) - s.v[i] * (1.0 + W / V)) / pb.total_feed;
            row[n + i] = std::log(s.v[i] / V) + eval.vapour[j - 1].fugacity.ln_phi[i] - std::log(s.l[i] / L) -
                         eval.liquid[j - 1].fugacity.ln_phi[i];
        }
        if (j == pb.stages) row[2 * n] = specification(pb, u, eval, pb.bottom, false, grad);
        else if (j == 1 && !pb.total) row[2 * n] = specification(pb, u, eval, pb.top, true, grad);
        else row[2 * n] = enthalpy_surplus(pb, u, eval, j) / h_scale;
    }
}

std::string equation_name(const Problem& pb, std::span<const std::string> names, std::size_t index)
{
    using format::text;
    const std::size_t n = pb.n;
    if (pb.total && index < pb.condenser_size()) {
        if (index < n) return text("bubble point of ", names[index], " in the condenser");
        if (index == n) return "summation of the condenser's incipient vapour";
        return text("specification ", spec_name(pb.top.kind));
    }
    const std::size_t first = pb.total ? pb.condenser_size() : 0;
    const std::uint64_t j = (index - first) / pb.stage_size() + 1;
    const std::size_t k = (index - first) % pb.stage_size();
    if (k < n) return text("component balance of ", names[k], " on stage ", j);
    if (k < 2 * n) return text("equilibrium of ", names[k - n], " on stage ", j);
    if (j == pb.stages) return text("specification ", spec_name(pb.bottom.kind));
    if (j == 1 && !pb.total) return text("specification ", spec_name(pb.top.kind));
    return text("enthalpy balance of stage ", j);
}

}  // namespace kolvar::engine::mesh
