// The warning categories of the package, kolvar.CompositionWarning,
// kolvar.LiquidSplitWarning and kolvar.UnitWarning, which kolvar/__init__.py
// re-exports.
#pragma once

#include "toolkit/warnings.hpp"

namespace kolvar::bind {

inline constexpr WarningCategory composition_warning{
    "_CompositionWarning", "kolvar.CompositionWarning",
    "A composition given to a ThermoSystem question that cannot be mole fractions:\n"
    "a negative entry, or a sum other than 1 (percentages are the usual cause).\n"
    "The composition is used as given."};

inline constexpr WarningCategory liquid_split_warning{
    "_LiquidSplitWarning", "kolvar.LiquidSplitWarning",
    "The bubble-point liquid of an equilibrium curve splits into two liquids over\n"
    "part of its range: the curve is metastable there (see\n"
    "kolvar.thermo.liquid_split)."};

inline constexpr WarningCategory unit_warning{
    "_UnitWarning", "kolvar.UnitWarning",
    "A temperature or pressure that no liquid of the system can have: most often\n"
    "a temperature in °C where K is meant, or a pressure in bar or Pa where kPa\n"
    "is meant. The value is used as given."};

}  // namespace kolvar::bind
