"""Compound names beyond the database: aliases, suggestions, and records from
the optional chemicals package."""

import math
import pickle
import re
import subprocess
import sys
import threading
from pathlib import Path

import pytest

import kolvar
from kolvar import ThermoSystem as T
from kolvar import _compounds
from kolvar._model_options import EOS_ALIASES

try:
    import chemicals  # noqa: F401

    HAS_CHEMICALS = True
except ImportError:
    HAS_CHEMICALS = False

needs_chemicals = pytest.mark.skipif(not HAS_CHEMICALS, reason="the chemicals extra is not installed")

MISS = ('component "{}", not in the korrin database (available: 2-propanol, acetone, benzene, carbon dioxide, '
        "chloroform, cyclohexane, ethane, ethanol, hydrogen sulfide, isobutane, isopentane, methane, methanol, "
        "methylcyclohexane, n-butane, n-decane, n-heptane, n-hexane, n-nonane, n-octane, n-pentane, propane, "
        "toluene, water)")
HINT = "install kolvar[chemicals] to look names up among the chemicals package's compounds"


def _psat(c, t):
    a1, a2, a3 = c["psat_coeffs"]
    return c["pc"] * math.exp(a1 - a2 / (a3 + t))


def _cp(c, t):
    return sum(a * t**k for k, a in enumerate(c["cp_coeffs"]))


# The database's own Antoine constants that miss the measured vapour pressure
# by more than 2 % over part of [Tb, 0.9 Tc]: there the record is held to the
# normal boiling point instead.
OFF_DATABASE_PSAT = {"water", "propane"}


@needs_chemicals
@pytest.mark.parametrize("name", kolvar.components())
def test_the_chemicals_route_agrees_with_the_database(name):
    """Tc, Pc, ω as published, Psat within 2 % from Tb to 0.9 Tc where the record holds, Cp within 2 %."""
    db = kolvar.component(name)
    cas = next(cas for cas, known in _compounds.DATABASE_CAS.items() if known == name)
    record = _compounds.record(cas)
    assert isinstance(record, _compounds.Compound) and record.cas == cas
    assert record["tc"] == pytest.approx(db["tc"], rel=1e-3)
    assert record["pc"] == pytest.approx(db["pc"], rel=1e-3)
    assert record["omega"] == pytest.approx(db["omega"], abs=1e-3)
    assert set(record.sources) >= {"tc", "pc", "omega", "zc", "vc", "tb", "mw", "psat_coeffs", "cp_coeffs"}
    low, high = max(db["tb"], record.psat_t_range[0]), min(0.9 * db["tc"], record.psat_t_range[1])
    if name in OFF_DATABASE_PSAT:
        assert _psat(record, record["tb"]) == pytest.approx(101.325, rel=0.01)
    else:
        for t in (low + (high - low) * i / 20 for i in range(21)):
            assert _psat(record, t) == pytest.approx(_psat(db, t), rel=0.02), t
    for t in range(300, 801, 25):
        assert _cp(record, t) == pytest.approx(_cp(db, t), rel=0.02), t
    # The database always wins: the same CAS number by name is the database compound.
    assert T.peng_robinson([cas]).components == [name]


@needs_chemicals
def test_a_looked_up_system_answers_pickles_and_builds_its_record_once():
    system = T.peng_robinson(["ethyl acetate", "1-butanol"])
    t, y, _ = system.bubble_temperature(101.325, [0.5, 0.5])
    assert 350.0 < t < 391.0 and y[0] > 0.5
    assert pickle.loads(pickle.dumps(system)).bubble_temperature(101.325, [0.5, 0.5])[0] == t
    assert T.cubic([kolvar.component("ethyl acetate"), "1-butanol"]).bubble_temperature(101.325, [0.5, 0.5])[0] == t
    records = []
    threads = [threading.Thread(target=lambda: records.append(kolvar.component("cumene"))) for _ in range(4)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert len(records) == 4 and all(r is records[0] for r in records)
    assert kolvar.component("98-82-8") is records[0]
    assert pickle.loads(pickle.dumps(records[0])).to_dict() == records[0].to_dict()


@needs_chemicals
def test_the_readme_section_prints_what_it_shows(capsys):
    readme = (Path(__file__).resolve().parent.parent / "README.md").read_text(encoding="utf-8")
    section = re.search(r"\n## Compounds beyond the database\n(.*?)\n## ", readme, re.S).group(1)
    script, output = re.search(r"```python\n(.*?)```\n\nprints\n\n```text\n(.*?)```", section, re.S).groups()
    exec(compile(script, "README.md", "exec"), {})
    assert capsys.readouterr().out == output


@needs_chemicals
@pytest.mark.parametrize(
    "call, kind, message",
    [
        (lambda: kolvar.component("lactose"), RuntimeError,
         'thermo evaluation failed: component "(+)-Lactose" (CAS 63-42-3) from the chemicals package has no '
         "acentric factor (omega), which every system needs"),
        (lambda: T.peng_robinson(["water", "lactose"]), RuntimeError,
         'thermo evaluation failed: component "(+)-Lactose" (CAS 63-42-3) from the chemicals package has no '
         "acentric factor (omega), which every system needs"),
        (lambda: T.activity(["nitrogen", "argon"], "Wilson", [[1.0, 1.0], [1.0, 1.0]]), ValueError,
         'dimension mismatch: component "nitrogen" has no liquid_volume, which Wilson needs'),
        (lambda: T.ideal_solution(["ethyl acetate"], saturation=["Polynomial"]), ValueError,
         'dimension mismatch: component "ethyl acetate": expected 5 Antoine coefficients, got 3'),
    ],
)
def test_refusals_of_looked_up_compounds(call, kind, message):
    with pytest.raises(kind) as info:
        call()
    assert str(info.value) == message


@pytest.mark.parametrize("alias, name", [("isopropanol", "2-propanol"), (" IPA", "2-propanol"),
                                         ("Hexane", "n-hexane"), ("67-56-1", "methanol")])
def test_an_alias_builds_the_database_system(alias, name):
    system, reference = T.peng_robinson([alias, "water"]), T.peng_robinson([name, "water"])
    assert system.components == [name, "water"] and repr(system) == repr(reference)
    assert system.bubble_temperature(101.325, [0.3, 0.7]) == reference.bubble_temperature(101.325, [0.3, 0.7])
    assert dict(kolvar.component(alias)) == dict(kolvar.component(name))


@pytest.mark.parametrize("alias, eos", sorted(EOS_ALIASES.items()))
def test_an_equation_of_state_alias_is_its_model(alias, eos):
    assert repr(T.cubic(["water"], eos=alias.upper())) == repr(T.cubic(["water"], eos=eos))


def _tail(name, ours, theirs):
    suggestion = f"; did you mean {ours}?" if ours else ""
    if not HAS_CHEMICALS:
        return suggestion + (" Or " if ours else "; ") + HINT
    return (suggestion + (" Neither" if ours else "; neither")
            + f' the korrin database nor the chemicals package knows "{name}"' + theirs)


@pytest.mark.parametrize(
    "name, ours, theirs",
    [("benzenx", "benzene", " (closest in chemicals: benzene)"),
     ("isopropanl", "isopropanol", " (closest in chemicals: isopropanol)"),
     ("unobtainium", "", "")],
)
def test_an_unknown_name_is_told_the_closest_names(name, ours, theirs):
    expected = "thermo evaluation failed: " + MISS.format(name) + _tail(name, ours, theirs)
    for call in (lambda: T.grayson_streed(["water", name]), lambda: T.van_laar([name, "water"], 1, 1),
                 lambda: kolvar.component(name)):
        with pytest.raises(RuntimeError) as info:
            call()
        assert str(info.value) == expected


def test_without_the_extra_the_message_says_how_to_get_it(monkeypatch):
    monkeypatch.setattr(_compounds, "_chemicals", lambda: None)
    _compounds.unknown_tail.cache_clear()
    with pytest.raises(RuntimeError) as info:
        T.peng_robinson(["benzenx"])
    _compounds.unknown_tail.cache_clear()
    assert str(info.value) == f"thermo evaluation failed: {MISS.format('benzenx')}; did you mean benzene? Or {HINT}"
    # The core never imports chemicals for database names.
    code = "import sys, kolvar; kolvar.ThermoSystem.peng_robinson(['IPA', 'water']); print('chemicals' in sys.modules)"
    assert subprocess.run([sys.executable, "-c", code], capture_output=True, text=True).stdout.strip() == "False"
