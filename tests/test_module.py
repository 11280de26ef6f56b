"""The module's names, version, classes and documentation."""

import importlib.metadata
import inspect

import pytest

import kolvar
from kolvar import _engine as e

# Also run against the sanitized build by tools/run-tests.
pytestmark = pytest.mark.sanitized

CLASSES_WITHOUT_CONSTRUCTOR = ["CondenserKind", "Line"]


def test_version():
    assert e.__version__ == "0.1.0" == kolvar.__version__
    first, second = e.version(), e.version()
    assert first == "0.1.0" and first is not second


def test_all_starts_with_version_and_is_reexported():
    assert e.__all__[0] == "__version__"
    assert len(set(e.__all__)) == len(e.__all__)
    for name in e.__all__:
        assert getattr(kolvar, name) is getattr(e, name)
    # The package adds its Python-level functions and its warnings after the native names.
    assert kolvar.__all__ == [*e.__all__, "shortcut", "CompositionWarning", "LiquidSplitWarning", "column_energy",
                              "ponchon_savarit", "design", "ColumnDesign", "UnitWarning"]
    assert all(callable(getattr(kolvar, name)) for name in kolvar.__all__[len(e.__all__) :])


def test_module_docstring_names_the_module():
    assert "kolvar._engine" in e.__doc__


@pytest.mark.parametrize("name", [n for n in e.__all__ if isinstance(getattr(e, n), type)])
def test_classes_are_builtins_without_dict(name):
    cls = getattr(e, name)
    assert cls.__module__ == "builtins"
    assert repr(cls) == f"<class 'builtins.{name}'>"
    assert cls.__doc__
    assert "__dict__" not in dir(cls)


@pytest.mark.parametrize("name", CLASSES_WITHOUT_CONSTRUCTOR)
def test_no_constructor(name):
    with pytest.raises(TypeError, match=f"^No constructor defined for {name}$"):
        getattr(e, name)()


@pytest.mark.parametrize(
    "callable_, text",
    [
        (e.Feed, "(rate, z, q=1.0)"),
        (e.BinaryColumn, "(pressure, feed, x_distillate, x_bottoms, condenser='total')"),
        (e.version, "()"),
        (e.BinaryColumn.distillate_rate, "(self, /)"),
    ],
)
def test_signatures(callable_, text):
    assert str(inspect.signature(callable_)) == text


def _public_members():
    for name in e.__all__:
        obj = getattr(e, name)
        if isinstance(obj, type):
            for attr, value in vars(obj).items():
                if not attr.startswith("__") and not isinstance(value, obj):
                    yield f"{name}.{attr}", value
        elif callable(obj):
            yield name, obj


@pytest.mark.parametrize("qualname, member", list(_public_members()))
def test_every_member_is_documented(qualname, member):
    assert member.__doc__, qualname
    if callable(member):
        inspect.signature(member)  # raises if the text signature is missing


@pytest.mark.parametrize(
    "cls, signature, doc_start",
    [
        (e.Feed, "(rate, z, q=1.0)", "A single feed to a binary column."),
        (e.BinaryColumn, '(pressure, feed, x_distillate, x_bottoms, condenser="total")', "A binary two-product column"),
    ],
)
def test_class_signature_is_kept_apart_from_the_docstring(cls, signature, doc_start):
    assert cls.__text_signature__ == signature
    assert cls.__doc__.startswith(doc_start) and "\n--\n" not in cls.__doc__


def test_package_metadata_carries_the_module_version():
    try:
        installed = importlib.metadata.version("kolvar")
    except importlib.metadata.PackageNotFoundError:
        pytest.skip("kolvar is not installed as a distribution here")
    assert installed == e.__version__
