"""What ``python -m kolvar`` prints: the text report of a design, or its plain
data as JSON with its stage table and the unit of every quantity.
``ColumnDesign.report()`` prints the same report from the design alone."""

from __future__ import annotations

import argparse
import json
from typing import TYPE_CHECKING, Any, Dict, List, Optional, Tuple

from . import __version__
from ._units import units_of

if TYPE_CHECKING:  # pragma: no cover - only for type checkers
    from ._design import ColumnDesign
    from ._engine import ThermoSystem

_TITLES = {"mccabe_thiele": "McCabe-Thiele design", "ponchon_savarit": "Ponchon-Savarit design"}


def _point(p: Tuple[float, float]) -> str:
    return f"({p[0]:.4f}, {p[1]:.4f})"


def text_report(args: argparse.Namespace, run: Dict[str, Any]) -> str:
    """The report: the curve, the specification, the design and its stages.

    ``run`` holds what the command computed: ``curve``, ``source`` (how the
    curve was made), ``q``, ``rmin``, ``reflux``, ``reflux_note``,
    ``result`` (the staircase), ``minimum`` (the total-reflux result), and
    ``design`` (a ColumnDesign, None for a synthetic curve), whose flows,
    end temperatures, duties and stage temperatures join the report.
    """
    curve, analysis, result, design = run["curve"], run["rmin"], run["result"], run["design"]
    method = "mccabe_thiele" if design is None else design.method
    pinch_kind = "tangent" if analysis.tangent else "feed"
    stage_word = "stages" if args.murphree == 1.0 else f"real stages at E_MV = {args.murphree:g}"
    condenser_note = "partial condenser, counted as stage 1" if args.condenser == "partial" else "total condenser"
    q_note = "" if args.feed_temperature is None else f" (feed at {args.feed_temperature:g} K)"
    if method == "mccabe_thiele":
        minimum = f"{analysis.r_min:.4f}  ({pinch_kind} pinch at {_point(analysis.pinch)})"
    else:
        minimum = f"{design.r_min:.4f}  (enthalpy-balanced, pinch on the tie line {_point(result.pinch)})"
    lines = [
        f"kolvar {__version__}: {_TITLES[method]}",
        f"curve       {curve!r}, {run['source']}",
        f"pressure    {'none (synthetic curve)' if curve.pressure is None else f'{curve.pressure:g} kPa'}",
        f"design      x_D = {args.xd:g}, x_B = {args.xb:g}, z_F = {args.zf:g}, q = {run['q']:g}{q_note}, "
        f"{condenser_note}",
        f"feed point  {_point(analysis.feed_point)}  (q-line on the equilibrium curve)",
        f"R_min       {minimum}",
        f"reflux      R = {run['reflux']:.4f}  ({run['reflux_note']})",
        f"stages      {result.n_stages:.3f} {stage_word}, feed on stage {result.feed_stage}"
        " (reboiler included)",
        f"N_min       {run['minimum'].n_min:.3f} at total reflux",
    ]
    if design is None:
        lines += ["", "stage       x        y"]
        for stage in result.stages:
            mark = "  <- feed" if stage.index == result.feed_stage else ""
            lines.append(f"{stage.index:5d}  {stage.x:.5f}  {stage.y:.5f}{mark}")
        return "\n".join(lines) + "\n"

    energy = design.energy
    lines += [
        f"feed        F = {args.feed_rate:g} kmol/h",
        f"products    D = {energy.distillate_rate:.3f} kmol/h, B = {energy.bottoms_rate:.3f} kmol/h",
        f"flows       L = {energy.reflux_flow:.3f}, V = {energy.vapour_flow:.3f} above the feed; "
        f"L' = {energy.stripping_liquid_flow:.3f}, V' = {energy.boilup:.3f} below (kmol/h)",
        f"temperatures top {energy.top_temperature:.2f} K, bottom {energy.bottom_temperature:.2f} K",
        f"duties      condenser {energy.condenser_duty:.2f} kW, reboiler {energy.reboiler_duty:.2f} kW",
        "",
        "stage       x        y      T [K]   L [kmol/h]   V [kmol/h]",
    ]
    for row in design.stage_table():
        mark = "  <- feed" if row["stage"] == design.feed_stage else ""
        lines.append(
            f"{row['stage']:5d}  {row['x']:.5f}  {row['y']:.5f}  {row['t']:8.2f}  {row['liquid_flow']:11.3f}  "
            f"{row['vapour_flow']:11.3f}{mark}"
        )
    return "\n".join(lines) + "\n"


def json_report(run: Dict[str, Any]) -> str:
    """The design's ``to_dict()`` as JSON, with ``n_min`` (total reflux), the
    ``stages`` (one row each: ``stage``, ``x``, ``y`` and, from a system, the
    temperature ``t`` and the flows ``liquid_flow`` and ``vapour_flow``
    leaving it) and ``units``, the unit of every quantity by its key.  A
    synthetic curve has no system, column or energy, which are null."""
    design: Optional[ColumnDesign] = run["design"]
    result = run["result"]
    if design is not None:
        data = design.to_dict()
        stages: List[Dict[str, Any]] = design.stage_table()
    else:
        data = {
            "system": None,
            "column": None,
            "method": "mccabe_thiele",
            "reflux": run["reflux"],
            "curve": run["curve"].to_dict(),
            "rmin": run["rmin"].to_dict(),
            "r_min": run["rmin"].r_min,
            "staircase": result.to_dict(),
            "energy": None,
            "n_stages": result.n_stages,
            "feed_stage": result.feed_stage,
        }
        stages = [{"stage": s.index, "x": s.x, "y": s.y} for s in result.stages]
    data["n_min"] = run["minimum"].n_min
    data["stages"] = stages
    data["units"] = units_of(data)
    return json.dumps(data, indent=2, allow_nan=False) + "\n"


def model_text(system: ThermoSystem) -> str:
    """How the report names a system's model, read from its ``to_dict()``:
    "Peng-Robinson", "PR1976, Classical, kij = 0.01", "Wilson (A12 = 449.3,
    A21 = 1964.6) liquid, IdealGas vapour", ..."""
    model = system.to_dict()["model"]
    kind = model["constructor"]
    if kind == "peng_robinson":
        return "Peng-Robinson"
    if kind == "van_laar":
        return f"van Laar (A12 = {model['a12']:g}, A21 = {model['a21']:g}) liquid, IdealGas vapour"
    if kind == "cubic":
        text = f"{model['eos']}, {model['mixing_rule']}"
        if model["ge_model"] is not None:
            text += f" with {_activity_text(model['ge_model'], model['ge_parameters'])}"
        kij = model["kij"]
        if kij is not None and len(kij) == 2 and kij[0][1] == kij[1][0]:
            text += f", kij = {kij[0][1]:g}"
        elif kij is not None:
            text += ", kij given"
        return text
    if kind == "activity":
        return f"{_activity_text(model['model'], model['parameters'])} liquid, {model['vapour']} vapour"
    if kind == "ideal_solution":
        return f"ideal solution, {model['vapour']} vapour"
    return f"Grayson-Streed, {model['vapour']} vapour"


def _activity_text(name: str, parameters: Any) -> str:
    """'Wilson (A12 = 449.3, A21 = 1964.6)', 'NRTL (a, b, alpha)', or the bare name without parameters."""
    if parameters is None:
        return name
    if isinstance(parameters, dict):
        return f"{name} ({', '.join(map(str, parameters))})"
    if len(parameters) == 2:
        return f"{name} (A12 = {parameters[0][1]:g}, A21 = {parameters[1][0]:g})"
    return f"{name} (parameters given)"


def design_report(design: ColumnDesign) -> str:
    """The command line's text report of a design (see ``ColumnDesign.report``)."""
    from ._engine import CondenserKind, McCabeThieleResult, total_reflux

    column, feed = design.column, design.column.feed
    staircase = design.staircase
    murphree = staircase.spec.murphree if isinstance(staircase, McCabeThieleResult) else 1.0
    args = argparse.Namespace(
        xd=column.x_distillate,
        xb=column.x_bottoms,
        zf=feed.z,
        murphree=murphree,
        condenser="partial" if column.condenser == CondenserKind.Partial else "total",
        feed_temperature=None,
        feed_rate=feed.rate,
    )
    run = {
        "curve": design.curve,
        "source": f"{' / '.join(design.system.components)}, {model_text(design.system)}",
        "q": feed.q,
        "rmin": design.rmin,
        "reflux": design.reflux,
        "reflux_note": f"{design.reflux / design.r_min:.4g} x R_min",
        "result": design.staircase,
        "minimum": total_reflux(design.curve, column.x_distillate, column.x_bottoms, murphree),
        "design": design,
    }
    return text_report(args, run)
