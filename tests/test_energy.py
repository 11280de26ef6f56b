"""Enthalpies, the feed condition and a column's energy from Python: every model, the balances, the refusals."""

import math
import pickle
import re
from pathlib import Path

import pytest

from kolvar import BinaryColumn, Feed, ThermoSystem as T, column_energy, ponchon_savarit
from kolvar import _engine

PR = T.peng_robinson(["benzene", "toluene"])
SYSTEMS = [
    PR,
    T.cubic(["methanol", "water"], eos="RKS1972", mixing_rule="MHV2", ge_model="Wilson",
            ge_parameters=[[0, 449.3], [1964.6, 0]]),
    T.activity(["methanol", "water"], "Wilson", [[0, 449.3], [1964.6, 0]], vapour="Virial", poynting=True),
    T.van_laar(["acetone", "chloroform"], -0.8, -0.6),
    T.ideal_solution(["benzene", "toluene"], vapour="PR1976", saturation=["Riedel", "RPM"]),
    T.grayson_streed(["n-hexane", "n-octane"]),
]


@pytest.mark.parametrize("system", SYSTEMS, ids=repr)
def test_q_is_one_at_the_bubble_point_and_zero_at_the_dew_point(system):
    z, p = [0.4, 0.6], 101.325
    bubble = system.bubble_temperature(p, z)[0]
    dew = system.dew_temperature(p, z)[0]
    assert system.feed_quality(bubble, p, z) == 1.0
    assert system.feed_quality(dew, p, z) == 0.0
    assert system.feed_quality(bubble - 10.0, p, z) > 1.0 > system.feed_quality(0.5 * (bubble + dew), p, z) > 0.0
    # q is the enthalpy balance of the saturated phases, whatever the spelling of the vapour.
    h_liquid = system.enthalpy(bubble, p, z, "liquid")
    h_vapour = system.enthalpy(dew, p, z, "vapor")
    assert h_vapour == system.enthalpy(dew, p, z, "vapour") > h_liquid
    h_cold = system.enthalpy(bubble - 10.0, p, z, "liquid")
    assert system.feed_quality(bubble - 10.0, p, z) == pytest.approx((h_vapour - h_cold) / (h_vapour - h_liquid),
                                                                     rel=1e-14)


def test_a_feed_from_its_conditions_carries_that_q_and_pickles():
    feed = Feed.from_conditions(PR, 100.0, 0.44, 347.0, 101.325)
    assert (feed.rate, feed.z) == (100.0, 0.44)
    assert feed.q == PR.feed_quality(347.0, 101.325, [0.44, 0.56]) > 1.0
    clone = pickle.loads(pickle.dumps(feed))
    assert (clone.rate, clone.z, clone.q) == (feed.rate, feed.z, feed.q)


@pytest.mark.parametrize(
    "call, kind, message",
    [
        (lambda: PR.enthalpy(350.0, 101.325, [0.5, 0.5], "gas"), ValueError,
         'phase must be "liquid", "vapour" or "vapor", got "gas"'),
        (lambda: PR.enthalpy(math.nan, 101.325, [0.5, 0.5], "liquid"), ValueError,
         "dimension mismatch: temperature must be positive and finite, got NaN K"),
        (lambda: PR.enthalpy(350.0, 101.325, [0.5, 0.3, 0.2], "liquid"), ValueError,
         "dimension mismatch: composition has 3 entries but the system has 2 components"),
        (lambda: PR.feed_quality(350.0, math.inf, [0.5, 0.5]), ValueError,
         "dimension mismatch: pressure must be positive and finite, got inf kPa"),
        (lambda: PR.feed_quality(350.0, 101.325, [0.5]), ValueError,
         "dimension mismatch: composition has 1 entries but the system has 2 components"),
        (lambda: PR.feed_quality(350.0, 101.325, [1.2, -0.2]), ValueError,
         "dimension mismatch: composition entries must be finite and non-negative, got -0.2 at index 1"),
        (lambda: PR.feed_quality(350.0, 101.325, [44.0, 56.0]), ValueError,
         "dimension mismatch: feed composition must be mole fractions summing to 1, got a sum of 100 "
         "(a composition in percent must be divided by 100)"),
        (lambda: Feed.from_conditions(T.peng_robinson(["propane", "n-butane", "n-pentane"]), 100.0, 0.4, 300.0,
                                      101.325), ValueError,
         "dimension mismatch: a feed from its conditions needs a binary system, got 3 components"),
        (lambda: Feed.from_conditions(PR, 0.0, 0.4, 350.0, 101.325), ValueError,
         "dimension mismatch: feed rate must be positive and finite, got 0 kmol/h"),
        (lambda: Feed.from_conditions(PR, 100.0, 1.5, 350.0, 101.325), ValueError,
         "dimension mismatch: z_F must be a mole fraction in [0, 1], got 1.5"),
        (lambda: Feed.from_conditions(PR, 100.0, 0.4, 350.0, 1e6), RuntimeError, "thermo evaluation failed: "),
        (lambda: Feed.from_conditions(None, 100.0, 0.4, 350.0, 101.325), TypeError, "argument 'system': "),
    ],
)
def test_refusals(call, kind, message):
    with pytest.raises(kind) as caught:
        call()
    assert str(caught.value).startswith(message), str(caught.value)


WILSON = SYSTEMS[2]


def _saturated(system, p, x, phase):
    """h_L(x) at its bubble point or H_V(x) at its dew point, as Python sees them."""
    solve = system.bubble_temperature if phase == "liquid" else system.dew_temperature
    return system.enthalpy(solve(p, [x, 1 - x])[0], p, [x, 1 - x], phase)


@pytest.mark.parametrize(
    "system, column, reflux",
    [
        (PR, BinaryColumn(101.325, Feed(100.0, 0.44), 0.974, 0.0235), 3.5),
        (PR, BinaryColumn(250.0, Feed(100.0, 0.44, 0.3), 0.974, 0.0235, "partial"), 3.5),
        (WILSON, BinaryColumn(101.325, Feed.from_conditions(WILSON, 100.0, 0.5, 330.0, 101.325), 0.95, 0.05), 1.2),
    ],
    ids=["total", "partial two-phase", "subcooled"],
)
def test_the_column_balances_close(system, column, reflux):
    p, feed, x_d, x_b = column.pressure, column.feed, column.x_distillate, column.x_bottoms
    energy = column_energy(system, column, reflux)
    design = ponchon_savarit(system, column, reflux)
    d, b = energy.distillate_rate, energy.bottoms_rate
    partial = column.condenser == _engine.CondenserKind.Partial
    h_d = _saturated(system, p, x_d, "vapour" if partial else "liquid")
    h_b = _saturated(system, p, x_b, "liquid")
    h_f = feed.q * _saturated(system, p, feed.z, "liquid") + (1 - feed.q) * _saturated(system, p, feed.z, "vapour")
    heat_in = feed.rate * h_f + 3600 * energy.reboiler_duty
    assert heat_in == pytest.approx(d * h_d + b * h_b + 3600 * energy.condenser_duty, rel=1e-9)
    assert (energy.vapour_flow - energy.reflux_flow, energy.stripping_liquid_flow - energy.boilup) == pytest.approx(
        (d, b), rel=1e-12)
    assert energy.top_temperature < energy.bottom_temperature

    # The enthalpy-balanced design has the same duties and rates; its stages
    # pass D up above the feed stage and B down from it.
    assert (design.condenser_duty, design.reboiler_duty, design.distillate_rate, design.bottoms_rate) == (
        energy.condenser_duty, energy.reboiler_duty, d, b)
    assert design.top_difference_point == (x_d, pytest.approx(h_d + 3600 * energy.condenser_duty / d, rel=1e-12))
    assert design.bottom_difference_point == (x_b, pytest.approx(h_b - 3600 * energy.reboiler_duty / b, rel=1e-9))
    stages = design.stages
    for above, below in zip(stages, stages[1:]):
        net = below.vapour_flow - above.liquid_flow
        carried = below.vapour_flow * below.y - above.liquid_flow * above.x
        assert (net, carried) == pytest.approx((d, d * x_d) if above.index < design.feed_stage else (-b, -b * x_b))
    assert stages[-1].liquid_flow == b and design.r_min < reflux
    assert [s.t for s in stages] == sorted(s.t for s in stages)

    # The diagram's samples are the system's own enthalpies at the bubble points.
    x, y, t, h_liquid, h_vapour = _engine._enthalpy_curve(system, p)
    i = 37
    assert (h_liquid[i], h_vapour[i]) == (system.enthalpy(t[i], p, [x[i], 1 - x[i]], "liquid"),
                                          system.enthalpy(t[i], p, [y[i], 1 - y[i]], "vapour"))


BT = BinaryColumn(101.325, Feed(100.0, 0.44), 0.974, 0.0235)
AZEOTROPE = T.activity(["ethanol", "water"], "Wilson", [[0, 1500.0], [4000.0, 0]])


def _column(pressure=101.325, rate=100.0, z=0.44, q=1.0, x_d=0.974, x_b=0.0235):
    return BinaryColumn(pressure, Feed(rate, z, q), x_d, x_b)


@pytest.mark.parametrize("design", [column_energy, ponchon_savarit], ids=lambda f: f.__name__)
@pytest.mark.parametrize(
    "system, column, reflux, kind, message",
    [
        (T.peng_robinson(["propane", "n-butane", "n-pentane"]), BT, 3.5, ValueError, "dimension mismatch: the "),
        (PR, BT, 0.0, ValueError, "dimension mismatch: reflux ratio must be positive, got 0"),
        (PR, BT, math.nan, ValueError, "dimension mismatch: reflux ratio must be positive, got NaN"),
        (PR, BT, math.inf, ValueError, "dimension mismatch: reflux ratio must be finite, got inf"),
        (PR, _column(pressure=math.nan), 3.5, ValueError,
         "dimension mismatch: pressure must be positive and finite, got NaN kPa"),
        (PR, _column(q=math.inf), 3.5, ValueError, "dimension mismatch: q must be finite, got inf"),
        (PR, _column(pressure=4500.0), 3.5, RuntimeError,
         "thermo evaluation failed: no bubble point of the liquid [0.0235, 0.9765] at 4500 kPa (is the pressure above "
         "its critical pressure?): "),
        (PR, _column(pressure=101325.0), 3.5, RuntimeError,
         "thermo evaluation failed: no bubble point of the liquid [0.974, 0.026000000000000023] at 101325 kPa, above "
         "the critical pressure of every component (benzene "),
        (T.peng_robinson(["toluene", "benzene"]), BT, 3.5, RuntimeError,
         "thermo evaluation failed: component order looks inverted: the distillate boils at 382.66 K, not below the "
         "bottoms at 353.43 K — list the more volatile component first"),
        (None, BT, 3.5, TypeError, "argument 'system': 'NoneType' object cannot be converted to 'ThermoSystem'"),
        (PR, Feed(100.0, 0.44), 3.5, TypeError, "argument 'column': 'Feed' object cannot be converted"),
    ],
)
def test_refusals_of_both_energy_designs(design, system, column, reflux, kind, message):
    with pytest.raises(kind) as caught:
        design(system, column, reflux)
    assert str(caught.value).startswith(message), str(caught.value)


@pytest.mark.parametrize(
    "call, kind, message",
    [
        (lambda: column_energy(PR, _column(q=-3.0), 6.0), ValueError,
         "specification is infeasible: the stripping section has no liquid at R = 6: L' = L + q F = "),
        (lambda: ponchon_savarit(PR, _column(x_d=1.0, x_b=0.0), 3.5), ValueError,
         "dimension mismatch: x_D must be strictly inside (0, 1), got 1"),
        (lambda: ponchon_savarit(PR, BT, 1.6), RuntimeError,
         "solver did not converge: R = 1.6 ≤ R_min = 1.613995: the staircase pinches before reaching x_B"),
        (lambda: ponchon_savarit(AZEOTROPE, _column(z=0.3, x_d=0.95, x_b=0.05), 5.0), ValueError,
         "specification is infeasible: x_D = 0.95 is unreachable at any reflux (a tie line at or below the "
         "diagonal above the feed — azeotrope?)"),
        (lambda: _engine._enthalpy_curve(PR, 101.325, 4), ValueError,
         "dimension mismatch: n_points must be at least 5, got 4"),
    ],
)
def test_refusals_of_one_design(call, kind, message):
    with pytest.raises(kind) as caught:
        call()
    assert str(caught.value).startswith(message), str(caught.value)


def test_the_readme_energy_examples_print_what_it_shows(capsys):
    readme = (Path(__file__).resolve().parent.parent / "README.md").read_text(encoding="utf-8")
    section = re.search(r"\n## Energy\n(.*?)\n## ", readme, re.S).group(1)
    examples = re.findall(r"```python\n((?:(?!```).)*?)```\n\nprints\n\n```text\n(.*?)```", section, re.S)
    assert len(examples) == 2
    for script, output in examples:
        exec(compile(script, "README.md", "exec"), {})
        assert capsys.readouterr().out == output
