#include <gtest/gtest.h>

#include "report/installation_report.h"
#include "report/record_notes.h"
#include "setup/done_mark.h"
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
  SetRegistryValue(HKEY_CURRENT_USER, "Software\\Quenlar\\InstalledFiles", a, REG_SZ, "1");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ScratchRecord record;
    for (const Value& value : row.record) record.SetValue(value.name, value.type, value.data);
    const auto report = report::ReportInstallation(record.Name(), row.program);
    EXPECT_EQ(Lines(report), row.lines);
    EXPECT_EQ(record.Exists(), !row.record.empty());  // a missing record is not created
    EXPECT_EQ(Lines(report::ReportAgain(report)), row.lines);
  }
  DeleteTree(HKEY_CURRENT_USER, "Software\\Quenlar\\InstalledFiles");
}

namespace {

std::string Mark(std::uint32_t count, const std::string& list) {
  unsigned char bytes[setup::kDoneMarkSize];
  setup::EncodeDoneMark({count, setup::ListFingerprint(list)}, bytes);
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

}  // namespace

TEST(InstallationReport, NotesSayWhatAnEarlierRunDidAndWarnOfAnUnquotedProgramPathWithABlank) {
  const struct {
    const char* what;
    std::vector<Value> record;
    std::vector<std::string> notes;
  } rows[] = {
      {"nothing to note", {{"FILES", REG_SZ, "a"}, {"UninstallString", REG_SZ, "\"C:\\P Q\\u.exe\" \"K L\""}}, {}},
      {"marks of an earlier run",
       {{"FILES", REG_SZ, "a\r\nb\r\nc"}, {"FILESDONE", REG_BINARY, Mark(2, "a\r\nb\r\nc")},
        {"INSTALLEDHELPS", REG_SZ, "x.hlp"}, {"INSTALLEDHELPSDONE", REG_BINARY, Mark(1, "y.hlp")}},
       {"Earlier run: 2 of 3 FILES entries done, the last \"b\" (counters released, files deleted at 0); a run goes "
        "on with the next",
        "Earlier run: its INSTALLEDHELPSDONE is of another INSTALLEDHELPS list (rewritten since); a run does every "
        "entry"}},
      {"unquoted program path with a blank",
       {{"UninstallString", REG_SZ, "C:\\Program Files\\Quenlar Demo\\uninst.exe QDemo"}},
       {"Warning: UninstallString's program path holds a blank but no quotes; the uninstaller would take "
        "\"Files\\Quenlar\" as its key name"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ScratchRecord record;
    for (const Value& value : row.record) record.SetValue(value.name, value.type, value.data);
    EXPECT_EQ(report::RecordNotes(record.Name()), row.notes);
  }
}
