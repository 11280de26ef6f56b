// A number carried with its derivatives along a fixed number of directions at
// once: one kernel pass in Gradient<L> gives every result with its slopes
// along L seeded directions of the state (the temperature, the pressure and
// the amounts), where a Tangent needs one pass per direction. Its lanes are
// a plain array, so a Gradient never allocates.
//
//   Gradient<4> t{350.0};  t.slope(0) = 1.0;      // T, seeded in lane 0
//   Gradient<4> a = exp(-1000.0 / t);              // a.slope(0) = d a / dT
//
// Each lane follows the arithmetic of the one-direction dual exactly, and
// the value part of every operation is the double operation itself, so the
// values are those of the double evaluation bit for bit and each lane's
// slope that of a Tangent seeded the same way, to rounding.
#pragma once

#include "thermo/scalar.hpp"

#include <array>
#include <cmath>
#include <cstddef>
#include <type_traits>

namespace kolvar::thermo {

template <std::size_t L>
struct Gradient {
    static constexpr std::size_t lanes = L;
    double value;
    std::array<double, L> d;

    Gradient() = default;  // uninitialised, like a double
    constexpr Gradient(double v) : value(v), d{} {}  // a constant: every slope 0

    constexpr double& slope(std::size_t lane) { return d[lane]; }
    constexpr double slope(std::size_t lane) const { return d[lane]; }

    // value v, slopes factor * a's slopes
    static constexpr Gradient chained(double v, double factor, const Gradient& a)
    {
        Gradient r;
        r.value = v;
        for (std::size_t l = 0; l < L; ++l) r.d[l] = factor * a.d[l];
        return r;
    }

    constexpr Gradient& operator+=(const Gradient& o)
    {
        value += o.value;
        for (std::size_t l = 0; l < L; ++l) d[l] += o.d[l];
        return *this;
    }
    constexpr Gradient& operator-=(const Gradient& o)
    {
        value -= o.value;
        for (std::size_t l = 0; l < L; ++l) d[l] -= o.d[l];
        return *this;
    }
    constexpr Gradient& operator*=(const Gradient& o) { *this = *this * o; return *this; }
    constexpr Gradient& operator/=(const Gradient& o) { *this = *this / o; return *this; }

    friend constexpr Gradient operator+(const Gradient& a) { return a; }
    friend constexpr Gradient operator-(const Gradient& a) { return chained(-a.value, -1.0, a); }

    friend constexpr Gradient operator+(const Gradient& a, const Gradient& b)
    {
        Gradient r;
        r.value = a.value + b.value;
        for (std::size_t l = 0; l < L; ++l) r.d[l] = a.d[l] + b.d[l];
        return r;
    }
    friend constexpr Gradient operator+(const Gradient& a, double b) { Gradient r = a; r.value += b; return r; }
    friend constexpr Gradient operator+(double a, const Gradient& b) { Gradient r = b; r.value = a + b.value; return r; }

    friend constexpr Gradient operator-(const Gradient& a, const Gradient& b)
    {
        Gradient r;
        r.value = a.value - b.value;
        for (std::size_t l = 0; l < L; ++l) r.d[l] = a.d[l] - b.d[l];
        return r;
    }
    friend constexpr Gradient operator-(const Gradient& a, double b) { Gradient r = a; r.value -= b; return r; }
    friend constexpr Gradient operator-(double a, const Gradient& b) { return chained(a - b.value, -1.0, b); }

    friend constexpr Gradient operator*(const Gradient& a, const Gradient& b)
    {
        Gradient r;
        r.value = a.value * b.value;
        for (std::size_t l = 0; l < L; ++l) r.d[l] = a.d[l] * b.value + a.value * b.d[l];
        return r;
    }
    friend constexpr Gradient operator*(const Gradient& a, double b) { return chained(a.value * b, b, a); }
    friend constexpr Gradient operator*(double a, const Gradient& b) { return chained(a * b.value, a, b); }

    // The slope's reciprocal is formed beside the value's quotient, as the one-direction dual does.
    friend constexpr Gradient operator/(const Gradient& a, const Gradient& b)
    {
        Gradient r;
        r.value = a.value / b.value;
        const double inverse = 1.0 / b.value;
        for (std::size_t l = 0; l < L; ++l) r.d[l] = (a.d[l] - r.value * b.d[l]) * inverse;
        return r;
    }
    friend constexpr Gradient operator/(const Gradient& a, double b)
    {
        Gradient r;
        r.value = a.value / b;
        for (std::size_t l = 0; l < L; ++l) r.d[l] = a.d[l] / b;
        return r;
    }
    friend constexpr Gradient operator/(double a, const Gradient& b)
    {
        const double q = a / b.value;
        const double inverse = 1.0 / b.value;
        Gradient r;
        r.value = q;
        for (std::size_t l = 0; l < L; ++l) r.d[l] = -q * b.d[l] * inverse;
        return r;
    }

    // Comparisons read the values only.
    friend constexpr bool operator==(const Gradient& a, const Gradient& b) { return a.value == b.value; }
    friend constexpr bool operator==(const Gradient& a, double b) { return a.value == b; }
    friend constexpr auto operator<=>(const Gradient& a, const Gradient& b) { return a.value <=> b.value; }
    friend constexpr auto operator<=>(const Gradient& a, double b) { return a.value <=> b; }
};

template <std::size_t L>
inline Gradient<L> sqrt(const Gradient<L>& a)
{
    const double r = std::sqrt(a.value);
    Gradient<L> out;
    out.value = r;
    for (std::size_t l = 0; l < L; ++l) out.d[l] = a.d[l] / (2.0 * r);
    return out;
}

template <std::size_t L>
inline Gradient<L> exp(const Gradient<L>& a)
{
    const double e = std::exp(a.value);
    return Gradient<L>::chained(e, e, a);
}

template <std::size_t L>
inline Gradient<L> log(const Gradient<L>& a)
{
    Gradient<L> out;
    out.value = std::log(a.value);
    for (std::size_t l = 0; l < L; ++l) out.d[l] = a.d[l] / a.value;
    return out;
}

template <std::size_t L>
inline Gradient<L> log10(const Gradient<L>& a)
{
    Gradient<L> out;
    out.value = std::log10(a.value);
    for (std::size_t l = 0; l < L; ++l) out.d[l] = a.d[l] / (a.value * 2.302585092994046);
    return out;
}

// a^e for a constant exponent.
template <std::size_t L>
inline Gradient<L> pow(const Gradient<L>& a, double e)
{
    const double p = std::pow(a.value, e);
    const double factor = e * std::pow(a.value, e - 1.0);
    return Gradient<L>::chained(p, factor, a);
}

template <std::size_t L>
inline Gradient<L> atan(const Gradient<L>& a)
{
    Gradient<L> out;
    out.value = std::atan(a.value);
    for (std::size_t l = 0; l < L; ++l) out.d[l] = a.d[l] / (1.0 + a.value * a.value);
    return out;
}

// |a|, with the slopes of the side a lies on (of the positive side at 0).
template <std::size_t L>
inline Gradient<L> abs(const Gradient<L>& a)
{
    return a.value < 0.0 ? -a : a;
}

// The larger value with its own slopes; a NaN on one side gives the other, as std::fmax.
template <std::size_t L>
inline Gradient<L> fmax(const Gradient<L>& a, const Gradient<L>& b)
{
    return std::isnan(a.value) || b.value > a.value ? b : a;
}

template <std::size_t L>
inline bool isnan(const Gradient<L>& a)
{
    return std::isnan(a.value);
}
template <std::size_t L>
inline bool isfinite(const Gradient<L>& a)
{
    return std::isfinite(a.value);
}

template <std::size_t L>
constexpr double value_of(const Gradient<L>& a)
{
    return a.value;
}

static_assert(std::is_trivially_default_constructible_v<Gradient<4>> && std::is_trivially_copyable_v<Gradient<4>>);

}  // namespace kolvar::thermo
