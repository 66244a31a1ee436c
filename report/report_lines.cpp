#include "report/report_lines.h"

#include <algorithm>
#include <iterator>
#include <map>

#include "platform/text_lines.h"

namespace report {
namespace {

const char kHex[] = "0123456789ABCDEF";

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

// Cuts line at its tabs into at most three fields.
ReportLine Fields(const std::string& line) {
  ReportLine fields;
  std::string* parts[] = {&fields.kind, &fields.item, &fields.state};
  std::size_t start = 0;
  for (std::size_t i = 0; i < 3 && start <= line.size(); ++i) {
    const std::size_t tab = i < 2 ? line.find('\t', start) : std::string::npos;
    *parts[i] = line.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
    start = tab == std::string::npos ? line.size() + 1 : tab + 1;
  }
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
      const std::string base = line.kind + '\t' + Escaped(line.item);
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
  std::string kind, item, before, after, expected;
  bool differs;
};

void AppendSection(const ReportKind& kind, const std::vector<Row>& rows, std::vector<std::string>& out) {
  std::size_t itemWidth = 0;
  std::size_t beforeWidth = 0;
  for (const Row& row : rows) {
    itemWidth = std::max(itemWidth, row.item.size());
    beforeWidth = std::max(beforeWidth, row.before.size());
  }
  out.emplace_back();
  out.emplace_back(kind.title);
  for (const Row& row : rows) {
    std::string line = row.differs ? "! " : "  ";
    line += row.item + std::string(itemWidth - row.item.size() + 2, ' ');
    line += row.before + std::string(beforeWidth - row.before.size(), ' ') + " -> " + row.after;
    if (row.differs) line += "   (expected: " + row.expected + ")";
    out.push_back(line);
  }
}

std::string Verdict(const std::vector<Row>& rows, bool withExpected) {
  if (withExpected) {
    std::string list;
    std::size_t differing = 0;
    for (const Row& row : rows)
      if (row.differs) list += (differing++ ? "; " : "") + row.item;
    if (!differing) return "Result: every item ended as expected.";
    return "Result: NOT as expected, " + std::to_string(differing) + " item(s) differ (marked !): " + list;
  }
  // The installation's items: the run's boxes and exit code are no items.
  int went = 0;
  int changed = 0;
  int stayed = 0;
  for (const Row& row : rows) {
    if (row.kind == "run") continue;
    if (row.before == row.after) ++stayed;
    else ++(IsAbsent(row.after) ? went : changed);
  }
  return "Result: " + std::to_string(went) + " item(s) went, " + std::to_string(changed) + " changed, " +
         std::to_string(stayed) + " stayed.";
}

}  // namespace

const std::vector<ReportKind>& ReportKinds() {
  static const std::vector<ReportKind> kinds = {
      {"run", "The run: exit code and every box shown"},
      {"file", "Installed files (FILES) and their shared-use counters"},
      {"product", "Product registration (PRODUCTNAME)"},
      {"value", "Values of the product registration (SUBPRODUCTNAME names those withdrawn)"},
      {"include", "Product include file"},
      {"define", "Define lines of the include file before its stop line"},
      {"folder", "Folders the installer created (FOLDERS)"},
      {"contents", "Help contents file of the environment (DELPHIVER)"},
      {"entry", "Help entries (INSTALLEDHELPS) and the contents line each names"},
      {"record", "Uninstall record"},
      {"program", "Program file and its removal batch file"},
  };
  return kinds;
}

std::string FormatReportLine(const ReportLine& line) {
  return Escaped(line.kind) + '\t' + Escaped(line.item) + '\t' + Escaped(line.state);
}

std::vector<ReportLine> ParseReport(const std::string& text) {
  std::vector<ReportLine> lines;
  for (const std::string& line : platform::SplitLines(text.data(), text.size()))
    if (!line.empty() && line[0] != '#') lines.push_back(Fields(line));
  return lines;
}

std::string ReportHeader(const std::string& text, const std::string& name) {
  const std::string start = "# " + name + ": ";
  for (const std::string& line : platform::SplitLines(text.data(), text.size()))
    if (line.rfind(start, 0) == 0) return line.substr(start.size());
  return {};
}

SideBySide CompareReports(const std::vector<ReportLine>& before, const std::vector<ReportLine>& after,
                          const std::vector<ReportLine>* expected) {
  const KeyedReport was(&before);
  const KeyedReport is(&after);
  const KeyedReport shouldBe(expected);
  const std::vector<std::string> keys = AllKeys(was, is, shouldBe);
  SideBySide result;
  std::vector<Row> all;
  for (const ReportKind& kind : ReportKinds()) {
    std::vector<Row> rows;
    for (const std::string& key : keys) {
      if (key.compare(0, key.find('\t'), kind.kind) != 0) continue;
      Row row{kind.kind, Fields(key).item, was.StateOf(key), is.StateOf(key), shouldBe.StateOf(key), false};
      row.differs = expected && row.after != row.expected;
      rows.push_back(row);
    }
    if (!rows.empty()) AppendSection(kind, rows, result.lines);
    all.insert(all.end(), rows.begin(), rows.end());
  }
  result.lines.emplace_back();
  result.lines.push_back(Verdict(all, expected != nullptr));
  result.asExpected = std::none_of(all.begin(), all.end(), [](const Row& row) { return row.differs; });
  return result;
}

}  // namespace report
