"""The table of a run per Windows version and code page: a row per version, a
column per code page, each cell what its run ended with, and numbered notes
below that say what a cell's few words cannot (why it did not run, which
items differ)."""
import re
from dataclasses import dataclass


@dataclass
class Cell:
    text: str
    note: str = ""
    good: bool = False  # as expected, or without an expected report, a run that went right


def judge(code, output, with_expected):
    """The cell of a run by its exit code and what it showed."""
    lines = output.splitlines()
    results = [index for index, line in enumerate(lines) if line.startswith("Result: ")]
    result = lines[results[-1]] if results else ""
    if code == 0 and with_expected:
        return Cell("as expected", good=True)
    if code == 0:
        counts = re.match(r"Result: (\d+) item\(s\) went, (\d+) changed, (\d+) stayed", result)
        return Cell(f"{counts[1]} went, {counts[2]} changed, {counts[3]} stayed" if counts else result, good=True)
    if code == 1 and results:
        items = [line.strip() for line in lines[results[-1] + 1:] if line.startswith("  ")]
        differ = result[len("Result: NOT as expected, "):].replace(" (marked !)", "").rstrip(":")
        return Cell("NOT as expected", f"{differ}: {', '.join(items)}")
    if code == 3 and results:
        return Cell("FAILED", result[len("Result: FAILED, "):])
    why = [line for line in lines if line.startswith("scripts/run: ")]
    return Cell("did not run", why[-1][len("scripts/run: "):] if why else f"exit code {code}")


def render(versions, code_pages, cells):
    """The table's lines (a Markdown table) and its notes; cells by (version,
    code page)."""
    notes = []
    rows = [["Windows", *(f"code page {code_page}" for code_page in code_pages)]]
    for version in versions:
        row = [version or "Wine's default"]
        for code_page in code_pages:
            cell = cells[version, code_page]
            if cell.note and cell.note not in notes:
                notes.append(cell.note)
            row.append(cell.text + (f" [{notes.index(cell.note) + 1}]" if cell.note else ""))
        rows.append(row)
    widths = [max(len(row[column]) for row in rows) for column in range(len(rows[0]))]
    lines = ["| " + " | ".join(text.ljust(width) for text, width in zip(row, widths)) + " |" for row in rows]
    lines.insert(1, "|" + "|".join("-" * (width + 2) for width in widths) + "|")
    lines += [f"[{number}] {note}" for number, note in enumerate(notes, 1)]
    return lines


def verdict(cells, with_expected):
    """The last line: whether every cell ended as expected (without an
    expected report: whether every run went right), else how many of each."""
    if all(cell.good for cell in cells.values()):
        return ("Result: every cell ended as expected." if with_expected else
                "Result: the run went right in every cell (without an expected report, each counts what went, "
                "changed and stayed).")
    counts = {}
    for cell in cells.values():
        text = "as expected" if cell.good else cell.text
        counts[text] = counts.get(text, 0) + 1
    return "Result: NOT every cell ended as expected: " + ", ".join(f"{n} {text}" for text, n in counts.items()) + "."
