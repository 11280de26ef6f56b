// Damped Newton iterations on the stage equations.
#include "column/mesh/newton.hpp"

#include "kolvar/format.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

namespace kolvar::engine::mesh {
namespace {

double largest(std::span<const double> r, std::size_t* where = nullptr)
{
    double m = 0.0;
    for (std::size_t i = 0; i < r.size(); ++i) {
        const double a = std::abs(r[i]);
        if (!(a <= m)) {  // a NaN counts as largest
            m = a;
            if (where) *where = i;
        }
    }
    return m;
}

double squares(std::span<const double> r)
{
    double s = 0.0;
    for (double v : r) s += v * v;
    return s;
}

// Which unknowns are temperatures; the others must stay positive.
std::vector<char> temperature_mask(const Problem& pb)
{
    std::vector<char> mask(pb.unknowns(), 0);
    if (pb.total) mask[0] = 1;
    for (std::size_t j = 1; j <= pb.stages; ++j) mask[pb.offset(pb.block_of_stage(j)) + 2 * pb.n] = 1;
    return mask;
}

// u + alpha du, each positive unknown kept at a tenth of its value at least.
void step(std::span<const double> u, std::span<const double> du, double alpha, std::span<const char> is_temperature,
          std::span<double> out)
{
    for (std::size_t k = 0; k < u.size(); ++k) {
        const double moved = u[k] + alpha * du[k];
        out[k] = is_temperature[k] ? moved : std::max(moved, 0.1 * u[k]);
    }
}

}  // namespace

Result<NewtonOutcome> newton(const thermo::SystemSpec& spec, Problem pb, std::span<const std::string> names,
                             std::vector<double>& u, Evaluation& eval, Interrupt& interrupt)
{
    const std::size_t m = pb.unknowns(), n = pb.n;
    std::vector<std::size_t> sizes(pb.blocks());
    for (std::size_t b = 0; b < sizes.size(); ++b) sizes[b] = pb.block_size(b);
    BlockTridiagonal jac(std::move(sizes));
    const std::vector<char> is_temperature = temperature_mask(pb);
    std::vector<double> r(m), du(m), trial(m), r_trial(m);
    Evaluation trial_eval;

    // The bordered specification g and the distillate rate its row frees.
    const bool border = pb.bordered.has_value();
    PlacedSpec& free_row = pb.free_row_top ? pb.top : pb.bottom;
    std::vector<double> g_grad(border ? m : 0), second(border ? m : 0), scratch(border ? m : 0);
    std::optional<BlockTridiagonal> copy;
    double g = 0.0, g_trial = 0.0;
    std::size_t free_index = 0;
    if (border) {
        free_row.value = pb.total ? distillate_unknown(pb, u) : sum(stage_view(pb, u, 1).v);
        free_index = pb.free_row_top ? (pb.total ? n + 1 : 2 * n) : pb.offset(pb.block_of_stage(pb.stages)) + 2 * n;
    }
    auto bordered = [&](std::span<const double> at, const Evaluation& e, std::span<double> grad) {
        return border ? specification(pb, at, e, *pb.bordered, !pb.free_row_top, grad) : 0.0;
    };

    if (auto ok = evaluate(spec, pb, u, eval); !ok) return std::unexpected(std::move(ok.error()));
    residuals(pb, u, eval, r);
    g = bordered(u, eval, g_grad);
    for (unsigned it = 0;; ++it) {
        std::size_t worst = 0;
        double norm = largest(r, &worst);
        const bool g_worst = std::abs(g) > norm;
        norm = std::max(norm, std::abs(g));
        if (norm <= mesh_tolerance) return NewtonOutcome{it, norm};
        if (it == mesh_iterations)
            return not_converged(format::text("no solution of the stage equations after ", std::uint64_t{it},
                                              " iterations: largest scaled residual ", norm, " in the ",
                                              g_worst ? format::text("specification ", spec_name(pb.bordered->kind))
                                                      : equation_name(pb, names, worst)));
        if (auto ok = interrupt.check(); !ok) return std::unexpected(std::move(ok.error()));

        jacobian(pb, u, eval, jac);
        if (border) copy = jac;
        for (std::size_t k = 0; k < m; ++k) du[k] = -r[k];
        if (auto ok = jac.solve(du); !ok) return std::unexpected(std::move(ok.error()));
        double dp = 0.0;
        if (border) {
            // F(u, p) = 0 and g(u) = 0: du = x1 + x2 dp with x2 = -F_u^-1 F_p,
            // and g + g_u du = 0 gives dp.
            std::fill(second.begin(), second.end(), 0.0);
            second[free_index] = (pb.free_row_top ? 1.0 : -1.0) / pb.total_feed;
            if (auto ok = copy->solve(second); !ok) return std::unexpected(std::move(ok.error()));
            double g1 = g, g2 = 0.0;
            for (std::size_t k = 0; k < m; ++k) {
                g1 += g_grad[k] * du[k];
                g2 += g_grad[k] * second[k];
            }
            if (!(std::abs(g2) > 0.0))
                return not_converged("the bordered specification does not depend on the distillate rate");
            dp = -g1 / g2;
            for (std::size_t k = 0; k < m; ++k) du[k] += second[k] * dp;
        }

        double alpha = 1.0;
        for (std::size_t k = 0; k < m; ++k)
            if (is_temperature[k] && std::abs(du[k]) * alpha > max_temperature_step)
                alpha = max_temperature_step / std::abs(du[k]);
        const double merit = squares(r) + g * g;
        const double param = free_row.value;
        const double products = pb.total_feed - pb.total_draw;
        Result<void> last = {};
        bool accepted = false;
        for (unsigned h = 0; h <= max_halvings; ++h, alpha *= 0.5) {
            step(u, du, alpha, is_temperature, trial);
            if (border) free_row.value = std::clamp(param + alpha * dp, 0.1 * param, param + 0.9 * (products - param));
            last = evaluate(spec, pb, trial, trial_eval);
            if (!last) continue;
            residuals(pb, trial, trial_eval, r_trial);
            g_trial = bordered(trial, trial_eval, scratch);
            const double trial_merit = squares(r_trial) + g_trial * g_trial;
            if (trial_merit < merit || h == max_halvings) {
                accepted = std::isfinite(trial_merit);
                break;
            }
        }
        if (!last) return std::unexpected(std::move(last.error()));
        if (!accepted)
            return not_converged(format::text("the stage equations have no finite residual after a step at iteration ",
                                              std::uint64_t{it + 1}));
        u.swap(trial);
        std::swap(eval, trial_eval);
        r.swap(r_trial);
        g = g_trial;
        if (border) g_grad.swap(scratch);
    }
}

}  // namespace kolvar::engine::mesh
