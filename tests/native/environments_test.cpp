#include <gtest/gtest.h>

#include "environments/contents_line.h"
#include "environments/environment_table.h"

using environments::ContentsLineTarget;
using environments::EnvironmentIndex;

TEST(EnvironmentIndex, EachShortNameInEitherCaseGivesItsRowAndAnythingElseDelphi5) {
  const struct { const char* name; int index; } cases[] = {
      {"D2", 0}, {"d2", 0}, {"C1", 1}, {"c1", 1}, {"D3", 2}, {"d3", 2}, {"C3", 3}, {"c3", 3},
      {"D4", 4}, {"d4", 4}, {"C4", 5}, {"c4", 5}, {"D5", 6}, {"d5", 6},
      {"", 6},   {"D6", 6}, {"D", 6},  {"D3 ", 6}, {" D3", 6}};
  for (const auto& c : cases) EXPECT_EQ(EnvironmentIndex(c.name), c.index) << '"' << c.name << '"';
  EXPECT_EQ(EnvironmentIndex(std::string("C3\0", 3)), 6);  // the whole text takes part
}

TEST(ContentsLineTarget, IsEverythingAfterTheFirstEqualsSign) {
  EXPECT_EQ(ContentsLineTarget("Prod Help=prod.hlp"), "prod.hlp");
  EXPECT_EQ(ContentsLineTarget("a=b=c"), "b=c");
  EXPECT_EQ(ContentsLineTarget(":Index x=x.hlp "), "x.hlp ");
  EXPECT_EQ(ContentsLineTarget("=x"), "x");
  EXPECT_EQ(ContentsLineTarget("x="), "");
  const std::string_view withoutEquals = ":Base delphi5.hlp";
  EXPECT_EQ(ContentsLineTarget(withoutEquals).data(), withoutEquals.data() + withoutEquals.size());
}
