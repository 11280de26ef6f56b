"""The liquid-split test along a binary bubble line: where the bubble-point
liquid is unstable (it separates into two liquids), refined at its edges."""

from __future__ import annotations

import warnings
from typing import Callable, Optional, Sequence, Tuple

from ._engine import EquilibriumCurve, ThermoSystem
from ._engine import _LiquidSplitWarning as LiquidSplitWarning

#: A liquid counts as unstable when its smallest tangent-plane distance is
#: below minus this: the trivial solution (trial phase = the liquid itself)
#: has a distance of 0 up to rounding, which must not read as a split.
TPD_TOLERANCE = 1e-9

# The split's edges are refined by bisection between the last stable and the
# first unstable grid point until the bracket is this narrow in x.
_EDGE_WIDTH = 1e-6


def curve_without_split_warning(system: ThermoSystem, pressure: float, n_points: int) -> EquilibriumCurve:
    """``EquilibriumCurve.from_thermo`` for callers that test and report the split themselves."""
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", LiquidSplitWarning)
        return EquilibriumCurve.from_thermo(system, pressure, n_points)


def split_along_curve(system: ThermoSystem, curve: EquilibriumCurve) -> Optional[Tuple[float, float]]:
    """``liquid_split`` on a curve already built from ``system`` (with T and P)."""
    pressure = curve.pressure
    if pressure is None or len(curve.t) != len(curve.x):
        raise ValueError("the liquid-split test needs a curve made by EquilibriumCurve.from_thermo")

    def tpd_at(x: float) -> float:
        temperature = system.bubble_temperature(pressure, [x, 1.0 - x])[0]
        return system.liquid_stability(temperature, pressure, [x, 1.0 - x])[0]

    interior = [(x, t) for x, t in zip(curve.x, curve.t) if 0.0 < x < 1.0]
    tpds = [system.liquid_stability(t, pressure, [x, 1.0 - x])[0] for x, t in interior]
    return _unstable_range([x for x, _ in interior], tpds, tpd_at)


def split_at_temperature(
    system: ThermoSystem, temperature: float, xs: Sequence[float], pressures: Sequence[float]
) -> Optional[Tuple[float, float]]:
    """The split along the bubble-pressure line P(x) at one temperature."""

    def tpd_at(x: float) -> float:
        pressure = system.bubble_pressure(temperature, [x, 1.0 - x])[0]
        return system.liquid_stability(temperature, pressure, [x, 1.0 - x])[0]

    interior = [(x, p) for x, p in zip(xs, pressures) if 0.0 < x < 1.0]
    tpds = [system.liquid_stability(temperature, p, [x, 1.0 - x])[0] for x, p in interior]
    return _unstable_range([x for x, _ in interior], tpds, tpd_at)


def _unstable_range(
    xs: Sequence[float], tpds: Sequence[float], tpd_at: Callable[[float], float]
) -> Optional[Tuple[float, float]]:
    """First to last unstable x of an increasing grid inside (0, 1), edges refined.

    The pure liquids at x = 0 and 1 are stable (there is nothing to split
    into), so they bound the outermost bisections.
    """
    unstable = [i for i, tpd in enumerate(tpds) if tpd < -TPD_TOLERANCE]
    if not unstable:
        return None
    first, last = unstable[0], unstable[-1]
    below = xs[first - 1] if first > 0 else 0.0
    above = xs[last + 1] if last + 1 < len(xs) else 1.0
    return (_edge(below, xs[first], tpd_at), _edge(above, xs[last], tpd_at))


def _edge(stable: float, unstable: float, tpd_at: Callable[[float], float]) -> float:
    """Bisect between a stable and an unstable x; returns the unstable end."""
    while abs(unstable - stable) > _EDGE_WIDTH:
        middle = 0.5 * (stable + unstable)
        if tpd_at(middle) < -TPD_TOLERANCE:
            unstable = middle
        else:
            stable = middle
    return unstable
