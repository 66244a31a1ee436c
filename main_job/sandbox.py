"""The prefix's own guards, below the kernel's sandbox: while the run's
Windows programs run, no drive of the prefix maps a folder outside it (Wine's
Z:, the Linux root, is hidden, and put back afterwards); and paths are mapped
to this machine's as Wine maps them, through the drives that remain and
Wine's \\\\?\\unix\\ paths, so that a path that leads outside the prefix is
told as such."""
import os
import re
from pathlib import Path


def inside(path, prefix):
    """Whether the path, every link resolved, lies inside the prefix (which
    may be reached through a link itself)."""
    return os.path.realpath(path).startswith(os.path.realpath(prefix) + os.sep)


class Drives:
    """The links of a prefix's dosdevices that lead outside it, hidden and
    put back: its drives, and the serial ports that Wine links to this
    machine's at each start."""

    def __init__(self, prefix):
        self.devices = Path(prefix) / "dosdevices"
        self.prefix = prefix
        self.hidden = {}  # drive name: its link's target
        # The links hidden, kept until they are back, so that a run that was
        # killed meanwhile leaves them for the next run to put back.
        self.note = Path(prefix) / "qnl-hidden-drives.txt"

    def hide(self):
        outside = {drive.name: os.readlink(drive) for drive in sorted(self.devices.iterdir())
                   if drive.is_symlink() and not inside(drive, self.prefix)}
        if not outside:
            return
        self.hidden.update(outside)
        text = "".join(f"{name}\t{target}\n" for name, target in self.hidden.items())
        Path(f"{self.note}.new").write_text(text, encoding="utf-8")
        os.replace(f"{self.note}.new", self.note)
        for name in outside:
            (self.devices / name).unlink()

    def recover(self):
        """Puts back the links that a run killed while they were hidden
        left; whether there were any."""
        if not self.note.is_file():
            return False
        for line in self.note.read_text(encoding="utf-8").splitlines():
            name, _, target = line.partition("\t")
            self.hidden[name] = target
        self.restore()
        return True

    def restore(self):
        for name, target in self.hidden.items():
            link = self.devices / name
            if link.is_symlink():
                link.unlink()
            link.symlink_to(target)
        self.hidden = {}
        self.note.unlink(missing_ok=True)


def unix_path(prefix, windows_path):
    """The path of this machine that a Windows path names in the prefix, as
    Wine finds it (letter case aside); "" where no drive reaches it. A path
    without drive is taken in C:\\, where the run's programs start;
    \\\\?\\unix\\PATH is PATH of this machine's, whatever the drives."""
    unix = re.fullmatch(r"\\\\\?\\unix(\\.*)", windows_path, re.IGNORECASE)
    if unix:
        return unix.group(1).replace("\\", "/")
    match = re.match(r"([A-Za-z]):(.*)", windows_path)
    drive, rest = (match.group(1), match.group(2)) if match else ("c", windows_path)
    if windows_path.startswith("\\\\"):
        return ""
    folder = Path(prefix) / "dosdevices" / f"{drive.lower()}:"
    if not folder.exists():
        return ""
    path = folder
    for name in (part for part in rest.split("\\") if part):
        found = path / name
        if not found.exists() and path.is_dir():
            found = next((entry for entry in path.iterdir() if entry.name.lower() == name.lower()), found)
        path = found
    return str(path)


def leads_outside(prefix, windows_path):
    """Whether the Windows path, every link resolved, names a place of this
    machine outside the prefix (a path on a hidden drive names none)."""
    path = unix_path(prefix, windows_path)
    return bool(path) and not inside(path, prefix)
