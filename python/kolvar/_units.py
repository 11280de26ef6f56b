"""Units: the command line's temperatures and pressures with a unit
(``74C``, ``1.01325bar``), the check of a column's top temperature, and the
unit of every quantity that the JSON report holds.

From Python every temperature is in K and every pressure in kPa absolute; a
value that no liquid of the system can have raises
:class:`kolvar.UnitWarning` instead of passing silently.
"""

from __future__ import annotations

import re
import warnings
from typing import Any, Callable, Dict, Sequence, Tuple

from ._engine import _UnitWarning as UnitWarning

__all__ = ["UnitWarning", "temperature", "pressure", "warn_column_top", "units_of"]

# Each unit's conversion to K or to kPa, by its spellings (matched regardless of case).
_KELVIN: Dict[str, Callable[[float], float]] = {
    "k": lambda v: v,
    "c": lambda v: v + 273.15,
    "degc": lambda v: v + 273.15,
    "°c": lambda v: v + 273.15,
    "f": lambda v: (v - 32.0) / 1.8 + 273.15,
    "degf": lambda v: (v - 32.0) / 1.8 + 273.15,
    "°f": lambda v: (v - 32.0) / 1.8 + 273.15,
}
_KPA: Dict[str, float] = {
    "kpa": 1.0,
    "pa": 1e-3,
    "mpa": 1e3,
    "bar": 100.0,
    "bara": 100.0,
    "mbar": 0.1,
    "atm": 101.325,
    "psi": 6.894757293168361,
    "psia": 6.894757293168361,
    "mmhg": 0.13332236842105263,
    "torr": 0.13332236842105263,
}
_TEMPERATURE_UNITS = "K, C (degC), F (degF)"
_PRESSURE_UNITS = "kPa, Pa, MPa, bar, mbar, atm, psia, mmHg, torr"

# A number as float() reads it (nan and inf included, so that the checks of
# the value itself can say what is wrong with it), then an optional unit.
_QUANTITY = re.compile(r"\s*([-+]?(?:(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?|nan|inf(?:inity)?))\s*(\S*)\s*$",
                       re.IGNORECASE)


def _split(text: str, what: str) -> Tuple[float, str]:
    match = _QUANTITY.match(text)
    if match is None:
        raise ValueError(f"expected a {what} such as {'74C or 347.15K' if what == 'temperature' else '1atm or 101.325kPa'}"
                         f", got {text!r}")
    return float(match.group(1)), match.group(2).lower()


def temperature(text: str) -> float:
    """A temperature in K from ``"347.15"``, ``"347.15K"``, ``"74C"``, ``"74degC"`` or ``"165F"``."""
    value, unit = _split(text, "temperature")
    if unit not in _KELVIN and unit != "":
        raise ValueError(f"unknown temperature unit {unit!r} in {text!r} (units: {_TEMPERATURE_UNITS})")
    kelvin = _KELVIN[unit or "k"](value)
    if not kelvin > 0.0:
        raise ValueError(f"{text!r} is not above absolute zero")
    return kelvin


def pressure(text: str) -> float:
    """A pressure in kPa absolute from ``"101.325"``, ``"101.325kPa"``, ``"1atm"``, ``"1.01325bar"``,
    ``"101325Pa"`` or ``"14.7psia"``; gauge pressures (``psig``, ``barg``) are refused."""
    value, unit = _split(text, "pressure")
    if unit not in _KPA and unit != "":
        gauge = " (gauge pressures are not taken: give it absolute)" if unit.endswith("g") else ""
        raise ValueError(f"unknown pressure unit {unit!r} in {text!r}{gauge} (units: {_PRESSURE_UNITS})")
    return value * _KPA[unit or "kpa"]


def warn_column_top(system: Any, top_temperature: float, distillate: Sequence[float], stacklevel: int = 3) -> None:
    """Issue :class:`UnitWarning` when the column's top is colder than its liquid can be.

    That is below every component's melting point (or 0.3·T_c), or below the
    melting point of the component that makes up most of the ``distillate``
    (at least half of it): so pure a liquid freezes near its own melting
    point.
    """
    note = system._implausible_temperature(top_temperature)
    if note is None:
        main = max(range(len(distillate)), key=distillate.__getitem__)
        melting = system.to_dict()["constants"][main].get("tm")
        if melting is None or distillate[main] < 0.5 or not top_temperature < melting:
            return
        name = system.components[main]
        note = (f"{top_temperature:.5g} K is below {name}'s melting point ({melting:.1f} K), and the distillate is "
                f"{100.0 * distillate[main]:.3g} % {name}")
    warnings.warn(
        f"the column's top: {note}; pressures are in kPa (one atmosphere is 101.325 kPa), so a pressure in bar "
        "is 100 times too small",
        UnitWarning,
        stacklevel=stacklevel,
    )


# The unit of each quantity of the JSON report, by its key (the same key
# means the same quantity wherever it appears).
_FRACTION = "mole fraction"
_LIGHT = "mole fraction of the light component"
_FLOW = "kmol/h"
UNITS: Dict[str, str] = {
    "pressure": "kPa (absolute)",
    "t": "K",
    "top_temperature": "K",
    "bottom_temperature": "K",
    "feed_temperature": "K",
    "tc": "K",
    "tb": "K",
    "tm": "K",
    "pc": "kPa",
    "vc": "cm3/mol",
    "liquid_volume": "cm3/mol",
    "mw": "g/mol",
    "rate": _FLOW,
    "feed_rate": _FLOW,
    "distillate_rate": _FLOW,
    "bottoms_rate": _FLOW,
    "reflux_flow": _FLOW,
    "vapour_flow": _FLOW,
    "stripping_liquid_flow": _FLOW,
    "boilup": _FLOW,
    "liquid_flow": _FLOW,
    "condenser_duty": "kW",
    "reboiler_duty": "kW",
    "x": _LIGHT,
    "y": _LIGHT,
    "z": _FRACTION,
    "x_distillate": _LIGHT,
    "x_bottoms": _LIGHT,
    "distillate": _FRACTION,
    "bottoms": _FRACTION,
    "q": "dimensionless (fraction of the feed joining the liquid)",
    "reflux": "dimensionless (L/D)",
    "r_min": "dimensionless (L/D)",
    "alpha": "dimensionless",
    "murphree": "dimensionless",
    "n_stages": "equilibrium stages (reboiler included)",
    "n_min": "equilibrium stages",
    "rectifying_stages": "equilibrium stages",
    "feed_stage": "stage number from the top",
    "stage": "stage number from the top",
    "index": "stage number from the top",
    "recoveries": "fraction of the key's feed",
    "pinch": "(x, y), mole fractions of the light component",
    "feed_point": "(x, y), mole fractions of the light component",
    "intersection": "(x, y), mole fractions of the light component",
    "staircase": "(x, y) corners, mole fractions of the light component",
    "slope": "dimensionless",
    "intercept": _LIGHT,
    "omega": "dimensionless",
    "zc": "dimensionless",
    "psat_coeffs": "reduced Antoine a1, a2, a3: ln(Psat/pc) = a1 - a2/(a3 + T), T in K",
    "cp_coeffs": "ideal-gas Cp/R = sum of a_k T^k, T in K",
    "top_difference_point": "(mole fraction, J/mol)",
    "bottom_difference_point": "(mole fraction, J/mol)",
}


def units_of(data: Any) -> Dict[str, str]:
    """The units of the quantities that ``data`` (plain JSON data) holds, by key, sorted."""
    found: Dict[str, str] = {}

    def walk(value: Any) -> None:
        if isinstance(value, dict):
            for key, item in value.items():
                if key in UNITS:
                    found[key] = UNITS[key]
                walk(item)
        elif isinstance(value, list):
            for item in value:
                walk(item)

    walk(data)
    return dict(sorted(found.items()))
