"""Every model of the thermodynamic library from Python: the general ThermoSystem
constructors, their refusals, and the identities of the questions they answer."""

import math
import warnings

import numpy as np
import pytest

from kolvar import CompositionWarning, EquilibriumCurve, LiquidSplitWarning, ThermoSystem
from kolvar.thermo import liquid_split

T = ThermoSystem
NAMES = T._model_names()
GE_RULES = ["WongSandler", "HuronVidalOriginal", "HuronVidalSimplified", "MHV1", "MHV2"]
C_RULES = ["PatelTejaC", "PatelTejaUSBC", "SchmidtWenzelC"]
THREE_PARAMETER = ["SchmidtWenzel", "PatelTeja", "PatelTejaUSB"]
WILSON_MW = [[0.0, 100.0], [400.0, 0.0]]  # J/mol


def constants(compound, **changes):
    record = dict(T._database_component(compound))
    record.update(changes)
    return record


def without(compound, key):
    record = constants(compound)
    del record[key]
    return record


def test_model_names_and_database():
    assert NAMES["eos"][0] == "PR1976" and len(NAMES["eos"]) == 22
    # The C-parameter rules are implied by the three-parameter equations of state, never offered as a rule.
    assert len(NAMES["mixing_rule"]) == 8 and not set(C_RULES) & set(NAMES["mixing_rule"])
    assert NAMES["activity"] == ["VanLaar", "Wilson", "RegularSolution", "Margules", "IdealLiquid", "NRTL", "UNIQUAC",
                                 "UNIFAC", "UNIFAC-Dortmund"]
    assert NAMES["saturation"] == ["Antoine", "Riedel", "Muller", "RPM", "Polynomial"]
    assert NAMES["vapour"] == ["IdealGas", "Virial", *NAMES["eos"]]
    names = T._database_names()
    assert len(names) == 24 and names[:2] == ["methane", "ethane"]
    methane = T._database_component("methane")
    assert list(methane) == ["name", "tc", "pc", "omega", "zc", "vc", "tb", "mw", "psat_coeffs", "cp_coeffs", "tm"]
    assert T._database_component("n-butane")["liquid_volume"] == 100.4
    with pytest.raises(RuntimeError, match='^thermo evaluation failed: component "benzen", not in the korrin database'):
        T._database_component("benzen")


def test_a_compound_given_by_its_constants_is_the_database_compound():
    by_name = T.peng_robinson(["benzene", "toluene"])
    by_constants = T.cubic([constants("benzene"), "toluene"])
    assert repr(by_constants) == "ThermoSystem(benzene, toluene; PR1976, Classical)"
    for x1 in (0.2, 0.7):
        assert by_constants.bubble_temperature(101.325, [x1, 1 - x1]) == by_name.bubble_temperature(101.325, [x1, 1 - x1])
    renamed = T.cubic([constants("benzene", name="my benzene"), "toluene"])
    assert renamed.components == ["my benzene", "toluene"]


# Every keyword of every constructor, each system answering a bubble point.
BUILT = [
    (lambda: T.cubic(["methanol", "water"], eos="RKS1972", mixing_rule="MHV2", kij=[[0, 0.02], [0.01, 0]],
                     ge_model="Wilson", ge_parameters=WILSON_MW, eos_parameters=[[0.1, 0.2, 0.3, 0.4]] * 2),
     "ThermoSystem(methanol, water; RKS1972, MHV2 with Wilson)"),
    (lambda: T.cubic(["methanol", "water"], "PRSV1986", "IIVDW", [[0, -0.05], [-0.08, 0]], None, None,
                     [[0, 0, 0, 0.1], [0, 0, 0, -0.07]]),
     "ThermoSystem(methanol, water; PRSV1986, IIVDW)"),
    (lambda: T.activity(["methanol", "water"], model="Wilson", parameters=WILSON_MW, vapour="Virial",
                        saturation=["Riedel", "Muller"], poynting=True, solubility=None),
     "ThermoSystem(methanol, water; Wilson, Virial vapour, Poynting)"),
    (lambda: T.activity(["benzene", "n-heptane"], "RegularSolution", None, "PR1976", None, False, [9.2, 7.4]),
     "ThermoSystem(benzene, n-heptane; RegularSolution, PR1976 vapour)"),
    (lambda: T.activity(["acetone", "chloroform"], "Margules", [[-0.8, -0.8], [-0.6, 0]]),
     "ThermoSystem(acetone, chloroform; Margules, IdealGas vapour)"),
    (lambda: T.ideal_solution(["benzene", "toluene"], vapour="RK1949", saturation=["RPM", "Antoine"]),
     "ThermoSystem(benzene, toluene; IdealSolution, RK1949 vapour)"),
    (lambda: T.grayson_streed(["propane", "n-butane"], vapour="Virial"),
     "ThermoSystem(propane, n-butane; GraysonStreed, Virial vapour)"),
    (lambda: T.grayson_streed(components=["propane", constants("n-butane")]),
     "ThermoSystem(propane, n-butane; GraysonStreed, RK1949 vapour)"),
]


@pytest.mark.parametrize("build, text", BUILT)
def test_every_keyword_is_reachable(build, text):
    system = build()
    assert repr(system) == text
    t, y, k = system.bubble_temperature(101.325, [0.5, 0.5])
    assert 200 < t < 400 and sum(y) == pytest.approx(1.0, abs=1e-12)


PR_MW = T.peng_robinson(["methanol", "water"])
WILSON = T.activity(["methanol", "water"], "Wilson", WILSON_MW)


@pytest.mark.parametrize(
    "call, kind, message",
    [
        (lambda: T.cubic(["water"], eos="PR2"), ValueError,
         'unknown equation of state "PR2" (valid names: ' + ", ".join(NAMES["eos"]) + ")"),
        (lambda: T.cubic(["water"], mixing_rule="classic"), ValueError,
         'unknown mixing rule "classic" (valid names: ' + ", ".join(NAMES["mixing_rule"]) + ")"),
        (lambda: T.activity(["water"], "ASOG"), ValueError,
         'unknown activity model "ASOG" (valid names: VanLaar, Wilson, RegularSolution, Margules, IdealLiquid, NRTL, '
         'UNIQUAC, UNIFAC, UNIFAC-Dortmund)'),
        (lambda: T.ideal_solution(["water"], vapour="Ideal"), ValueError,
         'unknown vapour model "Ideal" (valid names: ' + ", ".join(NAMES["vapour"]) + ")"),
        (lambda: T.ideal_solution(["water"], saturation=["antoin"]), ValueError,
         'unknown saturation model "antoin" (valid names: Antoine, Riedel, Muller, RPM, Polynomial)'),
        (lambda: T.ideal_solution(["water"], saturation=["Maxwell"]), ValueError,
         "dimension mismatch: saturation model Maxwell not available through this entry point"),
        (lambda: T.ideal_solution(["water", "methanol"], saturation=["Antoine"]), ValueError,
         "dimension mismatch: saturation must name one model per component: 2 components, got 1"),
        (lambda: T.ideal_solution(["water"], saturation=["Polynomial"]), ValueError,
         'dimension mismatch: component "water": expected 5 Antoine coefficients, got 3'),
        (lambda: T.cubic("water"), TypeError, "argument 'components': Can't extract `str` to `Vec`"),
        (lambda: T.cubic([3]), TypeError, "argument 'components': 'int' object cannot be converted to 'str or Mapping'"),
        (lambda: T.cubic([type("KeysOnly", (), {"keys": lambda self: ["tc"]})()]), TypeError,
         "argument 'components': 'KeysOnly' object cannot be converted to 'str or Mapping'"),
        (lambda: T.cubic([]), ValueError, "dimension mismatch: a system needs at least one component"),
        (lambda: T.cubic(["water", "methanol"], kij=[[0, 0.1], [0.1]]), ValueError,
         "dimension mismatch: kij must be empty or 2×2"),
        (lambda: T.cubic(["water", "methanol"], kij=[[0, math.nan], [0.1, 0]]), ValueError,
         "dimension mismatch: kij[0][1] must be finite, got NaN"),
        (lambda: T.cubic(["water", "methanol"], eos_parameters=[[0, 0, 0]] * 2), ValueError,
         "dimension mismatch: eos_parameters must have 2 rows of 4 values, got 2 rows, one of 3 entries"),
        (lambda: T.cubic(["water"], eos_parameters=[[0, math.inf, 0, 0]]), ValueError,
         "dimension mismatch: eos_parameters[0][1] must be finite, got inf"),
        (lambda: T.cubic(["water"], ge_model="Wilson"), ValueError,
         "dimension mismatch: mixing rule Classical takes no activity model (ge_model is read by WongSandler, "
         "HuronVidalOriginal, HuronVidalSimplified, MHV1 and MHV2)"),
        (lambda: T.cubic(["water"], ge_parameters=[[0]]), ValueError,
         "dimension mismatch: ge_parameters given without ge_model"),
        (lambda: T.cubic(["water", "methanol"], mixing_rule="MHV1"), ValueError,
         "dimension mismatch: mixing rule MHV1 requires an activity model (GeSpec)"),
        (lambda: T.cubic(["water", "methanol"], eos="PatelTeja", mixing_rule="MHV1", ge_model="VanLaar",
                         ge_parameters=[[0, 1], [1, 0]]), ValueError,
         "dimension mismatch: GE-based rule MHV1 with 3-parameter EOS PatelTeja is not supported (the legacy "
         "programs pair 3-parameter EOS with classical a/b mixing only)"),
        (lambda: T.cubic(["water"], mixing_rule="PatelTejaC"), ValueError,
         "dimension mismatch: PatelTejaC is a C-parameter rule; pass Classical/IVDW as the a/b rule (the C rule is "
         "implied by the 3-parameter EOS variant)"),
        (lambda: T.cubic(["water", "methanol"], mixing_rule="HuronVidalOriginal", ge_model="VanLaar"), ValueError,
         "dimension mismatch: activity model VanLaar needs a parameter matrix of at least 2×2"),
        (lambda: T.cubic(["methane", "ethane"], mixing_rule="MHV2", ge_model="Wilson", ge_parameters=WILSON_MW),
         ValueError, 'dimension mismatch: component "methane" has no liquid_volume, which Wilson needs'),
        (lambda: T.activity(["water", "methanol"], "Wilson"), ValueError,
         "dimension mismatch: activity model Wilson needs a parameter matrix of at least 2×2"),
        (lambda: T.activity(["water", "methanol"], "VanLaar", [[0, 1, 2], [1, 0, 2], [1, 1, 0]]), ValueError,
         "dimension mismatch: parameters must have 2 rows of 2 values, got 3 rows, one of 3 entries"),
        (lambda: T.activity(["water", "methanol", "ethanol"], "Margules", [[0, 1], [1, 0]]), ValueError,
         "dimension mismatch: activity model Margules needs exactly 2 components, got 3"),
        (lambda: T.activity(["water"], "IdealLiquid", [[0]]), ValueError,
         "dimension mismatch: activity model IdealLiquid takes no parameters"),
        (lambda: T.activity(["water", "methanol"], "Wilson", WILSON_MW, solubility=[1, 2]), ValueError,
         "dimension mismatch: solubility is read by RegularSolution only, not by Wilson"),
        (lambda: T.activity(["water", "methanol"], "RegularSolution"), ValueError,
         "dimension mismatch: activity model RegularSolution needs 2 solubility parameters, got 0"),
        (lambda: T.activity(["water", "methanol"], "RegularSolution", solubility=[1, 2, 3]), ValueError,
         "dimension mismatch: solubility must have 2 values, got 3"),
        (lambda: T.activity(["methane", "water"], "VanLaar", [[0, 1], [1, 0]], poynting=True), ValueError,
         'dimension mismatch: component "methane" has no liquid_volume, which the Poynting factor needs'),
        (lambda: T.activity(["water"], "IdealLiquid", poynting=1), TypeError,
         "argument 'poynting': 'int' object cannot be converted to 'bool'"),
        # constants: every fault names the compound, the key and the value
        (lambda: T.cubic([{"tc": 500}]), ValueError,
         "dimension mismatch: component constants need a name (a non-empty text under the key name)"),
        (lambda: T.cubic([constants("water", Tc=1)]), ValueError,
         'dimension mismatch: component "water": unknown key "Tc" (accepted: name, tc, pc, omega, zc, vc, tb, mw, '
         "psat_coeffs, cp_coeffs, liquid_volume, tm, unifac_groups, dortmund_groups)"),
        (lambda: T.cubic([without("water", "pc")]), ValueError, 'dimension mismatch: component "water": missing key pc'),
        (lambda: T.cubic([constants("water", tc=[1.0])]), ValueError,
         'dimension mismatch: component "water": tc must be a number, got a list'),
        (lambda: T.cubic([constants("water", tc=-5)]), ValueError,
         'dimension mismatch: component "water": tc must be positive and finite, got -5'),
        (lambda: T.cubic([constants("water", pc=math.nan)]), ValueError,
         'dimension mismatch: component "water": pc must be positive and finite, got NaN'),
        (lambda: T.cubic([constants("water", zc=1.5)]), ValueError,
         'dimension mismatch: component "water": zc must lie between 0 and 1, got 1.5'),
        (lambda: T.cubic([constants("water", omega=7)]), ValueError,
         'dimension mismatch: component "water": omega must lie between -1 and 3, got 7'),
        (lambda: T.cubic([constants("water", tb=700)]), ValueError,
         'dimension mismatch: component "water": tb must lie below tc = 647.096 K, got 700'),
        (lambda: T.cubic([constants("water", psat_coeffs=[1, 2])]), ValueError,
         'dimension mismatch: component "water": psat_coeffs must have 3 (Antoine) or 5 (Polynomial) entries, got 2'),
        (lambda: T.cubic([constants("water", psat_coeffs=[1, math.nan, 3])]), ValueError,
         'dimension mismatch: component "water": psat_coeffs[1] must be finite, got NaN'),
        (lambda: T.cubic([constants("water", psat_coeffs=[5, 3000, -400])]), ValueError,
         'dimension mismatch: component "water": psat_coeffs[2] = -400 leaves Antoine undefined at tb = 373.124 K'),
        (lambda: T.cubic([constants("water", cp_coeffs=[1, 2, 3, 4])]), ValueError,
         'dimension mismatch: component "water": cp_coeffs must have 5 entries, got 4'),
        (lambda: T.cubic([constants("water", liquid_volume=0)]), ValueError,
         'dimension mismatch: component "water": liquid_volume must be positive and finite, got 0'),
        (lambda: T.cubic([constants("water", mw=object())]), TypeError,
         "argument 'components': 'object' object cannot be converted to 'number or Sequence'"),
        # the questions
        (lambda: PR_MW.flash(-1, 101.325, [0.5, 0.5]), ValueError,
         "dimension mismatch: temperature must be positive and finite, got -1 K"),
        (lambda: PR_MW.dew_temperature(math.nan, [0.5, 0.5]), ValueError,
         "dimension mismatch: pressure must be positive and finite, got NaN kPa"),
        (lambda: PR_MW.dew_pressure(350, [0.5]), ValueError,
         "dimension mismatch: composition has 1 entries but the system has 2 components"),
        (lambda: PR_MW.k_values(350, 100, [0.5, -0.5]), ValueError,
         "dimension mismatch: composition entries must be finite and non-negative, got -0.5 at index 1"),
        (lambda: PR_MW.k_values(300, 1.0081403798024317e64, [0.32084986573903224, 0.6791501342609678]),
         RuntimeError, "thermo evaluation failed: thermodynamic evaluation failed: K-values underflow to 0 at "
         "T = 300 K, P = 10081403798024317" + "0" * 48 + " kPa"),
        (lambda: PR_MW.liquid_stability(350, 100, [0, 0]), ValueError,
         "dimension mismatch: composition must have a positive sum"),
        (lambda: PR_MW.ln_phi(350, 100, [0.5, 0.5], "gas"), ValueError,
         'phase must be "liquid" or "vapour", got "gas"'),
        (lambda: WILSON.ln_phi(350, 100, [0.5, 0.5], "liquid"), ValueError,
         "dimension mismatch: ln_phi of the liquid needs an equation-of-state liquid; this system's liquid is the "
         "activity model Wilson"),
        (lambda: PR_MW.ln_gamma(350, [0.5, 0.5]), ValueError,
         "dimension mismatch: ln_gamma needs an activity-coefficient liquid; this system's liquid is the equation "
         "of state PR1976"),
        (lambda: PR_MW.saturation_pressure(0), ValueError,
         "dimension mismatch: temperature must be positive and finite, got 0 K"),
        (lambda: WILSON.saturation_pressure(30), RuntimeError,
         "thermo evaluation failed: thermodynamic evaluation failed: temperature 30 K out of range for saturation "
         "correlation"),
        (lambda: PR_MW.flash(), TypeError,
         "ThermoSystem.flash() missing 3 required positional arguments: 't', 'p', and 'z'"),
        # a bound on the size of a system, the solubility of a GE rule's regular solution, one saturation name
        (lambda: T.peng_robinson(["water"] * 101), ValueError,
         "dimension mismatch: a system takes at most 100 components, got 101"),
        (lambda: T.cubic([constants("water")] * 101), ValueError,
         "dimension mismatch: a system takes at most 100 components, got 101"),
        (lambda: T.cubic(["benzene", "n-heptane"], mixing_rule="MHV1", ge_model="RegularSolution"), ValueError,
         "dimension mismatch: activity model RegularSolution needs 2 solubility parameters, got 0"),
        (lambda: T.cubic(["benzene", "n-heptane"], mixing_rule="MHV1", ge_model="Wilson", ge_parameters=WILSON_MW,
                         solubility=[9.2, 7.4]), ValueError,
         "dimension mismatch: solubility is read by the ge_model RegularSolution only; this system's ge_model is Wilson"),
        (lambda: T.cubic(["benzene", "n-heptane"], solubility=[9.2, 7.4]), ValueError,
         "dimension mismatch: solubility is read by the ge_model RegularSolution only; this system has no ge_model"),
        (lambda: T.cubic(["benzene", "n-heptane"], "PR1976", "MHV1", None, "RegularSolution", None, None,
                         [9.2, 7.4, 8.0]), ValueError, "dimension mismatch: solubility must have 2 values, got 3"),
        (lambda: T.activity(["water"], "VanLaar", saturation="antoin"), ValueError,
         'unknown saturation model "antoin" (valid names: Antoine, Riedel, Muller, RPM, Polynomial)'),
        (lambda: T.ideal_solution(["benzene", "water"], saturation="Polynomial"), ValueError,
         'dimension mismatch: component "benzene": expected 5 Antoine coefficients, got 3'),
        # a pressure below the solvers' floor of 1e-9 kPa
        (lambda: T.peng_robinson(["methane", "n-decane"]).dew_pressure(150, [0.5, 0.5]), RuntimeError,
         "thermo evaluation failed: thermodynamic evaluation failed: dew pressure is below 1e-9 kPa at T = 150 K"),
        (lambda: T.peng_robinson(["methane", "n-decane"]).bubble_pressure(150, [0, 1]), RuntimeError,
         "thermo evaluation failed: thermodynamic evaluation failed: bubble pressure is below 1e-9 kPa at T = 150 K"),
    ],
)
def test_refusals(call, kind, message):
    with pytest.raises(kind) as info:
        call()
    assert str(info.value) == message


PERCENT = "composition sums to 100, not 1: mole fractions are expected (percentages are the usual cause)"
NEGATIVE = "composition has a negative entry, -0.25 at index 1: mole fractions are expected"


def split_text(system, pressure):
    low, high = liquid_split(system, pressure)
    return (f"the bubble-point liquid splits into two liquids for {low:.3f} < x < {high:.3f} at {pressure:g} kPa: "
            "the equilibrium curve is metastable there")


# (call, warning category or None, its text): every question that takes a
# composition announces one that cannot be mole fractions (whether the
# question then answers or refuses it), and a curve whose liquid splits says
# where, once.
WARNED = [
    (lambda: PR_MW.bubble_temperature(101.325, [30, 70]), CompositionWarning, PERCENT),
    (lambda: WILSON.bubble_pressure(340, [1.25, -0.25]), CompositionWarning, NEGATIVE),
    (lambda: WILSON.dew_temperature(101.325, [30, 70]), CompositionWarning, PERCENT),
    (lambda: WILSON.dew_pressure(340, [30, 70]), CompositionWarning, PERCENT),
    (lambda: PR_MW.flash(350, 101.325, [1.25, -0.25]), CompositionWarning, NEGATIVE),
    (lambda: PR_MW.k_values(350, 101.325, [30, 70]), CompositionWarning, PERCENT),
    (lambda: PR_MW.ln_phi(350, 101.325, [30, 70], "vapour"), CompositionWarning, PERCENT),
    (lambda: WILSON.ln_gamma(340, [30, 70]), CompositionWarning, PERCENT),
    (lambda: PR_MW.liquid_stability(340, 101.325, [30, 70]), CompositionWarning, PERCENT),
    (lambda: WILSON.bubble_pressure(340, [0.5, 0.5000009]), None, None),
    (lambda: EquilibriumCurve.from_thermo(PR_MW, 101.325), LiquidSplitWarning, lambda: split_text(PR_MW, 101.325)),
    (lambda: EquilibriumCurve.from_thermo(WILSON, 101.325), None, None),
]


@pytest.mark.parametrize("call, category, message", WARNED)
def test_warnings(call, category, message):
    assert category is None or issubclass(category, UserWarning)
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        try:
            call()
        except ValueError:
            pass
    text = message() if callable(message) else message
    assert [(w.category, str(w.message)) for w in caught] == ([] if category is None else [(category, text)])
    assert all(w.filename == __file__ for w in caught)  # the caller's line
    if category is not None:
        with warnings.catch_warnings():
            warnings.simplefilter("error", category)
            with pytest.raises(category):
                call()


def test_every_eos_with_every_mixing_rule_builds_and_solves_or_is_refused():
    for eos in NAMES["eos"]:
        for rule in NAMES["mixing_rule"] + C_RULES:
            ge = {"ge_model": "VanLaar", "ge_parameters": [[0, 0.6], [0.4, 0]]} if rule in GE_RULES else {}
            build = lambda: T.cubic(["benzene", "toluene"], eos=eos, mixing_rule=rule, **ge)  # noqa: E731
            if rule in C_RULES:
                with pytest.raises(ValueError, match=f"^dimension mismatch: {rule} is a C-parameter rule;"):
                    build()
            elif rule in GE_RULES and eos in THREE_PARAMETER:
                with pytest.raises(ValueError, match=f"^dimension mismatch: GE-based rule {rule} with 3-parameter EOS {eos} "):
                    build()
            else:
                t, y, k = build().bubble_temperature(101.325, [0.5, 0.5])
                assert math.isfinite(t) and t > 0, (eos, rule)
                assert [0.5 * k_i for k_i in k] == pytest.approx(y, abs=1e-8), (eos, rule)


BINARIES = [
    T.cubic(["benzene", "toluene"], eos="RKS1972", mixing_rule="MHV2", ge_model="VanLaar",
            ge_parameters=[[0, 0.3], [0.2, 0]]),
    T.activity(["methanol", "water"], "Wilson", WILSON_MW, vapour="Virial", poynting=True),
    T.ideal_solution([constants("n-hexane"), "n-heptane"], vapour="PR1976"),
    T.grayson_streed(["n-pentane", "n-hexane"]),
]


@pytest.mark.parametrize("system", BINARIES, ids=repr)
def test_dew_point_of_a_bubble_points_vapour_and_the_flash_between(system):
    p = 101.325
    for x1 in (0.1, 0.6):
        x = [x1, 1 - x1]
        t_bubble, y, _ = system.bubble_temperature(p, x)
        t_dew, x_dew, k = system.dew_temperature(p, y)
        assert t_dew == pytest.approx(t_bubble, rel=1e-8)
        assert x_dew == pytest.approx(x, abs=1e-8)
        assert [k_i * x_i for k_i, x_i in zip(k, x_dew)] == pytest.approx(y, abs=1e-8)
        p_dew, x_p, _ = system.dew_pressure(t_bubble, y)
        assert p_dew == pytest.approx(p, rel=1e-8) and x_p == pytest.approx(x, abs=1e-8)

        t_end = system.dew_temperature(p, x)[0]
        assert system.flash(t_bubble, p, x)[0] == pytest.approx(0, abs=1e-6)
        assert system.flash(t_end, p, x)[0] == pytest.approx(1, abs=1e-6)
        beta, liquid, vapour = system.flash(0.5 * (t_bubble + t_end), p, x)
        assert 0 < beta < 1
        for z_i, x_i, y_i in zip(x, liquid, vapour):
            assert (1 - beta) * x_i + beta * y_i == pytest.approx(z_i, abs=1e-12)
        beta, liquid, vapour = system.flash(t_bubble - 5, p, x)
        assert (beta, liquid) == (0.0, x)
        assert vapour == pytest.approx(system.k_values(t_bubble - 5, p, x)[1], abs=1e-9)


@pytest.mark.parametrize("system", BINARIES, ids=repr)
def test_from_thermo_takes_every_binary_system(system):
    curve = EquilibriumCurve.from_thermo(system, 101.325, 11)
    assert len(curve.x) == 11 and curve.y[0] == 0 and curve.y[10] == 1
    assert all(0 < y < 1 for y in curve.y[1:10])


def test_liquid_stability():
    ideal = T.ideal_solution(["benzene", "toluene", "n-heptane"])
    for x in ([0.2, 0.3, 0.5], [0.9, 0.05, 0.05]):
        tpd, trial = ideal.liquid_stability(350, 101.325, x)
        assert tpd >= 0 and trial == pytest.approx(x, abs=1e-12)
    # Peng-Robinson with kij = 0 splits methanol/water between x = 0.09 and 0.47
    for x1, splits in ((0.05, False), (0.2, True), (0.4, True), (0.7, False)):
        t = PR_MW.bubble_temperature(101.325, [x1, 1 - x1])[0]
        tpd, trial = PR_MW.liquid_stability(t, 101.325, [x1, 1 - x1])
        assert (tpd < 0) == splits, x1
        assert sum(trial) == pytest.approx(1.0, abs=1e-12)


def numeric_gibbs_duhem(system, t, x):
    """sum_i x_i d(ln gamma_i)/dx_1 along x_2 = 1 - x_1 (the rest fixed), by central differences."""
    h = 1e-6
    up = system.ln_gamma(t, [x[0] + h, x[1] - h, *x[2:]])
    down = system.ln_gamma(t, [x[0] - h, x[1] + h, *x[2:]])
    return sum(x_i * (u - d) / (2 * h) for x_i, u, d in zip(x, up, down))


@pytest.mark.parametrize(
    "system",
    [
        T.activity(["acetone", "chloroform"], "VanLaar", [[0, -0.8], [-0.6, 0]]),
        T.activity(["acetone", "chloroform"], "Margules", [[0, -0.8], [-0.6, 0]]),
        T.activity(["methanol", "water", "ethanol"], "Wilson", [[0, 100, -50], [400, 0, 200], [80, 300, 0]]),
        T.activity(["benzene", "n-heptane", "toluene"], "RegularSolution", solubility=[9.2, 7.4, 8.9]),
    ],
    ids=repr,
)
def test_ln_gamma_satisfies_gibbs_duhem(system):
    n = len(system.components)
    for x1 in (0.1, 0.45, 0.8):
        x = [x1, (1 - x1) * 0.6, (1 - x1) * 0.4][:n] if n == 3 else [x1, 1 - x1]
        assert numeric_gibbs_duhem(system, 330.0, x) == pytest.approx(0, abs=1e-7)
    pure = [1.0] + [0.0] * (n - 1)
    assert system.ln_gamma(330.0, pure)[0] == pytest.approx(0, abs=1e-15)


def pr_mixture_ln_phi(components, kij, t, p, x, phase):
    """ln phi of a Peng-Robinson mixture from Z, A and B: Z - 1 - ln(Z - B) - A/(2√2 B) ln((Z + (1+√2)B)/(Z + (1-√2)B))."""
    a, b = [], []
    for c in components:
        tr, pr = t / c["tc"], p / c["pc"]
        m = 0.37464 + 1.54226 * c["omega"] - 0.26992 * c["omega"] ** 2
        a.append(0.457235528921382 * (1 + m * (1 - math.sqrt(tr))) ** 2 * pr / tr**2)
        b.append(0.0777960739038885 * pr / tr)
    n = len(x)
    big_a = sum(x[i] * x[j] * math.sqrt(a[i] * a[j]) * (1 - kij[i][j]) for i in range(n) for j in range(n))
    big_b = sum(x_i * b_i for x_i, b_i in zip(x, b))
    roots = np.roots([1, big_b - 1, big_a - 3 * big_b**2 - 2 * big_b, -(big_a * big_b - big_b**2 - big_b**3)])
    real = [r.real for r in roots if abs(r.imag) < 1e-12 and r.real > big_b]
    z = max(real) if phase == "vapour" else min(real)
    s2 = math.sqrt(2)
    return z - 1 - math.log(z - big_b) - big_a / (2 * s2 * big_b) * math.log((z + (1 + s2) * big_b) / (z + (1 - s2) * big_b))


@pytest.mark.parametrize("phase, t, p", [("liquid", 320.0, 500.0), ("vapour", 420.0, 500.0)])
def test_mixture_fugacity_is_the_weighted_sum_of_the_partials(phase, t, p):
    names = ["propane", "n-butane", "n-pentane"]
    kij = [[0, 0.02, 0.05], [0.01, 0, -0.03], [0.04, 0.0, 0]]  # asymmetric
    system = T.cubic(names, kij=kij)
    records = [T._database_component(name) for name in names]
    for x in ([0.2, 0.3, 0.5], [0.6, 0.3, 0.1]):
        ln_phi = system.ln_phi(t, p, x, phase)
        assert sum(x_i * l for x_i, l in zip(x, ln_phi)) == pytest.approx(
            pr_mixture_ln_phi(records, kij, t, p, x, phase), abs=1e-10)
    ideal = T.activity(names, "IdealLiquid", vapour="IdealGas")
    assert ideal.ln_phi(t, p, [0.2, 0.3, 0.5], "vapour") == [0.0, 0.0, 0.0]


def test_saturation_pressures_and_k_values():
    records = [T._database_component(name) for name in ("benzene", "toluene")]
    antoine = [c["pc"] * math.exp(c["psat_coeffs"][0] - c["psat_coeffs"][1] / (c["psat_coeffs"][2] + 370.0))
               for c in records]
    ideal = T.ideal_solution(["benzene", "toluene"])
    assert ideal.saturation_pressure(370.0) == pytest.approx(antoine, rel=1e-14)
    k, y = ideal.k_values(370.0, 120.0, [0.3, 0.7])
    assert k == pytest.approx([p / 120.0 for p in antoine], rel=1e-14)
    assert y == pytest.approx([0.3 * k[0] / (0.3 * k[0] + 0.7 * k[1]), 0.7 * k[1] / (0.3 * k[0] + 0.7 * k[1])])
    # Muller and RPM pass through 101.325 kPa at the normal boiling point.
    anchored = T.ideal_solution(["benzene", "toluene"], saturation=["Muller", "RPM"])
    at_tb = [anchored.saturation_pressure(c["tb"])[i] for i, c in enumerate(records)]
    assert at_tb == pytest.approx([101.325, 101.325], rel=1e-12)


@pytest.mark.parametrize("poynting", [False, True])
def test_poynting_factor_only_when_switched_on(poynting):
    """With an ideal-gas vapour K_i P / (Psat_i gamma_i) is the Poynting factor, 1 unless switched on,
    although Wilson carries the liquid volumes either way."""
    t, p, x = 340.0, 2000.0, [0.3, 0.7]
    system = T.activity(["methanol", "water"], "Wilson", WILSON_MW, poynting=poynting)
    k, _ = system.k_values(t, p, x)
    psat = system.saturation_pressure(t)
    gamma = [math.exp(g) for g in system.ln_gamma(t, x)]
    volumes = [T._database_component(name)["liquid_volume"] for name in ("methanol", "water")]
    expected = [math.exp((p - s) * v * 0.001 / (8.31451 * t)) if poynting else 1.0 for s, v in zip(psat, volumes)]
    assert [k_i * p / (s * g) for k_i, s, g in zip(k, psat, gamma)] == pytest.approx(expected, rel=1e-13)


@pytest.mark.parametrize("system, phase", [
    (T.peng_robinson(["benzene", "toluene", "n-heptane"]), "liquid"),
    (T.cubic(["methanol", "water"], "PR1976", "MHV2", None, "Wilson", WILSON_MW), "vapour"),
    (T.activity(["methanol", "water"], "Wilson", WILSON_MW, "Virial", None, True), "liquid"),
])
def test_ln_phi_derivatives_are_the_differences_of_its_values_and_travel(system, phase):
    import pickle

    n = len(system.components)
    t, p, z = 350.0, 150.0, [0.5, 0.3, 0.2] if n == 3 else [0.6, 0.4]  # a total of one mole
    d = system.ln_phi_derivatives(t, p, z, phase)

    def ln_phi(t=t, p=p, z=z):
        return np.array(system.ln_phi_derivatives(t, p, z, phase).ln_phi)

    assert np.allclose(d.d_temperature, (ln_phi(t=t + 1e-3) - ln_phi(t=t - 1e-3)) / 2e-3, rtol=1e-6, atol=1e-9)
    assert np.allclose(d.d_pressure, (ln_phi(p=p + 1e-3) - ln_phi(p=p - 1e-3)) / 2e-3, rtol=1e-6, atol=1e-9)
    for j in range(n):
        step = np.eye(n)[j] * 1e-6
        column = (ln_phi(z=list(z + step)) - ln_phi(z=list(z - step))) / 2e-6
        assert np.allclose(np.array(d.d_amounts)[:, j], column, rtol=1e-5, atol=1e-8)
    back = pickle.loads(pickle.dumps(d))
    assert back.to_dict() == d.to_dict() and repr(back) == repr(d)
