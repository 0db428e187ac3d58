#!/usr/bin/env python3
"""Runs one Windows program under Wine in a private prefix and display, passes
its output through and ends with its exit code; the prefix and the display
are removed afterwards.

usage: wine_run.py [--timeout SECONDS] PROGRAM.exe [ARGS...]
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import winehelper  # noqa: E402


def main(argv):
    timeout = 240
    if len(argv) >= 2 and argv[0] == "--timeout":
        timeout = float(argv[1])
        argv = argv[2:]
    if not argv:
        print(__doc__, file=sys.stderr)
        return 2
    with winehelper.WineSession() as session:
        proc = session.launch(argv[0], argv[1:])
        try:
            code = proc.wait(timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            code = None
        sys.stdout.write(proc.stdout())
        sys.stderr.write(proc.stderr())
        sys.stdout.flush()
    if code is None:
        print(f"wine_run: {argv[0]} did not end within {timeout:g} s", file=sys.stderr)
        return 124
    return code


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
