"""``python -m kolvar --self-test``: a quick check of an installed kolvar.

A few checks, each one identity of a subsystem (the database, bubble and dew
points, the flashes and the stability test, the curve and its constructions,
the whole design, the shortcut, plain data and pickles, the command line and,
with matplotlib, a diagram), run against the package as installed.  It needs
no test framework, no network and nothing else installed, and takes seconds.
Each check prints its failure with a traceback; the last line counts the
checks as "N passed, M failed, K skipped in S s", and the exit status is 1
when one failed.
"""

from __future__ import annotations

import io
import json
import pickle
import sys
import time
import traceback
from typing import Callable, List, Optional, TextIO, Tuple

import kolvar
from kolvar import BinaryColumn, EquilibriumCurve, Feed, ThermoSystem

Check = Callable[[], Optional[str]]  # None when it ran, else why it was skipped


def _close(a: float, b: float, rel: float) -> bool:
    return abs(a - b) <= rel * max(abs(a), abs(b))


def _database() -> None:
    names = kolvar.components()
    assert len(names) == 24 and len(set(names)) == 24, names
    water = kolvar.component("water")
    assert water["name"] == "water" and 640 < water["tc"] < 650, dict(water)


def _bubble_and_dew_points() -> None:
    system = ThermoSystem.peng_robinson(["benzene", "toluene"])
    t, y, k = system.bubble_temperature(101.325, [0.4, 0.6])
    assert all(_close(yi, ki * xi, 1e-12) for yi, ki, xi in zip(y, k, [0.4, 0.6])), (y, k)
    assert _close(sum(y), 1.0, 1e-9) and 360 < t < 380, (t, y)
    # The dew point of that vapour is the same point, seen from the other phase.
    t_dew, x, _ = system.dew_temperature(101.325, y)
    assert _close(t_dew, t, 1e-6) and _close(x[0], 0.4, 1e-5), (t_dew, x)
    p, _, _ = system.bubble_pressure(t, [0.4, 0.6])
    assert _close(p, 101.325, 1e-6), p


def _flashes_and_stability() -> None:
    system = ThermoSystem.peng_robinson(["benzene", "toluene"])
    t_bubble = system.bubble_temperature(101.325, [0.5, 0.5])[0]
    t_dew = system.dew_temperature(101.325, [0.5, 0.5])[0]
    beta, x, y = system.flash(0.5 * (t_bubble + t_dew), 101.325, [0.5, 0.5])
    assert 0.0 < beta < 1.0, beta
    assert _close((1 - beta) * x[0] + beta * y[0], 0.5, 1e-9), (beta, x, y)
    # Water and n-hexane split into two liquids; benzene and toluene do not.
    split = ThermoSystem.peng_robinson(["water", "n-hexane"])
    assert split.liquid_stability(300.0, 101.325, [0.5, 0.5])[0] < 0.0
    assert system.liquid_stability(300.0, 101.325, [0.5, 0.5])[0] > -1e-9


def _curve_and_constructions() -> None:
    curve = EquilibriumCurve.constant_alpha(2.5)
    analysis = kolvar.rmin(curve, 0.95, 0.05, 0.5, 1.0)
    # A saturated-liquid feed pinches at the feed: R_min = (x_D - y*) / (y* - z_F).
    y_pinch = 2.5 * 0.5 / (1.0 + 1.5 * 0.5)
    r_min = (0.95 - y_pinch) / (y_pinch - 0.5)
    assert _close(analysis.r_min, r_min, 1e-6), (analysis.r_min, r_min)
    stages = kolvar.mccabe_thiele(curve, 0.95, 0.05, 0.5, 1.5 * analysis.r_min)
    n_min = kolvar.total_reflux(curve, 0.95, 0.05).n_min
    assert n_min < stages.n_stages < 60, (n_min, stages.n_stages)


def _whole_design() -> None:
    system = ThermoSystem.peng_robinson(["benzene", "toluene"])
    column = BinaryColumn(101.325, Feed(100.0, 0.5, 1.0), 0.95, 0.05)
    made = kolvar.design(system, column, reflux_factor=1.5)
    energy = made.energy
    assert _close(energy.distillate_rate + energy.bottoms_rate, 100.0, 1e-12), energy
    assert made.reflux == 1.5 * made.r_min and energy.reboiler_duty > 0 > -energy.condenser_duty
    assert energy.top_temperature < energy.bottom_temperature
    again = pickle.loads(pickle.dumps(made))
    assert again.to_dict() == made.to_dict()
    json.dumps(made.to_dict(), allow_nan=False)


def _shortcut() -> None:
    names = ["propane", "n-butane", "n-pentane", "n-hexane"]
    result = kolvar.shortcut(ThermoSystem.peng_robinson(names), 800.0, 100.0, [0.2, 0.3, 0.3, 0.2],
                             "n-butane", "n-pentane", 0.98, 0.98, reflux_factor=1.3)
    assert result.n_min < result.n_stages and result.r_min < result.reflux, result.to_dict()
    assert _close(result.distillate_rate + result.bottoms_rate, 100.0, 1e-12)
    assert pickle.loads(pickle.dumps(result)).to_dict() == result.to_dict()


def _refusals() -> None:
    system = ThermoSystem.van_laar(["methanol", "water"], 3000.0, 3000.0)
    calls: Tuple[Callable[[], object], ...] = (
        lambda: system.dew_pressure(350.0, [0.95, 0.05]),
        lambda: system.bubble_temperature(101.325, [0.5, 0.5, 0.0]),
    )
    for call in calls:
        try:
            answer = call()
        except (RuntimeError, ValueError):
            continue
        raise AssertionError(f"answered {answer!r}")


def _command_line() -> None:
    from .cli import run
    from ._cli_options import parse

    out = io.StringIO()
    run(parse(["--json"]), out)
    report = json.loads(out.getvalue())
    assert report["reflux"] == 1.5 * report["r_min"] and report["n_stages"] > 0, report


def _diagram() -> Optional[str]:
    try:
        from matplotlib.figure import Figure
    except ImportError:
        return "matplotlib is not installed"
    curve = EquilibriumCurve.constant_alpha(2.5)
    stages = kolvar.mccabe_thiele(curve, 0.95, 0.05, 0.5, 2.0)
    ax = kolvar.plot.mccabe_thiele(curve, stages, Figure().add_subplot())
    assert [line for line in ax.lines if line.get_gid() == "staircase"]
    return None


CHECKS: List[Tuple[str, Check]] = [
    ("database", _database),
    ("bubble and dew points", _bubble_and_dew_points),
    ("flashes and stability", _flashes_and_stability),
    ("curve and constructions", _curve_and_constructions),
    ("whole design", _whole_design),
    ("shortcut", _shortcut),
    ("refusals", _refusals),
    ("command line", _command_line),
    ("diagram", _diagram),
]


def run(out: TextIO = sys.stdout) -> int:
    """Run the checks, report on ``out`` and return the exit status (0 or 1)."""
    start = time.perf_counter()
    counts = {"passed": 0, "failed": 0, "skipped": 0}
    out.write(f"kolvar {kolvar.__version__} self-test of {kolvar.__file__}\n")
    for name, check in CHECKS:
        try:
            skipped = check()
        except Exception:  # every failure is reported, and the others still run
            counts["failed"] += 1
            out.write(f"FAILED {name}\n{traceback.format_exc()}")
            continue
        if skipped:
            counts["skipped"] += 1
            out.write(f"SKIPPED {name}: {skipped}\n")
        else:
            counts["passed"] += 1
    took = time.perf_counter() - start
    summary = ", ".join(f"{n} {kind}" for kind, n in counts.items() if n or kind == "passed")
    out.write(f"{summary} in {took:.2f} s\n")
    out.flush()
    return 1 if counts["failed"] else 0
