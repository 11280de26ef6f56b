"""Diagrams of kolvar designs, drawn with matplotlib.

matplotlib is an optional dependency (``pip install 'kolvar[plot]'``); it is
imported only when a function here is called, so ``import kolvar`` and
``import kolvar.plot`` work without it.

Every function draws onto the given Axes, or onto a new one when ``ax`` is
None, and returns that Axes.  Artists carry stable ``gid`` values (listed in
:data:`GIDS`) so that tools and tests can find them again, e.g.
``[a for a in ax.lines if a.get_gid() == "staircase"]``.
"""

from __future__ import annotations

import math
from typing import TYPE_CHECKING, Any, Callable, Iterable, List, Literal, Optional, Sequence, Tuple, Union

from ._engine import EquilibriumCurve, RminResult, ThermoSystem

if TYPE_CHECKING:  # pragma: no cover - only for type checkers
    from matplotlib.axes import Axes

    from ._engine import McCabeThieleResult, TotalRefluxResult

__all__ = ["mccabe_thiele", "total_reflux", "n_vs_r", "txy", "pxy", "GIDS"]

#: gid of every artist the functions draw, by what it shows.
GIDS = {
    "equilibrium": "equilibrium curve y*(x)",
    "diagonal": "y = x",
    "q-line": "q-line from (z_F, z_F) to the operating-line intersection",
    "rectifying": "rectifying operating line",
    "stripping": "stripping operating line",
    "staircase": "stage staircase (one polyline)",
    "stage-label": "stage number at a stage corner (one text per corner)",
    "feed-stage": "marker on the corner of the feed stage",
    "x_D": "distillate composition on the diagonal",
    "x_B": "bottoms composition on the diagonal",
    "z_F": "feed composition on the diagonal",
    "pinch": "controlling minimum-reflux pinch point",
    "n-vs-r": "stage count against reflux ratio",
    "r-min": "vertical line at the minimum reflux ratio",
    "bubble": "bubble line T(x) or P(x)",
    "dew": "dew line T(y) or P(y)",
    "liquid-split": "shaded x range where the bubble-point liquid splits into two liquids",
}

_INSTALL_HINT = "kolvar.plot needs matplotlib; install it with: pip install 'kolvar[plot]'"

# Colours of the construction (matplotlib's default cycle, fixed per role).
_CURVE = "tab:blue"
_RECTIFYING = "tab:green"
_STRIPPING = "tab:red"
_QLINE = "tab:purple"
_STAIRS = "black"
_MARKS = "tab:orange"


def _require_matplotlib() -> Any:
    """Import matplotlib, or raise ImportError naming the extra to install."""
    try:
        import matplotlib
    except ImportError as exc:
        raise ImportError(_INSTALL_HINT) from exc
    return matplotlib


def _axes(ax: Optional[Axes]) -> Axes:
    _require_matplotlib()
    if ax is not None:
        return ax
    # A new figure through pyplot, so that notebooks display it.
    import matplotlib.pyplot as plt

    _, new_ax = plt.subplots(figsize=(6.5, 6.5))
    return new_ax


def _light_name(components: Optional[Sequence[str]]) -> str:
    """What the compositions are fractions of, for the axis labels."""
    if components is None:
        return "light component"
    names = list(components)
    if len(names) != 2 or not all(isinstance(n, str) for n in names):
        raise ValueError(f"components must be two names, light component first, got {components!r}")
    return names[0]


def _system_line(curve: EquilibriumCurve, components: Optional[Sequence[str]]) -> str:
    """'benzene / toluene, P = 101.325 kPa' from what is known, or ''."""
    parts = []
    if components is not None:
        parts.append(" / ".join(components))
    if curve.pressure is not None:
        parts.append(f"P = {curve.pressure:g} kPa")
    return ", ".join(parts)


def _square_frame(ax: Axes, light: str) -> None:
    ax.set_xlim(0.0, 1.0)
    ax.set_ylim(0.0, 1.0)
    ax.set_aspect("equal", adjustable="box")
    ax.set_xlabel(f"x ({light})")
    ax.set_ylabel(f"y ({light})")
    ax.grid(True, color="0.9", linewidth=0.6)
    ax.set_axisbelow(True)


def _finish_diagram(
    ax: Axes, light: str, curve: EquilibriumCurve, components: Optional[Sequence[str]], summary: str
) -> Axes:
    """Square 0-1 frame, a title naming the system and the design, and the legend."""
    _square_frame(ax, light)
    ax.set_title("\n".join(filter(None, [_system_line(curve, components), summary])), fontsize=10)
    ax.legend(loc="lower right", fontsize=8, framealpha=0.9)
    return ax


def _curve_and_diagonal(ax: Axes, curve: EquilibriumCurve) -> None:
    ax.plot(curve.x, curve.y, color=_CURVE, linewidth=1.8, label="equilibrium curve", gid="equilibrium")
    ax.plot([0.0, 1.0], [0.0, 1.0], color="0.45", linewidth=0.9, label="y = x", gid="diagonal")


def _staircase(ax: Axes, staircase: Sequence[Tuple[float, float]], stages: Iterable[Any]) -> None:
    xs = [p[0] for p in staircase]
    ys = [p[1] for p in staircase]
    ax.plot(xs, ys, color=_STAIRS, linewidth=1.0, label="stages", gid="staircase")
    for stage in stages:
        label = ax.annotate(
            str(stage.index),
            (stage.x, stage.y),
            xytext=(-3, 3),
            textcoords="offset points",
            ha="right",
            va="bottom",
            fontsize=7,
        )
        label.set_gid("stage-label")


def _diagonal_mark(ax: Axes, value: float, name: str, text: str) -> None:
    ax.plot(
        [value],
        [value],
        linestyle="none",
        marker="o",
        markersize=5,
        markerfacecolor="white",
        markeredgecolor=_MARKS,
        zorder=4,
        gid=name,
    )
    label = ax.annotate(
        text, (value, value), xytext=(4, -10), textcoords="offset points", fontsize=8, color="0.2"
    )
    label.set_gid(name + "-label")


def mccabe_thiele(
    curve: EquilibriumCurve,
    result: McCabeThieleResult,
    ax: Optional[Axes] = None,
    *,
    components: Optional[Sequence[str]] = None,
) -> Axes:
    """Draw the McCabe–Thiele diagram of ``result`` on ``curve``.

    Shows the equilibrium curve, the diagonal, the q-line from (z_F, z_F) to
    the operating-line intersection, the rectifying line from (x_D, x_D) and
    the stripping line down to (x_B, x_B) (each over its own range), the
    staircase with the stage numbers, the feed stage, x_D, x_B and z_F on the
    diagonal, and the minimum-reflux pinch.  ``components`` (two names, light
    component first) names the axes; a curve does not carry them.
    """
    light = _light_name(components)
    ax = _axes(ax)
    spec = result.spec
    x_d, x_b, z_f = spec.x_distillate, spec.x_bottoms, spec.z_feed
    x_int, y_int = result.intersection

    _curve_and_diagonal(ax, curve)
    ax.plot([z_f, x_int], [z_f, y_int], color=_QLINE, linewidth=1.2, linestyle="--", label="q-line", gid="q-line")
    ax.plot([x_d, x_int], [x_d, y_int], color=_RECTIFYING, linewidth=1.3, label="rectifying line", gid="rectifying")
    ax.plot([x_int, x_b], [y_int, x_b], color=_STRIPPING, linewidth=1.3, label="stripping line", gid="stripping")
    _staircase(ax, result.staircase, result.stages)

    feed = result.stages[result.feed_stage - 1]
    ax.plot(
        [feed.x],
        [feed.y],
        linestyle="none",
        marker="s",
        markersize=7,
        markerfacecolor="none",
        markeredgecolor=_QLINE,
        markeredgewidth=1.5,
        zorder=5,
        label=f"feed stage {result.feed_stage}",
        gid="feed-stage",
    )

    for value, name in ((x_d, "x_D"), (x_b, "x_B"), (z_f, "z_F")):
        _diagonal_mark(ax, value, name, name)

    analysis = result.rmin
    x_p, y_p = analysis.pinch
    kind = "tangent" if analysis.tangent else "feed"
    ax.plot(
        [x_p],
        [y_p],
        linestyle="none",
        marker="D",
        markersize=6,
        color=_MARKS,
        zorder=5,
        label=f"{kind} pinch, R_min = {analysis.r_min:.3f}",
        gid="pinch",
    )

    summary = f"{result.n_stages:.2f} theoretical stages, feed on stage {result.feed_stage}, R = {spec.reflux:.3g}"
    return _finish_diagram(ax, light, curve, components, summary)


def total_reflux(
    curve: EquilibriumCurve,
    result: TotalRefluxResult,
    ax: Optional[Axes] = None,
    *,
    x_bottoms: Optional[float] = None,
    components: Optional[Sequence[str]] = None,
) -> Axes:
    """Draw the total-reflux staircase of ``result`` against the diagonal.

    x_D is read from the staircase's first point; the result does not keep
    x_B, so it is marked only when ``x_bottoms`` is given.
    """
    light = _light_name(components)
    ax = _axes(ax)
    _curve_and_diagonal(ax, curve)
    _staircase(ax, result.staircase, result.stages)
    x_d = result.staircase[0][0]
    _diagonal_mark(ax, x_d, "x_D", "x_D")
    if x_bottoms is not None:
        _diagonal_mark(ax, float(x_bottoms), "x_B", "x_B")
    return _finish_diagram(ax, light, curve, components, f"total reflux: N_min = {result.n_min:.2f}")


def n_vs_r(
    pairs: Iterable[Tuple[float, float]],
    rmin: Union[None, float, RminResult] = None,
    ax: Optional[Axes] = None,
) -> Axes:
    """Plot the stage count against the reflux ratio from ``kolvar.n_vs_r``.

    Pairs whose stage count is NaN (failed constructions) are left out.
    ``rmin`` (a number or an ``RminResult``) adds a vertical line at R_min.
    """
    ax = _axes(ax)
    points = [(float(r), float(n)) for r, n in pairs]
    finite = [(r, n) for r, n in points if math.isfinite(r) and math.isfinite(n)]
    ax.plot(
        [r for r, _ in finite],
        [n for _, n in finite],
        marker="o",
        markersize=3,
        color=_CURVE,
        label="stages N",
        gid="n-vs-r",
    )
    if rmin is not None:
        r_min = rmin.r_min if isinstance(rmin, RminResult) else float(rmin)
        ax.axvline(r_min, color=_STRIPPING, linestyle="--", linewidth=1.0, label=f"R_min = {r_min:.3f}", gid="r-min")
    ax.set_xlabel("reflux ratio R = L/D")
    ax.set_ylabel("theoretical stages N")
    ax.grid(True, color="0.9", linewidth=0.6)
    ax.legend(loc="upper right", fontsize=8)
    return ax


def txy(
    source: Union[EquilibriumCurve, ThermoSystem],
    ax: Optional[Axes] = None,
    *,
    components: Optional[Sequence[str]] = None,
    pressure: Optional[float] = None,
    n_points: int = 101,
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
    point too, and no split can be tested.
    """
    if isinstance(source, ThermoSystem):
        if pressure is None:
            raise ValueError("txy of a ThermoSystem needs the pressure in kPa: txy(system, pressure=...)")
        return _txy_of_system(source, float(pressure), n_points, ax, components)
    if pressure is not None:
        raise ValueError("pressure applies to txy of a ThermoSystem; a curve carries its own")
    curve = source
    temperatures = curve.t
    if not temperatures:
        raise ValueError(
            "txy needs a curve with bubble temperatures; this one has none "
            "(build it with EquilibriumCurve.from_thermo, or from_points with t=...)"
        )
    light = _light_name(components)
    ax = _axes(ax)
    ax.plot(curve.x, temperatures, color=_CURVE, linewidth=1.6, label="bubble line T(x)", gid="bubble")
    ax.plot(curve.y, temperatures, color=_STRIPPING, linewidth=1.6, label="dew line T(y)", gid="dew")
    return _finish_phase_diagram(ax, light, "T [K]", _system_line(curve, components), "upper right")


def _txy_of_system(
    system: ThermoSystem, pressure: float, n_points: int, ax: Optional[Axes], components: Optional[Sequence[str]]
) -> Axes:
    from .thermo import _split_along_curve

    names = _binary_names(system, components)
    light = _light_name(names)
    _require_matplotlib()  # before the sweeps, which are the slow part
    curve = EquilibriumCurve.from_thermo(system, pressure, n_points)
    dew, missing = _dew_line(lambda y: system.dew_temperature(pressure, [y, 1.0 - y])[0], curve.x)
    split = _split_along_curve(system, curve)
    ax = _axes(ax)
    ax.plot(curve.x, curve.t, color=_CURVE, linewidth=1.6, label="bubble line T(x)", gid="bubble")
    ax.plot(curve.x, dew, color=_STRIPPING, linewidth=1.6, label="dew line T(y)" + missing, gid="dew")
    _mark_split(ax, split)
    return _finish_phase_diagram(ax, light, "T [K]", _system_line(curve, names), "best")


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
    splits into two liquids the x range is shaded.
    """
    from .thermo import _split_at_temperature

    names = _binary_names(system, components)
    light = _light_name(names)
    if not isinstance(n_points, int) or n_points < 5:
        raise ValueError(f"n_points must be an integer of at least 5, got {n_points!r}")
    _require_matplotlib()
    t = float(t)
    grid = [i / (n_points - 1) for i in range(n_points)]
    bubble = [system.bubble_pressure(t, [x, 1.0 - x])[0] for x in grid]
    dew, missing = _dew_line(lambda y: system.dew_pressure(t, [y, 1.0 - y])[0], grid)
    split = _split_at_temperature(system, t, grid, bubble)
    ax = _axes(ax)
    ax.plot(grid, bubble, color=_CURVE, linewidth=1.6, label="bubble line P(x)", gid="bubble")
    ax.plot(grid, dew, color=_STRIPPING, linewidth=1.6, label="dew line P(y)" + missing, gid="dew")
    _mark_split(ax, split)
    title = f"{' / '.join(names)}, T = {t:g} K"
    return _finish_phase_diagram(ax, light, "P [kPa]", title, "best")


def _dew_line(solve: Callable[[float], float], grid: Sequence[float]) -> Tuple[List[float], str]:
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


def _binary_names(system: ThermoSystem, components: Optional[Sequence[str]]) -> Sequence[str]:
    if not isinstance(system, ThermoSystem):
        raise TypeError(f"expected a ThermoSystem, got {type(system).__name__}")
    names = system.components
    if len(names) != 2:
        raise ValueError(f"phase diagrams need a binary system, got {len(names)} components")
    return names if components is None else components


def _mark_split(ax: Axes, split: Optional[Tuple[float, float]]) -> None:
    if split is None:
        return
    low, high = split
    ax.axvspan(
        low,
        high,
        color=_MARKS,
        alpha=0.18,
        linewidth=0,
        label=f"liquid splits, x = {low:.3f} to {high:.3f}",
        gid="liquid-split",
    )


def _finish_phase_diagram(
    ax: Axes, light: str, ylabel: str, title: str, legend: Literal["upper right", "best"]
) -> Axes:
    ax.set_xlim(0.0, 1.0)
    ax.set_xlabel(f"x, y ({light})")
    ax.set_ylabel(ylabel)
    ax.set_title(title, fontsize=10)
    ax.grid(True, color="0.9", linewidth=0.6)
    ax.legend(loc=legend, fontsize=8)
    return ax
