"""Wine as the run uses it: the environment of scripts/wine-env (the
architecture that runs here, its loader and server, the uninstaller that
stands for the shipped program), a prefix's programs under a code page, and
the Windows versions and code pages that a prefix can be given. With the
kernel's sandbox every program of a prefix, its server and the making of the
template run in one (main_job/bubblewrap.py)."""
import os
import subprocess
from dataclasses import dataclass
from pathlib import Path

from main_job.bubblewrap import Sandbox
from main_job.failures import Refusal, step

# The versions that Wine reports, by the names it takes (a name it does not
# know leaves its default, Windows 7).
WINDOWS_VERSIONS = ("win95", "win98", "winme", "nt40", "win2k", "winxp", "vista", "win7", "win8", "win81", "win10")

# Wine takes the ANSI code page from the Unix locale: a code page, the locale
# that gives it and the name of its codec here.
CODE_PAGES = {"1252": ("en_US.UTF-8", "cp1252"), "932": ("ja_JP.UTF-8", "cp932"), "936": ("zh_CN.UTF-8", "gbk"),
              "949": ("ko_KR.UTF-8", "cp949"), "950": ("zh_TW.UTF-8", "cp950")}


def check_versions(versions):
    for version in versions:
        if version not in WINDOWS_VERSIONS:
            raise Refusal(f"Wine reports no Windows version {version} (it reports {', '.join(WINDOWS_VERSIONS)})")


def check_code_pages(code_pages):
    for code_page in code_pages:
        if code_page not in CODE_PAGES:
            raise Refusal(f"there is no code page {code_page} here (the run gives {', '.join(CODE_PAGES)})")


def missing_locale(code_page):
    """The locale that the code page needs when this machine lacks it, else ""."""
    locale = CODE_PAGES[code_page][0]
    have = subprocess.run(["locale", "-a"], capture_output=True, text=True, check=False).stdout.lower().split()
    return "" if locale.lower().replace("utf-8", "utf8") in have else locale


@dataclass
class Wine:
    """The Wine of this machine: the architecture that runs, the uninstaller
    that runs here, the environment of scripts/wine-env, and whether its
    programs run in the kernel's sandbox."""

    here: Path
    arch: str
    uninstaller: Path
    env: dict
    sandboxed: bool = False

    @classmethod
    def of_checkout(cls, here):
        script = 'source "$1" "" "" && printf "%s\\0" "$wine_arch" "$UNINSTALL_EXE" && env -0'
        out = step(["bash", "-c", script, "bash", str(here / "scripts" / "wine-env")],
                   "reading scripts/wine-env").stdout.decode()
        arch, uninstaller, *variables = out.split("\0")
        env = dict(variable.split("=", 1) for variable in variables if "=" in variable)
        return cls(here, arch, Path(uninstaller), env)

    @property
    def programs(self):
        """The folder of the uninstaller, the report and answer_run."""
        return self.uninstaller.parent

    def template(self):
        """The fresh prefix that each run copies, made once."""
        template = self.here / "build" / "run" / f"template-{self.arch}"
        command = [self.here / "scripts" / "wine-prefix", template]
        if self.sandboxed:
            command = Sandbox([template.parent]).wrap(command, template.parent)
        step(list(map(str, command)), "making the prefix template", env=self.env)
        return template

    def in_prefix(self, prefix, code_page="1252", work=None):
        """The programs of PREFIX; in the kernel's sandbox, with PREFIX and
        the run's WORK folder writable."""
        return PrefixWine(self, Path(prefix), code_page, work)


class PrefixWine:
    """The Wine programs of one prefix, with its ANSI code page (texts that
    the programs write come in it)."""

    def __init__(self, wine, prefix, code_page, work=None):
        self.wine = wine
        self.prefix = prefix
        self.code_page = code_page
        locale, self.codec = CODE_PAGES[code_page]
        self.env = dict(wine.env, WINEPREFIX=str(prefix), LC_ALL=locale)
        self.sandbox = Sandbox([prefix, work], Path(work) / ".sandbox-host") if wine.sandboxed and work else None

    def command(self, *arguments):
        """A command line of the prefix's, in its sandbox where it has one."""
        command = list(map(str, arguments))
        return self.sandbox.wrap(command, self.prefix / "drive_c") if self.sandbox else command

    def run(self, *arguments, stdin=subprocess.DEVNULL, **options):
        """Runs a Windows program in the prefix's C:\\, apart from this
        program's Ctrl-C, which ends the prefix's server."""
        return subprocess.run(self.command(self.env["WINELOADER"], *arguments), env=self.env,
                              cwd=self.prefix / "drive_c", stdin=stdin, capture_output=True, check=False,
                              start_new_session=True, **options)

    def run_within(self, seconds, *arguments):
        """Runs a Windows program as run() does, until it and every program
        that holds its output (what it started) ended; whether they did
        within SECONDS. Those that did not are ended with every process of
        the prefix."""
        with subprocess.Popen(self.command(self.env["WINELOADER"], *arguments), env=self.env,
                              cwd=self.prefix / "drive_c", stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, start_new_session=True) as process:
            try:
                process.communicate(timeout=seconds)
                return True
            except subprocess.TimeoutExpired:
                self.server("-k")
                process.kill()
                process.communicate()
                return False

    def start_server(self):
        """Starts the prefix's server for the whole run, unless one runs, and
        its own processes with a first program that gets none of this
        program's streams, so that none holds an output pipe open; whether
        it started one."""
        started = self.server("-p").returncode == 0
        subprocess.run(self.command(self.env["WINELOADER"], "cmd", "/c", "exit"), env=self.env,
                       cwd=self.prefix / "drive_c", stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=False, start_new_session=True)
        return started

    def server(self, *arguments):
        return subprocess.run(self.command(self.env["WINESERVER"], *arguments), env=self.env,
                              cwd=self.prefix / "drive_c", stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, check=False, start_new_session=True)

    def text(self, data):
        """Bytes in the prefix's code page as text."""
        return data.decode(self.codec, errors="replace")

    def bytes(self, text):
        return text.encode(self.codec, errors="replace")
