// The text form of an installation report: one item a line, "kind<TAB>item
// <TAB>state", in the order that the uninstaller works through them; lines
// that begin with "#" say what the report is of. Also the side-by-side view
// of two reports of the same items, before and after an uninstall.
#pragma once
#include <string>
#include <vector>

#include "report/item_kinds.h"

namespace report {

struct ReportLine {
  ItemKind kind;
  std::string item;   // what it is: a path, a value name, a symbol, an entry
  std::string state;  // how it is now
};

// The kinds in the order of the table, and each one's name and title.
const std::vector<ItemKind>& ReportKinds();
const char* KindName(ItemKind kind);
const char* KindTitle(ItemKind kind);

// The state of an item whose value the uninstaller would fail on reading:
// "unreadable: " and the failure's text. Such an item is the value itself
// (say "FolderName"), not what it would have named.
std::string UnreadableState(const std::string& failure);
bool IsUnreadable(const std::string& state);

// One line of text; control characters (a tab or a line break in a name)
// are written as \xHH, so that the line stays one line of three fields.
std::string FormatReportLine(const ReportLine& line);

// The item lines of a report's text (CR LF, CR or LF line ends); comment and
// empty lines are passed over. A line that is not three fields of a known
// kind is refused: the result is empty and *error says which line and why.
std::vector<ReportLine> ParseReport(const std::string& text, std::string* error);

// Two reports of the same items side by side, section by section: "item
// before -> after" (the run's lines, in the report after only, with no
// before). With an expected report, an item whose state after differs from
// its expected one is marked "!" and the expected state shown, and the last
// lines say whether every item ended as expected, naming each that did not,
// one a line, and then what went wrong with the run, if anything; without,
// the last line counts the items that went, changed, stayed and were absent
// before and after, after what went wrong with the run: a program that did
// not start ("run<TAB>start<TAB>why"), a failure box ("Application Error"),
// a non-zero exit code, or no exit code at all. Items are matched by kind,
// item and the how-manieth of that kind and item they are.
struct SideBySide {
  std::vector<std::string> lines;
  bool asExpected = true;  // always true without an expected report
  std::string runProblem;  // empty when the run ended normally or there is none
};
SideBySide CompareReports(const std::vector<ReportLine>& before, const std::vector<ReportLine>& after,
                          const std::vector<ReportLine>* expected);

}  // namespace report
