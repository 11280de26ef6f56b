// Damped Newton iterations on the stage equations.
#include "column/mesh/newton.hpp"

#include "kolvar/format.hpp"

#include <algorithm>
#include <cmath>

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

Result<NewtonOutcome> newton(const thermo::SystemSpec& spec, const Problem& pb, std::span<const std::string> names,
                             std::vector<double>& u, Evaluation& eval, Interrupt& interrupt)
{
    const std::size_t m = pb.unknowns();
    std::vector<std::size_t> sizes(pb.blocks());
    for (std::size_t b = 0; b < sizes.size(); ++b) sizes[b] = pb.block_size(b);
    BlockTridiagonal jac(std::move(sizes));
    const std::vector<char> is_temperature = temperature_mask(pb);
    std::vector<double> r(m), du(m), trial(m), r_trial(m);
    Evaluation trial_eval;

    if (auto ok = evaluate(spec, pb, u, eval); !ok) return std::unexpected(std::move(ok.error()));
    residuals(pb, u, eval, r);
    for (unsigned it = 0;; ++it) {
        std::size_t worst = 0;
        const double norm = largest(r, &worst);
        if (norm <= mesh_tolerance) return NewtonOutcome{it, norm};
        if (it == mesh_iterations)
            return not_converged(format::text("no solution of the stage equations after ", std::uint64_t{it},
                                              " iterations: largest scaled residual ", norm, " in the ",
                                              equation_name(pb, names, worst)));
        if (auto ok = interrupt.check(); !ok) return std::unexpected(std::move(ok.error()));

        jacobian(pb, u, eval, jac);
        for (std::size_t k = 0; k < m; ++k) du[k] = -r[k];
        if (auto ok = jac.solve(du); !ok) return std::unexpected(std::move(ok.error()));

        double alpha = 1.0;
        for (std::size_t k = 0; k < m; ++k)
            if (is_temperature[k] && std::abs(du[k]) * alpha > max_temperature_step)
                alpha = max_temperature_step / std::abs(du[k]);
        const double merit = squares(r);
        Result<void> last = {};
        bool accepted = false;
        for (unsigned h = 0; h <= max_halvings; ++h, alpha *= 0.5) {
            step(u, du, alpha, is_temperature, trial);
            last = evaluate(spec, pb, trial, trial_eval);
            if (!last) continue;
            residuals(pb, trial, trial_eval, r_trial);
            const double trial_merit = squares(r_trial);
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
    }
}

}  // namespace kolvar::engine::mesh
