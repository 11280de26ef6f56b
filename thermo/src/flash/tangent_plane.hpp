// The trial loop of every tangent-plane stability test. Against a tested
// phase whose d_i = ln z_i + ln f~_i(z) (f~ the fugacity over P, or any term
// that differs from it by a constant per component shared with the trial),
// Michelsen's modified tangent-plane distance of a trial amount vector W is
//   tm(W) = 1 + sum_i W_i (ln W_i + ln f~_i(w) - d_i - 1),  w = W / sum W,
// and successive substitution ln W_i <- d_i - ln f~_i(w) walks W to a
// stationary point of tm. The trial phase may be of the tested phase's kind
// (a second liquid) or of the other kind (a vapour trial of a liquid), the
// caller's `term` deciding how ln f~ of the trial is formed. No heap
// allocation for up to 8 components.
#pragma once

#include "flash/extrapolation.hpp"
#include "thermo/flash.hpp"
#include "thermo/small_vector.hpp"

#include <algorithm>
#include <cmath>
#include <expected>
#include <limits>
#include <span>
#include <utility>

namespace kolvar::thermo::flash {

using TrialList = SmallVector<double, 8>;

inline constexpr unsigned trial_passes = 300;
inline constexpr double trial_change_tolerance = 1e-10;  // largest |ln W_new - ln W| of a converged trial
inline constexpr double trivial_distance = 1e-6;         // a same-kind trial this close to z has found z

// The value and the normalised composition of one trial, from the same pass.
struct Trial {
    double tpd = 0.0;
    TrialList w;
};

// The largest difference of two compositions; NaN when either holds a NaN.
inline double composition_distance(std::span<const double> a, std::span<const double> b)
{
    double d = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double gap = std::abs(a[i] - b[i]);
        if (!(gap <= d)) d = gap;
    }
    return d;
}

// Successive substitution from the normalised trial w, at most trial_passes
// passes, with extrapolation jumps; `term(w, out)` writes ln f~_i(w) of the
// trial phase. The passes end when no ln W_i changes by 1e-10 or, when
// `same` is not empty, once w comes within 1e-6 of it (the tested phase
// itself), or as soon as tm falls below `enough`. Returns tm and w of the
// last evaluated pass; once `arrived(w)` says that w has reached a
// stationary point already known, the passes end before w is evaluated, and
// only the returned w is that point's. A caller that has already evaluated
// the term at the start w passes it as `first_term`.
template <class Term, class Arrived>
std::expected<Trial, ThermoError> tangent_plane_trial(Term&& term, std::span<const double> d, TrialList w,
                                                      std::span<const double> same, Arrived&& arrived,
                                                      double enough = -std::numeric_limits<double>::infinity(),
                                                      std::span<const double> first_term = {})
{
    const std::size_t n = w.size();
    TrialList big_w = w;  // W, the unnormalised amounts
    TrialList ln_f(n), next(n), step(n);
    TrialList ln_big_w(n), ln_next(n);  // the logarithms of W and of the plain pass's new W
    const auto take_logarithms = [&] {
        for (std::size_t i = 0; i < n; ++i) ln_big_w[i] = std::log(big_w[i]);
    };
    take_logarithms();
    TrialList start_w(n), start(n);  // the plain pass a jump started from, W and w
    Extrapolation extrapolation(n);
    Trial evaluated{0.0, w};
    for (unsigned pass = 0; pass < trial_passes; ++pass) {
        // A point already known needs no evaluation of its own: the caller
        // takes that point's value.
        if (arrived(std::span<const double>(w))) {
            evaluated.w = w;
            break;
        }
        if (pass == 0 && !first_term.empty()) std::copy(first_term.begin(), first_term.end(), ln_f.begin());
        else if (auto ok = term(std::span<const double>(w), std::span<double>(ln_f)); !ok)
            return std::unexpected(ok.error());
        double tpd = 1.0;
        double change = 0.0;
        bool regular = true;  // every present amount positive and finite, so steps are finite
        for (std::size_t i = 0; i < n; ++i) {
            if (big_w[i] > 0.0) tpd += big_w[i] * (ln_big_w[i] + ln_f[i] - d[i] - 1.0);
            next[i] = std::isinf(d[i]) ? 0.0 : std::exp(d[i] - ln_f[i]);
            // ln of the new W is the exponent itself, unless exp left the
            // finite positive numbers.
            ln_next[i] = next[i] > 0.0 && std::isfinite(next[i]) ? d[i] - ln_f[i] : std::log(next[i]);
            step[i] = 0.0;
            if (next[i] > 0.0 || big_w[i] > 0.0) {
                step[i] = ln_next[i] - ln_big_w[i];
                const double size = std::abs(step[i]);
                if (size > change || std::isnan(size)) change = size;  // a NaN keeps the trial going
                regular = regular && std::isfinite(step[i]);
            }
        }
        evaluated.tpd = tpd;
        evaluated.w = w;
        if (change < trial_change_tolerance || tpd < enough ||
            (!same.empty() && composition_distance(w, same) < trivial_distance))
            break;
        const Extrapolation::Advice advice = regular ? extrapolation.advise(step) : Extrapolation::Advice{};
        if (advice.revert) {
            big_w = start_w;
            w = start;
            take_logarithms();
            continue;
        }
        if (advice.jump > 0.0) start_w = next;
        double total = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            const double moved = advice.jump > 0.0 ? next[i] * std::exp(advice.jump * step[i]) : next[i];
            next[i] = std::isfinite(moved) ? moved : next[i];
            total += next[i];
        }
        for (std::size_t i = 0; i < n; ++i) {
            big_w[i] = next[i];
            w[i] = next[i] / total;
        }
        // A plain pass's W is the one whose logarithms were just taken.
        if (advice.jump > 0.0) take_logarithms();
        else ln_big_w = ln_next;
        if (advice.jump > 0.0) {
            double plain = 0.0;
            for (double v : start_w) plain += v;
            for (std::size_t i = 0; i < n; ++i) start[i] = start_w[i] / plain;
        }
    }
    return evaluated;
}

template <class Term>
std::expected<Trial, ThermoError> tangent_plane_trial(Term&& term, std::span<const double> d, TrialList w,
                                                      std::span<const double> same = {})
{
    return tangent_plane_trial(term, d, std::move(w), same, [](std::span<const double>) { return false; });
}

}  // namespace kolvar::thermo::flash
