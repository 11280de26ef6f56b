"""The enthalpy–composition diagram of a binary at one pressure, with the
enthalpy-balanced design drawn on it."""

from __future__ import annotations

import math
from typing import TYPE_CHECKING, Optional, Sequence, Tuple

from .. import _engine
from .._engine import ThermoSystem
from ._common import CURVE, MARKS, QLINE, RECTIFYING, STAIRS, STRIPPING, target_axes, binary_names, require_matplotlib
from ._labels import place_labels

if TYPE_CHECKING:  # pragma: no cover - only for type checkers
    from matplotlib.axes import Axes

    from .._engine import PonchonSavaritResult

_J_PER_KJ = 1000.0  # the diagram's enthalpies in kJ/mol; the library's are J/mol
_ENTHALPY_AXIS = "h [kJ/mol] (reference: ideal gas at 298.15 K)"


def _on_line(xs: Sequence[float], hs: Sequence[float], x: float) -> float:
    """h at x on the piecewise-linear line through (xs, hs), on its first
    segment from the left that holds x: how the design interpolates it."""
    for i in range(1, len(xs)):
        low, high = sorted((xs[i - 1], xs[i]))
        if low <= x <= high:
            if xs[i] == xs[i - 1]:
                return hs[i]
            w = (x - xs[i - 1]) / (xs[i] - xs[i - 1])
            return hs[i - 1] + w * (hs[i] - hs[i - 1])
    return math.nan


def enthalpy_composition(
    system: ThermoSystem,
    pressure: float,
    design: Optional[PonchonSavaritResult] = None,
    ax: Optional[Axes] = None,
) -> Axes:
    """Draw the enthalpy–composition diagram of a binary ``system`` at ``pressure`` [kPa].

    Shows the saturated-liquid line h_L(x) at the bubble points and the
    saturated-vapour line H_V(y) at the dew points (the vapour in equilibrium
    with each bubble point), in kJ/mol on the reference of
    ``ThermoSystem.enthalpy`` (the components as ideal gases at 298.15 K),
    which the axis names.  Without a design, every tenth tie line of the
    sample is drawn faintly.  With ``design``, a ``PonchonSavaritResult`` of
    ``kolvar.ponchon_savarit`` on the same system and pressure, it adds the
    tie line of each stage with the stage's number, the two difference
    points, the line joining them through the feed point, and the
    construction line from the active difference point through each stage's
    liquid to the next stage's vapour.  The lines between samples are
    straight, as the design reads them.  ``kolvar.plot.ponchon_savarit``
    draws the same design on the x–y diagram.
    """
    names = binary_names(system, None)
    pressure = float(pressure)
    if design is not None:
        check_design(design, pressure)
    require_matplotlib()  # before the sweep, which is the slow part
    x, y, _, h_liquid, h_vapour = _engine._enthalpy_curve(system, pressure)
    liquid = [h / _J_PER_KJ for h in h_liquid]
    vapour = [h / _J_PER_KJ for h in h_vapour]
    ax = target_axes(ax)
    ax.plot(x, liquid, color=CURVE, linewidth=1.6, label="saturated liquid h_L(x)", gid="liquid-enthalpy")
    ax.plot(y, vapour, color=STRIPPING, linewidth=1.6, label="saturated vapour H_V(y)", gid="vapour-enthalpy")
    title = f"{' / '.join(names)}, P = {pressure:g} kPa"
    if design is None:
        for i in range(0, len(x), 10):
            ax.plot([x[i], y[i]], [liquid[i], vapour[i]], color="0.6", linewidth=0.7, gid="tie-line",
                    label="tie lines" if i == 0 else None)
    else:
        _draw_design(ax, design, (x, y, liquid, vapour))
        title += (f"\nPonchon–Savarit: {design.n_stages:.2f} stages, feed on stage {design.feed_stage}, "
                  f"R = {design.reflux:.4g} (R_min = {design.r_min:.3f})")
    ax.set_xlim(0.0, 1.0)
    ax.set_xlabel(f"x, y ({names[0]})")
    ax.set_ylabel(_ENTHALPY_AXIS)
    ax.set_title(title, fontsize=10)
    ax.grid(True, color="0.9", linewidth=0.6)
    ax.set_axisbelow(True)
    ax.legend(loc="best", fontsize=8, framealpha=0.9)
    if design is not None:
        _number_tie_lines(ax, design, (x, y, liquid, vapour))
    return ax


def check_design(design: PonchonSavaritResult, pressure: float) -> None:
    if type(design).__name__ != "PonchonSavaritResult" or type(design).__module__ != "builtins":
        raise TypeError(f"design must be a result of kolvar.ponchon_savarit, got {type(design).__name__}")
    if design.column.pressure != pressure:
        raise ValueError(f"the design is at {design.column.pressure:g} kPa, not at the diagram's {pressure:g} kPa")


def _number_tie_lines(
    ax: Axes,
    design: PonchonSavaritResult,
    lines: Tuple[Sequence[float], Sequence[float], Sequence[float], Sequence[float]],
) -> None:
    """Each stage's number at an end of its tie line that no construction line
    passes: below the liquid end above the feed stage (the top difference
    point's lines end there), above the vapour end from it down."""
    x, y, liquid, vapour = lines
    labels, spots = [], []
    for stage in design.stages:
        upper = stage.index < design.feed_stage
        end = (stage.x, _on_line(x, liquid, stage.x)) if upper else (stage.y, _on_line(y, vapour, stage.y))
        label = ax.annotate(str(stage.index), end, textcoords="offset points", xytext=(0, 0), fontsize=7)
        label.set_gid("stage-label")
        labels.append(label)
        spots.append(((0, -1), (1, -1), (-1, -1)) if upper else ((0, 1), (-1, 1), (1, 1)))
    place_labels(ax, labels, design.feed_stage, spots=spots)


def _draw_design(
    ax: Axes,
    design: PonchonSavaritResult,
    lines: Tuple[Sequence[float], Sequence[float], Sequence[float], Sequence[float]],
) -> None:
    x, y, liquid, vapour = lines
    top = (design.top_difference_point[0], design.top_difference_point[1] / _J_PER_KJ)
    bottom = (design.bottom_difference_point[0], design.bottom_difference_point[1] / _J_PER_KJ)
    stages = design.stages
    # Each stage's tie line, and the construction line from the difference
    # point of its section through its liquid to the next stage's vapour.
    for n, stage in enumerate(stages):
        liquid_point = (stage.x, _on_line(x, liquid, stage.x))
        ax.plot([stage.x, stage.y], [liquid_point[1], _on_line(y, vapour, stage.y)], color=STAIRS,
                linewidth=1.0, gid="stage-tie-line", label="stage tie lines" if n == 0 else None)
        if n + 1 == len(stages):
            break
        upper = stage.index < design.feed_stage
        pole = top if upper else bottom
        following = (stages[n + 1].y, _on_line(y, vapour, stages[n + 1].y))
        far = max(liquid_point, following, key=lambda p: abs(p[0] - pole[0]))
        first = n == 0 or stage.index == design.feed_stage
        ax.plot([pole[0], far[0]], [pole[1], far[1]], color=RECTIFYING if upper else STRIPPING,
                linewidth=0.6, linestyle="--", alpha=0.8, gid="construction",
                label=("rectifying" if upper else "stripping") + " construction lines" if first else None)
    # The feed point lies on the line joining the two difference points.
    z = design.column.feed.z
    w = (z - bottom[0]) / (top[0] - bottom[0])
    feed = (z, bottom[1] + w * (top[1] - bottom[1]))
    ax.plot([bottom[0], top[0]], [bottom[1], top[1]], color=QLINE, linewidth=1.2, gid="difference-line",
            label="difference points and feed")
    ax.plot(*zip(top, bottom), linestyle="none", marker="D", color=QLINE, markersize=6, gid="difference-point")
    for point, name in ((top, "Δ_D"), (bottom, "Δ_B")):
        # The name on the inner side of the point, where the frame has room.
        inward = 1 if point[0] < 0.5 else -1
        ax.annotate(name, point, textcoords="offset points", xytext=(7 * inward, 0), va="center",
                    ha="left" if inward > 0 else "right", fontsize=9, gid="difference-point")
    ax.plot(*feed, linestyle="none", marker="o", color=MARKS, markersize=6, gid="feed-point",
            label=f"feed z_F = {z:g}, q = {design.column.feed.q:.4g}")

