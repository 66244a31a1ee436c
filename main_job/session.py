"""One run's prefix: its Wine programs, the run's files inside it (where the
programs reach them with every outside drive hidden), and its end, which
puts back the drives, keeps the reports in the work folder and, for a fresh
prefix, ends its server and deletes it unless the caller keeps it; every
process of the prefix ends with the run. In a prefix of the caller's, a run
starts by mending what one that was ended by force left: the programs that
it left running, its files and the drives that it left hidden."""
import os
import shutil
import signal
import sys
from pathlib import Path

from main_job.bubblewrap import end_sandboxes_of, host_server_runs
from main_job.failures import Refusal, StepFailed, step
from main_job.sandbox import Drives


class Session:
    def __init__(self, wine, work, fresh, keep):
        self.wine = wine
        self.work = Path(work)
        self.fresh = fresh
        self.keep = keep
        self.files = wine.prefix / "drive_c" / "windows" / "temp" / f"qnl-run-{os.getpid()}"
        self.files_windows = f"C:\\windows\\temp\\qnl-run-{os.getpid()}"
        self.drives = Drives(wine.prefix)
        self.own_server = False
        # In a prefix of the caller's, the work folder of the run whose
        # server serves it and the run's files, kept while that runs, so
        # that the next run ends the programs that a run ended by force left
        # in its sandbox, and deletes its files.
        self.running = wine.prefix / "qnl-running-run.txt"

    def start(self, version=""):
        """A fresh prefix copied from the template; the run's files and one
        server for the whole run (ended at the end where the run started
        it); in a fresh prefix the outside drives hidden at once and the
        Windows version set. With DISPLAY the desktop starts anew with the
        x11 driver, so that the windows appear there."""
        if self.fresh:
            template = self.wine.wine.template()
            shutil.rmtree(self.wine.prefix, ignore_errors=True)
            step(["cp", "-a", str(template), str(self.wine.prefix)], "copying the prefix template")
        else:
            if self.wine.sandbox and host_server_runs(self.wine.prefix):
                raise Refusal(f"a Wine program runs in {self.wine.prefix} outside the sandbox; end it first "
                              "(wineserver -k), as the run's programs would start a second server for the prefix")
            self.end_left_running()
            if self.drives.recover():
                print(f"scripts/run: the drives of {self.wine.prefix} that a run ended by force left hidden are back",
                      file=sys.stderr)
        if not self.fresh and self.wine.sandbox:
            self.running.write_text(f"{self.work}\n{self.files}\n", encoding="utf-8")
        self.files.mkdir(parents=True, exist_ok=True)
        self.own_server = self.wine.start_server()
        if not self.fresh:
            return
        self.drives.hide()
        if os.environ.get("DISPLAY"):
            self.wine.run("reg", "add", "HKCU\\Software\\Wine\\Drivers", "/v", "Graphics", "/d", "x11", "/f")
            self.wine.server("-k")
            self.wine.server("-w")
            self.wine.start_server()
        if version:
            done = self.wine.run("reg", "add", "HKCU\\Software\\Wine", "/v", "Version", "/d", version, "/f")
            if done.returncode != 0:
                raise StepFailed(f"setting the Windows version {version} failed (exit code {done.returncode})")

    def end_left_running(self):
        """Ends the server of the prefix, and every program of it, that a run
        ended by force left running in its sandbox (its /tmp lies in that
        run's work folder, where no other run finds it), and its files."""
        if not self.running.is_file():
            return
        work, files = (self.running.read_text(encoding="utf-8").splitlines() + ["", ""])[:2]
        if self.wine.sandbox and Path(work).is_dir():
            left = self.wine.wine.in_prefix(self.wine.prefix, self.wine.code_page, work)
            ended = left.server("-k").returncode == 0
            if ended:
                left.server("-w")  # until they have gone, before this run's own start
            if end_sandboxes_of(work) or ended:
                print(f"scripts/run: the Wine programs that a run ended by force left running in {self.wine.prefix} "
                      "are ended", file=sys.stderr)
        if files.startswith(str(self.wine.prefix / "drive_c")):
            shutil.rmtree(files, ignore_errors=True)
        self.running.unlink()

    def finish(self):
        """The end, which a second Ctrl-C does not cut short: it comes once
        the prefix is as the run leaves it."""
        held = signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGINT, signal.SIGTERM})
        try:
            self.end()
        finally:
            signal.pthread_sigmask(signal.SIG_SETMASK, held)

    def end(self):
        self.drives.restore()
        for report in sorted(self.files.glob("*.txt")) + sorted(self.files.glob("*.log")):
            try:
                shutil.copy(report, self.work)
            except OSError:
                print(f"scripts/run: the reports could not be copied to {self.work}", file=sys.stderr)
        shutil.rmtree(self.files, ignore_errors=True)
        if self.own_server or self.fresh:
            self.wine.server("-k")
            self.wine.server("-w")
            self.running.unlink(missing_ok=True)
        if self.wine.sandbox:
            end_sandboxes_of(self.work)
            self.wine.sandbox.clear()
        if self.fresh and not self.keep:
            shutil.rmtree(self.wine.prefix, ignore_errors=True)
