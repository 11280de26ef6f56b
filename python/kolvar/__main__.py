"""``python -m kolvar``: design a binary column from the command line (see kolvar.cli)."""

import sys

from .cli import main

if __name__ == "__main__":
    sys.exit(main())
