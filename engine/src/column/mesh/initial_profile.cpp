// Constant-molar-overflow flows and bubble-point passes for the start.
#include "column/mesh/initial_profile.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

namespace kolvar::engine::mesh {
namespace {

// q of every feed: its own, or that of its temperature (liquid if unknown).
std::vector<double> feed_qualities(const ThermoSystem& system, const StagedColumn& column, const Problem& pb)
{
    std::vector<double> q(pb.stages, 0.0);  // sum q F per stage
    for (const auto& feed : column.feeds) {
        double qf = 1.0;
        if (const auto* given = std::get_if<FeedQuality>(&feed.condition)) qf = given->q;
        else if (auto found = system.feed_quality(std::get<FeedTemperature>(feed.condition).t,
                                                  pb.pressure[feed.stage - 1], feed.composition))
            qf = *found;
        q[feed.stage - 1] += qf * feed.rate;
    }
    return q;
}

struct Flows {
    double distillate = 0.0, reflux = 0.0;
    std::vector<double> liquid, vapour;  // L_j, V_j at index j - 1
};

Flows flows_at(const Problem& pb, std::span<const double> qf, double d, double r);

// A distillate rate a specification implies or suggests: a product rate
// itself; a purity or a recovery taking most of the component's feed into
// its product.
std::optional<double> distillate_guess(const Problem& pb, const PlacedSpec& s)
{
    const double products = pb.total_feed - pb.total_draw;
    const double fi = s.kind >= SpecKind::DistillatePurity ? pb.component_feed[s.component] : 0.0;
    switch (s.kind) {
    case SpecKind::DistillateRate: return s.value > 0.0 ? std::optional(s.value) : std::nullopt;
    case SpecKind::BottomsRate: return products - s.value;
    case SpecKind::DistillatePurity: return 0.98 * fi / s.value;
    case SpecKind::BottomsPurity: return products - 0.98 * fi / s.value;
    case SpecKind::DistillateRecovery: return s.value * fi + 0.05 * (products - fi);
    case SpecKind::BottomsRecovery: return products - s.value * fi - 0.05 * (products - fi);
    default: return std::nullopt;
    }
}

// The distillate and reflux the two specifications imply at constant
// molar overflow, then the flows stage by stage.
Flows overflow_flows(const Problem& pb, std::span<const double> qf)
{
    const double products = pb.total_feed - pb.total_draw;
    double vapour_feed = pb.total_feed;  // sum (1 - q) F
    for (double v : qf) vapour_feed -= v;
    std::optional<double> d;
    for (const PlacedSpec* s : {&pb.top, &pb.bottom, pb.bordered ? &*pb.bordered : nullptr})
        if (s && !d) d = distillate_guess(pb, *s);
    double r = 2.0;
    const PlacedSpec* reflux = pb.top.kind == SpecKind::Reflux ? &pb.top : nullptr;
    if (pb.bordered && pb.bordered->kind == SpecKind::Reflux) reflux = &*pb.bordered;
    const PlacedSpec* boilup = pb.bottom.kind == SpecKind::Boilup ? &pb.bottom : nullptr;
    if (pb.bordered && pb.bordered->kind == SpecKind::Boilup) boilup = &*pb.bordered;
    if (reflux) r = reflux->value;
    if (!d && reflux && boilup) d = (boilup->value * products + vapour_feed) / (r + 1.0 + boilup->value);
    if (!d) d = 0.5 * products;
    if (!reflux && boilup) r = (boilup->value * (products - *d) + vapour_feed) / *d - 1.0;
    const double dc = std::clamp(*d, 0.01 * products, 0.99 * products);
    r = std::max(r, 0.1);
    return flows_at(pb, qf, dc, r);
}

Flows flows_at(const Problem& pb, std::span<const double> qf, double d, double r)
{
    Flows f{d, r, std::vector<double>(pb.stages), std::vector<double>(pb.stages)};
    const double least = 1e-3 * pb.total_feed;
    double above = 0.0;  // liquid entering the stage from above
    double v = (r + 1.0) * d;
    std::size_t first = 1;
    if (pb.total) {
        above = r * d;
    } else {
        f.liquid[0] = r * d;
        f.vapour[0] = d;
        v = d;
    }
    for (std::size_t j = first; j <= pb.stages; ++j) {
        double feed = 0.0;
        for (std::size_t i = 0; i < pb.n; ++i) feed += pb.feed[(j - 1) * pb.n + i];
        const double l = (j == 1 && !pb.total) ? f.liquid[0] : above + qf[j - 1] - pb.liquid_draw[j - 1];
        f.liquid[j - 1] = std::max(l, least);
        f.vapour[j - 1] = std::max(v, least);
        v = v + f.liquid[j - 1] - above - feed + pb.liquid_draw[j - 1] + pb.vapour_draw[j - 1];
        above = f.liquid[j - 1];
    }
    return f;
}

// One component's liquid flows l_j from its balances with v_j = S_j l_j,
// by the Thomas algorithm; `reflux_share` is the part of stage 1's vapour
// returned to it by a total condenser.
void component_flows(const Problem& pb, const Flows& f, std::span<const double> k, std::size_t i, double reflux_share,
                     std::vector<double>& work, std::span<double> l)
{
    const std::size_t N = pb.stages, n = pb.n;
    work.assign(2 * N, 0.0);  // modified upper coefficients and right sides
    auto strip = [&](std::size_t j) { return k[(j - 1) * n + i] * f.vapour[j - 1] / f.liquid[j - 1]; };
    double c_prev = 0.0, d_prev = 0.0;
    for (std::size_t j = 1; j <= N; ++j) {
        const double s = strip(j);
        double b = -(1.0 + pb.liquid_draw[j - 1] / f.liquid[j - 1]) - s * (1.0 + pb.vapour_draw[j - 1] / f.vapour[j - 1]);
        if (j == 1) b += reflux_share * s;
        const double a = j > 1 ? 1.0 : 0.0;
        const double c = j < N ? strip(j + 1) : 0.0;
        const double rhs = -pb.feed[(j - 1) * n + i];
        const double denom = b - a * c_prev;
        c_prev = c / denom;
        d_prev = (rhs - a * d_prev) / denom;
        work[j - 1] = c_prev;
        work[N + j - 1] = d_prev;
    }
    double next = 0.0;
    for (std::size_t j = N; j >= 1; --j) {
        next = work[N + j - 1] - work[j - 1] * next;
        l[j - 1] = std::max(next, 0.0);
    }
}

}  // namespace

Result<std::vector<double>> initial_profile(const ThermoSystem& system, const StagedColumn& column,
                                            const Problem& pb, Interrupt& interrupt)
{
    const std::size_t N = pb.stages, n = pb.n;
    const Flows flows = overflow_flows(pb, feed_qualities(system, column, pb));
    const double reflux_share = pb.total ? flows.reflux / (flows.reflux + 1.0) : 0.0;

    std::vector<double> z(n, 0.0);
    for (std::size_t j = 0; j < N; ++j)
        for (std::size_t i = 0; i < n; ++i) z[i] += pb.feed[j * n + i] / pb.total_feed;
    std::vector<double> t(N), x(N * n), y(N * n), k(N * n), l(N), work;
    for (std::size_t j = 0; j < N; ++j) {
        auto point = system.bubble_temperature(pb.pressure[j], z, interrupt);
        if (!point) return std::unexpected(std::move(point.error()));
        t[j] = point->value;
        std::copy(point->k.begin(), point->k.end(), k.begin() + static_cast<std::ptrdiff_t>(j * n));
        std::copy(z.begin(), z.end(), x.begin() + static_cast<std::ptrdiff_t>(j * n));
        std::copy(point->y.begin(), point->y.end(), y.begin() + static_cast<std::ptrdiff_t>(j * n));
    }
    for (unsigned pass = 0; pass < initial_passes; ++pass) {
        if (auto ok = interrupt.check(); !ok) return std::unexpected(std::move(ok.error()));
        for (std::size_t i = 0; i < n; ++i) {
            component_flows(pb, flows, k, i, reflux_share, work, l);
            for (std::size_t j = 0; j < N; ++j) x[j * n + i] = l[j];
        }
        double change = 0.0;
        for (std::size_t j = 0; j < N; ++j) {
            const std::span<double> xj(x.data() + j * n, n);
            const double total = sum(xj);
            for (double& v : xj) v = std::max(v / total, 1e-14);
            auto point = system.bubble_temperature(pb.pressure[j], xj, interrupt);
            if (!point) return std::unexpected(std::move(point.error()));
            change = std::max(change, std::abs(point->value - t[j]));
            t[j] = point->value;
            std::copy(point->k.begin(), point->k.end(), k.begin() + static_cast<std::ptrdiff_t>(j * n));
            std::copy(point->y.begin(), point->y.end(), y.begin() + static_cast<std::ptrdiff_t>(j * n));
        }
        if (change < initial_settled) break;
    }

    std::vector<double> u(pb.unknowns());
    for (std::size_t j = 1; j <= N; ++j) {
        const std::size_t o = pb.offset(pb.block_of_stage(j));
        const std::span<const double> yj(y.data() + (j - 1) * n, n);
        const double ys = sum(yj);
        for (std::size_t i = 0; i < n; ++i) {
            u[o + i] = flows.vapour[j - 1] * std::max(yj[i] / ys, 1e-14);
            u[o + n + i] = flows.liquid[j - 1] * x[(j - 1) * n + i];
        }
        u[o + 2 * n] = t[j - 1];
    }
    if (pb.total) {
        const std::span<const double> y1(y.data(), n);
        auto point = system.bubble_temperature(pb.pressure[0], y1, interrupt);
        if (!point) return std::unexpected(std::move(point.error()));
        u[0] = point->value;
        const double ws = sum(point->y);
        for (std::size_t i = 0; i < n; ++i) u[1 + i] = std::max(point->y[i] / ws, 1e-14);
        u[n + 1] = flows.distillate;
    }
    return u;
}

}  // namespace kolvar::engine::mesh
