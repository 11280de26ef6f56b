"""kolvar: McCabe–Thiele design of binary distillation columns, with the
vapour–liquid equilibrium thermodynamics behind it.

``__all__`` holds the names of the native module :mod:`kolvar._engine`,
:func:`shortcut`, the shortcut design of a multicomponent column, the two
warnings :class:`CompositionWarning` and :class:`LiquidSplitWarning`, and
:func:`column_energy` and :func:`ponchon_savarit`, the flows and duties of a
binary column and its enthalpy-balanced design, and :func:`design`, the
whole design of a binary column in one call, with the :class:`ColumnDesign`
it returns.  The package adds
:func:`components` and :func:`component`, which read the built-in component
database, and the modules :mod:`kolvar.thermo` (conveniences such as the
liquid-split test) and :mod:`kolvar.plot`, both imported with the package,
and :mod:`kolvar.cli`.
"""

import types as _types
import typing as _typing

from . import _engine
from ._engine import *  # noqa: F401,F403
from ._engine import __version__
from ._engine import _CompositionWarning as CompositionWarning
from ._engine import _LiquidSplitWarning as LiquidSplitWarning
from ._design import ColumnDesign, design
from ._energy import column_energy, ponchon_savarit
from ._shortcut import shortcut

# The submodules come with the package (kolvar.plot needs matplotlib only to draw).
from . import plot, thermo  # noqa: E402,F401

__all__ = [*_engine.__all__, "shortcut", "CompositionWarning", "LiquidSplitWarning", "column_energy",
           "ponchon_savarit", "design", "ColumnDesign"]


def components() -> _typing.List[str]:
    """The names of the 24 compounds of the built-in database, in table order."""
    return list(_engine.ThermoSystem._database_names())


def component(name: str) -> _typing.Mapping[str, _typing.Any]:
    """The constants of the database compound ``name``, as a read-only mapping.

    Keys: ``name``, ``tc`` [K], ``pc`` [kPa], ``omega``, ``zc``, ``vc``
    [cm3/mol], ``tb`` [K], ``mw`` [g/mol], ``psat_coeffs`` (reduced Antoine
    a1, a2, a3: ln(Psat/pc) = a1 − a2/(a3 + T)), ``cp_coeffs`` (ideal-gas
    Cp/R = Σ a_k T^k) and, when the database has it, ``liquid_volume``
    [cm3/mol].  This is the shape the ``ThermoSystem`` constructors accept for
    a compound given by its constants, so ``dict(component("water"), name=...,
    tc=...)`` starts a new compound from a known one.  Coefficient lists are
    tuples; nothing in the mapping can be changed.  An unknown name raises the
    same error as a constructor given that name.
    """
    constants = _engine.ThermoSystem._database_component(name)
    return _types.MappingProxyType(
        {key: tuple(value) if isinstance(value, list) else value for key, value in constants.items()}
    )
