#!/usr/bin/env python3
"""Runs one Windows program under Wine in a private prefix and display, passes
its output through and ends with its exit code; the prefix and the display
are removed afterwards.

The program runs on a Wine virtual desktop, as programs do on Windows. On the
bare X display each window it shows or hides is handed to a window manager,
and Wine waits in vain for the one that Xvfb does not have: some 4 s for
every test that opens a window.

With --heap-check, Wine's heap checking is on for the run, and a heap error
that Wine reports for the program fails the run (exit code 1 when the program
itself ended with 0) after the errors have been printed.

usage: wine_run.py [--timeout SECONDS] [--heap-check] PROGRAM.exe [ARGS...]
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import heap_check  # noqa: E402
import winehelper  # noqa: E402


DESKTOP = "tovel"


def main(argv):
    timeout = 240
    check_heap = False
    while argv and argv[0].startswith("--"):
        if argv[0] == "--timeout" and len(argv) >= 2:
            timeout = float(argv[1])
            argv = argv[2:]
        elif argv[0] == "--heap-check":
            check_heap = True
            argv = argv[1:]
        else:
            break
    if not argv:
        print(__doc__, file=sys.stderr)
        return 2
    debug = heap_check.with_heap_checking("-all") if check_heap else "-all"
    with winehelper.WineSession(desktop=DESKTOP) as session:
        proc = session.launch(argv[0], argv[1:], debug=debug)
        try:
            code = proc.wait(timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            code = None
        sys.stdout.write(proc.stdout())
        sys.stderr.write(proc.stderr())
        sys.stdout.flush()
        errors = heap_check.heap_errors(proc.stderr(), argv[0]) if check_heap else []
    name = os.path.basename(argv[0])
    if errors:
        print(f"wine_run: heap errors in {name}:", *errors, sep="\n  ", file=sys.stderr)
    if code is None:
        print(f"wine_run: {name} did not end within {timeout:g} s", file=sys.stderr)
        return 124
    if errors and code == 0:
        return 1
    return code


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
