"""Limits, import and lifetime of the native module.

Checks that need a pristine interpreter (first component lookup, a second
interpreter, re-import) run in a fresh child process of the same interpreter,
which inherits the environment (and so the sanitizer runtime when present).
"""

from __future__ import annotations

import importlib.util
import os
import subprocess
import sys
import textwrap
import time

import pytest

from kolvar import _engine as e

# Also run against the sanitized build by tools/run-tests.
pytestmark = pytest.mark.sanitized



def run_child(code: str, timeout: float = 120) -> str:
    """Runs `code` in a fresh interpreter; returns its standard output."""
    done = subprocess.run([sys.executable, "-c", textwrap.dedent(code)], capture_output=True, text=True,
                          timeout=timeout)
    assert done.returncode == 0, done.stderr
    return done.stdout


def _refuses_at_once(call, n):
    start = time.perf_counter()
    with pytest.raises(ValueError) as info:
        call()
    assert time.perf_counter() - start < 1.0
    assert str(info.value) == f"dimension mismatch: n_points must be at most 100000000, got {n}"


@pytest.mark.parametrize("n", [10**8 + 1, 2**31, 2**62, 2**64 - 1])
def test_constant_alpha_refuses_a_huge_grid_at_once(n):
    _refuses_at_once(lambda: e.EquilibriumCurve.constant_alpha(2.5, n), n)


@pytest.mark.parametrize("n", [10**8 + 1, 2**62, 2**64 - 1])
def test_from_thermo_refuses_a_huge_grid_at_once(n):
    system = e.ThermoSystem.peng_robinson(["methanol", "water"])
    _refuses_at_once(lambda: e.EquilibriumCurve.from_thermo(system, 101.325, n), n)


@pytest.mark.parametrize("n", [2**64, -1, -(2**63)])
def test_counts_outside_64_bits_overflow(n):
    with pytest.raises(OverflowError):
        e.EquilibriumCurve.constant_alpha(2.5, n)


# Code that imports the module in a subinterpreter and writes the outcome to
# the standard output.
SUBINTERPRETER_IMPORT = """
import os
try:
    import kolvar._engine
except ImportError as error:
    os.write(1, ("refused: " + str(error) + "\\n").encode())
else:
    os.write(1, b"imported\\n")
"""

# How a parent interpreter runs that code in a subinterpreter of each kind:
# one sharing the interpreter lock (all versions), or one with its own lock
# that refuses single-phase modules itself (3.12 on).
RUN_IN_SUBINTERPRETER = {
    "shared": "import _testcapi\n_testcapi.run_in_subinterp({code!r})",
    "isolated": "import {module} as interpreters\n"
    "interp = interpreters.create()\n"
    "interpreters.run_string(interp, {code!r})\n"
    "interpreters.destroy(interp)",
}


def subinterpreter_runner(kind):
    """The code running SUBINTERPRETER_IMPORT in a subinterpreter of `kind`; skips where there is none."""
    if kind == "shared":
        if importlib.util.find_spec("_testcapi") is None:
            pytest.skip("this interpreter is built without _testcapi, which runs code in a subinterpreter")
        return RUN_IN_SUBINTERPRETER[kind].format(code=SUBINTERPRETER_IMPORT)
    if sys.version_info < (3, 12):
        pytest.skip("subinterpreters with their own interpreter lock exist from Python 3.12 on")
    module = "_interpreters" if sys.version_info >= (3, 13) else "_xxsubinterpreters"
    if importlib.util.find_spec(module) is None:
        pytest.skip(f"this interpreter is built without {module}")
    return RUN_IN_SUBINTERPRETER[kind].format(module=module, code=SUBINTERPRETER_IMPORT)


@pytest.mark.parametrize("kind", ["shared", "isolated"])
@pytest.mark.parametrize("main_first", [True, False], ids=["main-first", "subinterpreter-first"])
def test_a_second_interpreter_is_refused(kind, main_first):
    """Whichever interpreter tries first, subinterpreters are refused and the main interpreter imports."""
    main_import = "import kolvar._engine as engine\n"
    out = run_child(
        (main_import if main_first else "")
        + subinterpreter_runner(kind)
        + "\n"
        + ("" if main_first else main_import)
        + "print(engine.EquilibriumCurve.constant_alpha(2.5).y_of_x(0.5))\n"
    )
    refusal, value = out.splitlines()
    assert refusal.startswith("refused: ") and "does not support" in refusal and "subinterpreters" in refusal
    assert float(value) == pytest.approx(2.5 * 0.5 / (1 + 1.5 * 0.5))


def test_reimport_after_removal_gives_the_working_module():
    out = run_child(
        """
        import importlib, sys
        import kolvar._engine as first

        feed = first.Feed(100, 0.4)
        del sys.modules["kolvar._engine"]
        second = importlib.import_module("kolvar._engine")
        third = importlib.reload(second)
        column = second.BinaryColumn(101.325, feed, 0.95, 0.05)  # an instance made before the re-import
        curve = third.EquilibriumCurve.constant_alpha(2.5)
        print(second is first, third is first, second.__all__ == first.__all__)
        print(repr(column), round(second.mccabe_thiele(curve, 0.95, 0.05, 0.4, 2.0).n_stages, 6))
        """
    )
    identity, use = out.splitlines()
    assert identity == "True True True"
    assert use.startswith("BinaryColumn(P=101.325 kPa, zF=0.4, xD=0.95, xB=0.05) ")


def test_concurrent_first_lookups_build_one_table():
    out = run_child(
        """
        import threading
        from kolvar import _engine as engine

        names = ["methanol", "water", "ethanol", "benzene", "toluene", "acetone", "n-hexane", "water"]
        barrier = threading.Barrier(8)
        results, errors = [None] * 8, []

        def look_up(i):
            barrier.wait()
            try:
                system = engine.ThermoSystem.peng_robinson([names[i], "water"])
                results[i] = (repr(system), system.components)
            except BaseException as error:
                errors.append(repr(error))

        threads = [threading.Thread(target=look_up, args=(i,)) for i in range(8)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        print(errors)
        for result in results:
            print(result)
        """
    )
    lines = out.splitlines()
    assert lines[0] == "[]"
    expected = [repr((f"ThermoSystem({n}, water)", [n, "water"]))
                for n in ["methanol", "water", "ethanol", "benzene", "toluene", "acetone", "n-hexane", "water"]]
    assert lines[1:] == expected


@pytest.mark.skipif(os.environ.get("KOLVAR_SANITIZED") != "1", reason="only in the sanitizer run")
def test_sanitizer_run_uses_the_instrumented_module():
    with open("/proc/self/maps") as maps:
        mapped = maps.read()
    assert "libasan" in mapped
    assert os.path.join("build", "sanitize") in e.__file__


def test_recursion_through_argument_conversion_ends_in_recursion_error():
    """A __float__/__index__ that calls back into the module, without end, stops at the interpreter's limit."""
    out = run_child(
        """
        from kolvar import _engine as engine

        class Float:
            def __float__(self):
                return engine.Feed(Float(), 0.5).rate

        class Index:
            def __index__(self):
                return len(engine.EquilibriumCurve.constant_alpha(2.0, Index()).x)

        for call in (lambda: engine.Feed(Float(), 0.5), lambda: engine.EquilibriumCurve.constant_alpha(2.0, Index())):
            try:
                call()
            except RecursionError:
                print("RecursionError")
        print(engine.Feed(1, 0.5))
        """
    )
    assert out.splitlines() == ["RecursionError", "RecursionError", "Feed(rate=1 kmol/h, z=0.5, q=1)"]


@pytest.mark.skipif(os.environ.get("KOLVAR_SANITIZED") == "1", reason="ASan needs the address space it reserves")
def test_an_allocation_failure_is_a_memory_error():
    """Samples that do not fit the address space raise MemoryError and leave the module usable."""
    out = run_child(
        """
        import resource
        from kolvar import _engine as engine

        with open("/proc/self/statm") as statm:
            used = int(statm.read().split()[0]) * resource.getpagesize()
        limit = used + 512 * 2**20  # two arrays of 10^8 doubles need 1.6 GB
        resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
        try:
            engine.EquilibriumCurve.constant_alpha(2.5, 10**8)
        except MemoryError:
            print("MemoryError")
        print(engine.EquilibriumCurve.constant_alpha(2.5, 11).y_of_x(0.5))
        """
    )
    lines = out.splitlines()
    assert lines[0] == "MemoryError"
    assert float(lines[1]) == pytest.approx(2.5 * 0.5 / (1 + 1.5 * 0.5))
