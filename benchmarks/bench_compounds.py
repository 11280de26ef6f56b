"""Compounds beyond the database, after ``pip install '.[chemicals]'``.

    python benchmarks/bench_compounds.py

The first name the database does not know is timed in fresh processes, from
after ``import kolvar`` to the record (the import of chemicals included);
later lookups of the cached record, and a system of looked-up compounds
against a database one, are the best of several repeats of many calls.
"""

import statistics
import subprocess
import sys
import timeit

import kolvar as kv

FIRST = """
import time, kolvar
start = time.perf_counter()
kolvar.component("ethyl acetate")
print(time.perf_counter() - start)
"""


def best_per_call(function, number, repeat=5):
    return min(timeit.repeat(function, number=number, repeat=repeat)) / number


def report(label, seconds, target=None, unit="us"):
    scale = {"us": 1e6, "ms": 1e3, "s": 1.0}[unit]
    line = f"{label:<62} {seconds * scale:10.3f} {unit}"
    if target is not None:
        line += f"   (target <= {target} {unit})"
    print(line)


def main():
    firsts = [float(subprocess.run([sys.executable, "-c", FIRST], capture_output=True, text=True, check=True).stdout)
              for _ in range(5)]
    report("first unknown name, chemicals imported (best of 5 processes)", min(firsts), 1.5, "s")
    report("first unknown name, chemicals imported (median of 5)", statistics.median(firsts), 1.5, "s")

    kv.component("ethyl acetate")
    report("kolvar.component, cached record", best_per_call(lambda: kv.component("ethyl acetate"), 20000), 20)
    report("kolvar.component, database compound", best_per_call(lambda: kv.component("benzene"), 20000))
    report("peng_robinson(ethyl acetate, 1-butanol), cached records",
           best_per_call(lambda: kv.ThermoSystem.peng_robinson(["ethyl acetate", "1-butanol"]), 20000))
    report("peng_robinson(benzene, toluene)",
           best_per_call(lambda: kv.ThermoSystem.peng_robinson(["benzene", "toluene"]), 20000))
    looked_up = kv.ThermoSystem.peng_robinson(["ethyl acetate", "1-butanol"])
    database = kv.ThermoSystem.peng_robinson(["benzene", "toluene"])
    for label, system in (("ethyl acetate/1-butanol", looked_up), ("benzene/toluene", database)):
        report(f"bubble_temperature, {label}, x = 0.5",
               best_per_call(lambda: system.bubble_temperature(101.325, [0.5, 0.5]), 20000))


if __name__ == "__main__":
    main()
