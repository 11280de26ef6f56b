// The checks of a staged column and of a pair of specifications, before any
// thermodynamics is asked.
#include "column/mesh/mesh_problem.hpp"

#include "kolvar/format.hpp"

#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>
#include <type_traits>

namespace kolvar::engine {
namespace {

using format::text;

bool positive(double v) { return std::isfinite(v) && v > 0.0; }

Result<void> check_feed(const ThermoSystem& system, const StagedColumn& column, const StageFeed& feed, std::uint64_t k)
{
    const std::size_t n = system.components().size();
    if (feed.stage < 1 || feed.stage > column.n_stages)
        return invalid_input(text("feed ", k, " is on stage ", feed.stage, ", outside 1..", column.n_stages));
    if (!positive(feed.rate)) return invalid_input(text("feed ", k, " rate must be positive and finite, got ", feed.rate));
    if (feed.composition.size() != n)
        return invalid_input(text("feed ", k, " composition has ", std::uint64_t{feed.composition.size()},
                                  " entries but the system has ", std::uint64_t{n}, " components"));
    double total = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double v = feed.composition[i];
        if (!std::isfinite(v) || v < 0.0)
            return invalid_input(text("feed ", k, " composition entries must be finite and non-negative, got ", v,
                                      " at index ", std::uint64_t{i}));
        total += v;
    }
    if (std::abs(total - 1.0) > 1e-6)
        return invalid_input(text("feed ", k, " composition must be mole fractions summing to 1, got a sum of ", total));
    if (const auto* q = std::get_if<FeedQuality>(&feed.condition); q && !std::isfinite(q->q))
        return invalid_input(text("feed ", k, " q must be finite, got ", q->q));
    if (const auto* t = std::get_if<FeedTemperature>(&feed.condition); t && !positive(t->t))
        return invalid_input(text("feed ", k, " temperature must be positive and finite, got ", t->t, " K"));
    return {};
}

double total_feed(const StagedColumn& column)
{
    double f = 0.0;
    for (const auto& feed : column.feeds) f += feed.rate;
    return f;
}

double total_draw(const StagedColumn& column)
{
    double s = 0.0;
    for (const auto& draw : column.side_draws) s += draw.rate;
    return s;
}

// With a product rate given, a purity or recovery cannot ask a product for
// more of a component than the feeds bring.
Result<void> check_product_room(const ThermoSystem& system, const StagedColumn& column,
                                const std::array<ColumnSpecification, 2>& pair, double products)
{
    std::optional<double> d;
    for (const auto& s : pair) {
        if (const auto* r = std::get_if<DistillateRateSpec>(&s)) d = r->value;
        if (const auto* r = std::get_if<BottomsRateSpec>(&s)) d = products - r->value;
    }
    if (!d) return {};
    const auto names = system.component_names();
    for (const auto& s : pair) {
        const bool top = std::holds_alternative<DistillatePuritySpec>(s) || std::holds_alternative<DistillateRecoverySpec>(s);
        const bool purity = std::holds_alternative<DistillatePuritySpec>(s) || std::holds_alternative<BottomsPuritySpec>(s);
        if (s.index() < 4 || s.index() >= 8) continue;
        const auto [i, v] = std::visit(
            [](auto spec) -> std::pair<std::size_t, double> {
                if constexpr (requires { spec.component; }) return {spec.component, spec.value};
                else return {0, 0.0};
            },
            s);
        double fed = 0.0;
        for (const auto& feed : column.feeds) fed += feed.rate * feed.composition[i];
        const double rate = top ? *d : products - *d;
        // A purity x needs x * rate of the component; a recovery r gives r * fed to a product of `rate`.
        if (purity ? v * rate > fed : v * fed > rate)
            return infeasible(text(name(s), " = ", v, " of ", format::Quoted{names[i]}, " cannot hold in a ",
                                   top ? "distillate" : "bottoms", " of ", rate, " kmol/h from feeds bringing ", fed,
                                   " kmol/h of it"));
    }
    return {};
}

}  // namespace

namespace mesh {
const char* spec_name(SpecKind kind)
{
    static constexpr const char* names[] = {"reflux",         "distillate_rate",     "bottoms_rate",
                                            "boilup",         "distillate_purity",   "bottoms_purity",
                                            "distillate_recovery", "bottoms_recovery",
                                            "condenser_duty", "reboiler_duty"};
    return names[static_cast<unsigned>(kind)];
}
}  // namespace mesh

const char* name(const ColumnSpecification& specification)
{
    return mesh::spec_name(static_cast<mesh::SpecKind>(specification.index()));
}

Result<void> check_staged_column(const ThermoSystem& system, const StagedColumn& column)
{
    const bool partial = column.condenser == CondenserKind::Partial;
    const std::uint64_t least = partial ? 2 : 1;
    if (column.n_stages < least)
        return invalid_input(text("n_stages must be at least ", least, partial ? " with a partial condenser" : "",
                                  ", got ", column.n_stages));
    if (!positive(column.pressure))
        return invalid_input(text("pressure must be positive and finite, got ", column.pressure, " kPa"));
    if (!std::isfinite(column.pressure_drop) || column.pressure_drop < 0.0)
        return invalid_input(text("pressure_drop must be finite and non-negative, got ", column.pressure_drop, " kPa"));
    if (column.feeds.empty()) return invalid_input("a column needs at least one feed");
    for (std::size_t k = 0; k < column.feeds.size(); ++k)
        if (auto ok = check_feed(system, column, column.feeds[k], k + 1); !ok) return ok;
    for (std::size_t k = 0; k < column.side_draws.size(); ++k) {
        const auto& draw = column.side_draws[k];
        if (draw.stage < 1 || draw.stage > column.n_stages)
            return invalid_input(
                text("side draw ", std::uint64_t{k + 1}, " is on stage ", draw.stage, ", outside 1..", column.n_stages));
        if (!std::isfinite(draw.rate) || draw.rate < 0.0)
            return invalid_input(
                text("side draw ", std::uint64_t{k + 1}, " rate must be finite and non-negative, got ", draw.rate));
    }
    if (total_draw(column) >= total_feed(column))
        return invalid_input(text("the side draws take ", total_draw(column), " kmol/h of a total feed of ",
                                  total_feed(column), " kmol/h"));
    const auto names = system.component_names();
    for (std::size_t i = 0; i < names.size(); ++i) {
        bool fed = false;
        for (const auto& feed : column.feeds) fed = fed || feed.composition[i] > 0.0;
        if (!fed) return invalid_input(text("component ", format::Quoted{names[i]}, " is in no feed"));
    }
    return {};
}

Result<void> check_specifications(const ThermoSystem& system, const StagedColumn& column,
                                  const std::array<ColumnSpecification, 2>& pair)
{
    const std::size_t n = system.components().size();
    for (const auto& s : pair) {
        const double v = std::visit([](auto spec) { return spec.value; }, s);
        const std::size_t named = std::visit(
            [](auto spec) -> std::size_t {
                if constexpr (requires { spec.component; }) return spec.component;
                else return 0;
            },
            s);
        if (named >= n)
            return invalid_input(text("specification ", name(s), " names component ", std::uint64_t{named},
                                      ", but the system has ", std::uint64_t{n}, " components"));
        if (s.index() >= 4 && s.index() < 8) {
            if (!(v > 0.0 && v < 1.0))
                return invalid_input(text("specification ", name(s), " must lie strictly between 0 and 1, got ", v));
        } else if (!positive(v)) {
            return invalid_input(text("specification ", name(s), " must be positive and finite, got ", v));
        }
    }
    if (pair[0].index() == pair[1].index()) return infeasible(text(name(pair[0]), " is given twice"));
    const double products = total_feed(column) - total_draw(column);
    for (const auto& s : pair) {
        if (std::holds_alternative<DistillateRateSpec>(s) || std::holds_alternative<BottomsRateSpec>(s)) {
            const double v = std::visit([](auto spec) { return spec.value; }, s);
            if (v >= products)
                return infeasible(text(name(s), " = ", v, " kmol/h must be below the total feed less the side draws, ",
                                       products, " kmol/h"));
        }
    }
    const bool rates = (std::holds_alternative<DistillateRateSpec>(pair[0]) ||
                        std::holds_alternative<BottomsRateSpec>(pair[0])) &&
                       (std::holds_alternative<DistillateRateSpec>(pair[1]) ||
                        std::holds_alternative<BottomsRateSpec>(pair[1]));
    if (rates)
        return infeasible("distillate_rate and bottoms_rate fix the same balance; give one of them with reflux or boilup");
    return check_product_room(system, column, pair, products);
}

}  // namespace kolvar::engine
