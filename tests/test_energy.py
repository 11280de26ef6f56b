"""Enthalpies and the feed condition from Python: every model, the refusals, pickling."""

import math
import pickle

import pytest

from kolvar import Feed, ThermoSystem as T

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
