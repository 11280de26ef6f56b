"""kolvar.shortcut: the multicomponent shortcut design against closed forms, its invariants and its refusals."""

import math
import pickle
import re
from pathlib import Path

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import kolvar

ALKANES = kolvar.ThermoSystem.peng_robinson(["propane", "n-butane", "n-pentane", "n-hexane"])
Z = [0.2, 0.3, 0.3, 0.2]


def constant_alpha_pair(alpha):
    """Two made-up compounds whose ideal solution has the relative volatility alpha at every T and P.

    With a3 = 0, equal a2 and equal pc, Psat_1/Psat_2 = exp(a1_1 - a1_2).
    """
    base = dict(kolvar.component("n-butane"), psat_coeffs=[6.0, 2700.0, 0.0])
    light = dict(base, name="light", psat_coeffs=[6.0 + math.log(alpha), 2700.0, 0.0])
    return kolvar.ThermoSystem.ideal_solution([light, dict(base, name="heavy")])


@pytest.mark.parametrize("alpha", [1.5, 2.5, 6.0])
@pytest.mark.parametrize("z, r_light, r_heavy", [(0.5, 0.95, 0.95), (0.3, 0.99, 0.9), (0.7, 0.9, 0.999)])
@pytest.mark.parametrize("q", [1.0, 0.0])
def test_constant_alpha_binary_meets_fenske_and_underwood_closed_forms(alpha, z, r_light, r_heavy, q):
    design = kolvar.shortcut(constant_alpha_pair(alpha), 300.0, 100.0, [z, 1 - z], 0, 1, r_light, r_heavy,
                             reflux_factor=1.5, q=q)
    separation = (r_light / (1 - r_light)) * (r_heavy / (1 - r_heavy))
    assert design.n_min == pytest.approx(math.log(separation) / math.log(alpha), rel=1e-12)
    assert design.alpha == pytest.approx([alpha, 1.0], rel=1e-12)
    x_d = r_light * z / (r_light * z + (1 - r_heavy) * (1 - z))
    assert design.distillate[0] == pytest.approx(x_d, rel=1e-12)
    if q == 1.0:  # the pinch at the liquid feed
        r_min = (x_d / z - alpha * (1 - x_d) / (1 - z)) / (alpha - 1)
    else:  # the pinch at the vapour feed
        r_min = (alpha * x_d / z - (1 - x_d) / (1 - z)) / (alpha - 1) - 1
    assert design.r_min == pytest.approx(max(r_min, 0.0), rel=1e-10, abs=1e-12)


@settings(max_examples=40, deadline=None)
@given(
    z=st.lists(st.just(0.0) | st.floats(0.01, 1.0), min_size=4, max_size=4),
    key_feed=st.tuples(st.floats(0.01, 1.0), st.floats(0.01, 1.0)),
    recoveries=st.tuples(st.floats(0.6, 0.9999), st.floats(0.6, 0.9999)),
    keys=st.sampled_from([(0, 1), (1, 2), (2, 3), (0, 2), (1, 3)]),
    q=st.floats(-0.5, 1.5),
    factor=st.floats(1.01, 4.0),
)
def test_any_four_alkane_design_keeps_its_invariants(z, key_feed, recoveries, keys, q, factor):
    light, heavy = keys
    z[light], z[heavy] = key_feed  # both keys are in the feed; a non-key may be absent
    z = [v / sum(z) for v in z]
    design = kolvar.shortcut(ALKANES, 800.0, 100.0, z, light, heavy, *recoveries, reflux=1e3, q=q)
    d, b = design.distillate_rate, design.bottoms_rate
    for i in range(4):  # the balance of every component closes
        assert d * design.distillate[i] + b * design.bottoms[i] == pytest.approx(100.0 * z[i], rel=1e-12, abs=1e-12)
    assert d * design.distillate[light] == pytest.approx(recoveries[0] * 100.0 * z[light], rel=1e-12)
    assert b * design.bottoms[heavy] == pytest.approx(recoveries[1] * 100.0 * z[heavy], rel=1e-12)
    assert design.alpha[heavy] == 1.0 and design.alpha[light] > 1.0
    assert design.alpha == sorted(design.alpha, reverse=True)  # the alkanes keep their order
    assert design.top_temperature < design.bottom_temperature
    assert design.top_temperature == ALKANES.bubble_temperature(800.0, design.distillate)[0]
    assert design.bottom_temperature == ALKANES.bubble_temperature(800.0, design.bottoms)[0]
    assert design.n_min < design.n_stages and 0.0 <= design.rectifying_stages <= design.n_stages
    assert design.feed_stage == round(design.rectifying_stages) + 1
    assert design.condenser_duty > 0.0 and math.isfinite(design.reboiler_duty)
    if design.r_min == 0.0:
        return
    # The reflux moves only the stages, however it is stated.
    closer = kolvar.shortcut(ALKANES, 800.0, 100.0, z, light, heavy, *recoveries, reflux_factor=factor, q=q)
    assert closer.reflux == factor * design.r_min
    assert (closer.n_min, closer.r_min, closer.distillate) == (design.n_min, design.r_min, design.distillate)
    assert closer.n_stages > design.n_stages


@pytest.mark.parametrize("q", [1.0, 0.4, 1.3])
def test_a_binary_shortcut_has_the_duties_of_its_column(q):
    """On two components the shortcut's products and reflux make a binary column: same balances, same duties."""
    system = kolvar.ThermoSystem.peng_robinson(["benzene", "toluene"])
    design = kolvar.shortcut(system, 101.325, 100.0, [0.44, 0.56], 0, 1, 0.97, 0.96, reflux_factor=1.4, q=q)
    column = kolvar.BinaryColumn(101.325, kolvar.Feed(100.0, 0.44, q), design.distillate[0], design.bottoms[0])
    energy = kolvar.column_energy(system, column, design.reflux)
    assert energy.distillate_rate == pytest.approx(design.distillate_rate, rel=1e-12)
    assert energy.condenser_duty == pytest.approx(design.condenser_duty, rel=1e-9)
    assert energy.reboiler_duty == pytest.approx(design.reboiler_duty, rel=1e-9)


def test_the_temperatures_are_the_bubble_points_of_the_products():
    """A trace of ethane (1e-13) with K near 1e13 in the bottoms moves their bubble point by 9 K."""
    uniquac = {"r": [3.98, 3.42, 1.38], "q": [1.2, 1.56, 3.04], "a": [[0, -4.12, -2.15], [2.64, 0, -1.62],
               [-0.85, -0.55, 0]], "b": [[0, -116.0, 198.0], [-621.0, 0, -715.0], [-327.0, 24.0, 0]]}
    system = kolvar.ThermoSystem.activity(["acetone", "cyclohexane", "ethane"], "UNIQUAC", uniquac)
    design = kolvar.shortcut(system, 62.8, 100.0, [0.16, 0.17, 0.67], 0, 1, 0.95, 0.999, reflux=50.0)
    assert 0.0 < design.bottoms[2] < 1e-12
    assert design.bottom_temperature == system.bubble_temperature(62.8, design.bottoms)[0]
    assert design.top_temperature == system.bubble_temperature(62.8, design.distillate)[0]


def test_keys_by_name_or_index_and_reflux_by_factor_or_value_give_one_design():
    by_name = kolvar.shortcut(ALKANES, 800.0, 100.0, Z, " N-Butane", "n-pentane", 0.98, 0.98, reflux_factor=1.3)
    by_index = kolvar.shortcut(ALKANES, 800.0, 100.0, Z, 1, 2, 0.98, 0.98, reflux=1.3 * by_name.r_min)
    state = lambda r: r.__reduce__()[1][1]  # noqa: E731
    assert state(by_index) == state(by_name)
    assert pickle.loads(pickle.dumps(by_name)).__reduce__() == by_name.__reduce__()


def call(**changes):
    arguments = dict(system=ALKANES, pressure=800.0, feed_rate=100.0, z=Z, light_key="n-butane",
                     heavy_key="n-pentane", light_recovery=0.98, heavy_recovery=0.98, reflux_factor=1.3)
    arguments.update(changes)
    return lambda: kolvar.shortcut(**arguments)


DUPLICATE = kolvar.ThermoSystem.peng_robinson(["propane", "n-butane", "n-butane", "n-hexane"])
# Eight alkanes whose Fenske distribution cycles through three states.
CYCLING = kolvar.ThermoSystem.grayson_streed(
    ["n-heptane", "n-nonane", "n-hexane", "isopentane", "methane", "propane", "n-octane", "ethane"])
M = "dimension mismatch: "
I = "specification is infeasible: "


@pytest.mark.parametrize(
    "attempt, error, message",
    [
        (call(pressure=0.0), ValueError, M + "pressure must be positive and finite, got 0 kPa"),
        (call(feed_rate=math.inf), ValueError, M + "feed rate must be positive and finite, got inf kmol/h"),
        (call(feed_rate=5e-324), ValueError, M + "feed rate 0.0"),
        (call(z=[0.5, 0.5]), ValueError, M + "composition has 2 entries but the system has 4 components"),
        (call(z=[0.5, 0.6, -0.1, 0.0]), ValueError,
         M + "feed composition entries must be finite and non-negative, got -0.1 at index 2"),
        (call(z=[20, 30, 30, 20]), ValueError, M + "feed composition must be mole fractions summing to 1 "
         "(within 0.000001), got a sum of 100; divide percentages by 100"),
        (call(z=[0.2, 0.3, 0.3, 0.1999]), ValueError, M + "feed composition must be mole fractions summing to 1 "
         "(within 0.000001), got a sum of 0.9999"),
        (call(q=math.nan), ValueError, M + "q must be finite, got NaN"),
        (call(light_key="butane"), ValueError, M + 'light key "butane" is not a component of the system '
         "(components: propane, n-butane, n-pentane, n-hexane)"),
        (call(heavy_key=4), ValueError, M + "heavy key index 4 is outside 0..3"),
        (call(heavy_key=-1), ValueError, M + "heavy key index -1 is outside 0..3"),
        (call(heavy_key=1.0), TypeError, "argument 'heavy_key': 'float' object cannot be converted to 'str or int'"),
        (call(system=DUPLICATE, light_key="n-butane"), ValueError,
         M + 'light key "n-butane" names 2 components of the system (indices 1, 2); give its index'),
        (call(heavy_key=1), ValueError, M + "light and heavy key are the same component, n-butane"),
        (call(z=[0.5, 0.5, 0.0, 0.0]), ValueError, M + "heavy key n-pentane is not in the feed (z = 0)"),
        (call(light_recovery=1.0), ValueError, M + "light_recovery must lie strictly between 0 and 1, got 1"),
        (call(heavy_recovery=0.0), ValueError, M + "heavy_recovery must lie strictly between 0 and 1, got 0"),
        (call(light_recovery=0.4, heavy_recovery=0.6), ValueError,
         M + "the recoveries ask for no separation: light_recovery + heavy_recovery must exceed 1, got 0.4 + 0.6"),
        (call(reflux=2.0), ValueError, M + "give reflux or reflux_factor, not both"),
        (call(reflux_factor=None), ValueError, M + "give reflux or reflux_factor"),
        (call(reflux_factor=-1.0), ValueError, M + "reflux_factor must be positive and finite, got -1"),
        (call(light_key="n-pentane", heavy_key="n-butane"), ValueError,
         M + "light key n-pentane is not more volatile than heavy key n-butane at the feed's bubble point ("),
        (call(reflux_factor=0.9), ValueError, I + "reflux R = "),
        (call(light_recovery=0.6, heavy_recovery=0.6, q=1.5), ValueError,
         I + "reflux_factor cannot set the reflux: R_min = 0 (the separation pinches nowhere); give reflux instead"),
        (call(reflux_factor=None, reflux=0.5), ValueError, I + "reflux R = 0.5 must exceed the minimum reflux R_min = "),
        (call(reflux_factor=1 + 1e-12), ValueError, I + "reflux R = "),
        (call(pressure=1e7), RuntimeError, "thermo evaluation failed: "),
        (call(system=CYCLING, pressure=2500.0, z=[0.036, 0.137, 0.002, 0.234, 0.08, 0.083, 0.395, 0.033],
              light_key=2, heavy_key=6, light_recovery=0.62, heavy_recovery=0.73), RuntimeError,
         "solver did not converge: the Fenske distribution did not settle in 15 iterations (largest change "),
    ],
)
def test_refusals(attempt, error, message):
    with pytest.raises(error) as raised:
        attempt()
    assert str(raised.value).startswith(message), str(raised.value)


def test_command_line_reports_the_design_and_refuses_in_one_line(capsys):
    from kolvar.cli import main

    assert main(["shortcut", "--reflux-factor", "1.5", "--q", "0.8"]) == 0
    out = capsys.readouterr().out
    design = kolvar.shortcut(ALKANES, 800.0, 100.0, Z, "n-butane", "n-pentane", 0.98, 0.98, reflux_factor=1.5, q=0.8)
    assert f"N_min       {design.n_min:.3f} " in out and f"R = {design.reflux:.4f}  (1.5 x R_min)" in out
    assert f"feed on stage {design.feed_stage} " in out
    assert f"condenser {design.condenser_duty:.1f} kW, reboiler {design.reboiler_duty:.1f} kW" in out
    rows = [line.split() for line in out.splitlines()[-4:]]
    assert [[float(v) for v in row[3:]] for row in rows] == [
        [round(x_d, 6), round(x_b, 6)] for x_d, x_b in zip(design.distillate, design.bottoms)
    ]

    assert main(["shortcut", "--components", "propane", "n-butane", "--light-key", "0"]) == 2
    assert capsys.readouterr().err == "kolvar: error: --components needs --z, --heavy-key\n"


def test_readme_example_prints_what_the_readme_shows(capsys):
    readme = (Path(__file__).resolve().parent.parent / "README.md").read_text(encoding="utf-8")
    script, output = re.search(r"## Multicomponent columns.*?```python\n(.*?)```\n\nprints\n\n```text\n(.*?)```",
                               readme, re.S).groups()
    exec(compile(script, "README.md", "exec"), {})
    assert capsys.readouterr().out == output
