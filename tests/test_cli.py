"""``python -m kolvar``: the design report, its options and its one-line errors."""

import json
import os
import re
import subprocess
import sys

import pytest

import kolvar
from kolvar import EquilibriumCurve, mccabe_thiele, rmin, total_reflux
from kolvar.cli import main
from kolvar.thermo import model_names



def run(argv, capsys):
    status = main(argv)
    out, err = capsys.readouterr()
    return status, out, err


def field(report, name):
    """The text after a report line's label."""
    (line,) = [line for line in report.splitlines() if line.startswith(name + " ")]
    return line[len(name) :].strip()


def table(report):
    rows = report.split("stage       x        y\n", 1)[1].splitlines()
    return [row.split() for row in rows if row.strip() and not row.startswith("diagram")]


# (options, curve, x_D, x_B, z_F, q, E_MV, reflux factor or None, absolute reflux or None)
CASES = [
    (["--alpha", "2.4"], 2.4, 0.95, 0.05, 0.5, 1.0, 1.0, 1.5, None),
    (["--alpha", "3", "--xd", "0.9", "--xb", "0.1", "--zf", "0.4", "--q", "0.5"], 3.0, 0.9, 0.1, 0.4, 0.5, 1.0, 1.5, None),
    (["--alpha", "2.4", "--reflux-factor", "2", "--murphree", "0.75"], 2.4, 0.95, 0.05, 0.5, 1.0, 0.75, 2.0, None),
    (["--alpha", "2.4", "--reflux", "2.5", "--q", "1.2", "--points", "51"], 2.4, 0.95, 0.05, 0.5, 1.2, 1.0, None, 2.5),
]


@pytest.mark.parametrize("case", CASES, ids=lambda c: " ".join(c[0]))
def test_report_matches_the_engine(case, capsys):
    argv, alpha, x_d, x_b, z_f, q, e, factor, reflux = case
    curve = EquilibriumCurve.constant_alpha(alpha, 51 if "--points" in argv else 101)
    analysis = rmin(curve, x_d, x_b, z_f, q)
    reflux = reflux if reflux is not None else factor * analysis.r_min
    result = mccabe_thiele(curve, x_d, x_b, z_f, reflux, q, e)

    status, out, err = run(argv, capsys)
    assert (status, err) == (0, "")
    assert field(out, "curve").startswith(repr(curve))
    assert field(out, "R_min").startswith(f"{analysis.r_min:.4f}  (feed pinch at ")
    assert field(out, "reflux").startswith(f"R = {reflux:.4f}")
    assert field(out, "stages").startswith(f"{result.n_stages:.3f} ")
    assert f"feed on stage {result.feed_stage} " in field(out, "stages")
    assert field(out, "N_min").startswith(f"{total_reflux(curve, x_d, x_b, e).n_min:.3f} ")
    rows = table(out)
    assert [(int(r[0]), float(r[1]), float(r[2])) for r in rows] == [
        (s.index, round(s.x, 5), round(s.y, 5)) for s in result.stages
    ]
    assert [int(r[0]) for r in rows if r[-1] == "feed"] == [result.feed_stage]


def test_partial_condenser_changes_only_the_wording(capsys):
    _, total, _ = run(["--alpha", "2.4"], capsys)
    _, partial, _ = run(["--alpha", "2.4", "--condenser", "partial"], capsys)
    assert table(partial) == table(total)
    assert "partial condenser, counted as stage 1" in field(partial, "design")


@pytest.mark.parametrize(
    "argv, message",
    [
        (["--alpha", "0"], "dimension mismatch: alpha must be positive, got 0"),
        (["--alpha", "2", "--points", "4"], "--points must be at least 5, got 4"),
        (["--alpha", "2", "--points", "-3"], "--points must be at least 5, got -3"),
        (["--alpha", "0.5"], "specification is infeasible: x_D = 0.95 is unreachable at any reflux"),
        (["--alpha", "2", "--xb", "0.6"], "dimension mismatch: specs must satisfy x_B < z_F < x_D, got x_B = 0.6"),
        (["--alpha", "2", "--murphree", "0"], "dimension mismatch: Murphree efficiency must be in (0, 1], got 0"),
        (["--alpha", "2", "--reflux", "0.5"], "solver did not converge: R = 0.5 ≤ R_min = 1.700000"),
        (["--alpha", "2", "--reflux-factor", "1"], "solver did not converge: R = "),
        (["--alpha", "2", "--xd", "1.5"], "argument --xd: must be a mole fraction strictly inside (0, 1), got 1.5"),
        (["--alpha", "2", "--zf", "half"], "argument --zf: expected a number, got 'half'"),
        (["--alpha", "2", "--reflux", "2", "--reflux-factor", "2"], "argument --reflux-factor: not allowed with"),
        (["--alpha", "2", "--components", "a", "b"], "argument --components: not allowed with argument --alpha"),
        (["--alpha", "2", "--pressure", "200"], "--pressure applies to a curve from --components"),
        (["--alpha", "2", "--condenser", "reboiler"], "argument --condenser: invalid choice: 'reboiler'"),
        (["--alpha", "2", "--plot", "diagram.jpg"], "--plot needs a .png, .svg or .pdf file name"),
        (["--alpha", "2", "--plot", "/nonexistent/dir/d.png"], "cannot write the diagram to '/nonexistent/dir/d.png'"),
        (["--frobnicate"], "unrecognized arguments: --frobnicate"),
        (["--alpha", "2", "--feed-temperature", "300"], "--feed-temperature applies to a curve from --components"),
        (["--q", "1", "--feed-temperature", "300"], "argument --feed-temperature: not allowed with argument --q"),
        (["--alpha", "2", "--method", "ponchon-savarit"], "--method ponchon-savarit needs the enthalpies of a curve"),
    ],
)
def test_errors_are_one_line_with_status_2(argv, message, capsys):
    if "--plot" in argv:
        pytest.importorskip("matplotlib")
    status, _, err = run(argv, capsys)
    assert status == 2
    assert err.startswith("kolvar: error: " + message)
    assert err.count("\n") == 1


def test_json_is_the_design_and_the_feed_temperature_sets_q(capsys):
    argv = ["--components", "benzene", "toluene", "--points", "21", "--feed-rate", "80"]
    system = kolvar.ThermoSystem.peng_robinson(["benzene", "toluene"])
    made = kolvar.design(system, kolvar.BinaryColumn(101.325, kolvar.Feed(80, 0.5), 0.95, 0.05), reflux_factor=1.5,
                         n_points=21)
    status, out, err = run([*argv, "--json"], capsys)
    data = json.loads(out)
    assert (status, err) == (0, "") and {k: data[k] for k in made.to_dict()} == json.loads(json.dumps(made.to_dict()))
    # The stages carry what the report prints, and every quantity has its unit.
    assert data["stages"] == json.loads(json.dumps(made.stage_table()))
    assert set(data["stages"][0]) == {"stage", "x", "y", "t", "liquid_flow", "vapour_flow"}
    assert data["units"]["t"] == "K" and data["units"]["liquid_flow"] == "kmol/h" and data["units"]["pressure"][:3] == "kPa"
    assert kolvar.ThermoSystem.from_dict(data["system"]).to_dict() == system.to_dict()
    _, out, _ = run([*argv, "--json", "--feed-temperature", "340"], capsys)
    assert json.loads(out)["column"]["feed"]["q"] == system.feed_quality(340.0, 101.325, [0.5, 0.5]) > 1.0
    # The report shows the design's energy and a temperature for every stage.
    _, out, _ = run(argv, capsys)
    energy = made.energy
    assert field(out, "duties") == f"condenser {energy.condenser_duty:.2f} kW, reboiler {energy.reboiler_duty:.2f} kW"
    rows = out.split("V [kmol/h]\n", 1)[1].splitlines()
    assert [float(row.split()[3]) for row in rows] == [round(r["t"], 2) for r in made.stage_table()]


def test_five_points_are_enough(capsys):
    status, out, err = run(["--alpha", "2", "--points", "5"], capsys)
    assert (status, err) == (0, "")
    assert field(out, "curve").startswith("EquilibriumCurve(5 points")


def test_plot_without_matplotlib_fails_before_any_work(monkeypatch, capsys, tmp_path):
    monkeypatch.setitem(sys.modules, "matplotlib", None)
    status, out, err = run(["--alpha", "2.4", "--plot", str(tmp_path / "d.png")], capsys)
    assert (status, out) == (2, "")
    assert not (tmp_path / "d.png").exists()
    assert "kolvar[plot]" in err and err.count("\n") == 1


@pytest.mark.parametrize("name, magic", [("d.png", b"\x89PNG"), ("d.SVG", b"<?xml"), ("d.pdf", b"%PDF-")])
def test_plot_writes_the_file_type_of_the_extension(tmp_path, capsys, name, magic):
    pytest.importorskip("matplotlib")
    path = tmp_path / name
    status, out, _ = run(["--alpha", "2.4", "--plot", str(path)], capsys)
    assert status == 0
    assert path.read_bytes().startswith(magic)
    assert field(out, "diagram") == str(path)


def python_m_kolvar(*argv, cwd):
    return subprocess.run(
        [sys.executable, "-m", "kolvar", *argv], capture_output=True, text=True, cwd=cwd, check=False, timeout=300
    )


def test_module_entry_point(tmp_path):
    done = python_m_kolvar("--alpha", "2.4", cwd=tmp_path)
    assert done.returncode == 0, done.stderr
    assert done.stdout.startswith(f"kolvar {kolvar.__version__}: McCabe-Thiele design\n")
    failed = python_m_kolvar("--alpha", "-1", cwd=tmp_path)
    assert (failed.returncode, failed.stdout) == (2, "")
    assert failed.stderr == "kolvar: error: dimension mismatch: alpha must be positive, got -1\n"


def test_the_self_test_passes_on_this_install_and_a_failure_sets_the_status(tmp_path, monkeypatch, capsys):
    done = python_m_kolvar("--self-test", cwd=tmp_path)
    assert done.returncode == 0, done.stdout + done.stderr
    assert re.fullmatch(r"\d+ passed(, 1 skipped)? in \d+\.\d\d s", done.stdout.splitlines()[-1]), done.stdout
    from kolvar import _self_test

    monkeypatch.setattr(_self_test, "CHECKS", [("broken", lambda: 1 / 0), *_self_test.CHECKS[:1]])
    assert main(["--self-test"]) == 1
    assert re.search(r"FAILED broken\n.*ZeroDivisionError.*\n1 passed, 1 failed in ", capsys.readouterr().out, re.S)


def test_default_benzene_toluene_design(tmp_path):
    done = python_m_kolvar(cwd=tmp_path)
    assert done.returncode == 0, done.stderr
    out = done.stdout
    assert field(out, "curve") == "EquilibriumCurve(101 points, P = 101.325 kPa), benzene / toluene, Peng-Robinson"
    assert field(out, "pressure") == "101.325 kPa"
    assert field(out, "reflux").endswith("(1.5 x R_min)")
    # Benzene/toluene has alpha about 2.4: a feed pinch, and N_min near Fenske's value.
    assert "(feed pinch at (0.5000, " in field(out, "R_min")
    n_min = float(field(out, "N_min").split()[0])
    assert 5.5 < n_min < 8.0


def test_components_and_pressure_options(capsys):
    status, out, err = run(["--components", "benzene", "toluene", "--pressure", "50", "--points", "21"], capsys)
    assert (status, err) == (0, "")
    assert field(out, "pressure") == "50 kPa"
    status, _, err = run(["--components", "toluene", "benzene", "--points", "21"], capsys)
    assert status == 2
    assert err.startswith("kolvar: error: thermo evaluation failed: component order looks inverted")


@pytest.mark.skipif(not hasattr(os, "pipe") or os.name != "posix", reason="SIGPIPE and its exit status are POSIX")
@pytest.mark.parametrize(
    "argv, statuses",
    # argparse of 3.11 and later swallows the failed write of its help text
    # and exits with 0; earlier versions raise it.
    [(["--alpha", "2.4"], {141}), (["--help"], {0, 141})],
    ids=["report", "help"],
)
def test_a_reader_that_closed_the_pipe_ends_the_program_quietly(argv, statuses, tmp_path):
    # The read end is closed before the program writes, so every write meets
    # a broken pipe (``python -m kolvar | head`` after head has exited).
    read_end, write_end = os.pipe()
    os.close(read_end)
    try:
        done = subprocess.run(
            [sys.executable, "-m", "kolvar", *argv], stdout=write_end, stderr=subprocess.PIPE, cwd=tmp_path,
            text=True, check=False, timeout=300,
        )
    finally:
        os.close(write_end)
    assert done.stderr == ""
    assert done.returncode in statuses


@pytest.mark.skipif(os.name != "posix", reason="closes the descriptor through a POSIX shell")
def test_closed_standard_output_is_a_one_line_error(tmp_path):
    done = subprocess.run(
        ["sh", "-c", 'exec "$0" -m kolvar --alpha 2.4 >&-', sys.executable],
        capture_output=True, text=True, cwd=tmp_path, check=False, timeout=300,
    )
    assert (done.returncode, done.stdout, done.stderr) == (2, "", "kolvar: error: standard output is closed\n")


WILSON = ["--activity", "Wilson", "--parameters", "449.3", "1964.6"]
WILSON_MATRIX = [[0, 449.3], [1964.6, 0]]
NRTL = {"a": [[0, -0.69], [2.73, 0]], "b": [[0, 172.0], [-302.0, 0]], "alpha": [[0, 0.3], [0.3, 0]]}
T = kolvar.ThermoSystem

# (options after --components methanol water, the system they choose, how the report names it)
MODEL_CASES = [
    (["--eos", "RKS1972"], lambda n: T.cubic(n, eos="RKS1972"), "RKS1972, Classical"),
    (["--kij", "-0.07"], lambda n: T.cubic(n, kij=[[0, -0.07], [-0.07, 0]]), "PR1976, Classical, kij = -0.07"),
    (
        WILSON + ["--vapour", "Virial"],
        lambda n: T.activity(n, "Wilson", WILSON_MATRIX, vapour="Virial"),
        "Wilson (A12 = 449.3, A21 = 1964.6) liquid, Virial vapour",
    ),
    (
        ["--mixing-rule", "MHV1"] + WILSON,
        lambda n: T.cubic(n, mixing_rule="MHV1", ge_model="Wilson", ge_parameters=WILSON_MATRIX),
        "PR1976, MHV1 with Wilson (A12 = 449.3, A21 = 1964.6)",
    ),
    (
        ["--activity", "nrtl", "--parameters", json.dumps(NRTL), "--vapour", "virial"],
        lambda n: T.activity(n, "NRTL", NRTL, vapour="Virial"),
        "NRTL (a, b, alpha) liquid, Virial vapour",
    ),
]


@pytest.mark.parametrize("options, system, model", MODEL_CASES, ids=[" ".join(c[0]) for c in MODEL_CASES])
def test_model_options_choose_the_curve(options, system, model, capsys):
    curve = EquilibriumCurve.from_thermo(system(["methanol", "water"]), 101.325, 21)
    status, out, err = run(["--components", "methanol", "water", "--points", "21", *options], capsys)
    assert status == 0, err
    assert field(out, "curve") == f"{curve!r}, methanol / water, {model}"
    assert field(out, "R_min").startswith(f"{rmin(curve, 0.95, 0.05, 0.5).r_min:.4f} ")


def split_test_fails(*_):
    raise RuntimeError("thermo evaluation failed: no stability")


@pytest.mark.parametrize(
    "options, warning",
    [
        ([], "on this model the liquid splits into two liquid phases for 0."),
        (WILSON, None),
        (["--xd", "0.99", "--xb", "0.6", "--zf", "0.8"], None),  # the split lies below x_B
        (split_test_fails, "the liquid's stability could not be tested: thermo evaluation failed: no stability"),
    ],
    ids=["PR kij=0", "Wilson", "split outside the design", "test fails"],
)
def test_a_liquid_split_in_the_design_range_is_one_warning(options, warning, capsys, monkeypatch):
    if callable(options):
        monkeypatch.setattr(kolvar.cli, "_split_along_curve", options)
        options = []
    status, out, err = run(["--components", "methanol", "water", "--points", "21", *options], capsys)
    assert status == 0 and field(out, "stages")
    if warning is None:
        assert err == ""
    else:
        assert err.startswith("kolvar: warning: " + warning) and err.count("\n") == 1


@pytest.mark.parametrize(
    "argv, message",
    [
        (["--alpha", "2", "--eos", "PR1976"], "--eos applies to a curve from --components, not to --alpha"),
        (["--parameters", "1", "2"], "--parameters needs --activity MODEL"),
        (["--vapour", "Virial"], "--vapour applies to an activity-coefficient liquid"),
        (["--eos", "RKS1972", *WILSON, "--vapour", "Virial"], "--vapour applies to an activity-coefficient"),
        (["--eos", "PR2"], 'unknown equation of state "PR2" (valid names: PR1976, '),
        (["--kij", "x"], "argument --kij: invalid float value: 'x'"),
        (["--activity", "NRTL", "--parameters", '{"a": '], "argument --parameters: invalid JSON: "),
        (["--activity", "NRTL", "--parameters", "1", "2"], "dimension mismatch: activity model NRTL takes parameters "
         'as a mapping with the keys "a", "b" and "alpha"'),
        (["--activity", "Wilson", "--parameters", "1"], "argument --parameters: expected two numbers A12 A21"),
    ],
)
def test_model_option_errors(argv, message, capsys):
    status, _, err = run(argv, capsys)
    assert status == 2
    assert err.startswith("kolvar: error: " + message) and err.count("\n") == 1


def test_help_lists_the_model_names(capsys):
    with pytest.raises(SystemExit):
        main(["--help"])
    text = " ".join(capsys.readouterr().out.split())
    names = model_names()
    for kind in ("eos", "mixing_rule", "activity"):
        for name in names[kind]:
            assert name in text
