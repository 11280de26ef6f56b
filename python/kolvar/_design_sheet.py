"""A design as a notebook shows it: a small design sheet in HTML (what was
asked, the model, the minimum reflux and its pinch, the stages, N_min, the
flows, temperatures and duties) above the stage table, units in its
headers, numbers right-aligned to fixed decimals and the feed stage marked."""

from __future__ import annotations

import html
from typing import TYPE_CHECKING, List, Sequence, Tuple

from ._cli_report import model_text
from ._engine import CondenserKind, McCabeThieleResult, total_reflux

if TYPE_CHECKING:  # pragma: no cover - only for type checkers
    from ._design import ColumnDesign

_METHODS = {"mccabe_thiele": "McCabe–Thiele (constant molar overflow)",
            "ponchon_savarit": "Ponchon–Savarit (enthalpy-balanced)"}
_LEFT = 'style="text-align:left"'
_NUMBERS = 'style="text-align:right;font-variant-numeric:tabular-nums"'


def _pinch(design: ColumnDesign) -> str:
    if not isinstance(design.staircase, McCabeThieleResult):
        x, y = design.staircase.pinch
        return f"enthalpy-balanced pinch on the tie line ({x:.4f}, {y:.4f})"
    x, y = design.rmin.pinch
    return f"{'tangent' if design.rmin.tangent else 'feed'} pinch at ({x:.4f}, {y:.4f})"


def _facts(design: ColumnDesign) -> List[Tuple[str, str]]:
    column, feed, energy = design.column, design.column.feed, design.energy
    light = design.system.components[0]
    staircase = design.staircase
    murphree = staircase.spec.murphree if isinstance(staircase, McCabeThieleResult) else 1.0
    n_min = total_reflux(design.curve, column.x_distillate, column.x_bottoms, murphree).n_min
    condenser = "partial condenser (stage 1)" if column.condenser == CondenserKind.Partial else "total condenser"
    return [
        ("components", " / ".join(design.system.components)),
        ("model", model_text(design.system)),
        ("method", _METHODS[design.method]),
        ("pressure", f"{column.pressure:g} kPa"),
        ("feed", f"F = {feed.rate:g} kmol/h, z_F = {feed.z:g} {light}, q = {feed.q:.4g}"),
        ("products", f"x_D = {column.x_distillate:g}, x_B = {column.x_bottoms:g} {light}; {condenser}"),
        ("R_min", f"{design.r_min:.4f} ({_pinch(design)})"),
        ("reflux", f"R = {design.reflux:.4f} ({design.reflux / design.r_min:.4g} × R_min)"),
        ("stages", f"{design.n_stages:.3f} (reboiler included), feed on stage {design.feed_stage}"),
        ("N_min", f"{n_min:.3f} at total reflux"),
        ("D, B", f"{energy.distillate_rate:.3f} kmol/h, {energy.bottoms_rate:.3f} kmol/h"),
        ("flows", f"L = {energy.reflux_flow:.3f}, V = {energy.vapour_flow:.3f} above the feed; "
                  f"L' = {energy.stripping_liquid_flow:.3f}, V' = {energy.boilup:.3f} below (kmol/h)"),
        ("temperatures", f"top {energy.top_temperature:.2f} K, bottom {energy.bottom_temperature:.2f} K"),
        ("duties", f"condenser {energy.condenser_duty:.2f} kW, reboiler {energy.reboiler_duty:.2f} kW"),
    ]


def _row(cells: Sequence[str], tag: str = "td", marked: bool = False) -> str:
    style = ' style="font-weight:bold"' if marked else ""
    return f"<tr{style}>" + "".join(f"<{tag} {_NUMBERS}>{cell}</{tag}>" for cell in cells) + "</tr>"


def design_sheet(design: ColumnDesign, svg: str = "") -> str:
    """The HTML of ``design``: its facts, its stage table and ``svg``, the diagram (may be empty)."""
    light = html.escape(design.system.components[0])
    parts = ['<div class="kolvar-design">',
             f'<table><caption {_LEFT}><b>ColumnDesign</b>: {html.escape(" / ".join(design.system.components))}'
             "</caption>"]
    parts += [f"<tr><th {_LEFT}>{html.escape(key)}</th><td {_LEFT}>{html.escape(value)}</td></tr>"
              for key, value in _facts(design)]
    parts.append("</table>")
    heads = ("stage", f"x ({light})", f"y ({light})", "T [K]", "L [kmol/h]", "V [kmol/h]", "")
    parts.append("<table>" + _row(heads, "th"))
    for row in design.stage_table():
        feed = row["stage"] == design.feed_stage
        parts.append(_row([str(row["stage"]), f"{row['x']:.5f}", f"{row['y']:.5f}", f"{row['t']:.2f}",
                           f"{row['liquid_flow']:.3f}", f"{row['vapour_flow']:.3f}", "← feed" if feed else ""],
                          marked=feed))
    parts.append("</table>")
    if svg:
        parts.append(svg)
    parts.append("</div>")
    return "".join(parts)
