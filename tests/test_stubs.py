"""The type stubs of kolvar._engine: shipped with the package and true to the module."""

import os
import subprocess
import sys
import textwrap
from pathlib import Path

import pytest

import kolvar

pytest.importorskip("mypy")

PACKAGE = Path(kolvar.__file__).parent


def mypy_env(tmp_path):
    env = dict(os.environ, MYPY_CACHE_DIR=str(tmp_path / "mypy-cache"))
    env.pop("MYPYPATH", None)
    return env


def test_stubs_are_installed_with_the_package():
    assert (PACKAGE / "_engine.pyi").is_file()
    assert (PACKAGE / "py.typed").is_file()


def run_tool(tmp_path, *args):
    return subprocess.run(
        [sys.executable, "-m", *args],
        capture_output=True,
        text=True,
        cwd=tmp_path,
        env=mypy_env(tmp_path),
        check=False,
        timeout=300,
    )


def test_stubtest_finds_no_difference(tmp_path):
    done = run_tool(tmp_path, "mypy.stubtest", "kolvar._engine")
    assert done.returncode == 0, done.stdout + done.stderr


def run_mypy(tmp_path, source):
    program = tmp_path / "program.py"
    program.write_text(textwrap.dedent(source))
    return run_tool(tmp_path, "mypy", "--strict", "--no-error-summary", str(program))


def test_results_have_precise_types(tmp_path):
    done = run_mypy(
        tmp_path,
        """
        import kolvar
        curve = kolvar.EquilibriumCurve.constant_alpha(2.5)
        result = kolvar.mccabe_thiele(curve, 0.95, 0.05, 0.5, 2.0, condenser="partial")
        reveal_type(result.staircase)
        reveal_type(result.stages[0].index)
        reveal_type(result.rmin.pinch)
        reveal_type(curve.pressure)
        reveal_type(kolvar.n_vs_r(curve, [1.5, 2], 0.95, 0.05, 0.5))
        reveal_type(kolvar.CondenserKind.Total)
        reveal_type(kolvar.ThermoSystem.peng_robinson(["benzene", "toluene"]).bubble_temperature(101.325, [0.5, 0.5]))
        """,
    )
    revealed = [
        line.split("Revealed type is ", 1)[1].strip('"').replace("builtins.", "").replace("Union[float, None]", "float | None")
        for line in done.stdout.splitlines()
        if "Revealed type is " in line
    ]
    assert revealed == [
        "list[tuple[float, float]]",
        "int",
        "tuple[float, float]",
        "float | None",
        "list[tuple[float, float]]",
        "kolvar._engine.CondenserKind",
        "tuple[float, list[float], list[float]]",
    ], done.stdout + done.stderr


def test_wrong_argument_types_are_caught(tmp_path):
    done = run_mypy(
        tmp_path,
        """
        import kolvar
        kolvar.Feed("100", 0.5)
        kolvar.EquilibriumCurve.constant_alpha(2.5, n_points=5.0)
        kolvar.ThermoSystem.peng_robinson(["benzene"]).bubble_pressure(350.0, 0.5)
        """,
    )
    errors = [line for line in done.stdout.splitlines() if ": error:" in line]
    assert [line.split(":")[1] for line in errors] == ["3", "4", "5"], done.stdout


def test_the_package_passes_strict_mypy(tmp_path):
    config = Path(__file__).resolve().parents[1] / "pyproject.toml"
    options = ["--config-file", str(config)] if config.is_file() else []
    done = run_tool(tmp_path, "mypy", "--strict", *options, "-p", "kolvar")
    assert done.returncode == 0, done.stdout + done.stderr
