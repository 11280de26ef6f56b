// A number carried with its derivative along one variable, the temperature:
// the kernels of the library are written once over a scalar type `Real` and
// instantiated for double (the value) and Dual (the value and d/dT, exact to
// rounding). The value part of every Dual operation is the double operation
// itself, so a Dual evaluation reproduces the double one bit for bit.
//
//   Dual t{350.0, 1.0};            // T with dT/dT = 1
//   Dual a = exp(-1000.0 / t);     // a.value, a.dt = d a / dT
//
// The mathematical functions are called unqualified in the kernels: the
// using-declarations below put the std overloads for double beside the Dual
// ones in this namespace.
#pragma once

#include <cmath>
#include <type_traits>

namespace kolvar::thermo {

struct Dual {
    double value;
    double dt;

    Dual() = default;  // uninitialised, like a double, so lists of Duals can skip initialisation
    constexpr Dual(double v) : value(v), dt(0.0) {}  // a constant: no temperature dependence
    constexpr Dual(double v, double slope) : value(v), dt(slope) {}

    constexpr Dual& operator+=(const Dual& o) { value += o.value; dt += o.dt; return *this; }
    constexpr Dual& operator-=(const Dual& o) { value -= o.value; dt -= o.dt; return *this; }
    constexpr Dual& operator*=(const Dual& o) { *this = *this * o; return *this; }
    constexpr Dual& operator/=(const Dual& o) { *this = *this / o; return *this; }

    friend constexpr Dual operator+(const Dual& a) { return a; }
    friend constexpr Dual operator-(const Dual& a) { return {-a.value, -a.dt}; }

    friend constexpr Dual operator+(const Dual& a, const Dual& b) { return {a.value + b.value, a.dt + b.dt}; }
    friend constexpr Dual operator+(const Dual& a, double b) { return {a.value + b, a.dt}; }
    friend constexpr Dual operator+(double a, const Dual& b) { return {a + b.value, b.dt}; }

    friend constexpr Dual operator-(const Dual& a, const Dual& b) { return {a.value - b.value, a.dt - b.dt}; }
    friend constexpr Dual operator-(const Dual& a, double b) { return {a.value - b, a.dt}; }
    friend constexpr Dual operator-(double a, const Dual& b) { return {a - b.value, -b.dt}; }

    friend constexpr Dual operator*(const Dual& a, const Dual& b)
    {
        return {a.value * b.value, a.dt * b.value + a.value * b.dt};
    }
    friend constexpr Dual operator*(const Dual& a, double b) { return {a.value * b, a.dt * b}; }
    friend constexpr Dual operator*(double a, const Dual& b) { return {a * b.value, a * b.dt}; }

    // The slope's reciprocal is formed beside the value's quotient, not after it.
    friend constexpr Dual operator/(const Dual& a, const Dual& b)
    {
        const double q = a.value / b.value;
        const double inverse = 1.0 / b.value;
        return {q, (a.dt - q * b.dt) * inverse};
    }
    friend constexpr Dual operator/(const Dual& a, double b) { return {a.value / b, a.dt / b}; }
    friend constexpr Dual operator/(double a, const Dual& b)
    {
        const double q = a / b.value;
        const double inverse = 1.0 / b.value;
        return {q, -q * b.dt * inverse};
    }

    // Comparisons read the values only.
    friend constexpr bool operator==(const Dual& a, const Dual& b) { return a.value == b.value; }
    friend constexpr bool operator==(const Dual& a, double b) { return a.value == b; }
    friend constexpr bool operator<(const Dual& a, const Dual& b) { return a.value < b.value; }
    friend constexpr bool operator<(const Dual& a, double b) { return a.value < b; }
    friend constexpr bool operator<(double a, const Dual& b) { return a < b.value; }
    friend constexpr bool operator>(const Dual& a, const Dual& b) { return a.value > b.value; }
    friend constexpr bool operator>(const Dual& a, double b) { return a.value > b; }
    friend constexpr bool operator>(double a, const Dual& b) { return a > b.value; }
    friend constexpr bool operator<=(const Dual& a, const Dual& b) { return a.value <= b.value; }
    friend constexpr bool operator<=(const Dual& a, double b) { return a.value <= b; }
    friend constexpr bool operator<=(double a, const Dual& b) { return a <= b.value; }
    friend constexpr bool operator>=(const Dual& a, const Dual& b) { return a.value >= b.value; }
    friend constexpr bool operator>=(const Dual& a, double b) { return a.value >= b; }
    friend constexpr bool operator>=(double a, const Dual& b) { return a >= b.value; }
};

static_assert(std::is_trivially_default_constructible_v<Dual> && std::is_trivially_copyable_v<Dual>);

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

inline Dual sqrt(const Dual& a)
{
    const double r = std::sqrt(a.value);
    return {r, a.dt / (2.0 * r)};
}

inline Dual exp(const Dual& a)
{
    const double e = std::exp(a.value);
    return {e, e * a.dt};
}

inline Dual log(const Dual& a) { return {std::log(a.value), a.dt / a.value}; }

inline Dual log10(const Dual& a) { return {std::log10(a.value), a.dt / (a.value * 2.302585092994046)}; }

// a^e for a constant exponent.
inline Dual pow(const Dual& a, double e)
{
    const double p = std::pow(a.value, e);
    return {p, e * std::pow(a.value, e - 1.0) * a.dt};
}

inline Dual atan(const Dual& a) { return {std::atan(a.value), a.dt / (1.0 + a.value * a.value)}; }

// |a|, with the slope of the side a lies on (of the positive side at 0).
inline Dual abs(const Dual& a) { return a.value < 0.0 ? -a : a; }

// The larger value with its own slope; a NaN on one side gives the other, as std::fmax.
inline Dual fmax(const Dual& a, const Dual& b) { return std::isnan(a.value) || b.value > a.value ? b : a; }

inline bool isnan(const Dual& a) { return std::isnan(a.value); }
inline bool isfinite(const Dual& a) { return std::isfinite(a.value); }

// The value and the slope of either scalar type.
constexpr double value_of(double a) { return a; }
constexpr double value_of(const Dual& a) { return a.value; }
constexpr double slope_of(double) { return 0.0; }
constexpr double slope_of(const Dual& a) { return a.dt; }

template <class Real>
inline constexpr bool is_dual = std::is_same_v<Real, Dual>;

}  // namespace kolvar::thermo
