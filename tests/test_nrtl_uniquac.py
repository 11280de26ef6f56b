"""NRTL and UNIQUAC from Python: ln γ against the published formulas written
out independently here, the identities of the excess Gibbs energy they feed
(the ideal liquid inside MHV2, h^E from the temperature slope, a tie line),
travel, names in any case, and the refusals of their keyed parameters."""

import math
import pickle

import numpy as np
import pytest

from kolvar import ThermoSystem as T
from kolvar.thermo import liquid_split, model_names

R = 8.31451  # J/(mol K)

ETHANOL_WATER = {  # tau12 = -0.8009 + 246.18/T, tau21 = 3.4578 - 586.0809/T, alpha = 0.3
    "a": [[0, -0.8009], [3.4578, 0]],
    "b": [[0, 246.18], [-586.0809, 0]],
    "alpha": [[0, 0.3], [0.3, 0]],
}
NRTL_TERNARY = {
    "a": [[0, -0.8, 1.1], [3.4, 0, 0.6], [-0.3, 1.9, 0]],
    "b": [[0, 246.0, -120.0], [-586.0, 0, 310.0], [95.0, -40.0, 0]],
    "alpha": [[0, 0.3, 0.45], [0.3, 0, 0.2], [0.47, 0.2, 0]],
}
UNIQUAC_BINARY = {"r": [2.5735, 0.92], "q": [2.336, 1.4], "a": [[0, 0.1], [-0.2, 0]], "b": [[0, -150.0], [-30.0, 0]]}
UNIQUAC_TERNARY = {
    "r": [2.1055, 0.92, 3.1878],
    "q": [1.972, 1.4, 2.4],
    "a": [[0, 0.2, -0.5], [-0.1, 0, 0.3], [0.4, -0.6, 0]],
    "b": [[0, -120.0, 80.0], [-60.0, 0, -200.0], [150.0, 30.0, 0]],
}


def nrtl_reference(t, x, p):
    x = np.asarray(x, float)
    n = len(x)
    tau = np.array(p["a"], float) + np.array(p["b"], float) / t
    np.fill_diagonal(tau, 0.0)
    g = np.exp(-np.array(p["alpha"], float) * tau)
    out = []
    for i in range(n):
        first = sum(x[j] * tau[j, i] * g[j, i] for j in range(n)) / sum(x[k] * g[k, i] for k in range(n))
        second = 0.0
        for j in range(n):
            s_j = sum(x[k] * g[k, j] for k in range(n))
            second += x[j] * g[i, j] / s_j * (tau[i, j] - sum(x[m] * tau[m, j] * g[m, j] for m in range(n)) / s_j)
        out.append(first + second)
    return out


def uniquac_reference(t, x, p):
    x = np.asarray(x, float)
    r, q = np.array(p["r"], float), np.array(p["q"], float)
    n, z = len(x), 10.0
    tau = np.exp(np.array(p["a"], float) + np.array(p["b"], float) / t)
    np.fill_diagonal(tau, 1.0)
    phi, theta = x * r / (x @ r), x * q / (x @ q)
    l = z / 2 * (r - q) - (r - 1)
    out = []
    for i in range(n):
        combinatorial = math.log(phi[i] / x[i]) + z / 2 * q[i] * math.log(theta[i] / phi[i]) + l[i] - phi[i] / x[i] * (x @ l)
        residual = q[i] * (
            1
            - math.log(sum(theta[j] * tau[j, i] for j in range(n)))
            - sum(theta[j] * tau[i, j] / sum(theta[k] * tau[k, j] for k in range(n)) for j in range(n))
        )
        out.append(combinatorial + residual)
    return out


CASES = [
    ("NRTL", ["ethanol", "water"], ETHANOL_WATER, nrtl_reference),
    ("NRTL", ["ethanol", "water", "methanol"], NRTL_TERNARY, nrtl_reference),
    ("UNIQUAC", ["acetone", "water"], UNIQUAC_BINARY, uniquac_reference),
    ("UNIQUAC", ["ethanol", "water", "acetone"], UNIQUAC_TERNARY, uniquac_reference),
]


@pytest.mark.parametrize("model, names, parameters, reference", CASES, ids=lambda c: c if isinstance(c, str) else None)
def test_ln_gamma_follows_the_formulas(model, names, parameters, reference):
    system = T.activity(names, model, parameters)
    rng = np.random.default_rng(19)
    for t in (300.0, 351.25, 420.0):
        for x in rng.dirichlet(np.ones(len(names)), size=4):
            assert system.ln_gamma(t, list(x)) == pytest.approx(reference(t, x, parameters), rel=1e-12, abs=1e-13)


def test_nrtl_without_interaction_is_the_ideal_liquid_inside_mhv2():
    zero = [[0.0, 0.0], [0.0, 0.0]]
    nrtl = T.cubic(["ethanol", "water"], "RKS1972", "MHV2", ge_model="NRTL",
                   ge_parameters={"a": zero, "b": zero, "alpha": [[0, 0.3], [0.3, 0]]})
    ideal = T.cubic(["ethanol", "water"], "RKS1972", "MHV2", ge_model="IdealLiquid")
    for x in ([0.2, 0.8], [0.9, 0.1]):
        for phase in ("liquid", "vapour"):
            assert nrtl.ln_phi(350.0, 101.325, x, phase) == ideal.ln_phi(350.0, 101.325, x, phase)
        assert nrtl.bubble_temperature(101.325, x) == ideal.bubble_temperature(101.325, x)


@pytest.mark.parametrize("model, names, parameters, reference", CASES, ids=lambda c: c if isinstance(c, str) else None)
def test_excess_enthalpy_is_the_temperature_slope_of_ln_gamma(model, names, parameters, reference):
    # Against the ideal solution on the same pure liquids, the enthalpy of the
    # mixture differs by h^E = -R T^2 sum x_i d ln(gamma_i)/dT.
    system, ideal = T.activity(names, model, parameters), T.ideal_solution(names)
    x = list(np.linspace(1.0, 2.0, len(names)) / np.linspace(1.0, 2.0, len(names)).sum())
    for t in (320.0, 360.0):
        h = 1e-3
        slope = (np.array(system.ln_gamma(t + h, x)) - np.array(system.ln_gamma(t - h, x))) / (2 * h)
        excess = -R * t * t * float(np.dot(x, slope))
        difference = system.enthalpy(t, 101.325, x, "liquid") - ideal.enthalpy(t, 101.325, x, "liquid")
        assert difference == pytest.approx(excess, rel=1e-6, abs=1e-6)


def test_an_nrtl_liquid_split_lies_on_one_tie_line():
    # Temperature-independent parameters: the split is the same at every
    # temperature, so the edges found along the bubble curve are the two
    # liquids of one tie line and have equal activities.
    parameters = {"a": [[0, 2.0], [3.0, 0]], "b": [[0, 0.0], [0.0, 0]], "alpha": [[0, 0.3], [0.3, 0]]}
    system = T.activity(["n-hexane", "methanol"], "NRTL", parameters)
    low, high = liquid_split(system, 101.325)
    assert 0.0 < low < high < 1.0
    activity = [np.array(x) * np.exp(system.ln_gamma(330.0, x)) for x in ([low, 1 - low], [high, 1 - high])]
    assert activity[0] == pytest.approx(activity[1], rel=2e-5)


def test_systems_travel_and_names_match_in_any_case():
    systems = [
        T.activity(["ethanol", "water"], "nrtl", ETHANOL_WATER, vapour="virial", saturation="antoine"),
        T.activity(["acetone", "water"], "Uniquac", UNIQUAC_BINARY),
        T.cubic(["ethanol", "water"], "pr1976", "mhv2", ge_model="NRTL", ge_parameters=ETHANOL_WATER),
    ]
    reprs = ["ThermoSystem(ethanol, water; NRTL, Virial vapour)", "ThermoSystem(acetone, water; UNIQUAC, IdealGas vapour)",
             "ThermoSystem(ethanol, water; PR1976, MHV2 with NRTL)"]
    for system, text in zip(systems, reprs):
        assert repr(system) == text
        copy = pickle.loads(pickle.dumps(system))
        assert repr(copy) == text
        assert copy.bubble_temperature(101.325, [0.4, 0.6]) == system.bubble_temperature(101.325, [0.4, 0.6])
    for name in model_names()["eos"]:  # no two names differ only in case
        for spelling in (name.lower(), name.upper()):
            assert repr(T.cubic(["methane"], eos=spelling)) == f"ThermoSystem(methane; {name}, Classical)"


def keyed(base, **changes):
    out = dict(base)
    out.update(changes)
    return out


def without(base, key):
    return {k: v for k, v in base.items() if k != key}


EW = ["ethanol", "water"]
REFUSALS = [
    (lambda: T.activity(EW, "NRTL"), ValueError,
     'activity model NRTL takes parameters as a mapping with the keys "a", "b" and "alpha"'),
    (lambda: T.activity(EW, "NRTL", [[0, 1], [1, 0]]), ValueError, "activity model NRTL takes parameters as a mapping"),
    (lambda: T.activity(EW, "Wilson", ETHANOL_WATER), ValueError,
     "activity model Wilson takes parameters as a matrix, not a mapping"),
    (lambda: T.activity(EW, "RegularSolution", ETHANOL_WATER), ValueError,
     "activity model RegularSolution takes no parameters"),
    (lambda: T.activity(EW, "NRTL", without(ETHANOL_WATER, "alpha")), ValueError,
     'parameters of NRTL has no key "alpha" (NRTL reads "a", "b" and "alpha")'),
    (lambda: T.activity(EW, "NRTL", keyed(ETHANOL_WATER, apha=1)), ValueError,
     'parameters of NRTL has an unknown key "apha"'),
    (lambda: T.activity(EW, "NRTL", keyed(ETHANOL_WATER, b=[[0, 1]])), ValueError,
     'parameters["b"] must have 2 rows of 2 values, got 1 rows'),
    (lambda: T.activity(EW, "NRTL", keyed(ETHANOL_WATER, alpha=0.3)), ValueError,
     'parameters["alpha"] must have 2 rows of 2 values, got a number'),
    (lambda: T.activity(EW, "NRTL", keyed(ETHANOL_WATER, a=[0.1, 0.2])), ValueError,
     'parameters["a"] must have 2 rows of 2 values, got a list'),
    (lambda: T.activity(EW, "NRTL", keyed(ETHANOL_WATER, a=[[0, math.nan], [1, 0]])), ValueError,
     'parameters["a"][0][1] must be finite, got NaN'),
    (lambda: T.activity(EW, "NRTL", keyed(ETHANOL_WATER, alpha=[[0, 0.3], [-0.1, 0]])), ValueError,
     'parameters["alpha"][1][0] must be non-negative, got -0.1'),
    (lambda: T.activity(EW, "UNIQUAC", keyed(UNIQUAC_BINARY, r=[2.5, 0])), ValueError,
     'parameters["r"][1] must be positive, got 0'),
    (lambda: T.activity(EW, "UNIQUAC", keyed(UNIQUAC_BINARY, q=[[1, 2]])), ValueError,
     'parameters["q"] must have 2 values, got a matrix'),
    (lambda: T.activity(EW, "UNIQUAC", keyed(UNIQUAC_BINARY, q=[1.0, 2.0, 3.0])), ValueError,
     'parameters["q"] must have 2 values, got 3'),
    (lambda: T.cubic(EW, mixing_rule="MHV2", ge_model="UNIQUAC", ge_parameters=without(UNIQUAC_BINARY, "r")),
     ValueError, 'ge_parameters of UNIQUAC has no key "r" (UNIQUAC reads "r", "q", "a" and "b")'),
    (lambda: T.activity(EW, "NRTL", {1: [[0, 1], [1, 0]]}), TypeError, "argument 'parameters'"),
]


@pytest.mark.parametrize("call, exception, message", REFUSALS, ids=[r[2][:50] for r in REFUSALS])
def test_refusals(call, exception, message):
    with pytest.raises(exception) as caught:
        call()
    assert str(caught.value).startswith(("dimension mismatch: " if exception is ValueError else "") + message)
