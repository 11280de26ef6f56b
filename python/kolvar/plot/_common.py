"""What every kolvar diagram shares: the optional matplotlib import, the Axes to
draw on, the artists' gids and colours, the square frame of the x–y diagrams
and the shading of a liquid split."""

from __future__ import annotations

from typing import TYPE_CHECKING, Any, Optional, Sequence, Tuple

from .._engine import EquilibriumCurve, ThermoSystem

if TYPE_CHECKING:  # pragma: no cover - only for type checkers
    from matplotlib.axes import Axes

#: gid of every artist the functions draw, by what it shows.
GIDS = {
    "equilibrium": "equilibrium curve y*(x)",
    "diagonal": "y = x",
    "q-line": "q-line from (z_F, z_F) to the operating-line intersection",
    "rectifying": "rectifying operating line (a curve in an enthalpy-balanced design)",
    "stripping": "stripping operating line (a curve in an enthalpy-balanced design)",
    "staircase": "stage staircase (one polyline)",
    "stage-label": "stage number at a stage corner, or at a stage's tie line (one text per stage)",
    "feed-stage": "marker on the corner of the feed stage",
    "x_D": "distillate composition on the diagonal (its name: gid 'x_D-label', and so for x_B and z_F)",
    "x_B": "bottoms composition on the diagonal",
    "z_F": "feed composition on the diagonal",
    "pinch": "controlling minimum-reflux pinch point (the tie line of R_min in an enthalpy-balanced design)",
    "n-vs-r": "stage count against reflux ratio",
    "r-min": "vertical line at the minimum reflux ratio",
    "product": "bars of a product's (or the feed's) mole fractions by component, of a shortcut design",
    "bubble": "bubble line T(x) or P(x)",
    "dew": "dew line T(y) or P(y)",
    "liquid-split": "shaded x range where the bubble-point liquid splits into two liquids",
    "azeotrope": "marker on the azeotrope of a T–x–y or P–x–y diagram, where the bubble and dew lines touch",
    "liquid-enthalpy": "saturated-liquid line h_L(x) at the bubble points",
    "vapour-enthalpy": "saturated-vapour line H_V(y) at the dew points",
    "tie-line": "a sampled tie line of the enthalpy-composition diagram",
    "stage-tie-line": "tie line of a stage of an enthalpy-balanced design",
    "construction": "line from a difference point through a stage's liquid to the next stage's vapour",
    "difference-line": "line joining the two difference points through the feed point",
    "difference-point": "a difference point (marker and name)",
    "feed-point": "the feed point (z_F, h_F) on the difference line",
}

INSTALL_HINT = "kolvar.plot needs matplotlib; install it with: pip install 'kolvar[plot]'"

# Colours of the construction (matplotlib's default cycle, fixed per role).
CURVE = "tab:blue"
RECTIFYING = "tab:green"
STRIPPING = "tab:red"
QLINE = "tab:purple"
STAIRS = "black"
MARKS = "tab:orange"


def require_matplotlib() -> Any:
    """Import matplotlib, or raise ImportError naming the extra to install."""
    try:
        import matplotlib
    except ImportError as exc:
        raise ImportError(INSTALL_HINT) from exc
    return matplotlib


def target_axes(ax: Optional[Axes]) -> Axes:
    require_matplotlib()
    if ax is not None:
        return ax
    # A new figure through pyplot, so that notebooks display it.
    import matplotlib.pyplot as plt

    _, new_ax = plt.subplots(figsize=(6.5, 6.5))
    return new_ax


def light_name(components: Optional[Sequence[str]]) -> str:
    """What the compositions are fractions of, for the axis labels."""
    if components is None:
        return "light component"
    names = list(components)
    if len(names) != 2 or not all(isinstance(n, str) for n in names):
        raise ValueError(f"components must be two names, light component first, got {components!r}")
    return names[0]


def system_line(curve: EquilibriumCurve, components: Optional[Sequence[str]]) -> str:
    """'benzene / toluene, P = 101.325 kPa' from what is known, 'α = 2.5' for a
    constant-α curve, or ''."""
    parts = []
    if components is not None:
        parts.append(" / ".join(components))
    if curve.pressure is not None:
        parts.append(f"P = {curve.pressure:g} kPa")
    alpha = _constant_alpha(curve)
    if alpha is not None:
        parts.append(f"α = {alpha:g}")
    return ", ".join(parts)


def _constant_alpha(curve: EquilibriumCurve) -> Optional[float]:
    """The relative volatility of a curve without temperatures whose every
    sample has the same one (``EquilibriumCurve.constant_alpha``), else None."""
    if curve.t:
        return None
    xs, ys = curve.x, curve.y
    alphas = [y * (1.0 - x) / (x * (1.0 - y)) for x, y in zip(xs, ys) if 0.0 < x < 1.0 and 0.0 < y < 1.0]
    if not alphas or max(alphas) - min(alphas) > 1e-9 * max(alphas):
        return None
    return curve.relative_volatility(0.5)


def square_frame(ax: Axes, light: str) -> None:
    ax.set_xlim(0.0, 1.0)
    ax.set_ylim(0.0, 1.0)
    ax.set_aspect("equal", adjustable="box")
    ax.set_xlabel(f"x ({light})")
    ax.set_ylabel(f"y ({light})")
    ax.grid(True, color="0.9", linewidth=0.6)
    ax.set_axisbelow(True)


def finish_diagram(
    ax: Axes, light: str, curve: EquilibriumCurve, components: Optional[Sequence[str]], summary: str
) -> Axes:
    """Square 0-1 frame, a title naming the system and the design, and the legend."""
    square_frame(ax, light)
    ax.set_title("\n".join(filter(None, [system_line(curve, components), summary])), fontsize=10)
    ax.legend(loc="lower right", fontsize=8, framealpha=0.9)
    return ax


def binary_names(system: ThermoSystem, components: Optional[Sequence[str]]) -> Sequence[str]:
    if not isinstance(system, ThermoSystem):
        raise TypeError(f"expected a ThermoSystem, got {type(system).__name__}")
    names = system.components
    if len(names) != 2:
        raise ValueError(f"phase diagrams need a binary system, got {len(names)} components")
    return names if components is None else components


def mark_split(ax: Axes, split: Optional[Tuple[float, float]]) -> None:
    if split is None:
        return
    low, high = split
    ax.axvspan(
        low,
        high,
        color=MARKS,
        alpha=0.18,
        linewidth=0,
        label=f"liquid splits, x = {low:.3f} to {high:.3f}",
        gid="liquid-split",
    )
