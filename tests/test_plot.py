"""Diagrams of kolvar.plot: what is drawn, checked on the artists (not pixels)."""

import math
import subprocess
import sys

import pytest

import kolvar
from kolvar import EquilibriumCurve, mccabe_thiele, n_vs_r, rmin, total_reflux

matplotlib = pytest.importorskip("matplotlib")
matplotlib.use("Agg")

from matplotlib.backends.backend_agg import FigureCanvasAgg  # noqa: E402
from matplotlib.figure import Figure  # noqa: E402

from kolvar import plot  # noqa: E402
from kolvar.plot._phase import dew_line  # noqa: E402



@pytest.fixture
def ax():
    figure = Figure()
    FigureCanvasAgg(figure)
    return figure.add_subplot()


def by_gid(ax, gid):
    return [a for a in ax.get_children() if a.get_gid() == gid]


def one_line(ax, gid):
    (line,) = [a for a in ax.lines if a.get_gid() == gid]
    return list(zip(line.get_xdata(), line.get_ydata()))


def tangent_curve():
    """A curve that closes on the diagonal near x = 1: the pinch is a tangent one."""
    xs = [i / 40 for i in range(41)]
    return EquilibriumCurve.from_points(xs, [x + 1.5 * x * (1 - x) ** 2 for x in xs])


ALPHA = EquilibriumCurve.constant_alpha(2.5)

# (curve, x_D, x_B, z_F, reflux as a multiple of R_min, q, E_MV)
DESIGNS = {
    "saturated liquid": (ALPHA, 0.95, 0.05, 0.5, 1.5, 1.0, 1.0),
    "two-phase feed": (ALPHA, 0.9, 0.1, 0.45, 1.4, 0.5, 1.0),
    "saturated vapour": (ALPHA, 0.9, 0.1, 0.45, 1.4, 0.0, 1.0),
    "subcooled feed": (ALPHA, 0.9, 0.1, 0.45, 1.4, 1.5, 1.0),
    "Murphree 0.7": (ALPHA, 0.95, 0.05, 0.5, 2.0, 1.0, 0.7),
    "tangent pinch": (tangent_curve(), 0.95, 0.05, 0.4, 2.0, 1.0, 1.0),
}


def design(name):
    curve, x_d, x_b, z_f, factor, q, e = DESIGNS[name]
    r_min = rmin(curve, x_d, x_b, z_f, q).r_min
    return curve, mccabe_thiele(curve, x_d, x_b, z_f, factor * r_min, q, e)


@pytest.mark.parametrize("name", DESIGNS)
def test_mccabe_thiele_draws_the_construction(ax, name):
    curve, result = design(name)
    spec = result.spec
    assert plot.mccabe_thiele(curve, result, ax) is ax

    assert one_line(ax, "equilibrium") == list(zip(curve.x, curve.y))
    assert one_line(ax, "staircase") == result.staircase

    x_int, y_int = result.intersection
    assert one_line(ax, "q-line") == [(spec.z_feed, spec.z_feed), (x_int, y_int)]
    rectifying = one_line(ax, "rectifying")
    stripping = one_line(ax, "stripping")
    assert rectifying == [(spec.x_distillate, spec.x_distillate), (x_int, y_int)]
    assert stripping == [(x_int, y_int), (spec.x_bottoms, spec.x_bottoms)]
    # The drawn segments lie on the operating lines of the result.
    for points, line in ((rectifying, result.rectifying), (stripping, result.stripping)):
        for x, y in points:
            assert y == pytest.approx(line.slope * x + line.intercept, abs=1e-12)

    labels = by_gid(ax, "stage-label")
    assert len(labels) == len(result.stages)
    assert [(t.get_text(), t.xy) for t in labels] == [(str(s.index), (s.x, s.y)) for s in result.stages]

    feed = result.stages[result.feed_stage - 1]
    assert one_line(ax, "feed-stage") == [(feed.x, feed.y)]
    assert one_line(ax, "pinch") == [result.rmin.pinch]
    for gid, value in (("x_D", spec.x_distillate), ("x_B", spec.x_bottoms), ("z_F", spec.z_feed)):
        assert one_line(ax, gid) == [(value, value)]

    assert ax.get_xlim() == (0.0, 1.0) and ax.get_ylim() == (0.0, 1.0)
    assert ax.get_aspect() == 1.0
    assert (ax.get_xlabel(), ax.get_ylabel()) == ("x (light component)", "y (light component)")


def test_pinch_legend_names_the_pinch_kind(ax):
    curve, result = design("tangent pinch")
    assert result.rmin.tangent
    plot.mccabe_thiele(curve, result, ax)
    (marker,) = by_gid(ax, "pinch")
    assert marker.get_label().startswith("tangent pinch")
    assert one_line(ax, "pinch") != [result.rmin.feed_point]


def test_component_names_label_the_axes(ax):
    curve, result = design("saturated liquid")
    plot.mccabe_thiele(curve, result, ax, components=["benzene", "toluene"])
    assert (ax.get_xlabel(), ax.get_ylabel()) == ("x (benzene)", "y (benzene)")
    with pytest.raises(ValueError, match="two names"):
        plot.mccabe_thiele(curve, result, ax, components=["a", "b", "c"])


def test_without_an_axes_a_new_figure_is_made():
    import matplotlib.pyplot as plt

    curve, result = design("saturated liquid")
    new = plot.mccabe_thiele(curve, result)
    try:
        assert one_line(new, "staircase") == result.staircase
    finally:
        plt.close(new.figure)


def test_diagram_renders(ax):
    curve, result = design("two-phase feed")
    plot.mccabe_thiele(curve, result, ax)
    ax.figure.canvas.draw()


@pytest.mark.parametrize("x_bottoms", [None, 0.05])
def test_total_reflux(ax, x_bottoms):
    result = total_reflux(ALPHA, 0.95, 0.05)
    assert plot.total_reflux(ALPHA, result, ax, x_bottoms=x_bottoms) is ax
    assert one_line(ax, "staircase") == result.staircase
    assert len(by_gid(ax, "stage-label")) == len(result.stages)
    assert one_line(ax, "x_D") == [(0.95, 0.95)]
    assert len(by_gid(ax, "x_B")) == (0 if x_bottoms is None else 1)


def test_n_vs_r_skips_failed_points(ax):
    analysis = rmin(ALPHA, 0.95, 0.05, 0.5)
    pairs = n_vs_r(ALPHA, [0.5, 1.0, 1.5, 2.0, 3.0, 5.0], 0.95, 0.05, 0.5)
    assert any(math.isnan(n) for _, n in pairs)
    plot.n_vs_r(pairs, analysis, ax)
    assert one_line(ax, "n-vs-r") == [(r, n) for r, n in pairs if not math.isnan(n)]
    (r_line,) = by_gid(ax, "r-min")
    assert list(r_line.get_xdata()) == [analysis.r_min] * 2


def test_n_vs_r_takes_a_plain_number_or_nothing(ax):
    plot.n_vs_r([(2.0, 10.0), (3.0, 8.0)], 1.2, ax)
    assert list(by_gid(ax, "r-min")[0].get_xdata()) == [1.2, 1.2]
    other = Figure().add_subplot()
    plot.n_vs_r([(2.0, 10.0)], ax=other)
    assert by_gid(other, "r-min") == []


def test_txy_draws_bubble_and_dew_lines(ax):
    xs = [0, 0.25, 0.5, 0.75, 1]
    ys = [0, 0.45, 0.7, 0.88, 1]
    ts = [383.8, 372.0, 365.0, 359.5, 353.2]
    curve = EquilibriumCurve.from_points(xs, ys, ts, 101.325)
    assert plot.txy(curve, ax, components=["benzene", "toluene"]) is ax
    assert one_line(ax, "bubble") == list(zip(xs, ts))
    assert one_line(ax, "dew") == list(zip(ys, ts))
    assert ax.get_xlabel() == "x, y (benzene)"


def test_txy_refuses_a_curve_without_temperatures(ax):
    with pytest.raises(ValueError, match="needs a curve with bubble temperatures"):
        plot.txy(ALPHA, ax)


def test_txy_of_a_thermodynamic_curve(ax):
    system = kolvar.ThermoSystem.peng_robinson(["benzene", "toluene"])
    curve = EquilibriumCurve.from_thermo(system, 101.325, 21)
    plot.txy(curve, ax, system=system)
    assert (ax.get_xlabel(), ax.get_title()) == ("x, y (benzene)", "benzene / toluene, P = 101.325 kPa")
    bubble, dew = one_line(ax, "bubble"), one_line(ax, "dew")
    # The two lines meet at the pure components, and the dew line lies above.
    assert bubble[0] == dew[0] and bubble[-1] == dew[-1]
    assert bubble[0][1] > bubble[-1][1]
    assert all(curve.temperature_of_x(y) <= t + 1e-9 for y, t in dew)


def test_without_matplotlib_calls_name_the_extra(monkeypatch):
    curve, result = design("saturated liquid")
    monkeypatch.setitem(sys.modules, "matplotlib", None)
    calls = [
        lambda: plot.mccabe_thiele(curve, result),
        lambda: plot.total_reflux(curve, total_reflux(curve, 0.95, 0.05)),
        lambda: plot.n_vs_r([(2.0, 10.0)]),
        lambda: plot.txy(EquilibriumCurve.from_points([0, 0.25, 0.5, 0.75, 1], [0, 0.4, 0.6, 0.8, 1], [5] * 5)),
        lambda: plot.enthalpy_composition(PR_BENZENE_TOLUENE, 101.325),
    ]
    for call in calls:
        with pytest.raises(ImportError, match=r"kolvar\[plot\]"):
            call()


def test_importing_needs_no_matplotlib():
    code = "import sys; sys.modules['matplotlib'] = None; import kolvar, kolvar.plot; print('ok')"
    done = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, check=False)
    assert (done.returncode, done.stdout.strip()) == (0, "ok"), done.stderr


PR_METHANOL_WATER = kolvar.ThermoSystem.peng_robinson(["methanol", "water"])
IDEAL_METHANOL_WATER = kolvar.ThermoSystem.ideal_solution(["methanol", "water"])


@pytest.mark.parametrize("system", [PR_METHANOL_WATER, IDEAL_METHANOL_WATER], ids=["PR kij=0", "ideal solution"])
def test_txy_and_pxy_of_a_system_draw_dew_points_and_the_split(system, ax):
    from kolvar._liquid_split import split_at_temperature
    from kolvar.thermo import liquid_split

    plot.txy(system, ax, pressure=101.325, n_points=11)
    grid = [i / 10 for i in range(11)]
    assert one_line(ax, "dew") == [(y, system.dew_temperature(101.325, [y, 1 - y])[0]) for y in grid]
    pxy_ax = Figure().add_subplot()
    assert plot.pxy(system, 340.0, pxy_ax, n_points=11) is pxy_ax
    bubble, dew = one_line(pxy_ax, "bubble"), one_line(pxy_ax, "dew")
    assert bubble == [(x, system.bubble_pressure(340.0, [x, 1 - x])[0]) for x in grid]
    assert dew == [(y, system.dew_pressure(340.0, [y, 1 - y])[0]) for y in grid]
    # The lines meet at the pure components and the dew line lies below.
    assert bubble[0][1] == pytest.approx(dew[0][1], rel=1e-8) and bubble[-1][1] == pytest.approx(dew[-1][1], rel=1e-8)
    assert all(d <= b * (1 + 1e-8) for (_, b), (_, d) in zip(bubble, dew))

    design_ax = Figure().add_subplot()
    curve = EquilibriumCurve.from_thermo(system, 101.325, 11)
    plot.mccabe_thiele(curve, mccabe_thiele(curve, 0.95, 0.05, 0.5, 10.0), design_ax, system=system)

    splits = [liquid_split(system, 101.325, 11), split_at_temperature(system, 340.0, grid, [p for _, p in bubble])]
    splits.append(splits[0])
    for drawn, split in zip((ax, pxy_ax, design_ax), splits):
        spans = by_gid(drawn, "liquid-split")
        assert len(spans) == (split is not None)
        if split is not None:
            assert spans[0].get_label() == f"liquid splits, x = {split[0]:.3f} to {split[1]:.3f}"
    assert (splits[0] is not None) == (system is PR_METHANOL_WATER)


def test_phase_diagram_arguments(ax):
    with pytest.raises(ValueError, match="needs the pressure"):
        plot.txy(PR_METHANOL_WATER, ax)
    with pytest.raises(ValueError, match="a curve carries its own"):
        plot.txy(ALPHA, ax, pressure=101.325)
    with pytest.raises(ValueError, match="binary system, got 3 components"):
        plot.pxy(kolvar.ThermoSystem.peng_robinson(["methanol", "water", "ethanol"]), 340.0, ax)
    with pytest.raises(ValueError, match="at least 5, got 4"):
        plot.pxy(PR_METHANOL_WATER, 340.0, ax, n_points=4)


@pytest.mark.parametrize(
    "failing, note",
    [((), ""), ((0.5,), " (no dew point found at y = 0.5)"), ((0.25, 0.5), " (no dew point found at 2 of 5 y)")],
)
def test_a_dew_point_the_solver_misses_is_a_gap_named_in_the_legend(failing, note):
    def solve(y):
        if y in failing:
            raise RuntimeError("thermo evaluation failed: dew temperature did not converge")
        return 300.0 + y

    grid = [0.0, 0.25, 0.5, 0.75, 1.0]
    values, text = dew_line(solve, grid)
    assert text == note
    assert [math.isnan(v) for v in values] == [y in failing for y in grid]

    def fails(y):
        raise RuntimeError(f"thermo evaluation failed: dew temperature at {y}")

    with pytest.raises(RuntimeError, match="dew temperature at 0.0$"):
        dew_line(fails, grid)


def test_crowded_stage_labels_stay_apart_and_in_the_frame_and_titles_carry_q_alpha_and_azeotropes():
    curve = EquilibriumCurve.constant_alpha(2.5)
    result = mccabe_thiele(curve, 0.99, 0.01, 0.5, 1.02 * rmin(curve, 0.99, 0.01, 0.5, 0.8).r_min, 0.8)
    for layout in (None, "constrained"):
        figure = Figure(figsize=(4.0, 4.0), layout=layout)
        FigureCanvasAgg(figure)
        ax = figure.add_subplot()
        plot.mccabe_thiele(curve, result, ax)
        figure.canvas.draw()
        renderer = figure.canvas.get_renderer()
        shown = [label for label in by_gid(ax, "stage-label") if label.get_visible()]
        assert {label.get_text() for label in shown} >= {"1", str(len(result.stages)), str(result.feed_stage)}
        assert len(shown) < len(result.stages)  # a pinch this close crowds the corners
        # Stage numbers and the marks' names inside the frame, apart from
        # each other and from the marks on the diagonal.
        texts = shown + [t for name in ("x_D", "x_B", "z_F") for t in by_gid(ax, name + "-label")]
        boxes = [t.get_window_extent(renderer) for t in texts]
        marks = [line.get_window_extent(renderer) for name in ("x_D", "x_B") for line in by_gid(ax, name)]
        assert not any(a.overlaps(b) for i, a in enumerate(boxes) for b in boxes[i + 1 :] + marks)
        assert all(ax.bbox.contains(b.x0, b.y0) and ax.bbox.contains(b.x1, b.y1) for b in boxes)
    assert ax.get_title().startswith("α = 2.5\n") and ax.get_title().endswith("q = 0.8")

    # A maximum-boiling azeotrope is marked where the bubble and dew lines touch.
    system = kolvar.ThermoSystem.van_laar(["acetone", "chloroform"], -0.8, -0.6)
    txy_ax = Figure().add_subplot()
    plot.txy(system, txy_ax, pressure=101.325, n_points=41)
    ((x, t),) = one_line(txy_ax, "azeotrope")
    assert system.bubble_temperature(101.325, [x, 1 - x])[1][0] == pytest.approx(x, abs=2e-3)
    assert t == pytest.approx(system.bubble_temperature(101.325, [x, 1 - x])[0], abs=0.01)
    pxy_ax = Figure().add_subplot()
    plot.pxy(system, 330.0, pxy_ax, n_points=41)
    ((x, p),) = one_line(pxy_ax, "azeotrope")
    assert system.bubble_pressure(330.0, [x, 1 - x])[1][0] == pytest.approx(x, abs=2e-3)
    assert by_gid(pxy_ax, "azeotrope")[0].get_label().endswith(f"P = {p:.4g} kPa")
    zeotropic = Figure().add_subplot()
    xs = [0, 0.25, 0.5, 0.75, 1]
    plot.txy(EquilibriumCurve.from_points(xs, [0, 0.45, 0.7, 0.88, 1], [380, 370, 360, 355, 350]), zeotropic)
    assert by_gid(zeotropic, "azeotrope") == []


PR_BENZENE_TOLUENE = kolvar.ThermoSystem.peng_robinson(["benzene", "toluene"])


@pytest.mark.parametrize("condenser", ["total", "partial"])
def test_enthalpy_composition_draws_the_design_on_its_own_lines(ax, condenser):
    column = kolvar.BinaryColumn(101.325, kolvar.Feed(100.0, 0.44, 0.6), 0.974, 0.0235, condenser)
    result = kolvar.ponchon_savarit(PR_BENZENE_TOLUENE, column, 3.5)
    assert plot.enthalpy_composition(PR_BENZENE_TOLUENE, 101.325, result, ax) is ax
    x, y, _, h_l, h_v = kolvar._engine._enthalpy_curve(PR_BENZENE_TOLUENE, 101.325)
    for gid, xs, hs in (("liquid-enthalpy", x, h_l), ("vapour-enthalpy", y, h_v)):
        drawn = one_line(ax, gid)
        assert [p[0] for p in drawn] == xs and [p[1] for p in drawn] == pytest.approx([h / 1000 for h in hs])
    ties = [list(zip(*line.get_data())) for line in ax.lines if line.get_gid() == "stage-tie-line"]
    assert [(t[0][0], t[1][0]) for t in ties] == [(s.x, s.y) for s in result.stages]
    # Each tie line carries its stage's number, at its liquid end above the
    # feed stage and at its vapour end from it down.
    numbers = by_gid(ax, "stage-label")
    ends = [t[0] if s.index < result.feed_stage else t[1] for t, s in zip(ties, result.stages)]
    assert [(n.get_text(), n.xy) for n in numbers] == [(str(s.index), e) for s, e in zip(result.stages, ends)]
    assert ax.get_ylabel() == "h [kJ/mol] (reference: ideal gas at 298.15 K)"

    # Each construction line runs from a difference point through a stage's
    # liquid end and the next stage's vapour end: the three are collinear.
    poles = [(p[0], p[1] / 1000) for p in (result.top_difference_point, result.bottom_difference_point)]
    constructions = [list(zip(*line.get_data())) for line in ax.lines if line.get_gid() == "construction"]
    assert len(constructions) == len(ties) - 1
    for n, ((start, end), tie, following) in enumerate(zip(constructions, ties, ties[1:])):
        assert start == poles[0] if n + 1 < result.feed_stage else start == poles[1]
        for point in (tie[0], following[1]):
            cross = (end[0] - start[0]) * (point[1] - start[1]) - (end[1] - start[1]) * (point[0] - start[0])
            assert cross == pytest.approx(0.0, abs=1e-6 * abs(end[1] - start[1]))
    (feed,) = one_line(ax, "feed-point")
    system, z = PR_BENZENE_TOLUENE, [0.44, 0.56]
    h_l = system.enthalpy(system.bubble_temperature(101.325, z)[0], 101.325, z, "liquid")
    h_v = system.enthalpy(system.dew_temperature(101.325, z)[0], 101.325, z, "vapour")
    assert feed == (0.44, pytest.approx((0.6 * h_l + 0.4 * h_v) / 1000, rel=1e-9))
    assert one_line(ax, "difference-line") == poles[::-1]
    ax.figure.canvas.draw()


def test_enthalpy_composition_refusals(ax):
    result = kolvar.ponchon_savarit(PR_BENZENE_TOLUENE, kolvar.BinaryColumn(200.0, kolvar.Feed(100.0, 0.44),
                                                                            0.95, 0.05), 3.0)
    with pytest.raises(ValueError, match="the design is at 200 kPa, not at the diagram's 101.325 kPa"):
        plot.enthalpy_composition(PR_BENZENE_TOLUENE, 101.325, result, ax)
    with pytest.raises(TypeError, match="design must be a result of kolvar.ponchon_savarit, got McCabeThieleResult"):
        plot.enthalpy_composition(PR_BENZENE_TOLUENE, 101.325, design("saturated liquid")[1], ax)
    with pytest.raises(ValueError, match="binary system, got 3 components"):
        plot.enthalpy_composition(kolvar.ThermoSystem.peng_robinson(["methanol", "water", "ethanol"]), 101.325)
    plot.enthalpy_composition(PR_BENZENE_TOLUENE, 101.325, None, ax)
    assert len(by_gid(ax, "tie-line")) == 11


@pytest.mark.parametrize("condenser", ["total", "partial"])
def test_ponchon_savarit_draws_its_curved_construction(ax, condenser):
    column = kolvar.BinaryColumn(101.325, kolvar.Feed(100.0, 0.44, 0.6), 0.974, 0.0235, condenser)
    result = kolvar.ponchon_savarit(PR_BENZENE_TOLUENE, column, 3.5)
    assert plot.ponchon_savarit(PR_BENZENE_TOLUENE, result, ax) is ax
    rectifying, stripping, q_line = one_line(ax, "rectifying"), one_line(ax, "stripping"), one_line(ax, "q-line")
    assert rectifying[0] == (0.974, 0.974) and stripping[-1] == (0.0235, 0.0235)
    assert rectifying[-1] == stripping[0] == q_line[-1] and q_line[0] == (0.44, 0.44)
    # The operating curves bend (unequal latent heats), and every corner
    # (x_n, y_(n+1)) of the staircase is a point of the one of its section.
    slopes = [(b[1] - a[1]) / (b[0] - a[0]) for a, b in zip(rectifying, rectifying[1:])]
    assert max(slopes) - min(slopes) > 1e-3
    stages = result.stages
    for stage, below in zip(stages, stages[1:]):
        drawn = rectifying if stage.index < result.feed_stage else stripping
        # The drawn curves come from the sampled saturated lines; a stage sits on
        # the exact tie lines, so the two meet to the sampling's accuracy, far
        # below what a diagram can show.
        assert min(abs(x - stage.x) + abs(y - below.y) for x, y in drawn) < 1e-5
    assert one_line(ax, "feed-stage") == [(stages[result.feed_stage - 1].x, stages[result.feed_stage - 1].y)]
    (pinch,) = by_gid(ax, "pinch")
    assert list(zip(pinch.get_xdata(), pinch.get_ydata())) == [result.pinch]
    assert pinch.get_label() == f"feed pinch, R_min = {result.r_min:.3f}"
    assert len(by_gid(ax, "stage-label")) == len(stages)


def test_a_ponchon_savarit_design_plots_and_its_command_line_diagram_has_the_enthalpies_beside(ax, tmp_path):
    column = kolvar.BinaryColumn(101.325, kolvar.Feed(100.0, 0.5), 0.95, 0.05)
    design = kolvar.design(PR_BENZENE_TOLUENE, column, reflux=2.0, method="ponchon_savarit")
    design.plot(ax)
    assert len(by_gid(ax, "rectifying")) == len(by_gid(ax, "q-line")) == 1

    from kolvar.cli import main

    path = tmp_path / "d.svg"
    assert main(["--method", "ponchon-savarit", "--plot", str(path)]) == 0
    drawing = path.read_text()
    assert all(f'id="{gid}' in drawing for gid in ("stripping", "pinch", "vapour-enthalpy", "difference-line"))
