#include <gtest/gtest.h>

#include "environments/contents_line.h"
#include "environments/environment_table.h"

using environments::ContentsLineTarget;
using environments::EnvironmentAt;
using environments::EnvironmentIndex;

TEST(EnvironmentIndex, EachShortNameInEitherCaseChoosesItsEnvironmentAndAnythingElseDelphi5) {
  const struct { const char* names[2]; const char* subkey; const char* contents; } cases[] = {
      {{"D2", "d2"}, "Delphi\\2.0", "delphi.cnt"},  {{"C1", "c1"}, "C++Builder\\1.0", "bcb.cnt"},
      {{"D3", "d3"}, "Delphi\\3.0", "delphi3.cnt"}, {{"C3", "c3"}, "C++Builder\\3.0", "bcb3.cnt"},
      {{"D4", "d4"}, "Delphi\\4.0", "delphi4.cnt"}, {{"C4", "c4"}, "C++Builder\\4.0", "bcb4.cnt"},
      {{"D5", "d5"}, "Delphi\\5.0", "delphi5.cnt"}};
  for (const auto& c : cases) {
    for (const char* name : c.names) {
      EXPECT_STREQ(EnvironmentAt(EnvironmentIndex(name)).RegistrySubkey, c.subkey) << name;
      EXPECT_STREQ(EnvironmentAt(EnvironmentIndex(name)).ContentsFileName, c.contents) << name;
    }
  }
  const std::string others[] = {"", "D6", "D", "D3 ", " D3", std::string("C3\0", 3)};  // the whole text takes part
  for (const std::string& name : others)
    EXPECT_STREQ(EnvironmentAt(EnvironmentIndex(name)).ContentsFileName, "delphi5.cnt") << '"' << name << '"';
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
