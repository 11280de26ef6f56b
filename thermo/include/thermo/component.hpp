// Pure-compound records and the built-in component table.
//
// The table holds 24 compounds parsed once per process, on the first lookup,
// from the embedded document `components.json`. Lookups trim Unicode white
// space, lower-case the name and match it byte for byte; a hit returns a copy
// of the record.
#pragma once

#include <array>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kolvar::thermo {

// Saturation-pressure correlations (see saturation.hpp); text forms are the names.
enum class SaturationModel : unsigned { Antoine, Riedel, Muller, RPM, Polynomial, Maxwell };

struct Component {
    std::string name;                  // table key, lower case
    std::vector<double> psat_coeffs;   // reduced Antoine [a1, a2, a3] for database compounds
    double tc = 0.0;                   // critical temperature, K
    double pc = 0.0;                   // critical pressure, kPa
    double omega = 0.0;                // acentric factor
    double tb = 0.0;                   // normal boiling point, K
    double mw = 0.0;                   // molar mass, g/mol
    double zc = 0.0;                   // critical compressibility factor
    double vc = 0.0;                   // critical molar volume, cm3/mol
    std::vector<double> cp_coeffs;     // ideal-gas Cp/R = sum a_k T^k
    std::optional<double> liquid_volume;  // cm3/mol near 298 K
    SaturationModel saturation_model = SaturationModel::Antoine;
    std::array<double, 4> eos_params{};   // p1..p4 of some equations of state
};

// A name that is not in the table. `message` is the full text:
// component "benzen", not in the korrin database (available: ...)
struct LookupError {
    std::string message;
    const std::string& text() const { return message; }
};

std::expected<Component, LookupError> find_component(std::string_view name);

// Looks the names up in order; the first miss is returned and later names are
// not examined. Repeated names are allowed.
std::expected<std::vector<Component>, LookupError> find_components(std::span<const std::string> names);

}  // namespace kolvar::thermo
