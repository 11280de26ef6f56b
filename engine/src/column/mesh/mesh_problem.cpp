// The fixed data of the stage equations: feeds and draws stage by stage,
// feed enthalpies, and the two specifications in their rows.
#include "column/mesh/mesh_problem.hpp"

#include "engine/energy/saturated_enthalpy.hpp"
#include "engine/thermo/stable_flash.hpp"
#include "kolvar/format.hpp"

#include <cmath>
#include <utility>

namespace kolvar::engine::mesh {
namespace {

using format::text;

PlacedSpec placed(const ColumnSpecification& s)
{
    return std::visit(
        [&](auto spec) -> PlacedSpec {
            std::size_t component = 0;
            if constexpr (requires { spec.component; }) component = spec.component;
            return {static_cast<SpecKind>(s.index()), spec.value, component};
        },
        s);
}

// 1 for a specification of the top, -1 of the bottom, 0 for a product rate.
int end_of(SpecKind kind)
{
    switch (kind) {
    case SpecKind::Reflux:
    case SpecKind::DistillatePurity:
    case SpecKind::DistillateRecovery:
    case SpecKind::CondenserDuty: return 1;
    case SpecKind::Boilup:
    case SpecKind::BottomsPurity:
    case SpecKind::BottomsRecovery:
    case SpecKind::ReboilerDuty: return -1;
    default: return 0;
    }
}

// The enthalpy [J/mol] of a feed at its stage's pressure.
Result<double> enthalpy_of_feed(const ThermoSystem& system, const StageFeed& feed, double p)
{
    if (const auto* q = std::get_if<FeedQuality>(&feed.condition))
        return feed_enthalpy(system, p, feed.composition, q->q);
    const double t = std::get<FeedTemperature>(feed.condition).t;
    auto phases = system.stable_flash(t, p, feed.composition);
    if (!phases) return std::unexpected(std::move(phases.error()));
    double h = 0.0;
    for (const auto& phase : *phases) {
        const auto kind = phase.kind == "vapour" ? thermo::Phase::Vapor : thermo::Phase::Liquid;
        auto hp = system.enthalpy(t, p, phase.composition, kind);
        if (!hp) return std::unexpected(std::move(hp.error()));
        h += phase.fraction * *hp;
    }
    return h;
}

}  // namespace

Result<Problem> make_problem(const ThermoSystem& system, const StagedColumn& column,
                             const std::array<ColumnSpecification, 2>& pair)
{
    Problem pb;
    pb.n = system.components().size();
    pb.stages = column.n_stages;
    pb.total = column.condenser == CondenserKind::Total;
    pb.pressure.resize(pb.stages);
    for (std::size_t j = 1; j <= pb.stages; ++j) pb.pressure[j - 1] = stage_pressure(column, j);
    pb.feed.assign(pb.stages * pb.n, 0.0);
    pb.feed_enthalpy.assign(pb.stages, 0.0);
    pb.liquid_draw.assign(pb.stages, 0.0);
    pb.vapour_draw.assign(pb.stages, 0.0);
    double scale = 0.0;
    for (const auto& feed : column.feeds) {
        const std::size_t j = feed.stage - 1;
        for (std::size_t i = 0; i < pb.n; ++i) pb.feed[j * pb.n + i] += feed.rate * feed.composition[i];
        auto h = enthalpy_of_feed(system, feed, pb.pressure[j]);
        if (!h) return std::unexpected(std::move(h.error()));
        pb.feed_enthalpy[j] += feed.rate * *h;
        pb.total_feed += feed.rate;
        scale = std::max(scale, std::abs(*h));
    }
    for (const auto& draw : column.side_draws) {
        (draw.phase == DrawPhase::Liquid ? pb.liquid_draw : pb.vapour_draw)[draw.stage - 1] += draw.rate;
        pb.total_draw += draw.rate;
    }
    // Enthalpies relative to the ideal gases at 298.15 K run to tens of kJ/mol;
    // the balances are measured against the feed's enthalpy, at least 1 kJ/mol.
    pb.enthalpy_scale = std::max(scale, 1000.0);

    pb.component_feed.assign(pb.n, 0.0);
    for (std::size_t j = 0; j < pb.stages; ++j)
        for (std::size_t i = 0; i < pb.n; ++i) pb.component_feed[i] += pb.feed[j * pb.n + i];

    // Each specification belongs to its end; a product rate goes wherever
    // the other leaves room.
    PlacedSpec a = placed(pair[0]), b = placed(pair[1]);
    // A total condenser's row must hold the distillate rate, its one unknown
    // no other condenser row holds; a distillate purity or the condenser
    // duty (functions of stage 1 alone) then borders the system instead.
    const auto holds_d = [&](const PlacedSpec& s) {
        return !pb.total || (s.kind != SpecKind::DistillatePurity && s.kind != SpecKind::CondenserDuty);
    };
    const int end_a = end_of(a.kind), end_b = end_of(b.kind);
    if (end_a != 0 && end_a == end_b) {
        const bool top = end_a > 0;
        if (top && !holds_d(a)) std::swap(a, b);
        if (top && !holds_d(a))
            return invalid_input(text(spec_name(b.kind), " and ", spec_name(a.kind),
                                      " cannot be solved together with a total condenser; give one of them with a "
                                      "specification of the bottom or a product rate"));
        (top ? pb.top : pb.bottom) = a;
        pb.bordered = b;
        pb.free_row_top = !top;
        (top ? pb.bottom : pb.top) = {SpecKind::DistillateRate, 0.0, 0};  // its value is the unknown D
    } else {
        if (!(end_a > 0 || end_b < 0)) std::swap(a, b);
        pb.top = a;
        pb.bottom = b;
        if (!holds_d(pb.top)) {
            pb.bordered = pb.top;
            pb.free_row_top = true;
            pb.top = {SpecKind::DistillateRate, 0.0, 0};
        }
    }
    return pb;
}

}  // namespace kolvar::engine::mesh
