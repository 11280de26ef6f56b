"""``python -m kolvar``: design a binary column and print a compact report.

``python -m kolvar shortcut ...`` runs the multicomponent shortcut design
instead (see kolvar.shortcut_cli).

With no options it designs a benzene/toluene column at 101.325 kPa on a
Peng–Robinson equilibrium curve: x_D = 0.95, x_B = 0.05, a saturated-liquid
feed with z_F = 0.5 and R = 1.5·R_min.  ``--plot FILE`` also writes the
McCabe–Thiele diagram (PNG or SVG, by the file's extension).

The thermodynamics of the curve is chosen with ``--eos``, ``--mixing-rule``
and ``--kij`` (an equation of state in both phases) or ``--activity`` with
``--parameters`` and ``--vapour`` (an activity-coefficient liquid; NRTL and
UNIQUAC take ``--parameters`` as one JSON mapping).  When the
design's liquid would split into two liquids on that model, one line on
stderr, "kolvar: warning: ...", says over which x range.

Every failure, a bad option as well as an engine error, is printed as one
line on stderr, "kolvar: error: ...", and the exit status is 2.  A reader
that closes the pipe early (``python -m kolvar | head``) ends the program
quietly with status 141, as a Unix tool killed by SIGPIPE reports it.
"""

from __future__ import annotations

import argparse
import math
import os
import signal
import sys
from typing import List, NoReturn, Optional, Sequence, TextIO, Tuple

from . import EquilibriumCurve, ThermoSystem, __version__, mccabe_thiele, rmin, total_reflux
from ._model_options import activity_parameters, canonical
from .thermo import _curve_without_split_warning, _split_along_curve, model_names

PROG = "kolvar"
PLOT_FORMATS = {".png": "png", ".svg": "svg"}
MIN_POINTS = 5
# The status a shell reports for a process ended by SIGPIPE.
BROKEN_PIPE_STATUS = 128 + getattr(signal, "SIGPIPE", 13)


class UsageError(Exception):
    """A bad command line; its text is reported as the one error line."""


class _Parser(argparse.ArgumentParser):
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


def build_parser() -> argparse.ArgumentParser:
    parser = _Parser(
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
        "--pressure", type=float, metavar="KPA", help="column pressure in kPa absolute (default: 101.325)"
    )
    curve.add_argument("--points", type=int, default=101, metavar="N", help="curve samples (default: 101)")
    _add_thermo_options(parser)

    design = parser.add_argument_group("design")
    design.add_argument("--xd", type=_fraction, default=0.95, help="distillate light-component fraction (default: 0.95)")
    design.add_argument("--xb", type=_fraction, default=0.05, help="bottoms light-component fraction (default: 0.05)")
    design.add_argument("--zf", type=_fraction, default=0.5, help="feed light-component fraction (default: 0.5)")
    design.add_argument("--q", type=float, default=1.0, help="feed thermal condition, 1 = saturated liquid (default: 1)")
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

    parser.add_argument("--plot", metavar="FILE", help="write the McCabe-Thiele diagram to FILE (.png or .svg)")
    parser.add_argument("--version", action="version", version=f"{PROG} {__version__}")
    return parser


def _names(kind: str, first: Optional[str] = None) -> str:
    names = [name for name in model_names()[kind] if name != first]
    return ", ".join(names if first is None else [f"{first} (default)", *names])


def _add_thermo_options(parser: argparse.ArgumentParser) -> None:
    thermo = parser.add_argument_group(
        "thermodynamics of the curve from --components",
        "Default: Peng-Robinson in both phases with classical mixing and kij = 0. Names are matched regardless "
        "of case.",
    )
    thermo.add_argument(
        "--eos", metavar="NAME", help="cubic equation of state in both phases: " + _names("eos", "PR1976")
    )
    thermo.add_argument(
        "--mixing-rule",
        metavar="NAME",
        help="mixing rule of the equation of state: "
        + _names("mixing_rule", "Classical")
        + "; the excess-Gibbs-energy rules take their model from --activity",
    )
    thermo.add_argument(
        "--kij", type=float, metavar="K", help="binary interaction parameter k12 = k21 of the equation of state"
    )
    thermo.add_argument(
        "--activity",
        metavar="MODEL",
        help="activity-coefficient liquid (or the model of an excess-Gibbs-energy mixing rule): "
        + _names("activity"),
    )
    thermo.add_argument(
        "--parameters",
        nargs="+",
        metavar="VALUE",
        help="the activity model's binary parameters: A12 A21, the matrix [[0, A12], [A21, 0]] "
        "(van Laar and Margules dimensionless, Wilson energies in J/mol), or for NRTL and UNIQUAC one JSON "
        'mapping, \'{"a": [[0, A12], [A21, 0]], "b": ..., "alpha": ...}\' (NRTL, b in K) or '
        '\'{"r": [R1, R2], "q": [Q1, Q2], "a": ..., "b": ...}\' (UNIQUAC)',
    )
    thermo.add_argument(
        "--vapour",
        metavar="NAME",
        help="vapour of the activity-coefficient liquid: IdealGas (default), Virial or an equation-of-state name",
    )


# Options that only make sense for a curve from --components, in report order.
_THERMO_OPTIONS = ("pressure", "eos", "mixing_rule", "kij", "activity", "parameters", "vapour")


def _check_thermo_options(args: argparse.Namespace) -> None:
    given = [name for name in _THERMO_OPTIONS if getattr(args, name) is not None]
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


def _parse(argv: Optional[Sequence[str]]) -> argparse.Namespace:
    args = build_parser().parse_args(argv)
    _check_thermo_options(args)
    if args.parameters is not None:
        args.parameters = activity_parameters(args.parameters)
    if args.points < MIN_POINTS:
        raise UsageError(f"--points must be at least {MIN_POINTS}, got {args.points}")
    if args.plot is not None:
        extension = os.path.splitext(args.plot)[1].lower()
        if extension not in PLOT_FORMATS:
            raise UsageError(f"--plot needs a .png or .svg file name, got {args.plot!r}")
        from . import plot

        plot._require_matplotlib()  # before any work: fails with the install hint
    return args


def _system(args: argparse.Namespace, names: List[str]) -> Tuple[ThermoSystem, str]:
    """The thermodynamic system the options choose, and how the report names its model."""
    parameters = args.parameters
    if isinstance(parameters, tuple):
        parameters = [[0.0, parameters[0]], [parameters[1], 0.0]]
    args.activity = canonical("activity", args.activity)
    if args.eos is not None or args.mixing_rule is not None or args.kij is not None:
        eos = canonical("eos", "PR1976" if args.eos is None else args.eos)
        rule = canonical("mixing_rule", "Classical" if args.mixing_rule is None else args.mixing_rule)
        kij = None if args.kij is None else [[0.0, args.kij], [args.kij, 0.0]]
        system = ThermoSystem.cubic(
            names, eos=eos, mixing_rule=rule, kij=kij, ge_model=args.activity, ge_parameters=parameters
        )
        model = f"{eos}, {rule}" + ("" if args.activity is None else f" with {_activity_text(args)}")
        return system, model + ("" if args.kij is None else f", kij = {args.kij:g}")
    if args.activity is not None:
        vapour = canonical("vapour", "IdealGas" if args.vapour is None else args.vapour)
        system = ThermoSystem.activity(names, args.activity, parameters, vapour=vapour)
        return system, f"{_activity_text(args)} liquid, {vapour} vapour"
    return ThermoSystem.peng_robinson(names), "Peng-Robinson"


def _activity_text(args: argparse.Namespace) -> str:
    """'Wilson (A12 = 449.3, A21 = 1964.6)', 'NRTL (a, b, alpha)', or the bare name without --parameters."""
    if args.parameters is None:
        return str(args.activity)
    if isinstance(args.parameters, dict):
        return f"{args.activity} ({', '.join(map(str, args.parameters))})"
    return f"{args.activity} (A12 = {args.parameters[0]:g}, A21 = {args.parameters[1]:g})"


def _curve(args: argparse.Namespace) -> Tuple[EquilibriumCurve, str, Optional[List[str]], Optional[ThermoSystem]]:
    """The equilibrium curve, a one-line description of it, the component names and the system."""
    if args.alpha is not None:
        curve = EquilibriumCurve.constant_alpha(args.alpha, args.points)
        return curve, f"constant relative volatility, alpha = {args.alpha:g}", None, None
    names = list(args.components) if args.components else ["benzene", "toluene"]
    pressure = 101.325 if args.pressure is None else args.pressure
    system, model = _system(args, names)
    curve = _curve_without_split_warning(system, pressure, args.points)  # run() reports the split in one line
    return curve, f"{' / '.join(system.components)}, {model}", list(system.components), system


def _split_warning(system: ThermoSystem, curve: EquilibriumCurve, x_b: float, x_d: float) -> Optional[str]:
    """The warning line when the liquid splits somewhere between x_B and x_D, else None.

    The design itself does not depend on the test, so a test that fails is a
    warning too rather than the end of the run.
    """
    try:
        split = _split_along_curve(system, curve)
    except RuntimeError as exc:
        return f"{PROG}: warning: the liquid's stability could not be tested: {' '.join(str(exc).split())}"
    if split is None or split[1] < x_b or split[0] > x_d:
        return None
    low, high = split
    return (
        f"{PROG}: warning: on this model the liquid splits into two liquid phases for {low:.3f} < x < {high:.3f} "
        f"at {curve.pressure:g} kPa, so the curve there is no real vapour-liquid equilibrium"
    )


def _point(p: Tuple[float, float]) -> str:
    return f"({p[0]:.4f}, {p[1]:.4f})"


def run(args: argparse.Namespace, out: TextIO, err: Optional[TextIO] = None) -> None:
    curve, source, components, system = _curve(args)
    if system is not None:
        warning = _split_warning(system, curve, args.xb, args.xd)
        if warning is not None:
            print(warning, file=sys.stderr if err is None else err)
    analysis = rmin(curve, args.xd, args.xb, args.zf, args.q)
    if args.reflux is not None:
        reflux = args.reflux
        reflux_note = "given"
    else:
        factor = 1.5 if args.reflux_factor is None else args.reflux_factor
        reflux = factor * analysis.r_min
        reflux_note = f"{factor:g} x R_min"
    result = mccabe_thiele(curve, args.xd, args.xb, args.zf, reflux, args.q, args.murphree, args.condenser)
    minimum = total_reflux(curve, args.xd, args.xb, args.murphree)

    pinch_kind = "tangent" if analysis.tangent else "feed"
    stage_word = "stages" if args.murphree == 1.0 else f"real stages at E_MV = {args.murphree:g}"
    condenser_note = (
        "partial condenser, counted as stage 1" if args.condenser == "partial" else "total condenser"
    )
    lines = [
        f"kolvar {__version__}: McCabe-Thiele design",
        f"curve       {curve!r}, {source}",
        f"pressure    {'none (synthetic curve)' if curve.pressure is None else f'{curve.pressure:g} kPa'}",
        f"design      x_D = {args.xd:g}, x_B = {args.xb:g}, z_F = {args.zf:g}, q = {args.q:g}, {condenser_note}",
        f"feed point  {_point(analysis.feed_point)}  (q-line on the equilibrium curve)",
        f"R_min       {analysis.r_min:.4f}  ({pinch_kind} pinch at {_point(analysis.pinch)})",
        f"reflux      R = {reflux:.4f}  ({reflux_note})",
        f"stages      {result.n_stages:.3f} {stage_word}, feed on stage {result.feed_stage}"
        " (reboiler included)",
        f"N_min       {minimum.n_min:.3f} at total reflux",
        "",
        "stage       x        y",
    ]
    for stage in result.stages:
        mark = "  <- feed" if stage.index == result.feed_stage else ""
        lines.append(f"{stage.index:5d}  {stage.x:.5f}  {stage.y:.5f}{mark}")
    out.write("\n".join(lines) + "\n")

    if args.plot is not None:
        _write_plot(args.plot, curve, result, components)
        out.write(f"diagram     {args.plot}\n")


def _write_plot(path: str, curve: EquilibriumCurve, result: object, components: Optional[List[str]]) -> None:
    from . import plot

    # A bare Figure on the Agg canvas: no GUI backend and no pyplot state.
    from matplotlib.backends.backend_agg import FigureCanvasAgg
    from matplotlib.figure import Figure

    figure = Figure(figsize=(7.0, 7.0), layout="constrained")
    FigureCanvasAgg(figure)
    ax = figure.add_subplot()
    plot.mccabe_thiele(curve, result, ax, components=components)  # type: ignore[arg-type]
    try:
        figure.savefig(path, format=PLOT_FORMATS[os.path.splitext(path)[1].lower()], dpi=150)
    except OSError as exc:
        raise OSError(f"cannot write the diagram to {path!r}: {exc.strerror or exc}") from exc


def main(argv: Optional[Sequence[str]] = None) -> int:
    """Run the command line; returns the exit status (0, 2 after an error, 141 on a closed pipe)."""
    arguments = sys.argv[1:] if argv is None else list(argv)
    if arguments[:1] == ["shortcut"]:
        from .shortcut_cli import main as shortcut_main

        return shortcut_main(arguments[1:])
    try:
        return _report_errors(argv)
    except BrokenPipeError:
        # The reader went away (``| head``): stop without a word, and point
        # standard output at the null device so that the interpreter's final
        # flush of what is still buffered does not fail a second time.
        _discard_standard_output()
        return BROKEN_PIPE_STATUS


def _report_errors(argv: Optional[Sequence[str]]) -> int:
    try:
        args = _parse(argv)
        if sys.stdout is None:  # started with the descriptor closed (">&-")
            raise OSError("standard output is closed")
        run(args, sys.stdout)
        sys.stdout.flush()  # a closed pipe shows here, not at interpreter exit
    except BrokenPipeError:
        raise
    except (UsageError, ValueError, RuntimeError, OverflowError, ImportError, OSError) as exc:
        message = " ".join(str(exc).split()) or type(exc).__name__
        print(f"{PROG}: error: {message}", file=sys.stderr)
        return 2
    return 0


def _discard_standard_output() -> None:
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
