"""The diagrams of a design: McCabe–Thiele, total reflux, stages against reflux."""

from __future__ import annotations

import math
from typing import TYPE_CHECKING, Any, Callable, Iterable, Optional, Sequence, Tuple, Union

from .._engine import EquilibriumCurve, RminResult, ThermoSystem
from ._common import (
    CURVE,
    MARKS,
    QLINE,
    RECTIFYING,
    STRIPPING,
    target_axes,
    binary_names,
    finish_diagram,
    light_name,
    mark_split,
    require_matplotlib,
)
from ._labels import diagonal_mark, place_labels, draw_staircase

if TYPE_CHECKING:  # pragma: no cover - only for type checkers
    from matplotlib.axes import Axes

    from .._engine import McCabeThieleResult, TotalRefluxResult


def curve_and_diagonal(ax: Axes, curve: EquilibriumCurve) -> None:
    ax.plot(curve.x, curve.y, color=CURVE, linewidth=1.8, label="equilibrium curve", gid="equilibrium")
    ax.plot([0.0, 1.0], [0.0, 1.0], color="0.45", linewidth=0.9, label="y = x", gid="diagonal")


def mccabe_thiele(
    curve: EquilibriumCurve,
    result: McCabeThieleResult,
    ax: Optional[Axes] = None,
    *,
    components: Optional[Sequence[str]] = None,
    system: Optional[ThermoSystem] = None,
) -> Axes:
    """Draw the McCabe–Thiele diagram of ``result`` on ``curve``.

    Shows the equilibrium curve, the diagonal, the q-line from (z_F, z_F) to
    the operating-line intersection, the rectifying line from (x_D, x_D) and
    the stripping line down to (x_B, x_B) (each over its own range), the
    staircase with the stage numbers, the feed stage, x_D, x_B and z_F on the
    diagonal, and the minimum-reflux pinch.  ``components`` (two names, light
    component first) names the axes; a curve does not carry them.  Given the
    ``system`` the curve was made from (``EquilibriumCurve.from_thermo``),
    its components name the axes, and the x range where its bubble-point
    liquid splits into two liquids (``kolvar.thermo.liquid_split``) is
    shaded: the curve is metastable there.
    """
    split = None
    if system is not None:
        from .._liquid_split import split_along_curve

        if not isinstance(system, ThermoSystem):
            raise TypeError(f"system must be a ThermoSystem, got {type(system).__name__}")
        components = binary_names(system, components)
        require_matplotlib()  # before the stability tests, which are the slow part
        split = split_along_curve(system, curve)
    light = light_name(components)
    ax = target_axes(ax)
    mark_split(ax, split)
    spec = result.spec
    x_d, x_b, z_f = spec.x_distillate, spec.x_bottoms, spec.z_feed
    x_int, y_int = result.intersection

    curve_and_diagonal(ax, curve)
    ax.plot([z_f, x_int], [z_f, y_int], color=QLINE, linewidth=1.2, linestyle="--", label="q-line", gid="q-line")
    ax.plot([x_d, x_int], [x_d, y_int], color=RECTIFYING, linewidth=1.3, label="rectifying line", gid="rectifying")
    ax.plot([x_int, x_b], [y_int, x_b], color=STRIPPING, linewidth=1.3, label="stripping line", gid="stripping")
    analysis = result.rmin
    pinch = (analysis.pinch, "tangent" if analysis.tangent else "feed", analysis.r_min)
    summary = (
        f"{result.n_stages:.2f} theoretical stages, feed on stage {result.feed_stage}, "
        f"R = {spec.reflux:.3g}, q = {spec.q:.3g}"
    )
    return stages_and_marks(
        ax, result.staircase, result.stages, result.feed_stage, (x_d, x_b, z_f), pinch,
        lambda: finish_diagram(ax, light, curve, components, summary),
    )


def stages_and_marks(
    ax: Axes,
    staircase: Sequence[Tuple[float, float]],
    stages: Sequence[Any],
    feed_stage: int,
    ends: Tuple[float, float, float],
    pinch: Tuple[Tuple[float, float], str, float],
    finish: Callable[[], Axes],
) -> Axes:
    """The ``staircase`` through the ``stages`` with their numbers, the feed stage,
    x_D, x_B and z_F on the diagonal and the pinch ``(point, kind, R_min)``;
    then ``finish`` (frame, title, legend), and the labels placed last."""
    labels = draw_staircase(ax, staircase, stages)
    feed = stages[feed_stage - 1]
    ax.plot([feed.x], [feed.y], linestyle="none", marker="s", markersize=7, markerfacecolor="none",
            markeredgecolor=QLINE, markeredgewidth=1.5, zorder=5, label=f"feed stage {feed_stage}",
            gid="feed-stage")
    marks = [diagonal_mark(ax, value, name, name) for value, name in zip(ends, ("x_D", "x_B", "z_F"))]
    point, kind, r_min = pinch
    ax.plot([point[0]], [point[1]], linestyle="none", marker="D", markersize=6, color=MARKS, zorder=5,
            label=f"{kind} pinch, R_min = {r_min:.3f}", gid="pinch")
    finish()
    place_labels(ax, labels, feed_stage, marks, [point])
    return ax


def enthalpy_balanced_stairs(design: Any, ax: Optional[Axes]) -> Axes:
    """The x–y diagram of a ``ColumnDesign`` made by Ponchon–Savarit."""
    from ._ponchon import ponchon_savarit

    return ponchon_savarit(design.system, design.staircase, ax)


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
    light = light_name(components)
    ax = target_axes(ax)
    curve_and_diagonal(ax, curve)
    labels = draw_staircase(ax, result.staircase, result.stages)
    x_d = result.staircase[0][0]
    marks = [diagonal_mark(ax, x_d, "x_D", "x_D")]
    if x_bottoms is not None:
        marks.append(diagonal_mark(ax, float(x_bottoms), "x_B", "x_B"))
    finish_diagram(ax, light, curve, components, f"total reflux: N_min = {result.n_min:.2f}")
    place_labels(ax, labels, 0, marks)
    return ax


def n_vs_r(
    pairs: Iterable[Tuple[float, float]],
    rmin: Union[None, float, RminResult] = None,
    ax: Optional[Axes] = None,
) -> Axes:
    """Plot the stage count against the reflux ratio from ``kolvar.n_vs_r``.

    Pairs whose stage count is NaN (failed constructions) are left out.
    ``rmin`` (a number or an ``RminResult``) adds a vertical line at R_min.
    """
    ax = target_axes(ax)
    points = [(float(r), float(n)) for r, n in pairs]
    finite = [(r, n) for r, n in points if math.isfinite(r) and math.isfinite(n)]
    ax.plot(
        [r for r, _ in finite],
        [n for _, n in finite],
        marker="o",
        markersize=3,
        color=CURVE,
        label="stages N",
        gid="n-vs-r",
    )
    if rmin is not None:
        r_min = rmin.r_min if isinstance(rmin, RminResult) else float(rmin)
        ax.axvline(r_min, color=STRIPPING, linestyle="--", linewidth=1.0, label=f"R_min = {r_min:.3f}", gid="r-min")
    ax.set_xlabel("reflux ratio R = L/D")
    ax.set_ylabel("theoretical stages N")
    ax.grid(True, color="0.9", linewidth=0.6)
    ax.legend(loc="upper right", fontsize=8)
    return ax
