// Gilliland's correlation of the stage count with the reflux, in Molokanov's form.
#include "engine/multicomponent/shortcut.hpp"

#include <cmath>

namespace kolvar::engine {
namespace {

// Y = 1 - exp[((1 + a X) / (b + c X)) (X - 1) / sqrt(X)].
struct Molokanov {
    double a;
    double b;
    double c;
};
constexpr Molokanov molokanov{54.4, 11.0, 117.2};

}  // namespace

double gilliland_stages(double n_min, double r_min, double reflux)
{
    const double x = (reflux - r_min) / (reflux + 1.0);
    const double exponent = (1.0 + molokanov.a * x) / (molokanov.b + molokanov.c * x) * (x - 1.0) / std::sqrt(x);
    // Y = 1 - e^exponent and 1 - Y = e^exponent, each without cancellation.
    const double y = -std::expm1(exponent);
    return (y + n_min) * std::exp(-exponent);
}

}  // namespace kolvar::engine
