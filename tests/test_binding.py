"""Argument binding and conversion messages of the binding layer."""

import pytest

from kolvar import _engine as e

# Also run against the sanitized build by tools/run-tests.
pytestmark = pytest.mark.sanitized

FEED = e.Feed(100, 0.5)


class Index:
    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value


class AsFloat:
    def __float__(self):
        return 0.25


class Raises:
    def __float__(self):
        raise ZeroDivisionError("no float here")


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: e.Feed(), "Feed.__new__() missing 2 required positional arguments: 'rate' and 'z'"),
        (lambda: e.Feed(1), "Feed.__new__() missing 1 required positional argument: 'z'"),
        (
            lambda: e.BinaryColumn(),
            "BinaryColumn.__new__() missing 4 required positional arguments: "
            "'pressure', 'feed', 'x_distillate', and 'x_bottoms'",
        ),
        (lambda: e.Feed(1, 2, 3, 4), "Feed.__new__() takes from 2 to 3 positional arguments but 4 were given"),
        (lambda: e.version(1), "version() takes 0 positional arguments but 1 was given"),
        (lambda: e.Feed(1, 2, rate=3), "Feed.__new__() got multiple values for argument 'rate'"),
        (lambda: e.Feed(1, 2, speed=3), "Feed.__new__() got an unexpected keyword argument 'speed'"),
        (lambda: e.version(x=1), "version() got an unexpected keyword argument 'x'"),
        (
            lambda: FEED and e.BinaryColumn(1, FEED, 0.9, 0.1).distillate_rate(2),
            "BinaryColumn.distillate_rate() takes 0 positional arguments but 1 was given",
        ),
    ],
)
def test_binding_messages(call, message):
    with pytest.raises(TypeError) as info:
        call()
    assert str(info.value) == message
    assert info.value.__cause__ is None


def test_keywords_bind_by_name():
    feed = e.Feed(z=0.3, q=0.5, rate=10)
    assert (feed.rate, feed.z, feed.q) == (10, 0.3, 0.5)


@pytest.mark.parametrize(
    "call, name, original",
    [
        (lambda: e.Feed("1", 0.5), "rate", "must be real number, not str"),
        (lambda: e.Feed(1, None), "z", "must be real number, not NoneType"),
        (lambda: e.BinaryColumn(1, 2, 0.9, 0.1), "feed", "'int' object cannot be converted to 'Feed'"),
        (lambda: e.BinaryColumn(1, FEED, 0.9, 0.1, 5), "condenser", "'int' object cannot be converted to 'PyString'"),
    ],
)
def test_type_errors_are_prefixed_with_the_cause_kept(call, name, original):
    with pytest.raises(TypeError) as info:
        call()
    assert str(info.value) == f"argument '{name}': {original}"
    assert isinstance(info.value.__cause__, TypeError)
    assert str(info.value.__cause__) == original


def test_first_bad_argument_is_reported():
    with pytest.raises(TypeError, match="^argument 'pressure': "):
        e.BinaryColumn("x", "not a feed", "y", "z")


def test_other_exception_types_pass_unchanged():
    with pytest.raises(ZeroDivisionError, match="no float here"):
        e.Feed(Raises(), 0.5)


@pytest.mark.parametrize("value, expected", [(-1, -1.0), (True, 1.0), (Index(3), 3.0), (AsFloat(), 0.25), (2**70, 2.0**70)])
def test_float_conversion(value, expected):
    assert e.Feed(value, 0.5).rate == expected


def test_float_overflow_from_huge_int_is_not_prefixed():
    with pytest.raises(OverflowError):
        e.Feed(10**400, 0.5)
