"""The two correlations of a component record, fitted with numpy.

``antoine_fit`` fits the reduced Antoine equation ln(Psat/pc) = a1 − a2/(a3 + T)
to vapour pressures, ``cp_fit`` the ideal-gas polynomial Cp/R = Σ a_k T^k
(k = 0..4) to heat capacities.  Each returns the coefficients and the largest
relative error of the fit over the points it was given.  numpy comes with the
``chemicals`` extra, the only user of these fits; the core never imports it.
"""

from __future__ import annotations

from typing import Callable, List, Sequence, Tuple

import numpy as np
import numpy.typing as npt

# A list of floats as numpy holds it.
Array = npt.NDArray[np.float64]

# Points sampled over a correlation's range: enough to pin five polynomial
# terms or a three-term Antoine to well below a tenth of a percent.
SAMPLES = 60


def grid(t_min: float, t_max: float) -> Array:
    return np.linspace(t_min, t_max, SAMPLES)


def sample(correlation: Callable[[float], float], temperatures: Array) -> Array:
    return np.array([correlation(float(t)) for t in temperatures])


def antoine_fit(temperatures: Array, psat_over_pc: Array) -> Tuple[List[float], float]:
    """Reduced Antoine coefficients [a1, a2, a3] and the largest relative error in Psat.

    The equation multiplied out, T·y = a1·T + (a1·a3 − a2) − a3·y with
    y = ln(Psat/pc), is linear in (a1, a1·a3 − a2, a3): its least-squares
    solution starts Gauss–Newton steps on the residuals of y itself.
    """
    t, y = temperatures, np.log(psat_over_pc)
    design = np.column_stack([t, np.ones_like(t), -y])
    (a1, c, a3), *_ = np.linalg.lstsq(design, t * y, rcond=None)
    a2 = a1 * a3 - c
    for _ in range(50):
        if np.any(a3 + t <= 0.0):  # the start crossed the pole: keep the linear answer
            break
        model = a1 - a2 / (a3 + t)
        jacobian = np.column_stack([np.ones_like(t), -1.0 / (a3 + t), a2 / (a3 + t) ** 2])
        step, *_ = np.linalg.lstsq(jacobian, y - model, rcond=None)
        a1, a2, a3 = a1 + step[0], a2 + step[1], a3 + step[2]
        if np.max(np.abs(step) / np.maximum(1.0, np.abs([a1, a2, a3]))) < 1e-12:
            break
    coefficients = [float(a1), float(a2), float(a3)]
    return coefficients, antoine_error(coefficients, t, psat_over_pc)


def antoine_error(coefficients: Sequence[float], temperatures: Array, psat_over_pc: Array) -> float:
    a1, a2, a3 = coefficients
    fitted = np.exp(a1 - a2 / (a3 + temperatures))
    return float(np.max(np.abs(fitted / psat_over_pc - 1.0)))


def cp_fit(temperatures: Array, cp_over_r: Array) -> Tuple[List[float], float]:
    """Cp/R polynomial coefficients a0..a4 and the largest relative error in Cp.

    Powers of T/1000 keep the least-squares problem well conditioned; the
    coefficients are scaled back to powers of T in K.
    """
    scaled = temperatures / 1000.0
    design = np.vander(scaled, 5, increasing=True)
    coefficients, *_ = np.linalg.lstsq(design, cp_over_r, rcond=None)
    polynomial = [float(c) / 1000.0**k for k, c in enumerate(coefficients)]
    return polynomial, cp_error(polynomial, temperatures, cp_over_r)


def cp_error(coefficients: Sequence[float], temperatures: Array, cp_over_r: Array) -> float:
    fitted = np.polyval(list(reversed(coefficients)), temperatures)
    return float(np.max(np.abs(fitted / cp_over_r - 1.0)))
