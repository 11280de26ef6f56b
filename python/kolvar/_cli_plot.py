"""The diagram that ``python -m kolvar --plot FILE`` writes."""

from __future__ import annotations

import os
from typing import Any, Dict

from ._cli_options import PLOT_FORMATS


def write_plot(path: str, run: Dict[str, Any]) -> None:
    """Draw the run's design (its diagram, split band included) or, for a
    synthetic curve, its McCabe–Thiele construction, and save it to ``path``
    in the format of its extension."""
    from . import plot

    # A bare Figure on the Agg canvas: no GUI backend and no pyplot state.
    from matplotlib.backends.backend_agg import FigureCanvasAgg
    from matplotlib.figure import Figure

    figure = Figure(figsize=(7.0, 7.0), layout="constrained")
    FigureCanvasAgg(figure)
    ax = figure.add_subplot()
    if run["design"] is not None:
        run["design"].plot(ax)
    else:
        plot.mccabe_thiele(run["curve"], run["result"], ax)
    save_figure(figure, path)


def save_figure(figure: Any, path: str) -> None:
    """Save ``figure`` to ``path`` in the format of its extension."""
    try:
        figure.savefig(path, format=PLOT_FORMATS[os.path.splitext(path)[1].lower()], dpi=150)
    except OSError as exc:
        raise OSError(f"cannot write the diagram to {path!r}: {exc.strerror or exc}") from exc
