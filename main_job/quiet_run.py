"""The quiet uninstall (the record's QuietUninstallString, "/S" after the key
name) as a deployment tool runs it: no box answered, a window that waits for
a person ends the run; judged against the same expected report as the run
after Yes, less the boxes that only that run shows."""
import re

SWITCH = "/S"
ANSWERING = "--unattended"


def quiet_command(before, command, text):
    """The command of the report's "# Quiet command:" line, or the
    UninstallString's command with the switch where the record has none
    (told on a line of its own, the second result)."""
    quiet = re.findall(rb"^# Quiet command: (.*)$", before, re.MULTILINE)
    if quiet:
        return text(quiet[0]), ""
    return f"{command} {SWITCH}", "  the record has no QuietUninstallString: the quiet run is its UninstallString with /S"


def expected_of_quiet(expected):
    """The expected report for the quiet run: every item and the exit code as
    after Yes, but no box (any box that the quiet run shows then differs)."""
    return b"".join(line for line in expected.splitlines(keepends=True) if not line.startswith(b"run\tbox"))


def column(code_page, quiet):
    """A table column's name: the code page, and ", quiet (/S)" for the quiet run's."""
    return f"{code_page}, quiet ({SWITCH})" if quiet else code_page
