"""Names and numbers beside the points of a diagram: stage numbers at the
stage corners, x_D, x_B and z_F beside their marks on the diagonal.

They are placed last, once the frame is laid out: each inside the frame,
clear of the marks and of the labels already placed, on the first of its
preferred sides that has room.  A stage number that finds no room is hidden
(it stays on the Axes, with its gid, for tools that read the stages); the
first and last stages and the feed stage are placed first, so they show.
Text boxes are estimated from the font size, so no drawing is needed.
"""

from __future__ import annotations

from typing import TYPE_CHECKING, Any, List, Optional, Sequence, Tuple

from ._common import MARKS, STAIRS

if TYPE_CHECKING:  # pragma: no cover - only for type checkers
    from matplotlib.axes import Axes
    from matplotlib.text import Annotation

Box = Tuple[float, float, float, float]  # left, bottom, right, top, in pixels
Spot = Tuple[int, int]  # side of the point: -1 left/below, 0 centred, 1 right/above

_STAGE_SIZE = 7  # font size of a stage number
_MARK_SIZE = 8  # font size of a mark's name
_GAP = 3.0  # points between a point and its label
_CHAR_WIDTH = 0.64  # of the font size: a digit's advance, and about a letter's
_LINE_HEIGHT = 1.2  # of the font size
_MARK_HALF = 4.5  # points: half the side of the box a mark covers
_MARGIN = 1.5  # points between a label and the frame

# A stage corner lies on the equilibrium curve, its step's lines run right
# and down from it: up-left is outside both, and so are straight up and left
# where the curve is flat or steep.
STAGE_SPOTS: Tuple[Spot, ...] = ((-1, 1), (0, 1), (-1, 0))
# A mark on the diagonal: below it, outside the staircase, right then left.
_MARK_SPOTS: Tuple[Spot, ...] = ((1, -1), (-1, -1), (1, 1), (-1, 1))


def draw_staircase(ax: Axes, staircase: Sequence[Tuple[float, float]], stages: Sequence[Any]) -> List[Annotation]:
    """The staircase and one number per stage corner (placed later by :func:`place_labels`)."""
    ax.plot([p[0] for p in staircase], [p[1] for p in staircase], color=STAIRS, linewidth=1.0, label="stages",
            gid="staircase")
    labels = []
    for stage in stages:
        label = ax.annotate(str(stage.index), (stage.x, stage.y), xytext=(-_GAP, _GAP), textcoords="offset points",
                            ha="right", va="bottom", fontsize=_STAGE_SIZE)
        label.set_gid("stage-label")
        labels.append(label)
    return labels


def diagonal_mark(ax: Axes, value: float, name: str, text: str) -> Annotation:
    """A mark at (value, value) with its name beside it (placed later)."""
    ax.plot([value], [value], linestyle="none", marker="o", markersize=5, markerfacecolor="white",
            markeredgecolor=MARKS, zorder=4, gid=name)
    label = ax.annotate(text, (value, value), xytext=(_GAP, -_GAP), textcoords="offset points", ha="left",
                        va="top", fontsize=_MARK_SIZE, color="0.2")
    label.set_gid(name + "-label")
    return label


def _priority(count: int, feed_stage: int) -> List[int]:
    """Stage indices (0-based) in the order their numbers are placed: first, last, feed, the rest."""
    order = [0, count - 1] + ([feed_stage - 1] if 0 < feed_stage <= count else [])
    order += range(count)
    return list(dict.fromkeys(order))


def _lay_out(ax: Axes) -> None:
    """Settle the frame's place on the figure (layout engine, equal aspect) before measuring."""
    draw = getattr(ax.figure, "draw_without_rendering", None)
    if draw is not None:
        draw()
    else:  # pragma: no cover - matplotlib before 3.6
        ax.apply_aspect()


def place_labels(
    ax: Axes,
    stage_labels: Sequence[Annotation],
    feed_stage: int = 0,
    marks: Sequence[Annotation] = (),
    obstacles: Sequence[Tuple[float, float]] = (),
    spots: Optional[Sequence[Sequence[Spot]]] = None,
) -> None:
    """Place the marks' names, then the stage numbers in priority order.

    ``obstacles`` are further marked points (data coordinates) to keep clear
    of; the marks' own points are kept clear too.  ``spots`` gives each stage
    label its own preferred sides (default :data:`STAGE_SPOTS`).
    """
    _lay_out(ax)
    frame = ax.bbox
    scale = float(getattr(ax.figure, "dpi", 72.0)) / 72.0
    half = _MARK_HALF * scale
    taken: List[Box] = []
    for x, y in [m.xy for m in marks] + list(obstacles):
        px, py = ax.transData.transform((x, y))
        taken.append((px - half, py - half, px + half, py + half))
    for mark in marks:
        _place(ax, mark, _MARK_SPOTS, taken, frame, scale, required=True, gap=_MARK_HALF)
    for i in _priority(len(stage_labels), feed_stage):
        own = STAGE_SPOTS if spots is None else spots[i]
        _place(ax, stage_labels[i], own, taken, frame, scale, required=i in (0, len(stage_labels) - 1, feed_stage - 1))


def _place(
    ax: Axes,
    label: Annotation,
    spots: Sequence[Spot],
    taken: List[Box],
    frame: Any,
    scale: float,
    required: bool,
    gap: float = _GAP,
) -> None:
    size = float(label.get_fontsize())
    width = _CHAR_WIDTH * size * len(label.get_text()) * scale
    height = _LINE_HEIGHT * size * scale
    px, py = ax.transData.transform(label.xy)
    margin = _MARGIN * scale
    choices = []
    # The preferred sides close to the point, then the same sides further out.
    for ring in (gap * scale, (gap + 2 * _MARK_HALF) * scale):
        for sx, sy in spots:
            left = px + (ring if sx > 0 else -ring - width if sx < 0 else -width / 2)
            bottom = py + (ring if sy > 0 else -ring - height if sy < 0 else -height / 2)
            # Inside the frame: shifted back over an edge it would cross.
            left = min(max(left, frame.x0 + margin), frame.x1 - margin - width)
            bottom = min(max(bottom, frame.y0 + margin), frame.y1 - margin - height)
            choices.append((left, bottom, left + width, bottom + height))
    free = [box for box in choices if not any(_overlap(box, other) for other in taken)]
    if not free and not required:
        label.set_visible(False)
        return
    box = free[0] if free else choices[0]
    taken.append(box)
    # The box's lower-left corner, as an offset in points from the point.
    label.set_horizontalalignment("left")
    label.set_verticalalignment("bottom")
    label.xyann = ((box[0] - px) / scale, (box[1] - py) / scale)
    label.set_visible(True)


def _overlap(a: Box, b: Box) -> bool:
    """Whether two boxes share more than a touching edge (a tenth of a pixel)."""
    slack = 0.1
    return a[0] + slack < b[2] and b[0] + slack < a[2] and a[1] + slack < b[3] and b[1] + slack < a[3]
