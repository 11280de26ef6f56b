"""Draw docs/unifac_azeotropes.png: two azeotropes at 101.325 kPa predicted by
UNIFAC with no parameters.

Left, ethanol/water on UNIFAC with the NRTL curve of the README beside it;
right, acetone/methanol on UNIFAC and UNIFAC-Dortmund. Each azeotrope is
marked where y* - x changes sign.

Run from the repository root after `pip install '.[plot]'`:

    python docs/unifac_azeotropes.py
"""

from matplotlib.backends.backend_agg import FigureCanvasAgg
from matplotlib.figure import Figure

import kolvar

P = 101.325
NRTL = {"a": [[0.0, -0.8009], [3.4578, 0.0]], "b": [[0.0, 246.18], [-586.0809, 0.0]], "alpha": [[0.0, 0.3], [0.3, 0.0]]}


def azeotrope(system):
    lo, hi = 0.3, 0.99
    for _ in range(50):
        mid = 0.5 * (lo + hi)
        t, y, _ = system.bubble_temperature(P, [mid, 1.0 - mid])
        lo, hi = (mid, hi) if y[0] > mid else (lo, mid)
    return mid, t


figure = Figure(figsize=(12.0, 6.0), layout="constrained")
FigureCanvasAgg(figure)
panels = zip(
    figure.subplots(1, 2),
    (["ethanol", "water"], ["acetone", "methanol"]),
    ([("UNIFAC", None, "-"), ("NRTL", NRTL, ":")], [("UNIFAC", None, "-"), ("UNIFAC-Dortmund", None, "--")]),
)
for ax, names, models in panels:
    ax.plot([0, 1], [0, 1], color="grey", linewidth=0.8)
    for model, parameters, style in models:
        system = kolvar.ThermoSystem.activity(names, model, parameters)
        curve = kolvar.EquilibriumCurve.from_thermo(system, P)
        x, t = azeotrope(system)
        line = ax.plot(curve.x, curve.y, linestyle=style, label=f"{model}: azeotrope x = {x:.3f}, {t:.2f} K")[0]
        ax.plot([x], [x], "o", color=line.get_color())
    ax.set(xlim=(0, 1), ylim=(0, 1), aspect="equal", xlabel=f"x {names[0]}", ylabel=f"y* {names[0]}",
           title=f"{names[0]}/{names[1]} at {P} kPa")
    ax.legend(loc="lower right", fontsize=8)
figure.savefig("docs/unifac_azeotropes.png", dpi=100)
