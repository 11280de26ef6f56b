"""A design study farmed out to a pool of threads, a pool of processes or a
Dask cluster gives the plain loop's results bit for bit.

Systems and curves are built here and pickled to the workers; the workers
build curves from the systems and run designs on the curves, and everything
comes back pickled. Every result is compared attribute by attribute, each
float by its eight bytes (so NaN stage counts and signed zeros count too).
"""

from __future__ import annotations

import concurrent.futures
import math
import multiprocessing
import re
import struct
import subprocess
import sys
from pathlib import Path

import pytest

import kolvar

X_D, X_B = 0.95, 0.05
FEEDS = (0.35, 0.5, 0.65)
# (reflux factor, Murphree efficiency) of the designs on each curve and feed.
DESIGNS = ((1.2, 1.0), (1.5, 0.7), (3.0, 1.0))
# Reflux factors of the sweep: 0.9 R_min fails, so its stage count is NaN.
SWEEP = (0.9, 1.1, 2.0)
PRESSURES = (101.325, 400.0)


def systems():
    # Each model carries parameters a worker could lose on the way: the curves
    # it builds would differ.
    pair = ["benzene", "toluene"]
    return [
        kolvar.ThermoSystem.peng_robinson(pair),
        kolvar.ThermoSystem.van_laar(pair, 0.2, 0.15),
        kolvar.ThermoSystem.cubic(pair, eos="PRSV1986", kij=[[0.0, 0.01], [0.01, 0.0]]),
        kolvar.ThermoSystem.activity(
            pair, "Wilson", [[1.0, 0.8], [1.2, 1.0]], vapour="Virial", saturation=["Riedel", "Antoine"]
        ),
    ]


def curve_of(system, pressure):
    return kolvar.EquilibriumCurve.from_thermo(system, pressure, 41)


def study(curve, z_feed):
    """Everything a study asks of one curve and feed."""
    minimum = kolvar.rmin(curve, X_D, X_B, z_feed)
    designs = [
        kolvar.mccabe_thiele(curve, X_D, X_B, z_feed, factor * minimum.r_min, murphree=efficiency)
        for factor, efficiency in DESIGNS
    ]
    sweep = kolvar.n_vs_r(curve, [factor * minimum.r_min for factor in SWEEP], X_D, X_B, z_feed)
    return minimum, designs, kolvar.total_reflux(curve, X_D, X_B, murphree=0.8), sweep


def run(map_, system_list, curve_list):
    """The study through `map_` (map, or a pool's or client's map and gather)."""
    grid = [(system, pressure) for system in system_list for pressure in PRESSURES]
    built = map_(curve_of, *zip(*grid))
    curves = curve_list + built
    points = [(curve, z) for curve in curves for z in FEEDS]
    return built, map_(study, *zip(*points))


def engine_file(*_):
    return kolvar._engine.__file__


def bits(value):
    """`value` as nested tuples, every float as its bytes and every object as its attributes."""
    if isinstance(value, float):
        return struct.pack("<d", value)
    if isinstance(value, (list, tuple)):
        return type(value).__name__, tuple(bits(item) for item in value)
    if value is None or isinstance(value, (bool, int, str)):
        return value
    if isinstance(value, kolvar.CondenserKind):
        return repr(value)
    names = [name for name in dir(value) if not name.startswith("_")]
    return type(value).__name__, tuple(
        (name, bits(getattr(value, name))) for name in names if not callable(getattr(value, name))
    )


def given_curves():
    return [
        kolvar.EquilibriumCurve.constant_alpha(2.5),
        kolvar.EquilibriumCurve.from_points([0.0, 0.2, 0.5, 0.8, 1.0], [0.0, 0.45, 0.75, 0.92, 1.0]),
    ]


@pytest.fixture(scope="module")
def expected():
    built, results = run(lambda function, *columns: list(map(function, *columns)), systems(), given_curves())
    # The failed sweep point is there, so a NaN that did not travel would show.
    assert all(math.isnan(sweep[0][1]) for *_, sweep in results)
    return bits(built), bits(results)


def threads():
    return concurrent.futures.ThreadPoolExecutor(2)


def processes():
    # Fresh interpreters: the workers import kolvar themselves and share
    # nothing with this process but what is pickled to them.
    return concurrent.futures.ProcessPoolExecutor(2, mp_context=multiprocessing.get_context("spawn"))


@pytest.mark.parametrize("pool", [threads, processes])
def test_pool_gives_the_loop_bits(pool, expected):
    with pool() as executor:
        built, results = run(
            lambda function, *columns: list(executor.map(function, *columns)), systems(), given_curves()
        )
        # The workers ran this build of the engine (the sanitized one in a sanitizer run).
        assert set(executor.map(engine_file, range(4))) == {kolvar._engine.__file__}
    assert (bits(built), bits(results)) == expected


def test_dask_cluster_gives_the_loop_bits(expected):
    from dask import distributed

    with distributed.LocalCluster(
        n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None
    ) as cluster, distributed.Client(cluster) as client:
        # Systems and curves are sent to the cluster once; tasks name them.
        system_list = client.scatter(systems())
        curve_list = client.scatter(given_curves())
        built, results = run(
            lambda function, *columns: client.gather(client.map(function, *columns)), system_list, curve_list
        )
        assert set(client.run(engine_file).values()) == {kolvar._engine.__file__}
    assert (bits(built), bits(results)) == expected


def test_readme_study_runs_as_written(tmp_path):
    readme = (Path(__file__).resolve().parent.parent / "README.md").read_text(encoding="utf-8")
    script, output = re.search(
        r"## Many designs\n.*?```python\n(.*?)```\n\nIt prints:\n\n```text\n(.*?)```", readme, re.S
    ).groups()
    (tmp_path / "study.py").write_text(script, encoding="utf-8")
    done = subprocess.run(
        [sys.executable, "study.py"], cwd=tmp_path, capture_output=True, text=True, timeout=300
    )
    assert done.returncode == 0, done.stderr
    assert done.stdout == output
