// A number carried with its derivative along one variable: the kernels of
// the library are written once over a scalar type `Real` and instantiated for
// double (the value), Dual (the value and d/dT, exact to rounding) and
// Tangent (the value and its derivative along one direction of the state:
// the temperature, the pressure or an amount, chosen by the caller's seed);
// Gradient (numerics/gradient.hpp) carries several such directions at once.
// The value part of every operation is the double operation itself, so a
// Dual or Tangent evaluation reproduces the double one bit for bit.
//
//   Dual t{350.0, 1.0};            // T with dT/dT = 1
//   Dual a = exp(-1000.0 / t);     // a.value, a.dt = d a / dT
//
// The two share their arithmetic and differ in what the kernels let them
// carry: with Dual the pressure and the composition stay double (the
// temperature-only path, as fast as one slope can be), with Tangent they
// are Tangents too (StateScalar in thermo/scalar.hpp), so one pass gives the derivative of
// every result along whichever direction was seeded in T, P or the amounts.
//
// The mathematical functions are called unqualified in the kernels: the
// using-declarations below put the std overloads for double beside the dual
// ones in this namespace.
#pragma once

#include "numerics/gradient.hpp"
#include "thermo/scalar.hpp"

#include <cmath>
#include <cstddef>
#include <type_traits>

namespace kolvar::thermo {

template <Carries>
struct BasicDual {
    static constexpr std::size_t lanes = 1;
    double value;
    double dt;

    BasicDual() = default;  // uninitialised, like a double, so lists of Duals can skip initialisation
    constexpr BasicDual(double v) : value(v), dt(0.0) {}  // a constant: no dependence on the seeded variable
    constexpr BasicDual(double v, double slope) : value(v), dt(slope) {}

    constexpr double& slope(std::size_t) { return dt; }
    constexpr double slope(std::size_t) const { return dt; }

    constexpr BasicDual& operator+=(const BasicDual& o) { value += o.value; dt += o.dt; return *this; }
    constexpr BasicDual& operator-=(const BasicDual& o) { value -= o.value; dt -= o.dt; return *this; }
    constexpr BasicDual& operator*=(const BasicDual& o) { *this = *this * o; return *this; }
    constexpr BasicDual& operator/=(const BasicDual& o) { *this = *this / o; return *this; }

    friend constexpr BasicDual operator+(const BasicDual& a) { return a; }
    friend constexpr BasicDual operator-(const BasicDual& a) { return {-a.value, -a.dt}; }

    friend constexpr BasicDual operator+(const BasicDual& a, const BasicDual& b)
    {
        return {a.value + b.value, a.dt + b.dt};
    }
    friend constexpr BasicDual operator+(const BasicDual& a, double b) { return {a.value + b, a.dt}; }
    friend constexpr BasicDual operator+(double a, const BasicDual& b) { return {a + b.value, b.dt}; }

    friend constexpr BasicDual operator-(const BasicDual& a, const BasicDual& b)
    {
        return {a.value - b.value, a.dt - b.dt};
    }
    friend constexpr BasicDual operator-(const BasicDual& a, double b) { return {a.value - b, a.dt}; }
    friend constexpr BasicDual operator-(double a, const BasicDual& b) { return {a - b.value, -b.dt}; }

    friend constexpr BasicDual operator*(const BasicDual& a, const BasicDual& b)
    {
        return {a.value * b.value, a.dt * b.value + a.value * b.dt};
    }
    friend constexpr BasicDual operator*(const BasicDual& a, double b) { return {a.value * b, a.dt * b}; }
    friend constexpr BasicDual operator*(double a, const BasicDual& b) { return {a * b.value, a * b.dt}; }

    // The slope's reciprocal is formed beside the value's quotient, not after it.
    friend constexpr BasicDual operator/(const BasicDual& a, const BasicDual& b)
    {
        const double q = a.value / b.value;
        const double inverse = 1.0 / b.value;
        return {q, (a.dt - q * b.dt) * inverse};
    }
    friend constexpr BasicDual operator/(const BasicDual& a, double b) { return {a.value / b, a.dt / b}; }
    friend constexpr BasicDual operator/(double a, const BasicDual& b)
    {
        const double q = a / b.value;
        const double inverse = 1.0 / b.value;
        return {q, -q * b.dt * inverse};
    }

    // Comparisons read the values only.
    friend constexpr bool operator==(const BasicDual& a, const BasicDual& b) { return a.value == b.value; }
    friend constexpr bool operator==(const BasicDual& a, double b) { return a.value == b; }
    friend constexpr bool operator<(const BasicDual& a, const BasicDual& b) { return a.value < b.value; }
    friend constexpr bool operator<(const BasicDual& a, double b) { return a.value < b; }
    friend constexpr bool operator<(double a, const BasicDual& b) { return a < b.value; }
    friend constexpr bool operator>(const BasicDual& a, const BasicDual& b) { return a.value > b.value; }
    friend constexpr bool operator>(const BasicDual& a, double b) { return a.value > b; }
    friend constexpr bool operator>(double a, const BasicDual& b) { return a > b.value; }
    friend constexpr bool operator<=(const BasicDual& a, const BasicDual& b) { return a.value <= b.value; }
    friend constexpr bool operator<=(const BasicDual& a, double b) { return a.value <= b; }
    friend constexpr bool operator<=(double a, const BasicDual& b) { return a <= b.value; }
    friend constexpr bool operator>=(const BasicDual& a, const BasicDual& b) { return a.value >= b.value; }
    friend constexpr bool operator>=(const BasicDual& a, double b) { return a.value >= b; }
    friend constexpr bool operator>=(double a, const BasicDual& b) { return a >= b.value; }
};

static_assert(std::is_trivially_default_constructible_v<Dual> && std::is_trivially_copyable_v<Dual>);
static_assert(std::is_trivially_default_constructible_v<Tangent> && std::is_trivially_copyable_v<Tangent>);

using std::abs;
using std::atan;
using std::exp;
using std::fmax;
using std::isfinite;
using std::isnan;
using std::log;
using std::log10;
using std::pow;
using std::sqrt;

template <Carries C>
inline BasicDual<C> sqrt(const BasicDual<C>& a)
{
    const double r = std::sqrt(a.value);
    return {r, a.dt / (2.0 * r)};
}

template <Carries C>
inline BasicDual<C> exp(const BasicDual<C>& a)
{
    const double e = std::exp(a.value);
    return {e, e * a.dt};
}

template <Carries C>
inline BasicDual<C> log(const BasicDual<C>& a)
{
    return {std::log(a.value), a.dt / a.value};
}

template <Carries C>
inline BasicDual<C> log10(const BasicDual<C>& a)
{
    return {std::log10(a.value), a.dt / (a.value * 2.302585092994046)};
}

// a^e for a constant exponent.
template <Carries C>
inline BasicDual<C> pow(const BasicDual<C>& a, double e)
{
    const double p = std::pow(a.value, e);
    return {p, e * std::pow(a.value, e - 1.0) * a.dt};
}

template <Carries C>
inline BasicDual<C> atan(const BasicDual<C>& a)
{
    return {std::atan(a.value), a.dt / (1.0 + a.value * a.value)};
}

// |a|, with the slope of the side a lies on (of the positive side at 0).
template <Carries C>
inline BasicDual<C> abs(const BasicDual<C>& a)
{
    return a.value < 0.0 ? -a : a;
}

// The larger value with its own slope; a NaN on one side gives the other, as std::fmax.
template <Carries C>
inline BasicDual<C> fmax(const BasicDual<C>& a, const BasicDual<C>& b)
{
    return std::isnan(a.value) || b.value > a.value ? b : a;
}

template <Carries C>
inline bool isnan(const BasicDual<C>& a)
{
    return std::isnan(a.value);
}
template <Carries C>
inline bool isfinite(const BasicDual<C>& a)
{
    return std::isfinite(a.value);
}

// The value and the slope of any scalar type.
constexpr double value_of(double a) { return a; }
template <Carries C>
constexpr double value_of(const BasicDual<C>& a)
{
    return a.value;
}
constexpr double slope_of(double) { return 0.0; }
template <Carries C>
constexpr double slope_of(const BasicDual<C>& a)
{
    return a.dt;
}

// Applies M to each Gradient width the kernels are instantiated for
// (narrow_gradient and wide_gradient).
#define KOLVAR_FOR_EACH_GRADIENT(M) M(Gradient<4>) M(Gradient<10>)
static_assert(narrow_gradient == 4 && wide_gradient == 10);

template <class Real>
struct is_dual_type : std::false_type {};
template <Carries C>
struct is_dual_type<BasicDual<C>> : std::true_type {};
template <std::size_t L>
struct is_dual_type<Gradient<L>> : std::true_type {};

// Whether Real carries slopes (Dual, Tangent, Gradient): Real::lanes of them,
// read and written through slope(lane).
template <class Real>
inline constexpr bool is_dual = is_dual_type<Real>::value;

// value v with the slopes of a times factor.
template <Carries C>
constexpr BasicDual<C> chained(double v, double factor, const BasicDual<C>& a)
{
    return {v, factor * a.dt};
}
template <std::size_t L>
constexpr Gradient<L> chained(double v, double factor, const Gradient<L>& a)
{
    return Gradient<L>::chained(v, factor, a);
}

// Adds the slopes of `from` to those of `to`, leaving its value.
template <class Real>
constexpr void add_slopes(Real& to, const Real& from)
{
    for (std::size_t l = 0; l < Real::lanes; ++l) to.slope(l) += from.slope(l);
}

}  // namespace kolvar::thermo
