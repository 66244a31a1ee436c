#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <optional>
#include <cstring>
#include <map>
#include <regex>


#include "platform/unique_handle.h"
#include "tests/support/import_swap.h"
#include "tests/support/in_process_run.h"
#include "tests/support/boxes.h"
#include "tests/support/product_keys.h"
#include "tests/support/sample_installation.h"
#include "tests/support/scratch.h"
#include "tests/support/window_watch.h"
#include "uninstall/done_count.h"

using namespace testing_support;
using Sample = SampleInstallation;
using Lines = std::vector<std::string>;

namespace {

const std::string kProduct = Sample::kProduct;
const std::string kShared = "C:\\Program Files\\Quenlar\\Shared\\";

std::string Record() { return UninstallKeyPath(Sample::kKeyName); }

// The product's record after this installation withdrew "Data Grid".
const Lines kProductAfter = {"Charts=1", "FolderName=" + kProduct, "Grid=1", "Version=1.0"};

}  // namespace

TEST(EndToEnd, TheSampleInstallationIsUndoneAsWindowsStartsTheUninstaller) {
  Sample sample;
  const Lines userKeys = KeyContents(HKEY_CURRENT_USER, "Software\\Quenlar");
  DWORD exitCode = 0;
  const auto boxes = RunAndAnswer("\"" + Sample::Program() + "\" \"" + Sample::kKeyName + "\"", {{"Uninstall", IDYES}}, &exitCode);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Are you sure you want to completely remove the Quenlar Sample Library?");
  EXPECT_EQ(exitCode, 0u);
  EXPECT_TRUE(GoneWithin({Sample::Program(), Sample::Batch()}, 20000));  // the batch file ended

  const std::vector<std::string> files = Sample::Files();
  const bool present[] = {false, false, true, true, false};
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(Exists(files[i]), present[i]) << files[i];
  EXPECT_EQ(ReadBytes(files[2]), Sample::SampleFile("QnlCore.bpl"));
  for (const char* gone : {"\\Lib\\Win32", "\\Lib"}) EXPECT_FALSE(Exists(kProduct + gone)) << gone;
  for (const char* kept : {"\\Help", "", "\\units"}) EXPECT_TRUE(Exists(kProduct + kept)) << kept;
  EXPECT_EQ(KeyContents(HKEY_CURRENT_USER, kCountersKey), Lines{kShared + "QnlCore.bpl=1"});
  EXPECT_EQ(KeyContents(HKEY_CURRENT_USER, ProductKey("Sample Library")), kProductAfter);
  EXPECT_EQ(KeyContents(HKEY_CURRENT_USER, "Software\\Quenlar"), userKeys);  // no key of the run's own stays
  EXPECT_EQ(ReadBytes(Sample::Include()),
            "// Sub-products switched on\r\n  {$DEFINE Grid}\r\n//  {$DEFINE DataGrid}\r\n  {$DEFINE Charts}\r\n"
            "{$I vx.inc}\r\n{$DEFINE Grid}\r\n");
  EXPECT_EQ(ReadBytes(Sample::kContents),
            ":Base delphi5.hlp\r\n:Title Delphi 5 Help\r\n:Index Object Pascal Reference=obpascl.hlp\r\n"
            ":Include delphi5.ohc\r\n");
  EXPECT_TRUE(KeyContents(HKEY_LOCAL_MACHINE, Record()).empty());
  EXPECT_EQ(KeyContents(HKEY_LOCAL_MACHINE, kDelphi5Key),
            Lines{"RootDir=C:\\Program Files\\Borland\\Delphi5"});
}

TEST(EndToEnd, AContentsFileLockedHalfWayEndsTheRunAndARunAgainRemovesExactlyTheProductsLines) {
  Sample sample;
  // Another product's line with the target of the product's first entry.
  WriteBytes(Sample::kContents, ReadBytes(Sample::kContents) + ":Index Other Library=qsample.hlp\r\n");
  const Lines recordBefore = Sample::RecordValues();
  // The second load of the contents file finds it held by another program.
  int loads = 0;
  platform::UniqueFile locked;
  Spy<decltype(&CreateFileA)> spy("kernel32.dll", "CreateFileA",
      [&](LPCSTR name, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD, HANDLE) {
        if (std::string(name) == Sample::kContents && access == GENERIC_READ && disposition == OPEN_EXISTING &&
            ++loads == 2)
          locked.Reset(CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      });
  const EntryOutcome outcome = RunEntryInProcess(Sample::Program(), " \"" + std::string(Sample::kKeyName) + "\"",
                                                 {{"Uninstall", IDYES}});
  locked.Reset();
  ASSERT_EQ(outcome.boxes.size(), 2u);
  EXPECT_EQ(outcome.boxes[1].text.substr(outcome.boxes[1].text.find('\n') + 1),
            "Cannot open file " + std::string(Sample::kContents) + ".");
  EXPECT_EQ(outcome.exitCode, 1);
  const std::string otherLines = ":Include delphi5.ohc\r\n:Index Other Library=qsample.hlp\r\n";
  EXPECT_EQ(ReadBytes(Sample::kContents),
            ":Base delphi5.hlp\r\n:Title Delphi 5 Help\r\n:Index Object Pascal Reference=obpascl.hlp\r\n"
            ":Index Quenlar Grid=qgrid.hlp\r\n" + otherLines);
  // The record lists what is left to do: no file, the second help entry.
  EXPECT_EQ(Sample::RecordValues(), Sample::ListsLeft(recordBefore, 0, 1));
  EXPECT_TRUE(Exists(Sample::Program()));
  EXPECT_FALSE(Exists(Sample::Batch()));
  EXPECT_FALSE(Exists(kProduct + "\\Lib"));  // the phases before it are done
  EXPECT_EQ(KeyContents(HKEY_CURRENT_USER, ProductKey("Sample Library")), kProductAfter);

  // Run again, nothing held: the first entry's line is not taken a second
  // time (the other product's), nor QnlCore.bpl's counter released again.
  DWORD exitCode = 1;
  RunAndAnswer("\"" + Sample::Program() + "\" \"" + Sample::kKeyName + "\"", {{"Uninstall", IDYES}}, &exitCode);
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(ReadBytes(Sample::kContents),
            ":Base delphi5.hlp\r\n:Title Delphi 5 Help\r\n:Index Object Pascal Reference=obpascl.hlp\r\n" + otherLines);
  EXPECT_EQ(KeyContents(HKEY_CURRENT_USER, kCountersKey), Lines{kShared + "QnlCore.bpl=1"});
  EXPECT_TRUE(KeyContents(HKEY_LOCAL_MACHINE, Record()).empty());
}

namespace {

// A quiet run of the sample installation with its log at log; its exit code.
DWORD RunQuietly(const std::string& log) {
  DWORD exitCode = 0xFFFFFFFF;
  EXPECT_EQ(RunWatchingWindows("\"" + Sample::Program() + "\" \"" + Sample::kKeyName + "\" /S \"/LOG=" + log + "\"", &exitCode),
            Lines{});
  return exitCode;
}

// The log's lines after its head (the record, the time, the program file),
// the failure's code location as "########".
Lines LogLines(const std::string& log) {
  const std::string text = std::regex_replace(ReadBytes(log), std::regex(" at [0-9A-F]{8}\\."), " at ########.");
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  Lines lines;
  for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  EXPECT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("Quenlar uninstall of \"Quenlar Sample Library\", quiet run, ", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1], "Program file: " + Sample::Program());
  lines.erase(lines.begin(), lines.begin() + 2);
  return lines;
}

const std::string kLib = kProduct + "\\Lib";
const std::string kNotEmpty = ": kept, not empty (system code 145)";
const std::string kKept = ", kept (another installation uses it)";
const Lines kComplete = {
    "Phase: installed files (FILES)", "File " + kLib + "\\Grid.dcu: counter released to 0, deleted",
    "File " + kLib + "\\Win32\\DataGrid.dcu: counter released to 0, deleted",
    "File " + kShared + "QnlCore.bpl: counter released to 1" + kKept, "File " + kProduct + "\\Help\\Sample.hlp: no counter, kept",
    "File " + kShared + "QnlTwice.dll: counter released to 1" + kKept, "File " + kShared + "QnlTwice.dll: counter released to 0, deleted",
    "Phase: product registration of \"Sample Library\", sub-products \"Data Grid\"", "Phase: folders (FOLDERS)",
    "Folder " + kLib + "\\Win32: removed", "Folder " + kLib + ": removed", "Folder " + kProduct + "\\Help" + kNotEmpty,
    "Folder " + kProduct + kNotEmpty, "Phase: help entries (INSTALLEDHELPS)", "Help entry \"qsample.hlp\": its line removed",
    "Help entry \"qgrid.hlp\": its line removed", "Phase: the uninstall record", "Phase: the program file",
    "Program file: in use, \"$delme.bat\" started: it deletes the file once the program has ended", "Completed, exit code 0"};

// The file's counter set so; nothing to hold for the run.
std::shared_ptr<void> Counter(const std::string& file, DWORD type, const std::string& data) {
  SetRegistryValue(HKEY_CURRENT_USER, kCountersKey, file, type, data);
  return nullptr;
}

// The complete run's lines with those of the indexes given changed ("" drops one).
Lines CompleteWith(const std::map<std::size_t, std::string>& changed) {
  Lines lines;
  for (std::size_t i = 0; i < kComplete.size(); ++i) {
    const auto change = changed.find(i);
    if (change == changed.end() || !change->second.empty()) lines.push_back(change == changed.end() ? kComplete[i] : change->second);
  }
  return lines;
}

}  // namespace

// The log of a quiet run, line by line: a complete run, a file kept in use,
// a failure and the run after it, and a run after one that was ended from
// outside (the to-do list's note).
TEST(EndToEnd, AQuietRunLogsEachPhaseEachEntrysOutcomeAndWhatEndedIt) {
  const std::string dataGrid = kLib + "\\Win32\\DataGrid.dcu";
  const struct {
    const char* name;
    std::function<std::shared_ptr<void>()> arrange;  // what stays in place for the run
    DWORD exitCode;
    Lines lines;
  } runs[] = {
      {"complete", [] { return nullptr; }, 0, kComplete},
      {"a file in use",
       [] {
         return std::make_shared<platform::UniqueFile>(
             CreateFileA((kLib + "\\Grid.dcu").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
       },
       0, CompleteWith({{1, "File " + kLib + "\\Grid.dcu: counter released to 0, kept, in use (system code 32)"},
                        {10, "Folder " + kLib + kNotEmpty}})},
      {"a failure", [=] { return Counter(dataGrid, REG_SZ, "ab"); }, 1,
       {kComplete[0], kComplete[1], "Failure:", "Exception ERegistryException in module uninstall.exe at ########.",
        "Invalid data type for '" + dataGrid + "'.", "Ended by the failure above, exit code 1"}},
      {"the run after the failure",
       [=] { return Counter(dataGrid, REG_DWORD, std::string("\1\0\0\0", 4)); },
       0, CompleteWith({{1, ""}})},
      // As a run ended from outside after its second file leaves the record.
      {"after a run ended from outside",
       [] {
         const std::string files = ReadRegistryValue(HKEY_LOCAL_MACHINE, Record(), "FILES")->bytes;
         unsigned char count[uninstall::kDoneCountSize];
         uninstall::EncodeDoneCount(uninstall::CountIn(files.c_str(), std::strlen(files.c_str()), 2), count);
         SetRegistryValue(HKEY_LOCAL_MACHINE, Record(), "FILESDONE", REG_BINARY, std::string(count, count + sizeof count));
         return nullptr;
       },
       // The third entry, which a run that wrote this count may have done, is kept.
       0, CompleteWith({{1, "FILES: an earlier run that was ended from outside settled the first 3 of 6 entries (done, "
                            "or kept where it cannot be told whether they were); they are passed over, the run goes on "
                            "with the next"},
                        {2, ""}, {3, ""}, {9, "Folder " + kLib + "\\Win32" + kNotEmpty}, {10, "Folder " + kLib + kNotEmpty}})},
  };
  std::optional<Sample> sample(std::in_place);
  const ScratchFolder logs;
  for (const auto& run : runs) {
    SCOPED_TRACE(run.name);
    const std::string log = logs.File(std::string(run.name) + ".log");
    {
      const std::shared_ptr<void> held = run.arrange();
      EXPECT_EQ(RunQuietly(log), run.exitCode);
    }
    EXPECT_EQ(LogLines(log), run.lines);
    if (run.exitCode == 0) {
      EXPECT_TRUE(GoneWithin({Sample::Program(), Sample::Batch()}, 20000));
      sample.emplace();
    }
  }
}
