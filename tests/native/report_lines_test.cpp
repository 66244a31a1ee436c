#include <gtest/gtest.h>

#include <algorithm>

#include "report/report_lines.h"

using report::ItemKind;
using report::ReportLine;

TEST(ReportLines, KeepThreeFieldsPerLineSkipNotesAndRefuseLinesThatAreNoItems) {
  const ReportLine line{ItemKind::File, "C:\\a\tb.dll", "present, counter 1"};
  EXPECT_EQ(report::FormatReportLine(line), "file\tC:\\a\\x09b.dll\tpresent, counter 1");
  std::string error;
  const auto parsed = report::ParseReport("# Record: X\r\nfile\tC:\\a.dll\tgone\nrecord\tX\t\n\nbatch\t\tgone\r", &error);
  EXPECT_EQ(error, "");
  ASSERT_EQ(parsed.size(), 3u);
  EXPECT_EQ(parsed[0].item, "C:\\a.dll");
  EXPECT_EQ(parsed[1].state, "");
  EXPECT_EQ(parsed[2].kind, ItemKind::Batch);

  const struct {
    const char* text;
    const char* error;
  } refused[] = {
      {"file\tC:\\a.dll\tgone\n\nfile  C:\\b.dll  gone\n",
       "line 3 is not kind<TAB>item<TAB>state (three fields separated by tabs): file  C:\\b.dll  gone"},
      {"record\tX\n", "line 1 is not kind<TAB>item<TAB>state (three fields separated by tabs): record\\x09X"},
      {"# note\nfiles\tC:\\a.dll\tgone\n", "line 2 names no kind of item: files\\x09C:\\a.dll\\x09gone"},
  };
  for (const auto& row : refused) {
    error.clear();
    EXPECT_TRUE(report::ParseReport(row.text, &error).empty()) << row.text;
    EXPECT_EQ(error, row.error);
  }
}

TEST(ReportLines, SideBySideMatchesRepeatedItemsInTurnAndJudgesAgainstTheExpectedReport) {
  const std::vector<ReportLine> before = {{ItemKind::File, "a", "present, counter 2"},
                                          {ItemKind::File, "a", "present, counter 2"},
                                          {ItemKind::Folder, "f", "present"},
                                          {ItemKind::Define, "G", "on \"{$DEFINE G}\""},
                                          {ItemKind::Batch, "b", "gone"},
                                          {ItemKind::Record, "R", "present"}};
  const std::vector<ReportLine> after = {{ItemKind::File, "a", "present, counter 1"},
                                         {ItemKind::File, "a", "gone, no counter"},
                                         {ItemKind::Folder, "f", "present"},
                                         {ItemKind::Define, "G", "on \"  {$DEFINE G}\""},
                                         {ItemKind::Batch, "b", "gone"},
                                         {ItemKind::Record, "R", "missing"},
                                         {ItemKind::Run, "exit code", "0"}};
  std::vector<ReportLine> expected = after;
  const auto counted = report::CompareReports(before, after, nullptr);
  EXPECT_TRUE(counted.asExpected);
  EXPECT_EQ(counted.lines.back(), "Result: 2 item(s) went, 1 changed, 2 stayed, 1 absent before and after.");
  EXPECT_EQ(report::CompareReports(before, after, &expected).lines.back(), "Result: every item ended as expected.");

  expected[1].state = "present, counter 1";
  expected[5].state = "present";
  const auto judged = report::CompareReports(before, after, &expected);
  EXPECT_FALSE(judged.asExpected);
  const std::string marked = "! a  present, counter 2 -> gone, no counter   (expected: present, counter 1)";
  EXPECT_NE(std::find(judged.lines.begin(), judged.lines.end(), marked), judged.lines.end());
  const std::vector<std::string> verdict(judged.lines.end() - 3, judged.lines.end());
  EXPECT_EQ(verdict, (std::vector<std::string>{"Result: NOT as expected, 2 item(s) differ (marked !):", "  file a",
                                               "  record R"}));
}
