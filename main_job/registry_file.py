"""The uninstall records of a .reg file: REGEDIT4 text in the ANSI code page,
or version 5 text in UTF-16 (as regedit exports), each record's name with
its UninstallString."""
import re

UNINSTALL = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"

ESCAPES = {"n": "\n", "r": "\r", "t": "\t"}


def reg_text(data, codec):
    if data[:2] == b"\xff\xfe":
        return data.decode("utf-16", errors="replace")
    return data.decode(codec, errors="replace")


def uninstall_records(text):
    """Each record below the Uninstall key (a name may hold brackets), in
    the order met: its UninstallString, "" when it has none."""
    records = {}
    name = None
    for line in text.replace("\r", "").split("\n"):
        key = re.fullmatch(r"\[(.*)\]", line)
        if key:
            path = key.group(1)
            below = path[len(UNINSTALL):]
            name = below if path.lower().startswith(UNINSTALL.lower()) and below and "\\" not in below else None
            if name is not None:
                records.setdefault(name, "")
            continue
        value = re.fullmatch(r'"UninstallString"="((?:[^"\\]|\\.)*)"', line, re.IGNORECASE)
        if name is not None and value:
            records[name] = re.sub(r"\\(.)", lambda escaped: ESCAPES.get(escaped.group(1), escaped.group(1)),
                                   value.group(1))
    return records
