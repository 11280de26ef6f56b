// The checks of a shortcut specification that come before any thermodynamics,
// and the keys resolved from names or indices.
#include "steps.hpp"

#include "kolvar/format.hpp"
#include "thermo/input_checks.hpp"
#include "thermo/component.hpp"

#include <cmath>
#include <cstdint>
#include <string>
#include <variant>

namespace kolvar::engine::multicomponent {
namespace {

using format::text;

std::uint64_t count(std::size_t n) { return static_cast<std::uint64_t>(n); }

std::string joined_names(const ThermoSystem& system)
{
    std::string out;
    for (const thermo::Component& component : system.components()) {
        if (!out.empty()) out += ", ";
        out += component.name;
    }
    return out;
}

// A name matches a component as the table matches names; a name shared by
// several components cannot say which one is meant.
Result<std::size_t> key_index(const ThermoSystem& system, const ComponentKey& key, const char* role)
{
    const std::size_t n = system.components().size();
    if (const auto* index = std::get_if<std::int64_t>(&key)) {
        if (*index >= 0 && static_cast<std::uint64_t>(*index) < n) return static_cast<std::size_t>(*index);
        return invalid_input(text(role, " key index ", std::to_string(*index), " is outside 0..", count(n - 1)));
    }
    const std::string& name = std::get<std::string>(key);
    const std::string wanted = thermo::name_key(name);
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < n; ++i) {
        if (thermo::name_key(system.components()[i].name) == wanted) found.push_back(i);
    }
    if (found.size() == 1) return found.front();
    if (found.empty()) {
        return invalid_input(text(role, " key ", format::Quoted{name}, " is not a component of the system (components: ",
                                  joined_names(system), ")"));
    }
    std::string indices;
    for (std::size_t i : found) indices += (indices.empty() ? "" : ", ") + std::to_string(i);
    return invalid_input(text(role, " key ", format::Quoted{name}, " names ", count(found.size()),
                              " components of the system (indices ", indices, "); give its index"));
}

Result<void> check_recovery(const char* name, double recovery)
{
    if (recovery > 0.0 && recovery < 1.0) return {};
    return invalid_input(text(name, " must lie strictly between 0 and 1, got ", recovery));
}

Result<void> check_positive(const char* name, double value)
{
    if (std::isfinite(value) && value > 0.0) return {};
    return invalid_input(text(name, " must be positive and finite, got ", value));
}

// Mole fractions within 1e-6 of summing to 1, scaled to sum to 1.
Result<std::vector<double>> feed_fractions(const ThermoSystem& system, std::span<const double> z)
{
    const std::size_t n = system.components().size();
    if (z.size() != n) {
        return invalid_input(
            text("composition has ", count(z.size()), " entries but the system has ", count(n), " components"));
    }
    const auto checked = entry_sum("feed composition", z);
    if (!checked) return std::unexpected(std::move(checked.error()));
    const double sum = *checked;
    if (!(std::fabs(sum - 1.0) <= 1e-6)) {
        // Percentages are the usual cause.
        const char* hint = std::fabs(sum - 100.0) <= 1.0 ? "; divide percentages by 100" : "";
        return invalid_input(
            text("feed composition must be mole fractions summing to 1 (within 0.000001), got a sum of ", sum, hint));
    }
    std::vector<double> scaled(z.begin(), z.end());
    for (double& v : scaled) v /= sum;
    return scaled;
}

}  // namespace

const std::string& component_name(const ThermoSystem& system, std::size_t i) { return system.components()[i].name; }

Result<CheckedSpec> check_shortcut(const ThermoSystem& system, const ShortcutSpec& spec)
{
    if (!(std::isfinite(spec.pressure) && spec.pressure > 0.0))
        return invalid_input(text("pressure must be positive and finite, got ", spec.pressure, " kPa"));
    if (!(std::isfinite(spec.feed_rate) && spec.feed_rate > 0.0))
        return invalid_input(text("feed rate must be positive and finite, got ", spec.feed_rate, " kmol/h"));
    auto z = feed_fractions(system, spec.z);
    if (!z) return std::unexpected(std::move(z.error()));
    if (!std::isfinite(spec.q)) return invalid_input(text("q must be finite, got ", spec.q));

    auto light = key_index(system, spec.light_key, "light");
    if (!light) return std::unexpected(std::move(light.error()));
    auto heavy = key_index(system, spec.heavy_key, "heavy");
    if (!heavy) return std::unexpected(std::move(heavy.error()));
    if (*light == *heavy) {
        return invalid_input(
            text("light and heavy key are the same component, ", component_name(system, *light)));
    }
    for (const auto& [role, index] : {std::pair{"light", *light}, std::pair{"heavy", *heavy}}) {
        if ((*z)[index] == 0.0)
            return invalid_input(text(role, " key ", component_name(system, index), " is not in the feed (z = 0)"));
    }

    if (auto ok = check_recovery("light_recovery", spec.light_recovery); !ok) return std::unexpected(ok.error());
    if (auto ok = check_recovery("heavy_recovery", spec.heavy_recovery); !ok) return std::unexpected(ok.error());
    // (d_LK/b_LK)(b_HK/d_HK) > 1: the distillate richer in the light key than the bottoms.
    if (!(spec.light_recovery + spec.heavy_recovery > 1.0)) {
        return invalid_input(text("the recoveries ask for no separation: light_recovery + heavy_recovery must exceed "
                                  "1, got ",
                                  spec.light_recovery, " + ", spec.heavy_recovery));
    }

    if (spec.reflux && spec.reflux_factor) return invalid_input("give reflux or reflux_factor, not both");
    if (!spec.reflux && !spec.reflux_factor) return invalid_input("give reflux or reflux_factor");
    if (spec.reflux) {
        if (auto ok = check_positive("reflux", *spec.reflux); !ok) return std::unexpected(ok.error());
    } else if (auto ok = check_positive("reflux_factor", *spec.reflux_factor); !ok) {
        return std::unexpected(ok.error());
    }
    return CheckedSpec{{*light, *heavy}, std::move(*z)};
}

}  // namespace kolvar::engine::multicomponent
