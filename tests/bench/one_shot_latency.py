#!/usr/bin/env python3
"""How long a one-shot run takes to reach its settings write, against two
programs that do next to nothing else.

The references are bare_speed_write.exe (nothing but that write) and, if
given, bare_folder_speed_write.exe (the write after the data-folder lookup,
SHGetFolderPathW: the least any start of the program must do). All run under
Wine in one session, interleaved, N times each. For each run the time is taken
from the process's first DLL load to its SystemParametersInfo(SPI_SETMOUSESPEED)
line (WINEDEBUG +timestamp,+pid), so Wine's own process start-up, which all
pay, is left out as far as the trace allows. Prints the medians and the
ratios, and the machine's load average, since other work on the machine
stretches every figure.

    python3 tests/bench/one_shot_latency.py build/mingw/Tovel.exe \\
        build/mingw/tests/win32/bare_speed_write.exe \\
        [build/mingw/tests/win32/bare_folder_speed_write.exe] [runs]
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


def load():
    return " ".join("%.2f" % v for v in os.getloadavg())


def main():
    args = sys.argv[1:]
    runs = int(args.pop()) if args and args[-1].isdigit() else 9
    if len(args) not in (2, 3):
        sys.exit(__doc__)
    programs = [(args[0], ["7"], "Tovel.exe 7")]
    programs.append((args[1], [], "bare speed write"))
    if len(args) == 3:
        programs.append((args[2], [], "folder + write"))
    times = {label: [] for _exe, _args, label in programs}
    print("load average before: " + load())
    with winehelper.WineSession() as session:
        # One warm-up each: the first start of a program loads its files.
        for exe, exe_args, _label in programs:
            time_to_write(session, exe, exe_args)
        for _ in range(runs):
            for exe, exe_args, label in programs:
                times[label].append(time_to_write(session, exe, exe_args))
    print("load average after : " + load())
    medians = {label: statistics.median(values) for label, values in times.items()}
    for label, values in times.items():
        print("%-17s: median %6.1f ms  (%s)" % (label, medians[label],
                                               " ".join("%.0f" % v for v in values)))
    tovel = medians["Tovel.exe 7"]
    print("ratio to the bare write          : %.2f" % (tovel / medians["bare speed write"]))
    if "folder + write" in medians:
        print("ratio to the write after lookup  : %.2f" % (tovel / medians["folder + write"]))
        print("lookup's own cost over the write : %.2f" %
              (medians["folder + write"] / medians["bare speed write"]))


if __name__ == "__main__":
    main()
