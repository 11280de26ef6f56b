"""Answers that once broke their contracts: no infinite K-value, a design's pickle whose parts disagree,
the notebook diagram drawn once, the command line's one error line, and the submodules of a plain import."""

import contextlib
import io
import math
import pickle
import subprocess
import sys

import pytest

import kolvar
from kolvar import BinaryColumn, EquilibriumCurve, Feed, ThermoSystem as T
from kolvar.cli import main

# Also run against the sanitized build by tools/run-tests.
pytestmark = pytest.mark.sanitized

PR = T.peng_robinson(["benzene", "toluene"])
COLUMN = BinaryColumn(101.325, Feed(100.0, 0.44, 1.2), 0.974, 0.0235)
DESIGN = kolvar.design(PR, COLUMN, reflux_factor=1.4, n_points=21)
VAN_LAAR = T.van_laar(["methanol", "water"], 3000.0, 3000.0)


def _refusal(call):
    try:
        answer = call()
    except (ValueError, RuntimeError) as exc:
        return f"{type(exc).__name__}: {exc}"
    return f"answered {answer!r}"


def _crafted(**parts):
    """The design's pickle with some of its parts replaced, loaded."""
    state = dict(zip(kolvar._design._FIELDS, DESIGN.__reduce__()[1]))
    state.update(parts)
    return _refusal(lambda: DESIGN.__reduce__()[0](*state.values()))


def _other_staircase():
    other = kolvar.design(PR, BinaryColumn(101.325, Feed(100.0, 0.44, 1.2), 0.97, 0.0235), reflux=DESIGN.reflux,
                          n_points=21).staircase
    return {"staircase": other, "n_stages": other.n_stages, "feed_stage": other.feed_stage}


def _cli(*args):
    err = io.StringIO()
    with contextlib.redirect_stderr(err), contextlib.redirect_stdout(io.StringIO()):
        status = main(list(args))
    return f"{status} {err.getvalue()}"


NRTL = ("--components", "methanol", "water", "--activity", "NRTL", "--parameters")
MENDED = [
    (lambda: _refusal(lambda: VAN_LAAR.dew_pressure(350.0, [0.95, 0.05])),
     "RuntimeError: thermo evaluation failed: thermodynamic evaluation failed: non-finite K-values at T = 350 K"),
    (lambda: _refusal(lambda: VAN_LAAR.dew_temperature(101.325, [0.95, 0.05])),
     "RuntimeError: thermo evaluation failed: thermodynamic evaluation failed: non-finite K-values at T = "),
    (lambda: _crafted(r_min=math.nan), "ValueError: the state of ColumnDesign holds r_min = nan, not a finite"),
    (lambda: _crafted(r_min=-0.5), "ValueError: the state of ColumnDesign holds r_min = -0.5, not a finite"),
    (lambda: _crafted(r_min=DESIGN.reflux), "ValueError: the state of ColumnDesign holds r_min = "),
    (lambda: _crafted(system=T.peng_robinson(["benzene", "toluene", "n-hexane"])),
     "ValueError: the state of ColumnDesign holds a system of 3 components, not a binary one"),
    (lambda: _crafted(curve=EquilibriumCurve.from_thermo(PR, 200.0, 11)),
     "ValueError: the state of ColumnDesign holds a curve at 200.0 kPa for a column at 101.325 kPa"),
    (lambda: _crafted(energy=kolvar.column_energy(PR, BinaryColumn(101.325, Feed(50.0, 0.44, 1.2), 0.974, 0.0235),
                                                  DESIGN.reflux)),
     "ValueError: the state of ColumnDesign holds flows with D + B = 50.0 kmol/h for a feed of 100.0 kmol/h"),
    (lambda: _crafted(**_other_staircase()), "ValueError: the state of ColumnDesign holds a staircase of another column"),
    (lambda: _cli(*NRTL, '{"a": "x"}'),
     "2 kolvar: error: argument --parameters: 'a' must be a number or a list of numbers, got \"x\"\n"),
    (lambda: _cli(*NRTL, '{"a": [[0, {}], [1, 0]], "alpha": 0.3}'),
     "2 kolvar: error: argument --parameters: 'a' must be a number or a list of numbers, got [[0, {}], [1, 0]]\n"),
    (lambda: _cli(*NRTL, '{"a": null}'),
     "2 kolvar: error: argument --parameters: 'a' must be a number or a list of numbers, got null\n"),
    (lambda: _cli("--pressure", "0"), "2 kolvar: error: pressure must be positive and finite, got 0 kPa\n"),
    (lambda: _cli("--components", "benzene", "toluene", "--pressure", "-1"),
     "2 kolvar: error: pressure must be positive and finite, got -1 kPa\n"),
    (lambda: _cli("--pressure", "nan"), "2 kolvar: error: pressure must be positive and finite, got NaN kPa\n"),
]


@pytest.mark.parametrize("call, expected", MENDED)
def test_a_mended_answer(call, expected):
    answer = call()
    assert answer.startswith(expected), answer


def test_a_design_draws_its_diagram_once_and_a_plain_import_brings_the_submodules():
    pytest.importorskip("matplotlib")
    copy = pickle.loads(pickle.dumps(DESIGN))
    page = copy._repr_html_()
    assert "<svg" in page and copy._repr_html_() == page and copy._svg() is copy._svg()
    code = "import kolvar; print(kolvar.thermo.liquid_split.__name__, kolvar.plot.txy.__name__)"
    done = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=60)
    assert (done.returncode, done.stdout) == (0, "liquid_split txy\n"), done.stderr
