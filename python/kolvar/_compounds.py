"""Compound names beyond the 24 of the built-in database.

The ``ThermoSystem`` constructors ask :func:`resolve` about every name the
database does not know.  It answers, in this order:

- a common alias or the CAS number of a database compound: that compound's
  own constants, so the system is the one its database name builds;
- with the optional ``chemicals`` package installed, a name, synonym or CAS
  number it knows: the compound's record (a database compound again where
  the CAS number is one of the database's);
- otherwise the lookup's message, with the closest names and what to do.

``chemicals`` is imported at the first such name.  Each record is built once
per process, under a lock, and kept by CAS number.
"""

from __future__ import annotations

import difflib
import functools
import threading
import types
from typing import Any, Dict, Iterator, List, Mapping, Optional, Tuple, Union

from . import _engine

# Other names of the database's compounds (keys trimmed and lower case).
ALIASES: Dict[str, str] = {
    "isopropanol": "2-propanol", "isopropyl alcohol": "2-propanol", "ipa": "2-propanol",
    "propan-2-ol": "2-propanol", "methyl alcohol": "methanol", "meoh": "methanol",
    "ethyl alcohol": "ethanol", "etoh": "ethanol", "propanone": "acetone", "dimethyl ketone": "acetone",
    "trichloromethane": "chloroform", "methylbenzene": "toluene", "butane": "n-butane", "pentane": "n-pentane",
    "hexane": "n-hexane", "heptane": "n-heptane", "octane": "n-octane", "nonane": "n-nonane",
    "decane": "n-decane", "2-methylpropane": "isobutane", "i-butane": "isobutane", "2-methylbutane": "isopentane",
    "i-pentane": "isopentane", "hexahydrotoluene": "methylcyclohexane",
}

# The database's compounds by CAS number.
DATABASE_CAS: Dict[str, str] = {
    "74-82-8": "methane", "74-84-0": "ethane", "74-98-6": "propane", "106-97-8": "n-butane",
    "109-66-0": "n-pentane", "124-38-9": "carbon dioxide", "7783-06-4": "hydrogen sulfide", "71-43-2": "benzene",
    "110-82-7": "cyclohexane", "108-87-2": "methylcyclohexane", "110-54-3": "n-hexane", "142-82-5": "n-heptane",
    "67-56-1": "methanol", "7732-18-5": "water", "67-63-0": "2-propanol", "108-88-3": "toluene",
    "64-17-5": "ethanol", "67-64-1": "acetone", "67-66-3": "chloroform", "75-28-5": "isobutane",
    "78-78-4": "isopentane", "111-65-9": "n-octane", "111-84-2": "n-nonane", "124-18-5": "n-decane",
}

INSTALL_HINT = "install kolvar[chemicals] to look names up among the chemicals package's compounds"


class Compound(Mapping[str, Any]):
    """A compound's record from the ``chemicals`` package: a read-only mapping.

    Its items are the constants a ``ThermoSystem`` constructor reads, so the
    record itself, or ``dict(record, ...)``, can be given as a component.
    ``formula``, ``cas`` and ``sources`` (the table or correlation of every
    constant) are attributes, and so are the ranges [K] and largest relative
    errors of the two correlations: ``psat_t_range``, ``psat_error``,
    ``cp_t_range``, ``cp_error`` (0 where a published form is taken as is).
    """

    __slots__ = ("_constants", "formula", "cas", "sources", "psat_t_range", "psat_error", "cp_t_range", "cp_error")

    def __init__(self, fields: Mapping[str, Any]):
        constants = fields["constants"]
        self._constants = types.MappingProxyType(
            {key: tuple(value) if isinstance(value, list) else value for key, value in constants.items()})
        self.formula: str = fields["formula"]
        self.cas: str = fields["cas"]
        given = fields["sources"]
        self.sources: Mapping[str, str] = types.MappingProxyType(
            {key: given[key] for key in [*constants, *given] if key in given})
        self.psat_t_range: Tuple[float, float] = tuple(fields["psat_t_range"])
        self.psat_error: float = fields["psat_error"]
        self.cp_t_range: Tuple[float, float] = tuple(fields["cp_t_range"])
        self.cp_error: float = fields["cp_error"]

    def __getitem__(self, key: str) -> Any:
        return self._constants[key]

    def __iter__(self) -> Iterator[str]:
        return iter(self._constants)

    def __len__(self) -> int:
        return len(self._constants)

    def __reduce__(self) -> Tuple[Any, ...]:
        return (_rebuilt, (self.to_dict(),))

    def to_dict(self) -> Dict[str, Any]:
        """Plain data: the constants, then ``formula``, ``cas``, ``sources`` and the fits' ranges and errors."""
        return {**{k: list(v) if isinstance(v, tuple) else v for k, v in self._constants.items()},
                "formula": self.formula, "cas": self.cas, "sources": dict(self.sources),
                "psat_t_range": list(self.psat_t_range), "psat_error": self.psat_error,
                "cp_t_range": list(self.cp_t_range), "cp_error": self.cp_error}

    def __repr__(self) -> str:
        lines = [f"Compound({self['name']!r}, {self.formula}, CAS {self.cas})"]
        lines += [f"  {key} = {value!r}  [{self.sources.get(key, '')}]" for key, value in self._constants.items()
                  if key != "name"]
        return "\n".join(lines)


_EXTRAS = ("formula", "cas", "sources", "psat_t_range", "psat_error", "cp_t_range", "cp_error")


def _rebuilt(data: Dict[str, Any]) -> Compound:
    return Compound({"constants": {k: v for k, v in data.items() if k not in _EXTRAS},
                     **{k: data[k] for k in _EXTRAS}})


class Refusal(str):
    """Why a compound that ``chemicals`` knows cannot be a component: the whole message."""


_lock = threading.RLock()
_records: Dict[str, Compound] = {}  # by CAS number
_refusals: Dict[str, Refusal] = {}  # CAS number -> why its record cannot be built
_cas_of_name: Dict[str, Optional[str]] = {}  # name key -> CAS number (None: chemicals does not know it)


def _key(name: str) -> str:
    return name.strip().lower()


def _chemicals() -> Optional[Any]:
    """The identifier database of ``chemicals``, or None without the extra."""
    try:
        from chemicals import identifiers
    except ImportError:
        return None
    return identifiers.get_pubchem_db()


def _cas_number(key: str) -> Optional[str]:
    """The CAS number ``chemicals`` gives a name, synonym or CAS number; None when it has none."""
    if key in _cas_of_name:
        return _cas_of_name[key]
    with _lock:  # the package loads its identifiers on first use
        database = _chemicals()
        if database is None:
            return None
        found = database.search_CAS(key) if _looks_like_cas(key) else database.search_name(key)
        cas = found.CASs if found else None
        _cas_of_name[key] = cas
        return cas


def _looks_like_cas(key: str) -> bool:
    parts = key.split("-")
    return len(parts) == 3 and all(part.isdigit() for part in parts)


def record(cas: str, name: Optional[str] = None) -> Union[Compound, Refusal]:
    """The record of a CAS number from ``chemicals``, built once; or why it cannot be."""
    with _lock:
        if cas in _records:
            return _records[cas]
        if cas in _refusals:
            return _refusals[cas]
        from . import _chemicals_record

        metadata = _chemicals().search_CAS(cas)  # type: ignore[union-attr]
        label = name or metadata.common_name or cas
        try:
            fields = _chemicals_record.build(cas, label, metadata.formula, metadata.MW)
        except _chemicals_record.MissingConstant as missing:
            _refusals[cas] = Refusal(f"component {_quoted(label)} (CAS {cas}) from the chemicals package {missing}")
            return _refusals[cas]
        _records[cas] = Compound(fields)
        return _records[cas]


def lookup(name: str) -> Union[str, Compound, Refusal, None]:
    """What a name not in the database stands for: a database name, a record, a refusal, or None."""
    key = _key(name)
    known = ALIASES.get(key) or DATABASE_CAS.get(key)
    if known is not None:
        return known
    cas = _cas_number(key)
    if cas is None:
        return None
    if cas in DATABASE_CAS:
        return DATABASE_CAS[cas]
    return record(cas)


def resolve(name: str, message: str) -> Union[Dict[str, Any], str]:
    """The constructors' resolver: constants for the name, or the whole lookup message."""
    found = lookup(name)
    if isinstance(found, Compound):
        return dict(found.items())
    if isinstance(found, Refusal):
        return str(found)
    if found is not None:
        return _engine.ThermoSystem._database_component(found)
    return message + unknown_tail(name)


@functools.lru_cache(maxsize=256)
def unknown_tail(name: str) -> str:
    """What follows the database's miss message: the closest names and what to do next.

    Kept for the last names asked about: a program that retries a wrong name
    pays for the search of the closest names once."""
    key = _key(name)
    ours = _closest(key, [*_engine.ThermoSystem._database_names(), *ALIASES])
    suggestion = f"; did you mean {_choices(ours)}?" if ours else ""
    if _chemicals() is None:
        return suggestion + (" Or " if ours else "; ") + INSTALL_HINT
    theirs = _closest(key, _chemicals_names())
    text = (" Neither" if ours else "; neither") + f" the korrin database nor the chemicals package knows {_quoted(name)}"
    return suggestion + text + (f" (closest in chemicals: {', '.join(theirs)})" if theirs else "")


def _closest(key: str, names: List[str]) -> List[str]:
    return difflib.get_close_matches(key, names, n=3, cutoff=0.75)


def _choices(names: List[str]) -> str:
    return names[0] if len(names) == 1 else ", ".join(names[:-1]) + " or " + names[-1]


_names_with_constants: List[str] = []


def _chemicals_names() -> List[str]:
    """The common names of the compounds ``chemicals`` has critical constants for."""
    with _lock:
        if not _names_with_constants:
            from chemicals import critical

            database = _chemicals()
            tables = (critical.critical_data_IUPAC, critical.critical_data_CRC, critical.critical_data_Matthews)
            for cas in sorted(set().union(*(table.index for table in tables))):
                found = database.search_CAS(cas)  # type: ignore[union-attr]
                if found and found.common_name:
                    _names_with_constants.append(found.common_name)
        return _names_with_constants


def _quoted(name: str) -> str:
    return '"' + name.replace("\\", "\\\\").replace('"', '\\"') + '"'
