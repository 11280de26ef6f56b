"""Demonstration: build a binary column and print its material balances."""

import sys

from . import BinaryColumn, Feed, __version__


def main() -> int:
    feed = Feed(100.0, 0.4)
    column = BinaryColumn(101.325, feed, 0.95, 0.05)
    print(f"kolvar {__version__}")
    print(column)
    print(feed)
    print(f"distillate D = {column.distillate_rate():.4f} kmol/h")
    print(f"bottoms    B = {column.bottoms_rate():.4f} kmol/h")
    return 0


if __name__ == "__main__":
    sys.exit(main())
