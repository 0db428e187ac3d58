#!/usr/bin/env python3
"""Makes the Wine prefix that the tests of one run copy instead of each
booting Wine for themselves (see winehelper.TEMPLATE_ENV).

usage: wine_template.py FOLDER
"""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import winehelper  # noqa: E402


def main(argv):
    if len(argv) != 1:
        print(__doc__, file=sys.stderr)
        return 2
    started = time.monotonic()
    winehelper.make_template(argv[0])
    print(f"wine_template: made {argv[0]} in {time.monotonic() - started:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
