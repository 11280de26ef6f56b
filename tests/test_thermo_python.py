"""The package's database access and kolvar.thermo: read-only constants and the liquid-split test."""

import pytest

import kolvar
from kolvar import ThermoSystem
from kolvar.thermo import TPD_TOLERANCE, liquid_split, model_names

P = 101.325
METHANOL_WATER = ["methanol", "water"]


def test_every_database_compound_round_trips_through_its_constants():
    names = kolvar.components()
    assert len(names) == len(set(names)) == 24
    assert names is not kolvar.components()
    for name in names:
        constants = kolvar.component(name)
        assert constants["name"] == name
        with pytest.raises(TypeError):
            constants["tc"] = 1.0
        assert all(not isinstance(value, list) for value in constants.values())
        # The mapping is what the constructors accept, and it is the same compound.
        t = 0.7 * constants["tc"]
        by_name = ThermoSystem.cubic([name]).bubble_pressure(t, [1.0])
        by_constants = ThermoSystem.cubic([constants]).bubble_pressure(t, [1.0])
        assert by_constants == by_name, name


def test_model_names_are_a_copy_of_the_constructors_vocabulary():
    names = model_names()
    assert names == {kind: tuple(listed) for kind, listed in ThermoSystem._model_names().items()}
    names["eos"] = ()
    assert model_names()["eos"]


def tpd(system, x):
    t = system.bubble_temperature(P, [x, 1.0 - x])[0]
    return system.liquid_stability(t, P, [x, 1.0 - x])[0]


# Wilson energies for methanol/water near 1 atm (J/mol); any set without a split will do.
WILSON = ThermoSystem.activity(METHANOL_WATER, "Wilson", [[0.0, 449.3], [1964.6, 0.0]])


@pytest.mark.parametrize(
    "system, splits",
    [
        (ThermoSystem.peng_robinson(METHANOL_WATER), True),
        (ThermoSystem.ideal_solution(METHANOL_WATER), False),
        (WILSON, False),
        (ThermoSystem.peng_robinson(["benzene", "toluene"]), False),
    ],
    ids=["PR kij=0", "ideal solution", "Wilson", "benzene/toluene"],
)
def test_liquid_split_edges_are_where_stability_changes(system, splits):
    split = liquid_split(system, P, 21)
    if not splits:
        assert split is None
        return
    low, high = split
    assert 0.0 < low < high < 1.0
    # Just inside each edge the liquid is unstable, a little outside it is stable.
    assert tpd(system, low) < -TPD_TOLERANCE and tpd(system, high) < -TPD_TOLERANCE
    assert tpd(system, low - 1e-4) >= -TPD_TOLERANCE and tpd(system, high + 1e-4) >= -TPD_TOLERANCE
    # The edges are refined, not grid points: a finer grid finds the same range.
    assert liquid_split(system, P, 41) == pytest.approx(split, abs=2e-6)
