// Liquid-phase activity-coefficient models: ln gamma_i(T, x) and g^E/RT.
#pragma once

#include <cstddef>
#include <expected>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

namespace kolvar::thermo {

enum class ActivityModel : unsigned { VanLaar, Wilson, RegularSolution, Margules, IdealLiquid };

// "VanLaar", "Wilson", "RegularSolution", "Margules", "IdealLiquid"
const char* name(ActivityModel model);

// Rows of a parameter matrix, borrowed.
using ParameterRows = std::span<const std::vector<double>>;

// The inputs one evaluation reads; shapes are the caller's responsibility:
// VanLaar and Wilson need n rows of n entries in `parameters`, Wilson and
// RegularSolution n molar volumes (cm3/mol), RegularSolution n solubility
// parameters ((cal/cm3)^0.5), Margules a binary with a 2x2 matrix.
struct ActivityInputs {
    ParameterRows parameters;
    std::span<const double> molar_volumes;
    std::span<const double> solubility_parameters;
};

// The shapes above, checked for n components: the first missing input as a
// message, e.g. "activity model Wilson needs 2 molar volumes, got 0" or
// "activity model VanLaar needs a parameter matrix of at least 2×2".
std::expected<void, std::string> check_activity_inputs(ActivityModel model, const ActivityInputs& inputs,
                                                       std::size_t n);

// Writes ln gamma_i for the n = x.size() components into out[0..n). No allocation.
// Margules is a two-component model: for n != 2 every entry of `out` is set
// to NaN, so the misuse shows up downstream instead of as a plausible number.
// Real is double, or the library's Dual: a Dual temperature gives
// d ln gamma_i/dT at fixed x as well (0 for the temperature-independent
// VanLaar and Margules parameters).
template <class Real>
void ln_gamma(ActivityModel model, Real temperature, std::span<const double> x, const ActivityInputs& inputs,
              std::type_identity_t<std::span<Real>> out);

// Writes ln gamma_i into out and returns g^E/RT = sum x_i ln gamma_i
// (NaN for Margules with n != 2).
template <class Real>
Real excess_gibbs(ActivityModel model, Real temperature, std::span<const double> x, const ActivityInputs& inputs,
                  std::type_identity_t<std::span<Real>> out);

}  // namespace kolvar::thermo
