// The stability test behind phase_stability and stable_flash, on a
// PhaseFugacity that the caller keeps for the (T, P) of its work.
#pragma once

#include "flash/tangent_plane.hpp"
#include "thermo/multiphase_flash.hpp"
#include "thermo/phase_fugacity.hpp"

#include <cmath>
#include <expected>
#include <limits>
#include <span>

namespace kolvar::thermo::flash {

// A phase already present: a trial that ends on it has found nothing new.
struct KnownPhase {
    Phase kind;
    std::span<const double> composition;
};

struct Stationary {
    double tpd = 0.0;
    Phase kind = Phase::Liquid;
    TrialList w;
    TrialList ln_phi;  // the trial's ln(f_i/(w_i P)) at w, of kind `kind`, where the test has it finite; else empty
};

// The lowest tangent-plane distance against d_i = ln f_i/P of the tested
// state (ln z_i + ln(f_i/(z_i P)) of one of its phases), from the trials of
// phase_stability around the composition z of `tested`. A trial that ends
// within 1e-6 of a known phase with |tm| below 1e-8 is that phase (value 0,
// composition z). With `solved_known` every known phase, the tested one
// included, is a solved phase of an equilibrium, and a trial that comes
// within 1e-4 of one has found it (within 1e-3 when no two known phases are
// closer than 1e-2); otherwise trials near the tested phase run on. A vapour
// trial that ends on a single root of a liquid's density (one equation of
// state for both phases) counts as a liquid trial, and only when liquids are
// asked for. With `first_negative` the trials stop at the first value below
// unstable_tpd. A finite `enough` (with `first_negative`) makes the test
// quick: the first pass of every trial comes first, and a trial whose tm
// falls below `enough` ends there (tm < 0 at any trial proves the tested
// phase unstable), its w the start of a split rather than a stationary point
// and its ln phi in `ln_phi`. With `solved_known`, a kind that has a known
// phase takes no trial from Wilson's start, which estimates that phase.
std::expected<Stationary, ThermoError> lowest_trial(const SystemSpec& spec, PhaseFugacity& phases,
                                                    double temperature, double pressure, const KnownPhase& tested,
                                                    std::span<const double> d, std::span<const KnownPhase> known,
                                                    TrialKinds kinds, bool first_negative, bool solved_known = false,
                                                    double enough = -std::numeric_limits<double>::infinity());

// With one equation of state for both phases, the kind the phase evaluated
// as `labelled` at composition w really is: a vapour whose cubic has a
// single root there at a molar volume below 1.75 covolumes (the mixture's B
// the mole-fraction average of the components') is a liquid reached as a
// vapour. Every other phase is what it is labelled. A caller that has just
// evaluated the vapour at w passes its root as `vapour_root`.
Phase true_kind(const SystemSpec& spec, PhaseFugacity& phases, double temperature, double pressure,
                Phase labelled, std::span<const double> w, const double* vapour_root = nullptr);

// Whether values_i is finite for every component present in w.
inline bool finite_where_present(std::span<const double> w, std::span<const double> values)
{
    for (std::size_t i = 0; i < w.size(); ++i)
        if (w[i] > 0.0 && !std::isfinite(values[i])) return false;
    return true;
}

// ln(f_i/(w_i P)) of the phase; Evaluation "non-finite fugacity at T = {T}
// K, P = {P} kPa" when some entry of a present component is not finite.
std::expected<void, ThermoError> finite_coefficients(PhaseFugacity& phases, double temperature, double pressure,
                                                     Phase kind, std::span<const double> w, std::span<double> out,
                                                     double* compressibility = nullptr);

}  // namespace kolvar::thermo::flash
