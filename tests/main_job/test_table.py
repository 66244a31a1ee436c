"""The table of a run per Windows version and code page: each cell from its
run's exit code and output, the notes, the last line and the exit code."""
import unittest

from main_job.table import Cell, judge, render, verdict

DIFFERS = "Result: NOT as expected, 2 item(s) differ (marked !):\n  file C:\\Q\\a.dll\n  record Q\nThe run: exit code 1.\n"


class Table(unittest.TestCase):
    def test_each_cell_says_what_its_run_ended_with(self):
        rows = [  # exit code, output, with an expected report, the cell
            (0, "x\nResult: every item ended as expected.\n", True, Cell("as expected", good=True)),
            (0, "Result: 12 item(s) went, 3 changed, 5 stayed, 0 absent before and after.\n", False,
             Cell("12 went, 3 changed, 5 stayed", good=True)),
            (1, DIFFERS, True, Cell("NOT as expected", "2 item(s) differ: file C:\\Q\\a.dll, record Q")),
            (3, "Result: FAILED, the uninstaller did not start (x); 0 item(s) went\n", False,
             Cell("FAILED", "the uninstaller did not start (x); 0 item(s) went")),
            (5, "Installing: x\nscripts/run: the installer failed with exit code 2\n", True,
             Cell("did not run", "the installer failed with exit code 2")),
            (4, "", True, Cell("did not run", "exit code 4")),
        ]
        for code, output, with_expected, cell in rows:
            with self.subTest(code=code, output=output):
                self.assertEqual(judge(code, output, with_expected), cell)

    def test_a_row_per_version_a_column_per_code_page_and_one_note_per_reason(self):
        failed = Cell("did not run", "the installer failed with exit code 1")
        cells = {("win98", "1252"): failed, ("win98", "932"): failed,
                 ("", "1252"): Cell("as expected", good=True), ("", "932"): Cell("NOT as expected", "1 item(s) differ")}
        self.assertEqual(render(["win98", ""], ["1252", "932"], cells), [
            "| Windows        | code page 1252  | code page 932       |",
            "|----------------|-----------------|---------------------|",
            "| win98          | did not run [1] | did not run [1]     |",
            "| Wine's default | as expected     | NOT as expected [2] |",
            "[1] the installer failed with exit code 1",
            "[2] 1 item(s) differ"])
        self.assertEqual(verdict(cells, True), "Result: NOT every cell ended as expected: 2 did not run, 1 as expected, "
                                               "1 NOT as expected.")
        self.assertEqual(verdict({("", "1252"): Cell("as expected", good=True)}, True),
                         "Result: every cell ended as expected.")
