// Checked rebuilding of the energy results: each check states one thing the
// constructions guarantee for every value they return.
#include "engine/energy/restore.hpp"

#include "binary/design_checks.hpp"

#include "engine/binary/limits.hpp"

#include "kolvar/format.hpp"

#include <cmath>
#include <string_view>
#include <utility>

namespace kolvar::engine {
namespace {

using format::text;

bool positive(double v) { return std::isfinite(v) && v > 0.0; }
bool fraction(double v) { return v >= 0.0 && v <= 1.0; }

Result<void> check_positive(std::string_view name, double v)
{
    if (positive(v)) return {};
    return invalid_input(text(name, " must be positive and finite, got ", v));
}

Result<void> check_finite(std::string_view name, double v)
{
    if (std::isfinite(v)) return {};
    return invalid_input(text(name, " must be finite, got ", v));
}

// a - b = c to 1e-9 of the three.
bool balances(double a, double b, double c) { return std::abs(a - b - c) <= 1e-9 * (a + b + c); }

}  // namespace

Result<ColumnEnergy> restore_column_energy(const ColumnEnergy& parts)
{
    for (const auto& [name, value] : {std::pair{"distillate_rate", parts.distillate_rate},
                                      std::pair{"bottoms_rate", parts.bottoms_rate},
                                      std::pair{"reflux_flow", parts.reflux_flow},
                                      std::pair{"vapour_flow", parts.vapour_flow},
                                      std::pair{"stripping_liquid_flow", parts.stripping_liquid_flow},
                                      std::pair{"boilup", parts.boilup},
                                      std::pair{"top_temperature", parts.top_temperature},
                                      std::pair{"bottom_temperature", parts.bottom_temperature}}) {
        if (auto ok = check_positive(name, value); !ok) return std::unexpected(ok.error());
    }
    if (auto ok = check_finite("condenser_duty", parts.condenser_duty); !ok) return std::unexpected(ok.error());
    if (auto ok = check_finite("reboiler_duty", parts.reboiler_duty); !ok) return std::unexpected(ok.error());
    if (!balances(parts.vapour_flow, parts.reflux_flow, parts.distillate_rate))
        return invalid_input(text("the rectifying flows must balance: vapour_flow - reflux_flow = ",
                                  parts.vapour_flow - parts.reflux_flow, ", distillate_rate = ", parts.distillate_rate));
    if (!balances(parts.stripping_liquid_flow, parts.boilup, parts.bottoms_rate))
        return invalid_input(text("the stripping flows must balance: stripping_liquid_flow - boilup = ",
                                  parts.stripping_liquid_flow - parts.boilup, ", bottoms_rate = ", parts.bottoms_rate));
    return parts;
}

Result<PonchonSavaritStage> restore_ponchon_savarit_stage(const PonchonSavaritStage& parts)
{
    const std::uint64_t index = parts.index;
    if (index < 1 || index > binary_limits::max_stages)
        return invalid_input(text("stage index must lie in [1, ", binary_limits::max_stages, "], got ", index));
    for (const auto& [name, value] : {std::pair{"x", parts.x}, std::pair{"y", parts.y}}) {
        if (!fraction(value))
            return invalid_input(text("stage ", index, ": ", name, " must be a mole fraction in [0, 1], got ", value));
    }
    for (const auto& [name, value] : {std::pair{"t", parts.t}, std::pair{"liquid_flow", parts.liquid_flow},
                                      std::pair{"vapour_flow", parts.vapour_flow}}) {
        if (!positive(value))
            return invalid_input(text("stage ", index, ": ", name, " must be positive and finite, got ", value));
    }
    return parts;
}

Result<PonchonSavaritResult> restore_ponchon_savarit(PonchonSavaritResult parts)
{
    const BinaryColumn& column = parts.column;
    if (auto ok = validate(column); !ok) return std::unexpected(std::move(ok.error()));
    if (auto ok = detail::check_compositions(column.x_distillate, column.x_bottoms, column.feed.z); !ok)
        return std::unexpected(std::move(ok.error()));
    if (auto ok = check_positive("pressure", column.pressure); !ok) return std::unexpected(ok.error());
    if (auto ok = check_finite("q", column.feed.q); !ok) return std::unexpected(ok.error());
    if (!(std::isfinite(parts.r_min) && parts.r_min >= 0.0))
        return invalid_input(text("minimum reflux must be finite and not negative, got ", parts.r_min));
    if (!(std::isfinite(parts.reflux) && parts.reflux > parts.r_min))
        return invalid_input(text("reflux must be finite and above r_min = ", parts.r_min, ", got ", parts.reflux));

    const std::size_t n = parts.stages.size();
    if (n == 0 || n > binary_limits::max_stages)
        return invalid_input(text("a design must have 1 to ", binary_limits::max_stages, " stages, got ",
                                  static_cast<std::uint64_t>(n)));
    for (std::size_t k = 0; k < n; ++k) {
        if (auto ok = restore_ponchon_savarit_stage(parts.stages[k]); !ok) return std::unexpected(ok.error());
        if (parts.stages[k].index != k + 1)
            return invalid_input(
                text("stage ", static_cast<std::uint64_t>(k + 1), " is numbered ", parts.stages[k].index));
    }
    if (parts.stages.front().y != column.x_distillate)
        return invalid_input(
            text("the stages must start at x_D = ", column.x_distillate, ", got ", parts.stages.front().y));
    const auto corners = static_cast<double>(n);
    if (!(parts.n_stages >= corners - 1.0 && parts.n_stages <= corners))
        return invalid_input(text("n_stages must lie in [N - 1, N] for N = ", static_cast<std::uint64_t>(n),
                                  " stages, got ", parts.n_stages));
    if (parts.feed_stage < 1 || parts.feed_stage > n)
        return invalid_input(
            text("feed stage must lie in [1, ", static_cast<std::uint64_t>(n), "], got ", parts.feed_stage));

    const auto d = distillate_rate(column);
    const auto b = bottoms_rate(column);
    if (!(parts.distillate_rate == *d && parts.bottoms_rate == *b))
        return invalid_input(text("the rates must be the column's D = ", *d, " and B = ", *b, " kmol/h, got ",
                                  parts.distillate_rate, " and ", parts.bottoms_rate));
    if (auto ok = check_finite("condenser_duty", parts.condenser_duty); !ok) return std::unexpected(ok.error());
    if (auto ok = check_finite("reboiler_duty", parts.reboiler_duty); !ok) return std::unexpected(ok.error());
    if (!(fraction(parts.pinch.x) && fraction(parts.pinch.y)))
        return invalid_input(text("pinch must lie in the unit square, got (", parts.pinch.x, ", ", parts.pinch.y, ")"));
    const Point top = parts.top_difference_point;
    const Point bottom = parts.bottom_difference_point;
    if (!(top.x == column.x_distillate && std::isfinite(top.y) && bottom.x == column.x_bottoms &&
          std::isfinite(bottom.y)))
        return invalid_input(text("the difference points must lie at x_D and x_B with finite enthalpies, got (",
                                  top.x, ", ", top.y, ") and (", bottom.x, ", ", bottom.y, ")"));
    return parts;
}

}  // namespace kolvar::engine
