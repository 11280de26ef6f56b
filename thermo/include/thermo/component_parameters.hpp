// Per-component equation-of-state parameters at one (T, P), computed once and
// reused while compositions change (the K-value iterations hold T and P fixed).
#pragma once

#include "thermo/component.hpp"
#include "thermo/eos.hpp"
#include "thermo/scalar.hpp"
#include "thermo/small_vector.hpp"

#include <cstddef>
#include <span>

namespace kolvar::thermo {

// Inline up to 8 components (64 pair products); no heap allocation below that.
// Real is double, or the library's Dual: then every temperature-dependent
// entry carries its derivative along T; or a Tangent: then the pressure too
// is a Tangent, and every entry carries its derivative along the direction
// seeded in T and P.
template <class Real>
struct BasicComponentParameters {
    Eos eos = Eos::PR1976;
    Real temperature = 0.0;    // K
    StateScalar<Real> pressure = 0.0;  // kPa
    double family_u = 0.0;     // u and w of the variant's family (0 for the
    double family_w = 0.0;     //   three-parameter variants)
    SmallVector<Real, 8> a;          // A_i
    SmallVector<Real, 8> b;          // B_i
    SmallVector<Real, 8> c;          // C_i (PatelTeja family; 0 otherwise)
    SmallVector<double, 8> omega;    // acentric factors
    SmallVector<Real, 8> sqrt_a;     // sqrt(A_i)
    SmallVector<Real, 64> sqrt_aa;   // sqrt(A_i A_j), row-major n x n

    std::size_t size() const { return a.size(); }
    const Real& sqrt_product(std::size_t i, std::size_t j) const { return sqrt_aa[i * a.size() + j]; }
};
using ComponentParameters = BasicComponentParameters<double>;

// Never fails: non-physical inputs (or a failing saturation correlation of a
// vapour-pressure variant) leave NaN or infinite entries, which the cubic
// solver reports when the mixture is evaluated.
ComponentParameters component_parameters(std::span<const Component> components, Eos eos, double temperature,
                                         double pressure);

// Same, writing into `out` and reusing its storage.
template <class Real>
void component_parameters(std::span<const Component> components, Eos eos, Real temperature,
                          std::type_identity_t<StateScalar<Real>> pressure,
                          BasicComponentParameters<Real>& out);

}  // namespace kolvar::thermo
