"""Diagrams of kolvar designs, drawn with matplotlib.

matplotlib is an optional dependency (``pip install 'kolvar[plot]'``); it is
imported only when a function here is called, so ``import kolvar`` and
``import kolvar.plot`` work without it.

Every function draws onto the given Axes, or onto a new one when ``ax`` is
None, and returns that Axes.  Artists carry stable ``gid`` values (listed in
:data:`GIDS`) so that tools and tests can find them again, e.g.
``[a for a in ax.lines if a.get_gid() == "staircase"]``.
"""

from ._common import GIDS
from ._design import mccabe_thiele, n_vs_r, total_reflux
from ._enthalpy import enthalpy_composition
from ._ponchon import ponchon_savarit
from ._shortcut import shortcut
from ._phase import pxy, txy

__all__ = [
    "mccabe_thiele",
    "ponchon_savarit",
    "total_reflux",
    "n_vs_r",
    "txy",
    "pxy",
    "enthalpy_composition",
    "shortcut",
    "GIDS",
]
