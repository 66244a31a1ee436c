#include <gtest/gtest.h>

#include <string>

#include "uninstall/done_count.h"

using uninstall::CountIn;
using uninstall::DoneCount;

namespace {

DoneCount Count(std::uint32_t done, const std::string& text) { return CountIn(text.data(), text.size(), done); }

}  // namespace

TEST(DoneCount, CountsOnlyInTheVeryTextItWasWrittenFor) {
  const std::string list = "a\r\nb\r\nc";
  const struct {
    DoneCount stored;
    std::string text;
    int lines;
    int done;
  } cases[] = {
      {Count(2, list), list, 3, 2},
      {Count(9, list), list, 3, 3},            // never more than the list holds
      {Count(0, "c"), "c", 1, 0},              // a list that a run cut
      {Count(2, list), "c", 1, -1},            // the whole list's count in what a run left of it
      {Count(0, "c"), list, 3, -1},            // and the list written in full again
      {Count(1, list), "a\r\nb\r\nC", 3, -1},  // another text of the same length
      {Count(1, ""), "", 0, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(uninstall::EntriesDone(c.stored, c.text, c.lines), c.done) << c.text;
}
