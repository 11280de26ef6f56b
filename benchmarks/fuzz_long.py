"""Long fuzz run of the Python surface of kolvar._engine.

Runs the call generator of tests/test_fuzz.py (seeded, reproducible) for a
given number of calls and reports how many calls were made, how many did not
behave as documented (wrong result type, or an exception other than the
documented ones), and how long it took; the progress lines show the resident
size, which stays flat once every kind of call has been made. A crash of the interpreter ends the
run; the last progress line and the fault handler's traceback say where.

    python benchmarks/fuzz_long.py --calls 1000000 [--seed 1] [--show 20]
"""

from __future__ import annotations

import argparse
import faulthandler
import os
import pathlib
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests"))

import test_fuzz as fuzz  # noqa: E402 - the generator lives with the bounded test


def resident_mib() -> float:
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE") / 2**20


def main(argv: list[str] | None = None) -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--calls", type=int, default=1_000_000, help="number of calls to make")
    parser.add_argument("--seed", type=int, default=1, help="seed of the pseudo-random choices")
    parser.add_argument("--show", type=int, default=20, help="failures to print in full")
    parser.add_argument("--progress", type=int, default=100_000, help="calls between progress lines")
    options = parser.parse_args(argv)

    faulthandler.enable()
    chooser = fuzz.RandomChooser(options.seed)
    failures = 0
    start = time.perf_counter()
    for done in range(1, options.calls + 1):
        failure = fuzz.run_call(fuzz.make_call(chooser))
        if failure is not None:
            failures += 1
            if failures <= options.show:
                print(f"failure {failures} at call {done}: {failure}", flush=True)
        if done % options.progress == 0:
            print(f"... {done} calls, {failures} failures, {time.perf_counter() - start:.1f} s, "
                  f"resident {resident_mib():.1f} MiB", flush=True)
    elapsed = time.perf_counter() - start
    print(f"calls: {options.calls}  failures: {failures}  seconds: {elapsed:.1f}  seed: {options.seed}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
