// The bubble (or dew) pressure iteration shared by the public pressure solver
// and the temperature scan.
#pragma once

#include "thermo/flash.hpp"

#include <expected>
#include <optional>
#include <span>

namespace kolvar::thermo::flash {

struct PressureSolution {
    double pressure = 0.0;  // kPa
    KValueResult last;      // the last K-value evaluation, at that pressure
};

// Why a pressure solve failed: the K-value evaluation's error, or, when that
// is empty, no convergence within the iteration limit with the last
// residual. The temperature scan discards most failures, so this one
// allocates nothing until it is turned into a ThermoError.
// A solve whose pressure sits on the 1e-9 kPa floor while the iteration
// still asks for less has no point above the floor: below_floor.
struct PressureFailure {
    std::optional<ThermoError> error;
    double residual = 0.0;
    bool below_floor = false;

    // The error, or NoConvergence "saturation pressure" with the limit and
    // the residual, or for a point below the floor Evaluation
    // "bubble pressure is below 1e-9 kPa at T = {T} K" ("dew pressure ...").
    ThermoError to_error(unsigned max_iterations, double temperature, Direction direction) &&;
};

// The largest |ln(K_new/K_old)| of the last pass for which a point counts as
// solved: K-values still moving by more belong to a liquid other than the
// incipient one reported with them.
inline constexpr double settled_change = 1e-4;

// Successive substitution on P at temperature T, starting from Wilson's
// estimate: P0 = sum x_i W_i(T) (bubble) or 1/sum(y_i/W_i(T)) (dew), at least
// 1e-6 kPa, K_i = W_i/P0. Each iteration runs evaluate_k (at most 40 passes),
// stops when |S - 1| < tolerance with the K-values settled, and otherwise moves P to P S (bubble) or P/S
// (dew), never below 1e-9 kPa; at that floor, an update that asks for less
// once the K-values have settled (or on the last iteration) ends the solve
// as below_floor. An iteration that leaves P and every K
// bitwise unchanged would repeat itself until the limit, so its failure is
// returned at once. `k` needs n entries and receives the final K-values.
// A trivial (K = 1) solution is returned as found; callers decide.
std::expected<PressureSolution, PressureFailure> solve_pressure(const SystemSpec& spec, double temperature,
                                                            std::span<const double> x, Direction direction,
                                                            double tolerance, unsigned max_iterations,
                                                               std::span<double> k);

// The temperature at which the bubble pressure of x (the dew pressure of y
// for Direction::Dew) equals P: the grid scan, bisection and final
// evaluation that bubble_temperature documents, in either direction. The
// dew direction's final-sum failure reads "dew temperature".
std::expected<IncipientPoint, ThermoError> incipient_temperature(const SystemSpec& spec, double pressure,
                                                                 std::span<const double> x, Direction direction,
                                                                 double tolerance, unsigned max_iterations);

// A solved point whose K-values or incipient composition are not finite (an
// activity model or equation of state that gave NaN on the last pass) is no
// answer: NaN changes do not stop the pass loop, so such a point can look
// converged. Nor is one with a K-value of zero: exp(ln phi^L - ln phi^V)
// underflows only where the fugacities have lost all precision (absurd
// pressures). Returns the Evaluation error
// "non-finite K-values at T = {T} K, P = {P} kPa" or
// "K-values underflow to 0 at T = {T} K, P = {P} kPa", or nothing.
std::optional<ThermoError> non_finite_result(std::span<const double> k, std::span<const double> incipient,
                                             double temperature, double pressure);

// The Evaluation error "non-finite K-values at T = {T} K, P = {P} kPa".
ThermoError non_finite_k_values(double temperature, double pressure);

}  // namespace kolvar::thermo::flash
