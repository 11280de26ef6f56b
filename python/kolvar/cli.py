"""``python -m kolvar``: design a binary column and print a compact report.

``python -m kolvar shortcut ...`` runs the multicomponent shortcut design
instead (see kolvar.shortcut_cli).

With no options it designs a benzene/toluene column at 101.325 kPa on a
Peng–Robinson equilibrium curve: x_D = 0.95, x_B = 0.05, 100 kmol/h of
saturated-liquid feed with z_F = 0.5 and R = 1.5·R_min, by McCabe–Thiele
(``--method ponchon-savarit`` balances the enthalpies instead).  A curve from
components is designed with ``kolvar.design``, so the report adds the flows,
the top and bottom temperatures, the duties and the stage temperatures;
``--feed-temperature T`` takes q from the feed's enthalpy.  ``--pressure`` and
``--feed-temperature`` take a unit (``1atm``, ``1.01325bar``, ``74C``); a bare
number is in kPa or K, and one that no liquid of the system can have is
reported as a warning line.  ``--json`` prints the design's ``to_dict()``
with its stage table and units instead of the report, and ``--plot FILE``
also writes the diagram (PNG, SVG or PDF, by the file's extension).
``--self-test`` checks the installation instead (see kolvar._self_test).

The options are parsed in kolvar._cli_options, the report is written by
kolvar._cli_report and the diagram by kolvar._cli_plot.

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
import contextlib
import signal
import sys
import warnings
from typing import TYPE_CHECKING, Any, Dict, Iterator, List, Optional, Sequence, TextIO, Tuple, Union

from . import (
    BinaryColumn,
    EquilibriumCurve,
    Feed,
    LiquidSplitWarning,
    ThermoSystem,
    UnitWarning,
    mccabe_thiele,
    rmin,
    total_reflux,
)
from ._cli_options import (  # noqa: F401 - the shortcut command and tests reach these here
    METHODS,
    MIN_POINTS,
    PLOT_FORMATS,
    PROG,
    UsageError,
    build_parser,
)
from ._cli_options import discard_standard_output as _discard_standard_output
from ._cli_options import parse as _parse
from ._cli_plot import write_plot
from ._cli_report import json_report, model_text, text_report
from ._design import design
from ._model_options import canonical
from ._liquid_split import split_along_curve as _split_along_curve

if TYPE_CHECKING:  # pragma: no cover - only for type checkers
    from ._engine import McCabeThieleResult, PonchonSavaritResult

# The status a shell reports for a process ended by SIGPIPE.
BROKEN_PIPE_STATUS = 128 + getattr(signal, "SIGPIPE", 13)


def _system(args: argparse.Namespace, names: List[str]) -> ThermoSystem:
    """The thermodynamic system the options choose."""
    parameters = args.parameters
    if isinstance(parameters, tuple):
        parameters = [[0.0, parameters[0]], [parameters[1], 0.0]]
    args.activity = canonical("activity", args.activity)
    if args.eos is not None or args.mixing_rule is not None or args.kij is not None:
        eos = canonical("eos", "PR1976" if args.eos is None else args.eos)
        rule = canonical("mixing_rule", "Classical" if args.mixing_rule is None else args.mixing_rule)
        kij = None if args.kij is None else [[0.0, args.kij], [args.kij, 0.0]]
        return ThermoSystem.cubic(
            names, eos=eos, mixing_rule=rule, kij=kij, ge_model=args.activity, ge_parameters=parameters
        )
    if args.activity is not None:
        vapour = canonical("vapour", "IdealGas" if args.vapour is None else args.vapour)
        return ThermoSystem.activity(names, args.activity, parameters, vapour=vapour)
    return ThermoSystem.peng_robinson(names)


@contextlib.contextmanager
def unit_warnings_as_lines(err: Optional[TextIO]) -> Iterator[None]:
    """Report each kolvar.UnitWarning as one line "kolvar: warning: ..." on
    ``err`` (stderr); other warnings go on as usual."""
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always", UnitWarning)
        yield
    for warning in caught:
        if issubclass(warning.category, UnitWarning):
            print(f"{PROG}: warning: {warning.message} (options take a unit: --feed-temperature 74C, "
                  "--pressure 1atm)", file=sys.stderr if err is None else err)
        else:
            warnings.warn_explicit(warning.message, warning.category, warning.filename, warning.lineno)


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


def _source(args: argparse.Namespace) -> Tuple[str, Optional[ThermoSystem], float]:
    """How the report names the curve, the system (None for a constant α) and the pressure."""
    if args.alpha is not None:
        return f"constant relative volatility, alpha = {args.alpha:g}", None, 0.0
    names = list(args.components) if args.components else ["benzene", "toluene"]
    pressure = 101.325 if args.pressure is None else args.pressure
    system = _system(args, names)
    return f"{' / '.join(system.components)}, {model_text(system)}", system, pressure


def compute(args: argparse.Namespace, err: Optional[TextIO] = None) -> Dict[str, Any]:
    """The design the options ask for, and what the report reads of it."""
    source, system, pressure = _source(args)
    factor = 1.5 if args.reflux_factor is None else args.reflux_factor
    reflux_note = "given" if args.reflux is not None else f"{factor:g} x R_min"
    q = args.q
    made = None
    if system is None:
        curve = EquilibriumCurve.constant_alpha(args.alpha, args.points)
    else:
        if args.feed_temperature is not None:
            q = system.feed_quality(args.feed_temperature, pressure, [args.zf, 1.0 - args.zf])
        column = BinaryColumn(pressure, Feed(args.feed_rate, args.zf, q), args.xd, args.xb, args.condenser)
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", LiquidSplitWarning)  # reported in one line below
            made = design(
                system,
                column,
                reflux=args.reflux,
                reflux_factor=None if args.reflux is not None else factor,
                method=METHODS[args.method],
                n_points=args.points,
                murphree=args.murphree,
            )
        curve = made.curve
        warning = _split_warning(system, curve, args.xb, args.xd)
        if warning is not None:
            print(warning, file=sys.stderr if err is None else err)
    analysis = rmin(curve, args.xd, args.xb, args.zf, q) if made is None else made.rmin
    result: Union[McCabeThieleResult, PonchonSavaritResult]
    if made is None:
        reflux = args.reflux if args.reflux is not None else factor * analysis.r_min
        result = mccabe_thiele(curve, args.xd, args.xb, args.zf, reflux, q, args.murphree, args.condenser)
    else:
        reflux, result = made.reflux, made.staircase
    minimum = total_reflux(curve, args.xd, args.xb, args.murphree)
    return {"curve": curve, "source": source, "q": q, "rmin": analysis, "reflux": reflux,
            "reflux_note": reflux_note, "result": result, "minimum": minimum, "design": made}


def run(args: argparse.Namespace, out: TextIO, err: Optional[TextIO] = None) -> None:
    with unit_warnings_as_lines(err):
        computed = compute(args, err)
    out.write(json_report(computed) if args.json else text_report(args, computed))
    if args.plot is not None:
        write_plot(args.plot, computed)
        if not args.json:
            out.write(f"diagram     {args.plot}\n")


def main(argv: Optional[Sequence[str]] = None) -> int:
    """Run the command line; returns the exit status (0, 2 after an error, 141 on a closed pipe)."""
    arguments = sys.argv[1:] if argv is None else list(argv)
    if arguments[:1] == ["shortcut"]:
        from .shortcut_cli import main as shortcut_main

        return shortcut_main(arguments[1:])
    if arguments == ["--self-test"]:
        from ._self_test import run as self_test

        return self_test()
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
