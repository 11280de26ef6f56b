"""Diagrams of kolvar designs, drawn with matplotlib.

matplotlib is an optional dependency (``pip install 'kolvar[plot]'``); it is
imported only when a function here is called, so ``import kolvar`` and
``import kolvar.plot`` work without it.

Every function draws onto the given Axes, or onto a new one when ``ax`` is
None, and returns that Axes.  Artists carry stable ``gid`` values (listed in
:data:`GIDS`) so that tools and tests can find them again, e.g.
``[a for a in ax.lines if a.get_gid() == "staircase"]``.
"""

# The helpers keep their old kolvar.plot names too: the command line and other
# modules reach them there.
from ._common import (  # noqa: F401
    _CURVE,
    _INSTALL_HINT,
    _MARKS,
    _QLINE,
    _RECTIFYING,
    _STAIRS,
    _STRIPPING,
    GIDS,
    _axes,
    _binary_names,
    _finish_diagram,
    _light_name,
    _mark_split,
    _require_matplotlib,
    _square_frame,
    _system_line,
)
from ._design import _curve_and_diagonal, mccabe_thiele, n_vs_r, total_reflux  # noqa: F401
from ._enthalpy import enthalpy_composition
from ._labels import _diagonal_mark, _staircase  # noqa: F401
from ._ponchon import ponchon_savarit
from ._shortcut import shortcut
from ._phase import _dew_line, _finish_phase_diagram, _txy_of_system, pxy, txy  # noqa: F401

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
