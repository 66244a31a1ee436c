#include <gtest/gtest.h>

#include "platform/text_lines.h"

using platform::CaselessCompareAscii;
using platform::CutAtDataEnd;
using platform::JoinLines;
using platform::SplitLines;
using Lines = std::vector<std::string>;

static Lines Split(const std::string& text) { return SplitLines(text.data(), text.size()); }

TEST(SplittingText, EachKindOfLineBreakEndsALine) {
  EXPECT_EQ(Split(""), Lines{});
  EXPECT_EQ(Split("a"), Lines{"a"});
  EXPECT_EQ(Split("a\r\n"), Lines{"a"});
  EXPECT_EQ(Split("a\r\n\r\n"), (Lines{"a", ""}));
  EXPECT_EQ(Split("\r\n"), Lines{""});
  EXPECT_EQ(Split("a\rb"), (Lines{"a", "b"}));
  EXPECT_EQ(Split("a\nb"), (Lines{"a", "b"}));
  EXPECT_EQ(Split("a\n\rb"), (Lines{"a", "", "b"}));
}

TEST(SplittingText, ANulEndsTheTextAndReportsWhereItStood) {
  const std::string text("a\0b\r\n", 5);
  std::size_t consumed = 99;
  EXPECT_EQ(SplitLines(text.data(), text.size(), &consumed), Lines{"a"});
  EXPECT_EQ(consumed, 1u);
}

TEST(RegistryDataAsText, EndsAtTheSizeReadOrBeforeTheFirstNul) {
  const struct { std::string data; std::size_t size; const char* text; } cases[] = {
      {std::string("ab\0c", 4), 4, "ab"}, {"abc", 2, "ab"}, {"abc", 5, "abc"}, {std::string("\0", 1), 1, ""}};
  for (auto c : cases) {
    CutAtDataEnd(c.data, c.size);
    EXPECT_EQ(c.data, c.text);
  }
}

TEST(JoiningLines, EveryLineTheLastIncludedEndsInCrLf) {
  EXPECT_EQ(JoinLines({}), "");
  EXPECT_EQ(JoinLines({""}), "\r\n");
  EXPECT_EQ(JoinLines({"a", "b"}), "a\r\nb\r\n");
}

TEST(ComparingAsciiCaseless, FoldsOnlyAToZAndTheShorterTextIsLess) {
  EXPECT_EQ(CaselessCompareAscii("d3", "D3"), 0);
  EXPECT_LT(CaselessCompareAscii("D", "D3"), 0);
  EXPECT_GT(CaselessCompareAscii("D3 ", "D3"), 0);
  EXPECT_NE(CaselessCompareAscii("\xe4", "\xc4"), 0);  // a-umlaut is not folded
  EXPECT_GT(CaselessCompareAscii("\x80", "A"), 0);      // bytes compare unsigned
  EXPECT_EQ(CaselessCompareAscii("{$i VX.INC}", "{$I vx.inc}"), 0);
}
