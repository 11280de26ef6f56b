#include "thermo/pressure_units.hpp"

#include "kolvar/format.hpp"

namespace kolvar::engine {

std::optional<std::string> above_every_critical_pressure(const ThermoSystem& system, double pressure)
{
    std::string critical;
    for (const thermo::Component& component : system.components()) {
        if (!(component.pc > 0.0) || !(pressure > component.pc)) return std::nullopt;
        critical += format::text(critical.empty() ? "" : ", ", component.name, " ", component.pc, " kPa");
    }
    return format::text("above the critical pressure of every component (", critical,
                        "); pressures are in kPa (one atmosphere is 101.325 kPa): a pressure in Pa is 1000 times "
                        "too large");
}

}  // namespace kolvar::engine
