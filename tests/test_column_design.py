"""kolvar.design: the separate calls in one object, its table, plain data and pictures; the condenser kind
taken wherever a condenser is; a pressure given in Pa named."""

import json
import pickle
import re
from pathlib import Path

import pytest

import kolvar
from kolvar import BinaryColumn, CondenserKind, EquilibriumCurve, Feed, ThermoSystem as T

PR = T.peng_robinson(["benzene", "toluene"])
COLUMN = BinaryColumn(101.325, Feed(100.0, 0.44, 1.2), 0.974, 0.0235, "partial")
DESIGN = kolvar.design(PR, COLUMN, reflux_factor=1.4)


@pytest.mark.parametrize("condenser", ["total", CondenserKind.Partial])
def test_a_mccabe_thiele_design_is_the_separate_calls(condenser):
    column = BinaryColumn(101.325, Feed(100.0, 0.44, 0.8), 0.974, 0.0235, condenser)
    made = kolvar.design(PR, column, reflux=2.5, n_points=51, murphree=0.8)
    curve = EquilibriumCurve.from_thermo(PR, 101.325, 51)
    analysis = kolvar.rmin(curve, 0.974, 0.0235, 0.44, 0.8)
    staircase = kolvar.mccabe_thiele(curve, 0.974, 0.0235, 0.44, 2.5, 0.8, 0.8, condenser)
    energy = kolvar.column_energy(PR, column, 2.5)
    assert made.to_dict() == {
        "system": PR.to_dict(), "column": column.to_dict(), "method": "mccabe_thiele", "reflux": 2.5,
        "curve": curve.to_dict(), "rmin": analysis.to_dict(), "r_min": analysis.r_min,
        "staircase": staircase.to_dict(), "energy": energy.to_dict(), "n_stages": staircase.n_stages,
        "feed_stage": staircase.feed_stage,
    }
    # Every stage: its bubble temperature and the flows leaving it close the balances of its section.
    table = made.stage_table()
    assert [row["stage"] for row in table] == [s.index for s in staircase.stages]
    d, b, f = energy.distillate_rate, energy.bottoms_rate, column.feed.rate
    for row, below in zip(table, table[1:]):
        assert row["t"] == PR.bubble_temperature(101.325, [row["x"], 1 - row["x"]])[0] < below["t"]
        net = below["vapour_flow"] - row["liquid_flow"]
        assert net == pytest.approx(d if row["stage"] < made.feed_stage else -b, rel=1e-12)
    assert table[-1]["liquid_flow"] == b
    assert table[made.feed_stage - 1]["vapour_flow"] - table[made.feed_stage - 2]["liquid_flow"] == pytest.approx(d)
    assert energy.stripping_liquid_flow - energy.reflux_flow == pytest.approx(0.8 * f)


def test_an_enthalpy_balanced_design_at_a_reflux_factor():
    made = kolvar.design(PR, COLUMN, reflux_factor=1.4, method="ponchon_savarit")
    result = made.staircase
    assert made.reflux == 1.4 * made.r_min and made.r_min == result.r_min and result.reflux == made.reflux
    again = kolvar.ponchon_savarit(PR, COLUMN, made.reflux)
    assert result.to_dict() == again.to_dict()
    energy = made.energy
    assert (energy.condenser_duty, energy.reboiler_duty) == (result.condenser_duty, result.reboiler_duty)
    assert energy.boilup == result.stages[-1].vapour_flow
    assert energy.vapour_flow - energy.reflux_flow == pytest.approx(result.distillate_rate, rel=1e-12)
    assert made.stage_table()[3] == {"stage": 4, "x": result.stages[3].x, "y": result.stages[3].y,
                                     "t": result.stages[3].t, "liquid_flow": result.stages[3].liquid_flow,
                                     "vapour_flow": result.stages[3].vapour_flow}
    assert (made.n_stages, made.feed_stage) == (result.n_stages, result.feed_stage)


def test_a_design_travels_and_shows_itself():
    data = json.loads(json.dumps(DESIGN.to_dict(), allow_nan=False))
    assert data["energy"]["reboiler_duty"] == DESIGN.energy.reboiler_duty
    assert data["column"]["feed"]["q"] == 1.2 and data["column"]["condenser"] == "Partial"
    back = pickle.loads(pickle.dumps(DESIGN))
    assert back.to_dict() == DESIGN.to_dict() and repr(back) == repr(DESIGN)
    with pytest.raises(AttributeError, match="immutable"):
        DESIGN.reflux = 3.0
    page = DESIGN._repr_html_()
    assert page.count("<table") == 2 and "<svg" in page and "reboiler" in page
    # A crafted state meets the checks: the staircase must be the design's.
    state = list(DESIGN.__reduce__()[1])
    state[3] = 9.0
    with pytest.raises(ValueError, match="does not match its staircase"):
        DESIGN.__reduce__()[0](*state)


@pytest.mark.parametrize(
    "place",
    [
        lambda kind: kolvar.mccabe_thiele(EquilibriumCurve.constant_alpha(2.5), 0.9, 0.1, 0.5, 3.0,
                                          condenser=kind).spec.condenser,
        # n_vs_r keeps no condenser: a partial one changes no number, so taking it is the test.
        lambda kind: kolvar.n_vs_r(EquilibriumCurve.constant_alpha(2.5), [3.0], 0.9, 0.1, 0.5, condenser=kind)
        and kind,
        lambda kind: BinaryColumn(101.325, Feed(100, 0.5), 0.9, 0.1, condenser=kind).condenser,
        lambda kind: kolvar.design(PR, BinaryColumn(101.325, Feed(100, 0.5), 0.9, 0.1, kind),
                                   reflux=3.0).staircase.spec.condenser,
    ],
    ids=["mccabe_thiele", "n_vs_r", "BinaryColumn", "design"],
)
def test_a_condenser_kind_is_taken_wherever_a_condenser_is(place):
    assert place(CondenserKind.Partial) == CondenserKind.Partial


@pytest.mark.parametrize(
    "call, error, message",
    [
        (lambda: kolvar.design(PR, COLUMN), ValueError, "give exactly one of reflux and reflux_factor"),
        (lambda: kolvar.design(PR, COLUMN, 2.0, 1.5), ValueError, "give exactly one of reflux and reflux_factor"),
        (lambda: kolvar.design(PR, COLUMN, reflux_factor=1.0), ValueError,
         "reflux_factor must be a finite number greater than 1, got 1"),
        (lambda: kolvar.design(PR, COLUMN, reflux=2.0, method="ponchon-savarit"), ValueError,
         "method must be 'mccabe_thiele' or 'ponchon_savarit', got 'ponchon-savarit'"),
        (lambda: kolvar.design(PR, COLUMN, reflux=2.0, method="ponchon_savarit", murphree=0.7), ValueError,
         "murphree applies to mccabe_thiele only"),
        (lambda: kolvar.design(COLUMN, PR, reflux=2.0), TypeError, "system must be a ThermoSystem, got BinaryColumn"),
        (lambda: kolvar.design(PR, COLUMN, reflux=0.5), RuntimeError, "R = 0.5"),
        (lambda: kolvar.design(PR, BinaryColumn(101325, Feed(100, 0.5), 0.9, 0.1), reflux=2.0), RuntimeError,
         "no liquid can boil at 101325 kPa, above the critical pressure of every component (benzene 4907.277 kPa, "
         "toluene 4126.3 kPa); pressures are in kPa (one atmosphere is 101.325 kPa): a pressure in Pa is 1000 "
         "times too large"),
    ],
)
def test_design_refusals(call, error, message):
    with pytest.raises(error) as info:
        call()
    assert message in str(info.value)


def test_the_readme_notebook_example_prints_what_it_shows(capsys):
    readme = (Path(__file__).resolve().parent.parent / "README.md").read_text(encoding="utf-8")
    section = re.search(r"\n## In a notebook\n(.*?)\n## ", readme, re.S).group(1)
    script, output = re.search(r"```python\n(.*?)```\n\nprints\n\n```text\n(.*?)```", section, re.S).groups()
    exec(compile(script, "README.md", "exec"), {})
    assert capsys.readouterr().out == output
