"""Wall times of engine work spread over threads, processes and a Dask cluster.

    python benchmarks/bench_parallel.py            # everything
    python benchmarks/bench_parallel.py threads    # four from_thermo calls, serial and on 2 threads
    python benchmarks/bench_parallel.py study      # a 10,000-design study: loop, process pool, Dask

Each figure is the best of several repeats (the machine may be shared, so the
best run is the one least disturbed). Every parallel run is checked against the
serial one, bit for bit, before its time is reported. The study needs the dask
extra: pip install '.[dask]'.
"""

import concurrent.futures
import os
import pickle
import sys
import time

import kolvar as kv


def best_of(function, repeat):
    """The shortest and the first of `repeat` wall times of `function()`, and its last result."""
    times = []
    for _ in range(repeat):
        start = time.perf_counter()
        result = function()
        times.append(time.perf_counter() - start)
    return min(times), times[0], result


def report(label, seconds, note=""):
    print(f"{label:<56} {seconds * 1e3:10.1f} ms{note}")


# --- Four curves at once ------------------------------------------------------

PRESSURES = (101.325, 202.65, 303.975, 405.3)
POINTS = 20001   # about 40 ms a call: long enough that the threads start and join in the noise


def threads():
    system = kv.ThermoSystem.peng_robinson(["benzene", "toluene"])

    def curve(pressure):
        return kv.EquilibriumCurve.from_thermo(system, pressure, POINTS)

    print(f"four from_thermo calls (benzene/toluene, Peng-Robinson, {POINTS} points, P = "
          + ", ".join(f"{p:g}" for p in PRESSURES) + f" kPa), on {os.cpu_count()} cores")
    serial_time, _, serial = best_of(lambda: [curve(p) for p in PRESSURES], 5)
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        pool_time, _, pooled = best_of(lambda: list(pool.map(curve, PRESSURES)), 5)
    assert pickle.dumps(pooled) == pickle.dumps(serial), "threads changed a curve"
    report("serial", serial_time)
    report("2 threads", pool_time, f"   speed-up {serial_time / pool_time:.2f}x (target >= 1.7x)")


# --- A 10,000-design study ----------------------------------------------------

X_D, X_B = 0.95, 0.05
ALPHAS = (1.5, 2.0, 2.5, 3.0, 4.0)
STUDY_PRESSURES = (101.325, 300.0, 1000.0)
FEEDS = tuple(0.2 + 0.06 * i for i in range(10))
FACTORS = tuple(1.05 + 0.1 * i for i in range(25))
EFFICIENCIES = (1.0, 0.9, 0.8, 0.7, 0.6)
CHUNKS_PER_WORKER = 4


def designs(curve, z_feed):
    """One curve and feed: a design at every reflux factor and Murphree efficiency."""
    r_min = kv.rmin(curve, X_D, X_B, z_feed).r_min
    return [
        kv.mccabe_thiele(curve, X_D, X_B, z_feed, factor * r_min, murphree=efficiency)
        for factor in FACTORS
        for efficiency in EFFICIENCIES
    ]


def stage_counts(curve, z_feed):
    return [result.n_stages for result in designs(curve, z_feed)]


def study():
    from dask.distributed import Client, LocalCluster

    system = kv.ThermoSystem.peng_robinson(["benzene", "toluene"])
    start = time.perf_counter()
    curves = [kv.EquilibriumCurve.constant_alpha(alpha) for alpha in ALPHAS]
    curves += [kv.EquilibriumCurve.from_thermo(system, p) for p in STUDY_PRESSURES]
    curve_time = time.perf_counter() - start
    columns = [c for c in curves for _ in FEEDS], [z for _ in curves for z in FEEDS]
    count = len(curves) * len(FEEDS) * len(FACTORS) * len(EFFICIENCIES)
    print(f"{count} designs: {len(ALPHAS)} constant-alpha and {len(STUDY_PRESSURES)} Peng-Robinson curves "
          f"x {len(FEEDS)} feeds x {len(FACTORS)} reflux factors x {len(EFFICIENCIES)} Murphree efficiencies, "
          f"{len(columns[0])} tasks")
    report(f"building the {len(curves)} curves (not in the times below)", curve_time)

    for label, task in (("results", designs), ("stage counts", stage_counts)):
        print(f"-- tasks return {label}")
        serial_time, _, serial = best_of(lambda: list(map(task, *columns)), 5)
        expected = pickle.dumps(serial)
        report("plain loop", serial_time)
        travel_time, _, _ = best_of(lambda: pickle.loads(pickle.dumps(serial)), 3)
        report(f"  (pickling and unpickling them once: {len(expected) / 1e6:.1f} MB)", travel_time)

        chunk = max(1, len(columns[0]) // (2 * CHUNKS_PER_WORKER))
        with concurrent.futures.ProcessPoolExecutor(2) as pool:
            pool_time, first, pooled = best_of(lambda: list(pool.map(task, *columns, chunksize=chunk)), 5)
        assert pickle.dumps(pooled) == expected, "the process pool changed a result"
        report("process pool, 2 workers", pool_time,
               f"   {serial_time / pool_time:.2f}x; first run, with the workers' start: {first * 1e3:.0f} ms")

        start = time.perf_counter()
        with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
                Client(cluster) as client:
            started = time.perf_counter() - start

            def on_dask():
                # Each curve travels to the cluster once; the tasks name it.
                sent = client.scatter(curves, broadcast=True, hash=False)
                placed = [future for future in sent for _ in FEEDS]
                return client.gather(client.map(task, placed, columns[1], pure=False))

            dask_time, _, dasked = best_of(on_dask, 5)
        assert pickle.dumps(dasked) == expected, "Dask changed a result"
        report("Dask LocalCluster, 2 worker processes", dask_time,
               f"   {serial_time / dask_time:.2f}x; cluster start {started * 1e3:.0f} ms")


SECTIONS = {"threads": threads, "study": study}

if __name__ == "__main__":
    for name in sys.argv[1:] or SECTIONS:
        SECTIONS[name]()
