"""ThermoSystem, bubble points, the curve from a system and the end-to-end design."""

import math
import subprocess
import sys
import textwrap

import pytest

from kolvar import EquilibriumCurve, ThermoSystem, mccabe_thiele, rmin, smoke_bubble_temperature

PR_MW = ThermoSystem.peng_robinson(["methanol", "water"])


def test_components_and_repr():
    system = ThermoSystem.peng_robinson(["methanol", " Water"])
    assert system.components == ["methanol", "water"]
    assert system.components is not system.components
    assert repr(system) == "ThermoSystem(methanol, water)"
    assert ThermoSystem.peng_robinson([]).components == []


@pytest.mark.parametrize(
    "call, kind, message",
    [
        (lambda: ThermoSystem.peng_robinson("water"), TypeError, "argument 'names': Can't extract `str` to `Vec`"),
        (lambda: ThermoSystem.peng_robinson([1]), TypeError, "argument 'names': 'int' object cannot be converted to 'PyString'"),
        (lambda: ThermoSystem.van_laar(["a", "b", "c"], 1, 1), ValueError, "expected a sequence of length 2 (got 3)"),
        (lambda: ThermoSystem.van_laar(5, 1, 1), TypeError, "argument 'names': 'int' object cannot be converted to 'Sequence'"),
        (lambda: ThermoSystem.peng_robinson(["water"], 1), TypeError, "ThermoSystem.peng_robinson() takes 1 positional arguments but 2 were given"),
        (lambda: PR_MW.bubble_temperature(101.325, [1.0]), ValueError, "dimension mismatch: composition has 1 entries but the system has 2 components"),
        (lambda: PR_MW.bubble_pressure(350, [0.2, 0.3, 0.5]), ValueError, "dimension mismatch: composition has 3 entries but the system has 2 components"),
        (lambda: PR_MW.bubble_temperature(), TypeError, "ThermoSystem.bubble_temperature() missing 2 required positional arguments: 'p' and 'x'"),
        (lambda: ThermoSystem(), TypeError, "No constructor defined for ThermoSystem"),
    ],
)
def test_refusals(call, kind, message):
    with pytest.raises(kind) as info:
        call()
    assert str(info.value) == message


def test_unknown_component():
    with pytest.raises(RuntimeError) as info:
        ThermoSystem.peng_robinson(["methanol", "unobtainium"])
    assert str(info.value).startswith('thermo evaluation failed: component "unobtainium", not in the korrin database (available: 2-propanol, ')
    with pytest.raises(RuntimeError, match='^thermo evaluation failed: component "a"'):
        ThermoSystem.van_laar("ab", 1, 1)  # a two-character str is a pair of names


@pytest.mark.parametrize(
    "x1, temperature",
    [(0.0, 374.533773299), (0.1, 340.875275478), (0.5, 341.182387810), (0.9, 338.246827019), (1.0, 337.742360125)],
)
def test_methanol_water_bubble_temperatures(x1, temperature):
    t, y, k = PR_MW.bubble_temperature(101.325, [x1, 1 - x1])
    assert t == pytest.approx(temperature, abs=1e-6)
    assert len(y) == len(k) == 2
    assert sum(y) == pytest.approx(1.0, abs=1e-12)
    if x1 == 0.5:
        assert y[0] == pytest.approx(0.7546884819, abs=1e-8)


def test_methanol_water_bubble_pressure():
    p, y, k = PR_MW.bubble_pressure(350.0, [0.5, 0.5])
    assert p == pytest.approx(141.81326869, rel=1e-8)
    assert y[0] == pytest.approx(0.5 * k[0] / (0.5 * k[0] + 0.5 * k[1]), rel=1e-6)


def test_smoke_matches_the_bubble_temperature_bit_for_bit():
    assert smoke_bubble_temperature() == PR_MW.bubble_temperature(101.325, [0.5, 0.5])[0]


def van_laar_ln_gamma(a12, a21, x1):
    x2 = 1 - x1
    d = a12 * x1 + a21 * x2
    return a12 * (a21 * x2 / d) ** 2, a21 * (a12 * x1 / d) ** 2


@pytest.mark.parametrize("x1", [0.1, 0.4, 0.8])
def test_van_laar_identities(x1):
    temperature = 350.0
    ideal = ThermoSystem.van_laar(["benzene", "toluene"], 0, 0)
    p0, _, k0 = ideal.bubble_pressure(temperature, [x1, 1 - x1])
    psat = [k * p0 for k in k0]
    assert p0 == pytest.approx(x1 * psat[0] + (1 - x1) * psat[1], rel=1e-9)
    nonideal = ThermoSystem.van_laar(["benzene", "toluene"], 0.6, 0.4)
    p, _, k = nonideal.bubble_pressure(temperature, [x1, 1 - x1])
    for k_i, psat_i, ln_gamma in zip(k, psat, van_laar_ln_gamma(0.6, 0.4, x1)):
        assert k_i * p / psat_i == pytest.approx(math.exp(ln_gamma), rel=1e-12)


def test_trivial_solutions_are_not_reported_as_bubble_points():
    methane_hexane = ThermoSystem.peng_robinson(["methane", "n-hexane"])
    try:
        t = methane_hexane.bubble_temperature(3000, [0.05, 0.95])[0]
    except RuntimeError:
        pass
    else:
        assert t == pytest.approx(480.92, abs=0.01)
    with pytest.raises(RuntimeError, match="^thermo evaluation failed: "):
        ThermoSystem.peng_robinson(["methane", "n-decane"]).bubble_temperature(3000, [0.05, 0.95])


@pytest.mark.parametrize("x1", [0.1, 0.5, 0.9])
def test_azeotropic_pair_still_solves(x1):
    system = ThermoSystem.peng_robinson(["cyclohexane", "2-propanol"])
    t, y, _ = system.bubble_temperature(101.325, [x1, 1 - x1])
    assert 300 < t < 400 and sum(y) == pytest.approx(1.0)


@pytest.fixture(scope="module")
def methanol_water_curve():
    return EquilibriumCurve.from_thermo(PR_MW, 101.325)


def test_curve_from_a_system(methanol_water_curve):
    curve = methanol_water_curve
    assert repr(curve) == "EquilibriumCurve(101 points, P = 101.325 kPa)"
    assert curve.pressure == 101.325
    assert (curve.x[0], curve.y[0], curve.x[100], curve.y[100]) == (0, 0, 1, 1)
    for i in (0, 1, 37, 100):
        x = curve.x[i]
        t, y, _ = PR_MW.bubble_temperature(101.325, [x, 1.0 - x])
        assert curve.t[i] == t
        if 0 < i < 100:
            assert curve.y[i] == y[0]
    assert curve.t[0] == pytest.approx(374.533773299, abs=1e-6)
    assert curve.t[100] == pytest.approx(337.742360125, abs=1e-6)


def test_curve_grid_and_refusals():
    curve = EquilibriumCurve.from_thermo(PR_MW, 101.325, n_points=5)
    assert curve.x == [0, 0.25, 0.5, 0.75, 1]
    with pytest.raises(ValueError) as info:
        EquilibriumCurve.from_thermo(PR_MW, 101.325, 4)
    assert str(info.value) == "dimension mismatch: n_points must be at least 5, got 4"
    three = ThermoSystem.peng_robinson(["methanol", "water", "ethanol"])
    with pytest.raises(ValueError) as info:
        EquilibriumCurve.from_thermo(three, 101.325, 4)
    assert str(info.value) == "dimension mismatch: equilibrium curve needs a binary system, got 3 components"
    with pytest.raises(TypeError, match="^argument 'system': 'str' object cannot be converted to 'ThermoSystem'$"):
        EquilibriumCurve.from_thermo("methanol", 101.325)


def test_inverted_component_order():
    with pytest.raises(RuntimeError) as info:
        EquilibriumCurve.from_thermo(ThermoSystem.peng_robinson(["water", "methanol"]), 101.325)
    text = str(info.value)
    assert text.startswith("thermo evaluation failed: component order looks inverted: y*(0.010) = ")
    assert text.endswith(" ≤ x — list the more volatile component first")


def test_a_maximum_boiling_azeotrope_gets_its_curve_in_either_order():
    # Margules acetone/chloroform: below the diagonal at the first interior point in both orders.
    curve, mirror = (EquilibriumCurve.from_thermo(ThermoSystem.activity(names, "Margules", a), 101.325)
                     for names, a in ((["acetone", "chloroform"], [[0, -0.8], [-0.7, 0]]),
                                      (["chloroform", "acetone"], [[0, -0.7], [-0.8, 0]])))
    n = len(curve.x)
    assert [1 - y for y in reversed(mirror.y)] == pytest.approx(curve.y, abs=1e-9)
    assert list(reversed(mirror.t)) == pytest.approx(curve.t, abs=1e-7)
    above = [y > x for x, y in zip(curve.x[1:-1], curve.y[1:-1])]
    crossing = above.index(True)  # one crossing of the diagonal: the azeotrope
    assert not any(above[:crossing]) and all(above[crossing:]) and 0 < crossing < n - 3
    with pytest.raises(ValueError, match="^specification is infeasible: "):
        rmin(curve, 0.95, 0.05, 0.5)  # bottoms on the other side of the azeotrope


def test_an_answer_does_not_depend_on_what_came_before_it():
    """The same call, first in a fresh process, after a sequence of others in another, and from a thread."""
    code = textwrap.dedent("""
        import sys, threading, kolvar
        def call():  # the bits of the answer, or the refusal
            system = kolvar.ThermoSystem.peng_robinson(["methane", "acetone"])
            try:
                p, y, k = system.bubble_pressure(250, [0.95, 0.05])
            except RuntimeError as error:
                return str(error)
            return [p.hex()] + [v.hex() for v in y + k]
        if sys.argv[1] == "after":
            earlier = kolvar.ThermoSystem.peng_robinson(["methane", "acetone"])
            for t in (150, 250):
                for x1 in (0.05, 0.5, 0.95):
                    for question in (earlier.bubble_pressure, earlier.dew_pressure, earlier.liquid_stability):
                        arguments = (t, 500, [x1, 1 - x1]) if question == earlier.liquid_stability else (t, [x1, 1 - x1])
                        try:
                            question(*arguments)
                        except RuntimeError:
                            pass
        answers = [call()]
        thread = threading.Thread(target=lambda: answers.append(call()))
        thread.start()
        thread.join()
        print(answers)
        """)
    first, after = (subprocess.run([sys.executable, "-c", code, order], capture_output=True, text=True, check=True).stdout
                    for order in ("first", "after"))
    assert first == after and eval(first)[0] == eval(first)[1]


def test_unreachable_pressure_fails_at_an_end_point():
    with pytest.raises(RuntimeError, match="^thermo evaluation failed: saturation temperature bracket did not converge in 96 iterations \\(residual NaN\\)$"):
        EquilibriumCurve.from_thermo(PR_MW, 1e-30)


def test_end_to_end_design(methanol_water_curve):
    result = mccabe_thiele(methanol_water_curve, 0.95, 0.05, 0.5, 2.0)
    analysis = rmin(methanol_water_curve, 0.95, 0.05, 0.5)
    assert result.rmin.r_min == analysis.r_min < 2.0
    pinch_x, pinch_y = result.rmin.pinch
    assert methanol_water_curve.y_of_x(pinch_x) == pytest.approx(pinch_y, abs=1e-12)
    # the rectifying line from (x_D, x_D) touches the curve at an interior sample
    assert result.rmin.tangent is True
    index = methanol_water_curve.x.index(pinch_x)
    assert pinch_y == methanol_water_curve.y[index]
    slope = (0.95 - pinch_y) / (0.95 - pinch_x)
    assert result.rmin.r_min == pytest.approx(slope / (1 - slope), rel=1e-12)
    n = len(result.stages)
    assert n - 1 < result.n_stages <= n and 1 <= result.feed_stage <= n
    # regression values of this design (Peng-Robinson with kij = 0)
    assert (n, result.feed_stage) == (17, 16)
    assert result.n_stages == pytest.approx(16.6175175245, abs=1e-6)
    for stage in result.stages:
        assert methanol_water_curve.y_of_x(stage.x) == pytest.approx(stage.y, abs=1e-9)
