"""How a run ends early: each way with its exit code and one line saying why,
shown as "scripts/run: WHY"."""
import subprocess
import sys


class RunEnded(Exception):
    """A run that cannot go on; code is its exit code."""

    code = 4

    def __init__(self, why):
        super().__init__(why)
        self.why = why


class Refusal(RunEnded):
    """Bad input: nothing changed but the run's fresh prefix."""

    code = 2


class ExpectedRefused(Refusal):
    """An expected report with a line that is no item: refused for every run
    of a table alike."""


class StepFailed(RunEnded):
    """A command that the run itself runs failed."""

    code = 4


class InstallerFailed(RunEnded):
    """The author's installer left no installation to undo: it did not start,
    failed, asked for input or wrote no record of this product."""

    code = 5


def step(command, what, **options):
    """Runs a command of the run's own and returns what it did; one that fails
    shows what it said and ends the run with a line naming it."""
    done = subprocess.run(command, capture_output=True, check=False, **options)
    if done.returncode != 0:
        sys.stderr.write((done.stdout + done.stderr).decode(errors="replace"))
        raise StepFailed(f"{what} failed (exit code {done.returncode}): {' '.join(map(str, command))}")
    return done
