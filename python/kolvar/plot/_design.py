"""The diagrams of a design: McCabe–Thiele, total reflux, stages against reflux."""

from __future__ import annotations

import math
from typing import TYPE_CHECKING, Any, Iterable, Optional, Sequence, Tuple, Union

from .._engine import EquilibriumCurve, RminResult, ThermoSystem
from ._common import (
    _CURVE,
    _MARKS,
    _QLINE,
    _RECTIFYING,
    _STAIRS,
    _STRIPPING,
    _axes,
    _finish_diagram,
    _light_name,
    _mark_split,
    _require_matplotlib,
)

if TYPE_CHECKING:  # pragma: no cover - only for type checkers
    from matplotlib.axes import Axes

    from .._engine import McCabeThieleResult, TotalRefluxResult


def _curve_and_diagonal(ax: Axes, curve: EquilibriumCurve) -> None:
    ax.plot(curve.x, curve.y, color=_CURVE, linewidth=1.8, label="equilibrium curve", gid="equilibrium")
    ax.plot([0.0, 1.0], [0.0, 1.0], color="0.45", linewidth=0.9, label="y = x", gid="diagonal")


# Stage labels: font size, the offset from the stage corner (points, up and
# to the left, outside the curve) and the size of a character's box.
_LABEL_SIZE = 7
_LABEL_OFFSET = 3.0
_CHAR_WIDTH = 0.62 * _LABEL_SIZE
_LINE_HEIGHT = 1.2 * _LABEL_SIZE


def _staircase(ax: Axes, staircase: Sequence[Tuple[float, float]], stages: Sequence[Any], feed_stage: int = 0) -> None:
    """The staircase and one number per stage corner.

    Near a pinch the corners crowd together: a label whose box would overlap
    one already placed is hidden (it stays on the Axes, with its gid, for
    tools that read the stages).  The first and last stages and the feed stage
    are placed first, so they always show.
    """
    xs = [p[0] for p in staircase]
    ys = [p[1] for p in staircase]
    ax.plot(xs, ys, color=_STAIRS, linewidth=1.0, label="stages", gid="staircase")
    stages = list(stages)
    if not stages:
        return
    side = _points_per_unit(ax)
    boxes = [_label_box(stage, side) for stage in stages]
    labels = []
    for stage, box in zip(stages, boxes):
        # Left of the corner, unless that would run past the frame's left edge.
        left = box[2] < stage.x * side
        label = ax.annotate(
            str(stage.index),
            (stage.x, stage.y),
            xytext=(-_LABEL_OFFSET if left else _LABEL_OFFSET, _LABEL_OFFSET),
            textcoords="offset points",
            ha="right" if left else "left",
            va="bottom",
            fontsize=_LABEL_SIZE,
        )
        label.set_gid("stage-label")
        labels.append(label)
    _thin_labels(boxes, labels, feed_stage)


def _points_per_unit(ax: Axes) -> float:
    """Points per unit of x or y on the square 0–1 frame, as large as the Axes allows."""
    width, height = ax.figure.get_size_inches() * 72.0
    box = ax.get_position()
    return min(box.width * width, box.height * height)


def _label_box(stage: Any, side: float) -> Tuple[float, float, float, float]:
    """The estimated box of a stage's label in points: left of its corner, or right where the frame ends."""
    width = _CHAR_WIDTH * len(str(stage.index))
    bottom = stage.y * side + _LABEL_OFFSET
    right = stage.x * side - _LABEL_OFFSET
    if right - width < 0.0:
        left = stage.x * side + _LABEL_OFFSET
        return left, bottom, left + width, bottom + _LINE_HEIGHT
    return right - width, bottom, right, bottom + _LINE_HEIGHT


def _thin_labels(boxes: Sequence[Tuple[float, float, float, float]], labels: Sequence[Any], feed_stage: int) -> None:
    """Hide the labels whose boxes would overlap a label already shown.

    The first and last stages and the feed stage are placed first.  Boxes are
    estimates, so the test needs no drawing.
    """
    order = [0, len(boxes) - 1] + ([feed_stage - 1] if 0 < feed_stage <= len(boxes) else [])
    order += [i for i in range(len(boxes)) if i not in order]
    placed: list = []
    for i in dict.fromkeys(order):
        x0, y0, x1, y1 = boxes[i]
        if any(x0 < b[2] and b[0] < x1 and y0 < b[3] and b[1] < y1 for b in placed):
            labels[i].set_visible(False)
        else:
            placed.append((x0, y0, x1, y1))


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
    the x range where its bubble-point liquid splits into two liquids
    (``kolvar.thermo.liquid_split``) is shaded: the curve is metastable there.
    """
    light = _light_name(components)
    split = None
    if system is not None:
        from ..thermo import _split_along_curve

        if not isinstance(system, ThermoSystem):
            raise TypeError(f"system must be a ThermoSystem, got {type(system).__name__}")
        _require_matplotlib()  # before the stability tests, which are the slow part
        split = _split_along_curve(system, curve)
    ax = _axes(ax)
    _mark_split(ax, split)
    spec = result.spec
    x_d, x_b, z_f = spec.x_distillate, spec.x_bottoms, spec.z_feed
    x_int, y_int = result.intersection

    _curve_and_diagonal(ax, curve)
    ax.plot([z_f, x_int], [z_f, y_int], color=_QLINE, linewidth=1.2, linestyle="--", label="q-line", gid="q-line")
    ax.plot([x_d, x_int], [x_d, y_int], color=_RECTIFYING, linewidth=1.3, label="rectifying line", gid="rectifying")
    ax.plot([x_int, x_b], [y_int, x_b], color=_STRIPPING, linewidth=1.3, label="stripping line", gid="stripping")
    _staircase(ax, result.staircase, result.stages, result.feed_stage)

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

    summary = (
        f"{result.n_stages:.2f} theoretical stages, feed on stage {result.feed_stage}, "
        f"R = {spec.reflux:.3g}, q = {spec.q:.3g}"
    )
    return _finish_diagram(ax, light, curve, components, summary)


def _enthalpy_balanced_stairs(design: Any, ax: Optional[Axes]) -> Axes:
    """The stages of a Ponchon–Savarit design on the x–y diagram: each stage's
    (x_n, y_n) on the equilibrium curve, joined through (x_n, y_(n+1)), the
    points of its curved operating line."""
    names = design.system.components
    light = _light_name(names)
    ax = _axes(ax)
    column, result = design.column, design.staircase
    _curve_and_diagonal(ax, design.curve)
    stages = result.stages
    points = [(column.x_distillate, column.x_distillate)]
    for i, stage in enumerate(stages):
        points.append((stage.x, stage.y))
        below = stages[i + 1].y if i + 1 < len(stages) else column.x_bottoms
        points.append((stage.x, below))
    _staircase(ax, points, stages, result.feed_stage)
    for value, name in ((column.x_distillate, "x_D"), (column.x_bottoms, "x_B"), (column.feed.z, "z_F")):
        _diagonal_mark(ax, value, name, name)
    summary = (
        f"Ponchon–Savarit: {result.n_stages:.2f} stages, feed on stage {result.feed_stage}, "
        f"R = {result.reflux:.3g}, q = {column.feed.q:.3g}"
    )
    return _finish_diagram(ax, light, design.curve, names, summary)


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
