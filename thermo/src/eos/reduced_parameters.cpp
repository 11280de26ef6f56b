// Names, family constants, reduced parameters and the cubic in Z.
#include "eos/variant_table.hpp"
#include "numerics/dual.hpp"

namespace kolvar::thermo {
namespace {

double quadratic(const std::array<double, 3>& k, double x) { return k[0] + k[1] * x + k[2] * x * x; }

// Omega_a and Omega_b of a variant, with Omega_c (PatelTeja) and the
// component-specific u, w of the three-parameter families.
struct CriticalConstants {
    double omega_a;
    double omega_b;
    double omega_c = 0.0;
    double u = 0.0;
    double w = 0.0;
};

inline CriticalConstants critical_constants(EosFamily f, double omega)
{
    switch (f) {
    case EosFamily::SchmidtWenzel: {
        const double beta = quadratic(eos_data::schmidt_wenzel_beta, omega);
        const double zeta = 1.0 / (3.0 * (1.0 + beta * omega));
        const double a_root = 1.0 - zeta * (1.0 - beta);
        return {a_root * a_root * a_root, beta * zeta, 0.0, 1.0 + 3.0 * omega, -3.0 * omega};
    }
    case EosFamily::PatelTeja: {
        const double omega_b = quadratic(eos_data::patel_teja_omega_b, omega);
        const double zeta_c = quadratic(eos_data::patel_teja_zeta_c, omega);
        const double omega_c = 1.0 - 3.0 * zeta_c;
        const double omega_a =
            3.0 * zeta_c * zeta_c + 3.0 * (1.0 - 2.0 * zeta_c) * omega_b + omega_b * omega_b + omega_c;
        return {omega_a, omega_b, omega_c};
    }
    default: {
        const auto& k = eos_data::constants(f);
        return {k.omega_a, k.omega_b, 0.0, k.u, k.w};
    }
    }
}

}  // namespace

const char* name(Eos eos) { return eos_data::row(eos).name; }

EosFamily family(Eos eos) { return eos_data::row(eos).family; }

bool is_three_parameter(Eos eos)
{
    const EosFamily f = family(eos);
    return f == EosFamily::SchmidtWenzel || f == EosFamily::PatelTeja;
}

double family_u(Eos eos) { return is_three_parameter(eos) ? 0.0 : eos_data::constants(family(eos)).u; }

double family_w(Eos eos) { return is_three_parameter(eos) ? 0.0 : eos_data::constants(family(eos)).w; }

template <class Real, class Pressure>
BasicReducedParameters<Real> reduced_parameters(Eos eos, const Component& component, Real temperature,
                                                Pressure pressure)
{
    const Real tr = temperature / component.tc;
    const Pressure pr = pressure / component.pc;
    const EosFamily f = family(eos);
    const CriticalConstants k = critical_constants(f, component.omega);

    BasicReducedParameters<Real> r;
    r.a = k.omega_a * alpha(eos, tr, component) * pr / (tr * tr);
    r.b = k.omega_b * pr / tr;
    if (f == EosFamily::PatelTeja) {
        r.c = k.omega_c * pr / tr;
        r.u = r.b + r.c;
        r.w = -(r.b * r.c);
    }
    else {
        r.u = k.u * r.b;
        r.w = k.w * r.b * r.b;
    }
    return r;
}

template ReducedParameters reduced_parameters(Eos, const Component&, double, double);
template BasicReducedParameters<Dual> reduced_parameters(Eos, const Component&, Dual, double);
template BasicReducedParameters<Dual> reduced_parameters(Eos, const Component&, Dual, Dual);
template BasicReducedParameters<Tangent> reduced_parameters(Eos, const Component&, Tangent, Tangent);
#define KOLVAR_INSTANTIATE(R) \
    template BasicReducedParameters<R> reduced_parameters(Eos, const Component&, R, R);
KOLVAR_FOR_EACH_GRADIENT(KOLVAR_INSTANTIATE)
#undef KOLVAR_INSTANTIATE

}  // namespace kolvar::thermo
