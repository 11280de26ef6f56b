"""The products of a shortcut design: the feed's, the distillate's and the
bottoms' mole fractions side by side for every component."""

from __future__ import annotations

from typing import TYPE_CHECKING, Optional, Sequence

from ._common import MARKS, RECTIFYING, STRIPPING, target_axes

if TYPE_CHECKING:  # pragma: no cover - only for type checkers
    from matplotlib.axes import Axes

    from .._engine import ShortcutResult


def shortcut(
    result: ShortcutResult, components: Sequence[str], z: Optional[Sequence[float]] = None, ax: Optional[Axes] = None
) -> Axes:
    """Draw the product compositions of a :func:`kolvar.shortcut` design.

    One group of bars per component (in the system's order, named by
    ``components``): the feed ``z`` when given, the distillate and the
    bottoms, each with gid "product".  The title states the stage count,
    the feed stage and the reflux; the legend the products' flows and
    bubble temperatures.
    """
    ax = target_axes(ax)
    if len(components) != len(result.distillate):
        raise ValueError(f"components must name the design's {len(result.distillate)} components, "
                         f"got {len(components)}")
    rows = [("distillate", result.distillate, RECTIFYING,
             f"distillate, D = {result.distillate_rate:.4g} kmol/h at {result.top_temperature:.1f} K"),
            ("bottoms", result.bottoms, STRIPPING,
             f"bottoms, B = {result.bottoms_rate:.4g} kmol/h at {result.bottom_temperature:.1f} K")]
    if z is not None:
        total = sum(z)
        rows.insert(0, ("feed", [v / total for v in z], MARKS, "feed"))
    width = 0.8 / len(rows)
    for k, (_, values, colour, label) in enumerate(rows):
        offsets = [i + (k - (len(rows) - 1) / 2) * width for i in range(len(components))]
        bars = ax.bar(offsets, values, width, color=colour, label=label)
        for bar in bars:
            bar.set_gid("product")
    ax.set_xticks(range(len(components)), list(components))
    ax.set_ylim(0.0, 1.05)
    ax.set_ylabel("mole fraction")
    ax.set_title(f"shortcut design: N = {result.n_stages:.1f} stages, feed on {result.feed_stage}, "
                 f"R = {result.reflux:.3f} (R_min = {result.r_min:.3f})", fontsize="medium")
    ax.legend(loc="upper center", fontsize="small", frameon=False)
    ax.grid(axis="y", alpha=0.3)
    return ax
