"""The quiet uninstall of the author's check: its command and what it is judged by."""
import unittest

from main_job.quiet_run import column, expected_of_quiet, quiet_command


class QuietRun(unittest.TestCase):
    def test_the_records_quiet_command_or_else_its_uninstall_string_with_the_switch(self):
        before = b'# Record: Q\n# Command: "C:\\Q\\u.exe" "Q"\n# Quiet command: "C:\\Q\\u.exe" "Q" /s\nrecord\tQ\tpresent\n'
        self.assertEqual(quiet_command(before, '"C:\\Q\\u.exe" "Q"', bytes.decode), ('"C:\\Q\\u.exe" "Q" /s', ""))
        command, told = quiet_command(before.replace(b"# Quiet", b"# Not"), '"C:\\Q\\u.exe" "Q"', bytes.decode)
        self.assertEqual(command, '"C:\\Q\\u.exe" "Q" /S')
        self.assertIn("no QuietUninstallString", told)

    def test_it_is_judged_by_every_item_and_the_exit_code_but_no_box(self):
        expected = b"# note\r\nfile\tC:\\a\tgone\r\nrun\tbox 1\tUninstall: Are you sure?\r\nrun\texit code\t0\r\n"
        self.assertEqual(expected_of_quiet(expected), b"# note\r\nfile\tC:\\a\tgone\r\nrun\texit code\t0\r\n")
        self.assertEqual([column("932", False), column("932", True)], ["932", "932, quiet (/S)"])


if __name__ == "__main__":
    unittest.main()
