#!/usr/bin/env python3
"""How long a one-shot run takes to reach its settings write, against a
program that does nothing but that write.

Both run under Wine in one session, alternately, N times each. For each run
the time is taken from the process's first DLL load to its
SystemParametersInfo(SPI_SETMOUSESPEED) line (WINEDEBUG +timestamp,+pid), so
Wine's own process start-up, which both pay, is left out as far as the trace
allows. Prints the medians and their ratio.

    python3 tests/bench/one_shot_latency.py build/mingw/Tovel.exe \
        build/mingw/tests/win32/bare_speed_write.exe [runs]
"""

import os
import re
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import winehelper  # noqa: E402

_LINE = re.compile(r"^(?P<time>\d+\.\d+):(?P<pid>[0-9a-f]+):[0-9a-f]+:(?P<rest>.*)$",
                   re.MULTILINE)
_SPEED_WRITE = "NtUserSystemParametersInfo (113,"


def time_to_write(session, exe, args):
    proc = session.run(exe, args, timeout=60, debug="-all,+timestamp,+pid,+loaddll,trace+system")
    lines = [m.groupdict() for m in _LINE.finditer(proc.stderr())]
    writes = [line for line in lines if line["rest"].startswith("trace:system:" + _SPEED_WRITE)]
    if not writes:
        raise RuntimeError(f"{exe}: no speed write in the trace")
    pid = writes[0]["pid"]
    first = next(line for line in lines if line["pid"] == pid)
    return (float(writes[0]["time"]) - float(first["time"])) * 1000.0


def main():
    tovel, bare = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 9
    with winehelper.WineSession() as session:
        # One warm-up each: the first start of a program loads its files.
        time_to_write(session, tovel, ["7"])
        time_to_write(session, bare, [])
        tovel_ms, bare_ms = [], []
        for _ in range(runs):
            tovel_ms.append(time_to_write(session, tovel, ["7"]))
            bare_ms.append(time_to_write(session, bare, []))
    t, b = statistics.median(tovel_ms), statistics.median(bare_ms)
    print("Tovel.exe 7      : median %.1f ms  (%s)" % (t, " ".join("%.0f" % v for v in tovel_ms)))
    print("bare speed write : median %.1f ms  (%s)" % (b, " ".join("%.0f" % v for v in bare_ms)))
    print("ratio            : %.2f" % (t / b))


if __name__ == "__main__":
    main()
