#include <gtest/gtest.h>

#include "report/installation_report.h"
#include "tests/support/product_keys.h"
#include "tests/support/scratch.h"

using namespace testing_support;

namespace {

struct Value {
  const char* name;
  DWORD type;
  std::string data;
};

struct Row {
  const char* what;
  std::vector<Value> record;  // none: the record is missing
  std::string program;        // given on the command line
  std::vector<std::string> lines;  // kind|item|state; the record's line without its name
};

std::vector<std::string> Lines(const std::vector<report::ReportLine>& report) {
  std::vector<std::string> lines;
  lines.reserve(report.size());
  for (const report::ReportLine& line : report)
    lines.push_back(line.kind == "record" ? "record|" + line.state : line.kind + "|" + line.item + "|" + line.state);
  return lines;
}

}  // namespace

TEST(InstallationReport, ListsWhatTheRecordNamesAsTheUninstallerReadsItAndChangesNothing) {
  ScratchFolder folder;
  const std::string a = folder.File("a.dll");
  WriteBytes(a, "x");
  const Row rows[] = {
      {"missing record", {}, "", {"record|missing"}},
      {"missing record, program given", {}, "C:\\Q\\u.exe",
       {"record|missing", "program|C:\\Q\\u.exe|gone", "program|C:\\Q\\$delme.bat|gone"}},
      {"a file listed twice, its counter not a number",
       {{"FILES", REG_SZ, a + "\r\n" + a}, {"uninstallstring", REG_SZ, "\"" + a + "\" X"}},
       "",
       {"file|" + a + "|present, counter unreadable: Invalid data type for '" + a + "'",
        "file|" + a + "|present, counter unreadable: Invalid data type for '" + a + "'",
        "contents|HELP\\delphi5.cnt|gone", "record|present",
        "program|" + a + "|present",
        "program|" + folder.File("$delme.bat") + "|gone"}},
      {"an unregistered product and help entries of a missing contents file",
       {{"PRODUCTNAME", REG_SZ, "QnlTestNoProduct"}, {"DELPHIVER", REG_SZ, "c1"},
        {"INSTALLEDHELPS", REG_BINARY, std::string("x.hlp\n\nend\0y.hlp", 15)}},
       "",
       {"product|QnlTestNoProduct|not registered", "contents|HELP\\bcb.cnt|gone",
        "entry|x.hlp|names no line (no contents file)", "entry||empty: passed over",
        "entry|end|names no line (no contents file)", "record|present"}},
  };
  SetCounter(a, REG_SZ, "1");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ScratchRecord record;
    for (const Value& value : row.record) record.SetValue(value.name, value.type, value.data);
    const auto report = report::ReportInstallation(record.Name(), row.program);
    EXPECT_EQ(Lines(report), row.lines);
    EXPECT_EQ(record.Exists(), !row.record.empty());  // a missing record is not created
    EXPECT_EQ(Lines(report::ReportAgain(report)), row.lines);
  }
  DeleteTree(HKEY_CURRENT_USER, kCountersKey);
}
