#include "flash/classical_fugacity.hpp"

#include "mixture/phase_root.hpp"

#include <cmath>

namespace kolvar::thermo::flash {
namespace {

// Relative step of the central difference that gives d alpha / dTr: its
// truncation and rounding errors are both near 1e-10, far below what the
// Newton iterations notice.
constexpr double alpha_step = 1e-5;

bool takes(const SystemSpec& spec)
{
    const auto* phi_phi = std::get_if<liquid::PhiPhi>(&spec.liquid);
    if (!phi_phi || spec.vapor.kind != VaporModel::Kind::Eos || spec.vapor.eos != phi_phi->eos) return false;
    if (static_cast<unsigned>(phi_phi->eos) >= eos_count || is_three_parameter(phi_phi->eos)) return false;
    if (spec.mixing_rule != MixingRule::Classical && spec.mixing_rule != MixingRule::IVDW) return false;
    const std::size_t n = spec.components.size();
    if (n == 0 || n > 8) return false;
    if (spec.kij.empty()) return true;
    if (spec.kij.size() != n) return false;
    for (const auto& row : spec.kij)
        if (row.size() != n) return false;
    return true;
}

}  // namespace

std::optional<ClassicalMixture> classical_mixture(const SystemSpec& spec)
{
    if (!takes(spec)) return std::nullopt;
    ClassicalMixture mixture;
    mixture.components = spec.components;
    mixture.eos = spec.vapor.eos;
    mixture.u = family_u(mixture.eos);
    mixture.w = family_w(mixture.eos);
    const std::size_t n = spec.components.size();
    mixture.interaction.resize(n * n);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j)
            mixture.interaction[i * n + j] = spec.kij.empty() ? 1.0 : 1.0 - (spec.kij[i][j] + spec.kij[j][i]) / 2.0;
    return mixture;
}

void CubicState::prepare(const ClassicalMixture& mixture, double temperature, double pressure)
{
    const std::size_t n = mixture.size();
    temperature_ = temperature;
    pressure_ = pressure;
    a_.resize(n);
    b_.resize(n);
    log_a_dt_.resize(n);
    a_ij_.resize(n * n);
    physical_ = true;
    for (std::size_t i = 0; i < n; ++i) {
        const Component& c = mixture.components[i];
        const ReducedParameters r = reduced_parameters(mixture.eos, c, temperature, pressure);
        a_[i] = r.a;
        b_[i] = r.b;
        const double tr = temperature / c.tc;
        const double h = alpha_step * tr;
        const double slope = (alpha(mixture.eos, tr + h, c) - alpha(mixture.eos, tr - h, c)) / (2.0 * h);
        log_a_dt_[i] = slope / (alpha(mixture.eos, tr, c) * c.tc) - 2.0 / temperature;
        physical_ = physical_ && r.a > 0.0 && std::isfinite(r.a) && slope <= 0.0;
    }
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j)
            a_ij_[i * n + j] = std::sqrt(a_[i] * a_[j]) * mixture.interaction[i * n + j];
}

std::optional<double> CubicState::ln_phi(const ClassicalMixture& mixture, std::span<const double> z,
                                         Phase phase, std::span<double> out, const Slopes* slopes) const
{
    const std::size_t n = mixture.size();
    SmallVector<double, 8> s(n);
    double a = 0.0;
    double b = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        double sum = 0.0;
        for (std::size_t j = 0; j < n; ++j) sum += z[j] * a_ij_[i * n + j];
        s[i] = sum;
        a += z[i] * sum;
        b += z[i] * b_[i];
    }
    const double u = mixture.u * b;
    const double w = mixture.w * b * b;
    const CubicCoefficients k = cubic_coefficients(a, b, u, w);
    const auto root = phase_root(k, b, phase);
    if (!root || !*root) return std::nullopt;
    const double zr = **root;
    if (!(zr > b) || !std::isfinite(zr)) return std::nullopt;

    const double q = (zr + u) * zr + w;
    const double delta = u * u - 4.0 * w;
    double g;
    if (std::abs(delta) <= 1e-12 * std::fmax(std::fmax(u * u, 4.0 * std::abs(w)), 1e-300)) {
        g = 1.0 / (zr + u / 2.0);
    }
    else {
        const double r = std::sqrt(delta);
        const double p = 2.0 * zr + u;
        g = std::log((p + r) / (p - r)) / r;
    }
    const double ln_free = std::log(zr - b);
    const double inv_b = 1.0 / b;
    for (std::size_t i = 0; i < n; ++i) {
        const double beta = b_[i] * inv_b;
        out[i] = beta * (zr - 1.0) - ln_free - g * (2.0 * s[i] - a * beta);
    }
    if (!slopes) return zr;

    // Implicit derivative of the root, then the chain rule through g.
    const double uf = mixture.u;
    const double wf = mixture.w;
    const double g_a = zr - b;
    const double g_b = (uf - 1.0) * zr * zr + (2.0 * wf * b - uf - 2.0 * uf * b) * zr - (a + 2.0 * wf * b + 3.0 * wf * b * b);
    const double g_z = (3.0 * zr + 2.0 * k.c2) * zr + k.c1;
    const double inv_gz = 1.0 / g_z;
    const double inv_q = 1.0 / q;
    const double inv_free = 1.0 / (zr - b);
    const double g_per_b = zr * inv_b * inv_q - g * inv_b;  // dg/dB at fixed Z

    // Along T: A' = sum z_i e_i s_i, B' = -B/T, (2 s_i)' = e_i s_i + r_i.
    double a_t = 0.0;
    for (std::size_t i = 0; i < n; ++i) a_t += z[i] * log_a_dt_[i] * s[i];
    const double b_t = -b / temperature_;
    const double z_t = -(g_a * a_t + g_b * b_t) * inv_gz;
    const double gt = -z_t * inv_q + g_per_b * b_t;
    // Along ln P: A' = A, B' = B, (2 s_i)' = 2 s_i.
    const double z_p = -(g_a * a + g_b * b) * inv_gz;
    const double gp = -z_p * inv_q + g_per_b * b;
    for (std::size_t i = 0; i < n; ++i) {
        const double beta = b_[i] * inv_b;
        double r = 0.0;
        for (std::size_t j = 0; j < n; ++j) r += z[j] * a_ij_[i * n + j] * log_a_dt_[j];
        const double attraction = 2.0 * s[i] - a * beta;
        slopes->temperature[i] = beta * z_t - (z_t - b_t) * inv_free - gt * attraction -
                                 g * (log_a_dt_[i] * s[i] + r - a_t * beta);
        slopes->log_pressure[i] = beta * z_p - (z_p - b) * inv_free - gp * attraction - g * attraction;
    }
    if (slopes->composition.size() < n * n) return zr;

    // Along N_j (times N): B' = B_j - B, A' = 2 s_j - 2A, (2 s_i)' = 2 a_ij - 2 s_i,
    // (B_i/B)' = -(B_i/B)(B_j - B)/B.
    for (std::size_t j = 0; j < n; ++j) {
        const double b_j = b_[j] - b;
        const double a_j = 2.0 * s[j] - 2.0 * a;
        const double z_j = -(g_a * a_j + g_b * b_j) * inv_gz;
        const double gj = -z_j * inv_q + g_per_b * b_j;
        for (std::size_t i = 0; i < n; ++i) {
            const double beta = b_[i] * inv_b;
            const double beta_j = -beta * b_j * inv_b;
            const double attraction = 2.0 * s[i] - a * beta;
            const double attraction_j = 2.0 * a_ij_[i * n + j] - 2.0 * s[i] - a_j * beta - a * beta_j;
            slopes->composition[i * n + j] = beta_j * (zr - 1.0) + beta * z_j - (z_j - b_j) * inv_free -
                                             gj * attraction - g * attraction_j;
        }
    }
    return zr;
}

}  // namespace kolvar::thermo::flash
