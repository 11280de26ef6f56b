// Real roots of a monic cubic x^3 + a x^2 + b x + c = 0 in closed form.
//
// Cardano's formula for one real root, the trigonometric form for three, and
// a repeated-root case judged relative to the rounding noise of the
// discriminant (a double root comes back once). One root comes from the
// closed form (the largest in magnitude when all three are real) and the
// others from the quotient quadratic, so roots many decades apart keep their
// relative accuracy. No iteration; a caller that needs the last bit polishes
// the root it picks.
#pragma once

#include <array>
#include <expected>
#include <string>

namespace kolvar::thermo {

struct CubicRoots {
    std::array<double, 3> roots{};  // the first `count` entries: ascending, each more than
                                    // 1e-12 (relative) above the one before
    unsigned count = 0;             // 1, 2 or 3
};

struct CubicError {
    enum class Kind { LeadingNearZero, NonFinite };
    Kind kind;
    // Coefficients of a x^3 + b x^2 + c x + d; LeadingNearZero uses only `a`.
    double a = 0.0, b = 0.0, c = 0.0, d = 0.0;

    // "non-finite coefficient: a=1, b=NaN, c=..., d=..." or
    // "leading coefficient is near zero (...); not a cubic equation"
    std::string text() const;
};

// Pure, allocation-free. Fails only for a non-finite coefficient.
std::expected<CubicRoots, CubicError> solve_monic_cubic(double a, double b, double c);

}  // namespace kolvar::thermo
