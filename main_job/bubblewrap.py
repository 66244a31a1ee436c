"""The kernel's sandbox of a run, made by bubblewrap (Debian's bwrap, which
scripts/setup installs): each Windows program of the run, and the wineserver
that it talks to, starts in a mount namespace of its own in which the whole
host is read-only, /dev is the sandbox's own and only the run's prefix and
work folder are writable. /tmp, where Wine keeps its server's socket (below
/tmp/.wine-UID, or in Debian's Wine below the /tmp/wine-XXXXXX that the
prefix's file "wineserver" names), is one folder of the work folder's in
every sandbox of the run, so that the programs of each find the server that
the first started.

Where the kernel refuses the namespaces (some containers) or bwrap is
missing, the run goes on with the prefix's own guards, saying so in one
line; with --sandbox strict it refuses instead."""
import os
import socket
import subprocess
import sys
from pathlib import Path

from main_job.failures import Refusal

# The mounts of every sandbox, before the writable folders.
READ_ONLY_HOST = ["--ro-bind", "/", "/", "--dev", "/dev", "--proc", "/proc", "--tmpfs", "/tmp"]
# This checkout (its scripts and built programs), read-only again above the
# sandbox's own /tmp, as a clone below /tmp would be hidden by it.
CHECKOUT = os.path.realpath(Path(__file__).resolve().parent.parent)


def refusal():
    """Why this machine gives no sandbox, "" where it gives one."""
    try:
        done = subprocess.run(["bwrap", *READ_ONLY_HOST, "true"], capture_output=True, check=False)
    except FileNotFoundError:
        return "bubblewrap (bwrap) is not installed (scripts/setup installs it)"
    if done.returncode != 0:
        said = done.stderr.decode(errors="replace").strip().splitlines()
        return f"the kernel refuses bubblewrap's namespaces here ({said[-1] if said else f'exit code {done.returncode}'})"
    return ""


def choose(mode):
    """Whether the run's programs run in the kernel's sandbox: where the
    machine gives one; else one line says why and the run goes on without
    it, unless MODE is "strict"."""
    why = refusal()
    if not why:
        return True
    if mode == "strict":
        raise Refusal(f"{why}; --sandbox strict runs nothing without the kernel's sandbox")
    print(f"scripts/run: {why}; the run goes on without the kernel's sandbox, with the prefix's own guards only "
          "(no link out of it, its outside drives hidden)", file=sys.stderr)
    return False


class Sandbox:
    """The command lines of one run's sandbox: WRITABLE folders, and the
    folder that stands for /tmp in each (none: an empty one of each's own)."""

    def __init__(self, writable, tmp=None):
        self.writable = [os.path.realpath(folder) for folder in writable]
        self.tmp = Path(tmp) if tmp else None

    def wrap(self, command, cwd):
        """COMMAND run in the sandbox, in the folder CWD."""
        arguments = ["bwrap", *READ_ONLY_HOST]
        if self.tmp:
            self.tmp.mkdir(mode=0o700, exist_ok=True)
            arguments += ["--bind", str(self.tmp), "/tmp"]
        arguments += ["--ro-bind-try", "/tmp/.X11-unix", "/tmp/.X11-unix", "--ro-bind", CHECKOUT, CHECKOUT]
        for folder in self.writable:
            arguments += ["--bind", folder, folder]
        return [*arguments, "--die-with-parent", "--chdir", os.path.realpath(cwd), "--", *map(str, command)]


def host_server_runs(prefix):
    """Whether a Wine server outside the sandbox serves PREFIX: one that a
    program of the caller's started there, whose socket the sandbox hides."""
    status = os.stat(prefix)
    named = Path(prefix, "wineserver")
    folder = (Path(os.environ.get("TMPDIR", "/tmp"), named.read_text().strip()) if named.is_file()
              else Path("/tmp", f".wine-{os.getuid()}"))
    path = folder / f"server-{status.st_dev:x}-{status.st_ino:x}" / "socket"
    with socket.socket(socket.AF_UNIX) as server:
        try:
            server.connect(str(path))
        except OSError:
            return False
    return True
