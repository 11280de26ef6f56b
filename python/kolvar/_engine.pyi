"""Native module of the kolvar package, ``kolvar._engine``.

McCabe–Thiele design of binary distillation columns and the vapour–liquid
equilibrium thermodynamics behind it.  Units: K, kPa absolute, kmol/h;
compositions are mole fractions of the light (more volatile) component.
"""

from collections.abc import Callable, Mapping, Sequence
from typing import Any, ClassVar, Literal, SupportsFloat, SupportsIndex, final, type_check_only

from typing_extensions import TypeAlias

# Numbers are converted with ``float()`` semantics: int, float and any object
# with ``__float__`` or ``__index__`` are accepted.
_Float: TypeAlias = SupportsFloat | SupportsIndex
_Point: TypeAlias = tuple[float, float]
_Matrix: TypeAlias = Sequence[Sequence[_Float]]
# An activity model's parameters: a matrix, or for NRTL and UNIQUAC a mapping
# of keys to matrices and lists (UNIFAC and UNIFAC-Dortmund take none).
_ActivityParameters: TypeAlias = _Matrix | Mapping[str, _Matrix | Sequence[_Float]]
# A database name, or a mapping of constants with the keys of
# ``ThermoSystem._database_component`` (liquid_volume optional, and
# unifac_groups and dortmund_groups, which map subgroup names or numbers to
# counts).
_Component: TypeAlias = str | Mapping[str, str | _Float | Sequence[_Float] | Mapping[str | int, _Float] | None]
_Incipient: TypeAlias = tuple[float, list[float], list[float]]

# Every instance pickles (it reduces to the private ``_rebuild``), and, as
# instances are immutable, copy.copy and copy.deepcopy return the instance.

# The package's warnings, re-exported as kolvar.CompositionWarning,
# kolvar.LiquidSplitWarning and kolvar.UnitWarning.
class _CompositionWarning(UserWarning): ...
class _LiquidSplitWarning(UserWarning): ...
class _UnitWarning(UserWarning): ...

__version__: str
__all__ = [
    "__version__",
    "version",
    "smoke_bubble_temperature",
    "rmin",
    "mccabe_thiele",
    "total_reflux",
    "n_vs_r",
    "ThermoSystem",
    "EquilibriumCurve",
    "Feed",
    "BinaryColumn",
    "CondenserKind",
    "McCabeThieleSpec",
    "Line",
    "StagePoint",
    "RminResult",
    "McCabeThieleResult",
    "TotalRefluxResult",
]

def version() -> str:
    """The engine's version string."""

def smoke_bubble_temperature() -> float:
    """Bubble temperature [K] of equimolar methanol/water at 101.325 kPa."""

def rmin(
    curve: EquilibriumCurve,
    x_distillate: _Float,
    x_bottoms: _Float,
    z_feed: _Float,
    q: _Float = 1.0,
) -> RminResult:
    """Minimum reflux by pinch detection (tangent pinches included)."""

def mccabe_thiele(
    curve: EquilibriumCurve,
    x_distillate: _Float,
    x_bottoms: _Float,
    z_feed: _Float,
    reflux: _Float,
    q: _Float = 1.0,
    murphree: _Float = 1.0,
    condenser: str | CondenserKind = "total",
) -> McCabeThieleResult:
    """McCabe–Thiele construction: operating lines, staircase, stage count."""

def total_reflux(
    curve: EquilibriumCurve,
    x_distillate: _Float,
    x_bottoms: _Float,
    murphree: _Float = 1.0,
) -> TotalRefluxResult:
    """Total-reflux construction: the minimum stage count N_min."""

def n_vs_r(
    curve: EquilibriumCurve,
    r_values: Sequence[_Float],
    x_distillate: _Float,
    x_bottoms: _Float,
    z_feed: _Float,
    q: _Float = 1.0,
    murphree: _Float = 1.0,
    condenser: str | CondenserKind = "total",
) -> list[tuple[float, float]]:
    """Stage count vs reflux ratio: (r, n) pairs, n = NaN where the construction failed."""

def _shortcut(
    system: ThermoSystem,
    pressure: _Float,
    feed_rate: _Float,
    z: Sequence[_Float],
    light_key: str | SupportsIndex,
    heavy_key: str | SupportsIndex,
    light_recovery: _Float,
    heavy_recovery: _Float,
    reflux: _Float | None = None,
    reflux_factor: _Float | None = None,
    q: _Float = 1.0,
) -> ShortcutResult:
    """Shortcut design of a multicomponent column; ``kolvar.shortcut`` documents it."""

def _column_energy(system: ThermoSystem, column: BinaryColumn, reflux: _Float) -> ColumnEnergy:
    """Flows and duties of a binary column; ``kolvar.column_energy`` documents it."""

def _ponchon_savarit(system: ThermoSystem, column: BinaryColumn, reflux: _Float) -> PonchonSavaritResult:
    """Enthalpy-balanced design of a binary column; ``kolvar.ponchon_savarit`` documents it."""

def _enthalpy_curve(
    system: ThermoSystem, pressure: _Float, n_points: SupportsIndex = 101
) -> tuple[list[float], list[float], list[float], list[float], list[float]]:
    """The saturated lines (x, y, t, h_liquid, h_vapour) of a binary system at `pressure`."""

def _ponchon_savarit_min_reflux(system: ThermoSystem, column: BinaryColumn) -> float:
    """The minimum reflux of the enthalpy-balanced design; ``kolvar.ponchon_savarit`` documents it."""

def _stage_table(
    system: ThermoSystem,
    column: BinaryColumn,
    staircase: McCabeThieleResult | PonchonSavaritResult,
    energy: ColumnEnergy,
) -> list[tuple[int, float, float, float, float, float]]:
    """The stages of a binary design as (stage, x, y, t, liquid_flow, vapour_flow)."""

def _set_component_resolver(
    resolver: Callable[[str, str], Mapping[str, str | float | Sequence[float] | None] | str] | None,
) -> None:
    """Registers what the constructors ask about a compound name the database does not know."""

def _rebuild(class_name: str, state: tuple[Any, ...]) -> Any:
    """Rebuild an instance of the named class from the state its __reduce__ gave
    (pickle calls this), with the checks of its constructor."""

@final
class ThermoSystem:
    """An owned mixture plus model selection that answers equilibrium questions."""

    @staticmethod
    def peng_robinson(names: Sequence[str]) -> ThermoSystem:
        """φ–φ system: Peng–Robinson in both phases, classical mixing, kij = 0."""

    @staticmethod
    def van_laar(names: Sequence[str], a12: _Float, a21: _Float) -> ThermoSystem:
        """γ–φ system: van Laar liquid and ideal-gas vapour for a binary pair."""

    @staticmethod
    def cubic(
        components: Sequence[_Component],
        eos: str = "PR1976",
        mixing_rule: str = "Classical",
        kij: _Matrix | None = None,
        ge_model: str | None = None,
        ge_parameters: _ActivityParameters | None = None,
        eos_parameters: _Matrix | None = None,
        solubility: Sequence[_Float] | None = None,
    ) -> ThermoSystem:
        """φ–φ system: one cubic equation of state in both phases."""

    @staticmethod
    def activity(
        components: Sequence[_Component],
        model: str,
        parameters: _ActivityParameters | None = None,
        vapour: str = "IdealGas",
        saturation: str | Sequence[str] | None = None,
        poynting: bool = False,
        solubility: Sequence[_Float] | None = None,
    ) -> ThermoSystem:
        """γ–φ system: an activity-coefficient liquid."""

    @staticmethod
    def ideal_solution(
        components: Sequence[_Component],
        vapour: str = "IdealGas",
        saturation: str | Sequence[str] | None = None,
    ) -> ThermoSystem:
        """Ideal-solution liquid (γ = 1)."""

    @staticmethod
    def grayson_streed(components: Sequence[_Component], vapour: str = "RK1949") -> ThermoSystem:
        """Grayson–Streed liquid fugacity correlation."""

    @staticmethod
    def _database_names() -> list[str]: ...
    @staticmethod
    def _database_component(name: str) -> dict[str, str | float | list[float] | dict[str | int, int]]: ...
    @staticmethod
    def _model_names() -> dict[str, list[str]]: ...
    @staticmethod
    def from_dict(data: dict[str, Any]) -> ThermoSystem:
        """The system a `to_dict()` record describes (after a trip through JSON too)."""
    @property
    def components(self) -> list[str]:
        """Component names, in composition-index order."""

    def bubble_temperature(self, p: _Float, x: Sequence[_Float]) -> _Incipient:
        """Bubble temperature [K] at pressure `p` [kPa] for liquid composition `x`. Returns `(T, y, k)`."""

    def bubble_pressure(self, t: _Float, x: Sequence[_Float]) -> _Incipient:
        """Bubble pressure [kPa] at temperature `t` [K] for liquid composition `x`. Returns `(P, y, k)`."""

    def dew_temperature(self, p: _Float, y: Sequence[_Float]) -> _Incipient:
        """Dew temperature [K] at pressure `p` [kPa] for vapour composition `y`. Returns `(T, x, k)`."""

    def dew_pressure(self, t: _Float, y: Sequence[_Float]) -> _Incipient:
        """Dew pressure [kPa] at temperature `t` [K] for vapour composition `y`. Returns `(P, x, k)`."""

    def flash(self, t: _Float, p: _Float, z: Sequence[_Float]) -> tuple[float, list[float], list[float]]:
        """Isothermal flash. Returns `(vapour_fraction, x, y)`."""

    def k_values(self, t: _Float, p: _Float, x: Sequence[_Float]) -> tuple[list[float], list[float]]:
        """K-values of the liquid `x` and its incipient vapour. Returns `(k, y)`."""

    def ln_phi(
        self, t: _Float, p: _Float, composition: Sequence[_Float], phase: Literal["liquid", "vapour"]
    ) -> list[float]:
        """ln φ_i of one phase of the given composition."""

    def ln_phi_derivatives(
        self, t: _Float, p: _Float, composition: Sequence[_Float], phase: Literal["liquid", "vapour"]
    ) -> FugacityDerivatives:
        """ln φ_i of one phase with its exact derivatives in T, P and the amounts."""

    def ln_gamma(self, t: _Float, x: Sequence[_Float]) -> list[float]:
        """ln γ_i of the liquid `x` (activity-coefficient systems)."""

    def saturation_pressure(self, t: _Float) -> list[float]:
        """Saturation pressure [kPa] of every component."""

    def liquid_stability(self, t: _Float, p: _Float, x: Sequence[_Float]) -> tuple[float, list[float]]:
        """Minimum tangent-plane distance of the liquid and its trial composition. Returns `(tpd_min, trial_x)`."""

    def enthalpy(
        self, t: _Float, p: _Float, composition: Sequence[_Float], phase: Literal["liquid", "vapour", "vapor"]
    ) -> float:
        """Molar enthalpy [J/mol] of one phase; reference: ideal-gas components at 298.15 K."""

    def feed_quality(self, t: _Float, p: _Float, z: Sequence[_Float]) -> float:
        """Thermal condition q of the feed `z` at `t` [K] and `p` [kPa]; kolvar.UnitWarning for an implausible `t`."""

    def _implausible_temperature(self, t: _Float) -> str | None: ...
    def stable_flash(self, t: _Float, p: _Float, z: Sequence[_Float]) -> list[EquilibriumPhase]:
        """The stable phases of the feed `z`: the vapour first, then up to two liquids."""

    def to_dict(self) -> dict[str, Any]:
        """`components` (names), `model` (the constructor and its arguments) and `constants` (of each component)."""

    def _repr_html_(self) -> str: ...
    def __copy__(self) -> ThermoSystem: ...
    def __deepcopy__(self, memo: object, /) -> ThermoSystem: ...

@final
class EquilibriumCurve:
    """A sampled binary equilibrium curve y*(x), with T(x) when it came from a thermodynamic model."""

    @staticmethod
    def from_thermo(system: ThermoSystem, pressure: _Float, n_points: SupportsIndex = 101) -> EquilibriumCurve:
        """Bubble-point sweep over an even x grid; light component first in `system`."""

    @staticmethod
    def constant_alpha(alpha: _Float, n_points: SupportsIndex = 101) -> EquilibriumCurve:
        """Constant relative volatility: y = αx / (1 + (α − 1)x)."""

    @staticmethod
    def from_points(
        x: Sequence[_Float],
        y: Sequence[_Float],
        t: Sequence[_Float] | None = None,
        pressure: _Float | None = None,
    ) -> EquilibriumCurve:
        """From raw (x, y[, t]) samples such as digitised literature data."""

    @property
    def x(self) -> list[float]:
        """Sampled liquid compositions (strictly increasing, spans [0, 1])."""

    @property
    def y(self) -> list[float]:
        """Sampled equilibrium vapor compositions y*(x)."""

    @property
    def t(self) -> list[float]:
        """Sampled bubble temperatures [K] (empty for synthetic curves)."""

    @property
    def pressure(self) -> float | None:
        """Column pressure [kPa], if the curve has one."""

    def y_of_x(self, x: _Float) -> float:
        """Interpolated equilibrium vapor fraction y*(x)."""

    def x_of_y(self, y: _Float) -> float:
        """Interpolated inverse x*(y)."""

    def temperature_of_x(self, x: _Float) -> float:
        """Interpolated bubble temperature T(x) [K]."""

    def relative_volatility(self, x: _Float) -> float:
        """Point relative volatility α(x) from the curve."""

    def to_dict(self) -> dict[str, Any]:
        """The attributes as plain Python data (nested dicts, names, lists, None for NaN)."""

    def _repr_html_(self) -> str: ...
    def __copy__(self) -> EquilibriumCurve: ...
    def __deepcopy__(self, memo: object, /) -> EquilibriumCurve: ...

@final
class Feed:
    """A single feed to a binary column."""

    def __new__(cls, rate: _Float, z: _Float, q: _Float = 1.0) -> Feed: ...
    @staticmethod
    def from_conditions(system: ThermoSystem, rate: _Float, z: _Float, temperature: _Float, pressure: _Float) -> Feed:
        """The feed of a binary system with q from its temperature and pressure."""

    @property
    def rate(self) -> float:
        """Feed molar flow `F` in **kmol/h**."""

    @property
    def z(self) -> float:
        """Light-component mole fraction `z_F` of the feed (0–1)."""

    @property
    def q(self) -> float:
        """Thermal condition `q` (dimensionless, see type docs)."""

    def to_dict(self) -> dict[str, Any]:
        """The attributes as plain Python data (nested dicts, names, lists, None for NaN)."""

    def _repr_html_(self) -> str: ...
    def __copy__(self) -> Feed: ...
    def __deepcopy__(self, memo: object, /) -> Feed: ...

@final
class BinaryColumn:
    """A binary two-product column with one feed and a single column pressure."""

    def __new__(
        cls,
        pressure: _Float,
        feed: Feed,
        x_distillate: _Float,
        x_bottoms: _Float,
        condenser: str | CondenserKind = "total",
    ) -> BinaryColumn: ...
    @property
    def pressure(self) -> float:
        """Column pressure in **kPa** (absolute)."""

    @property
    def condenser(self) -> CondenserKind:
        """Condenser kind (total condensers are the McCabe–Thiele default)."""

    @property
    def feed(self) -> Feed:
        """The single feed."""

    @property
    def x_distillate(self) -> float:
        """Light-component mole fraction of the distillate, `x_D`."""

    @property
    def x_bottoms(self) -> float:
        """Light-component mole fraction of the bottoms, `x_B`."""

    def distillate_rate(self) -> float:
        """Distillate molar flow D [kmol/h] from the material balances."""

    def bottoms_rate(self) -> float:
        """Bottoms molar flow B = F − D [kmol/h]."""

    def to_dict(self) -> dict[str, Any]:
        """The attributes as plain Python data (nested dicts, names, lists, None for NaN)."""

    def _repr_html_(self) -> str: ...
    def __copy__(self) -> BinaryColumn: ...
    def __deepcopy__(self, memo: object, /) -> BinaryColumn: ...

@final
class CondenserKind:
    """The condenser at the top of the column: ``Total`` (value 0) or ``Partial`` (value 1)."""

    Total: ClassVar[CondenserKind]
    Partial: ClassVar[CondenserKind]
    # Members compare equal to each other and to their integer values; they are not hashable.
    __hash__: ClassVar[None]  # type: ignore[assignment]
    def __eq__(self, value: object, /) -> bool: ...
    def __ne__(self, value: object, /) -> bool: ...
    def __int__(self) -> int: ...

    def __copy__(self) -> CondenserKind: ...
    def __deepcopy__(self, memo: object, /) -> CondenserKind: ...

@final
class McCabeThieleSpec:
    """Design specification for a McCabe–Thiele construction."""

    @property
    def x_distillate(self) -> float: ...
    @property
    def x_bottoms(self) -> float: ...
    @property
    def z_feed(self) -> float: ...
    @property
    def q(self) -> float: ...
    @property
    def reflux(self) -> float: ...
    @property
    def murphree(self) -> float: ...
    @property
    def condenser(self) -> CondenserKind: ...

    def to_dict(self) -> dict[str, Any]:
        """The attributes as plain Python data (nested dicts, names, lists, None for NaN)."""

    def _repr_html_(self) -> str: ...
    def __copy__(self) -> McCabeThieleSpec: ...
    def __deepcopy__(self, memo: object, /) -> McCabeThieleSpec: ...

@final
class Line:
    """A straight construction line `y = slope · x + intercept`."""

    @property
    def slope(self) -> float:
        """Slope (dimensionless)."""

    @property
    def intercept(self) -> float:
        """Intercept at x = 0 (mole fraction)."""

    def to_dict(self) -> dict[str, Any]:
        """The attributes as plain Python data (nested dicts, names, lists, None for NaN)."""

    def _repr_html_(self) -> str: ...
    def __copy__(self) -> Line: ...
    def __deepcopy__(self, memo: object, /) -> Line: ...

@final
class StagePoint:
    """One theoretical (or pseudo-, when `E_MV < 1`) stage of the staircase."""

    @property
    def index(self) -> int:
        """Stage number, 1-based from the top."""

    @property
    def x(self) -> float:
        """Liquid light-component fraction leaving the stage."""

    @property
    def y(self) -> float:
        """Vapor light-component fraction leaving the stage."""

    def to_dict(self) -> dict[str, Any]:
        """The attributes as plain Python data (nested dicts, names, lists, None for NaN)."""

    def _repr_html_(self) -> str: ...
    def __copy__(self) -> StagePoint: ...
    def __deepcopy__(self, memo: object, /) -> StagePoint: ...

@final
class RminResult:
    """The result of a minimum-reflux analysis."""

    @property
    def r_min(self) -> float:
        """Minimum external reflux ratio `R_min`."""

    @property
    def pinch(self) -> _Point:
        """The controlling pinch point `(x, y)` on the equilibrium curve."""

    @property
    def tangent(self) -> bool:
        """True if the controlling pinch is a tangent pinch rather than the feed pinch."""

    @property
    def feed_point(self) -> _Point:
        """The q-line ∩ equilibrium-curve point `(x_q*, y_q*)`."""

    def to_dict(self) -> dict[str, Any]:
        """The attributes as plain Python data (nested dicts, names, lists, None for NaN)."""

    def _repr_html_(self) -> str: ...
    def __copy__(self) -> RminResult: ...
    def __deepcopy__(self, memo: object, /) -> RminResult: ...

@final
class McCabeThieleResult:
    """The full construction: every geometric object on the diagram plus the stage count."""

    @property
    def spec(self) -> McCabeThieleSpec: ...
    @property
    def n_stages(self) -> float:
        """Number of theoretical stages, fractional."""

    @property
    def stages(self) -> list[StagePoint]: ...
    @property
    def feed_stage(self) -> int:
        """Optimal feed stage, 1-based from the top."""

    @property
    def rmin(self) -> RminResult:
        """Minimum-reflux analysis for this spec (computed on the true curve)."""

    @property
    def rectifying(self) -> Line: ...
    @property
    def stripping(self) -> Line: ...
    @property
    def intersection(self) -> _Point:
        """Intersection of the two operating lines (on the q-line)."""

    @property
    def staircase(self) -> list[_Point]: ...

    def to_dict(self) -> dict[str, Any]:
        """The attributes as plain Python data (nested dicts, names, lists, None for NaN)."""

    def _repr_html_(self) -> str: ...
    def __copy__(self) -> McCabeThieleResult: ...
    def __deepcopy__(self, memo: object, /) -> McCabeThieleResult: ...

@final
class TotalRefluxResult:
    """The total-reflux construction: operating lines collapsed onto the diagonal."""

    @property
    def n_min(self) -> float:
        """Minimum number of theoretical stages `N_min` (fractional, reboiler included)."""

    @property
    def stages(self) -> list[StagePoint]:
        """Stage corners, top-down."""

    @property
    def staircase(self) -> list[_Point]:
        """The staircase polyline against the diagonal."""

    def to_dict(self) -> dict[str, Any]:
        """The attributes as plain Python data (nested dicts, names, lists, None for NaN)."""

    def _repr_html_(self) -> str: ...
    def __copy__(self) -> TotalRefluxResult: ...
    def __deepcopy__(self, memo: object, /) -> TotalRefluxResult: ...

# Reached through kolvar.shortcut only: the class is no module attribute.
@final
@type_check_only
class ShortcutResult:
    """A shortcut design of a multicomponent column with a total condenser."""

    @property
    def n_min(self) -> float:
        """Minimum number of equilibrium stages at total reflux (Fenske)."""

    @property
    def r_min(self) -> float:
        """Minimum external reflux ratio (Underwood)."""

    @property
    def reflux(self) -> float:
        """External reflux ratio `R = L/D` of the design."""

    @property
    def n_stages(self) -> float:
        """Equilibrium stages at `reflux` (Gilliland), fractional, reboiler included."""

    @property
    def rectifying_stages(self) -> float:
        """Stages above the feed (Kirkbride), fractional."""

    @property
    def feed_stage(self) -> int:
        """Feed stage, 1-based from the top."""

    @property
    def distillate(self) -> list[float]:
        """Distillate mole fractions."""

    @property
    def bottoms(self) -> list[float]:
        """Bottoms mole fractions."""

    @property
    def distillate_rate(self) -> float:
        """Distillate flow `D` in kmol/h."""

    @property
    def bottoms_rate(self) -> float:
        """Bottoms flow `B` in kmol/h."""

    @property
    def top_temperature(self) -> float:
        """Bubble temperature of the distillate [K]."""

    @property
    def bottom_temperature(self) -> float:
        """Bubble temperature of the bottoms [K]."""

    @property
    def condenser_duty(self) -> float:
        """Heat removed by the total condenser in kW."""

    @property
    def reboiler_duty(self) -> float:
        """Heat added in the reboiler in kW."""

    @property
    def alpha(self) -> list[float]:
        """Relative volatilities to the heavy key (the heavy key's is 1)."""

    def to_dict(self) -> dict[str, Any]:
        """The attributes as plain Python data (nested dicts, names, lists, None for NaN)."""

    def _repr_html_(self) -> str: ...
    def __copy__(self) -> ShortcutResult: ...
    def __deepcopy__(self, memo: object, /) -> ShortcutResult: ...

# Reached through kolvar.column_energy and kolvar.ponchon_savarit only: the
# classes are no module attributes.
@final
@type_check_only
class ColumnEnergy:
    """Flows and duties of a binary column at constant molar overflow."""

    @property
    def distillate_rate(self) -> float:
        """Distillate flow `D` in kmol/h."""

    @property
    def bottoms_rate(self) -> float:
        """Bottoms flow `B` in kmol/h."""

    @property
    def reflux_flow(self) -> float:
        """Reflux `L = R·D` in kmol/h."""

    @property
    def vapour_flow(self) -> float:
        """Vapour of the rectifying section `V = (R + 1)·D` in kmol/h."""

    @property
    def stripping_liquid_flow(self) -> float:
        """Liquid of the stripping section `L + q·F` in kmol/h."""

    @property
    def boilup(self) -> float:
        """Vapour of the stripping section `V − (1 − q)·F` in kmol/h."""

    @property
    def top_temperature(self) -> float:
        """Bubble temperature of the distillate [K] (dew temperature with a partial condenser)."""

    @property
    def bottom_temperature(self) -> float:
        """Bubble temperature of the bottoms [K]."""

    @property
    def condenser_duty(self) -> float:
        """Heat removed in the condenser, kW."""

    @property
    def reboiler_duty(self) -> float:
        """Heat added in the reboiler, kW."""

    def to_dict(self) -> dict[str, Any]:
        """The attributes as plain Python data (nested dicts, names, lists, None for NaN)."""

    def _repr_html_(self) -> str: ...
    def __copy__(self) -> ColumnEnergy: ...
    def __deepcopy__(self, memo: object, /) -> ColumnEnergy: ...

@final
@type_check_only
class PonchonSavaritStage:
    """One equilibrium stage of an enthalpy-balanced design, with its flows."""

    @property
    def index(self) -> int:
        """Stage number, 1-based from the top."""

    @property
    def x(self) -> float:
        """Liquid light-component fraction leaving the stage."""

    @property
    def y(self) -> float:
        """Vapour light-component fraction leaving the stage."""

    @property
    def t(self) -> float:
        """Stage temperature [K]."""

    @property
    def liquid_flow(self) -> float:
        """Liquid leaving the stage in kmol/h."""

    @property
    def vapour_flow(self) -> float:
        """Vapour leaving the stage in kmol/h."""

    def to_dict(self) -> dict[str, Any]:
        """The attributes as plain Python data (nested dicts, names, lists, None for NaN)."""

    def _repr_html_(self) -> str: ...
    def __copy__(self) -> PonchonSavaritStage: ...
    def __deepcopy__(self, memo: object, /) -> PonchonSavaritStage: ...

@final
@type_check_only
class PonchonSavaritResult:
    """The enthalpy-balanced (Ponchon–Savarit) design of a binary column."""

    @property
    def column(self) -> BinaryColumn:
        """The column the design was made for."""

    @property
    def reflux(self) -> float:
        """External reflux ratio `R = L₀/D`."""

    @property
    def n_stages(self) -> float:
        """Number of equilibrium stages, fractional, reboiler included."""

    @property
    def stages(self) -> list[PonchonSavaritStage]:
        """The stages, top-down."""

    @property
    def feed_stage(self) -> int:
        """Feed stage, 1-based from the top."""

    @property
    def r_min(self) -> float:
        """Minimum external reflux ratio, tangent pinches included."""

    @property
    def pinch(self) -> _Point:
        """The tie line `(x, y)` that sets the minimum reflux."""

    @property
    def condenser_duty(self) -> float:
        """Heat removed in the condenser, kW."""

    @property
    def reboiler_duty(self) -> float:
        """Heat added in the reboiler, kW."""

    @property
    def distillate_rate(self) -> float:
        """Distillate flow `D` in kmol/h."""

    @property
    def bottoms_rate(self) -> float:
        """Bottoms flow `B` in kmol/h."""

    @property
    def top_difference_point(self) -> _Point:
        """The top difference point `(x_D, h_D + Q_C/D)`, enthalpy in J/mol."""

    @property
    def bottom_difference_point(self) -> _Point:
        """The bottom difference point `(x_B, h_B − Q_R/B)`, enthalpy in J/mol."""

    def to_dict(self) -> dict[str, Any]:
        """The attributes as plain Python data (nested dicts, names, lists, None for NaN)."""

    def _repr_html_(self) -> str: ...
    def __copy__(self) -> PonchonSavaritResult: ...
    def __deepcopy__(self, memo: object, /) -> PonchonSavaritResult: ...

# Reached through ThermoSystem.stable_flash only: the class is no module attribute.
@final
@type_check_only
class EquilibriumPhase:
    """One phase of an equilibrium found by `ThermoSystem.stable_flash`."""

    @property
    def kind(self) -> Literal["vapour", "liquid"]:
        """\"vapour\" or \"liquid\"."""

    @property
    def fraction(self) -> float:
        """The phase's share of the feed's moles, in (0, 1]."""

    @property
    def composition(self) -> list[float]:
        """Mole fractions, in the system's component order."""

    def to_dict(self) -> dict[str, Any]:
        """The attributes as plain Python data (nested dicts, names, lists, None for NaN)."""

    def _repr_html_(self) -> str: ...
    def __copy__(self) -> EquilibriumPhase: ...
    def __deepcopy__(self, memo: object, /) -> EquilibriumPhase: ...

# Reached through ThermoSystem.ln_phi_derivatives only: the class is no module attribute.
@final
@type_check_only
class FugacityDerivatives:
    """ln φ_i of one phase with its exact gradient, from `ThermoSystem.ln_phi_derivatives`."""

    @property
    def ln_phi(self) -> list[float]:
        """ln φ_i, in the system's component order."""

    @property
    def d_temperature(self) -> list[float]:
        """∂ln φ_i/∂T [1/K] at fixed pressure and amounts."""

    @property
    def d_pressure(self) -> list[float]:
        """∂ln φ_i/∂P [1/kPa] at fixed temperature and amounts."""

    @property
    def d_amounts(self) -> list[list[float]]:
        """∂ln φ_i/∂n_j [1/mol] at a total of one mole: row i, column j (symmetric)."""

    def to_dict(self) -> dict[str, Any]:
        """The attributes as plain Python data (nested dicts, names, lists, None for NaN)."""

    def _repr_html_(self) -> str: ...
    def __copy__(self) -> FugacityDerivatives: ...
    def __deepcopy__(self, memo: object, /) -> FugacityDerivatives: ...
