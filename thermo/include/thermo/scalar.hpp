// The scalar types the kernels are written over, named without their
// arithmetic (which lives with the library's sources): double, Dual (a value
// with its derivative along the temperature) and Tangent (a value with its
// derivative along one direction of T, P and the amounts, seeded by the
// caller).
#pragma once

#include <type_traits>

namespace kolvar::thermo {

// Which variables a dual carries: the temperature alone, or any direction.
enum class Carries : unsigned char { Temperature, AnyDirection };

template <Carries>
struct BasicDual;

using Dual = BasicDual<Carries::Temperature>;
using Tangent = BasicDual<Carries::AnyDirection>;

// The scalar of the pressure and the composition in a kernel over Real:
// double for double and for the temperature-only Dual (whose kernels keep
// them plain), Tangent for a Tangent.
template <class Real>
using StateScalar = std::conditional_t<std::is_same_v<Real, Tangent>, Tangent, double>;

}  // namespace kolvar::thermo
