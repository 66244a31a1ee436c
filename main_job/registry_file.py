"""The uninstall records of a .reg file: REGEDIT4 text in the ANSI code page,
or version 5 text in UTF-16 (as regedit exports), each record's name with
its UninstallString (REG_SZ, or REG_EXPAND_SZ as hex(2) bytes: UTF-16 in
version 5 text, the code page's in REGEDIT4) and the whole text of its
values."""
import re

UNINSTALL = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"

ESCAPES = {"n": "\n", "r": "\r", "t": "\t"}


def reg_text(data, codec):
    if data[:2] == b"\xff\xfe":
        return data.decode("utf-16", errors="replace")
    return data.decode(codec, errors="replace")


def uninstall_keys(text):
    """Each record's key below the Uninstall key (a name may hold
    brackets), in the order met: its value lines, each continued line of
    hex bytes joined."""
    keys = {}
    name = None
    for line in re.sub(r"\\\n[ \t]*", "", text.replace("\r", "")).split("\n"):
        key = re.fullmatch(r"\[(.*)\]", line)
        if key:
            path = key.group(1)
            below = path[len(UNINSTALL):]
            name = below if path.lower().startswith(UNINSTALL.lower()) and below and "\\" not in below else None
            if name is not None:
                keys.setdefault(name, [])
        elif name is not None and line:
            keys[name].append(line)
    return keys


def command_of(lines, codec):
    """The UninstallString of a record's value lines, "" where it has none."""
    for line in lines:
        value = re.fullmatch(r'"UninstallString"="((?:[^"\\]|\\.)*)"', line, re.IGNORECASE)
        if value:
            return re.sub(r"\\(.)", lambda escaped: ESCAPES.get(escaped.group(1), escaped.group(1)), value.group(1))
        expand = re.fullmatch(r'"UninstallString"=hex\(2\):([0-9a-fA-F,]*)', line, re.IGNORECASE)
        if expand:
            data = bytes(int(byte, 16) for byte in expand.group(1).split(",") if byte)
            return data.decode(codec, errors="replace").split("\0")[0]
    return ""


def uninstall_records(text, codec="cp1252"):
    """Each record below the Uninstall key, in the order met: its
    UninstallString, "" when it has none."""
    wide = "utf-16-le" if text.lstrip("\ufeff").startswith("Windows Registry Editor Version 5") else codec
    return {name: command_of(lines, wide) for name, lines in uninstall_keys(text).items()}
