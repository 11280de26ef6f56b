"""The x–y diagram of an enthalpy-balanced (Ponchon–Savarit) design.

Its operating lines are curves.  A point (x, y) of one is the liquid x leaving
a stage and the vapour y rising from the stage below: on the
enthalpy–composition diagram, the line from the section's difference point
through the liquid point (x, h_L(x)) meets the vapour line at H_V(y).  The
curves are read here from the design's difference points on the sampled
saturated lines, with straight lines between samples, as the design reads
them, so each corner of the staircase lies on them.
"""

from __future__ import annotations

import bisect
import math
from typing import TYPE_CHECKING, Any, List, Optional, Sequence, Tuple

from .. import _engine
from .._engine import EquilibriumCurve, ThermoSystem
from ._common import QLINE, RECTIFYING, STRIPPING, target_axes, binary_names, finish_diagram, require_matplotlib
from ._design import curve_and_diagonal, stages_and_marks

if TYPE_CHECKING:  # pragma: no cover - only for type checkers
    from matplotlib.axes import Axes

    from .._engine import PonchonSavaritResult

Point = Tuple[float, float]

# Points of each operating curve between its ends, besides the stages' own.
_CURVE_POINTS = 60


class _TieLines:
    """The saturated lines of the sweep: tie line k joins (x_k, h_k) to (y_k, H_k), J/mol."""

    def __init__(self, x: Sequence[float], y: Sequence[float], h: Sequence[float], H: Sequence[float]) -> None:
        self.x, self.y, self.h, self.H = list(x), list(y), list(h), list(H)

    def at_liquid(self, x: float) -> Tuple[float, float, float, float]:
        """The tie line whose liquid end is x: (x, h_L, y, H_V), both ends moving linearly between samples."""
        k = min(max(bisect.bisect_right(self.x, x) - 1, 0), len(self.x) - 2)
        s = min(max((x - self.x[k]) / (self.x[k + 1] - self.x[k]), 0.0), 1.0)

        def lerp(v: Sequence[float]) -> float:
            return v[k] + s * (v[k + 1] - v[k])

        return x, lerp(self.h), lerp(self.y), lerp(self.H)

    def vapour_crossing(self, pole: Point, x: float) -> Optional[float]:
        """y where the line from ``pole`` through (x, h_L(x)) meets the vapour
        line: its first crossing right of x along the vapour samples."""
        ys, Hs = self.y, self.H
        j = next((i for i, v in enumerate(ys) if v > x), len(ys))
        if j == 0 or j == len(ys):
            return None
        h_x = self.at_liquid(x)[1]
        slope = (pole[1] - h_x) / (pole[0] - x)

        def above(y: float, H: float) -> float:
            return H - (h_x + slope * (y - x))

        y_prev = x
        prev = above(x, Hs[j - 1] + (Hs[j] - Hs[j - 1]) * (x - ys[j - 1]) / (ys[j] - ys[j - 1]))
        if not prev > 0.0:
            return None
        for y, H in zip(ys[j:], Hs[j:]):
            here = above(y, H)
            if here <= 0.0:
                return y_prev + (y - y_prev) * (prev / (prev - here))
            y_prev, prev = y, here
        return None

    def liquid_crossing(self, a: Point, b: Point, x_low: float, x_high: float) -> Optional[float]:
        """The largest x in [x_low, x_high] where the line through a and b
        crosses the liquid line, searched from x_high down."""
        slope = (b[1] - a[1]) / (b[0] - a[0])
        points = [x_high] + [v for v in reversed(self.x) if x_low < v < x_high] + [x_low]
        heights = [self.at_liquid(v)[1] - (a[1] + slope * (v - a[0])) for v in points]
        if not heights[0] < 0.0:
            return None
        for (x0, d0), (x1, d1) in zip(zip(points, heights), zip(points[1:], heights[1:])):
            if d1 >= 0.0:
                return x1 + (x0 - x1) * (d1 / (d1 - d0))
        return None


def ponchon_savarit(system: ThermoSystem, result: PonchonSavaritResult, ax: Optional[Axes] = None) -> Axes:
    """Draw the x–y diagram of ``result``, a ``kolvar.ponchon_savarit`` design on ``system``.

    Shows the equilibrium curve of the design's own sweep at the column
    pressure, the diagonal, the curved rectifying operating line from
    (x_D, x_D) and the stripping one down to (x_B, x_B), meeting where the
    line joining the difference points crosses the saturated lines; the
    q-line from (z_F, z_F) to that meeting point; the staircase with the
    stage numbers (each corner (x_n, y_(n+1)) on an operating curve); the
    feed stage; x_D, x_B and z_F on the diagonal; and the tie line that sets
    the minimum reflux, named with R_min (a feed pinch when the feed point
    lies on it, else a tangent pinch).  ``kolvar.plot.enthalpy_composition``
    draws the same design on the enthalpy–composition diagram.
    """
    from ._enthalpy import check_design

    names = binary_names(system, None)
    column = result.column
    check_design(result, column.pressure)
    require_matplotlib()  # before the sweep
    x, y, t, h_l, h_v = _engine._enthalpy_curve(system, column.pressure)
    lines = _TieLines(x, y, h_l, h_v)
    curve = EquilibriumCurve.from_points(x, y, t, column.pressure)
    rectifying, stripping = _operating_curves(lines, result)
    ax = target_axes(ax)
    curve_and_diagonal(ax, curve)
    z_f = column.feed.z
    meeting = stripping[0]
    ax.plot([z_f, meeting[0]], [z_f, meeting[1]], color=QLINE, linewidth=1.2, linestyle="--", label="q-line",
            gid="q-line")
    ax.plot(*zip(*rectifying), color=RECTIFYING, linewidth=1.3, label="rectifying operating curve",
            gid="rectifying")
    ax.plot(*zip(*stripping), color=STRIPPING, linewidth=1.3, label="stripping operating curve", gid="stripping")
    summary = (
        f"Ponchon–Savarit: {result.n_stages:.2f} stages, feed on stage {result.feed_stage}, "
        f"R = {result.reflux:.3g}, q = {column.feed.q:.3g}"
    )
    return stages_and_marks(
        ax, _staircase(result), result.stages, result.feed_stage, (column.x_distillate, column.x_bottoms, z_f),
        (result.pinch, _pinch_kind(system, result), result.r_min),
        lambda: finish_diagram(ax, names[0], curve, names, summary),
    )


def _staircase(result: Any) -> List[Point]:
    """(x_D, x_D), then each stage's (x_n, y_n) on the curve and (x_n, y_(n+1)) on an operating curve."""
    stages = result.stages
    points = [(result.column.x_distillate, result.column.x_distillate)]
    for stage, below in zip(stages, stages[1:]):
        points += [(stage.x, stage.y), (stage.x, below.y)]
    points.append((stages[-1].x, stages[-1].y))
    return points


def _operating_curves(lines: _TieLines, result: Any) -> Tuple[List[Point], List[Point]]:
    """The rectifying curve from (x_D, x_D) and the stripping curve from the
    point where they meet down to (x_B, x_B), through the stages' corners."""
    column = result.column
    x_d, x_b = column.x_distillate, column.x_bottoms
    top, bottom = result.top_difference_point, result.bottom_difference_point
    x_switch = lines.liquid_crossing(top, bottom, x_b, x_d)
    if x_switch is None:  # pragma: no cover - the design has found it
        raise RuntimeError("the line joining the difference points does not cross the liquid line")
    corners = [s.x for s in result.stages[:-1]]

    def run(pole: Point, high: float, low: float) -> List[Point]:
        step = (high - low) / _CURVE_POINTS
        xs = {high - i * step for i in range(1, _CURVE_POINTS)} | {v for v in corners if low < v < high}
        points = [(v, lines.vapour_crossing(pole, v)) for v in sorted(xs, reverse=True)]
        return [(v, w) for v, w in points if w is not None]

    y_switch = lines.vapour_crossing(top, x_switch)
    meeting = (x_switch, math.nan if y_switch is None else y_switch)
    rectifying = [(x_d, x_d)] + run(top, x_d, x_switch) + [meeting]
    stripping = [meeting] + run(bottom, x_switch, x_b) + [(x_b, x_b)]
    return rectifying, stripping


def _pinch_kind(system: Any, result: Any) -> str:
    """'feed' when the tie line of the minimum reflux passes through the feed point, else 'tangent'.

    The tie line is the system's own at the pinch's liquid, as the design's
    minimum reflux is: the sampled lines are too coarse to tell the two apart.
    """
    top, bottom = result.top_difference_point, result.bottom_difference_point
    z, p = result.column.feed.z, result.column.pressure
    h_feed = bottom[1] + (z - bottom[0]) / (top[0] - bottom[0]) * (top[1] - bottom[1])
    x = result.pinch[0]
    t, vapour, _ = system.bubble_temperature(p, [x, 1.0 - x])
    y = vapour[0]
    h = system.enthalpy(t, p, [x, 1.0 - x], "liquid")
    H = system.enthalpy(t, p, [y, 1.0 - y], "vapour")
    through = h + (H - h) * (z - x) / (y - x)
    return "feed" if abs(through - h_feed) <= 1e-6 * abs(H - h) else "tangent"
