"""Units that cannot slip, and plain data that rebuilds what made it."""

import json
import pickle
import warnings

import pytest

import kolvar
from kolvar import BinaryColumn, Feed, ThermoSystem, UnitWarning
from kolvar.cli import main
from kolvar.shortcut_cli import main as shortcut_main

BT = ThermoSystem.peng_robinson(["benzene", "toluene"])
FOUR = ThermoSystem.peng_robinson(["propane", "n-butane", "n-pentane", "n-hexane"])
COLD = "74 K is below benzene's melting point (278.7 K); temperatures are in K"
KPA = "pressures are in kPa (one atmosphere is 101.325 kPa): a pressure in Pa is 1000 times too large"


def _cli(argv, capsys, command=main):
    status = command(argv)
    out, err = capsys.readouterr()
    return status, out, err


def _field(out, name):
    return next(line[12:] for line in out.splitlines() if line.startswith(name))


def _q(t):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", UnitWarning)
        return BT.feed_quality(t, 101.325, [0.5, 0.5])


BASE = ["--components", "benzene", "toluene", "--points", "21"]


@pytest.mark.parametrize(
    "options, line, expected, warning",
    [
        (["--feed-temperature", "74C"], "design", f"q = {_q(347.15):g} (feed at 347.15 K)", None),
        (["--feed-temperature", "74degC"], "design", f"q = {_q(347.15):g} (feed at 347.15 K)", None),
        (["--feed-temperature", "347.15K"], "design", f"q = {_q(347.15):g} (feed at 347.15 K)", None),
        (["--feed-temperature", "165.2F"], "design", f"q = {_q(347.15):g} (feed at 347.15 K)", None),
        (["--feed-temperature", "74"], "design", f"q = {_q(74.0):g} (feed at 74 K)", COLD),
        (["--pressure", "1atm"], "pressure", "101.325 kPa", None),
        (["--pressure", "101.325kPa"], "pressure", "101.325 kPa", None),
        (["--pressure", "101325Pa"], "pressure", "101.325 kPa", None),
        (["--pressure", "1.01325bar"], "pressure", "101.325 kPa", None),
        (["--pressure", "14.7psia"], "pressure", f"{14.7 * 6.894757293168361:g} kPa", None),
        (["--pressure", "1.01325"], "pressure", "1.01325 kPa",
         "the column's top: 250.92 K is below benzene's melting point (278.7 K), and the distillate is 95 % benzene"),
    ],
)
def test_cli_units(options, line, expected, warning, capsys):
    status, out, err = _cli([*BASE, *options], capsys)
    assert status == 0
    assert expected in _field(out, line)
    if warning is None:
        assert err == ""
    else:
        assert err.startswith(f"kolvar: warning: {warning}") and err.count("\n") == 1


@pytest.mark.parametrize(
    "argv, message",
    [
        ([*BASE, "--pressure", "1.01325bars"], "unknown pressure unit 'bars'"),
        ([*BASE, "--pressure", "2barg"], "gauge pressures are not taken"),
        ([*BASE, "--feed-temperature", "74X"], "unknown temperature unit 'x'"),
        ([*BASE, "--feed-temperature=-300C"], "is not above absolute zero"),
        (["--pressure", "one"], "expected a pressure such as 1atm"),
        (["--components", "benzene", "toluene", "--pressure", "101325"], "no liquid can boil at 101325 kPa"),
    ],
)
def test_cli_refuses_bad_units(argv, message, capsys):
    status, _, err = _cli(argv, capsys)
    assert status == 2 and message in err


def test_python_warns_where_no_liquid_can_be():
    column = BinaryColumn(101.325, Feed(100.0, 0.5), 0.95, 0.05)
    calls = [
        lambda: BT.feed_quality(74.0, 101.325, [0.5, 0.5]),
        lambda: Feed.from_conditions(BT, 100.0, 0.5, 74.0, 101.325),
    ]
    for call in calls:
        with pytest.warns(UnitWarning) as caught:
            call()
        assert [str(w.message) for w in caught] == [COLD]
    # Without melting points, below 0.3·T_c of every component.
    unknown = [{k: v for k, v in kolvar.component(name).items() if k != "tm"} for name in ("methane", "ethane")]
    with pytest.warns(UnitWarning, match=r"^20 K is below 0.3·T_c of every component \(methane 57.2 K, ethane 91.6"):
        ThermoSystem.cubic(unknown).feed_quality(20.0, 101.325, [0.5, 0.5])
    with pytest.warns(UnitWarning, match="the column's top: 250.92 K"):
        kolvar.column_energy(BT, BinaryColumn(1.01325, Feed(100.0, 0.5), 0.95, 0.05), 2.0)
    # A plausible temperature or column says nothing; a pressure above every
    # critical pressure explains kPa wherever it is given.
    with warnings.catch_warnings():
        warnings.simplefilter("error", UnitWarning)
        BT.feed_quality(347.15, 101.325, [0.5, 0.5])
        kolvar.column_energy(BT, column, 2.0)
        kolvar.shortcut(FOUR, 800.0, 100.0, [0.2, 0.3, 0.3, 0.2], "n-butane", "n-pentane", 0.98, 0.98,
                        reflux_factor=1.3)
    for call in (lambda: kolvar.shortcut(FOUR, 800000.0, 100.0, [0.2, 0.3, 0.3, 0.2], "n-butane", "n-pentane",
                                         0.98, 0.98, reflux_factor=1.3),
                 lambda: kolvar.column_energy(BT, BinaryColumn(101325.0, Feed(100.0, 0.5), 0.95, 0.05), 2.0)):
        with pytest.raises(RuntimeError, match="above the critical pressure of every component") as failure:
            call()
        assert str(failure.value).endswith(KPA)


def _constants(compound, **changes):
    return dict(kolvar.component(compound), **changes)


NRTL = {"a": [[0.0, 1.2], [0.8, 0.0]], "b": [[0.0, 100.0], [-50.0, 0.0]], "alpha": [[0.0, 0.3], [0.3, 0.0]]}
SYSTEMS = [
    BT,
    ThermoSystem.van_laar(["methanol", "water"], 0.58, 0.35),
    ThermoSystem.cubic(["methanol", "water"], eos="RKS1972", kij=[[0.0, -0.07], [-0.07, 0.0]]),
    ThermoSystem.cubic(["methanol", "water"], mixing_rule="MHV1", ge_model="NRTL", ge_parameters=NRTL),
    ThermoSystem.activity(["methanol", "water"], "Wilson", [[0.0, 449.3], [1964.6, 0.0]], vapour="Virial"),
    ThermoSystem.activity(["ethanol", "water"], "NRTL", NRTL, saturation=["Antoine", "Riedel"], poynting=True),
    ThermoSystem.ideal_solution(["benzene", "toluene"]),
    ThermoSystem.grayson_streed(["n-hexane", "n-heptane"]),
    ThermoSystem.cubic([_constants("benzene", name="my benzene", tc=563.0), "toluene"]),
]


@pytest.mark.parametrize("system", SYSTEMS, ids=lambda s: s.to_dict()["model"]["constructor"])
def test_to_dict_and_from_dict_rebuild_every_model(system):
    record = system.to_dict()
    assert record["components"] == system.components
    back = ThermoSystem.from_dict(json.loads(json.dumps(record, allow_nan=False)))
    assert back.to_dict() == record
    assert pickle.dumps(back) == pickle.dumps(system)
    assert back.bubble_temperature(101.325, [0.4, 0.6]) == system.bubble_temperature(101.325, [0.4, 0.6])
    # Database components rebuild from their names alone.
    if all(c == dict(kolvar.component(c["name"])) for c in record["constants"] if c["name"] in kolvar.components()):
        by_name = {key: value for key, value in record.items() if key != "constants"}
        if all(name in kolvar.components() for name in record["components"]):
            assert ThermoSystem.from_dict(by_name).to_dict() == record


@pytest.mark.parametrize(
    "record, message",
    [
        ({"components": ["benzene"]}, 'a ThermoSystem record has no key "model"'),
        ({"components": ["benzene"], "model": {}}, 'a ThermoSystem model has no key "constructor"'),
        ({"components": ["benzene"], "model": {"constructor": "cubic", "eos": "PR1976", "mixing_rule": "Classical",
                                                "kj": 0}}, "a cubic model takes the keys constructor, eos"),
        ({"components": ["benzene"], "model": {"constructor": "magic"}}, "unknown ThermoSystem constructor"),
    ],
)
def test_from_dict_names_what_is_wrong(record, message):
    with pytest.raises(ValueError, match=message):
        ThermoSystem.from_dict(record)


def test_shortcut_cli_json_and_plot(capsys, tmp_path):
    status, out, err = _cli(["--json", "--pressure", "8bar"], capsys, shortcut_main)
    data = json.loads(out)
    made = kolvar.shortcut(FOUR, 800.0, 100.0, [0.2, 0.3, 0.3, 0.2], "n-butane", "n-pentane", 0.98, 0.98,
                           reflux_factor=1.3)
    assert (status, err) == (0, "") and data["result"] == json.loads(json.dumps(made.to_dict()))
    assert ThermoSystem.from_dict(data["system"]).to_dict() == FOUR.to_dict()
    assert [row["component"] for row in data["components"]] == FOUR.components
    assert {"pressure", "feed_rate", "top_temperature", "condenser_duty", "x_D"} <= set(data["units"])
    pytest.importorskip("matplotlib")
    status, out, _ = _cli(["--plot", str(tmp_path / "products.png")], capsys, shortcut_main)
    assert status == 0 and (tmp_path / "products.png").stat().st_size > 0 and "diagram" in out


def test_every_result_shows_its_units_and_a_design_its_sheet():
    column = BinaryColumn(101.325, Feed(100.0, 0.5), 0.95, 0.05)
    made = kolvar.design(BT, column, reflux_factor=1.5)
    sheet = made._repr_html_()
    for text in ("benzene / toluene", "Peng-Robinson", "feed pinch at", "N_min", "x (benzene)", "T [K]",
                 "L [kmol/h]", "condenser 1169.77 kW", "← feed"):
        assert text in sheet
    assert made.report().startswith("kolvar 0.1.0: McCabe-Thiele design\ncurve       EquilibriumCurve(101 points")
    short = kolvar.shortcut(FOUR, 800.0, 100.0, [0.2, 0.3, 0.3, 0.2], "n-butane", "n-pentane", 0.98, 0.98,
                            reflux_factor=1.3)
    shown = {
        BT: ["benzene", "toluene"],
        made.energy: ["top_temperature [K]", "reflux_flow [kmol/h]", "condenser_duty [kW]"],
        kolvar.ponchon_savarit(BT, column, 2.0): ["pressure [kPa]", "t [K]", "liquid_flow [kmol/h]"],
        short: ["bottom_temperature [K]", "distillate_rate [kmol/h]", "reboiler_duty [kW]"],
        made.curve: ["t [K]", "pressure [kPa]"],
    }
    for result, texts in shown.items():
        assert all(text in result._repr_html_() for text in texts), type(result).__name__
    # The newer results name themselves; the McCabe–Thiele results keep the default repr.
    assert repr(short) == "ShortcutResult(4 components, N = 21.1, feed on 12, R = 1.187)"
    assert repr(BT.stable_flash(300.0, 101.325, [0.5, 0.5])[0]) == "EquilibriumPhase(liquid, 1.0000, [0.5000, 0.5000])"
    assert repr(made.staircase).startswith("<builtins.McCabeThieleResult object at 0x")
