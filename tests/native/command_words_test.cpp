#include <gtest/gtest.h>

#include <tuple>

#include "uninstall/command_words.h"
#include "uninstall/run_switches.h"

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

TEST(RunSwitches, OnlyWordsAfterTheKeyNameCountInAnyCaseAndOthersAreIgnored) {
  const struct {
    const char* line;
    bool quiet, log;
    const char* logPath;
  } cases[] = {{"u.exe Key", false, false, ""}, {"u.exe /S", false, false, ""},  // the key name "/S"
               {"u.exe Key /S", true, true, ""}, {"u.exe \"My Key\" other /s", true, true, ""},
               {"u.exe Key /SILENT /S2", false, false, ""}, {"u.exe Key /LOG", false, true, ""},
               {"u.exe Key /log=", false, true, ""}, {"u.exe Key \"/LOG=C:\\A B\\u.log\" /S", true, true, "C:\\A B\\u.log"},
               {"u.exe Key /LOG=\"C:\\A B\\u.log\"", false, true, "C:\\A B\\u.log"},
               {"u.exe Key /LOG=a.log /LOG", false, true, ""}, {"u.exe Key /LOG=\xe4\x5c.log", false, true, "\xe4\x5c.log"}};
  for (const auto& c : cases) {
    const uninstall::RunSwitches switches = uninstall::ReadRunSwitches(c.line);
    EXPECT_EQ(std::make_tuple(switches.quiet, switches.log, switches.logPath), std::make_tuple(c.quiet, c.log, std::string(c.logPath)))
        << c.line;
  }
}
