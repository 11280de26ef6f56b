"""kolvar: McCabe–Thiele design of binary distillation columns, with the
vapour–liquid equilibrium thermodynamics behind it.

``__all__`` holds the names of the native module :mod:`kolvar._engine`,
:func:`shortcut`, the shortcut design of a multicomponent column, the
warnings :class:`CompositionWarning`, :class:`LiquidSplitWarning` and
:class:`UnitWarning` (a temperature or pressure no liquid can have: most
often °C or bar where K or kPa are meant), and
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

from . import _compounds, _engine
from ._engine import *  # noqa: F401,F403
from ._engine import __version__
from ._engine import _CompositionWarning as CompositionWarning
from ._engine import _LiquidSplitWarning as LiquidSplitWarning
from ._engine import _UnitWarning as UnitWarning
from ._design import ColumnDesign, design
from ._energy import column_energy, ponchon_savarit
from ._shortcut import shortcut

# The submodules come with the package (kolvar.plot needs matplotlib only to draw).
from . import plot, thermo  # noqa: E402,F401

__all__ = [*_engine.__all__, "shortcut", "CompositionWarning", "LiquidSplitWarning", "column_energy",
           "ponchon_savarit", "design", "ColumnDesign", "UnitWarning"]


def components() -> _typing.List[str]:
    """The names of the 24 compounds of the built-in database, in table order.

    Constructors, :func:`component` and the command line also take these
    names for them (in any case): isopropanol, isopropyl alcohol, IPA and
    propan-2-ol for 2-propanol; methyl alcohol and MeOH for methanol; ethyl
    alcohol and EtOH for ethanol; propanone and dimethyl ketone for acetone;
    trichloromethane for chloroform; methylbenzene for toluene; butane,
    pentane, hexane, heptane, octane, nonane and decane for the n-alkanes;
    2-methylpropane and i-butane for isobutane; 2-methylbutane and i-pentane
    for isopentane; hexahydrotoluene for methylcyclohexane; and each
    compound's CAS number.  Equations of state are also named PR or
    Peng-Robinson (PR1976), SRK or Soave-Redlich-Kwong (RKS1972), RK or
    Redlich-Kwong (RK1949), VdW or van der Waals (VdW1870) and PRSV
    (PRSV1986).

    With the optional ``chemicals`` package (``pip install
    'kolvar[chemicals]'``), any other name, synonym or CAS number that it
    knows names a compound too: see :func:`component`.
    """
    return list(_engine.ThermoSystem._database_names())


def component(name: str) -> _typing.Mapping[str, _typing.Any]:
    """The constants of the database compound ``name``, as a read-only mapping.

    Keys: ``name``, ``tc`` [K], ``pc`` [kPa], ``omega``, ``zc``, ``vc``
    [cm3/mol], ``tb`` [K], ``mw`` [g/mol], ``psat_coeffs`` (reduced Antoine
    a1, a2, a3: ln(Psat/pc) = a1 − a2/(a3 + T)), ``cp_coeffs`` (ideal-gas
    Cp/R = Σ a_k T^k) and, when the database has them, ``liquid_volume``
    [cm3/mol], ``tm``, the melting point [K] at 101.325 kPa (for carbon
    dioxide, which sublimes there, its triple point), and the subgroup counts
    of the group-contribution liquids, ``unifac_groups`` (UNIFAC) and
    ``dortmund_groups`` (UNIFAC-Dortmund), as ``{subgroup name: count}``.
    This is the shape the ``ThermoSystem`` constructors accept for a compound
    given by its constants, so ``dict(component("water"), name=..., tc=...)``
    starts a new compound from a known one; a compound of your own takes its
    groups the same way, keyed by subgroup name or number (``{"CH3": 2,
    "CH2": 4}`` or ``{1: 2, 2: 4}``).  Coefficient lists are tuples and group
    counts read-only mappings; nothing in the mapping can be changed.  An
    unknown name raises the same error as a constructor given that name.

    A name the database does not know may be an alias of one of its compounds
    (see :func:`components`) or, with the ``chemicals`` package installed, a
    compound of that package: its record has the same keys, and shows its
    ``formula``, ``cas`` and ``sources`` (the table or correlation each
    constant came from, with the range and largest error of each fit).
    """
    try:
        constants = _engine.ThermoSystem._database_component(name)
    except RuntimeError as error:
        found = _compounds.lookup(name)
        if isinstance(found, _compounds.Compound):
            return found
        if found is None or isinstance(found, _compounds.Refusal):
            prefix = str(error)[: str(error).index("component ")]
            text = str(found) if found is not None else str(error)[len(prefix):] + _compounds.unknown_tail(name)
            raise RuntimeError(prefix + text) from None
        constants = _engine.ThermoSystem._database_component(found)
    return _types.MappingProxyType({key: _frozen(value) for key, value in constants.items()})


def _frozen(value: _typing.Any) -> _typing.Any:
    if isinstance(value, list):
        return tuple(value)
    if isinstance(value, dict):
        return _types.MappingProxyType(value)
    return value


_engine._set_component_resolver(_compounds.resolve)
