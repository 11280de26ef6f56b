"""The shortcut design of a multicomponent column (see :func:`shortcut`)."""

from __future__ import annotations

from typing import TYPE_CHECKING, Optional, Sequence, Union

from . import _engine
from ._units import warn_column_top

if TYPE_CHECKING:
    from ._engine import ShortcutResult, ThermoSystem

__all__ = ["shortcut"]


def shortcut(
    system: ThermoSystem,
    pressure: float,
    feed_rate: float,
    z: Sequence[float],
    light_key: Union[str, int],
    heavy_key: Union[str, int],
    light_recovery: float,
    heavy_recovery: float,
    reflux: Optional[float] = None,
    reflux_factor: Optional[float] = None,
    q: float = 1.0,
) -> ShortcutResult:
    """Shortcut design of a multicomponent column with a total condenser.

    ``system`` is any :class:`ThermoSystem`; the column runs at ``pressure``
    [kPa] on a feed of ``feed_rate`` [kmol/h] with mole fractions ``z`` (one
    per component, summing to 1 within 1e-6) and thermal condition ``q``.
    The keys are component names (matched like the constructors' names:
    case and surrounding blanks ignored) or indices.  ``light_recovery`` is
    the fraction of the light key's feed that leaves in the distillate,
    ``heavy_recovery`` the fraction of the heavy key's feed that leaves in
    the bottoms, each strictly between 0 and 1.  Give either ``reflux``
    (R = L/D) or ``reflux_factor`` (R as a multiple of R_min).

    The method is fixed, so designs are reproducible:

    1. Fenske: the non-keys start wholly in the distillate when more
       volatile than the light key at the feed's bubble point, else wholly
       in the bottoms; then the bubble points of both products give
       alpha_i = sqrt(alpha_top · alpha_bottom) relative to the heavy key,
       N_min = ln[(d_LK/b_LK)(b_HK/d_HK)]/ln alpha_LK and the non-key splits
       d_i/b_i = (d_HK/b_HK)·alpha_i^N_min, until no flow moves by more than
       1e-12·F and the products' bubble points by more than 1e-9 of
       themselves; the temperatures reported are those of the products
       reported.  A distribution that oscillates is refused.
    2. Underwood with the same alpha: for each root theta of
       Σ alpha_i z_i/(alpha_i − theta) = 1 − q between neighbouring
       volatilities from the heavy key's to the light key's,
       R = Σ alpha_i x_D,i/(alpha_i − theta) − 1; R_min is the largest
       (0 if that is negative).  Non-keys between the keys keep their
       Fenske split.
    3. Gilliland in Molokanov's form: X = (R − R_min)/(R + 1),
       Y = 1 − exp[((1 + 54.4X)/(11 + 117.2X))·(X − 1)/√X],
       N = (Y + N_min)/(1 − Y) equilibrium stages, reboiler included.
    4. Kirkbride: N_R/N_S = [(B/D)(z_HK/z_LK)(x_B,LK/x_D,HK)²]^0.206; the
       feed enters on stage round(N_R) + 1.
    5. Energy, with enthalpies of saturated phases at the column pressure:
       Q_C = (R + 1)·D·[H_V(x_D) − h_L(x_D)] and the reboiler duty from the
       balance F·h_F + Q_R = D·h_L(x_D) + B·h_L(x_B) + Q_C, where
       h_F = q·h_L(z) + (1 − q)·H_V(z); duties in kW.

    Returns an immutable ``ShortcutResult`` with ``n_min``, ``r_min``,
    ``reflux``, ``n_stages``, ``rectifying_stages``, ``feed_stage``,
    ``distillate``, ``bottoms``, ``distillate_rate``, ``bottoms_rate``,
    ``top_temperature``, ``bottom_temperature``, ``condenser_duty``,
    ``reboiler_duty`` (kW) and ``alpha``.  A refused
    specification raises ValueError; a failed bubble point RuntimeError (which
    explains kPa when the pressure lies above every critical pressure).  A top
    temperature below every component's melting point, or that of the
    distillate's main component, issues ``kolvar.UnitWarning``.
    """
    result = _engine._shortcut(
        system,
        pressure,
        feed_rate,
        z,
        light_key,
        heavy_key,
        light_recovery,
        heavy_recovery,
        reflux,
        reflux_factor,
        q,
    )
    warn_column_top(system, result.top_temperature, result.distillate)
    return result
