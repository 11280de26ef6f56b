"""One call for the whole design of a binary column: :func:`design` and the
:class:`ColumnDesign` it returns."""

from __future__ import annotations

import math
from typing import TYPE_CHECKING, Any, Dict, List, Optional, Tuple, Union, cast

from . import _engine
from ._energy import column_energy, ponchon_savarit
from ._engine import BinaryColumn, EquilibriumCurve, McCabeThieleResult, RminResult, ThermoSystem, mccabe_thiele, rmin

if TYPE_CHECKING:  # pragma: no cover - only for type checkers
    from matplotlib.axes import Axes

    from ._engine import ColumnEnergy, PonchonSavaritResult

__all__ = ["design", "ColumnDesign"]

METHODS = ("mccabe_thiele", "ponchon_savarit")

# The columns of stage_table(), in their order.
_TABLE_KEYS = ("stage", "x", "y", "t", "liquid_flow", "vapour_flow")

# The attributes in their order: the keys of to_dict() and the pickled state.
_FIELDS = (
    "system",
    "column",
    "method",
    "reflux",
    "curve",
    "rmin",
    "r_min",
    "staircase",
    "energy",
    "n_stages",
    "feed_stage",
)


class ColumnDesign:
    """The design of a binary column, from :func:`design`: every number of the
    separate calls in one immutable object.

    Attributes: ``system`` (``ThermoSystem``), ``column`` (``BinaryColumn``),
    ``method`` ("mccabe_thiele" or "ponchon_savarit"), ``reflux`` (R = L/D),
    ``curve`` (``EquilibriumCurve.from_thermo`` at the column pressure),
    ``rmin`` (the ``RminResult`` on that curve), ``r_min`` (the method's own
    minimum reflux), ``staircase`` (the ``McCabeThieleResult`` or
    ``PonchonSavaritResult``), ``energy`` (flows, end temperatures and duties
    in the shape of ``ColumnEnergy``), ``n_stages`` and ``feed_stage``.
    """

    # The diagram of _repr_html_ is drawn once, on the first display, and kept.
    __slots__ = _FIELDS + ("_svg_text",)

    system: ThermoSystem
    column: BinaryColumn
    method: str
    reflux: float
    curve: EquilibriumCurve
    rmin: RminResult
    r_min: float
    staircase: Union[McCabeThieleResult, PonchonSavaritResult]
    energy: ColumnEnergy
    n_stages: float
    feed_stage: int
    _svg_text: str

    def __init__(self, *args: Any, **kwargs: Any) -> None:
        raise TypeError("ColumnDesign is made by kolvar.design(...)")

    def __setattr__(self, name: str, value: Any) -> None:
        raise AttributeError(f"ColumnDesign is immutable: cannot set {name!r}")

    def __delattr__(self, name: str) -> None:
        raise AttributeError(f"ColumnDesign is immutable: cannot delete {name!r}")

    def __reduce__(self) -> Tuple[Any, Tuple[Any, ...]]:
        return _restore, tuple(getattr(self, name) for name in _FIELDS)

    def __copy__(self) -> ColumnDesign:
        return self

    def __deepcopy__(self, memo: object) -> ColumnDesign:
        return self

    def __repr__(self) -> str:
        names = " / ".join(self.system.components)
        return (
            f"<ColumnDesign {names} by {self.method}: R = {self.reflux:.4g} (R_min = {self.r_min:.4g}), "
            f"{self.n_stages:.2f} stages, feed on stage {self.feed_stage}>"
        )

    def report(self) -> str:
        """The text report that ``python -m kolvar`` prints for this design: the
        curve and its model, the specification, R_min with its pinch, the
        stages and N_min, the flows, end temperatures and duties, and the
        stage table with the feed stage marked.  The reflux is stated as its
        multiple of R_min."""
        from ._cli_report import design_report

        return design_report(self)

    def stage_table(self) -> List[Dict[str, float]]:
        """The stages top-down, one dict each: ``stage``, ``x``, ``y``, ``t``
        (K, the bubble temperature of the stage's liquid), ``liquid_flow`` and
        ``vapour_flow`` (kmol/h, leaving the stage).

        Ponchon–Savarit stages carry their own flows.  At constant molar
        overflow the liquid leaving a stage above the feed stage is L and
        below it L + qF; the vapour leaving a stage at or above the feed
        stage is V and below it V − (1 − q)F; the reboiler (the last stage)
        passes the bottoms B down, and a partial condenser (stage 1) the
        distillate D up.
        """
        rows = _engine._stage_table(self.system, self.column, self.staircase, self.energy)
        return [dict(zip(_TABLE_KEYS, row)) for row in rows]

    def to_dict(self) -> Dict[str, Any]:
        """The attributes as plain Python data, in their order: the native
        results as their own ``to_dict()``, so that ``json.dumps`` writes the
        design (NaN and infinite numbers become None)."""
        out: Dict[str, Any] = {}
        for name in _FIELDS:
            value = getattr(self, name)
            if hasattr(value, "to_dict"):
                value = value.to_dict()
            elif isinstance(value, float) and not math.isfinite(value):
                value = None
            out[name] = value
        return out

    def plot(self, ax: Optional[Axes] = None) -> Axes:
        """Draw the design on the x–y diagram (needs matplotlib) and return the Axes.

        McCabe–Thiele: ``kolvar.plot.mccabe_thiele`` with the components named
        and the liquid-split band shaded.  Ponchon–Savarit: the equilibrium
        curve with the design's stages stepped between it and its (curved)
        operating line.
        """
        from . import plot

        if isinstance(self.staircase, McCabeThieleResult):
            return plot.mccabe_thiele(
                self.curve, self.staircase, ax, components=self.system.components, system=self.system
            )
        return plot._design.enthalpy_balanced_stairs(self, ax)

    def _repr_html_(self) -> str:
        from ._design_sheet import design_sheet

        return design_sheet(self, self._svg())

    def _svg(self) -> str:
        """The diagram as inline SVG, or '' without matplotlib; drawn on the first call only."""
        try:
            return self._svg_text
        except AttributeError:
            pass
        text = self._draw_svg()
        object.__setattr__(self, "_svg_text", text)
        return text

    def _draw_svg(self) -> str:
        try:
            from matplotlib.backends.backend_svg import FigureCanvasSVG
            from matplotlib.figure import Figure
        except ImportError:
            return ""
        import io

        # A figure outside pyplot, so that a notebook does not show it twice.
        figure = Figure(figsize=(5.5, 5.5))
        FigureCanvasSVG(figure)
        self.plot(figure.add_subplot())
        buffer = io.StringIO()
        figure.savefig(buffer, format="svg", bbox_inches="tight")
        text = buffer.getvalue()
        return text[text.find("<svg"):]


def design(
    system: ThermoSystem,
    column: BinaryColumn,
    reflux: Optional[float] = None,
    reflux_factor: Optional[float] = None,
    method: str = "mccabe_thiele",
    n_points: int = 101,
    murphree: float = 1.0,
) -> ColumnDesign:
    """Design the binary ``column`` on ``system`` in one call.

    Give exactly one of ``reflux`` (R = L/D) and ``reflux_factor``, which
    multiplies the method's own minimum reflux.  ``method`` is
    "mccabe_thiele" (constant molar overflow; ``murphree`` is its E_MV) or
    "ponchon_savarit" (enthalpy-balanced, equilibrium stages only).

    The steps are the separate calls, whose numbers the design keeps exactly:
    ``EquilibriumCurve.from_thermo(system, column.pressure, n_points)``,
    ``rmin`` on that curve, then ``mccabe_thiele`` on it and
    ``column_energy``, or ``ponchon_savarit``.  Their errors propagate: a
    reflux at or below the minimum raises RuntimeError, a refused input
    ValueError or TypeError.
    """
    if not isinstance(system, ThermoSystem):
        raise TypeError(f"system must be a ThermoSystem, got {type(system).__name__}")
    if not isinstance(column, BinaryColumn):
        raise TypeError(f"column must be a BinaryColumn, got {type(column).__name__}")
    if method not in METHODS:
        raise ValueError(f"method must be 'mccabe_thiele' or 'ponchon_savarit', got {method!r}")
    if (reflux is None) == (reflux_factor is None):
        raise ValueError("give exactly one of reflux and reflux_factor")
    if reflux_factor is not None:
        reflux_factor = float(reflux_factor)
        if not (math.isfinite(reflux_factor) and reflux_factor > 1.0):
            raise ValueError(f"reflux_factor must be a finite number greater than 1, got {reflux_factor:g}")
    murphree = float(murphree)
    if method == "ponchon_savarit" and murphree != 1.0:
        raise ValueError(f"murphree applies to mccabe_thiele only: ponchon_savarit steps equilibrium stages, "
                         f"got murphree = {murphree:g}")

    feed = column.feed
    curve = EquilibriumCurve.from_thermo(system, column.pressure, n_points)
    analysis = rmin(curve, column.x_distillate, column.x_bottoms, feed.z, feed.q)
    staircase: Union[McCabeThieleResult, PonchonSavaritResult]
    if method == "mccabe_thiele":
        r_min = analysis.r_min
        r = float(reflux) if reflux is not None else cast(float, reflux_factor) * r_min
        staircase = mccabe_thiele(curve, column.x_distillate, column.x_bottoms, feed.z, r, feed.q, murphree,
                                  column.condenser)
        energy = column_energy(system, column, r)
    else:
        if reflux is not None:
            r = float(reflux)
        else:
            r = cast(float, reflux_factor) * _engine._ponchon_savarit_min_reflux(system, column)
        balanced = ponchon_savarit(system, column, r)
        r_min = balanced.r_min
        energy = _enthalpy_balanced_energy(system, column, balanced)
        staircase = balanced
    return _make(system, column, method, r, curve, analysis, r_min, staircase, energy,
                 staircase.n_stages, staircase.feed_stage)


def _enthalpy_balanced_energy(
    system: ThermoSystem, column: BinaryColumn, result: PonchonSavaritResult
) -> ColumnEnergy:
    """The end flows and duties of a Ponchon–Savarit design in the shape of ``ColumnEnergy``.

    The top flows L = R·D and V = (R + 1)·D hold whatever the enthalpies; at
    the bottom the boilup is the vapour leaving the reboiler and the liquid
    entering it is B more.  The end temperatures are those of
    ``column_energy``; the duties are the design's.
    """
    ends = column_energy(system, column, result.reflux)
    d, b = result.distillate_rate, result.bottoms_rate
    boilup = result.stages[-1].vapour_flow
    state = (d, b, result.reflux * d, (result.reflux + 1.0) * d, boilup + b, boilup,
             ends.top_temperature, ends.bottom_temperature, result.condenser_duty, result.reboiler_duty)
    # Through the checks every ColumnEnergy passes (the flows must balance).
    return cast("ColumnEnergy", _engine._rebuild("ColumnEnergy", state))


def _make(*values: Any) -> ColumnDesign:
    made = object.__new__(ColumnDesign)
    for name, value in zip(_FIELDS, values):
        object.__setattr__(made, name, value)
    return made


def _is_native(value: Any, name: str) -> bool:
    kind = type(value)
    return kind.__module__ == "builtins" and kind.__name__ == name and "__reduce__" in vars(kind)


def _restore(*values: Any) -> ColumnDesign:
    """Rebuild a pickled design, checking that its parts are what a design holds."""
    if len(values) != len(_FIELDS):
        raise ValueError(f"the state of ColumnDesign must have {len(_FIELDS)} items, got {len(values)}")
    state = dict(zip(_FIELDS, values))
    method = state["method"]
    if method not in METHODS:
        raise ValueError(f"the state of ColumnDesign holds an unknown method {method!r}")
    expected = {
        "system": ThermoSystem,
        "column": BinaryColumn,
        "curve": EquilibriumCurve,
        "rmin": RminResult,
    }
    for name, kind in expected.items():
        if not isinstance(state[name], kind):
            raise ValueError(f"the state of ColumnDesign holds a {type(state[name]).__name__} as {name}")
    staircase = state["staircase"]
    wanted = "McCabeThieleResult" if method == "mccabe_thiele" else "PonchonSavaritResult"
    if not (_is_native(staircase, wanted) and _is_native(state["energy"], "ColumnEnergy")):
        raise ValueError(f"the state of ColumnDesign does not hold a {wanted} and a ColumnEnergy")
    reflux = staircase.spec.reflux if method == "mccabe_thiele" else staircase.reflux
    if (state["reflux"], state["n_stages"], state["feed_stage"]) != (reflux, staircase.n_stages, staircase.feed_stage):
        raise ValueError("the state of ColumnDesign does not match its staircase")
    _check_parts(state)
    return _make(*values)


def _check_parts(state: Dict[str, Any]) -> None:
    """Refuse a state whose parts, each sound on its own, belong to different designs."""
    column, system, energy, staircase = state["column"], state["system"], state["energy"], state["staircase"]
    r_min, reflux = state["r_min"], state["reflux"]
    if not (isinstance(r_min, float) and math.isfinite(r_min) and 0.0 <= r_min < reflux):
        raise ValueError(f"the state of ColumnDesign holds r_min = {r_min!r}, not a finite number from 0 to below "
                         f"the reflux {reflux!r}")
    if len(system.components) != 2:
        raise ValueError(f"the state of ColumnDesign holds a system of {len(system.components)} components, "
                         "not a binary one")
    if state["curve"].pressure != column.pressure:
        raise ValueError(f"the state of ColumnDesign holds a curve at {state['curve'].pressure!r} kPa for a column "
                         f"at {column.pressure!r} kPa")
    products = energy.distillate_rate + energy.bottoms_rate
    if not math.isclose(products, column.feed.rate, rel_tol=1e-9):
        raise ValueError(f"the state of ColumnDesign holds flows with D + B = {products!r} kmol/h for a feed of "
                         f"{column.feed.rate!r} kmol/h")
    if state["method"] == "mccabe_thiele":
        spec = staircase.spec
        ours = (column.x_distillate, column.x_bottoms, column.feed.z, column.feed.q, column.condenser)
        same = (spec.x_distillate, spec.x_bottoms, spec.z_feed, spec.q, spec.condenser) == ours
    else:
        same = staircase.column.to_dict() == column.to_dict()
    if not same:
        raise ValueError("the state of ColumnDesign holds a staircase of another column")
