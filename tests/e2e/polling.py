"""Waiting for what a program under Wine does, by asking again and again.

A program under Wine on a shared, busy machine may take many times longer than
usual to paint, to answer or to end, so the tests never sleep for "long
enough": they ask for the state they need until it is there or a generous
deadline has passed, and then say what they saw last.
"""

import time

# Far above what an idle machine needs, and above what a machine busy with
# builds on every core was seen to need, so that only a real fault runs into
# it; a wait that holds costs only the time until it holds.
DEFAULT_TIMEOUT = 60
DEFAULT_STEP = 0.2


class WaitTimeout(AssertionError):
    """The state a test waited for did not come before the deadline."""


def poll(probe, until=bool, timeout=DEFAULT_TIMEOUT, step=DEFAULT_STEP):
    """Calls probe() until until(value) holds or timeout seconds have passed.

    Answers (held, value): whether the state came, and the last value probed.
    The probe runs once more after the deadline, so a slow probe still gets
    its last look.
    """
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if until(value):
            return True, value
        if time.monotonic() >= deadline:
            return False, value
        time.sleep(step)


def wait_for(probe, what, until=bool, timeout=DEFAULT_TIMEOUT, step=DEFAULT_STEP,
             show=repr):
    """Like poll(), but answers the value and raises WaitTimeout, naming what
    was awaited and the last value seen (through show), when it did not come."""
    held, value = poll(probe, until=until, timeout=timeout, step=step)
    if not held:
        raise WaitTimeout(f"{what}: not within {timeout:g} s; last saw {show(value)}")
    return value
