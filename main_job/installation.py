"""An installation folder (one .reg file of the record and the per-user data,
the files below drive_c/, and optionally expected.txt) and a machine folder
(the .reg files and files that a machine holds before an installer runs),
checked, and laid out in a fresh prefix."""
import os
import shutil
from pathlib import Path

from main_job.failures import Refusal, step
from main_job.registry_file import reg_text, uninstall_records


def installation_reg(folder):
    """The one .reg file of an installation folder."""
    if not Path(folder).is_dir():
        raise Refusal(f"{folder} is not a folder")
    regs = sorted(Path(folder).glob("*.reg"))
    if not regs:
        raise Refusal(f"{folder} holds no .reg file of the record")
    if len(regs) > 1:
        raise Refusal(f"{folder} holds more than one .reg file")
    return regs[0]


def record_of(reg, codec):
    """The name of the one uninstall record of the .reg."""
    records = uninstall_records(reg_text(reg.read_bytes(), codec), codec)
    if not records:
        raise Refusal(f"{reg} holds no uninstall record")
    if len(records) > 1:
        raise Refusal(f"{reg} holds more than one uninstall record; name one with --record")
    return next(iter(records))


def machine_regs(folder):
    if not Path(folder).is_dir():
        raise Refusal(f"there is no machine folder {folder}")
    return sorted(Path(folder).glob("*.reg"))


def lay_out(session, folder, regs):
    """Imports each .reg (from inside the prefix, as its outside drives are
    hidden) and copies the files below drive_c/ to the prefix's C:\\."""
    for reg in regs:
        shutil.copyfile(reg, session.files / "import.reg")
        if session.wine.run("reg", "import", session.files_windows + "\\import.reg").returncode != 0:
            raise Refusal(f"regedit refuses {reg}")
        os.remove(session.files / "import.reg")
    drive_c = Path(folder) / "drive_c"
    if drive_c.is_dir():
        step(["cp", "-a", f"{drive_c}/.", str(session.wine.prefix / "drive_c") + "/"], f"copying {drive_c}")
