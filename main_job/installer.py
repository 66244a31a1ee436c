"""The author's installer, run unattended in a fresh prefix: its kind (and so
its silent switches) and architecture told from its bytes, its boxes that
only tell answered, and the uninstall record that it wrote found: the one
whose UninstallString starts a program of this product. An installer that
did not start, failed, asked for input, did not finish within its time or
wrote no such record ends the run with one line saying so; what it started
ends with it."""
import re
import shutil
import struct
from pathlib import Path

from main_job.command_line import program_path
from main_job.failures import InstallerFailed, Refusal
from main_job.registry_file import UNINSTALL, reg_text, uninstall_keys, uninstall_records
from main_job.sandbox import unix_path

# The kinds whose silent switches are known, by a mark that their installers
# carry: NSIS's header, Inno Setup's loader table.
KINDS = ((b"NullsoftInst", "NSIS", "/S"), (b"rDlPtS", "Inno Setup", "/VERYSILENT /SUPPRESSMSGBOXES /NORESTART"))

# The uninstaller's application manifest names its assembly so.
PRODUCT_MARK = b'<assemblyIdentity type="win32" name="Quenlar.Uninstall"'

MACHINES = {0x14C: "i686", 0x8664: "x86_64"}

# answer_run ends a program that runs longer than its own time limit with
# this exit code (0xDEAD).
ANSWER_RUN_ENDED, ANSWER_RUN_MINUTES = 57005, 10


def kind_of(data):
    """The installer's kind and its silent switches, or ("", "")."""
    return next(((name, switches) for mark, name, switches in KINDS if mark in data), ("", ""))


def architecture_of(data):
    """i686 or x86_64 for a Windows program, else ""."""
    if data[:2] != b"MZ" or len(data) < 64:
        return ""
    header = struct.unpack_from("<I", data, 60)[0]
    if data[header:header + 4] != b"PE\0\0":
        return ""
    return MACHINES.get(struct.unpack_from("<H", data, header + 4)[0], "")


def check_installer(path, arch):
    """Refuses an installer that is no Windows program, or one that the prefix
    of the uninstaller that runs here cannot run."""
    program = architecture_of(Path(path).read_bytes())
    if not program:
        raise Refusal(f"{path} is not a Windows program")
    if program == "i686" and arch != "i686":
        raise Refusal(f"{path} is a 32-bit program, which this machine cannot run: here the run installs and undoes "
                      "64-bit installers only, with the uninstaller's 64-bit build in place of the shipped program")
    if program == "x86_64" and arch == "i686":
        raise Refusal(f"{path} is a 64-bit program; the run's prefix is a 32-bit one, as the shipped uninstaller is "
                      "a 32-bit program")


def is_product_program(path):
    return bool(path) and Path(path).is_file() and PRODUCT_MARK in Path(path).read_bytes()


def told(lines, log):
    """What an installer told, as "; it said ..." : the boxes among its run's
    lines (item, state), and the messages of an Inno Setup log that it
    showed to nobody (each on the lines indented below its note)."""
    messages = [re.sub(r"\\x0[AD]", " ", state) for item, state in lines if item.startswith("box ")]
    messages += re.findall(r"suppressed message box.*\n((?:[ \t]{10,}.*(?:\n|$))+)", log.replace("\r", ""))
    return "".join('; it said "' + " ".join(message.split()) + '"' for message in messages)


class Installer:
    def __init__(self, session, path, arguments=None, minutes=10):
        self.session = session
        self.minutes = minutes
        self.wine = session.wine
        self.path = Path(path)
        self.kind, switches = kind_of(self.path.read_bytes())
        self.arguments = switches if arguments is None else arguments

    def records(self):
        """The uninstall records of the prefix, by name: their UninstallString
        and the text of their values."""
        export = self.session.files / "records.reg"
        self.wine.run("regedit", "/e", f"{self.session.files_windows}\\records.reg", UNINSTALL.rstrip("\\"))
        if not export.exists():
            return {}
        text = reg_text(export.read_bytes(), self.wine.codec)
        export.unlink()
        keys = uninstall_keys(text)
        return {name: (command, keys[name]) for name, command in uninstall_records(text, self.wine.codec).items()}

    def command(self):
        """The installer's command line, from inside the prefix; Inno Setup
        keeps a log, which says why it stopped when it says nothing else."""
        shutil.copyfile(self.path, self.session.files / self.path.name)
        command = f'"{self.session.files_windows}\\{self.path.name}" {self.arguments}'.rstrip()
        if self.kind == "Inno Setup" and "/log" not in self.arguments.lower():
            command += f' /LOG="{self.session.files_windows}\\install.log"'
        return command

    def said(self, lines):
        log = self.session.files / "install.log"
        return told(lines, log.read_bytes().decode("utf-8-sig", errors="replace") if log.exists() else "")

    def install(self, record=""):
        """Runs the installer and returns the record to undo."""
        before = self.records()
        command = self.command()
        kind = f" ({self.kind})" if self.kind else ""
        print(f"Installing: {command}{kind}")
        landed = self.wine.sandbox.landed() if self.wine.sandbox else []
        finished = self.wine.run_within(self.minutes * 60, self.wine.wine.programs / "answer_run.exe",
                                        f"{self.session.files_windows}\\install.txt", "--unattended", command)
        self.tell_outside(landed)
        if not finished:
            raise InstallerFailed(self.unfinished(self.minutes))
        self.judge_run()
        after = self.records()
        # Written: new, or one that was there and that the installer rewrote.
        written = {name: command for name, (command, values) in after.items()
                   if name not in before or before[name][1] != values}
        if record:
            if record not in after:
                raise InstallerFailed(f'the installer wrote no uninstall record "{record}"{self.listed(written)}')
            return record
        ours = [name for name, command in written.items()
                if is_product_program(unix_path(self.wine.prefix, program_path(command)))]
        if not ours:
            raise InstallerFailed("the installer wrote no uninstall record whose UninstallString starts the "
                                  f"Quenlar uninstaller{self.listed(written)}")
        if len(ours) > 1:
            names = ", ".join(f'"{name}"' for name in ours)
            raise Refusal(f"the installer wrote {len(ours)} uninstall records that start the Quenlar uninstaller "
                          f"({names}); name one with --record")
        return ours[0]

    def tell_outside(self, landed):
        """A note of what the installer wrote in the host's places that the
        sandbox stands in for, beyond what had LANDED there before it ran;
        without the sandbox, that no such write can be told."""
        if not self.wine.sandbox:
            print("  Without the kernel's sandbox the run cannot tell what the installer wrote outside the prefix "
                  "(a write through a \\\\?\\unix\\ path reaches this machine)")
            return
        written = [path for path in self.wine.sandbox.landed() if path not in landed]
        if written:
            print(f"  The installer tried to write outside the prefix: {', '.join(written)}; none of it reached "
                  f"this machine (the sandbox kept it in {self.wine.sandbox.stand_in})")

    def judge_run(self):
        """Ends the run at an installer that did not start, asked for input or
        failed."""
        report = self.session.files / "install.txt"
        if not report.exists():
            raise InstallerFailed("the installer could not be run (answer_run wrote nothing)")
        lines = [tuple(line.split("\t")[1:3]) for line in self.wine.text(report.read_bytes()).splitlines()
                 if line.count("\t") == 2]
        states = dict(lines)
        if "start" in states:
            raise InstallerFailed(f"the installer did not start ({states['start']})")
        if "input" in states:
            how = (f"it ran with {self.arguments}, the silent switches of {self.kind}" if self.kind and self.arguments
                   else f"it ran with {self.arguments}" if self.arguments
                   else "it ran without switches: give its silent ones with --install-args")
            raise InstallerFailed(f'the installer asked for input: it showed "{states["input"]}" ({how})')
        if states.get("exit code") == str(ANSWER_RUN_ENDED):
            raise InstallerFailed(self.unfinished(ANSWER_RUN_MINUTES))
        if states.get("exit code", "0") != "0":
            raise InstallerFailed(f"the installer failed with exit code {states['exit code']}{self.said(lines)}")

    @staticmethod
    def unfinished(minutes):
        return f"the installer did not finish within {minutes:g} minutes; it may be waiting for a person"

    @staticmethod
    def listed(written):
        if not written:
            return " (it wrote none)"
        return " (it wrote " + ", ".join(f'"{name}", which starts {command or "nothing"}'
                                         for name, command in written.items()) + ")"
