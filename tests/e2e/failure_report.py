"""A failed end-to-end test reports, beside its assertion, the tail of each
trace it judged: a failure seen once on a busy machine must be understood
from the module's log alone, after the session and its files are gone.

Modules run through main(); a test class that holds a session of winehelper's
in ``session`` gets the tails of the programs launched during the test.
"""

import unittest


def _session_of(test):
    # A failure of setUpClass comes on a stand-in without a session.
    return getattr(test, "session", None)


class TraceTailResult(unittest.TextTestResult):
    """Adds the trace tails to each failure and error as it is recorded, while
    the traces are still on disk."""

    def startTest(self, test):
        super().startTest(test)
        session = _session_of(test)
        try:
            self._mark = session.trace_mark() if session is not None else None
        except OSError:
            self._mark = None  # a session whose folder is gone has no traces to show

    def _with_tails(self, entries, test):
        session = _session_of(test)
        if session is None or self._mark is None or not entries:
            return
        try:
            tails = session.trace_tails(self._mark)
        except OSError:
            return
        if tails:
            case, text = entries[-1]
            entries[-1] = (case, f"{text}\n{tails}\n")

    def addFailure(self, test, err):
        super().addFailure(test, err)
        self._with_tails(self.failures, test)

    def addError(self, test, err):
        super().addError(test, err)
        self._with_tails(self.errors, test)

    def addSubTest(self, test, subtest, err):
        super().addSubTest(test, subtest, err)
        if err is not None:
            failed = issubclass(err[0], test.failureException)
            self._with_tails(self.failures if failed else self.errors, test)


class TraceTailRunner(unittest.TextTestRunner):
    resultclass = TraceTailResult


def main():
    unittest.main(testRunner=TraceTailRunner)
