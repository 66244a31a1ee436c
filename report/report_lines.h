// The text form of an installation report: one item a line, "kind<TAB>item
// <TAB>state", in the order that the uninstaller works through them; lines
// that begin with "#" say what the report is of. Also the side-by-side view
// of two reports of the same items, before and after an uninstall.
#pragma once
#include <string>
#include <vector>

namespace report {

struct ReportLine {
  std::string kind;   // "file", "folder", "value", ... (ReportKinds)
  std::string item;   // what it is: a path, a value name, a symbol, an entry
  std::string state;  // how it is now
};

// The kinds in the order that the report lists them, each with the title of
// its section in the side-by-side view.
struct ReportKind {
  const char* kind;
  const char* title;
};
const std::vector<ReportKind>& ReportKinds();

// One line of text; control characters (a tab or a line break in a name)
// are written as \xHH, so that the line stays one line of three fields.
std::string FormatReportLine(const ReportLine& line);

// The item lines of a report's text (CR LF, CR or LF line ends); comment and
// empty lines are passed over, a line with fewer than three fields keeps
// empty ones.
std::vector<ReportLine> ParseReport(const std::string& text);

// The comment line of a report that begins "# <name>: ", without that
// beginning; empty when there is none.
std::string ReportHeader(const std::string& text, const std::string& name);

// Two reports of the same items side by side, section by section: "item
// before -> after". With an expected report, an item whose state after
// differs from its expected one is marked "!" and the expected state shown,
// and the last line says whether every item ended as expected; without,
// the last line counts the items that went, changed and stayed. Items are
// matched by kind, item and the how-manieth of that kind and item they are.
struct SideBySide {
  std::vector<std::string> lines;
  bool asExpected = true;  // always true without an expected report
};
SideBySide CompareReports(const std::vector<ReportLine>& before, const std::vector<ReportLine>& after,
                          const std::vector<ReportLine>* expected);

}  // namespace report
