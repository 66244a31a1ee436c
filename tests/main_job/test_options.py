"""scripts/run's options: what goes together, and the one line of each refusal."""
import tempfile
import unittest
from pathlib import Path

from main_job.failures import Refusal
from main_job.options import parse


class Options(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.folder = Path(folder.name)
        (self.folder / "expected.txt").write_text("")

    def test_options_that_do_not_go_together_are_refused_with_one_line(self):
        rows = [
            (["--bogus"], "unknown option --bogus (scripts/run --help shows the usage)"),
            (["--work"], "--work needs a value"),
            (["a", "b"], "one installation at a time"),
            (["--prefix", "p", "a"], "give an installation folder or --prefix, not both"),
            (["--prefix", "p"], "--prefix needs --record NAME"),
            (["--install", "s.exe", "a"], "give an installer (--install), an installation folder or --prefix, one of them"),
            (["--install", "s.exe", "--prefix", "p"], "give an installer (--install), an installation folder or --prefix, one of them"),
            (["--machine", "m"], "--install-args, --machine and --time-limit go with --install"),
            (["--install-args", ""], "--install-args, --machine and --time-limit go with --install"),
            (["--time-limit", "5"], "--install-args, --machine and --time-limit go with --install"),
            (["--install", "s.exe", "--time-limit", "0"], "--time-limit takes minutes (a number above 0), not 0"),
            (["--install", "s.exe", "--time-limit", "ten"], "--time-limit takes minutes (a number above 0), not ten"),
            (["--sandbox", "off"], "--sandbox takes auto or strict, not off"),
            (["--install", "s.exe", "--program", "C:\\u.exe"],
             "--program is for a record without UninstallString; an installer's record is found by its UninstallString"),
            (["--prefix", "p", "--record", "r", "--windows", "win98"],
             "--windows and --codepage make a fresh prefix for each run; give --install or an installation folder, not --prefix"),
            (["--expected", "/nothere.txt"], "there is no expected report /nothere.txt"),
        ]
        for arguments, why in rows:
            with self.subTest(arguments=arguments), self.assertRaises(Refusal) as refused:
                parse(arguments, "sample")
            self.assertEqual(refused.exception.why, why)

    def test_an_installation_folder_brings_its_expected_report_and_lists_make_a_table(self):
        options = parse([str(self.folder), "--windows", "win98,win10", "--no-build"], "sample")
        self.assertEqual(options.expected, str(self.folder / "expected.txt"))
        self.assertEqual(options.windows, ["win98", "win10"])
        self.assertTrue(options.table)
        self.assertFalse(options.build)
        installer = parse(["--install", "s.exe", "--install-args", "", "--codepage", "932"], "sample")
        self.assertEqual((installer.installation, installer.install_args, installer.codepages), ("", "", ["932"]))
        self.assertEqual(parse([], "sample").installation, "sample")
        self.assertTrue(parse(["a", "--help", "--bogus"], "sample").help)
