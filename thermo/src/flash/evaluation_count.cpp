#include "flash/evaluation_count.hpp"

namespace kolvar::thermo::flash {

#ifdef KOLVAR_COUNT_FUGACITY
std::uint64_t fugacity_evaluations = 0;
#endif

}  // namespace kolvar::thermo::flash
