"""UNIFAC and UNIFAC-Dortmund from Python: predictive liquids with no
parameters wherever an activity model goes, h^E from the excess Gibbs energy,
compounds of one's own by their subgroups, travel, and the refusals."""

import pickle
import re
from pathlib import Path

import numpy as np
import pytest

import kolvar
from kolvar import EquilibriumCurve
from kolvar import ThermoSystem as T
from kolvar.thermo import liquid_split

R = 8.31451  # J/(mol K)
MODELS = ["UNIFAC", "UNIFAC-Dortmund"]


def own(name, base, **groups):
    """A database compound renamed, with the subgroups given."""
    record = {k: v for k, v in kolvar.component(base).items() if not k.endswith("_groups")}
    return dict(record, name=name, **groups)


@pytest.mark.parametrize("model", MODELS)
def test_excess_enthalpy_is_the_temperature_slope_of_the_excess_gibbs_energy(model):
    # h^E = -T^2 d(G^E/T)/dT with G^E/T = R sum x_i ln gamma_i, against the
    # ideal solution on the same pure liquids.
    names = ["acetone", "methanol", "water"]
    system, ideal = T.activity(names, model), T.ideal_solution(names)
    x = [0.2, 0.5, 0.3]
    for t in (320.0, 350.0):
        h = 1e-3
        g_over_t = [R * float(np.dot(x, system.ln_gamma(s, x))) for s in (t + h, t - h)]
        excess = -t * t * (g_over_t[0] - g_over_t[1]) / (2 * h)
        difference = system.enthalpy(t, 101.325, x, "liquid") - ideal.enthalpy(t, 101.325, x, "liquid")
        assert difference == pytest.approx(excess, rel=1e-6, abs=1e-6)


@pytest.mark.parametrize("model", MODELS)
def test_gibbs_duhem_along_a_path(model):
    system = T.activity(["toluene", "ethanol", "water"], model)
    step = 1e-6
    for s in np.linspace(0.05, 0.95, 7):
        point = np.array([0.3 * s, 0.7 - 0.6 * s, 0.3 + 0.3 * s])  # on the plane sum x = 1
        direction = np.array([0.3, -0.6, 0.3])
        up = np.array(system.ln_gamma(340.0, list(point + step * direction)))
        down = np.array(system.ln_gamma(340.0, list(point - step * direction)))
        assert float(np.dot(point, (up - down) / (2 * step))) == pytest.approx(0.0, abs=1e-7)


def test_wherever_an_activity_model_goes():
    gamma_phi = T.activity(["ethanol", "water"], "unifac")
    predictive_cubic = T.cubic(["ethanol", "water"], "PR1976", "MHV1", ge_model="UNIFAC")
    assert repr(gamma_phi) == "ThermoSystem(ethanol, water; UNIFAC, IdealGas vapour)"
    assert repr(predictive_cubic) == "ThermoSystem(ethanol, water; PR1976, MHV1 with UNIFAC)"
    for system in (gamma_phi, predictive_cubic, T.cubic(["acetone", "methanol"], "RKS1972",
                                                    "HuronVidalOriginal", ge_model="UNIFAC-Dortmund")):
        t, y, _ = system.bubble_temperature(101.325, [0.4, 0.6])
        assert 320 < t < 380 and sum(y) == pytest.approx(1.0)
        copy = pickle.loads(pickle.dumps(system))
        assert repr(copy) == repr(system) and copy.bubble_temperature(101.325, [0.4, 0.6])[0] == t
        assert repr(T.from_dict(system.to_dict())) == repr(system)
        curve = EquilibriumCurve.from_thermo(system, 101.325, 21)
        assert len(curve.x) == 21
    # A liquid that splits: stability, the stable flash and the split agree.
    water_hexane = T.activity(["n-hexane", "water"], "UNIFAC-Dortmund")
    tpd, _ = water_hexane.liquid_stability(330.0, 101.325, [0.5, 0.5])
    assert tpd < 0
    phases = water_hexane.stable_flash(330.0, 101.325, [0.5, 0.5])
    assert len(phases) == 2
    low, high = liquid_split(water_hexane, 101.325)
    assert 0.0 < low < high < 1.0


def test_a_compound_of_ones_own_by_its_subgroups():
    # The database's ethanol, given again by constants with its groups by name
    # and by number, is the same liquid; its groups show in the record.
    assert dict(kolvar.component("ethanol")["unifac_groups"]) == {"CH3": 1, "CH2": 1, "OH": 1}
    assert "unifac_groups" not in kolvar.component("methane")
    mine = own("my ethanol", "ethanol", unifac_groups={1: 1, "ch2": 1, "14": 1})
    by_name, by_constants = T.activity(["ethanol", "water"], "UNIFAC"), T.activity([mine, "water"], "UNIFAC")
    assert by_constants.ln_gamma(340.0, [0.3, 0.7]) == by_name.ln_gamma(340.0, [0.3, 0.7])
    copy = pickle.loads(pickle.dumps(by_constants))
    assert copy.ln_gamma(340.0, [0.3, 0.7]) == by_name.ln_gamma(340.0, [0.3, 0.7])


EW = ["ethanol", "water"]
GLYCOL = own("glycol", "water", unifac_groups={"DOH": 1})
HEXENE = own("hexene", "n-hexane", unifac_groups={"CH2=CH": 1, "CH2": 3, "CH3": 1})
REFUSALS = [
    (lambda: T.activity([GLYCOL, HEXENE], "UNIFAC"), ValueError,
     'UNIFAC has no interaction between main groups DOH and C=C (needed by "glycol" with "hexene")'),
    (lambda: T.activity(["methane", "ethanol"], "UNIFAC"), ValueError,
     'UNIFAC cannot describe component "methane": it has no UNIFAC groups'),
    (lambda: T.cubic(["carbon dioxide", "ethanol"], mixing_rule="MHV1", ge_model="UNIFAC-Dortmund"), ValueError,
     'UNIFAC-Dortmund cannot describe component "carbon dioxide": it has no UNIFAC-Dortmund groups'),
    (lambda: T.activity(EW, "UNIFAC", [[0, 1], [1, 0]]), ValueError, "activity model UNIFAC takes no parameters"),
    (lambda: T.cubic(EW, mixing_rule="MHV2", ge_model="UNIFAC-Dortmund", ge_parameters={"a": [[0, 1], [1, 0]]}),
     ValueError, "activity model UNIFAC-Dortmund takes no ge_parameters"),
    (lambda: T.activity([own("x", "ethanol", unifac_groups={"CH9": 1}), "water"], "UNIFAC"), ValueError,
     'component "x": unifac_groups has no UNIFAC subgroup "CH9"'),
    (lambda: T.activity([own("x", "ethanol", dortmund_groups={"CHO": 1})], "UNIFAC-Dortmund"), ValueError,
     'component "x": dortmund_groups: subgroup name "CHO" is shared by subgroups 20 and 26: give its number'),
    (lambda: T.activity([own("x", "ethanol", unifac_groups={"CH3": 1.5})], "UNIFAC"), ValueError,
     'component "x": unifac_groups["CH3"] must be a whole number from 1 to 1000, got 1.5'),
    (lambda: T.activity([own("x", "ethanol", unifac_groups=[1, 2])], "UNIFAC"), ValueError,
     'component "x": unifac_groups must be a mapping of subgroups to counts, got a list'),
]


@pytest.mark.parametrize("call, exception, message", REFUSALS, ids=[r[2][:50] for r in REFUSALS])
def test_refusals(call, exception, message):
    with pytest.raises(exception) as caught:
        call()
    assert str(caught.value).startswith("dimension mismatch: " + message)


def test_the_readme_example_prints_what_it_shows(capsys):
    readme = (Path(__file__).resolve().parent.parent / "README.md").read_text(encoding="utf-8")
    script, output = re.search(r"### Predictive liquids: UNIFAC\n.*?```python\n(.*?)```\n\nprints\n\n```text\n(.*?)```",
                               readme, re.S).groups()
    exec(compile(script, "README.md", "exec"), {})
    assert capsys.readouterr().out == output
