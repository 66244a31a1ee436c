#include <gtest/gtest.h>

#include "uninstall/command_words.h"

using uninstall::WordOfCommandLine;

TEST(CommandWords, TheFirstWordIsTheProgramAndIsSkipped) {
  EXPECT_EQ(WordOfCommandLine("\"C:\\Pro gram\\u.exe\" Key", 1), "Key");
  EXPECT_EQ(WordOfCommandLine("u.exe", 1), "");
  EXPECT_EQ(WordOfCommandLine("", 1), "");
}

TEST(CommandWords, AnUnquotedNameEndsAtTheFirstBlank) {
  EXPECT_EQ(WordOfCommandLine("u.exe My Product", 1), "My");
  EXPECT_EQ(WordOfCommandLine("u.exe My Product", 2), "Product");
  EXPECT_EQ(WordOfCommandLine("u.exe My Product", 3), "");
}

TEST(CommandWords, QuotedStretchesKeepBlanksAndJoinTouchingStretches) {
  EXPECT_EQ(WordOfCommandLine("u.exe \"My Product\" rest", 1), "My Product");
  EXPECT_EQ(WordOfCommandLine("u.exe a\"b c\"d", 1), "ab cd");
  EXPECT_EQ(WordOfCommandLine("u.exe \"open to the end", 1), "open to the end");
}

TEST(CommandWords, EmptyQuotesAndControlCharactersAreSeparators) {
  EXPECT_EQ(WordOfCommandLine("u.exe \"\"", 1), "");
  EXPECT_EQ(WordOfCommandLine("u.exe \"\" Key", 1), "Key");
  EXPECT_EQ(WordOfCommandLine("u.exe\t\x01Key", 1), "Key");
  EXPECT_EQ(WordOfCommandLine("u.exe \xe4nderung", 1), "\xe4nderung");
}

TEST(CommandWords, AWordLongerThan256CharactersIsNeverShortened) {
  const std::string name(300, 'n');
  EXPECT_EQ(WordOfCommandLine(("u.exe " + name + " x").c_str(), 1), name);
}
