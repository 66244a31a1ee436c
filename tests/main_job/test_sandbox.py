"""The drives of a prefix that lead outside it, hidden and put back, and the
paths of this machine that Windows paths name through those that remain,
and the kernel's sandbox's own network."""
import os
import socket
import subprocess
import tempfile
import unittest
import unittest.mock
from pathlib import Path

from main_job import bubblewrap
from main_job.sandbox import Drives, inside, leads_outside, unix_path


class Sandbox(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        # The prefix reached through a link, as a checkout may be.
        os.makedirs(Path(folder.name, "real", "dosdevices"))
        os.symlink("real", Path(folder.name, "prefix"))
        self.prefix = Path(folder.name, "prefix")
        self.devices = self.prefix / "dosdevices"
        os.makedirs(self.prefix / "drive_c" / "Program Files" / "Quenlar")
        os.makedirs(Path(folder.name, "outside"))
        os.symlink("../drive_c", self.devices / "c:")
        os.symlink("/", self.devices / "z:")
        os.symlink(str(Path(folder.name, "outside")), self.devices / "d:")
        os.symlink(str(self.prefix / "drive_c"), self.devices / "e:")
        (self.devices / "d::").touch()
        os.symlink("/dev/ttyS0", self.devices / "com1")

    def test_only_the_links_that_lead_outside_are_hidden_and_each_comes_back(self):
        drives = Drives(self.prefix)
        drives.hide()
        self.assertEqual(sorted(os.listdir(self.devices)), ["c:", "d::", "e:"])
        self.assertEqual(unix_path(self.prefix, "Z:\\etc\\passwd"), "")
        drives.restore()
        self.assertEqual(sorted(os.listdir(self.devices)), ["c:", "com1", "d:", "d::", "e:", "z:"])
        self.assertEqual(os.readlink(self.devices / "z:"), "/")
        # A run ended by force while they were hidden: the next puts them back.
        Drives(self.prefix).hide()
        self.assertNotIn("z:", os.listdir(self.devices))
        self.assertTrue(Drives(self.prefix).recover())
        self.assertEqual(sorted(os.listdir(self.devices)), ["c:", "com1", "d:", "d::", "e:", "z:"])
        self.assertFalse(Drives(self.prefix).recover())

    def test_windows_paths_are_found_as_wine_finds_them(self):
        c = str(self.devices / "c:")
        rows = [
            ("C:\\program files\\QUENLAR\\u.exe", f"{c}/Program Files/Quenlar/u.exe"),
            ("c:\\Program Files\\\\New\\x.dll", f"{c}/Program Files/New/x.dll"),
            ("HELP\\delphi5.cnt", f"{c}/HELP/delphi5.cnt"),
            ("Q:\\x", ""),
            ("\\\\server\\share\\x", ""),
            ("\\\\?\\unix\\etc\\passwd", "/etc/passwd"),
        ]
        for path, expected in rows:
            with self.subTest(path=path):
                self.assertEqual(unix_path(self.prefix, path), expected)
        self.assertTrue(inside(f"{c}/Program Files", self.prefix))
        self.assertFalse(inside(self.devices / "z:" / "tmp", self.prefix))
        self.assertFalse(inside(self.prefix, self.prefix))

    def test_a_path_leads_outside_where_its_last_link_does(self):
        os.symlink(self.devices / "d:", self.prefix / "drive_c" / "out")
        rows = [("C:\\out\\x.txt", True), ("\\\\?\\unix\\etc\\passwd", True),
                (f"\\\\?\\unix{str(self.prefix / 'drive_c').replace('/', chr(92))}\\x", False),
                ("C:\\Program Files\\x", False), ("Z:\\etc\\passwd", True), ("Q:\\x", False)]
        for path, outside in rows:
            with self.subTest(path=path):
                self.assertEqual(leads_outside(self.prefix, path), outside)
        Drives(self.prefix).hide()
        self.assertFalse(leads_outside(self.prefix, "Z:\\etc\\passwd"))


class Network(unittest.TestCase):
    def test_a_program_in_the_sandbox_reaches_the_hosts_network_only_for_a_display_over_it(self):
        if bubblewrap.refusal():
            self.skipTest(bubblewrap.refusal())
        with socket.create_server(("127.0.0.1", 0)) as server:
            connect = f"import socket; socket.create_connection(('127.0.0.1', {server.getsockname()[1]}), 5)"
            for display, reached in ((":0", False), ("unix:0", False), ("localhost:10.0", True)):
                with self.subTest(display=display), unittest.mock.patch.dict(os.environ, DISPLAY=display):
                    done = subprocess.run(bubblewrap.Sandbox([]).wrap(["python3", "-c", connect], "/"),
                                          capture_output=True, check=False)
                    self.assertEqual(done.returncode == 0, reached, done.stderr)
