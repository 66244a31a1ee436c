#include <gtest/gtest.h>


#include "platform/unique_handle.h"
#include "tests/support/import_swap.h"
#include "tests/support/in_process_run.h"
#include "tests/support/boxes.h"
#include "tests/support/product_keys.h"
#include "tests/support/sample_installation.h"
#include "tests/support/scratch.h"

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
