"""``python -m kolvar shortcut``: the shortcut design of a multicomponent column.

Without options it designs the four-alkane column of the README: propane,
n-butane, n-pentane and n-hexane (z = 0.2, 0.3, 0.3, 0.2, 100 kmol/h of
saturated liquid) at 800 kPa on Peng–Robinson, n-butane and n-pentane the
keys, each recovered to 0.98, R = 1.3·R_min.  ``--components`` with ``--z``,
``--light-key`` and ``--heavy-key`` states another one; ``--eos`` chooses
another equation of state (classical mixing, kij = 0).  ``--pressure`` takes
a unit (``8bar``); a bare number is in kPa.  ``--json`` prints the design as
JSON (the system, the specification, the result and the units) instead of
the report, and ``--plot FILE`` also draws the product compositions.

Errors and a closed pipe are reported as by ``python -m kolvar``: one line
on stderr, "kolvar: error: ...", and status 2; status 141 on a closed pipe.
"""

from __future__ import annotations

import argparse
import sys
import json
from typing import TYPE_CHECKING, Any, Dict, List, Optional, Sequence, TextIO, Union

from . import ThermoSystem, __version__
from ._cli_options import (
    PRESSURE_HELP,
    PROG,
    Parser,
    UsageError,
    check_plot_file,
    discard_standard_output,
    known_names,
    pressure,
)
from ._cli_plot import save_figure
from ._cli_report import model_text
from ._model_options import canonical
from ._shortcut import shortcut
from ._units import UNITS, units_of
from .cli import BROKEN_PIPE_STATUS, unit_warnings_as_lines

if TYPE_CHECKING:  # pragma: no cover - only for type checkers
    from ._engine import ShortcutResult

# The design made without options.
DEMO_COMPONENTS = ["propane", "n-butane", "n-pentane", "n-hexane"]
DEMO_Z = [0.2, 0.3, 0.3, 0.2]
DEMO_KEYS = ("n-butane", "n-pentane")


def _key(text: str) -> Union[int, str]:
    """A key as given: an index when it is a whole number, else a name."""
    return int(text) if text.strip().lstrip("+-").isdigit() else text


def build_parser() -> argparse.ArgumentParser:
    parser = Parser(
        prog=f"{PROG} shortcut",
        description=(
            "Shortcut design of a multicomponent column with a total condenser: Fenske's minimum stages, "
            "Underwood's minimum reflux, Gilliland's stage count and Kirkbride's feed stage. Without options: "
            "propane/n-butane/n-pentane/n-hexane (z = 0.2 0.3 0.3 0.2) at 800 kPa on Peng-Robinson, keys "
            "n-butane and n-pentane recovered to 0.98, R = 1.3 R_min."
        ),
    )
    feed = parser.add_argument_group("feed and system")
    feed.add_argument("--components", nargs="+", metavar="NAME", help="component names, in any order")
    feed.add_argument("--z", nargs="+", type=float, metavar="X", help="feed mole fractions, one per component")
    feed.add_argument("--feed-rate", type=float, default=100.0, metavar="F", help="feed in kmol/h (default: 100)")
    feed.add_argument("--q", type=float, default=1.0, help="feed thermal condition, 1 = saturated liquid (default: 1)")
    feed.add_argument(
        "--pressure", type=pressure, default=800.0, metavar="P", help=f"column pressure: {PRESSURE_HELP} (default: 800)"
    )
    feed.add_argument(
        "--eos", metavar="NAME", help="cubic equation of state in both phases: " + known_names("eos", "PR1976")
    )
    design = parser.add_argument_group("separation")
    design.add_argument("--light-key", type=_key, metavar="KEY", help="light key: a component name or index")
    design.add_argument("--heavy-key", type=_key, metavar="KEY", help="heavy key: a component name or index")
    design.add_argument(
        "--recoveries",
        nargs=2,
        type=float,
        default=[0.98, 0.98],
        metavar=("LIGHT", "HEAVY"),
        help="fraction of the light key's feed in the distillate and of the heavy key's in the bottoms "
        "(default: 0.98 0.98)",
    )
    reflux = design.add_mutually_exclusive_group()
    reflux.add_argument("--reflux", type=float, metavar="R", help="absolute reflux ratio L/D")
    reflux.add_argument("--reflux-factor", type=float, metavar="F", help="reflux as a multiple of R_min (default: 1.3)")
    parser.add_argument("--plot", metavar="FILE", help="write the product compositions to FILE (.png, .svg or .pdf)")
    parser.add_argument("--json", action="store_true", help="print the design as JSON instead of the report")
    parser.add_argument("--version", action="version", version=f"{PROG} {__version__}")
    return parser


def _parse(argv: Sequence[str]) -> argparse.Namespace:
    args = build_parser().parse_args(argv)
    if args.components is None:
        args.components = list(DEMO_COMPONENTS)
        args.z = list(DEMO_Z) if args.z is None else args.z
        keys = [args.light_key, args.heavy_key]
        args.light_key, args.heavy_key = (DEMO_KEYS[i] if key is None else key for i, key in enumerate(keys))
    missing = [option for option, value in (("--z", args.z), ("--light-key", args.light_key),
                                            ("--heavy-key", args.heavy_key)) if value is None]
    if missing:
        raise UsageError(f"--components needs {', '.join(missing)}")
    if args.plot is not None:
        check_plot_file(args.plot)
    return args


def _name(components: List[str], key: Union[int, str]) -> str:
    return components[key] if isinstance(key, int) and 0 <= key < len(components) else str(key)


def run(args: argparse.Namespace, out: TextIO, err: Optional[TextIO] = None) -> None:
    if args.eos is None:
        system = ThermoSystem.peng_robinson(args.components)
    else:
        system = ThermoSystem.cubic(args.components, eos=canonical("eos", args.eos))
    factor = 1.3 if args.reflux is None and args.reflux_factor is None else args.reflux_factor
    light_recovery, heavy_recovery = args.recoveries
    with unit_warnings_as_lines(err):
        design = shortcut(system, args.pressure, args.feed_rate, args.z, args.light_key, args.heavy_key,
                          light_recovery, heavy_recovery, reflux=args.reflux, reflux_factor=factor, q=args.q)
    names = list(system.components)
    if args.plot is not None:
        _write_plot(args.plot, design, names, args.z)
    if args.json:
        out.write(_json(args, system, design))
        return
    light, heavy = _name(names, args.light_key), _name(names, args.heavy_key)
    reflux_note = "given" if factor is None else f"{factor:g} x R_min"
    lines = [
        f"kolvar {__version__}: shortcut design (Fenske, Underwood, Gilliland, Kirkbride)",
        f"system      {system!r}, {model_text(system)}",
        f"column      {args.pressure:g} kPa, total condenser; feed {args.feed_rate:g} kmol/h, q = {args.q:g}",
        f"keys        light {light} ({args.recoveries[0]:g} to the distillate), "
        f"heavy {heavy} ({args.recoveries[1]:g} to the bottoms)",
        f"N_min       {design.n_min:.3f} at total reflux",
        f"R_min       {design.r_min:.4f}",
        f"reflux      R = {design.reflux:.4f}  ({reflux_note})",
        f"stages      {design.n_stages:.3f} equilibrium stages (reboiler included), feed on stage {design.feed_stage}"
        f" ({design.rectifying_stages:.3f} above it)",
        f"distillate  D = {design.distillate_rate:.4f} kmol/h, bubble point {design.top_temperature:.2f} K",
        f"bottoms     B = {design.bottoms_rate:.4f} kmol/h, bubble point {design.bottom_temperature:.2f} K",
        f"duties      condenser {design.condenser_duty:.1f} kW, reboiler {design.reboiler_duty:.1f} kW",
        "",
        f"{'component':<16}{'z':>10}{'alpha':>10}{'x_D':>12}{'x_B':>12}",
    ]
    for row in _component_rows(names, args.z, design):
        lines.append(f"{row['component']:<16}{row['z']:>10.4f}{row['alpha']:>10.4f}{row['x_D']:>12.6f}"
                     f"{row['x_B']:>12.6f}")
    if args.plot is not None:
        lines.append(f"diagram     {args.plot}")
    out.write("\n".join(lines) + "\n")


def _component_rows(names: List[str], z: Sequence[float], design: ShortcutResult) -> List[Dict[str, Any]]:
    """One row per component: its name, feed fraction (normalised), alpha, x_D and x_B."""
    total = sum(z)
    return [{"component": name, "z": zi / total, "alpha": alpha, "x_D": x_d, "x_B": x_b}
            for name, zi, alpha, x_d, x_b in zip(names, z, design.alpha, design.distillate, design.bottoms)]


def _json(args: argparse.Namespace, system: ThermoSystem, design: ShortcutResult) -> str:
    """The design as JSON: the system (model included), the specification, the
    result's ``to_dict()``, one row per component and the units by key."""
    names = list(system.components)
    data: Dict[str, Any] = {
        "system": system.to_dict(),
        "specification": {
            "pressure": args.pressure,
            "feed_rate": args.feed_rate,
            "z": list(args.z),
            "q": args.q,
            "light_key": _name(names, args.light_key),
            "heavy_key": _name(names, args.heavy_key),
            "recoveries": list(args.recoveries),
        },
        "result": design.to_dict(),
        "components": _component_rows(names, args.z, design),
    }
    data["units"] = units_of(data)
    data["units"].update({"x_D": UNITS["distillate"], "x_B": UNITS["bottoms"]})
    return json.dumps(data, indent=2, allow_nan=False) + "\n"


def _write_plot(path: str, design: ShortcutResult, names: List[str], z: Sequence[float]) -> None:
    from matplotlib.backends.backend_agg import FigureCanvasAgg
    from matplotlib.figure import Figure

    from . import plot

    figure = Figure(figsize=(7.0, 5.0), layout="constrained")
    FigureCanvasAgg(figure)
    plot.shortcut(design, names, z, figure.add_subplot())
    save_figure(figure, path)


def main(argv: Optional[Sequence[str]] = None) -> int:
    """Run the subcommand on the arguments after ``shortcut``; returns the exit status."""
    try:
        try:
            args = _parse(sys.argv[2:] if argv is None else argv)
            if sys.stdout is None:
                raise OSError("standard output is closed")
            run(args, sys.stdout)
            sys.stdout.flush()
        except BrokenPipeError:
            raise
        except (UsageError, ValueError, RuntimeError, OverflowError, ImportError, OSError) as exc:
            message = " ".join(str(exc).split()) or type(exc).__name__
            print(f"{PROG}: error: {message}", file=sys.stderr)
            return 2
        return 0
    except BrokenPipeError:
        discard_standard_output()
        return BROKEN_PIPE_STATUS
