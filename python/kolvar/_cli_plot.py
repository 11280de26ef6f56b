"""The diagram that ``python -m kolvar --plot FILE`` writes."""

from __future__ import annotations

import os
from typing import Any, Dict

from ._cli_options import PLOT_FORMATS


def write_plot(path: str, run: Dict[str, Any]) -> None:
    """Draw the run's design (its diagram, split band included) or, for a
    synthetic curve, its McCabe–Thiele construction, and save it to ``path``
    in the format of its extension.  A Ponchon–Savarit design has its
    enthalpy–composition diagram beside its x–y diagram."""
    from . import plot

    # A bare Figure on the Agg canvas: no GUI backend and no pyplot state.
    from matplotlib.backends.backend_agg import FigureCanvasAgg
    from matplotlib.figure import Figure

    design = run["design"]
    both = design is not None and design.method == "ponchon_savarit"
    figure = Figure(figsize=(14.0, 7.0) if both else (7.0, 7.0), layout="constrained")
    FigureCanvasAgg(figure)
    if both:
        ax, beside = figure.subplots(1, 2)
        plot.enthalpy_composition(design.system, design.column.pressure, design.staircase, beside)
    else:
        ax = figure.add_subplot()
    if design is not None:
        design.plot(ax)
    else:
        plot.mccabe_thiele(run["curve"], run["result"], ax)
    save_figure(figure, path)


def save_figure(figure: Any, path: str) -> None:
    """Save ``figure`` to ``path`` in the format of its extension."""
    try:
        figure.savefig(path, format=PLOT_FORMATS[os.path.splitext(path)[1].lower()], dpi=150)
    except OSError as exc:
        raise OSError(f"cannot write the diagram to {path!r}: {exc.strerror or exc}") from exc
