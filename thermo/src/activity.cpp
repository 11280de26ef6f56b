#include "thermo/activity.hpp"

#include "activity/models.hpp"
#include "constants.hpp"
#include "thermo/activity_table.hpp"
#include "numerics/dual.hpp"

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

namespace kolvar::thermo {
namespace {

// A van Laar denominator smaller than this gives ln gamma = 0 instead of 0/0.
constexpr double van_laar_denominator_floor = 2.220446049250313e-16;
// Wilson keeps its per-component sums on the stack up to this many components
// and recomputes them beyond it, so no size ever allocates.
constexpr std::size_t wilson_stack_components = 16;

// Temperature-independent: the dimensionless parameters are used as given.
template <class Real>
void van_laar(std::span<const StateScalar<Real>> x, ParameterRows a, std::span<Real> out)
{
    using X = StateScalar<Real>;
    const std::size_t n = x.size();
    for (std::size_t i = 0; i < n; ++i) {
        X row = 0.0;     // sum_j A_ij x_j
        X column = 0.0;  // sum_j x_j A_ji
        for (std::size_t j = 0; j < n; ++j) {
            row += a[i][j] * x[j];
            column += x[j] * a[j][i];
        }
        const X denominator = column * (1.0 - x[i]) + row * x[i];
        if (std::abs(value_of(denominator)) < van_laar_denominator_floor) {
            out[i] = 0.0;
        } else {
            const X ratio = column / denominator;
            out[i] = row * (1.0 - x[i]) * ratio * ratio;
        }
    }
}

template <class Real>
class WilsonTerms {
public:
    WilsonTerms(Real temperature, std::span<const StateScalar<Real>> x, ParameterRows a,
                std::span<const double> volumes)
        : rt_(constants::gas_constant * temperature), x_(x), a_(a), volumes_(volumes)
    {
        if (x_.size() <= wilson_stack_components) {
            for (std::size_t i = 0; i < x_.size(); ++i) sums_[i] = compute_sum(i);
        }
    }

    // Lambda_ij = (V_j / V_i) exp(-lambda_ij / RT), Lambda_ii = 1.
    Real lambda(std::size_t i, std::size_t j) const
    {
        if (i == j) return 1.0;
        return volumes_[j] / volumes_[i] * exp(-a_[i][j] / rt_);
    }

    // S_i = sum_j x_j Lambda_ij.
    Real sum(std::size_t i) const
    {
        return x_.size() <= wilson_stack_components ? sums_[i] : compute_sum(i);
    }

private:
    Real compute_sum(std::size_t i) const
    {
        Real s = 0.0;
        for (std::size_t j = 0; j < x_.size(); ++j) s += x_[j] * lambda(i, j);
        return s;
    }

    Real rt_;
    std::span<const StateScalar<Real>> x_;
    ParameterRows a_;
    std::span<const double> volumes_;
    std::array<Real, wilson_stack_components> sums_{};
};

template <class Real>
void wilson(Real temperature, std::span<const StateScalar<Real>> x, const ActivityInputs& inputs,
            std::span<Real> out)
{
    const WilsonTerms<Real> terms(temperature, x, inputs.parameters, inputs.molar_volumes);
    for (std::size_t i = 0; i < x.size(); ++i) {
        Real tail = 0.0;  // sum_k x_k Lambda_ki / S_k
        for (std::size_t k = 0; k < x.size(); ++k) tail += x[k] * terms.lambda(k, i) / terms.sum(k);
        out[i] = 1.0 - log(terms.sum(i)) - tail;
    }
}

template <class Real>
void regular_solution(Real temperature, std::span<const StateScalar<Real>> x, const ActivityInputs& inputs,
                      std::span<Real> out)
{
    const auto volumes = inputs.molar_volumes;
    const auto delta = inputs.solubility_parameters;
    using X = StateScalar<Real>;
    X total_volume = 0.0;  // sum x_l V_l
    X weighted = 0.0;      // sum x_k V_k delta_k
    for (std::size_t k = 0; k < x.size(); ++k) {
        total_volume += x[k] * volumes[k];
        weighted += x[k] * volumes[k] * delta[k];
    }
    const X mean_delta = weighted / total_volume;
    const Real rt = constants::gas_constant_calorie * temperature;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const X difference = delta[i] - mean_delta;
        out[i] = volumes[i] * difference * difference / rt;
    }
}

// Temperature-independent, as van Laar.
template <class Real>
void margules(std::span<const StateScalar<Real>> x, ParameterRows a, std::span<Real> out)
{
    if (x.size() != 2) {
        // A two-component model: any other size has no meaning, and NaN makes
        // the misuse visible wherever the values are used.
        for (Real& value : out) value = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    const double a12 = a[0][1];
    const double a21 = a[1][0];
    const StateScalar<Real> x1 = x[0];
    const StateScalar<Real> x2 = x[1];
    out[0] = x2 * x2 * (a12 + 2.0 * (a21 - a12) * x1);
    out[1] = x1 * x1 * (a21 + 2.0 * (a12 - a21) * x2);
}

}  // namespace

const char* name(ActivityModel model)
{
    const auto index = static_cast<std::size_t>(model);
    return index < activity_data::model_count ? activity_data::models[index].name : "?";
}

template <class Real>
void ln_gamma(ActivityModel model, Real temperature, std::span<const StateScalar<Real>> x,
              const ActivityInputs& inputs, std::type_identity_t<std::span<Real>> out)
{
    switch (model) {
    case ActivityModel::VanLaar: van_laar(x, inputs.parameters, out); return;
    case ActivityModel::Wilson: wilson(temperature, x, inputs, out); return;
    case ActivityModel::RegularSolution: regular_solution(temperature, x, inputs, out); return;
    case ActivityModel::Margules: margules(x, inputs.parameters, out); return;
    case ActivityModel::IdealLiquid:
        for (Real& value : out.first(x.size())) value = 0.0;
        return;
    case ActivityModel::NRTL: activity::nrtl(temperature, x, inputs, out); return;
    case ActivityModel::UNIQUAC: activity::uniquac(temperature, x, inputs, out); return;
    case ActivityModel::UNIFAC:
    case ActivityModel::UNIFACDortmund: activity::unifac(temperature, x, inputs, out); return;
    }
}

template <class Real>
Real excess_gibbs(ActivityModel model, Real temperature, std::span<const StateScalar<Real>> x,
                  const ActivityInputs& inputs, std::type_identity_t<std::span<Real>> out)
{
    ln_gamma(model, temperature, x, inputs, out);
    if (model == ActivityModel::Margules && x.size() != 2) return std::numeric_limits<double>::quiet_NaN();
    Real g = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) g += x[i] * out[i];
    return g;
}

template void ln_gamma(ActivityModel, double, std::span<const double>, const ActivityInputs&, std::span<double>);
template void ln_gamma(ActivityModel, Dual, std::span<const double>, const ActivityInputs&, std::span<Dual>);
template double excess_gibbs(ActivityModel, double, std::span<const double>, const ActivityInputs&,
                             std::span<double>);
template Dual excess_gibbs(ActivityModel, Dual, std::span<const double>, const ActivityInputs&, std::span<Dual>);
template void ln_gamma(ActivityModel, Tangent, std::span<const Tangent>, const ActivityInputs&, std::span<Tangent>);
template Tangent excess_gibbs(ActivityModel, Tangent, std::span<const Tangent>, const ActivityInputs&,
                              std::span<Tangent>);
#define KOLVAR_INSTANTIATE(R) \
    template void ln_gamma(ActivityModel, R, std::span<const R>, const ActivityInputs&, std::span<R>); \
    template R excess_gibbs(ActivityModel, R, std::span<const R>, const ActivityInputs&, std::span<R>);
KOLVAR_FOR_EACH_GRADIENT(KOLVAR_INSTANTIATE)
#undef KOLVAR_INSTANTIATE

}  // namespace kolvar::thermo
