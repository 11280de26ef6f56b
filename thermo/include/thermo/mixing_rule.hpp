// Mixing rules: the mixture parameters A, B, U, W of the generalized cubic and
// their composition derivatives, built from the per-component parameters.
//
//   MixtureSpec spec{.components = comps, .kij = kij, .rule = MixingRule::Classical};
//   auto p = mixture_parameters(spec, Eos::PR1976, 350.0, 101.325, x);
//
// With N the total amount and N_i the amount of component i (T, P fixed):
//   a_bar[i] = (1/N) d(N^2 A)/dN_i      b_bar[i] = d(N B)/dN_i
//   u_bar[i] = d(N U)/dN_i              w_bar[i] = (1/N) d(N^2 W)/dN_i
#pragma once

#include "thermo/activity.hpp"
#include "thermo/component.hpp"
#include "thermo/component_parameters.hpp"
#include "thermo/eos.hpp"
#include "thermo/eos_error.hpp"
#include "thermo/small_vector.hpp"

#include <cstddef>
#include <expected>
#include <optional>
#include <span>
#include <vector>

namespace kolvar::thermo {

// Declaration order is fixed; the text form of each variant is its name.
enum class MixingRule : unsigned {
    WongSandler,           // GE-based a/b rule
    HuronVidalOriginal,    // GE-based a/b rule
    HuronVidalSimplified,  // GE-based a/b rule
    MHV1,                  // GE-based a/b rule
    MHV2,                  // GE-based a/b rule
    IVDW,                  // a/b rule, identical to Classical
    IIVDW,                 // a/b rule with composition-dependent interaction
    Classical,             // van der Waals one-fluid a/b rule
    PatelTejaC,            // C-parameter rules: implied by the three-parameter
    PatelTejaUSBC,         //   variant, never accepted as the a/b rule
    SchmidtWenzelC,
};

inline constexpr std::size_t mixing_rule_count = 11;

const char* name(MixingRule rule);

// The excess-Gibbs-energy rules: WongSandler, HuronVidalOriginal,
// HuronVidalSimplified, MHV1 and MHV2.
bool is_ge_based(MixingRule rule);

// The activity-coefficient model inside an excess-Gibbs-energy rule.
struct GeSpec {
    ActivityModel model = ActivityModel::VanLaar;
};

// What the mixture layer reads from the thermodynamic system; borrows all of it.
struct MixtureSpec {
    std::span<const Component> components{};
    // Empty (no interaction) or n rows of n entries; k_ij is row i, entry j.
    std::span<const std::vector<double>> kij{};
    MixingRule rule = MixingRule::Classical;
    std::optional<GeSpec> ge{};
    // Activity parameters, molar volumes and solubility parameters of the GeSpec.
    ActivityInputs activity{};
};

// Real is double, or the library's Dual (each entry with its T-derivative),
// or a Tangent (each entry with its derivative along the direction seeded in
// T, P and the composition, which is then a list of Tangents: StateScalar).
template <class Real>
struct BasicMixtureParameters {
    Real a = 0.0;
    Real b = 0.0;
    Real u = 0.0;  // U, the mixture value of u B
    Real w = 0.0;  // W, the mixture value of w B^2
    SmallVector<Real, 8> a_bar;
    SmallVector<Real, 8> b_bar;
    SmallVector<Real, 8> u_bar;
    SmallVector<Real, 8> w_bar;
};
using MixtureParameters = BasicMixtureParameters<double>;

// The checks, in order; the first failure is returned.
//   1. n components against the composition length (DimensionMismatch):
//        components.len()=3 but composition.len()=2
//   2. kij empty or n x n (DimensionMismatch): kij must be empty or 2×2
//   3. a C-parameter rule given as the rule (UnsupportedCombination):
//        PatelTejaC is a C-parameter rule; pass Classical/IVDW as the a/b rule
//        (the C rule is implied by the 3-parameter EOS variant)
//   4. a GE-based rule (UnsupportedCombination) without an activity model:
//        mixing rule MHV1 requires an activity model (GeSpec)
//      or with a three-parameter equation of state:
//        GE-based rule MHV1 with 3-parameter EOS PatelTeja is not supported
//        (the legacy programs pair 3-parameter EOS with classical a/b mixing only)
//   5. a GE-based rule whose activity inputs are too small for n components
//      (DimensionMismatch), e.g. activity model Wilson needs 2 molar volumes, got 0
std::expected<void, EosError> check_mixture(const MixtureSpec& spec, Eos eos, std::size_t composition_size);

// Mixture parameters at composition x from parameters precomputed for the
// spec's components. Runs the checks first; no heap allocation for up to 8
// components.
template <class Real>
std::expected<void, EosError> mixture_parameters(const MixtureSpec& spec,
                                                 const BasicComponentParameters<Real>& components,
                                                 std::span<const StateScalar<Real>> x,
                                                 BasicMixtureParameters<Real>& out);

// The same from scratch at (eos, T, P); bit-identical to the form above.
std::expected<MixtureParameters, EosError> mixture_parameters(const MixtureSpec& spec, Eos eos, double temperature,
                                                              double pressure, std::span<const double> x);

}  // namespace kolvar::thermo
