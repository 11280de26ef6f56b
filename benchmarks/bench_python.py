"""Per-call times of the Python surface, Python call included.

    python benchmarks/bench_python.py            # everything
    python benchmarks/bench_python.py design     # only the binary design
    python benchmarks/bench_python.py energy     # only the enthalpies, the feed condition and the column's energy
    python benchmarks/bench_python.py shortcut   # only the multicomponent shortcut
    python benchmarks/bench_python.py activity   # only the NRTL, UNIQUAC and UNIFAC bubble temperatures
    python benchmarks/bench_python.py people     # kolvar.design, plain data and notebook tables

Each figure is the best of several repeats of many calls, in microseconds
(or milliseconds for the thermodynamic sweeps).
"""

import sys
import timeit
import warnings

import kolvar as kv


def best_per_call(function, number, repeat=5):
    return min(timeit.repeat(function, number=number, repeat=repeat)) / number


def report(label, seconds, target=None, unit="us"):
    scale = 1e6 if unit == "us" else 1e3
    line = f"{label:<58} {seconds * scale:10.3f} {unit}"
    if target is not None:
        line += f"   (target <= {target} {unit})"
    print(line)


def design():
    curve = kv.EquilibriumCurve.constant_alpha(2.5)
    r_min = kv.rmin(curve, 0.95, 0.05, 0.5).r_min
    reflux = 1.5 * r_min
    refluxes = [r_min * (1.05 + 0.05 * i) for i in range(100)]
    print(f"binary design on a 101-point constant-alpha curve (alpha = 2.5, R = 1.5 R_min = {reflux:.4f})")
    report("mccabe_thiele, E_MV = 1", best_per_call(lambda: kv.mccabe_thiele(curve, 0.95, 0.05, 0.5, reflux), 20000), 3)
    report("mccabe_thiele, E_MV = 0.7",
           best_per_call(lambda: kv.mccabe_thiele(curve, 0.95, 0.05, 0.5, reflux, murphree=0.7), 2000), 25)
    report("rmin", best_per_call(lambda: kv.rmin(curve, 0.95, 0.05, 0.5), 20000))
    report("total_reflux", best_per_call(lambda: kv.total_reflux(curve, 0.95, 0.05), 20000))
    report("n_vs_r over 100 reflux values", best_per_call(lambda: kv.n_vs_r(curve, refluxes, 0.95, 0.05, 0.5), 500), 150)


def thermo():
    print("thermodynamics, Peng-Robinson with kij = 0 (bubble and dew temperatures at 101.325 kPa, pressures at 350 K)")
    for pair in (["benzene", "toluene"], ["methanol", "water"]):
        system = kv.ThermoSystem.peng_robinson(pair)
        label = "/".join(pair)
        for x1 in (0.1, 0.5, 0.9):
            x = [x1, 1.0 - x1]
            report(f"bubble_temperature, {label}, x = {x1}",
                   best_per_call(lambda: system.bubble_temperature(101.325, x), 20000), 15)
        for x1 in (0.1, 0.5, 0.9):
            x = [x1, 1.0 - x1]
            report(f"bubble_pressure, {label}, x = {x1}",
                   best_per_call(lambda: system.bubble_pressure(350.0, x), 20000), 8)
        for y1 in (0.1, 0.5, 0.9):
            y = [y1, 1.0 - y1]
            report(f"dew_temperature, {label}, y = {y1}",
                   best_per_call(lambda: system.dew_temperature(101.325, y), 20000), 15)
        for y1 in (0.1, 0.5, 0.9):
            y = [y1, 1.0 - y1]
            report(f"dew_pressure, {label}, y = {y1}",
                   best_per_call(lambda: system.dew_pressure(350.0, y), 20000), 8)
        t_bubble = system.bubble_temperature(101.325, [0.5, 0.5])[0]
        t_dew = system.dew_temperature(101.325, [0.5, 0.5])[0]
        for where, t in (("two phases", 0.5 * (t_bubble + t_dew)), ("liquid 20 K below its bubble point", t_bubble - 20.0)):
            report(f"stable_flash, {label}, z = 0.5, {where}",
                   best_per_call(lambda: system.stable_flash(t, 101.325, [0.5, 0.5]), 5000), 20)
        # The liquid-split test of every grid point included (methanol/water splits; its warning is silenced here).
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", kv.LiquidSplitWarning)
            report(f"from_thermo, 101 points, {label}",
                   best_per_call(lambda: kv.EquilibriumCurve.from_thermo(system, 101.325), 200), 1, unit="ms")


def energy():
    print("energy, Peng-Robinson benzene/toluene at 101.325 kPa (z = 0.44)")
    system = kv.ThermoSystem.peng_robinson(["benzene", "toluene"])
    z = [0.44, 0.56]
    report("enthalpy, liquid at 350 K", best_per_call(lambda: system.enthalpy(350.0, 101.325, z, "liquid"), 100000), 2)
    report("enthalpy, vapour at 380 K", best_per_call(lambda: system.enthalpy(380.0, 101.325, z, "vapour"), 100000), 2)
    for label, t in (("subcooled, 347 K", 347.0), ("two-phase, 370 K", 370.0), ("superheated, 390 K", 390.0)):
        report(f"feed_quality, {label}", best_per_call(lambda: system.feed_quality(t, 101.325, z), 20000), 20)
    print("the textbook column: 100 kmol/h, z_F = 0.44, x_D = 0.974, x_B = 0.0235, R = 3.5")
    for condenser in ("total", "partial"):
        column = kv.BinaryColumn(101.325, kv.Feed(100.0, 0.44), 0.974, 0.0235, condenser)
        report(f"column_energy, {condenser} condenser",
               best_per_call(lambda: kv.column_energy(system, column, 3.5), 5000), 30)
        report(f"ponchon_savarit, {condenser} condenser",
               best_per_call(lambda: kv.ponchon_savarit(system, column, 3.5), 200), 1.0, unit="ms")


def shortcut():
    names = ["propane", "n-butane", "n-pentane", "n-hexane"]
    system = kv.ThermoSystem.peng_robinson(names)
    z = [0.2, 0.3, 0.3, 0.2]
    print("multicomponent shortcut, Peng-Robinson, " + "/".join(names) + " at 800 kPa, keys n-butane/n-pentane")
    report("shortcut, recoveries 0.98/0.98, R = 1.3 R_min",
           best_per_call(lambda: kv.shortcut(system, 800.0, 100.0, z, "n-butane", "n-pentane", 0.98, 0.98,
                                             reflux_factor=1.3), 2000), 300)


def activity():
    print("activity models, ethanol/water with an ideal-gas vapour (bubble temperatures at 101.325 kPa)")
    nrtl = kv.ThermoSystem.activity(["ethanol", "water"], "NRTL", {
        "a": [[0, -0.8009], [3.4578, 0]], "b": [[0, 246.18], [-586.0809, 0]], "alpha": [[0, 0.3], [0.3, 0]]})
    uniquac = kv.ThermoSystem.activity(["ethanol", "water"], "UNIQUAC", {
        "r": [2.1055, 0.92], "q": [1.972, 1.4], "a": [[0, 0.1], [-0.2, 0]], "b": [[0, -150.0], [-30.0, 0]]})
    unifac = kv.ThermoSystem.activity(["ethanol", "water"], "UNIFAC")
    for label, system, target in (("NRTL", nrtl, 5), ("UNIQUAC", uniquac, None), ("UNIFAC", unifac, 6)):
        for x1 in (0.1, 0.5, 0.9):
            x = [x1, 1.0 - x1]
            report(f"bubble_temperature, {label}, x = {x1}",
                   best_per_call(lambda: system.bubble_temperature(101.325, x), 20000), target)


def people():
    system = kv.ThermoSystem.peng_robinson(["benzene", "toluene"])
    column = kv.BinaryColumn(101.325, kv.Feed(100.0, 0.44), 0.974, 0.0235)
    print("kolvar.design of the textbook column (R = 1.5 R_min, 101-point curve), its data and tables")
    report("design, McCabe-Thiele",
           best_per_call(lambda: kv.design(system, column, reflux_factor=1.5), 20, repeat=3), unit="ms")
    report("design, Ponchon-Savarit",
           best_per_call(lambda: kv.design(system, column, reflux_factor=1.5, method="ponchon_savarit"), 5,
                         repeat=3), unit="ms")
    made = kv.design(system, column, reflux_factor=1.5)
    report("McCabeThieleResult.to_dict", best_per_call(made.staircase.to_dict, 5000))
    report("McCabeThieleResult._repr_html_", best_per_call(made.staircase._repr_html_, 2000))
    report("ColumnDesign.to_dict (curve included)", best_per_call(made.to_dict, 2000))
    report("ColumnDesign.stage_table", best_per_call(made.stage_table, 500))


SECTIONS = {"design": design, "thermo": thermo, "energy": energy, "shortcut": shortcut, "activity": activity,
            "people": people}

if __name__ == "__main__":
    for name in sys.argv[1:] or SECTIONS:
        SECTIONS[name]()
