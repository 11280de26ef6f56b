"""Draw docs/enthalpy_composition.png: one methanol/water column designed twice.

Left, the McCabe-Thiele design at constant molar overflow; right, the
enthalpy-balanced (Ponchon-Savarit) design of the same column on the
enthalpy-composition diagram. Both on the README's Wilson liquid at
101.325 kPa, x_D = 0.95, x_B = 0.05, a saturated-liquid feed z_F = 0.5 and
R = 1.5 R_min of the McCabe-Thiele design.

Run from the repository root after `pip install '.[plot]'`:

    python docs/enthalpy_composition.py
"""

from matplotlib.backends.backend_agg import FigureCanvasAgg
from matplotlib.figure import Figure

import kolvar
from kolvar import plot

P = 101.325
NAMES = ["methanol", "water"]

wilson = kolvar.ThermoSystem.activity(NAMES, "Wilson", [[0.0, 449.3], [1964.6, 0.0]])
column = kolvar.BinaryColumn(P, kolvar.Feed(100.0, 0.5), 0.95, 0.05)

curve = kolvar.EquilibriumCurve.from_thermo(wilson, P)
reflux = 1.5 * kolvar.rmin(curve, 0.95, 0.05, 0.5).r_min
mccabe = kolvar.mccabe_thiele(curve, 0.95, 0.05, 0.5, reflux)
ponchon = kolvar.ponchon_savarit(wilson, column, reflux)

figure = Figure(figsize=(13.0, 6.5), layout="constrained")
FigureCanvasAgg(figure)
left, right = figure.subplots(1, 2)
plot.mccabe_thiele(curve, mccabe, left, components=NAMES)
left.set_title("Constant molar overflow\n" + left.get_title(), fontsize=10)
plot.enthalpy_composition(wilson, P, ponchon, right)
figure.savefig("docs/enthalpy_composition.png", dpi=110)
