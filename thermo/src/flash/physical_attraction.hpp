// Whether the equations of state of a system describe its components at a
// temperature: an attraction parameter that is positive, finite and falls as
// the temperature rises. The vapour-pressure alpha functions, used far below
// the range of their correlations, break this (one rises through zero with
// T), and a root of the cubic found there is no state of the fluid. The
// solvers ask this at every temperature they evaluate and step past one that
// fails; the alpha, mixing-rule and ln phi functions keep their values.
#pragma once

#include "thermo/flash.hpp"

#include <expected>

namespace kolvar::thermo::flash {

// Evaluation "the attraction parameter of {name} in {Eos} is not physical at
// T = {T} K (alpha = {a}, d alpha/dT = {s})" for the first component that
// fails, in the vapour's equation of state and then the phi-phi liquid's.
// Systems without an equation of state pass.
std::expected<void, ThermoError> physical_attraction(const SystemSpec& spec, double temperature);

}  // namespace kolvar::thermo::flash
