"""kolvar: McCabe–Thiele design of binary distillation columns, with the
vapour–liquid equilibrium thermodynamics behind it.

Everything here comes from the native module :mod:`kolvar._engine`.
"""

from . import _engine
from ._engine import *  # noqa: F401,F403
from ._engine import __version__

__all__ = list(_engine.__all__)
