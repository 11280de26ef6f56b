"""Feed, BinaryColumn, CondenserKind and condenser parsing."""

import math
from decimal import Decimal
from fractions import Fraction

import pytest

from kolvar import BinaryColumn, CondenserKind, Feed

# Also run against the sanitized build by tools/run-tests.
pytestmark = pytest.mark.sanitized


def test_feed_stores_values_unchecked():
    feed = Feed(100, 0.4)
    assert (feed.rate, feed.z, feed.q) == (100.0, 0.4, 1.0)
    assert repr(feed) == "Feed(rate=100 kmol/h, z=0.4, q=1)"
    odd = Feed(rate=-5, z=2)
    assert (odd.rate, odd.z) == (-5.0, 2.0)


@pytest.mark.parametrize(
    "feed, text",
    [
        (Feed(1e-7, 0.5, 1e20), "Feed(rate=0.0000001 kmol/h, z=0.5, q=100000000000000000000)"),
        (Feed(-0.0, 0.1 + 0.2, math.nan), "Feed(rate=-0 kmol/h, z=0.30000000000000004, q=NaN)"),
        (Feed(math.inf, -math.inf, 5e-324), "Feed(rate=inf kmol/h, z=-inf, q=0." + "0" * 323 + "5)"),
    ],
)
def test_numbers_never_use_exponents(feed, text):
    assert repr(feed) == text


def test_attributes_are_read_only_copies():
    column = BinaryColumn(101.325, Feed(100, 0.4), 0.95, 0.05)
    assert column.feed is not column.feed
    assert repr(column.feed) == repr(Feed(100, 0.4))
    assert column.condenser == CondenserKind.Total and column.condenser is not CondenserKind.Total
    for obj, attr in [(column, "pressure"), (column, "feed"), (column.feed, "q")]:
        with pytest.raises(AttributeError):
            setattr(obj, attr, 1)
    with pytest.raises(AttributeError):
        column.extra = 1


def test_column_repr_and_balances():
    column = BinaryColumn(101.325, Feed(100, 0.4), 0.95, 0.05)
    assert repr(column) == "BinaryColumn(P=101.325 kPa, zF=0.4, xD=0.95, xB=0.05)"
    assert column.distillate_rate() == 38.88888888888889
    assert column.bottoms_rate() == 61.11111111111111


@pytest.mark.parametrize(
    "args, message",
    [
        ((Feed(-5, 0.5), 0.95, 0.05), "feed rate must be positive, got -5 kmol/h"),
        ((Feed(0, 0.5), 0.95, 0.05), "feed rate must be positive, got 0 kmol/h"),
        ((Feed(math.nan, 0.5), 0.95, 0.05), "feed rate must be positive, got NaN kmol/h"),
        ((Feed(100, 1.2), 1.5, 0.05), "z_F must be a mole fraction in [0, 1], got 1.2"),
        ((Feed(100, 0.5), 1.5, -1), "x_D must be a mole fraction in [0, 1], got 1.5"),
        ((Feed(100, 0.5), 0.95, -0.5), "x_B must be a mole fraction in [0, 1], got -0.5"),
        ((Feed(100, 0.5), 0.95, 0.5), "specs must satisfy x_B < z_F < x_D, got x_B = 0.5, z_F = 0.5, x_D = 0.95"),
    ],
)
def test_column_checks_in_order(args, message):
    with pytest.raises(ValueError) as info:
        BinaryColumn(101.325, *args)
    assert str(info.value) == "dimension mismatch: " + message


def test_extreme_but_valid_columns():
    BinaryColumn(math.nan, Feed(1, 0.5, -3), 1.0, 0.0)
    BinaryColumn(-1, Feed(1, 0.5, math.inf), 0.9, 0.1)


@pytest.mark.parametrize(
    "text, kind",
    [("total", CondenserKind.Total), ("Total", CondenserKind.Total), ("PARTIAL", CondenserKind.Partial)],
)
def test_condenser_texts(text, kind):
    assert BinaryColumn(1, Feed(1, 0.5), 0.9, 0.1, condenser=text).condenser == kind


@pytest.mark.parametrize(
    "text, shown",
    [
        ("Reboiler", '"reboiler"'),
        ("partial ", '"partial "'),
        (" total", '" total"'),
        ('Q"\\\n\t\x00\x1b', '"q\\"\\\\\\n\\t\\0\\u{1b}"'),
        ("ÄTOTAL", '"Ätotal"'),
    ],
)
def test_condenser_refusals(text, shown):
    with pytest.raises(ValueError) as info:
        BinaryColumn(1, Feed(1, 0.5), 0.9, 0.1, condenser=text)
    assert str(info.value) == "condenser must be 'total' or 'partial', got " + shown


def test_condenser_is_parsed_before_the_column_is_checked():
    with pytest.raises(ValueError, match="^condenser"):
        BinaryColumn(1, Feed(-1, 5), 2, 3, "bogus")


def test_condenser_kind_members():
    total, partial = CondenserKind.Total, CondenserKind.Partial
    assert repr(total) == str(total) == "CondenserKind.Total"
    assert repr(partial) == "CondenserKind.Partial"
    assert (int(total), int(partial)) == (0, 1)
    assert total == 0 and partial == 1 and partial == True  # noqa: E712
    assert partial != total and not (total != CondenserKind.Total)
    assert total != "total" and not (total == "total") and not (total == 0.0)
    with pytest.raises(TypeError):
        total < partial  # noqa: B015
    with pytest.raises(TypeError):
        hash(total)


def test_condenser_compares_with_index_objects():
    class Index:
        def __index__(self):
            return 1

    assert CondenserKind.Partial == Index()


class IntOnly:
    """A number that converts with int() but is not an integer (no __index__)."""

    def __init__(self, value):
        self.value = value

    def __int__(self):
        return self.value


@pytest.mark.parametrize("other", [0.0, 1.0, 0.7, 1.9, -0.5, IntOnly(0), IntOnly(1), Decimal(1), Fraction(1)])
def test_condenser_kind_equals_no_number_that_is_not_an_integer(other):
    """Only __index__ counts: int() would truncate floats and accept anything with __int__."""
    for member in (CondenserKind.Total, CondenserKind.Partial):
        assert not (member == other) and member != other
