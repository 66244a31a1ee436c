"""The kernel's sandbox of a run, made by bubblewrap (Debian's bwrap, which
scripts/setup installs): each Windows program of the run, and the wineserver
that it talks to, starts in a mount namespace of its own in which the whole
host is read-only, /dev is the sandbox's own, the network is the sandbox's
own (its loopback alone: no program of the run reaches another machine)
and only the run's prefix and work folder are writable. /tmp, where Wine
keeps its server's socket (below /tmp/.wine-UID, or in Debian's Wine below
the /tmp/wine-XXXXXX that the prefix's file "wineserver" names), is one
folder of the work folder's in every sandbox of the run, so that the
programs of each find the server that the first started.

Where the kernel refuses the namespaces (some containers) or bwrap is
missing, the run goes on with the prefix's own guards, saying so in one
line; with --sandbox strict it refuses instead."""
import os
import pwd
import re
import shutil
import signal
import socket
import subprocess
import sys
from pathlib import Path

from main_job.failures import Refusal

# The mounts of every sandbox, before the writable folders.
READ_ONLY_HOST = ["--ro-bind", "/", "/", "--dev", "/dev", "--proc", "/proc", "--tmpfs", "/tmp"]
# Its network of its own, cut off from the host's: Wine's server and a local
# X display are reached by sockets in files below /tmp, which stay.
NETWORK_CUT = ["--unshare-net"]
# This checkout (its scripts and built programs), read-only again above the
# sandbox's own /tmp, as a clone below /tmp would be hidden by it.
CHECKOUT = os.path.realpath(Path(__file__).resolve().parent.parent)

# Below /tmp, the folder of Wine's server, its socket and lock: /tmp/.wine-UID,
# or Debian's /tmp/wine-XXXXXX.
WINE_SERVER_FOLDER = re.compile(r"\.?wine-.*")


def refusal():
    """Why this machine gives no sandbox, "" where it gives one."""
    try:
        done = subprocess.run(["bwrap", *READ_ONLY_HOST, *NETWORK_CUT, "true"], capture_output=True, check=False)
    except FileNotFoundError:
        return "bubblewrap (bwrap) is not installed (scripts/setup installs it)"
    if done.returncode != 0:
        said = done.stderr.decode(errors="replace").strip().splitlines()
        return f"the kernel refuses bubblewrap's namespaces here ({said[-1] if said else f'exit code {done.returncode}'})"
    return ""


def display_by_network():
    """Whether DISPLAY names an X server reached over the network (HOST:N, as
    ssh -X gives), which the sandbox's own network would not reach."""
    host = os.environ.get("DISPLAY", "").rpartition(":")[0]
    return host not in ("", "unix")


def choose(mode):
    """Whether the run's programs run in the kernel's sandbox: where the
    machine gives one; else one line says why and the run goes on without
    it, unless MODE is "strict"."""
    why = refusal()
    if not why:
        if display_by_network():
            print(f"scripts/run: the display {os.environ['DISPLAY']} is reached over the network, so the run's "
                  "programs keep the host's network", file=sys.stderr)
        return True
    if mode == "strict":
        raise Refusal(f"{why}; --sandbox strict runs nothing without the kernel's sandbox")
    print(f"scripts/run: {why}; the run goes on without the kernel's sandbox, with the prefix's own guards only "
          "(no link out of it, its outside drives hidden)", file=sys.stderr)
    return False


def homes():
    """The host's home folders of this user: HOME and the one of the user's
    account, every link resolved (none that is the root)."""
    found = {os.path.realpath(home) for home in (os.environ.get("HOME", ""), pwd.getpwuid(os.getuid()).pw_dir)
             if home and os.path.isdir(home)}
    return sorted(found - {"/"})


class Sandbox:
    """The command lines of one run's sandbox: WRITABLE folders, and STAND_IN,
    the folder that mirrors the host's places that a program of the user's
    may write to (/tmp, /var/tmp, the home), which each sandbox of the run
    finds in their place, so that its programs find one server and what
    they wrote there lands in it (none: an empty /tmp of each's own)."""

    def __init__(self, writable, stand_in=None):
        self.writable = [os.path.realpath(folder) for folder in writable]
        self.stand_in = Path(stand_in) if stand_in else None
        self.places = ["/tmp", "/var/tmp", *homes()] if stand_in else []

    def wrap(self, command, cwd):
        """COMMAND run in the sandbox, in the folder CWD."""
        arguments = ["bwrap", *READ_ONLY_HOST, *([] if display_by_network() else NETWORK_CUT)]
        for place in self.places:
            folder = self.stand_in / place.lstrip("/")
            folder.mkdir(mode=0o700, parents=True, exist_ok=True)
            arguments += ["--bind", str(folder), place]
        arguments += ["--ro-bind-try", "/tmp/.X11-unix", "/tmp/.X11-unix", "--ro-bind", CHECKOUT, CHECKOUT]
        for folder in self.writable:
            arguments += ["--bind", folder, folder]
        return [*arguments, "--die-with-parent", "--chdir", os.path.realpath(cwd), "--", *map(str, command)]

    def landed(self):
        """The files and links that the run's programs wrote in the host's
        places, by their host paths (~/PATH in the home); the folders that the
        sandbox makes to mount on, and Wine's server folders below /tmp, are
        none of them."""
        if not self.stand_in or not self.stand_in.is_dir():
            return []
        found = []
        for folder, names, files in os.walk(self.stand_in):
            place = "/" + os.path.relpath(folder, self.stand_in)
            if place == "/tmp":
                names[:] = [name for name in names if not WINE_SERVER_FOLDER.fullmatch(name)]
            found += [os.path.normpath(os.path.join(place, name)) for name in files]
            found += [os.path.normpath(os.path.join(place, name)) for name in names
                      if os.path.islink(os.path.join(folder, name))]
        return sorted(home_relative(path) for path in found)

    def clear(self):
        """At the run's end: Wine's server folders gone, and the stand-in
        where nothing landed in it; what landed stays for a look."""
        if not self.stand_in:
            return
        if not self.landed():
            shutil.rmtree(self.stand_in, ignore_errors=True)
            return
        for folder in (self.stand_in / "tmp").iterdir():
            if WINE_SERVER_FOLDER.fullmatch(folder.name):
                shutil.rmtree(folder, ignore_errors=True)


def home_relative(path):
    """PATH as ~/PATH where it lies in the user's home."""
    home = os.path.realpath(os.environ.get("HOME", "/"))
    return "~/" + os.path.relpath(path, home) if home != "/" and path.startswith(home + os.sep) else path


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


def end_sandboxes_of(work):
    """Ends the bwrap processes that bind the work folder WORK, those of a run
    that ended by force or by Ctrl-C: a bwrap ended while it was still
    setting up its namespaces can leave the process that sets them up
    waiting for good, out of reach of the prefix's server; whether there
    was one."""
    bound = os.fsencode(os.path.realpath(work))
    ended = False
    for entry in Path("/proc").iterdir():
        try:
            words = (entry / "cmdline").read_bytes().split(b"\0") if entry.name.isdigit() else []
        except OSError:
            continue
        if words and os.path.basename(words[0]) == b"bwrap" and bound in words:
            try:
                os.kill(int(entry.name), signal.SIGKILL)
                ended = True
            except OSError:
                pass
    return ended
