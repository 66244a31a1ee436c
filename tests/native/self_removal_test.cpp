#include <gtest/gtest.h>

#include "platform/path_text.h"
#include "uninstall/removal_batch.h"

namespace {

bool NoLeadBytes(unsigned char) { return false; }
// Code page 932 (Shift-JIS).
bool ShiftJisLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

}  // namespace

TEST(FolderOfPath, DropsTheFileNameAndTheFinalBackslashButARootKeepsIt) {
  const std::pair<const char*, const char*> rows[] = {
      {"C:\\Program Files\\Q\\uninstall.exe", "C:\\Program Files\\Q"},
      {"C:\\uninstall.exe", "C:\\"},
      {"C:uninstall.exe", "C:"},
      {"\\\\server\\share\\uninstall.exe", "\\\\server\\share"},
      {"\\uninstall.exe", "\\"},
      {"Q\\uninstall.exe", "Q"},
      {"uninstall.exe", ""},
      {"C:\\Q\\", "C:\\Q"},
      {"C:\\Q\\\\x.exe", "C:\\Q\\\\"},
      {"", ""},
  };
  for (const auto& [path, folder] : rows) EXPECT_EQ(platform::FolderOfPath(path, &NoLeadBytes), folder) << path;
  // "\x95\x5C" is one character in code page 932: its second byte is no backslash.
  EXPECT_EQ(platform::FolderOfPath("C:\\\x95\x5C\\a.exe", &ShiftJisLeadByte), "C:\\\x95\x5C");
  EXPECT_EQ(platform::FolderOfPath("C:\\Q\\\x95\x5C" "a.exe", &ShiftJisLeadByte), "C:\\Q");
  EXPECT_EQ(platform::FolderOfPath("C:\\Q\\\x95\x5C" "a.exe", &NoLeadBytes), "C:\\Q\\\x95");
}

TEST(RemovalBatch, QuotesEveryPathInItsFiveLines) {
  const std::vector<std::string> expected = {":Repeat", "del \"C:\\P Q\\u.exe\"", "del \"C:\\P Q\\u.exe\" /aH",
                                             "if exist \"C:\\P Q\\u.exe\" goto Repeat", "del \"C:\\P Q\\$delme.bat\""};
  EXPECT_EQ(uninstall::RemovalBatchLines("C:\\P Q\\u.exe", "C:\\P Q\\$delme.bat"), expected);
  EXPECT_EQ(platform::QuoteText("", '"'), "\"\"");
}
