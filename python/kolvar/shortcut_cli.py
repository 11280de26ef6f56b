"""``python -m kolvar shortcut``: the shortcut design of a multicomponent column.

Without options it designs the four-alkane column of the README: propane,
n-butane, n-pentane and n-hexane (z = 0.2, 0.3, 0.3, 0.2, 100 kmol/h of
saturated liquid) at 800 kPa on Peng–Robinson, n-butane and n-pentane the
keys, each recovered to 0.98, R = 1.3·R_min.  ``--components`` with ``--z``,
``--light-key`` and ``--heavy-key`` states another one; ``--eos`` chooses
another equation of state (classical mixing, kij = 0).

Errors and a closed pipe are reported as by ``python -m kolvar``: one line
on stderr, "kolvar: error: ...", and status 2; status 141 on a closed pipe.
"""

from __future__ import annotations

import argparse
import sys
from typing import List, Optional, Sequence, TextIO, Union

from . import ThermoSystem, __version__
from ._model_options import canonical
from ._shortcut import shortcut
from .cli import BROKEN_PIPE_STATUS, PROG, UsageError, _discard_standard_output, _Parser, _names

# The design made without options.
DEMO_COMPONENTS = ["propane", "n-butane", "n-pentane", "n-hexane"]
DEMO_Z = [0.2, 0.3, 0.3, 0.2]
DEMO_KEYS = ("n-butane", "n-pentane")


def _key(text: str) -> Union[int, str]:
    """A key as given: an index when it is a whole number, else a name."""
    return int(text) if text.strip().lstrip("+-").isdigit() else text


def build_parser() -> argparse.ArgumentParser:
    parser = _Parser(
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
    feed.add_argument("--pressure", type=float, default=800.0, metavar="KPA", help="column pressure (default: 800)")
    feed.add_argument(
        "--eos", metavar="NAME", help="cubic equation of state in both phases: " + _names("eos", "PR1976")
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
    return args


def _name(components: List[str], key: Union[int, str]) -> str:
    return components[key] if isinstance(key, int) and 0 <= key < len(components) else str(key)


def run(args: argparse.Namespace, out: TextIO) -> None:
    if args.eos is None:
        system, model = ThermoSystem.peng_robinson(args.components), "Peng-Robinson"
    else:
        eos = canonical("eos", args.eos)
        system, model = ThermoSystem.cubic(args.components, eos=eos), f"{eos}, Classical"
    factor = 1.3 if args.reflux is None and args.reflux_factor is None else args.reflux_factor
    design = shortcut(system, args.pressure, args.feed_rate, args.z, args.light_key, args.heavy_key,
                      *args.recoveries, reflux=args.reflux, reflux_factor=factor, q=args.q)
    names = list(system.components)
    light, heavy = _name(names, args.light_key), _name(names, args.heavy_key)
    reflux_note = "given" if factor is None else f"{factor:g} x R_min"
    lines = [
        f"kolvar {__version__}: shortcut design (Fenske, Underwood, Gilliland, Kirkbride)",
        f"system      {system!r}, {model}",
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
    total = sum(args.z)
    for name, z, alpha, x_d, x_b in zip(names, args.z, design.alpha, design.distillate, design.bottoms):
        lines.append(f"{name:<16}{z / total:>10.4f}{alpha:>10.4f}{x_d:>12.6f}{x_b:>12.6f}")
    out.write("\n".join(lines) + "\n")


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
        except (UsageError, ValueError, RuntimeError, OverflowError, OSError) as exc:
            message = " ".join(str(exc).split()) or type(exc).__name__
            print(f"{PROG}: error: {message}", file=sys.stderr)
            return 2
        return 0
    except BrokenPipeError:
        _discard_standard_output()
        return BROKEN_PIPE_STATUS
