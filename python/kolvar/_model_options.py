"""Model choices as the command line gives them: names in any case, and the
activity parameters as two numbers or one JSON mapping.  A bad value is a
ValueError, which the command line reports as its one error line."""

from __future__ import annotations

import json
from typing import Dict, List, Optional, Tuple, Union, overload

from .thermo import model_names


# The short names of equations of state that the constructors also take.
EOS_ALIASES = {"pr": "PR1976", "peng-robinson": "PR1976", "srk": "RKS1972", "soave-redlich-kwong": "RKS1972",
               "rk": "RK1949", "redlich-kwong": "RK1949", "vdw": "VdW1870", "van der waals": "VdW1870",
               "prsv": "PRSV1986"}


@overload
def canonical(kind: str, name: str) -> str: ...
@overload
def canonical(kind: str, name: None) -> None: ...
@overload
def canonical(kind: str, name: Optional[str]) -> Optional[str]: ...


def canonical(kind: str, name: Optional[str]) -> Optional[str]:
    """The listed spelling of a ``kind`` model name given in any case, or of an
    equation of state's short name (an unknown name as given)."""
    if name is None:
        return None
    if kind in ("eos", "vapour") and name.lower() in EOS_ALIASES:
        return EOS_ALIASES[name.lower()]
    return next((known for known in model_names()[kind] if known.lower() == name.lower()), name)


def activity_parameters(values: List[str]) -> Union[Tuple[float, float], Dict[str, object]]:
    """``--parameters`` as the two numbers A12 A21, or as one JSON mapping (NRTL, UNIQUAC)."""
    if len(values) == 1 and values[0].lstrip().startswith("{"):
        try:
            mapping: Dict[str, object] = json.loads(values[0])  # text opening with "{" is an object
        except ValueError as exc:
            raise ValueError(f"argument --parameters: invalid JSON: {exc}") from None
        for key, value in mapping.items():
            if not _numbers(value):
                raise ValueError(f"argument --parameters: {key!r} must be a number or a list of numbers, "
                                 f"got {json.dumps(value)}")
        return mapping
    if len(values) != 2:
        raise ValueError("argument --parameters: expected two numbers A12 A21 or one JSON mapping")
    numbers = []
    for value in values:
        try:
            numbers.append(float(value))
        except ValueError:
            raise ValueError(f"argument --parameters: invalid float value: {value!r}") from None
    return numbers[0], numbers[1]


def _numbers(value: object) -> bool:
    """Whether a JSON value is a number or a (nested) list of numbers: a string, object, null or boolean is not."""
    if isinstance(value, list):
        return all(_numbers(item) for item in value)
    return isinstance(value, (int, float)) and not isinstance(value, bool)
