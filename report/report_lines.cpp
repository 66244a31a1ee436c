#include "report/report_lines.h"

#include <algorithm>
#include <iterator>
#include <map>

#include "platform/text_lines.h"

namespace report {
namespace {

const char kHex[] = "0123456789ABCDEF";
const char kUnreadable[] = "unreadable: ";
// The caption of the box that reports a failure and ends the uninstaller.
const char kFailureCaption[] = "Application Error";

struct KindText {
  ItemKind kind;
  const char* name;
  const char* title;
};

#define QNL_REPORT_KIND_TEXT(id, name, title, state) {ItemKind::id, name, title},
const KindText kKinds[] = {QNL_REPORT_ITEM_KINDS(QNL_REPORT_KIND_TEXT)};
#undef QNL_REPORT_KIND_TEXT

const KindText& TextOf(ItemKind kind) { return kKinds[static_cast<int>(kind)]; }

bool KindNamed(const std::string& name, ItemKind& kind) {
  for (const KindText& text : kKinds)
    if (name == text.name) {
      kind = text.kind;
      return true;
    }
  return false;
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    const unsigned char code = static_cast<unsigned char>(c);
    if (code >= 32) {
      out += c;
    } else {
      out += "\\x";
      out += kHex[code >> 4];
      out += kHex[code & 15];
    }
  }
  return out;
}

// Cuts line at its tabs into its fields; more than three when the state
// holds a tab, fewer when a field is missing.
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  fields.push_back(line.substr(start));
  return fields;
}

// What a state says of an item that is not there (any more).
bool IsAbsent(const std::string& state) {
  const char* const absent[] = {"gone", "missing", "not registered", "names no line"};
  return std::any_of(std::begin(absent), std::end(absent),
                     [&state](const char* word) { return state.rfind(word, 0) == 0; });
}

// The lines of a report by their key: kind, item and the how-manieth of that
// kind and item the line is.
class KeyedReport {
 public:
  explicit KeyedReport(const std::vector<ReportLine>* lines) {
    std::map<std::string, int> seen;
    for (const ReportLine& line : lines ? *lines : std::vector<ReportLine>()) {
      const std::string base = KindName(line.kind) + ('\t' + Escaped(line.item));
      keys_.push_back(base + '\t' + std::to_string(seen[base]++));
      states_[keys_.back()] = Escaped(line.state);
    }
  }
  const std::vector<std::string>& Keys() const { return keys_; }
  std::string StateOf(const std::string& key) const {
    const auto found = states_.find(key);
    return found == states_.end() ? std::string("(none)") : found->second;
  }

 private:
  std::vector<std::string> keys_;
  std::map<std::string, std::string> states_;
};

// The keys of all three reports, each once, in the order first seen.
std::vector<std::string> AllKeys(const KeyedReport& before, const KeyedReport& after, const KeyedReport& expected) {
  std::vector<std::string> order;
  for (const KeyedReport* report : {&before, &after, &expected})
    for (const std::string& key : report->Keys())
      if (std::find(order.begin(), order.end(), key) == order.end()) order.push_back(key);
  return order;
}

struct Row {
  ItemKind kind;
  std::string item, before, after, expected;
  bool differs;
};

void AppendSection(ItemKind kind, const std::vector<Row>& rows, std::vector<std::string>& out) {
  std::size_t itemWidth = 0;
  std::size_t beforeWidth = 0;
  for (const Row& row : rows) {
    itemWidth = std::max(itemWidth, row.item.size());
    beforeWidth = std::max(beforeWidth, row.before.size());
  }
  out.emplace_back();
  out.emplace_back(KindTitle(kind));
  for (const Row& row : rows) {
    std::string line = row.differs ? "! " : "  ";
    line += row.item + std::string(itemWidth - row.item.size() + 2, ' ');
    // The run happens between the two reports: it has an after only.
    if (kind != ItemKind::Run) line += row.before + std::string(beforeWidth - row.before.size(), ' ') + " -> ";
    line += row.after;
    if (row.differs) line += "   (expected: " + row.expected + ")";
    out.push_back(line);
  }
}

// Whether an item kept its state: a define line that the uninstaller only
// wrote anew with its blanks (on stayed on, off stayed off) did.
bool SameState(const Row& row) {
  if (row.kind != ItemKind::Define) return row.before == row.after;
  const auto withoutBlanks = [](std::string state) {
    state.erase(std::remove(state.begin(), state.end(), ' '), state.end());
    return state;
  };
  return withoutBlanks(row.before) == withoutBlanks(row.after);
}

// What went wrong with the run that the report after records (its run
// lines), in a few words; empty when it ended normally or there is none.
std::string RunProblem(const std::vector<ReportLine>& after) {
  std::string problem;
  bool ran = false;
  bool ended = false;
  for (const ReportLine& line : after) {
    if (line.kind != ItemKind::Run) continue;
    ran = true;
    if (line.item == "start") return "the uninstaller did not start (" + line.state + ")";
    if (line.item == "exit code") {
      ended = true;
      if (line.state != "0") problem += (problem.empty() ? "" : ", ") + ("exit code " + line.state);
    }
    if (line.state.rfind(kFailureCaption, 0) == 0) {
      // The box's message is its last line; the lines before say where.
      const std::size_t lastLine = line.state.rfind("\\x0A");
      const std::string message =
          lastLine == std::string::npos ? line.state.substr(sizeof kFailureCaption + 1) : line.state.substr(lastLine + 4);
      std::string box = "a failure box (\"";
      box += message;
      box += "\")";
      if (!problem.empty()) box += ", " + problem;
      problem = box;
    }
  }
  if (ran && !ended) return "the uninstaller did not end";
  return problem.empty() ? problem : "the run ended with " + problem;
}

void AppendVerdict(const std::vector<Row>& rows, bool withExpected, const std::string& problem,
                   std::vector<std::string>& out) {
  if (withExpected) {
    std::vector<std::string> differing;
    for (const Row& row : rows)
      if (row.differs) differing.push_back(std::string("  ") + KindName(row.kind) + ' ' + row.item);
    if (differing.empty()) {
      out.emplace_back("Result: every item ended as expected.");
      return;
    }
    out.push_back("Result: NOT as expected, " + std::to_string(differing.size()) + " item(s) differ (marked !):");
    out.insert(out.end(), differing.begin(), differing.end());
    if (!problem.empty()) out.push_back("The run: " + problem + ".");
    return;
  }
  // The installation's items: the run's boxes and exit code are no items.
  int went = 0;
  int changed = 0;
  int stayed = 0;
  int absent = 0;
  for (const Row& row : rows) {
    if (row.kind == ItemKind::Run) continue;
    if (!SameState(row)) ++(IsAbsent(row.after) ? went : changed);
    else ++(IsAbsent(row.after) ? absent : stayed);
  }
  const std::string counts = std::to_string(went) + " item(s) went, " + std::to_string(changed) + " changed, " +
                             std::to_string(stayed) + " stayed, " + std::to_string(absent) +
                             " absent before and after.";
  out.push_back(problem.empty() ? "Result: " + counts : "Result: FAILED, " + problem + "; " + counts);
}

}  // namespace

const std::vector<ItemKind>& ReportKinds() {
  static const std::vector<ItemKind> kinds = [] {
    std::vector<ItemKind> all;
    for (const KindText& text : kKinds) all.push_back(text.kind);
    return all;
  }();
  return kinds;
}

const char* KindName(ItemKind kind) { return TextOf(kind).name; }
const char* KindTitle(ItemKind kind) { return TextOf(kind).title; }

std::string UnreadableState(const std::string& failure) { return kUnreadable + failure; }
bool IsUnreadable(const std::string& state) { return state.rfind(kUnreadable, 0) == 0; }

std::string FormatReportLine(const ReportLine& line) {
  return std::string(KindName(line.kind)) + '\t' + Escaped(line.item) + '\t' + Escaped(line.state);
}

std::vector<ReportLine> ParseReport(const std::string& text, std::string* error) {
  std::vector<ReportLine> lines;
  int number = 0;
  for (const std::string& line : platform::SplitLines(text.data(), text.size())) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> fields = Fields(line);
    ReportLine parsed{ItemKind::Run, {}, {}};
    const char* why = nullptr;
    if (fields.size() != 3) why = "is not kind<TAB>item<TAB>state (three fields separated by tabs)";
    else if (!KindNamed(fields[0], parsed.kind)) why = "names no kind of item";
    if (why) {
      *error = "line " + std::to_string(number) + " " + why + ": " + Escaped(line);
      return {};
    }
    parsed.item = fields[1];
    parsed.state = fields[2];
    lines.push_back(std::move(parsed));
  }
  return lines;
}

SideBySide CompareReports(const std::vector<ReportLine>& before, const std::vector<ReportLine>& after,
                          const std::vector<ReportLine>* expected) {
  const KeyedReport was(&before);
  const KeyedReport is(&after);
  const KeyedReport shouldBe(expected);
  const std::vector<std::string> keys = AllKeys(was, is, shouldBe);
  SideBySide result;
  std::vector<Row> all;
  for (const ItemKind kind : ReportKinds()) {
    std::vector<Row> rows;
    for (const std::string& key : keys) {
      if (key.compare(0, key.find('\t'), KindName(kind)) != 0) continue;
      Row row{kind, Fields(key)[1], was.StateOf(key), is.StateOf(key), shouldBe.StateOf(key), false};
      row.differs = expected && row.after != row.expected;
      rows.push_back(row);
    }
    if (!rows.empty()) AppendSection(kind, rows, result.lines);
    all.insert(all.end(), rows.begin(), rows.end());
  }
  result.lines.emplace_back();
  result.runProblem = RunProblem(after);
  AppendVerdict(all, expected != nullptr, result.runProblem, result.lines);
  result.asExpected = std::none_of(all.begin(), all.end(), [](const Row& row) { return row.differs; });
  return result;
}

}  // namespace report
