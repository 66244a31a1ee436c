#include <gtest/gtest.h>

#include "platform/line_list.h"
#include "platform/unique_handle.h"
#include "report/installation_report.h"
#include "report/record_notes.h"
#include "uninstall/done_count.h"
#include "uninstall/help_claims.h"
#include "setup/uninstall_record.h"
#include "tests/support/borland_key.h"
#include "tests/support/boxes.h"
#include "tests/support/product_keys.h"
#include "tests/support/scratch.h"

using namespace testing_support;

namespace {

const char kProduct[] = "QnlReportTest";
const std::string kProductKey = ProductKey(kProduct);

struct Value {
  std::string name;
  DWORD type;
  std::string data;
};

Value Text(const std::string& name, const std::string& text) { return {name, REG_SZ, text + '\0'}; }
Value Number(const std::string& name, DWORD number) {
  return {name, REG_DWORD, std::string(reinterpret_cast<const char*>(&number), 4)};
}

// RootDir of Delphi 5, which an absent DELPHIVER names too. C++Builder 3's
// is a number, which only the row that names it meets (no other test's run
// of the uninstaller reads it).
enum class RootDir { Empty, TheFolder };

// The product's values are set in the registry's order of listing them.
struct Row {
  const char* what;
  RootDir rootDir;
  std::vector<Value> record;    // none: the record is missing
  std::vector<Value> product;   // the product's values, in order; none: not registered
  std::vector<Value> counters;  // shared-use counters
  std::string include;          // bytes of the include file below the folder; none when empty
  std::string contents;         // bytes of HELP\delphi5.cnt below the folder; none when empty
  std::vector<std::string> lines;  // kind|item|state; the record's line without its name
  int exitCode = -1;               // the shipped program's run (none: not run) ...
  std::string failure = {};        // ... and the text of its failure box
  std::string contentsAfter = {};  // the contents file after that run
  std::string leftBeside = {};     // a file beside the contents file, of the name a stopped store leaves
};

std::vector<std::string> Lines(const std::vector<report::ReportLine>& report) {
  std::vector<std::string> lines;
  lines.reserve(report.size());
  for (const report::ReportLine& line : report) {
    const std::string kind = report::KindName(line.kind);
    lines.push_back(line.kind == report::ItemKind::Record ? kind + "|" + line.state
                                                          : kind + "|" + line.item + "|" + line.state);
  }
  return lines;
}

// The report of the shipped installation_report.exe (beside the shipped
// uninstaller), with its own string table.
std::vector<std::string> ShippedReport(const std::string& keyName, const std::string& outFile) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  platform::UniqueFile out(CreateFileA(outFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out.Get();
  startup.hStdError = out.Get();
  PROCESS_INFORMATION info{};
  const std::string program = UninstallProgram();
  std::string command = "\"" + program.substr(0, program.rfind('\\')) + "\\installation_report.exe\" \"" + keyName + "\"";
  EXPECT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info));
  const platform::UniqueKernelObject process(info.hProcess);
  const platform::UniqueKernelObject thread(info.hThread);
  WaitForSingleObject(process.Get(), 30000);
  out.Reset();
  std::string error;
  return Lines(report::ParseReport(ReadBytes(outFile), &error));
}

std::string CurrentFolder() {
  char folder[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(sizeof folder, folder);
  return folder;
}

}  // namespace

// Each row's report, read in this program and by the shipped report program,
// names what the shipped uninstaller then does on the same installation.
TEST(InstallationReport, NamesWhatTheUninstallerWillDoAndChangesNothing) {
  const BorlandKey delphi5(6);
  const BorlandKey builder3(3);
  const std::string relative = " (relative: taken in the current folder " + CurrentFolder() + ")";
  const std::string contents = ":Base delphi5.hlp\r\nA Help=x.hlp\r\nB Help=X.HLP\r\nc\r\n";
  const std::string include = "{$DEFINE Grid}\r\n//{$DEFINE DataGrid}\r\n{$I vx.inc}\r\n{$DEFINE After}\r\n";
  ScratchFolder folder;
  const std::string& f = folder.Path();
  const std::string a = f + "\\a.dll";
  const std::string program = f + "\\u.exe";
  const std::string unreadable = "unreadable: Invalid data type for '";
  const std::vector<Value> uninstallString = {Text("UninstallString", "\"" + program + "\" X")};
  const auto with = [](std::vector<Value> values, const std::vector<Value>& more) {
    values.insert(values.end(), more.begin(), more.end());
    return values;
  };
  const auto ending = [&](std::vector<std::string> lines, const std::string& programState = "present, no counter") {
    lines.insert(lines.end(), {"record|present", "program|" + program + "|" + programState,
                               "batch|" + f + "\\$delme.bat|gone"});
    return lines;
  };
  const Row rows[] = {
      {"missing record", RootDir::Empty, {}, {}, {}, "", "", {"record|missing"}},
      {"a file listed twice, its counter not a number; the program without counter", RootDir::Empty,
       with(uninstallString, {Text("FILES", a + "\r\n" + a)}), {}, {Text(a, "1")}, "", "",
       ending({"file|" + a + "|gone, counter " + unreadable + a + "'",
               "file|" + a + "|gone, counter " + unreadable + a + "'",
               "contents|HELP\\delphi5.cnt|gone" + relative}),
       1, "Invalid data type for '" + a + "'."},
      {"an unregistered product and help entries of a missing contents file", RootDir::Empty,
       {Text("PRODUCTNAME", "QnlTestNoProduct"), Text("DELPHIVER", "c1"),
        {"INSTALLEDHELPS", REG_BINARY, std::string("x.hlp\n\nend\0y.hlp", 15)}},
       {}, {}, "", "",
       {"product|QnlTestNoProduct|not registered", "contents|HELP\\bcb.cnt|gone" + relative,
        "entry|x.hlp|names no line (no contents file)", "entry||empty: passed over",
        "entry|end|names no line (no contents file)", "record|present"}},
      {"sub-products remain: the include file's define lines; a help line that two entries name; folders deepest "
       "first; the program's counter not a number",
       RootDir::TheFolder,
       with(uninstallString, {Text("PRODUCTNAME", kProduct), Text("SUBPRODUCTNAME", "Data Grid"),
                              Text("FOLDERS", f + "\\P\r\n" + f + "\\P\\Lib\\W\r\n" + f + "\\P\\Lib"),
                              Text("DELPHIVER", "D5"), Text("INSTALLEDHELPS", "x.hlp\r\nX.hlp\r\n\r\nc")}),
       {Text("Data Grid", "1"), Text("FolderName", f), Text("Grid", "1"), Text("Version", "1.0")},
       {Text(program, "x")}, include, contents,
       ending({"product|" + std::string(kProduct) + "|registered", "value|Data Grid|\"1\"",
               "value|FolderName|\"" + f + "\"", "value|Grid|\"1\"", "value|Version|\"1.0\"",
               "include|" + f + "\\units\\prod.inc|present, 4 lines, CR LF", "define|Grid|on \"{$DEFINE Grid}\"",
               "define|DataGrid|off \"//{$DEFINE DataGrid}\"", "folder|" + f + "\\P\\Lib\\W|gone",
               "folder|" + f + "\\P\\Lib|gone", "folder|" + f + "\\P|gone",
               "contents|" + f + "\\HELP\\delphi5.cnt|present, 4 lines, CR LF; beside it qnl1.tmp, left by a run "
               "stopped while it stored",
               "entry|x.hlp|names \"A Help=x.hlp\"", "entry|X.hlp|names \"B Help=X.HLP\"",
               "entry||empty: passed over", "entry|c|names no line"},
              "present, counter " + unreadable + program + "'"),
       1, "Invalid data type for '" + program + "'.", ":Base delphi5.hlp\r\nc\r\n", "qnl1.tmp"},
      {"the only sub-product withdrawn: FolderName, a number, is not read; the program's counter 0 keeps it",
       RootDir::Empty,
       with(uninstallString, {Text("PRODUCTNAME", kProduct), Text("SUBPRODUCTNAME", "Only")}),
       {Number("FolderName", 1), Text("Only", "1"), Text("Version", "1.0")}, {Number(program, 0)}, include, "",
       ending({"product|" + std::string(kProduct) + "|registered", "value|FolderName|1", "value|Only|\"1\"",
               "value|Version|\"1.0\"", "contents|HELP\\delphi5.cnt|gone" + relative},
              "present, counter 0"),
       0, ""},
      {"a sub-product remains: FolderName, a number, ends the run; RootDir a number too", RootDir::Empty,
       with(uninstallString, {Text("PRODUCTNAME", kProduct), Text("SUBPRODUCTNAME", "Only"), Text("DELPHIVER", "C3")}),
       {Number("FolderName", 1), Text("Kept", "1"), Text("Only", "1"), Text("Version", "1.0")}, {}, include, "",
       ending({"product|" + std::string(kProduct) + "|registered", "value|FolderName|1", "value|Kept|\"1\"",
               "value|Only|\"1\"", "value|Version|\"1.0\"", "include|FolderName|" + unreadable + "FolderName'",
               "contents|RootDir|" + unreadable + "RootDir'"}),
       1, "Invalid data type for 'FolderName'."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ScratchRecord record;
    for (const Value& value : row.record) record.SetValue(value.name, value.type, value.data);
    for (const Value& value : row.product) SetRegistryValue(HKEY_CURRENT_USER, kProductKey, value.name, value.type, value.data);
    for (const Value& value : row.counters) SetRegistryValue(HKEY_CURRENT_USER, kCountersKey, value.name, value.type, value.data);
    if (!row.include.empty()) {
      CreateDirectoryA((f + "\\units").c_str(), nullptr);
      WriteBytes(f + "\\units\\prod.inc", row.include);
    }
    builder3.SetRootDir(REG_DWORD, Number("RootDir", 1).data);
    delphi5.SetRootDir(row.rootDir == RootDir::TheFolder ? f : "");
    if (!row.contents.empty()) {
      CreateDirectoryA((f + "\\HELP").c_str(), nullptr);
      WriteBytes(f + "\\HELP\\delphi5.cnt", row.contents);
    }
    if (!row.leftBeside.empty()) WriteBytes(f + "\\HELP\\" + row.leftBeside, "old text");
    if (!row.record.empty()) CopyUninstallProgram(program);

    const auto report = report::ReportInstallation(record.Name(), "");
    EXPECT_EQ(Lines(report), row.lines);
    EXPECT_EQ(record.Exists(), !row.record.empty());  // a missing record is not created
    EXPECT_EQ(Lines(report::ReportAgain(report)), row.lines);
    EXPECT_EQ(ShippedReport(record.Name(), f + "\\report.txt"), row.lines);
    if (row.exitCode >= 0) {
      DWORD exitCode = 0;
      const auto boxes = RunAndAnswer("\"" + program + "\" \"" + record.Name() + "\"", {{"Uninstall", IDYES}}, &exitCode);
      EXPECT_EQ(exitCode, static_cast<DWORD>(row.exitCode));
      const std::string failure = boxes.size() > 1 ? boxes[1].text.substr(boxes[1].text.find('\n') + 1) : "";
      EXPECT_EQ(failure, row.failure);
      if (!row.contentsAfter.empty()) {
        EXPECT_EQ(ReadBytes(f + "\\HELP\\delphi5.cnt"), row.contentsAfter);
      }
    }
    DeleteTree(HKEY_CURRENT_USER, kProductKey);
    DeleteTree(HKEY_CURRENT_USER, kCountersKey);
    GoneWithin({f + "\\$delme.bat"}, 10000);
    DeleteFileA(program.c_str());
    RemoveFolderTree(f + "\\HELP");
    RemoveFolderTree(f + "\\units");
  }
}

namespace {

// A list's count of entries done, as a run writes it into the record.
Value Count(const std::string& list, std::uint32_t done, const std::string& countedIn) {
  unsigned char bytes[uninstall::kDoneCountSize];
  uninstall::EncodeDoneCount(uninstall::CountIn(countedIn.data(), countedIn.size(), done), bytes);
  return {uninstall::DoneValueName(list), REG_BINARY, std::string(reinterpret_cast<const char*>(bytes), sizeof bytes)};
}

// A claim of the entries after done ones, as a run writes it before them.
Value Claim(const std::string& list, std::uint32_t done, const std::string& countedIn,
            std::vector<uninstall::EntryState> states) {
  uninstall::DoneClaim claim;
  claim.count = uninstall::CountIn(countedIn.data(), countedIn.size(), done);
  claim.states = std::move(states);
  claim.claimed = true;
  const std::vector<unsigned char> bytes = uninstall::EncodeDoneClaim(claim);
  return {uninstall::DoneValueName(list), REG_BINARY, std::string(bytes.begin(), bytes.end())};
}

// A help claim's texts of the contents file, as the run works them out.
std::vector<uninstall::EntryState> TextStates(const std::vector<std::string>& texts) {
  std::vector<uninstall::EntryState> states;
  for (const std::string& text : texts) {
    platform::LineList lines;
    lines.AssignText(text);
    states.push_back(uninstall::TextStateOf(lines));
  }
  return states;
}

}  // namespace

TEST(InstallationReport, NotesSayWhatAnEarlierRunDidAndWarnOfAnUnquotedProgramPathWithABlank) {
  const std::string folder = CurrentFolder() + "\\qnl-notes";
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA((folder + "\\HELP").c_str(), nullptr);
  const std::string before = ":Base d.hlp\r\nA=x.hlp\r\nB=y.hlp\r\n";
  const std::string afterX = ":Base d.hlp\r\nB=y.hlp\r\n";
  const struct {
    const char* what;
    std::vector<Value> record;
    std::vector<std::string> notes;
    std::string counted{};   // a counter of 1 for the run
    std::string contents{};  // Delphi 5's contents file now; none when empty
  } rows[] = {
      {"nothing to note", {{"FILES", REG_SZ, "a"}, {"UninstallString", REG_SZ, "\"C:\\P Q\\u.exe\" \"K L\""}}, {}},
      {"an older uninstaller ended from outside, and a list written anew since",
       {{"FILES", REG_SZ, "a\r\nb\r\nc"}, Count("FILES", 2, "a\r\nb\r\nc"), {"INSTALLEDHELPS", REG_SZ, "x.hlp"},
        Count("INSTALLEDHELPS", 1, "y.hlp")},
       {"Earlier run: 2 of the 3 FILES entries done, the last \"b\" (counters released, files deleted at 0); an "
        "uninstaller that counted after each entry wrote it: a run keeps the next, \"c\", which may be done",
        "Earlier run: its INSTALLEDHELPSDONE counts in another INSTALLEDHELPS list (written anew since); a run does "
        "every entry"}},
      {"a run that failed", {{"FILES", REG_SZ, ""}, Count("FILES", 0, ""), {"INSTALLEDHELPS", REG_SZ, "q.hlp\r\n"},
        Count("INSTALLEDHELPS", 0, "q.hlp\r\n")},
       {"Earlier run: the record lists what is left to do, 0 FILES entries",
        "Earlier run: the record lists what is left to do, 1 INSTALLEDHELPS entry"}},
      // Counters of none: the first still none (to do), the second one now
      // (another installation counted it since: kept), the third none.
      {"a run ended from outside in a claimed stretch",
       {{"FILES", REG_SZ, "C:\\q1\r\nC:\\q2\r\nC:\\q3"}, Claim("FILES", 0, "C:\\q1\r\nC:\\q2\r\nC:\\q3", {{0, 0}, {0, 0}}),
        {"INSTALLEDHELPS", REG_SZ, "x.hlp"}, Claim("INSTALLEDHELPS", 0, "x.hlp", {{1, 2}, {0, 0}})},
       {"Earlier run: 0 of the 3 FILES entries done; it claimed the next 2: a run finds 0 of them done, keeps "
        "\"C:\\q1\", \"C:\\q2\" (counters changed since)",
        "Earlier run: 0 of the 1 INSTALLEDHELPS entry done; it claimed the next 1: a run finds as many done as the "
        "contents file's text shows, and keeps them all where another installation changed the file since"},
       "C:\\q2"},
      {"a help claim whose first entry the contents file shows done",
       {{"INSTALLEDHELPS", REG_SZ, "x.hlp\r\ny.hlp"}, Text("DELPHIVER", "D5"),
        Claim("INSTALLEDHELPS", 0, "x.hlp\r\ny.hlp", TextStates({before, afterX, ":Base d.hlp\r\n"}))},
       {"Earlier run: 0 of the 2 INSTALLEDHELPS entries done; it claimed the next 2: a run finds 1 of them done, the "
        "last \"x.hlp\""},
       "", afterX},
      {"a help claim in a contents file that another installation changed since",
       {{"INSTALLEDHELPS", REG_SZ, "x.hlp\r\ny.hlp"}, Text("DELPHIVER", "D5"),
        Claim("INSTALLEDHELPS", 0, "x.hlp\r\ny.hlp", TextStates({before, afterX, ":Base d.hlp\r\n"}))},
       {"Earlier run: 0 of the 2 INSTALLEDHELPS entries done; it claimed the next 2: a run finds none of them done, "
        "keeps \"x.hlp\", \"y.hlp\" (the contents file changed since)"},
       "", before + "C=z.hlp\r\n"},
      {"unquoted program path with a blank",
       {{"UninstallString", REG_SZ, "C:\\Program Files\\Quenlar Demo\\uninst.exe QDemo"}},
       {"Warning: UninstallString's program path holds a blank but no quotes; the uninstaller would take "
        "\"Files\\Quenlar\" as its key name"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ScratchRecord record;
    for (const Value& value : row.record) record.SetValue(value.name, value.type, value.data);
    if (!row.counted.empty()) SetCounter(row.counted, 1);
    const BorlandKey delphi5(6);
    delphi5.SetRootDir(row.contents.empty() ? "" : folder);
    if (!row.contents.empty()) WriteBytes(folder + "\\HELP\\delphi5.cnt", row.contents);
    EXPECT_EQ(report::RecordNotes(record.Name()), row.notes);
    if (!row.counted.empty()) RegDeleteValueA(OpenKey(HKEY_CURRENT_USER, kCountersKey, KEY_SET_VALUE).Get(), row.counted.c_str());
  }
  RemoveFolderTree(folder);
}
