"""The energy of a binary column: its flows and duties (:func:`column_energy`)
and its enthalpy-balanced design (:func:`ponchon_savarit`)."""

from __future__ import annotations

from typing import TYPE_CHECKING

from . import _engine
from ._units import warn_column_top

if TYPE_CHECKING:
    from ._engine import BinaryColumn, ColumnEnergy, PonchonSavaritResult, ThermoSystem

__all__ = ["column_energy", "ponchon_savarit"]


def column_energy(system: ThermoSystem, column: BinaryColumn, reflux: float) -> ColumnEnergy:
    """Flows and duties of a binary column at reflux ratio R, at constant molar overflow.

    ``system`` is a binary :class:`ThermoSystem` (light component first),
    ``column`` a :class:`BinaryColumn`; the distillate and bottoms rates come
    from its material balances.  Flows in kmol/h: L = R·D, V = (R + 1)·D,
    L' = L + q·F, V' = V − (1 − q)·F.  The enthalpies are those of the
    saturated phases at the column pressure (``ThermoSystem.enthalpy``), each
    at its own bubble or dew temperature.  Duties in kW:

    - total condenser: Q_C = V·[H_V(x_D) − h_L(x_D)]/3600;
    - partial condenser: with x_0 the liquid in equilibrium with the
      distillate vapour and y_in = (R·x_0 + x_D)/(R + 1) the vapour entering
      it, Q_C = [V·H_V(y_in) − L·h_L(x_0) − D·H_V(x_D)]/3600;
    - reboiler, from the overall balance F·h_F + 3600·Q_R = D·h_D + B·h_B +
      3600·Q_C, with h_F = q·h_L(z_F) + (1 − q)·H_V(z_F), so that a feed from
      ``Feed.from_conditions`` carries its true enthalpy.

    Returns an immutable ``ColumnEnergy`` with ``distillate_rate``,
    ``bottoms_rate``, ``reflux_flow``, ``vapour_flow``,
    ``stripping_liquid_flow``, ``boilup``, ``top_temperature`` (bubble point
    of x_D, its dew point with a partial condenser), ``bottom_temperature``,
    ``condenser_duty`` and ``reboiler_duty``.  A refused input raises
    ValueError; a composition without a bubble or dew point at the column
    pressure raises RuntimeError, which explains kPa when the pressure lies
    above every component's critical pressure.  A top temperature that no
    liquid of the system can have (below every component's melting point, or
    that of the distillate's main component: a pressure in bar, most often)
    issues ``kolvar.UnitWarning``.
    """
    energy = _engine._column_energy(system, column, reflux)
    warn_column_top(system, energy.top_temperature, [column.x_distillate, 1.0 - column.x_distillate])
    return energy


def ponchon_savarit(system: ThermoSystem, column: BinaryColumn, reflux: float) -> PonchonSavaritResult:
    """The enthalpy-balanced (Ponchon–Savarit) design of a binary column at reflux ratio R.

    No constant molar overflow: the stages are stepped on the system's own
    tie lines and enthalpies, each stage settled on the bubble point of its
    liquid (the 101 bubble points of
    ``EquilibriumCurve.from_thermo(system, column.pressure)`` only give the
    starts), and so is ``r_min`` at any q.  The top
    difference point lies at x_D with the enthalpy h_D + Q_C/D, the bottom
    one at x_B on the line through it and the feed point (z_F, h_F); the
    duties are those of :func:`column_energy`.  Stepping is top-down with the
    conventions of ``mccabe_thiele``: y_1 = x_D (with a partial condenser
    the condenser is stage 1); the tie line from y_n gives x_n; the line
    through the active difference point and (x_n, h_L(x_n)) meets the vapour
    line at y_(n+1); the steps switch to the bottom difference point on the
    first stage whose x_n lies at or left of where the line joining the two
    difference points crosses the liquid line; the reboiler is a stage and
    the last stage is fractional.  At constant molar overflow this is
    ``mccabe_thiele`` on the same curve.

    ``r_min`` is the smallest reflux at which the stepping reaches x_B,
    tangent pinches included; a reflux at or below it raises RuntimeError
    with the wording of ``mccabe_thiele``.  The result is an immutable
    ``PonchonSavaritResult`` with ``column``, ``reflux``, ``n_stages``,
    ``stages`` (each with ``index``, ``x``, ``y``, ``t`` and the
    ``liquid_flow`` and ``vapour_flow`` leaving it, kmol/h), ``feed_stage``,
    ``r_min``, ``pinch``, ``condenser_duty``, ``reboiler_duty`` (kW),
    ``distillate_rate``, ``bottoms_rate`` and the two difference points
    (x, h [J/mol]).
    """
    return _engine._ponchon_savarit(system, column, reflux)
