"""One compound's constants from the ``chemicals`` package, in kolvar's units.

``build(cas, name, formula, mw)`` answers the fields of a component record:
the constants a constructor reads (K, kPa, cm3/mol, g/mol), the formula and
CAS number, where each constant came from, and the temperature range and
largest relative error of the two correlations.  A constant that neither the
tables nor an estimate give is a :class:`MissingConstant`, never a zero.
Imported only once a name has to be looked up in ``chemicals``.
"""

from __future__ import annotations

import math
from typing import Any, Callable, Dict, List, Optional, Tuple

from chemicals import acentric, critical, dippr, elements, phase_change
from chemicals import heat_capacity as heat
from chemicals import vapor_pressure as vapour
from chemicals import volume

from . import _fits

R = 8.314462618  # J/(mol K), as the chemicals package uses it
LN10 = math.log(10.0)

# The ideal-gas Cp fit spans this range where the correlation allows it.
CP_RANGE = (200.0, 1000.0)


class MissingConstant(Exception):
    """A constant that ``chemicals`` does not give for a compound, or gives unusably: what it lacks."""


def _row(table: Any, cas: str) -> Optional[Any]:
    return table.loc[cas] if cas in table.index else None


def _constant(key: str, what: str, function: Callable[..., Any], methods: Callable[..., Any], cas: str,
              sources: Dict[str, str]) -> Optional[float]:
    """A tabulated constant and its source, or None."""
    available = methods(cas)
    if not available:
        return None
    value = function(cas)
    if value is None or not math.isfinite(value):
        return None
    sources[key] = f"{what}: {function.__module__}.{function.__name__}, method {available[0]}"
    return float(value)


def _required(value: Optional[float], key: str, what: str) -> float:
    if value is None:
        raise MissingConstant(f"has no {what} ({key}), which every system needs")
    return value


def _critical_constants(cas: str, sources: Dict[str, str]) -> Dict[str, float]:
    tc = _required(_constant("tc", "critical temperature", critical.Tc, critical.Tc_methods, cas, sources),
                   "tc", "critical temperature")
    pc_pa = _required(_constant("pc", "critical pressure", critical.Pc, critical.Pc_methods, cas, sources),
                      "pc", "critical pressure")
    pc = pc_pa / 1000.0
    vc_m3 = _constant("vc", "critical volume", critical.Vc, critical.Vc_methods, cas, sources)
    zc = _constant("zc", "critical compressibility", critical.Zc, critical.Zc_methods, cas, sources)
    if vc_m3 is None and zc is not None:
        vc_m3 = zc * R * tc / pc_pa
        sources["vc"] = "critical volume: zc·R·tc/pc"
    if zc is None and vc_m3 is not None:
        zc = pc_pa * vc_m3 / (R * tc)
        sources["zc"] = "critical compressibility: pc·vc/(R·tc)"
    return {
        "tc": tc,
        "pc": pc,
        "vc": _required(vc_m3, "vc", "critical volume") * 1e6,
        "zc": _required(zc, "zc", "critical compressibility"),
    }


# Vapour-pressure correlations in the order of preference for a fit: table
# name, label, and Psat [Pa] of a row at T.
_PSAT_CORRELATIONS: List[Tuple[str, str, Callable[[Any, float], float]]] = [
    ("Psat_data_WagnerMcGarry", "Wagner (McGarry)",
     lambda r, t: vapour.Wagner_original(t, r.Tc, r.Pc, r.A, r.B, r.C, r.D)),
    ("Psat_data_WagnerPoling", "Wagner (Poling)", lambda r, t: vapour.Wagner(t, r.Tc, r.Pc, r.A, r.B, r.C, r.D)),
    ("Psat_data_VDI_PPDS_3", "Wagner (VDI PPDS 3)", lambda r, t: vapour.Wagner(t, r.Tc, r.Pc, r.A, r.B, r.C, r.D)),
    ("Psat_data_AntoineExtended", "extended Antoine (TRC)",
     lambda r, t: vapour.TRC_Antoine_extended(t, r.Tc, r.to, r.A, r.B, r.C, r.n, r.E, r.F)),
    ("Psat_data_Perrys2_8", "DIPPR 101 (Perry's 2-8)", lambda r, t: dippr.EQ101(t, r.C1, r.C2, r.C3, r.C4, r.C5)),
]


def _fit_range(tb: float, tc: float, low: float, high: float) -> Tuple[float, float]:
    """About Tb to 0.95·Tc, within the correlation's own range [low, high]."""
    return max(0.8 * tb, low), min(0.95 * tc, high)


def _psat(cas: str, c: Dict[str, float], sources: Dict[str, str]) -> Dict[str, Any]:
    tc, pc_pa = c["tc"], c["pc"] * 1000.0
    antoine = _row(vapour.Psat_data_AntoinePoling, cas)
    if antoine is not None:
        # log10(Psat/Pa) = A − B/(T + C), rewritten exactly for ln(Psat/pc).
        coefficients = [float(antoine.A * LN10 - math.log(pc_pa)), float(antoine.B * LN10), float(antoine.C)]
        sources["psat_coeffs"] = (f"reduced Antoine: the Antoine constants of chemicals' Psat_data_AntoinePoling, "
                                  f"rewritten exactly (valid {antoine.Tmin:g}-{antoine.Tmax:g} K)")
        return {"psat_coeffs": coefficients, "psat_t_range": (float(antoine.Tmin), float(antoine.Tmax)),
                "psat_error": 0.0}
    for table, label, psat in _PSAT_CORRELATIONS:
        row = _row(getattr(vapour, table), cas)
        if row is None:
            continue
        low = float(getattr(row, "Tmin", 0.0) or 0.0)
        high = float(getattr(row, "Tmax", tc) or tc)
        t_min, t_max = _fit_range(c["tb"], tc, low, high)
        if not t_min < t_max:
            continue
        def reduced(t: float, row: Any = row, psat: Callable[[Any, float], float] = psat) -> float:
            return psat(row, t) / pc_pa

        return _fitted_psat(reduced, (t_min, t_max), f"{label}, chemicals' {table}", sources)
    t_min, t_max = _fit_range(c["tb"], tc, 0.0, tc)
    return _fitted_psat(lambda t: vapour.Lee_Kesler(t, tc, pc_pa, c["omega"]) / pc_pa, (t_min, t_max),
                        "the corresponding-states correlation of Lee and Kesler from tc, pc and omega", sources)


def _fitted_psat(psat_over_pc: Callable[[float], float], t_range: Tuple[float, float], origin: str,
                 sources: Dict[str, str]) -> Dict[str, Any]:
    temperatures = _fits.grid(*t_range)
    coefficients, error = _fits.antoine_fit(temperatures, _fits.sample(psat_over_pc, temperatures))
    sources["psat_coeffs"] = (f"reduced Antoine fitted over {t_range[0]:.1f}-{t_range[1]:.1f} K to {origin}; "
                              f"largest relative error {100.0 * error:.2g} %")
    return {"psat_coeffs": coefficients, "psat_t_range": t_range, "psat_error": error}


def _cp(cas: str, formula: str, mw: float, sources: Dict[str, str]) -> Dict[str, Any]:
    poling = _row(heat.Cp_data_Poling, cas)
    if poling is not None and not any(math.isnan(poling[k]) for k in ("a0", "a1", "a2", "a3", "a4")):
        t_range = (float(poling.Tmin), float(poling.Tmax))
        sources["cp_coeffs"] = (f"ideal-gas Cp/R polynomial of chemicals' Cp_data_Poling, as published "
                                f"(valid {t_range[0]:g}-{t_range[1]:g} K)")
        return {"cp_coeffs": [float(poling[k]) for k in ("a0", "a1", "a2", "a3", "a4")], "cp_t_range": t_range,
                "cp_error": 0.0}
    trc = _row(heat.TRC_gas_data, cas)
    if trc is not None:
        t_range = (max(CP_RANGE[0], float(trc.Tmin)), min(CP_RANGE[1], float(trc.Tmax)))
        terms = [trc[f"a{k}"] for k in range(8)]
        return _fitted_cp(lambda t: heat.TRCCp(t, *terms) / R, t_range, "the TRC gas correlation (TRC_gas_data)",
                          sources)
    try:
        atoms = elements.simple_formula_parser(formula)
        similarity = elements.similarity_variable(atoms, mw)
    except Exception:  # a formula chemicals cannot read: no estimate either
        raise MissingConstant("has no ideal-gas heat capacity (cp_coeffs), which every system needs") from None
    return _fitted_cp(lambda t: heat.Lastovka_Shaw(t, similarity, False, mw) / R, CP_RANGE,
                      "the similarity-variable estimate of Lastovka and Shaw", sources)


def _fitted_cp(cp_over_r: Callable[[float], float], t_range: Tuple[float, float], origin: str,
               sources: Dict[str, str]) -> Dict[str, Any]:
    temperatures = _fits.grid(*t_range)
    coefficients, error = _fits.cp_fit(temperatures, _fits.sample(cp_over_r, temperatures))
    sources["cp_coeffs"] = (f"ideal-gas Cp/R polynomial fitted over {t_range[0]:g}-{t_range[1]:g} K to {origin}; "
                            f"largest relative error {100.0 * error:.2g} %")
    return {"cp_coeffs": coefficients, "cp_t_range": t_range, "cp_error": error}


LIQUID_T = 298.15


def _liquid_volume(cas: str, c: Dict[str, float], sources: Dict[str, str]) -> Optional[float]:
    """cm3/mol at 298.15 K, or None where the compound is no liquid there."""
    perry = _row(volume.rho_data_Perry_8E_105_l, cas)
    if perry is not None and perry.Tmin <= LIQUID_T <= perry.Tmax:
        sources["liquid_volume"] = "liquid volume at 298.15 K: DIPPR 105 of chemicals' rho_data_Perry_8E_105_l"
        return float(1e6 / dippr.EQ105(LIQUID_T, perry.C1, perry.C2, perry.C3, perry.C4))
    vdi = _row(volume.rho_data_VDI_PPDS_2, cas)
    if vdi is not None and LIQUID_T < vdi.Tc:
        tau = 1.0 - LIQUID_T / vdi.Tc
        rho = vdi.rhoc + vdi.A * tau**0.35 + vdi.B * tau ** (2.0 / 3.0) + vdi.C * tau + vdi.D * tau ** (4.0 / 3.0)
        sources["liquid_volume"] = "liquid volume at 298.15 K: chemicals' rho_data_VDI_PPDS_2"
        return float(1000.0 * vdi.MW / rho)
    if LIQUID_T < c["tc"]:
        sources["liquid_volume"] = "liquid volume at 298.15 K: COSTALD estimate from tc, vc and omega"
        return float(1e6 * volume.COSTALD(LIQUID_T, c["tc"], c["vc"] * 1e-6, c["omega"]))
    return None


def build(cas: str, name: str, formula: str, mw: float) -> Dict[str, Any]:
    """The record's fields; MissingConstant for a constant nothing gives."""
    sources: Dict[str, str] = {"mw": "molar mass: chemicals' identifier database"}
    c = _critical_constants(cas, sources)
    c["omega"] = _required(_constant("omega", "acentric factor", acentric.omega, acentric.omega_methods, cas,
                                     sources), "omega", "acentric factor")
    c["tb"] = _required(_constant("tb", "normal boiling point", phase_change.Tb, phase_change.Tb_methods, cas,
                                  sources), "tb", "normal boiling point")
    if not c["tb"] < c["tc"]:
        raise MissingConstant(f"gives a normal boiling point ({c['tb']:g} K) not below its critical temperature "
                              f"({c['tc']:g} K)")
    psat = _psat(cas, c, sources)
    cp = _cp(cas, formula, mw, sources)
    fields: Dict[str, Any] = {"name": name, **{key: c[key] for key in ("tc", "pc", "omega", "zc", "vc", "tb")},
                              "mw": float(mw), "psat_coeffs": psat.pop("psat_coeffs"),
                              "cp_coeffs": cp.pop("cp_coeffs")}
    liquid = _liquid_volume(cas, c, sources)
    if liquid is not None:
        fields["liquid_volume"] = float(liquid)
    return {"constants": fields, "formula": formula, "cas": cas, "sources": sources, **psat, **cp}
