// Kirkbride's ratio of the rectifying to the stripping stages.
#include "engine/multicomponent/shortcut.hpp"

#include <cmath>

namespace kolvar::engine {
namespace {

constexpr double kirkbride_exponent = 0.206;

}  // namespace

double kirkbride_ratio(double bottoms_over_distillate, double z_heavy, double z_light, double x_bottoms_light,
                       double x_distillate_heavy)
{
    const double purity = x_bottoms_light / x_distillate_heavy;
    return std::pow(bottoms_over_distillate * (z_heavy / z_light) * purity * purity, kirkbride_exponent);
}

}  // namespace kolvar::engine
