"""Wine's heap checking for the programs that the tests run under Wine.

With the heap channel's warnings on, Wine checks every block that a program
hands back to a heap: a block freed twice, a pointer the heap never gave out,
or a block whose guard bytes were overwritten is reported as an err:heap or
warn:heap line of the process, and the call goes on. The native sanitizers
never see the Win32 layer; this is the check that does.

The loaddll trace names the program each process was started for, so that
only the lines of the program itself are counted, not those of Wine's own
helper processes that inherit the same debug channels.
"""

import ntpath
import os
import re

# Added to WINEDEBUG after what a test asks for; "+pid" puts the process id
# in front of every line.
CHANNELS = "err+heap,warn+heap,trace+loaddll,+pid"

# An optional "+timestamp" field, then process and thread id:
#   0108:010c:warn:heap:unsafe_block_from_ptr heap 0000000000CA0000, block
#   0000000000CA3628: delayed freed block
_PREFIX = r"^(?:\d+\.\d+:)?(?P<pid>[0-9a-f]+):[0-9a-f]+:"
_HEAP_LINE = re.compile(_PREFIX + r"(?:err|warn):heap:.*$", re.MULTILINE)
# The program's own image, the one module Wine loads as native at start:
#   0108:010c:trace:loaddll:build_module Loaded L"Z:\\tmp\\a.exe" at 0000000140000000: native
_PROGRAM_LOADED = re.compile(
    _PREFIX + r'trace:loaddll:\w+ Loaded L"(?P<path>(?:[^"\\]|\\.)*)" at [0-9A-Fa-f]+: native',
    re.MULTILINE)


def with_heap_checking(debug):
    """The WINEDEBUG value debug with the heap checking added."""
    return f"{debug},{CHANNELS}" if debug else CHANNELS


def heap_errors(trace, exe):
    """The heap errors that Wine reported for the processes of exe in a trace
    written with the channels above, in order.

    When the trace shows no process of exe at all, the check could not have
    seen anything; that is answered as an error too, so that a run without
    the channels never passes for a clean one.
    """
    name = os.path.basename(exe).lower()
    pids = {m.group("pid") for m in _PROGRAM_LOADED.finditer(trace)
            if ntpath.basename(m.group("path").replace("\\\\", "\\")).lower() == name}
    if not pids:
        return [f"no process of {name} in the trace: was the heap checking on?"]
    return [m.group(0) for m in _HEAP_LINE.finditer(trace) if m.group("pid") in pids]
