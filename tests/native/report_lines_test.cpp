#include <gtest/gtest.h>

#include <algorithm>

#include "report/report_lines.h"

using report::ReportLine;

TEST(ReportLines, KeepThreeFieldsPerLineAndSkipNotes) {
  const ReportLine line{"file", "C:\\a\tb.dll", "present, counter 1"};
  EXPECT_EQ(report::FormatReportLine(line), "file\tC:\\a\\x09b.dll\tpresent, counter 1");
  const auto parsed = report::ParseReport("# Record: X\r\nfile\tC:\\a.dll\tgone\nrecord\tX\n\nprogram\r");
  ASSERT_EQ(parsed.size(), 3u);
  EXPECT_EQ(parsed[0].item, "C:\\a.dll");
  EXPECT_EQ(parsed[1].state, "");
  EXPECT_EQ(parsed[2].kind, "program");
  EXPECT_EQ(report::ReportHeader("# Record: X\n# Command: \"C:\\u.exe\" X\n", "Command"), "\"C:\\u.exe\" X");
}

TEST(ReportLines, SideBySideMatchesRepeatedItemsInTurnAndJudgesAgainstTheExpectedReport) {
  const std::vector<ReportLine> before = {{"file", "a", "present, counter 2"}, {"file", "a", "present, counter 2"},
                                          {"folder", "f", "present"}, {"record", "R", "present"}};
  const std::vector<ReportLine> after = {{"file", "a", "present, counter 1"}, {"file", "a", "gone, no counter"},
                                         {"folder", "f", "present"}, {"record", "R", "missing"},
                                         {"run", "exit code", "0"}};
  std::vector<ReportLine> expected = after;
  const auto counted = report::CompareReports(before, after, nullptr);
  EXPECT_TRUE(counted.asExpected);
  EXPECT_EQ(counted.lines.back(), "Result: 2 item(s) went, 1 changed, 1 stayed.");
  EXPECT_EQ(report::CompareReports(before, after, &expected).lines.back(), "Result: every item ended as expected.");

  expected[1].state = "present, counter 1";
  const auto judged = report::CompareReports(before, after, &expected);
  EXPECT_FALSE(judged.asExpected);
  const std::string marked = "! a  present, counter 2 -> gone, no counter   (expected: present, counter 1)";
  EXPECT_NE(std::find(judged.lines.begin(), judged.lines.end(), marked), judged.lines.end());
  EXPECT_EQ(judged.lines.back(), "Result: NOT as expected, 1 item(s) differ (marked !): a");
}
