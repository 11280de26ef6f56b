// Number of mixture fugacity evaluations made by the K-value passes, kept only
// in builds compiled with KOLVAR_COUNT_FUGACITY defined (for instance
// -DCMAKE_CXX_FLAGS=-DKOLVAR_COUNT_FUGACITY, for the benchmarks); elsewhere
// counting compiles to nothing and no such state exists.
#pragma once

#include <cstdint>

namespace kolvar::thermo::flash {

#ifdef KOLVAR_COUNT_FUGACITY
extern std::uint64_t fugacity_evaluations;
inline void count_fugacity_evaluation() { ++fugacity_evaluations; }
#else
inline void count_fugacity_evaluation() {}
#endif

}  // namespace kolvar::thermo::flash
