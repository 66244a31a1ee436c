#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "uninstall/claim_verdicts.h"
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

TEST(DoneCount, ReadsBothFormsAndRefusesBytesOfNeither) {
  const uninstall::DoneClaim claim{Count(3, "a\r\nb"), {{1, 2}, {0, 0}}, true};
  std::vector<unsigned char> bytes = uninstall::EncodeDoneClaim(claim);
  uninstall::DoneClaim read;
  ASSERT_TRUE(uninstall::DecodeDoneClaim(bytes.data(), bytes.size(), read));
  EXPECT_TRUE(read.claimed && read.count.count == 3 && read.count.hash == claim.count.hash && read.states == claim.states);
  ASSERT_TRUE(uninstall::DecodeDoneClaim(bytes.data(), 12, read));  // an older uninstaller's count: no claim
  EXPECT_TRUE(!read.claimed && read.states.empty() && read.count.count == 3);
  EXPECT_FALSE(uninstall::DecodeDoneClaim(bytes.data(), bytes.size() - 8, read));  // fewer states than it says
  EXPECT_FALSE(uninstall::DecodeDoneClaim(bytes.data(), 11, read));
  bytes[12] = 3;  // another form
  EXPECT_FALSE(uninstall::DecodeDoneClaim(bytes.data(), bytes.size(), read));
}

TEST(ClaimVerdicts, AnEntryIsDoneOnlyWhereItsTargetShowsItsEffectAndKeptWhereItShowsNeitherState) {
  using uninstall::Verdict;
  const uninstall::EntryState none{uninstall::kNoCounter, 0};
  const uninstall::EntryState one{uninstall::kCounter, 1};
  const uninstall::EntryState two{uninstall::kCounter, 2};
  const uninstall::EntryState zero{uninstall::kCounter, 0};
  const uninstall::EntryState wrapped{uninstall::kCounter, 0xFFFFFFFFu};
  const uninstall::EntryState text{uninstall::kUnreadableCounter, 0};
  const struct {
    uninstall::EntryState before, now;
    Verdict verdict;
  } cases[] = {
      {two, two, Verdict::ToDo},   {two, one, Verdict::Done},  {two, none, Verdict::Kept},  // another installation released it too
      {one, one, Verdict::ToDo},   {one, none, Verdict::Done}, {one, two, Verdict::Kept},   // installed again
      {zero, wrapped, Verdict::Done}, {none, none, Verdict::ToDo}, {none, one, Verdict::Kept},
      {text, text, Verdict::ToDo}, {text, one, Verdict::Kept},
  };
  for (const auto& c : cases)
    EXPECT_EQ(uninstall::CounterVerdict(c.before, c.now), c.verdict) << c.before.value << " " << c.now.value;

  std::vector<Verdict> stretch = {Verdict::Done, Verdict::ToDo, Verdict::Kept, Verdict::ToDo};
  EXPECT_EQ(uninstall::SettledPrefix(stretch), 3);
  EXPECT_EQ(stretch, (std::vector<Verdict>{Verdict::Done, Verdict::Kept, Verdict::Kept, Verdict::ToDo}));

  const std::vector<uninstall::EntryState> texts = {{30, 1}, {20, 2}, {20, 2}, {10, 3}};
  EXPECT_EQ(uninstall::TextPrefix(texts, {30, 1}), 0);
  EXPECT_EQ(uninstall::TextPrefix(texts, {20, 2}), 2);  // the empty entry's removal of nothing is as done
  EXPECT_EQ(uninstall::TextPrefix(texts, {10, 3}), 3);
  EXPECT_EQ(uninstall::TextPrefix(texts, {25, 9}), -1);
}
