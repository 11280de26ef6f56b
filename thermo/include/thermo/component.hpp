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
#include <utility>
#include <variant>
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
    std::optional<double> tm;             // melting point at 101.325 kPa, K (triple point where it sublimes)
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

// The form of a name that lookups match: Unicode white space trimmed, letters
// lower-cased. Two names match when their keys are equal.
std::string name_key(std::string_view name);

// Looks the names up in order; the first miss is returned and later names are
// not examined. Repeated names are allowed.
std::expected<std::vector<Component>, LookupError> find_components(std::span<const std::string> names);

// The table's names in the order the document lists them (methane first).
std::span<const std::string> database_names();

// One constant of a compound as a caller states it: absent (None), a text,
// a number or a list of numbers.
using ConstantValue = std::variant<std::monostate, std::string, double, std::vector<double>>;

// A compound given by its constants rather than by a database name: the keys
// name, tc, pc, omega, zc, vc, tb, mw, psat_coeffs, cp_coeffs and the
// optional liquid_volume and tm, each at most once, in any order.
using ComponentConstants = std::vector<std::pair<std::string, ConstantValue>>;

// The record of those constants, every one checked; the first fault is the
// message, naming the compound, the key and the value:
//   component constants need a name (a non-empty text under the key name)
//   component "x": unknown key "Tc" (accepted: name, tc, ...)
//   component "x": key tc given twice
//   component "x": tc must be a number, got a list
//   component "x": missing key tc
//   component "x": tc must be positive and finite, got -5
//   component "x": zc must lie between 0 and 1, got 1.5
//   component "x": omega must lie between -1 and 3, got 7
//   component "x": tb must lie below tc = 300 K, got 350
//   component "x": psat_coeffs must have 3 (Antoine) or 5 (Polynomial) entries, got 2
//   component "x": psat_coeffs[1] must be finite, got NaN
//   component "x": psat_coeffs[2] = -400 leaves Antoine undefined at tb = 350 K
//   component "x": cp_coeffs must have 5 entries, got 4
//   component "x": liquid_volume must be positive and finite, got 0
//   component "x": tm must lie below tc = 300 K, got 350
// Keys are checked in the order written above: the name first, then unknown
// and mistyped keys in the order given, then the required keys in the order
// tc, pc, omega, zc, vc, tb, mw, psat_coeffs, cp_coeffs, liquid_volume, tm. The
// saturation model is Antoine for 3 coefficients and Polynomial for 5; the
// equation-of-state parameters p1..p4 are 0.
std::expected<Component, std::string> component_from_constants(const ComponentConstants& constants);

// The constants of a record in the form component_from_constants reads
// (liquid_volume and tm only when present).
ComponentConstants constants_of(const Component& component);

}  // namespace kolvar::thermo
