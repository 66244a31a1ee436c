"""What the run reads: the uninstall records of .reg files, the program of a
command line, an installer's kind and architecture, what it told."""
import struct
import unittest

from main_job.command_line import program_of_command, program_path
from main_job.installer import architecture_of, kind_of, told
from main_job.registry_file import reg_text, uninstall_records

UNINSTALL = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"


class Reading(unittest.TestCase):
    def test_records_of_a_reg_file_in_either_form(self):
        text = "\r\n".join([
            "REGEDIT4", f"[{UNINSTALL}]", '"UninstallString"="not a record"',
            f"[{UNINSTALL}\\Bibliothek [für] Müller]",
            '"UninstallString"="\\"C:\\\\Bibliothèk\\\\u.exe\\" \\"Bibliothek [für] Müller\\""',
            f"[{UNINSTALL}\\Bibliothek [für] Müller\\Sub]", '"UninstallString"="a subkey"',
            f"[{UNINSTALL.lower()}\\NoCommand]", '"DisplayName"="x"',
            f"[-{UNINSTALL}\\Deleted]", "[HKEY_CURRENT_USER\\Software\\Quenlar]", '"UninstallString"="elsewhere"'])
        expected = {"Bibliothek [für] Müller": '"C:\\Bibliothèk\\u.exe" "Bibliothek [für] Müller"', "NoCommand": ""}
        self.assertEqual(uninstall_records(reg_text(text.encode("cp1252"), "cp1252")), expected)
        exported = "\ufeffWindows Registry Editor Version 5.00\r\n" + text.partition("\r\n")[2]
        self.assertEqual(uninstall_records(reg_text(exported.encode("utf-16-le"), "cp932")), expected)

    def test_an_uninstall_string_written_as_reg_expand_sz_in_either_form(self):
        command = '"C:\\Bibliothèk\\u.exe" Expand'
        for header, codec in (("REGEDIT4", "cp1252"), ("Windows Registry Editor Version 5.00", "utf-16-le")):
            data = ",".join(f"{byte:02x}" for byte in (command + "\0").encode(codec))
            text = "\r\n".join([header, f"[{UNINSTALL}\\Expand]", f'"UninstallString"=hex(2):{data[:30]}\\',
                                 f"  {data[30:]}", '"DisplayName"="x"'])
            with self.subTest(header=header):
                self.assertEqual(uninstall_records(text, "cp1252"), {"Expand": command})

    def test_the_program_of_a_command_as_windows_takes_it(self):
        rows = [  # command, the program, the path to copy an unquoted one to
            ('"C:\\Program Files\\Q\\u.exe" "Name"', "C:\\Program Files\\Q\\u.exe", ""),
            ("C:\\Program Files\\Q\\u.exe Unquoted", "C:\\Program Files\\Q\\u.exe", "C:\\Program Files\\Q\\u.exe"),
            ("C:\\Q\\u.exe Name", "C:\\Q\\u.exe", ""),
            ("C:\\A.EXE dir\\u.exe x", "C:\\A.EXE", ""),
            ("C:\\Q\\uninstall Name", "C:\\Q\\uninstall", ""),
            ("", "", ""),
        ]
        for command, program, copy in rows:
            with self.subTest(command=command):
                self.assertEqual(program_path(command), program)
                self.assertEqual(program_of_command(command), copy)

    def test_an_installer_is_told_by_its_marks_and_its_header(self):
        def program(machine, mark=b""):
            return b"MZ" + bytes(58) + struct.pack("<I", 64) + b"PE\0\0" + struct.pack("<H", machine) + mark
        rows = [
            (program(0x14C, b"..NullsoftInst.."), "i686", ("NSIS", "/S")),
            (program(0x8664, b"rDlPtS02"), "x86_64", ("Inno Setup", "/VERYSILENT /SUPPRESSMSGBOXES /NORESTART")),
            (program(0x1C0), "", ("", "")),
            (b"MZ" + bytes(58) + struct.pack("<I", 9999), "", ("", "")),
            (b"#!/bin/sh NullsoftInst", "", ("NSIS", "/S")),
        ]
        for data, architecture, kind in rows:
            with self.subTest(data=data[-12:]):
                self.assertEqual(architecture_of(data), architecture)
                self.assertEqual(kind_of(data), kind)

    def test_what_an_installer_told_in_its_boxes_and_its_log(self):
        lines = [("box 1", "Error: Setup was unable.\\x0D\\x0A\\x0D\\x0AError 120."), ("exit code", "1")]
        log = ("2026-12-09 02:43:49.146   Defaulting to OK for suppressed message box (OK):\r\n"
               "                          This program does not support\r\n"
               "                          this Windows.\r\n"
               "2026-12-09 02:43:49.146   Got EAbort exception.\r\n")
        self.assertEqual(told(lines, log),
                         '; it said "Error: Setup was unable. Error 120."; it said "This program does not support this Windows."')
        self.assertEqual(told([("exit code", "2")], ""), "")
