"""scripts/run's command line: its options, and the refusals of options that
do not go together, before anything is built or run."""
import os
import re
from dataclasses import dataclass, field
from pathlib import Path

from main_job.failures import Refusal

# Options that take a value, by the field that keeps it.
VALUED = {"--prefix": "prefix", "--record": "record", "--program": "program", "--expected": "expected",
          "--work": "work", "--install": "install", "--install-args": "install_args", "--machine": "machine",
          "--windows": "windows", "--codepage": "codepages", "--sandbox": "sandbox",
          "--time-limit": "minutes"}

# The kernel's sandbox: where the machine gives one (auto), or nothing runs
# without it (strict).
SANDBOX_MODES = ("auto", "strict")


@dataclass
class Options:
    installation: str = ""
    prefix: str = ""
    record: str = ""
    program: str = ""
    expected: str = ""
    work: str = ""
    install: str = ""
    install_args: str = None  # None: the silent switches of the installer's kind
    machine: str = ""
    windows: list = field(default_factory=list)
    codepages: list = field(default_factory=list)
    sandbox: str = "auto"
    minutes: str = "10"  # the installer's time limit
    build: bool = True
    help: bool = False
    quiet: bool = False  # the quiet uninstall (/S); in a table beside the run after Yes

    @property
    def table(self):
        """A run per Windows version and code page, ending with their table."""
        return bool(self.windows or self.codepages)


def usage(script):
    """The usage: the head comment of scripts/run, from its second line to
    the first command."""
    lines = []
    for line in Path(script).read_text(encoding="utf-8").splitlines()[1:]:
        if not line.startswith("#"):
            break
        lines.append(line[2:] if line.startswith("# ") else line[1:])
    return "\n".join(lines) + "\n"


def read_arguments(arguments):
    """The options as given, refusing an unknown one or a missing value."""
    options = Options()
    rest = list(arguments)
    while rest:
        argument = rest.pop(0)
        if argument in VALUED:
            if not rest:
                raise Refusal(f"{argument} needs a value")
            value = rest.pop(0)
            if argument in ("--windows", "--codepage"):
                value = [item for item in value.split(",") if item]
            setattr(options, VALUED[argument], value)
        elif argument == "--no-build":
            options.build = False
        elif argument == "--quiet":
            options.quiet = True
        elif argument == "--help":
            options.help = True
            return options
        elif argument.startswith("-"):
            raise Refusal(f"unknown option {argument} (scripts/run --help shows the usage)")
        elif options.installation:
            raise Refusal("one installation at a time")
        else:
            options.installation = argument
    return options


def parse(arguments, sample):
    """The options of a run, the installation by default SAMPLE; refuses
    options that do not go together."""
    options = read_arguments(arguments)
    if options.help:
        return options
    if options.install and (options.prefix or options.installation):
        raise Refusal("give an installer (--install), an installation folder or --prefix, one of them")
    if not options.prefix and not options.install:
        options.installation = options.installation or sample
    if options.prefix and options.installation:
        raise Refusal("give an installation folder or --prefix, not both")
    if options.prefix and not options.record:
        raise Refusal("--prefix needs --record NAME")
    if not options.install and (options.install_args is not None or options.machine or options.minutes != "10"):
        raise Refusal("--install-args, --machine and --time-limit go with --install")
    if options.install and options.program:
        raise Refusal("--program is for a record without UninstallString; an installer's record is found by its UninstallString")
    if options.prefix and options.table:
        raise Refusal("--windows and --codepage make a fresh prefix for each run; give --install or an installation folder, not --prefix")
    if options.sandbox not in SANDBOX_MODES:
        raise Refusal(f"--sandbox takes {' or '.join(SANDBOX_MODES)}, not {options.sandbox}")
    if not re.fullmatch(r"\d+(\.\d+)?", options.minutes) or float(options.minutes) <= 0:
        raise Refusal(f"--time-limit takes minutes (a number above 0), not {options.minutes}")
    if options.expected and not Path(options.expected).is_file():
        raise Refusal(f"there is no expected report {options.expected}")
    if not options.expected and options.installation and Path(options.installation, "expected.txt").is_file():
        options.expected = str(Path(options.installation, "expected.txt"))
    if options.expected:
        options.expected = os.path.abspath(options.expected)
    return options
