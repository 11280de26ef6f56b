"""Phase diagrams of a binary: T–x–y at one pressure, P–x–y at one temperature."""

from __future__ import annotations

import math
from typing import TYPE_CHECKING, Callable, List, Literal, Optional, Sequence, Tuple, Union

from .._engine import EquilibriumCurve, ThermoSystem
from ._common import (
    CURVE,
    STRIPPING,
    target_axes,
    binary_names,
    light_name,
    mark_split,
    require_matplotlib,
    system_line,
)

if TYPE_CHECKING:  # pragma: no cover - only for type checkers
    from matplotlib.axes import Axes


def txy(
    source: Union[EquilibriumCurve, ThermoSystem],
    ax: Optional[Axes] = None,
    *,
    components: Optional[Sequence[str]] = None,
    pressure: Optional[float] = None,
    n_points: int = 101,
    system: Optional[ThermoSystem] = None,
) -> Axes:
    """Draw the T–x–y diagram: bubble line T(x) and dew line T(y).

    ``source`` is a binary ``ThermoSystem`` (light component first) with a
    ``pressure`` in kPa, or a curve with bubble temperatures
    (``EquilibriumCurve.from_thermo``, or ``from_points`` with ``t``).

    From a system, the bubble line is ``EquilibriumCurve.from_thermo`` on
    ``n_points`` and the dew line is solved by ``dew_temperature`` on the
    same grid of y; where the bubble-point liquid splits into two liquids
    (``kolvar.thermo.liquid_split``) the x range is shaded.  From a curve,
    the dew line joins each bubble point's vapour (y*, T), which is a dew
    point too.  A curve does not carry its components: give the ``system``
    it was made from (``EquilibriumCurve.from_thermo``) to name them and to
    shade its liquid split, or name them with ``components``.  An azeotrope,
    where the bubble and dew lines touch, is marked.
    """
    if isinstance(source, ThermoSystem):
        if pressure is None:
            raise ValueError("txy of a ThermoSystem needs the pressure in kPa: txy(system, pressure=...)")
        return txy_of_system(source, float(pressure), n_points, ax, components)
    if pressure is not None:
        raise ValueError("pressure applies to txy of a ThermoSystem; a curve carries its own")
    curve = source
    split = None
    if system is not None:
        from .._liquid_split import split_along_curve

        components = binary_names(system, components)
        require_matplotlib()  # before the stability tests, which are the slow part
        split = split_along_curve(system, curve)
    temperatures = curve.t
    if not temperatures:
        raise ValueError(
            "txy needs a curve with bubble temperatures; this one has none "
            "(build it with EquilibriumCurve.from_thermo, or from_points with t=...)"
        )
    light = light_name(components)
    ax = target_axes(ax)
    ax.plot(curve.x, temperatures, color=CURVE, linewidth=1.6, label="bubble line T(x)", gid="bubble")
    ax.plot(curve.y, temperatures, color=STRIPPING, linewidth=1.6, label="dew line T(y)", gid="dew")
    mark_split(ax, split)
    _mark_azeotropes(ax, curve.x, curve.y, temperatures)
    return finish_phase_diagram(ax, light, "T [K]", system_line(curve, components), "upper right")


def txy_of_system(
    system: ThermoSystem, pressure: float, n_points: int, ax: Optional[Axes], components: Optional[Sequence[str]]
) -> Axes:
    from .._liquid_split import curve_without_split_warning, split_along_curve

    names = binary_names(system, components)
    light = light_name(names)
    require_matplotlib()  # before the sweeps, which are the slow part
    curve = curve_without_split_warning(system, pressure, n_points)  # the diagram shades the split
    dew, missing = dew_line(lambda y: system.dew_temperature(pressure, [y, 1.0 - y])[0], curve.x)
    split = split_along_curve(system, curve)
    ax = target_axes(ax)
    ax.plot(curve.x, curve.t, color=CURVE, linewidth=1.6, label="bubble line T(x)", gid="bubble")
    ax.plot(curve.x, dew, color=STRIPPING, linewidth=1.6, label="dew line T(y)" + missing, gid="dew")
    mark_split(ax, split)
    _mark_azeotropes(ax, curve.x, curve.y, curve.t)
    return finish_phase_diagram(ax, light, "T [K]", system_line(curve, names), "best")


def _azeotropes(xs: Sequence[float], ys: Sequence[float], ts: Sequence[float]) -> List[Tuple[float, float]]:
    """(x, T) where y* − x changes sign between interior samples, interpolated linearly."""
    found = []
    for i in range(1, len(xs) - 2):
        d0, d1 = ys[i] - xs[i], ys[i + 1] - xs[i + 1]
        if d0 == 0.0:
            found.append((xs[i], ts[i]))
        elif d0 * d1 < 0.0:
            f = d0 / (d0 - d1)
            found.append((xs[i] + f * (xs[i + 1] - xs[i]), ts[i] + f * (ts[i + 1] - ts[i])))
    return found


def _mark_azeotropes(
    ax: Axes, xs: Sequence[float], ys: Sequence[float], values: Sequence[float], quantity: str = "T = {:.4g} K"
) -> None:
    """Mark each azeotrope at (x, value), named with ``quantity`` formatted with the value."""
    for x, value in _azeotropes(xs, ys, values):
        ax.plot([x], [value], linestyle="none", marker="o", markersize=6, markerfacecolor="white",
                markeredgecolor="0.15", zorder=5, label=f"azeotrope, x = {x:.3f}, " + quantity.format(value),
                gid="azeotrope")


def pxy(
    system: ThermoSystem,
    t: float,
    ax: Optional[Axes] = None,
    *,
    components: Optional[Sequence[str]] = None,
    n_points: int = 101,
) -> Axes:
    """Draw the P–x–y diagram of a binary ``system`` at temperature ``t`` [K].

    The bubble line P(x) comes from ``bubble_pressure`` and the dew line P(y)
    from ``dew_pressure``, on an even grid of ``n_points`` (at least 5)
    compositions of the first component; where the bubble-point liquid
    splits into two liquids the x range is shaded, and an azeotrope, where
    the two lines touch, is marked.
    """
    from .._liquid_split import split_at_temperature

    names = binary_names(system, components)
    light = light_name(names)
    if not isinstance(n_points, int) or n_points < 5:
        raise ValueError(f"n_points must be an integer of at least 5, got {n_points!r}")
    require_matplotlib()
    t = float(t)
    grid = [i / (n_points - 1) for i in range(n_points)]
    points = [system.bubble_pressure(t, [x, 1.0 - x]) for x in grid]
    bubble = [point[0] for point in points]
    dew, missing = dew_line(lambda y: system.dew_pressure(t, [y, 1.0 - y])[0], grid)
    split = split_at_temperature(system, t, grid, bubble)
    ax = target_axes(ax)
    ax.plot(grid, bubble, color=CURVE, linewidth=1.6, label="bubble line P(x)", gid="bubble")
    ax.plot(grid, dew, color=STRIPPING, linewidth=1.6, label="dew line P(y)" + missing, gid="dew")
    mark_split(ax, split)
    _mark_azeotropes(ax, grid, [point[1][0] for point in points], bubble, "P = {:.4g} kPa")
    title = f"{' / '.join(names)}, T = {t:g} K"
    return finish_phase_diagram(ax, light, "P [kPa]", title, "best")


def dew_line(solve: Callable[[float], float], grid: Sequence[float]) -> Tuple[List[float], str]:
    """Dew points on the grid, and a legend note on those the solver did not find.

    Where a model's liquid splits, a vapour can have more than one dew liquid
    and the solver may not settle on either.  Such a point is left out of the
    line (NaN breaks it there) and named in the legend rather than failing the
    whole diagram; when no dew point at all is found the first error is raised.
    """
    values: List[float] = []
    failures: List[Tuple[float, RuntimeError]] = []
    for y in grid:
        try:
            values.append(solve(y))
        except RuntimeError as exc:
            values.append(math.nan)
            failures.append((y, exc))
    if len(failures) == len(grid):
        raise failures[0][1]
    if not failures:
        return values, ""
    if len(failures) == 1:
        return values, f" (no dew point found at y = {failures[0][0]:.3g})"
    return values, f" (no dew point found at {len(failures)} of {len(grid)} y)"


def finish_phase_diagram(
    ax: Axes, light: str, ylabel: str, title: str, legend: Literal["upper right", "best"]
) -> Axes:
    ax.set_xlim(0.0, 1.0)
    ax.set_xlabel(f"x, y ({light})")
    ax.set_ylabel(ylabel)
    ax.set_title(title, fontsize=10)
    ax.grid(True, color="0.9", linewidth=0.6)
    ax.legend(loc=legend, fontsize=8)
    return ax
