"""Minimum reflux, McCabe-Thiele, total reflux and the reflux sweep from Python."""

import math

import pytest

from kolvar import (
    CondenserKind,
    EquilibriumCurve,
    Line,
    McCabeThieleResult,
    McCabeThieleSpec,
    RminResult,
    StagePoint,
    TotalRefluxResult,
    mccabe_thiele,
    n_vs_r,
    rmin,
    total_reflux,
)

CURVE = EquilibriumCurve.constant_alpha(2.5)


def underwood(alpha, x_d, z_f):
    return (x_d / z_f - alpha * (1 - x_d) / (1 - z_f)) / (alpha - 1)


def fenske(alpha, x_d, x_b):
    return math.log(x_d / (1 - x_d) * (1 - x_b) / x_b) / math.log(alpha)


@pytest.mark.parametrize("alpha", [1.5, 2.0, 2.5, 4.0])
@pytest.mark.parametrize("z_f", [0.3, 0.5, 0.7])
def test_rmin_matches_underwood_for_saturated_liquid(alpha, z_f):
    result = rmin(EquilibriumCurve.constant_alpha(alpha), 0.95, 0.05, z_f)
    assert isinstance(result, RminResult)
    assert result.r_min == pytest.approx(underwood(alpha, 0.95, z_f), abs=1e-9)
    assert result.tangent is False
    assert result.pinch == result.feed_point
    assert isinstance(result.pinch, tuple) and len(result.pinch) == 2


def test_tangent_pinch_on_a_bulging_curve():
    x = [i / 20 for i in range(21)]
    ideal = [2.5 * v / (1 + 1.5 * v) for v in x]
    # pull the curve toward the diagonal between the feed and the distillate
    y = [yi - 0.08 * math.exp(-((xi - 0.8) / 0.06) ** 2) for xi, yi in zip(x, ideal)]
    y = [max(a, b) for a, b in zip(y, x)]
    y = [max(y[: i + 1]) for i in range(len(y))]
    curve = EquilibriumCurve.from_points(x, y)
    result = rmin(curve, 0.95, 0.05, 0.5)
    feed_only = (0.95 - result.feed_point[1]) / (0.95 - result.feed_point[0])
    assert result.tangent is True
    assert result.pinch != result.feed_point
    assert result.r_min > feed_only / (1 - feed_only)


@pytest.mark.parametrize(
    "args, kind, message",
    [
        ((0.05, 0.95, 0.5), ValueError, "dimension mismatch: specs must satisfy x_B < z_F < x_D, got x_B = 0.95, z_F = 0.5, x_D = 0.05"),
        ((1.2, 0.1, 0.5), ValueError, "dimension mismatch: x_D must be strictly inside (0, 1), got 1.2"),
    ],
)
def test_rmin_refusals(args, kind, message):
    with pytest.raises(kind) as info:
        rmin(CURVE, *args)
    assert str(info.value) == message


@pytest.mark.parametrize(
    "args", [(math.inf, 0.1, 0.5), (0.9, -math.inf, 0.5), (1.5, 0.1, 0.5), (0.9, 0.1, math.nan), (0.9, 0.0, 0.5)]
)
def test_rmin_checks_compositions_as_mccabe_thiele_does(args):
    with pytest.raises(ValueError) as refused:
        rmin(CURVE, *args)
    with pytest.raises(ValueError) as design:
        mccabe_thiele(CURVE, *args, 2.0)
    assert str(refused.value) == str(design.value)
    assert str(refused.value).startswith("dimension mismatch: ") and "must be strictly inside (0, 1), got " in str(refused.value)


def test_a_vapour_feed_left_of_the_bottoms_is_bounded_by_zero_boilup():
    # y = 0.25 meets the curve at x = 0.118 < x_B: lowering the reflux takes
    # the intersection to x_B, where the boil-up vanishes, at R = 14.
    result = rmin(CURVE, 0.95, 0.2, 0.25, q=0.0)
    assert result.r_min == pytest.approx(14.0, abs=1e-12)
    assert result.pinch == (0.2, 0.25) and result.tangent is False
    with pytest.raises(RuntimeError, match=r"^solver did not converge: R = 5 ≤ R_min = 14\.000000"):
        mccabe_thiele(CURVE, 0.95, 0.2, 0.25, 5.0, q=0.0)
    (_, below), (_, above) = n_vs_r(CURVE, [5.0, 15.0], 0.95, 0.2, 0.25, q=0.0)
    assert math.isnan(below) and above == mccabe_thiele(CURVE, 0.95, 0.2, 0.25, 15.0, q=0.0).n_stages
    assert mccabe_thiele(CURVE, 0.95, 0.2, 0.25, 15.0, q=0.0).intersection[0] > 0.2


def test_design_result_shape():
    r_min = rmin(CURVE, 0.95, 0.05, 0.5).r_min
    result = mccabe_thiele(CURVE, 0.95, 0.05, 0.5, 1.5 * r_min)
    assert isinstance(result, McCabeThieleResult)
    n = len(result.stages)
    assert n - 1 < result.n_stages <= n
    assert 1 <= result.feed_stage <= n
    assert [s.index for s in result.stages] == list(range(1, n + 1))
    assert all(isinstance(s, StagePoint) for s in result.stages)
    assert len(result.staircase) == 2 * n
    assert result.staircase[0] == (0.95, 0.95)
    assert result.staircase[-1] == (result.stages[-1].x, result.stages[-1].y)
    assert isinstance(result.rectifying, Line) and isinstance(result.stripping, Line)
    assert result.rectifying.slope == pytest.approx(1.5 * r_min / (1.5 * r_min + 1))
    assert isinstance(result.spec, McCabeThieleSpec)
    spec = result.spec
    assert (spec.x_distillate, spec.x_bottoms, spec.z_feed, spec.q, spec.murphree) == (0.95, 0.05, 0.5, 1.0, 1.0)
    assert spec.condenser == CondenserKind.Total
    assert result.rmin.r_min == r_min
    assert result.stages is not result.stages


def test_corners_lie_on_curve_and_operating_lines():
    result = mccabe_thiele(CURVE, 0.95, 0.05, 0.4, 2.0, q=1.3)
    for stage in result.stages:
        assert CURVE.y_of_x(stage.x) == pytest.approx(stage.y, abs=1e-12)
    # the vapour of stage n + 1 lies on the operating line at the liquid of stage n
    for upper, lower in zip(result.stages, result.stages[1:]):
        line = result.rectifying if upper.index < result.feed_stage else result.stripping
        assert lower.y == pytest.approx(line.slope * upper.x + line.intercept, abs=1e-12)


def test_stage_counts_fall_as_reflux_rises_and_efficiency_costs_stages():
    r_min = rmin(CURVE, 0.95, 0.05, 0.5).r_min
    refluxes = [r_min * f for f in (1.1, 1.3, 1.6, 2.0, 3.0, 5.0)]
    counts = [n for _, n in n_vs_r(CURVE, refluxes, 0.95, 0.05, 0.5)]
    assert all(a > b for a, b in zip(counts, counts[1:]))
    for r in refluxes[1:]:
        ideal = mccabe_thiele(CURVE, 0.95, 0.05, 0.5, r).n_stages
        assert mccabe_thiele(CURVE, 0.95, 0.05, 0.5, r, murphree=0.7).n_stages >= ideal


def test_partial_condenser_changes_no_number():
    total = mccabe_thiele(CURVE, 0.95, 0.05, 0.5, 2.0)
    partial = mccabe_thiele(CURVE, 0.95, 0.05, 0.5, 2.0, condenser="PARTIAL")
    assert partial.spec.condenser == CondenserKind.Partial
    assert (partial.n_stages, partial.feed_stage, partial.staircase) == (total.n_stages, total.feed_stage, total.staircase)


@pytest.mark.parametrize(
    "kwargs, kind, message",
    [
        (dict(reflux=0), ValueError, "dimension mismatch: reflux ratio must be positive, got 0"),
        (dict(murphree=1.5), ValueError, "dimension mismatch: Murphree efficiency must be in (0, 1], got 1.5"),
        (dict(x_distillate=1.0), ValueError, "dimension mismatch: x_D must be strictly inside (0, 1), got 1"),
        (dict(reflux=1.0), RuntimeError, "solver did not converge: R = 1 ≤ R_min = 1.100000: the staircase pinches before reaching x_B"),
        (dict(q=-1.0, reflux=1.0), ValueError, "specification is infeasible: q-line is parallel to the rectifying line (degenerate q/R combination)"),
    ],
)
def test_mccabe_thiele_refusals(kwargs, kind, message):
    args = dict(x_distillate=0.95, x_bottoms=0.05, z_feed=0.5, reflux=2.0)
    args.update(kwargs)
    with pytest.raises(kind) as info:
        mccabe_thiele(CURVE, **args)
    assert str(info.value) == message


def test_bad_condenser_fails_before_the_specification():
    with pytest.raises(ValueError, match="^condenser must be"):
        mccabe_thiele(CURVE, 5, 5, 5, -1, condenser="top")
    with pytest.raises(ValueError, match="^condenser must be"):
        n_vs_r(CURVE, [1.0], 5, 5, 5, condenser="top")


@pytest.mark.parametrize("alpha", [1.5, 2.0, 2.5])
def test_total_reflux_near_fenske(alpha):
    result = total_reflux(EquilibriumCurve.constant_alpha(alpha), 0.95, 0.05)
    assert isinstance(result, TotalRefluxResult)
    assert result.n_min == pytest.approx(fenske(alpha, 0.95, 0.05), rel=0.02)
    n = len(result.stages)
    assert len(result.staircase) == 2 * n
    assert result.staircase[-1] == (result.stages[-1].x, result.stages[-2].x)
    assert total_reflux(EquilibriumCurve.constant_alpha(alpha), 0.95, 0.05, 0.5).n_min >= result.n_min


@pytest.mark.parametrize(
    "args, message",
    [
        ((0.95, 0.0), "dimension mismatch: need 0 < x_B < x_D < 1, got x_B = 0, x_D = 0.95"),
        ((1.0, 0.05), "dimension mismatch: need 0 < x_B < x_D < 1, got x_B = 0.05, x_D = 1"),
        ((0.5, 0.5), "dimension mismatch: need 0 < x_B < x_D < 1, got x_B = 0.5, x_D = 0.5"),
        ((0.95, 0.05, 0), "dimension mismatch: Murphree efficiency must be in (0, 1], got 0"),
    ],
)
def test_total_reflux_refusals(args, message):
    with pytest.raises(ValueError) as info:
        total_reflux(CURVE, *args)
    assert str(info.value) == message


def test_total_reflux_pinches_at_an_azeotrope():
    x = [i / 10 for i in range(11)]
    y = [min(1.0, v + 0.2 * v * (0.6 - v) / 0.6) if v < 0.6 else v for v in x]
    curve = EquilibriumCurve.from_points(x, y)
    with pytest.raises(RuntimeError, match=r"^solver did not converge: total-reflux staircase pinched at x = "):
        total_reflux(curve, 0.9, 0.1)


def test_n_vs_r_never_raises_after_conversion():
    pairs = n_vs_r(CURVE, [0.1, -1.0, 5.0, math.nan], 0.95, 0.05, 0.5)
    assert [r for r, _ in pairs] == [0.1, -1.0, 5.0] + [pairs[3][0]]
    assert math.isnan(pairs[0][1]) and math.isnan(pairs[1][1]) and math.isnan(pairs[3][1])
    assert pairs[2][1] == mccabe_thiele(CURVE, 0.95, 0.05, 0.5, 5.0).n_stages
    assert all(math.isnan(n) for _, n in n_vs_r(CURVE, [1.0, 2.0], 1.5, 0.05, 0.5))
    assert n_vs_r(CURVE, [], 0.95, 0.05, 0.5) == []


def test_infinite_reflux_is_not_a_bogus_stage_count():
    n = n_vs_r(CURVE, [math.inf], 0.95, 0.05, 0.5)[0][1]
    assert math.isnan(n) or n >= total_reflux(CURVE, 0.95, 0.05).n_min
