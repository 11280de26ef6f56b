"""The command line's options: the parser of ``python -m kolvar`` and the
checks that argparse cannot make, each failure a :class:`UsageError`."""

from __future__ import annotations

import argparse
import math
import os
import sys
from typing import NoReturn, Optional, Sequence

from . import __version__
from . import _units
from ._model_options import activity_parameters
from .thermo import model_names

PROG = "kolvar"
PLOT_FORMATS = {".png": "png", ".svg": "svg", ".pdf": "pdf"}
MIN_POINTS = 5
METHODS = {"mccabe-thiele": "mccabe_thiele", "ponchon-savarit": "ponchon_savarit"}


class UsageError(Exception):
    """A bad command line; its text is reported as the one error line."""


class Parser(argparse.ArgumentParser):
    # argparse prints the usage and then the message; one line is clearer,
    # and --help still shows the full usage.
    def error(self, message: str) -> NoReturn:
        raise UsageError(message)


def _fraction(text: str) -> float:
    """A mole fraction strictly inside (0, 1).

    Checked here because the minimum-reflux analysis, which runs first when
    the reflux is a multiple of R_min, reports x_D = 1.5 as an unreachable
    purity rather than as a bad number.
    """
    try:
        value = float(text)
    except ValueError:
        raise argparse.ArgumentTypeError(f"expected a number, got {text!r}") from None
    if not 0.0 < value < 1.0:
        raise argparse.ArgumentTypeError(f"must be a mole fraction strictly inside (0, 1), got {text}")
    return value


def temperature(text: str) -> float:
    """A temperature option: K, or the unit it names (74C, 347.15K)."""
    try:
        return _units.temperature(text)
    except ValueError as exc:
        raise argparse.ArgumentTypeError(str(exc)) from None


def pressure(text: str) -> float:
    """A pressure option: kPa absolute, or the unit it names (1atm, 1.01325bar, 101325Pa)."""
    try:
        return _units.pressure(text)
    except ValueError as exc:
        raise argparse.ArgumentTypeError(str(exc)) from None


PRESSURE_HELP = "with a unit (1atm, 1.01325bar, 101325Pa, 14.7psia) or a bare number in kPa"


def build_parser() -> argparse.ArgumentParser:
    parser = Parser(
        prog=PROG,
        description=(
            "McCabe-Thiele design of a binary distillation column. Without options: "
            "benzene/toluene at 101.325 kPa (Peng-Robinson), x_D = 0.95, x_B = 0.05, "
            "saturated-liquid feed z_F = 0.5, R = 1.5 R_min."
        ),
        epilog=f"{PROG} shortcut --help: the shortcut design of a multicomponent column.",
    )
    curve = parser.add_argument_group("equilibrium curve")
    source = curve.add_mutually_exclusive_group()
    source.add_argument(
        "--components",
        nargs=2,
        metavar=("LIGHT", "HEAVY"),
        help="component names, more volatile first (default: benzene toluene)",
    )
    source.add_argument(
        "--alpha", type=float, metavar="A", help="constant relative volatility instead of a thermodynamic curve"
    )
    curve.add_argument(
        "--pressure", type=pressure, metavar="P", help=f"column pressure, absolute: {PRESSURE_HELP} (default: 101.325)"
    )
    curve.add_argument("--points", type=int, default=101, metavar="N", help="curve samples (default: 101)")
    _add_thermo_options(parser)

    design = parser.add_argument_group("design")
    design.add_argument("--xd", type=_fraction, default=0.95, help="distillate light-component fraction (default: 0.95)")
    design.add_argument("--xb", type=_fraction, default=0.05, help="bottoms light-component fraction (default: 0.05)")
    design.add_argument("--zf", type=_fraction, default=0.5, help="feed light-component fraction (default: 0.5)")
    condition = design.add_mutually_exclusive_group()
    condition.add_argument(
        "--q", type=float, default=1.0, help="feed thermal condition, 1 = saturated liquid (default: 1)"
    )
    condition.add_argument(
        "--feed-temperature",
        type=temperature,
        metavar="T",
        help="feed temperature with a unit (74C, 347.15K) or a bare number in K: q from the feed's enthalpy at the "
        "column pressure (needs --components)",
    )
    design.add_argument(
        "--feed-rate", type=float, default=100.0, metavar="F", help="feed in kmol/h (default: 100)"
    )
    reflux = design.add_mutually_exclusive_group()
    reflux.add_argument("--reflux", type=float, metavar="R", help="absolute reflux ratio L/D")
    reflux.add_argument(
        "--reflux-factor", type=float, metavar="F", help="reflux as a multiple of R_min (default: 1.5)"
    )
    design.add_argument(
        "--murphree", type=float, default=1.0, metavar="E", help="Murphree vapour efficiency in (0, 1] (default: 1)"
    )
    design.add_argument(
        "--condenser", choices=("total", "partial"), default="total", help="condenser kind (default: total)"
    )
    design.add_argument(
        "--method",
        choices=tuple(METHODS),
        default="mccabe-thiele",
        help="constant molar overflow, or enthalpy-balanced stages (needs --components) (default: mccabe-thiele)",
    )

    parser.add_argument("--plot", metavar="FILE", help="write the diagram to FILE (.png, .svg or .pdf)")
    parser.add_argument("--json", action="store_true", help="print the design as JSON instead of the report")
    parser.add_argument("--version", action="version", version=f"{PROG} {__version__}")
    parser.add_argument(
        "--self-test", action="store_true", help="check this installation in seconds with a subset of the tests, and exit"
    )
    return parser


def known_names(kind: str, first: Optional[str] = None) -> str:
    names = [name for name in model_names()[kind] if name != first]
    return ", ".join(names if first is None else [f"{first} (default)", *names])


def _add_thermo_options(parser: argparse.ArgumentParser) -> None:
    thermo = parser.add_argument_group(
        "thermodynamics of the curve from --components",
        "Default: Peng-Robinson in both phases with classical mixing and kij = 0. Names are matched regardless "
        "of case.",
    )
    thermo.add_argument(
        "--eos", metavar="NAME", help="cubic equation of state in both phases: " + known_names("eos", "PR1976")
    )
    thermo.add_argument(
        "--mixing-rule",
        metavar="NAME",
        help="mixing rule of the equation of state: "
        + known_names("mixing_rule", "Classical")
        + "; the excess-Gibbs-energy rules take their model from --activity",
    )
    thermo.add_argument(
        "--kij", type=float, metavar="K", help="binary interaction parameter k12 = k21 of the equation of state"
    )
    thermo.add_argument(
        "--activity",
        metavar="MODEL",
        help="activity-coefficient liquid (or the model of an excess-Gibbs-energy mixing rule): "
        + known_names("activity"),
    )
    thermo.add_argument(
        "--parameters",
        nargs="+",
        metavar="VALUE",
        help="the activity model's binary parameters: A12 A21, the matrix [[0, A12], [A21, 0]] "
        "(van Laar and Margules dimensionless, Wilson energies in J/mol), or for NRTL and UNIQUAC one JSON "
        'mapping, \'{"a": [[0, A12], [A21, 0]], "b": ..., "alpha": ...}\' (NRTL, b in K) or '
        '\'{"r": [R1, R2], "q": [Q1, Q2], "a": ..., "b": ...}\' (UNIQUAC); UNIFAC and UNIFAC-Dortmund take none',
    )
    thermo.add_argument(
        "--vapour",
        metavar="NAME",
        help="vapour of the activity-coefficient liquid: IdealGas (default), Virial or an equation-of-state name",
    )


# Options that only make sense for a curve from --components, in report order.
_THERMO_OPTIONS = ("pressure", "eos", "mixing_rule", "kij", "activity", "parameters", "vapour", "feed_temperature")


def _check_thermo_options(args: argparse.Namespace) -> None:
    given = [name for name in _THERMO_OPTIONS if getattr(args, name) is not None]
    if args.method != "mccabe-thiele" and args.alpha is not None:
        raise UsageError(f"--method {args.method} needs the enthalpies of a curve from --components, not --alpha")
    if args.method != "mccabe-thiele" and args.murphree != 1.0:
        raise UsageError(f"--murphree applies to --method mccabe-thiele, not {args.method}")
    if args.alpha is not None and given:
        option = "--" + given[0].replace("_", "-")
        raise UsageError(f"{option} applies to a curve from --components, not to --alpha")
    cubic = args.eos is not None or args.mixing_rule is not None or args.kij is not None
    if args.parameters is not None and args.activity is None:
        raise UsageError("--parameters needs --activity MODEL")
    if args.vapour is not None and (cubic or args.activity is None):
        raise UsageError(
            "--vapour applies to an activity-coefficient liquid (--activity without --eos, --mixing-rule or --kij)"
        )


def parse(argv: Optional[Sequence[str]]) -> argparse.Namespace:
    args = build_parser().parse_args(argv)
    if args.self_test:
        raise UsageError("--self-test takes no other option")
    _check_thermo_options(args)
    if args.parameters is not None:
        args.parameters = activity_parameters(args.parameters)
    if args.pressure is not None and not (math.isfinite(args.pressure) and args.pressure > 0.0):
        # As the shortcut says it; the bubble points would only fail to converge.
        shown = "NaN" if math.isnan(args.pressure) else f"{args.pressure:g}"
        raise UsageError(f"pressure must be positive and finite, got {shown} kPa")
    if args.points < MIN_POINTS:
        raise UsageError(f"--points must be at least {MIN_POINTS}, got {args.points}")
    if args.plot is not None:
        check_plot_file(args.plot)
    return args


def check_plot_file(path: str) -> None:
    """Refuse a --plot file of an unknown format, or a plot without matplotlib, before any work."""
    extension = os.path.splitext(path)[1].lower()
    if extension not in PLOT_FORMATS:
        raise UsageError(f"--plot needs a .png, .svg or .pdf file name, got {path!r}")
    from .plot._common import require_matplotlib

    require_matplotlib()  # fails with the install hint


def discard_standard_output() -> None:
    """Point standard output's descriptor at the null device."""
    try:
        descriptor = sys.stdout.fileno()
    except (AttributeError, ValueError, OSError):
        return  # not backed by a descriptor (captured or replaced)
    null = os.open(os.devnull, os.O_WRONLY)
    try:
        os.dup2(null, descriptor)
    finally:
        os.close(null)
