#include <gtest/gtest.h>

#include <set>

#include "registration/define_line.h"

TEST(DefineLines, AreRecognisedAndRewrittenActiveOrCommentedOut) {
  const std::set<std::string> remaining = {"Grid", "DataGrid", ""};
  const auto isRemaining = [&](const std::string& symbol) { return remaining.count(symbol) != 0; };
  const std::pair<const char*, const char*> rows[] = {  // line read, line written (or none)
      {"{$DEFINE Grid}", "  {$DEFINE Grid}"},
      {"//  {$DEFINE Grid}", "  {$DEFINE Grid}"},
      {"  {$DEFINE Charts}", "//  {$DEFINE Charts}"},
      {"// {$DEFINE Charts}", "//  {$DEFINE Charts}"},
      {"{$define DataGrid}", "  {$DEFINE DataGrid}"},
      {"{$DEFINEGrid}", "  {$DEFINE Grid}"},
      {"\t\r\n //\t{$DeFiNe\t Grid}", "  {$DEFINE Grid}"},
      {"{$DEFINE Grid} // the grids", "  {$DEFINE Grid}"},
      {"{$DEFINE Grid-Pro}", "  {$DEFINE Grid}"},
      {"{$DEFINE $a_1Z}x", "//  {$DEFINE $a_1Z}"},
      {"{$DEFINE}", "  {$DEFINE }"},
      {"\v{$DEFINE Grid}", "none"},
      {"/ {$DEFINE Grid}", "none"},
      {"// // {$DEFINE Grid}", "none"},
      {"{$DEFIN", "none"},
      {"{$UNDEF Grid}", "none"},
      {"", "none"},
  };
  for (const auto& [in, out] : rows) EXPECT_EQ(registration::RewriteDefineLine(in, isRemaining).value_or("none"), out) << in;
}
