"""EquilibriumCurve from Python: constructors, checks, queries, attributes."""

import math

import pytest

from kolvar import EquilibriumCurve

# Also run against the sanitized build by tools/run-tests.
pytestmark = pytest.mark.sanitized

X5 = [0, 0.25, 0.5, 0.75, 1]


def test_constant_alpha_grid_and_values():
    curve = EquilibriumCurve.constant_alpha(2.5)
    assert len(curve.x) == len(curve.y) == 101
    assert curve.x[0] == 0 and curve.x[100] == 1 and curve.x[50] == 0.5
    assert curve.y[50] == 0.7142857142857143
    assert curve.t == [] and curve.pressure is None
    assert curve.relative_volatility(0.3) == 2.5000000000000004
    assert curve.relative_volatility(0.305) == 2.499696567572379
    assert repr(curve) == "EquilibriumCurve(101 points, synthetic)"


def test_attributes_are_new_lists():
    curve = EquilibriumCurve.constant_alpha(2.0, 5)
    assert curve.x is not curve.x and curve.x == curve.x
    curve.x.append(3)
    assert len(curve.x) == 5


@pytest.mark.parametrize(
    "args, message",
    [
        ((0,), "alpha must be positive, got 0"),
        ((-1, 4), "alpha must be positive, got -1"),
        ((math.nan,), "alpha must be positive, got NaN"),
        ((math.inf,), "alpha must be finite, got inf"),
        ((2.5, 4), "n_points must be at least 5, got 4"),
        ((2.5, 2**62), "n_points must be at most 100000000, got 4611686018427387904"),
    ],
)
def test_constant_alpha_refusals(args, message):
    with pytest.raises(ValueError) as info:
        EquilibriumCurve.constant_alpha(*args)
    assert str(info.value) == "dimension mismatch: " + message


def test_n_points_conversion():
    with pytest.raises(OverflowError):
        EquilibriumCurve.constant_alpha(2.5, n_points=-1)
    with pytest.raises(TypeError, match="^argument 'n_points': "):
        EquilibriumCurve.constant_alpha(2.5, n_points=5.0)
    assert len(EquilibriumCurve.constant_alpha(2.5, True + 4).x) == 5


def test_from_points_stores_samples_as_given():
    curve = EquilibriumCurve.from_points(X5, [0, 0.4, 0.6, 0.8, 1], t=[5, 4, 3, 2, 1], pressure=50)
    assert curve.x == X5 and curve.y == [0, 0.4, 0.6, 0.8, 1] and curve.t == [5, 4, 3, 2, 1]
    assert curve.pressure == 50.0
    assert repr(curve) == "EquilibriumCurve(5 points, P = 50 kPa)"
    assert curve.temperature_of_x(0.125) == 4.5
    with_t_only = EquilibriumCurve.from_points(X5, X5, t=[1, 2, 3, 4, 5])
    assert repr(with_t_only) == "EquilibriumCurve(5 points, synthetic)"
    assert EquilibriumCurve.from_points(X5, X5, t=[], pressure=None).t == []


@pytest.mark.parametrize(
    "x, y, t, message",
    [
        (X5[:4], [0, 0.4, 0.6, 1], None, "x and y must have equal length ≥ 5, got 4 and 4"),
        (X5, [0, 1], None, "x and y must have equal length ≥ 5, got 5 and 2"),
        (X5, X5, [1, 2, 3], "t must be empty or match x's length 5, got 3"),
        ([0, 0.25, 0.25, 0.75, 1], X5, None, "x must be strictly increasing"),
        ([0, 0.5, 0.25, 0.75, 0.999], X5, None, "x must span [0, 1] with x[0] = 0 and x[last] = 1"),
        ([0, 0.25, math.nan, 0.75, 1], X5, None, "x must be strictly increasing"),
        (X5, [0, 0.5, 0.4, 0.9, 1], None, "y must be nondecreasing (binary VLE curves are monotone in x)"),
        (X5, [0, 0.5, 0.6, 0.9, 1.1], None, "y values must lie in [0, 1]"),
        (X5, [-0.1, 0.5, 0.6, 0.9, 1], None, "y values must lie in [0, 1]"),
    ],
)
def test_from_points_refusals(x, y, t, message):
    with pytest.raises(ValueError) as info:
        EquilibriumCurve.from_points(x, y, t)
    assert str(info.value) == "dimension mismatch: " + message


def test_negative_zero_start_counts_as_zero():
    EquilibriumCurve.from_points([-0.0, 0.25, 0.5, 0.75, 1], X5)


@pytest.mark.parametrize(
    "value, error",
    [("01234", "Can't extract `str` to `Vec`"), (5, "'int' object cannot be converted to 'Sequence'"),
     ((i for i in X5), "'generator' object cannot be converted to 'Sequence'"),
     ([0, "a", 1, 1, 1], "must be real number, not str")],
)
def test_float_list_conversion(value, error):
    with pytest.raises(TypeError) as info:
        EquilibriumCurve.from_points(value, X5)
    assert str(info.value) == "argument 'x': " + error


def test_sequences_of_any_kind_are_accepted():
    import numpy as np

    curve = EquilibriumCurve.from_points(np.array(X5), tuple(X5), range(5, 0, -1))
    assert curve.y == X5 and curve.t == [5, 4, 3, 2, 1]


def test_flat_stretch_inverse():
    curve = EquilibriumCurve.from_points(X5, [0, 0.5, 0.5, 0.9, 1])
    assert curve.x_of_y(0.5) == 0.25
    assert curve.x_of_y(0.7) == 0.625


@pytest.mark.parametrize(
    "query, result",
    [("y_of_x", 0.0), ("x_of_y", 0.0)],
)
def test_queries_within_slack_return_end_values(query, result):
    curve = EquilibriumCurve.constant_alpha(2.5)
    assert getattr(curve, query)(-1e-13) == result
    assert getattr(curve, query)(0) == result


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda c: c.y_of_x(-2e-12), "query -0.000000000002 outside the sampled range [0, 1]"),
        (lambda c: c.y_of_x(1.5), "query 1.5 outside the sampled range [0, 1]"),
        (lambda c: c.x_of_y(math.nan), "query NaN outside the sampled range [0, 1]"),
        (lambda c: c.y_of_x(math.nan), "query NaN outside the sampled range [0, 1]"),
        (lambda c: c.temperature_of_x(0.5), "this curve has no temperature data (synthetic curve)"),
        (lambda c: c.relative_volatility(0), "relative volatility needs x strictly inside (0, 1), got 0"),
        (lambda c: c.relative_volatility(1), "relative volatility needs x strictly inside (0, 1), got 1"),
        (lambda c: c.relative_volatility(math.nan), "relative volatility needs x strictly inside (0, 1), got NaN"),
    ],
)
def test_query_refusals(call, message):
    with pytest.raises(ValueError) as info:
        call(EquilibriumCurve.constant_alpha(2.5))
    assert str(info.value) == "dimension mismatch: " + message


def test_query_interpolates_linearly_between_samples():
    curve = EquilibriumCurve.constant_alpha(2.5, 5)
    y = curve.y
    assert curve.y_of_x(0.125) == pytest.approx((y[0] + y[1]) / 2, abs=1e-15)
    assert curve.x_of_y((y[2] + y[3]) / 2) == pytest.approx(0.625, abs=1e-15)
