// The fixed data of the stage equations: feeds and draws stage by stage,
// feed enthalpies, and the two specifications in their rows.
#include "column/mesh/mesh_problem.hpp"

#include "engine/energy/saturated_enthalpy.hpp"
#include "engine/thermo/stable_flash.hpp"

#include <cmath>

namespace kolvar::engine::mesh {
namespace {

PlacedSpec placed(const ColumnSpecification& s)
{
    const double v = std::visit([](auto spec) { return spec.value; }, s);
    return {static_cast<SpecKind>(s.index()), v};
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

    // The reflux belongs to the top, the boilup to the bottom; a product rate
    // goes wherever the other specification leaves room.
    PlacedSpec a = placed(pair[0]), b = placed(pair[1]);
    const bool a_top = a.kind == SpecKind::Reflux || b.kind == SpecKind::Boilup;
    pb.top = a_top ? a : b;
    pb.bottom = a_top ? b : a;
    return pb;
}

}  // namespace kolvar::engine::mesh
