"""scripts/run: the checks that need nothing built, the build, then one run
as it is shown today, or a run per Windows version and code page ending
with their table; exit codes as scripts/run --help says."""
import contextlib
import os
import signal
import subprocess
import sys
import tempfile
import time
import traceback
from pathlib import Path

from main_job import bubblewrap
from main_job import installation as folders
from main_job import quiet_run
from main_job import table
from main_job.failures import ExpectedRefused, Refusal, RunEnded, StepFailed, step
from main_job.installer import Installer, check_installer
from main_job.options import parse, usage
from main_job.session import Session
from main_job.uninstall_run import UninstallRun
from main_job.wine import Wine, check_code_pages, check_versions, missing_locale


class Interrupted(Exception):
    """Ctrl-C or an end asked from outside."""


def interrupt(*_):
    raise Interrupted()


def build(here):
    """Only what the run needs: the uninstaller, the report and answer_run;
    the build's output is shown when it fails."""
    step([str(here / "scripts" / "setup")], "scripts/setup")
    preset = "shipped" if Wine.of_checkout(here).arch == "i686" else "wine-x86_64"
    for command in (["cmake", "--preset", preset],
                    ["cmake", "--build", "--preset", preset, "--target", "uninstall", "installation_report", "answer_run"]):
        done = subprocess.run(command, cwd=here, capture_output=True, check=False)
        if done.returncode != 0:
            sys.stderr.write((done.stdout + done.stderr).decode(errors="replace"))
            raise StepFailed(f"the build of the preset {preset} failed")


def check_prefix_architecture(prefix, arch):
    """A prefix of the caller's is of the architecture that the uninstaller
    is built for here: 32-bit for the shipped program, 64-bit where this
    machine runs the 64-bit build in its place."""
    system = Path(prefix, "system.reg").read_text(errors="replace").splitlines()
    if arch == "i686" and "#arch=win64" in system:
        raise Refusal(f"{prefix} is a 64-bit Wine prefix; the run needs a 32-bit one (made with WINEARCH=win32), "
                      "as the shipped uninstaller is a 32-bit program")
    if arch != "i686" and "#arch=win32" in system:
        raise Refusal(f"{prefix} is a 32-bit Wine prefix; the run needs a 64-bit one, as this machine cannot run "
                      "32-bit programs and runs the uninstaller's 64-bit build")


class Job:
    """What the options ask, checked; its runs."""

    def __init__(self, here, options):
        self.here = here
        self.options = options
        self.installation = os.path.abspath(options.installation) if options.installation else ""
        self.prefix = ""
        self.wine = None
        if self.installation:
            self.reg = folders.installation_reg(self.installation)
            if not options.record:
                folders.record_of(self.reg, "cp1252")
        elif options.prefix:
            if not (Path(options.prefix, "system.reg").is_file() and Path(options.prefix, "drive_c").is_dir()):
                raise Refusal(f"{options.prefix} is not a Wine prefix")
            self.prefix = os.path.abspath(options.prefix)
        elif not Path(options.install).is_file():
            raise Refusal(f"there is no installer {options.install}")
        self.machine = folders.machine_regs(options.machine) if options.machine else []
        check_versions(options.windows)
        check_code_pages(options.codepages)

    def prepare(self):
        """The build, then the checks of what it made and of this machine."""
        if self.options.build:
            build(self.here)
        self.wine = Wine.of_checkout(self.here)
        self.wine.sandboxed = bubblewrap.choose(self.options.sandbox)
        if self.prefix:
            check_prefix_architecture(self.prefix, self.wine.arch)
        for exe in (self.wine.uninstaller, self.wine.programs / "installation_report.exe",
                    self.wine.programs / "answer_run.exe"):
            if not exe.is_file():
                raise Refusal(f"{os.path.relpath(exe, self.here)} is not built (run without --no-build)")
        if self.options.install:
            check_installer(self.options.install, self.wine.arch)

    def run_once(self, work, keep, version="", code_page="1252", quiet=None):
        """One run, shown; its exit code. quiet: the quiet uninstall (by
        default as the options say)."""
        quiet = self.options.quiet if quiet is None else quiet
        options = self.options
        fresh = not self.prefix
        prefix = Path(work) / "prefix" if fresh else self.prefix
        session = Session(self.wine.in_prefix(prefix, code_page, work), work, fresh, keep)
        try:
            session.start(version)
            record = options.record
            label = self.installation or f"the Wine prefix {prefix}"
            if self.installation:
                folders.lay_out(session, self.installation, [self.reg])
                record = record or folders.record_of(self.reg, session.wine.codec)
            elif options.install:
                if options.machine:
                    folders.lay_out(session, options.machine, self.machine)
                record = Installer(session, options.install, options.install_args,
                                   float(options.minutes)).install(record)
                label = f"what {Path(options.install).name} installed in {prefix}"
            session.drives.hide()
            return UninstallRun(session, record, options.program, options.expected, quiet).run(label, bool(self.installation))
        except Interrupted:
            print(f"Result: INTERRUPTED; the installation is as far as the run came (reports in {work}).")
            session.wine.server("-k")  # the uninstaller and its batch file with it
            raise
        finally:
            session.finish()

    def run_cell(self, work, version, code_page, quiet=False):
        """One cell of the table: its run's output kept in its folder."""
        locale = missing_locale(code_page)
        if locale:
            return table.Cell("did not run", f"this machine has no locale {locale}, which gives code page "
                                             f"{code_page} (make it with: localedef -i {locale.split('.')[0]} "
                                             f"-c -f UTF-8 {locale})")
        work.mkdir(parents=True, exist_ok=True)
        with open(work / "output.txt", "w", encoding="utf-8") as output:
            with contextlib.redirect_stdout(output), contextlib.redirect_stderr(output):
                try:
                    code = self.run_once(work, False, version, code_page, quiet)
                except ExpectedRefused:
                    raise
                except RunEnded as ended:
                    print(f"scripts/run: {ended.why}")
                    code = ended.code
        return table.judge(code, (work / "output.txt").read_text(encoding="utf-8"), bool(self.options.expected))

    def run_table(self, work):
        versions = self.options.windows or [""]
        code_pages = self.options.codepages or ["1252"]
        # With --quiet, each code page's quiet run in a column beside its run after Yes.
        columns = [(code_page, quiet) for code_page in code_pages for quiet in [False, True][:1 + self.options.quiet]]
        cells = {}
        for version in versions:
            for code_page, quiet in columns:
                started = time.monotonic()
                name = quiet_run.column(code_page, quiet)
                try:
                    cell = cells[version, name] = self.run_cell(
                        work / f"{version or 'default'}-{code_page}{'-quiet' if quiet else ''}", version, code_page, quiet)
                except Interrupted:
                    print(f"Result: INTERRUPTED; the table is as far as the run came (reports in {work}).")
                    raise
                print(f"{version or 'Wine default'}, code page {name}: {cell.text}, "
                      f"{time.monotonic() - started:.0f} s", flush=True)
        print()
        for line in table.render(versions, [quiet_run.column(*column) for column in columns], cells):
            print(line)
        print(f"Reports: {work} (a folder for each cell)")
        print(table.verdict(cells, bool(self.options.expected)))
        return 0 if all(cell.good for cell in cells.values()) else 1


def work_folder(here, options):
    if options.work:
        os.makedirs(options.work, exist_ok=True)
        return Path(os.path.abspath(options.work))
    (here / "build" / "run").mkdir(parents=True, exist_ok=True)
    return Path(tempfile.mkdtemp(prefix="run-", dir=here / "build" / "run"))


def main(arguments):
    here = Path(os.path.abspath(__file__)).parent.parent
    sys.stdout.reconfigure(line_buffering=True)  # in order with the lines on stderr
    signal.signal(signal.SIGINT, interrupt)
    signal.signal(signal.SIGTERM, interrupt)
    try:
        options = parse(arguments, str(here / "docs" / "sample"))
        if options.help:
            sys.stdout.write(usage(here / "scripts" / "run"))
            return 0
        job = Job(here, options)
        job.prepare()
        work = work_folder(here, options)
        if options.table:
            return job.run_table(work)
        return job.run_once(work, bool(options.work))
    except RunEnded as ended:
        sys.stdout.flush()
        print(f"scripts/run: {ended.why}", file=sys.stderr)
        return ended.code
    except Interrupted:
        return 130
    except Exception as error:  # pylint: disable=broad-except # a fault of the program's own, shown whole
        traceback.print_exc()
        print(f"scripts/run: the run's own program failed: {error!r}", file=sys.stderr)
        return 4
