// The equations of state as data: one row per variant, the family constants
// and the coefficients of the vapour-pressure alpha form.
#pragma once

#include "thermo/eos.hpp"

#include <array>
#include <cstddef>

namespace kolvar::thermo::eos_data {

// How alpha(Tr) is computed; each kind is one short function in alpha.cpp.
enum class AlphaKind {
    Soave,              // [1 + m (1 - sqrt Tr)]^2, m = k0 + k1 w + k2 w^2 + k3 w^3
    InverseSqrtTr,      // 1 / sqrt Tr
    InverseTr,          // 1 / Tr
    Unity,              // 1
    TenPower,           // 10^[(1 - Tr)(k0 + k1 w + k2 w^2)]
    LinearCorrelated,   // 1 + (1 - Tr)(m + n/Tr), m and n quadratic in g = w Zc (k0..k5)
    LinearParameters,   // 1 + (1 - Tr)(p1 + p2/Tr)
    ExpAbsPower,        // exp[p1 (1 - Tr)|1 - Tr|^(p3 - 1) + p2 (1/Tr - 1)]
    ExpSquareRoot,      // exp[p1 (1 - Tr) + p2 (1 - sqrt Tr)^2]
    SoaveShifted,       // Soave with kappa = kappa0 + p4 (1 + sqrt Tr)(0.7 - Tr), kappa0 cubic in w
    VaporPressure,      // Tr [1 + (1 - x)^e S(x)], x = ln(Psat / (pc Tr)), column `column`
    SchmidtWenzelKappa, // Soave with kappa piecewise in Tr, kappa0 = k0 + k1 w + k2 w^2
};

// w above is the acentric factor omega; p1..p4 are the component's eos_params.
struct VariantRow {
    Eos eos;                  // the row's variant: rows stand in declaration order
    const char* name;
    EosFamily family;
    AlphaKind alpha;
    std::array<double, 6> k;  // coefficients of the alpha kind (unused entries 0)
    int column;               // VaporPressure: column of the coefficient table, else -1
};

// Indexed by the variant's declaration index.
inline constexpr std::array<VariantRow, eos_count> variants{{
    // variant          name             family                    alpha kind                      coefficients                                                          col
    {Eos::PR1976,        "PR1976",        EosFamily::PR,            AlphaKind::Soave,               {0.37464, 1.54226, -0.26992, 0.0, 0.0, 0.0},                          -1},
    {Eos::RK1949,        "RK1949",        EosFamily::RK,            AlphaKind::InverseSqrtTr,       {},                                                                   -1},
    {Eos::RKS1972,       "RKS1972",       EosFamily::RK,            AlphaKind::Soave,               {0.48, 1.574, -0.176, 0.0, 0.0, 0.0},                                 -1},
    {Eos::VdW1870,       "VdW1870",       EosFamily::VdW,           AlphaKind::Unity,               {},                                                                   -1},
    {Eos::PRL1997,       "PRL1997",       EosFamily::PR,            AlphaKind::Soave,               {0.378710697, 1.487972964, -0.166754831, 0.017169486, 0.0, 0.0},      -1},
    {Eos::RKSL1997,      "RKSL1997",      EosFamily::RK,            AlphaKind::Soave,               {0.478972559, 1.576809191, -0.187219516, 0.020424946, 0.0, 0.0},      -1},
    {Eos::RKSGD1978,     "RKSGD1978",     EosFamily::RK,            AlphaKind::Soave,               {0.48508, 1.55171, -0.15613, 0.0, 0.0, 0.0},                          -1},
    {Eos::RP1978,        "RP1978",        EosFamily::PR,            AlphaKind::Soave,               {0.379642, 1.48503, -0.164423, 0.016666, 0.0, 0.0},                   -1},
    {Eos::Berth1899,     "Berth1899",     EosFamily::VdW,           AlphaKind::InverseTr,           {},                                                                   -1},
    {Eos::VdWAda1984,    "VdWAda1984",    EosFamily::VdW,           AlphaKind::TenPower,            {0.228165, 1.446486, -0.648552, 0.0, 0.0, 0.0},                       -1},
    {Eos::VdWVald1989,   "VdWVald1989",   EosFamily::RK,            AlphaKind::LinearCorrelated,    {0.4745, 2.7349, 6.0984, 0.0674, 2.1031, 3.9512},                     -1},
    {Eos::RKSmn1980,     "RKSmn1980",     EosFamily::RK,            AlphaKind::LinearParameters,    {},                                                                   -1},
    {Eos::RKSATmn1995,   "RKSATmn1995",   EosFamily::RK,            AlphaKind::ExpAbsPower,         {},                                                                   -1},
    {Eos::PRATmng1997,   "PRATmng1997",   EosFamily::PR,            AlphaKind::ExpAbsPower,         {},                                                                   -1},
    {Eos::PRMmn1989,     "PRMmn1989",     EosFamily::PR,            AlphaKind::ExpSquareRoot,       {},                                                                   -1},
    {Eos::PRSV1986,      "PRSV1986",      EosFamily::PR,            AlphaKind::SoaveShifted,        {0.378893, 1.4897153, -0.17131848, 0.0196554, 0.0, 0.0},              -1},
    {Eos::VdWOL1998,     "VdWOL1998",     EosFamily::VdW,           AlphaKind::VaporPressure,       {},                                                                    0},
    {Eos::RKOL1998,      "RKOL1998",      EosFamily::RK,            AlphaKind::VaporPressure,       {},                                                                    1},
    {Eos::PROL1998,      "PROL1998",      EosFamily::PR,            AlphaKind::VaporPressure,       {},                                                                    2},
    {Eos::SchmidtWenzel, "SchmidtWenzel", EosFamily::SchmidtWenzel, AlphaKind::SchmidtWenzelKappa,  {0.465, 1.347, -0.528, 0.0, 0.0, 0.0},                                -1},
    {Eos::PatelTeja,     "PatelTeja",     EosFamily::PatelTeja,     AlphaKind::Soave,               {0.452413, 1.30982, -0.295937, 0.0, 0.0, 0.0},                        -1},
    {Eos::PatelTejaUSB,  "PatelTejaUSB",  EosFamily::PatelTeja,     AlphaKind::Soave,               {0.452413, 1.30982, -0.295937, 0.0, 0.0, 0.0},                        -1},
}};

inline const VariantRow& row(Eos eos) { return variants[static_cast<unsigned>(eos)]; }

// Constants of the two-parameter families. u is the sum and w the product of
// the constants d1, d2 of the denominator v^2 + (d1 + d2) b v + d1 d2 b^2.
struct FamilyConstants {
    double u;
    double w;
    double omega_a;
    double omega_b;
};

// Indexed by EosFamily (PR, RK, VdW).
inline constexpr std::array<FamilyConstants, 3> two_parameter_families{{
    //  u     w     Omega_a            Omega_b
    {2.0, -1.0, 0.457235528921382, 0.0777960739038885},  // PR
    {1.0, 0.0, 0.427480233540341, 0.0866403499649577},   // RK
    {0.0, 0.0, 0.421875, 0.125},                         // VdW (27/64, 1/8)
}};

static_assert([] {
    for (const FamilyConstants& f : two_parameter_families)
        if (!(f.omega_a > 0.0 && f.omega_b > 0.0)) return false;
    return true;
}(), "every two-parameter family has its critical constants");

inline const FamilyConstants& constants(EosFamily f) { return two_parameter_families[static_cast<unsigned>(f)]; }

// Three-parameter families: quadratic correlations in omega, {k0, k1, k2}.
// SchmidtWenzel: beta; zeta = 1/(3(1 + beta w)), Omega_b = beta zeta,
//   Omega_a = [1 - zeta (1 - beta)]^3, u = 1 + 3w, w_eos = -3w.
inline constexpr std::array<double, 3> schmidt_wenzel_beta{0.25988221, -0.02142913, 0.00337143};
// PatelTeja: Omega_b and zeta_c; Omega_c = 1 - 3 zeta_c,
//   Omega_a = 3 zeta_c^2 + 3 (1 - 2 zeta_c) Omega_b + Omega_b^2 + Omega_c.
inline constexpr std::array<double, 3> patel_teja_omega_b{0.08517138, -0.02640592, 0.00788769};
inline constexpr std::array<double, 3> patel_teja_zeta_c{0.329032, -0.076799, 0.0211947};

// Vapour-pressure alpha form: S = sum_{k=1..10} c_{k-1} (-x)^k, exponent e.
struct VaporPressureColumn {
    std::array<double, 10> c;
    double e;
};

inline constexpr std::array<VaporPressureColumn, 3> vapor_pressure_columns{{
    // VdWOL1998
    {{0.33333333, 0.35112597, 0.011287433, -0.0038485685, 0.00064261934, -6.7252383e-05, 4.5962725e-06,
      -1.9990875e-07, 5.0318465e-09, -5.5827084e-11},
     -1.02},
    // RKOL1998
    {{0.32748, 0.34376954, 0.010596403, -0.0037538497, 0.00063257197, -6.6481e-05, 4.5517956e-06,
      -1.9796921e-07, 4.9748592e-09, -5.5024228e-11},
     -1.014},
    // PROL1998
    {{0.29803582, 0.015003698, -0.0047527103, 0.0008036716, -8.9548695e-05, 6.8691611e-06, -3.6067317e-07,
      1.2409205e-08, -2.5222671e-10, 2.2955503e-12},
     -0.00041},
}};

// The alpha kinds that read the row's coefficients.
constexpr bool reads_coefficients(AlphaKind kind)
{
    return kind == AlphaKind::Soave || kind == AlphaKind::TenPower || kind == AlphaKind::LinearCorrelated ||
           kind == AlphaKind::SoaveShifted || kind == AlphaKind::SchmidtWenzelKappa;
}

// Every row filled, in declaration order: coefficients where its alpha kind
// reads them, a coefficient column for a vapour-pressure row and none (-1)
// for the others.
constexpr bool variants_complete()
{
    if (static_cast<std::size_t>(Eos::PatelTejaUSB) + 1 != eos_count) return false;  // the last variant
    for (std::size_t i = 0; i < variants.size(); ++i) {
        const VariantRow& v = variants[i];
        if (static_cast<std::size_t>(v.eos) != i || v.name == nullptr || v.name[0] == '\0') return false;
        if (reads_coefficients(v.alpha) != (v.k[0] != 0.0)) return false;
        const bool vapor_pressure = v.alpha == AlphaKind::VaporPressure;
        const bool has_column = v.column >= 0 && static_cast<std::size_t>(v.column) < vapor_pressure_columns.size();
        if (vapor_pressure != has_column || (!vapor_pressure && v.column != -1)) return false;
    }
    return true;
}
static_assert(variants_complete(), "one filled row per Eos variant, in declaration order");

}  // namespace kolvar::thermo::eos_data
