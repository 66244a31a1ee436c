"""The uninstall as Windows runs it, between two installation reports: the
report before, the command of the record's UninstallString (or "PATH"
"NAME") run with its confirmation answered Yes (with DISPLAY set: by you),
the report after, and both side by side with the verdict; an item whose
path leads outside the prefix (every link resolved) is told as such in both
reports, and one that the run's programs acted on in a note. Texts of the
reports come in the prefix's ANSI code page."""
import os
import re
import shutil
import sys
import time

from main_job.failures import ExpectedRefused, Refusal, StepFailed
from main_job.command_line import program_of_command
from main_job import quiet_run
from main_job.sandbox import inside, leads_outside, unix_path

# The kinds of item that name a file or a folder.
PATH_KINDS = ("file", "include", "folder", "contents", "program", "batch")


class UninstallRun:
    def __init__(self, session, record, program="", expected="", quiet=False):
        self.session = session
        self.quiet = quiet
        self.wine = session.wine
        self.record = record
        self.program = program
        self.expected = expected
        self.programs = self.wine.wine.programs

    def report(self, *arguments):
        """What installation_report.exe says, its line ends as this machine's,
        and its exit code (of --compare: whether the run ended as expected)."""
        done = self.wine.run(self.programs / "installation_report.exe", *arguments)
        if done.returncode != 0 and arguments[0] != "--compare":
            sys.stderr.write(self.wine.text(done.stderr))
            raise StepFailed(f"installation_report.exe {' '.join(arguments)} failed (exit code {done.returncode})")
        return done.stdout.replace(b"\r", b""), done.returncode

    def file(self, name):
        return self.session.files / name

    def windows(self, name):
        return f"{self.session.files_windows}\\{name}"

    def check_expected(self):
        """An expected report that holds a line that is no item is refused."""
        shutil.copyfile(self.expected, self.file("expected.txt"))
        if self.quiet:
            self.file("expected.txt").write_bytes(quiet_run.expected_of_quiet(self.file("expected.txt").read_bytes()))
        done = self.wine.run(self.programs / "installation_report.exe", "--compare", self.windows("expected.txt"),
                             self.windows("expected.txt"))
        if done.returncode == 0:
            return
        refusals = [line for line in done.stderr.replace(b"\r", b"").split(b"\n")
                    if line.startswith(b"installation_report: ")]
        if not refusals:
            sys.stderr.write(self.wine.text(done.stderr))
            raise StepFailed("installation_report.exe could not read the expected report")
        refusal = self.wine.text(refusals[-1])
        raise ExpectedRefused(f"the expected report {self.expected}: "
                              f"{refusal.partition('expected.txt: ')[2] or refusal}")

    def take_before(self):
        """The report before; the command that the run starts."""
        before, _ = self.report(self.record, *([self.program] if self.program else []))
        self.file("before.txt").write_bytes(before)
        if not re.search(rb"^record\t.*\tpresent$", before, re.MULTILINE):
            raise Refusal(f"there is no uninstall record \"{self.record}\" in {self.wine.prefix} (or one that the "
                          f"record's name does not reach: a name is taken in CP{self.wine.code_page})")
        commands = re.findall(rb"^# Command: (.*)$", before, re.MULTILINE)
        command = self.wine.text(commands[0]) if commands else ""
        if self.program and command:
            print("scripts/run: the record has an UninstallString; --program is only for a record without one, "
                  "and is passed over", file=sys.stderr)
            self.program = ""
            self.file("before.txt").write_bytes(self.report(self.record)[0])
        if self.program:
            command = f'"{self.program}" "{self.record}"'
        if not command:
            raise Refusal(f"the record \"{self.record}\" has no UninstallString; name the program file with --program PATH")
        return command

    def program_files(self):
        """The program file and its batch file as paths of this machine ("" for
        a path that no drive of the prefix reaches)."""
        paths = {}
        for line in self.file("before.txt").read_bytes().split(b"\n"):
            fields = line.split(b"\t")
            if fields[0] in (b"program", b"batch") and len(fields) > 1:
                paths.setdefault(fields[0].decode(), unix_path(self.wine.prefix, self.wine.text(fields[1])))
        return paths.get("program", ""), paths.get("batch", "")

    def place_program(self, command):
        """The shipped program copied to the path of the command, as an
        installer would have put it there."""
        exe_path = program_of_command(command)
        copy = unix_path(self.wine.prefix, exe_path) if exe_path else self.program_files()[0]
        if not inside(copy or "/", self.wine.prefix):
            raise Refusal(f"the program of \"{command}\" lies outside the prefix (only its drive C: is there during the run)")
        os.makedirs(os.path.dirname(copy), exist_ok=True)
        shutil.copyfile(self.wine.wine.uninstaller, copy)
        self.file("before.txt").write_bytes(self.report(self.record, *([self.program] if self.program else []))[0])

    def answer(self, command):
        """The run, its boxes answered; the removal batch file's console output
        goes nowhere, and what Wine says is shown when answer_run could not run."""
        by_hand = ["--by-hand"] if os.environ.get("DISPLAY") else []
        if self.quiet:
            by_hand = [quiet_run.ANSWERING]
        done = self.wine.run(self.programs / "answer_run.exe", self.windows("run.txt"), *by_hand, command)
        batch = self.program_files()[1]
        for _ in range(60):
            if not batch or not os.path.exists(batch):
                break
            time.sleep(0.5)
        if not self.file("run.txt").exists():
            sys.stderr.write(self.wine.text(done.stderr))
            self.file("run.txt").write_bytes(b"run\tstart\tanswer_run could not run\r\n")

    def keep_out(self):
        """Items whose path leads outside the prefix, stated so in both
        reports: with the kernel's sandbox "outside the prefix: kept out" (the
        host is read-only to the run), else "outside the prefix: " and what
        the report found; the notes on those whose state the run changed."""
        found = {}
        for name in ("before.txt", "after.txt"):
            lines = self.wine.text(self.file(name).read_bytes()).split("\n")
            for number, line in enumerate(lines):
                fields = line.split("\t")
                if len(fields) == 3 and fields[0] in PATH_KINDS and leads_outside(self.wine.prefix, fields[1]):
                    found.setdefault(fields[1], []).append(fields[2])
                    kept = "kept out" if self.wine.sandbox else fields[2]
                    lines[number] = f"{fields[0]}\t{fields[1]}\toutside the prefix: {kept}"
            self.file(name).write_bytes(self.wine.bytes("\n".join(lines)))
        notes = []
        for path, states in found.items():
            if len(set(states)) > 1:
                notes.append(f"  Outside the prefix: the uninstaller acted on {path} ({' -> '.join(states)})" +
                             ("; the sandbox kept the host's file as it was" if self.wine.sandbox else
                              "; without the kernel's sandbox that reached the host"))
        return notes

    def run(self, installation, copy_program):
        """The whole run, shown; its exit code."""
        if self.expected:
            self.check_expected()
        command = self.take_before()
        if copy_program:
            self.place_program(command)
        told = ""
        if self.quiet:
            command, told = quiet_run.quiet_command(self.file("before.txt").read_bytes(), command, self.wine.text)
        print(f'Installation: {installation}, record "{self.record}"')
        print(f"Running: {command}")
        if told:
            print(told)
        for note in re.findall(rb"^# (Earlier run|Warning): (.*)$", self.file("before.txt").read_bytes(), re.MULTILINE):
            print(f"  {note[0].decode()}: {self.wine.text(note[1])}")
        if copy_program:
            print(f"  (the program file is a copy of {os.path.relpath(self.wine.wine.uninstaller, self.wine.wine.here)})")
        if os.environ.get("DISPLAY"):
            print(f"  (answer the uninstaller's windows on display {os.environ['DISPLAY']})")
        sys.stdout.flush()
        self.answer(command)
        again, _ = self.report("--again", self.windows("before.txt"))
        self.file("after.txt").write_bytes(again + self.file("run.txt").read_bytes().replace(b"\r", b""))
        notes = self.keep_out()
        self.session.drives.restore()
        print(f"Reports: {self.session.work} (before.txt, after.txt, run.txt)")
        for note in notes:
            print(note)
        compared, status = self.report("--compare", self.windows("before.txt"), self.windows("after.txt"),
                                       *([self.windows("expected.txt")] if self.expected else []))
        sys.stdout.write(self.wine.text(compared))
        return status
