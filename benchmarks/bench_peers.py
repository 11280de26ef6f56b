"""Bubble temperatures beside two peer libraries, timed in one process.

    pip install ".[bench]"          # thermo and phasepy, for this script only
    python benchmarks/bench_peers.py

The same Peng-Robinson bubble temperatures (kij = 0) with the same critical
constants, read from kolvar's own component document: kolvar's
ThermoSystem.bubble_temperature, thermo's FlashVL over CEOSGas/CEOSLiquid
with PRMIX (flash at vapour fraction 0), and phasepy's bubbleTy with preos
(started from Wilson's estimate, worked out outside the timing). Each figure is
the best of several repeats; the ratios are peer time over kolvar's time. The
last column is the largest difference of the peers' temperatures from
kolvar's.
"""

import json
import math
import pathlib
import timeit

import kolvar as kv

DOCUMENT = pathlib.Path(__file__).resolve().parent.parent / "thermo" / "src" / "db" / "components.json"
PRESSURE = 101.325  # kPa
TARGET_RATIO = 50.0


def best_per_call(function, number, repeat=5):
    return min(timeit.repeat(function, number=number, repeat=repeat)) / number


def calls_for(function, budget=0.2):
    """How many calls fill about `budget` seconds (at least one)."""
    return max(1, int(budget / max(timeit.timeit(function, number=1), 1e-7)))


def constants(names):
    compounds = json.loads(DOCUMENT.read_text())["compounds"]
    return [compounds[name] for name in names]


def wilson_guess(records, x, pressure_kpa):
    """Bubble temperature and vapour of Wilson's K-values, by bisection on T."""
    def k_values(t):
        return [c["pc"] / pressure_kpa * math.exp(5.373 * (1 + c["omega"]) * (1 - c["tc"] / t)) for c in records]

    lo, hi = 50.0, 1000.0
    for _ in range(80):
        mid = 0.5 * (lo + hi)
        if sum(k * xi for k, xi in zip(k_values(mid), x)) > 1.0:
            hi = mid
        else:
            lo = mid
    k = k_values(lo)
    total = sum(ki * xi for ki, xi in zip(k, x))
    return lo, [ki * xi / total for ki, xi in zip(k, x)]


class Kolvar:
    name = "kolvar"

    def __init__(self, names, records):
        self.system = kv.ThermoSystem.peng_robinson(names)

    def bubble_temperature(self, x):
        return self.system.bubble_temperature(PRESSURE, x)[0]

    def curve(self, grid):
        return kv.EquilibriumCurve.from_thermo(self.system, PRESSURE, len(grid)).t


class Thermo:
    name = "thermo"

    def __init__(self, names, records):
        from thermo import CEOSGas, CEOSLiquid, ChemicalConstantsPackage, FlashVL, PRMIX, PropertyCorrelationsPackage
        from thermo.heat_capacity import HeatCapacityGas

        tcs = [c["tc"] for c in records]
        pcs = [c["pc"] * 1e3 for c in records]  # Pa
        omegas = [c["omega"] for c in records]
        package = ChemicalConstantsPackage(Tcs=tcs, Pcs=pcs, omegas=omegas, MWs=[c["mw"] for c in records],
                                           names=list(names))
        # A flat ideal-gas heat capacity: the phases need one, a bubble point does not use it.
        cp = [HeatCapacityGas(poly_fit=(50.0, 1500.0, [0.0] * 8 + [100.0])) for _ in records]
        correlations = PropertyCorrelationsPackage(constants=package, HeatCapacityGases=cp, skip_missing=True)
        eos = dict(Tcs=tcs, Pcs=pcs, omegas=omegas, kijs=[[0.0] * len(records) for _ in records])
        self.flasher = FlashVL(package, correlations,
                               liquid=CEOSLiquid(PRMIX, eos_kwargs=eos, HeatCapacityGases=cp),
                               gas=CEOSGas(PRMIX, eos_kwargs=eos, HeatCapacityGases=cp))

    def bubble_temperature(self, x):
        return self.flasher.flash(P=PRESSURE * 1e3, VF=0.0, zs=list(x)).T

    def curve(self, grid):
        return [self.bubble_temperature([x1, 1.0 - x1]) for x1 in grid]


class Phasepy:
    name = "phasepy"

    def __init__(self, names, records):
        import numpy as np
        from phasepy import component, mixture, preos
        from phasepy.equilibrium import bubbleTy

        parts = [component(name=n, Tc=c["tc"], Pc=c["pc"] / 100.0, Zc=c["zc"], Vc=c["vc"], w=c["omega"])
                 for n, c in zip(names, records)]
        blend = mixture(parts[0], parts[1])
        blend.kij_cubic(np.zeros((2, 2)))
        self.np = np
        self.eos = preos(blend)
        self.solve = bubbleTy
        self.records = records
        self.guesses = {}

    def prepare(self, x):
        self.guesses[tuple(x)] = wilson_guess(self.records, x, PRESSURE)

    def bubble_temperature(self, x):
        t0, y0 = self.guesses[tuple(x)]
        return self.solve(self.np.array(y0), t0, self.np.array(x), PRESSURE / 100.0, self.eos)[1]

    def curve(self, grid):
        # Each point starts from the one before, as a caller sweeping x would.
        t0, y0 = wilson_guess(self.records, [grid[0], 1.0 - grid[0]], PRESSURE)
        out = []
        for x1 in grid:
            y, t0 = self.solve(self.np.array(y0), t0, self.np.array([x1, 1.0 - x1]), PRESSURE / 100.0, self.eos)
            y0 = list(y)
            out.append(t0)
        return out


def peers(names, records):
    found = []
    for peer in (Thermo, Phasepy):
        try:
            found.append(peer(names, records))
        except ImportError as missing:
            print(f"({peer.name} not installed: {missing}; pip install '.[bench]')")
    return found


def row(label, kolvar_seconds, peer_seconds, gap, unit):
    scale = 1e6 if unit == "us" else 1e3
    cells = [f"{label:<34}", f"{kolvar_seconds * scale:9.2f} {unit}"]
    for seconds in peer_seconds:
        ratio = seconds / kolvar_seconds
        flag = "" if ratio >= TARGET_RATIO else " (<50x)"
        cells.append(f"{seconds * scale:9.1f} {unit} {ratio:7.0f}x{flag}")
    cells.append(f"{gap:9.1e} K")
    print("  ".join(cells))


def main():
    pairs = {("benzene", "toluene"): (0.1, 0.5, 0.9), ("methanol", "water"): (0.1, 0.5, 0.9)}
    print(f"Peng-Robinson bubble temperatures at {PRESSURE} kPa, kij = 0; best of 5 repeats; ratio = peer / kolvar")
    header_done = False
    for names, compositions in pairs.items():
        records = constants(names)
        ours = Kolvar(names, records)
        others = peers(names, records)
        if not header_done:
            print("  ".join([f"{'case':<34}", f"{'kolvar':>12}"] + [f"{p.name:>22}" for p in others] + ["   max |dT|"]))
            header_done = True
        for x1 in compositions:
            x = [x1, 1.0 - x1]
            for peer in others:
                if hasattr(peer, "prepare"):
                    peer.prepare(x)
            reference = ours.bubble_temperature(x)
            gap = max((abs(p.bubble_temperature(x) - reference) for p in others), default=0.0)
            ours_time = best_per_call(lambda: ours.bubble_temperature(x), calls_for(lambda: ours.bubble_temperature(x)))
            times = [best_per_call(lambda p=p: p.bubble_temperature(x), calls_for(lambda p=p: p.bubble_temperature(x)),
                                   repeat=3) for p in others]
            row(f"{'/'.join(names)}, x = {x1}", ours_time, times, gap, "us")
        if names == ("benzene", "toluene"):
            grid = [i / 100.0 for i in range(101)]
            reference = ours.curve(grid)
            gap = max((max(abs(a - b) for a, b in zip(p.curve(grid), reference)) for p in others), default=0.0)
            ours_time = best_per_call(lambda: ours.curve(grid), calls_for(lambda: ours.curve(grid)))
            times = [best_per_call(lambda p=p: p.curve(grid), 1, repeat=3) for p in others]
            row(f"{'/'.join(names)}, 101-point curve", ours_time, times, gap, "ms")


if __name__ == "__main__":
    main()
