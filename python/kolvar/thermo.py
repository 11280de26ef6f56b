"""Conveniences over :class:`kolvar.ThermoSystem` for binary systems.

``liquid_split(system, pressure)`` tells whether the liquid of a binary
system is unstable anywhere along its bubble curve at one pressure: an
equilibrium curve drawn through such liquids predicts vapour compositions
that a real column never sees, because the liquid there separates into two
liquid phases.  ``model_names()`` lists the names the constructors accept.
"""

from __future__ import annotations

from typing import Dict, Optional, Tuple

from ._engine import ThermoSystem
from ._engine import _LiquidSplitWarning as LiquidSplitWarning  # noqa: F401 - kolvar.thermo.LiquidSplitWarning
from ._liquid_split import TPD_TOLERANCE, curve_without_split_warning, split_along_curve  # noqa: F401

__all__ = ["liquid_split", "model_names"]


def model_names() -> Dict[str, Tuple[str, ...]]:
    """The names the constructors accept, by keyword.

    Keys: ``"eos"`` (the ``eos`` of ``ThermoSystem.cubic``, also a
    ``vapour`` of ``activity``, ``ideal_solution`` and ``grayson_streed``),
    ``"mixing_rule"``, ``"activity"`` (the ``model`` of ``activity`` and the
    ``ge_model`` of ``cubic``), ``"saturation"`` (entries of ``saturation``)
    and ``"vapour"``.  Names are matched regardless of case (``"nrtl"``,
    ``"pr1976"``); these lists give the canonical spelling.
    """
    return {kind: tuple(names) for kind, names in ThermoSystem._model_names().items()}


def liquid_split(system: ThermoSystem, pressure: float, n_points: int = 101) -> Optional[Tuple[float, float]]:
    """The x range over which the bubble-point liquid of ``system`` splits.

    Runs ``EquilibriumCurve.from_thermo(system, pressure, n_points)`` (light
    component first) and, at each interior grid point, asks
    ``system.liquid_stability`` about the liquid [x, 1 − x] at its bubble
    temperature and ``pressure``.  A negative tangent-plane distance means
    that liquid is unstable: it separates into two liquids.

    Returns None when every grid liquid is stable, otherwise
    ``(x_low, x_high)``, the light-component fractions where instability
    begins and ends, each refined between neighbouring grid points to 1e-6.
    Separate unstable stretches are reported as the one range that spans
    them.  Errors of the curve or of the stability test propagate.
    """
    curve = curve_without_split_warning(system, pressure, n_points)
    return split_along_curve(system, curve)

