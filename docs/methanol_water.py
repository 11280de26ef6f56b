"""Draw docs/methanol_water.png: methanol/water at 101.325 kPa on two models.

Left, the x-y diagram of a design on a Wilson liquid (parameters chosen by
the user, see the README) with the Peng-Robinson kij = 0 curve beside it;
right, the Peng-Robinson T-x-y diagram, where the liquid splits.

Run from the repository root after `pip install '.[plot]'`:

    python docs/methanol_water.py
"""

from matplotlib.backends.backend_agg import FigureCanvasAgg
from matplotlib.figure import Figure

import kolvar
from kolvar import plot

P = 101.325
NAMES = ["methanol", "water"]

wilson = kolvar.ThermoSystem.activity(NAMES, "Wilson", [[0.0, 449.3], [1964.6, 0.0]])
pr = kolvar.ThermoSystem.peng_robinson(NAMES)

curve = kolvar.EquilibriumCurve.from_thermo(wilson, P)
r_min = kolvar.rmin(curve, 0.95, 0.05, 0.5).r_min
design = kolvar.mccabe_thiele(curve, 0.95, 0.05, 0.5, 1.5 * r_min)

figure = Figure(figsize=(13.0, 6.5), layout="constrained")
FigureCanvasAgg(figure)
left, right = figure.subplots(1, 2)
plot.mccabe_thiele(curve, design, left, components=NAMES)
pr_curve = kolvar.EquilibriumCurve.from_thermo(pr, P)
left.plot(pr_curve.x, pr_curve.y, color="tab:brown", linestyle=":", linewidth=1.6, label="Peng-Robinson, kij = 0")
left.legend(loc="lower right", fontsize=8, framealpha=0.9)
left.set_title("Wilson liquid, ideal-gas vapour\n" + left.get_title(), fontsize=10)
plot.txy(pr, right, pressure=P)
right.set_title("Peng-Robinson, kij = 0\n" + right.get_title(), fontsize=10)
figure.savefig("docs/methanol_water.png", dpi=110)
