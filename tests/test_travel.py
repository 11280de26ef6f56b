"""Values that travel: pickling and copying, engine work beside other threads,
and long calls that Ctrl-C stops.

A pickled value comes back as the same value, bit for bit; a damaged or
crafted pickle is input like any other and meets the constructors' checks.
"""

from __future__ import annotations

import copy
import json
import math
import os
import pickle
import signal
import struct
import subprocess
import sys
import textwrap
import threading
import time

import pytest

from kolvar import _engine as e

# Also run against the sanitized build by tools/run-tests.
pytestmark = pytest.mark.sanitized

T = e.ThermoSystem
PR = T.peng_robinson(["methanol", "water"])
CURVE = e.EquilibriumCurve.constant_alpha(2.5)
DESIGN = e.mccabe_thiele(CURVE, 0.9, 0.1, 0.5, 3.0, 0.5, 0.6, "partial")
SHORTCUT = e._shortcut(T.peng_robinson(["propane", "n-butane", "n-pentane"]), 800.0, 100.0, [0.3, 0.4, 0.3],
                       "n-butane", 2, 0.95, 0.9, reflux_factor=1.4)
BENZENE_TOLUENE = e.BinaryColumn(101.325, e.Feed(100, 0.44, 1.2), 0.974, 0.0235, "partial")
ENERGY = e._column_energy(T.peng_robinson(["benzene", "toluene"]), BENZENE_TOLUENE, 3.5)
BALANCED = e._ponchon_savarit(T.peng_robinson(["benzene", "toluene"]), BENZENE_TOLUENE, 3.5)
PHASES = PR.stable_flash(350.0, 101.325, [0.5, 0.5])


def _samples():
    """One or more instances of every class, odd values among them."""
    columns = [e.BinaryColumn(101.325, e.Feed(100, 0.4, math.nan), 0.95, 0.05, "partial")]
    curves = [
        CURVE,
        e.EquilibriumCurve.from_points([0, 0.25, 0.5, 0.75, 1], [0, 0.6, 0.6, 0.6, 1],
                                       [math.nan, -0.0, 1e300, 5e-324, 2], -math.inf),
        e.EquilibriumCurve.from_thermo(PR, 101.325, 11),
    ]
    systems = [
        PR,
        T.peng_robinson([]),
        T.peng_robinson(T._database_names()),  # every compound of the database, by its constants
        T.van_laar(["acetone", "water"], math.nan, -0.0),
        T.cubic(["methanol", {**T._database_component("water"), "name": "heavy water", "tc": 644.0}], "RKS1972",
                "MHV2", [[0, 0.02], [0.01, 0]], "Wilson", [[0, 100.0], [400.0, 0]], [[0.1, 0.2, 0.3, 0.4]] * 2),
        T.cubic(["benzene", "toluene"], "PRSV1986"),
        T.activity(["methanol", "water"], "Wilson", [[0, 100.0], [400.0, 0]], "Virial", ["Riedel", "Muller"], True),
        T.activity(["benzene", "n-heptane"], "RegularSolution", None, "PR1976", None, False, [9.2, 7.4]),
        T.cubic(["benzene", "n-heptane"], "PR1976", "MHV1", None, "RegularSolution", None, None, [9.2, 7.4]),
        T.ideal_solution(["benzene", "toluene"], "RK1949", ["RPM", "Antoine"]),
        T.grayson_streed(["propane", "n-butane"], "Virial"),
    ]
    results = [DESIGN, DESIGN.spec, DESIGN.rmin, DESIGN.stripping, DESIGN.stages[-1],
               e.total_reflux(CURVE, 0.95, 0.05, 0.7), e.CondenserKind.Partial, SHORTCUT, ENERGY, BALANCED,
               BALANCED.stages[0], *PHASES, PR.ln_phi_derivatives(350.0, 101.325, [0.5, 0.5], "liquid")]
    return columns + [columns[0].feed] + curves + systems + results


SAMPLES = _samples()


def engine_class(cls) -> bool:
    """A class of the module, whether or not it is one of the module's names."""
    return cls.__module__ == "builtins" and "__reduce__" in vars(cls)


def attributes(value):
    return [name for name, slot in vars(type(value)).items() if type(slot).__name__ == "getset_descriptor"]


def bits(value):
    """A value down to the bits of its floats; an instance as its attributes, its repr and its pickled state."""
    if type(value) is float:
        return struct.pack("<d", value).hex()
    if isinstance(value, (list, tuple)):
        return [bits(item) for item in value]
    if isinstance(value, dict):
        return {key: bits(item) for key, item in value.items()}
    if engine_class(type(value)):
        shown = repr(value) if type(value).__repr__ is not object.__repr__ else None
        return [type(value).__name__, shown, [(name, bits(getattr(value, name))) for name in attributes(value)],
                bits(value.__reduce__()[1])]
    return value


def reached_classes(values):
    """The classes of the values and of everything their attributes lead to."""
    found, pending = set(), list(values)
    while pending:
        value = pending.pop()
        if isinstance(value, (list, tuple)):
            pending.extend(value)
        elif engine_class(type(value)) and type(value) not in found:
            found.add(type(value))
            pending.extend(getattr(value, name) for name in attributes(value))
    return found


def test_every_class_is_sampled_and_the_reconstructor_stays_private():
    exposed = {getattr(e, name) for name in e.__all__ if isinstance(getattr(e, name), type)}
    assert exposed | reached_classes(SAMPLES) == {type(value) for value in SAMPLES}
    assert len(e.__all__) == 18 and "_rebuild" not in e.__all__
    assert {name for name in dir(e) if not name.startswith("_")} == set(e.__all__) - {"__version__"}
    assert e._rebuild.__module__ == "kolvar._engine"


@pytest.mark.parametrize("value", SAMPLES, ids=lambda v: type(v).__name__)
def test_pickle_and_copies_give_the_same_value_bit_for_bit(value):
    for protocol in range(2, pickle.HIGHEST_PROTOCOL + 1):
        back = pickle.loads(pickle.dumps(value, protocol))
        assert type(back) is type(value)
        assert bits(back) == bits(value)
    assert copy.copy(value) is value and copy.deepcopy(value) is value
    notebook = copy.deepcopy({"kept": [value, (value,)]})
    assert notebook["kept"][0] is value and notebook["kept"][1][0] is value
    if isinstance(value, T):
        # The whole model travels, not only what the attributes show.
        back = pickle.loads(pickle.dumps(value))
        questions = [lambda s: s.saturation_pressure(350.0)]
        if len(value.components) == 2:
            questions += [lambda s: s.bubble_temperature(101.325, [0.4, 0.6]),
                          lambda s: s.bubble_pressure(350.0, [0.4, 0.6])]
        for question in questions:
            assert answer(question, back) == answer(question, value)


def plain(value):
    """What to_dict() holds for an attribute's value."""
    if isinstance(value, float):
        return value if math.isfinite(value) else None
    if isinstance(value, (list, tuple)):
        return [plain(item) for item in value]
    if isinstance(value, e.CondenserKind):
        return str(value).rpartition(".")[2]
    if engine_class(type(value)):
        return {name: plain(getattr(value, name)) for name in attributes(value)}
    return value


@pytest.mark.parametrize("value", SAMPLES, ids=lambda v: type(v).__name__)
def test_plain_data_and_tables_hold_every_attribute(value):
    if isinstance(value, e.CondenserKind):
        assert not hasattr(value, "to_dict")  # a member is plain data as its name
        return
    data = value.to_dict()
    if isinstance(value, e.ThermoSystem):  # its record: names, the whole model and the constants
        assert list(data) == ["components", "model", "constants"] and data["components"] == value.components
    else:
        assert list(data) == attributes(value) and data == plain(value)
    assert json.loads(json.dumps(data, allow_nan=False)) == data
    page = value._repr_html_()
    # Each name heads its row, with its unit where its docstring states one.
    assert page.startswith("<table>") and all(f">{name}<" in page or f">{name} [" in page for name in data)


def answer(question, system):
    """The bits of what the system answers, or its failure."""
    try:
        return bits(question(system))
    except (ValueError, RuntimeError) as error:
        return repr(error)


class Crafted:
    """Pickles as a call of the module's reconstructor with the given class name and state."""

    def __init__(self, name, state):
        self.reduction = (e._rebuild, (name, state))

    def __reduce__(self):
        return self.reduction


def state_of(value, change=None):
    """The pickled state of `value` as a list, with `change(state)` applied to it."""
    state = list(value.__reduce__()[1][1])
    if change:
        change(state)
    return tuple(state)


def replace(index, item):
    def change(state):
        state[index] = item
    return change


def edit(index, function):
    def change(state):
        state[index] = function(state[index])
    return change


def system_state(system, components=None, model=None):
    state = system.__reduce__()[1][1]
    return (state[0] if components is None else components(state[0]), state[1] if model is None else model(state[1]))


class OddItems:
    """A mapping whose items are not (key, value) pairs."""

    def keys(self):
        return ["tc"]

    def items(self):
        return [1]

    def __getitem__(self, key):
        return 500.0


STAGES = DESIGN.stages
TOTAL = e.total_reflux(CURVE, 0.95, 0.05)
COLUMN = SAMPLES[0]
GRID = [0, 0.25, 0.5, 0.75, 1]
THREE = T.peng_robinson(["methanol", "water", "ethanol"])
CUBIC = SAMPLES[[type(v) for v in SAMPLES].index(T) + 4]

# (class name, state, exception, message): each refused with the checks of
# the class's constructor or of its constructions. A message ending in "…" is
# the beginning of the text.
DAMAGED = [
    ("Nothing", (), ValueError, 'kolvar._engine has no class "Nothing" to rebuild'),
    ("Feed\x00", (1.0, 0.5, 1.0), ValueError, 'kolvar._engine has no class "Feed\\0" to rebuild'),
    (3, (), TypeError, "argument 'class_name': 'int' object cannot be converted to 'PyString'"),
    ("Feed", [1.0, 0.5, 1.0], TypeError, "argument 'state': 'list' object cannot be converted to 'tuple'"),
    ("Feed", (1.0, 0.5), ValueError, "the state of Feed must have 3 items, got 2"),
    ("Feed", ("1", 0.5, 1.0), TypeError, "argument 'rate': must be real number, not str"),
    ("CondenserKind", (2,), ValueError, "dimension mismatch: condenser kind must be 0 or 1, got 2"),
    ("BinaryColumn", state_of(COLUMN, replace(2, e.Feed(100, 0.97))), ValueError,
     "dimension mismatch: specs must satisfy x_B < z_F < x_D, got x_B = 0.05, z_F = 0.97, x_D = 0.95"),
    ("BinaryColumn", state_of(COLUMN, replace(1, "partial")), TypeError,
     "argument 'condenser': 'str' object cannot be converted to 'CondenserKind'"),
    ("EquilibriumCurve", ([0, 0.5, 0.25, 0.75, 1], [0, 0.5, 0.7, 0.8, 1], [], None), ValueError,
     "dimension mismatch: x must be strictly increasing"),
    ("EquilibriumCurve", (GRID, [0, 0.5, 0.7, 1], [], None), ValueError,
     "dimension mismatch: x and y must have equal length ≥ 5, got 5 and 4"),
    ("EquilibriumCurve", (GRID, [0, 0.5, math.nan, 0.8, 1], [], None), ValueError,
     "dimension mismatch: y values must lie in [0, 1]"),
    ("EquilibriumCurve", (GRID, [0, 0.5, 0.7, 0.8, 1], [300.0], 101.325), ValueError,
     "dimension mismatch: t must be empty or match x's length 5, got 1"),
    # Only a curve from a thermodynamic system may turn back: with temperatures, a pressure and y from 0 to 1.
    ("EquilibriumCurve", (GRID, [1, 0.8, 0.5, 0.2, 0], [], None), ValueError,
     "dimension mismatch: y must be nondecreasing, unless the curve comes from a thermodynamic system "
     "(temperatures, a pressure and y from 0 at x = 0 to 1 at x = 1)"),
    ("EquilibriumCurve", (GRID, [0.1, 0.5, 0.4, 0.8, 1], [300.0] * 5, 101.325), ValueError,
     "dimension mismatch: y must be nondecreasing, unless the curve …"),
    ("Line", (math.inf, 0.0), ValueError,
     "dimension mismatch: line must have a finite slope and intercept, got inf and 0"),
    ("StagePoint", (0, 0.5, 0.5), ValueError, "dimension mismatch: stage index must lie in [1, 500], got 0"),
    ("StagePoint", (1.0, 0.5, 0.5), TypeError, "argument 'index': 'float' object cannot be interpreted as an integer"),
    ("StagePoint", (2**64, 0.5, 0.5), ValueError, "the state of StagePoint holds an integer out of range (…"),
    ("StagePoint", (-1, 0.5, 0.5), ValueError, "the state of StagePoint holds an integer out of range (…"),
    ("StagePoint", (1, 0.5, 1.5), ValueError,
     "dimension mismatch: stage 1 must have its corner in the unit square, got (0.5, 1.5)"),
    ("RminResult", state_of(DESIGN.rmin, replace(1, (-0.25, 0.5))), ValueError,
     "dimension mismatch: pinch must lie in the unit square, got (-0.25, 0.5)"),
    ("RminResult", state_of(DESIGN.rmin, replace(3, (0.5, 7.0))), ValueError,
     "dimension mismatch: feed point must lie in the unit square, got (0.5, 7)"),
    ("McCabeThieleResult", state_of(DESIGN, replace(3, -3)), ValueError,
     "the state of McCabeThieleResult holds an integer out of range (…"),
    ("RminResult", state_of(DESIGN.rmin, replace(0, -0.5)), ValueError,
     "dimension mismatch: minimum reflux must be finite and not negative, got -0.5"),
    ("RminResult", state_of(DESIGN.rmin, replace(2, 1)), TypeError,
     "argument 'tangent': 'int' object cannot be converted to 'bool'"),
    ("RminResult", state_of(DESIGN.rmin, replace(1, (0.5, 0.5, 0.5))), ValueError,
     "expected a sequence of length 2 (got 3)"),
    ("McCabeThieleSpec", state_of(DESIGN.spec, replace(5, 0.0)), ValueError,
     "dimension mismatch: Murphree efficiency must be in (0, 1], got 0"),
    ("McCabeThieleResult", state_of(DESIGN, replace(0, e.Feed(1, 0.5))), TypeError,
     "argument 'spec': 'Feed' object cannot be converted to 'McCabeThieleSpec'"),
    ("McCabeThieleResult", state_of(DESIGN, edit(8, lambda s: s[:-1])), ValueError,
     f"dimension mismatch: staircase must have 2 points per stage, got {2 * len(STAGES) - 1} for {len(STAGES)} stages"),
    ("McCabeThieleResult", state_of(DESIGN, edit(2, lambda s: s[1:])), ValueError,
     "dimension mismatch: stage 1 is numbered 2"),
    ("McCabeThieleResult", state_of(DESIGN, replace(1, len(STAGES) + 0.5)), ValueError,
     f"dimension mismatch: n_stages must lie in [N - 1, N] for N = {len(STAGES)} stages, got {len(STAGES) + 0.5}"),
    ("McCabeThieleResult", state_of(DESIGN, replace(3, 0)), ValueError,
     f"dimension mismatch: feed stage must lie in [1, {len(STAGES)}], got 0"),
    ("McCabeThieleResult", state_of(DESIGN, replace(6, DESIGN.rectifying)), ValueError,
     "dimension mismatch: the operating lines and their intersection must be those of the spec"),
    ("McCabeThieleResult", state_of(DESIGN, edit(8, lambda s: s[:3] + [(s[3][0], s[3][1] + 1e-9)] + s[4:])), ValueError,
     "dimension mismatch: staircase point 3 is not where the stages put it"),
    ("TotalRefluxResult", state_of(TOTAL, replace(0, math.nan)), ValueError,
     f"dimension mismatch: n_min must lie in [N - 1, N] for N = {len(TOTAL.stages)} stages, got NaN"),
    ("TotalRefluxResult", state_of(TOTAL, edit(1, lambda s: s[:1] + s[2:])), ValueError,
     "dimension mismatch: stage 2 is numbered 3"),
    ("ThermoSystem", system_state(PR, model=lambda m: ("unifac",)), ValueError,
     'unknown ThermoSystem constructor "unifac" (valid: peng_robinson, van_laar, cubic, activity, ideal_solution, '
     "grayson_streed)"),
    ("ThermoSystem", system_state(PR, model=lambda m: ("van_laar", 1.0)), ValueError,
     "a model of van_laar must have 3 items, got 2"),
    ("ThermoSystem", system_state(THREE, model=lambda m: ("van_laar", 1.0, 2.0)), ValueError,
     "dimension mismatch: van_laar needs 2 components, got 3"),
    ("ThermoSystem", system_state(PR, components=lambda c: [c[0], {**c[1], "tc": -5.0}]), ValueError,
     'dimension mismatch: component "water": tc must be positive and finite, got -5'),
    ("ThermoSystem", system_state(PR, components=lambda c: [c[0], OddItems()]), TypeError,
     "argument 'components': 'int' object cannot be converted to '(key, value) pair'"),
    ("ThermoSystem", system_state(PR, components=lambda c: [c[0], "unobtainium"]), RuntimeError,
     'thermo evaluation failed: component "unobtainium", not in the korrin database …'),
    ("ThermoSystem", system_state(CUBIC, model=lambda m: m[:3] + ([[0, math.nan], [0.01, 0]],) + m[4:]), ValueError,
     "dimension mismatch: kij[0][1] must be finite, got NaN"),
    ("ThermoSystem", system_state(CUBIC, model=lambda m: m[:1] + ("PR2",) + m[2:]), ValueError,
     'unknown equation of state "PR2" (valid names: PR1976, …'),
    ("ThermoSystem", system_state(CUBIC, model=lambda m: m[:6]), ValueError,
     "a model of cubic must have 7 to 8 items, got 6"),
    ("ThermoSystem", system_state(CUBIC, model=list), TypeError,
     "argument 'model': 'list' object cannot be converted to 'tuple'"),
    ("ShortcutResult", state_of(SHORTCUT, edit(3, lambda n: n + 1)), ValueError,
     "dimension mismatch: n_stages must be the Gilliland count …"),
    ("ShortcutResult", state_of(SHORTCUT, edit(6, lambda x: x[:-1])), ValueError,
     "dimension mismatch: distillate, bottoms and alpha must have one length of at least 2, got 2, 3 and 3"),
    ("ShortcutResult", state_of(SHORTCUT, edit(14, lambda a: [v * 1.5 for v in a])), ValueError,
     "dimension mismatch: alpha must hold the heavy key's 1 and a light key's value above 1"),
    ("ColumnEnergy", state_of(ENERGY, edit(5, lambda v: v + 1.0)), ValueError,
     "dimension mismatch: the stripping flows must balance: stripping_liquid_flow - boilup = …"),
    ("PonchonSavaritStage", state_of(BALANCED.stages[0], replace(4, -1.0)), ValueError,
     "dimension mismatch: stage 1: liquid_flow must be positive and finite, got -1"),
    ("PonchonSavaritResult", state_of(BALANCED, replace(1, BALANCED.r_min)), ValueError,
     f"dimension mismatch: reflux must be finite and above r_min = {BALANCED.r_min!r}, got {BALANCED.r_min!r}"),
    ("PonchonSavaritResult", state_of(BALANCED, edit(3, lambda s: s[1:])), ValueError,
     "dimension mismatch: stage 1 is numbered 2"),
    ("PonchonSavaritResult", state_of(BALANCED, replace(9, 40.0)), ValueError,
     "dimension mismatch: the rates must be the column's D = …"),
    ("EquilibriumPhase", state_of(PHASES[0], edit(0, lambda k: "solid")), ValueError,
     'dimension mismatch: kind must be "vapour" or "liquid", got "solid"'),
    ("EquilibriumPhase", state_of(PHASES[0], edit(1, lambda f: 0.0)), ValueError,
     "dimension mismatch: fraction must lie in (0, 1], got 0"),
    ("EquilibriumPhase", state_of(PHASES[0], edit(2, lambda c: [v * 0.9 for v in c])), ValueError,
     "dimension mismatch: composition must sum to 1, got a sum of 0.9…"),
]


def test_a_cubic_system_pickled_before_its_solubility_keyword_reads_back():
    older = pickle.dumps(Crafted("ThermoSystem", system_state(CUBIC, model=lambda m: m[:7])), 4)
    assert len(CUBIC.__reduce__()[1][1][1]) == 8
    assert bits(pickle.loads(older)) == bits(CUBIC)


@pytest.mark.parametrize("name, state, error, message", DAMAGED, ids=[f"{d[0]!s}-{i}" for i, d in enumerate(DAMAGED)])
def test_a_damaged_pickle_is_refused_by_the_checks(name, state, error, message):
    crafted = pickle.dumps(Crafted(name, state), 4)
    with pytest.raises(error) as raised:
        pickle.loads(crafted)
    text = str(raised.value)
    assert text == message or (message.endswith("…") and text.startswith(message[:-1]))


def test_threads_compute_concurrently_what_one_thread_computes():
    """Curves and sweeps made on two threads at once equal those made one after another."""
    van_laar = T.van_laar(["acetone", "water"], 2.0, 1.5)
    jobs = [lambda: e.EquilibriumCurve.from_thermo(PR, 101.325, 201),
            lambda: e.EquilibriumCurve.from_thermo(van_laar, 50.0, 201),
            lambda: e.n_vs_r(CURVE, [1.0 + i / 100 for i in range(400)], 0.95, 0.05, 0.5, murphree=0.7)]
    serial = [bits(job()) for job in jobs]
    for _ in range(2):
        results = [None] * len(jobs)
        start = threading.Barrier(len(jobs))

        def run(i):
            start.wait()
            results[i] = bits(jobs[i]())

        threads = [threading.Thread(target=run, args=(i,)) for i in range(len(jobs))]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        assert results == serial


# Engine work that takes minutes: bubble points of a system whose mixing
# rule solves an activity model at every step, and constructions of a
# hundred pseudo-stages on a fine curve.
SLOW_SYSTEM = ("engine.ThermoSystem.cubic(['methanol', 'water'], 'RKS1972', 'MHV2', None, 'Wilson', "
               "[[0, 100.0], [400.0, 0]])")
FINE_CURVE = "engine.EquilibriumCurve.constant_alpha(1.5, 10001)"
LONG_CALLS = {
    "from_thermo": (f"system = {SLOW_SYSTEM}", "engine.EquilibriumCurve.from_thermo(system, 101.325, 10**7)"),
    "n_vs_r": (f"system = {FINE_CURVE}", "engine.n_vs_r(system, [6.0] * 10**6, 0.99, 0.01, 0.5, murphree=0.5)"),
}


@pytest.mark.parametrize("call", sorted(LONG_CALLS))
def test_ctrl_c_stops_a_long_call(call):
    setup, long_call = LONG_CALLS[call]
    code = textwrap.dedent(f"""
        import signal, sys
        from kolvar import _engine as engine
        signal.signal(signal.SIGINT, signal.default_int_handler)  # also when started with SIGINT ignored
        {setup}
        held = sys.getrefcount(system)
        print("ready", flush=True)
        try:
            {long_call}
        except KeyboardInterrupt:
            print("interrupted", sys.getrefcount(system) - held, flush=True)
        print(engine.EquilibriumCurve.constant_alpha(2.5).y_of_x(0.5), flush=True)
        """)
    child = subprocess.Popen([sys.executable, "-c", code], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        assert child.stdout.readline() == "ready\n"
        time.sleep(0.5)  # well inside a call that would take minutes
        sent = time.monotonic()
        child.send_signal(signal.SIGINT)
        out, err = child.communicate(timeout=60)
        stopped = time.monotonic() - sent
    finally:
        child.kill()
    assert child.returncode == 0, err
    assert out.splitlines() == ["interrupted 0", str(2.5 * 0.5 / (1 + 1.5 * 0.5))]
    assert stopped < 5.0


# Calls of a few milliseconds, and ones that last past the first poll, in a
# loop that Ctrl-C must stop however the signal falls.
SHORT_CALLS = """
import kolvar
from kolvar import ThermoSystem as T
wilson = T.cubic(["methanol", "water"], "RKS1972", "MHV2", None, "Wilson", [[0, 100.0], [400.0, 0]])
mixture = T.peng_robinson(["methanol", "water", "n-hexane"])
bases = ["propane", "n-butane", "n-pentane", "n-hexane", "n-heptane"]
heavy = T.cubic([dict(kolvar.component(b), name=f"c{i}", tc=kolvar.component(b)["tc"] * (1 + 0.0005 * (i // 5)))
                 for i, b in enumerate(bases * 20)])
calls = [lambda: mixture.liquid_stability(308.0, 101.325, [0.3, 0.3, 0.4]),
         lambda: mixture.stable_flash(308.0, 101.325, [0.3, 0.3, 0.4]),
         lambda: wilson.bubble_temperature(101.325, [0.3, 0.7]),
         lambda: kolvar.EquilibriumCurve.from_thermo(wilson, 101.325, 21),
         lambda: kolvar.shortcut(heavy, 800.0, 100.0, [0.01] * 100, 1, 2, 0.98, 0.98, reflux_factor=1.3)]
"""


@pytest.mark.parametrize("calls", ["calls[:3]", "calls[3:4]", "calls[4:]"], ids=["short", "past-a-poll", "shortcut"])
def test_ctrl_c_stops_a_loop_of_calls_every_time(calls):
    """Each of three signals stops the loop within 0.1 s of its arrival, timed in the child from the moment
    the signal reaches it (a thread woken by the signal's wake-up descriptor), whatever the machine's load."""
    code = SHORT_CALLS + textwrap.dedent(f"""
        import os, signal, threading, time
        signal.signal(signal.SIGINT, signal.default_int_handler)
        wake, woken = os.pipe()
        os.set_blocking(woken, False)
        signal.set_wakeup_fd(woken)
        for _ in range(3):
            arrived = []
            watcher = threading.Thread(target=lambda: (os.read(wake, 1), arrived.append(time.monotonic())))
            watcher.start()
            print("ready", flush=True)
            try:
                while True:
                    for call in {calls}:
                        call()
            except KeyboardInterrupt:
                stopped = time.monotonic()
            watcher.join()
            print(round(stopped - arrived[0], 4), flush=True)
        """)
    child = subprocess.Popen([sys.executable, "-c", code], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    delays = []
    try:
        for _ in range(3):
            assert child.stdout.readline() == "ready\n"
            time.sleep(0.3)
            child.send_signal(signal.SIGINT)
            line = _line_within(child, 20.0)
            assert line is not None, "the signal was lost: the loop ran on"
            delays.append(float(line))
        assert child.wait(timeout=20) == 0, child.stderr.read()
    finally:
        child.kill()
    assert max(delays) < 0.1, delays


def _line_within(child, seconds):
    """The child's next line, or None when it writes none for that long."""
    got = []
    reader = threading.Thread(target=lambda: got.append(child.stdout.readline()), daemon=True)
    reader.start()
    reader.join(seconds)
    return got[0] if got else None


def test_the_interpreter_exits_cleanly_while_daemon_threads_compute():
    """A daemon thread still inside a long call when the interpreter shuts down does not abort the process."""
    code = textwrap.dedent(f"""
        import threading, time
        from kolvar import _engine as engine
        system = {SLOW_SYSTEM}
        curve = {FINE_CURVE}
        for work in (lambda: engine.EquilibriumCurve.from_thermo(system, 101.325, 10**7),
                     lambda: engine.n_vs_r(curve, [6.0] * 10**6, 0.99, 0.01, 0.5, murphree=0.5),
                     lambda: [system.bubble_temperature(101.325, [0.5, 0.5]) for _ in range(10**6)]):
            threading.Thread(target=work, daemon=True).start()
        time.sleep(0.3)
        print("done")
        """)
    done = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=120)
    assert (done.returncode, done.stdout, done.stderr) == (0, "done\n", "")


@pytest.mark.skipif(os.environ.get("KOLVAR_SANITIZED") == "1", reason="ASan needs the address space it reserves")
def test_an_allocation_failure_without_the_lock_is_a_memory_error():
    """The sweep's result list, allocated by the engine without the lock, does not fit: MemoryError, module usable."""
    code = textwrap.dedent("""
        import resource
        from kolvar import _engine as engine

        curve = engine.EquilibriumCurve.constant_alpha(2.5)
        r_values = [2.0] * (2 * 10**7)
        with open("/proc/self/statm") as statm:
            used = int(statm.read().split()[0]) * resource.getpagesize()
        # Converting takes up to 400 MB while the copy grows and keeps 270 MB;
        # the engine's 320 MB of pairs do not fit beside it.
        limit = used + 480 * 2**20
        resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
        try:
            engine.n_vs_r(curve, r_values, 0.95, 0.05, 0.5)
        except MemoryError:
            print("MemoryError")
        print(engine.n_vs_r(curve, [2.0], 0.95, 0.05, 0.5)[0][0])
        """)
    done = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=120)
    assert (done.returncode, done.stdout.split()) == (0, ["MemoryError", "2.0"]), done.stderr
