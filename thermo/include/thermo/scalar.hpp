// The scalar types the kernels are written over, named without their
// arithmetic (which lives with the library's sources): double, Dual (a value
// with its derivative along the temperature), Tangent (a value with its
// derivative along one direction of T, P and the amounts, seeded by the
// caller) and Gradient<L> (a value with its derivatives along L such
// directions at once).
#pragma once

#include <cstddef>
#include <type_traits>

namespace kolvar::thermo {

// Which variables a dual carries: the temperature alone, or any direction.
enum class Carries : unsigned char { Temperature, AnyDirection };

template <Carries>
struct BasicDual;

using Dual = BasicDual<Carries::Temperature>;
using Tangent = BasicDual<Carries::AnyDirection>;

template <std::size_t Lanes>
struct Gradient;

// The widths the kernels are instantiated for: a binary's T, P and two
// amounts; T, P and up to 8 amounts. Wider states take several passes.
inline constexpr std::size_t narrow_gradient = 4;
inline constexpr std::size_t wide_gradient = 10;

template <class Real>
struct state_scalar {
    using type = double;
};
template <>
struct state_scalar<Tangent> {
    using type = Tangent;
};
template <std::size_t L>
struct state_scalar<Gradient<L>> {
    using type = Gradient<L>;
};

// The scalar of the pressure and the composition in a kernel over Real:
// double for double and for the temperature-only Dual (whose kernels keep
// them plain), Real itself for a Tangent or a Gradient.
template <class Real>
using StateScalar = typename state_scalar<Real>::type;

}  // namespace kolvar::thermo
