#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/failure_text.h"
#include "platform/text_format.h"

using namespace platform;

static const char kPattern[] = "Exception %s in module %s at %p.\n%s%s";

static bool NoLeadBytes(unsigned char) { return false; }
// Code page 932 (Shift-JIS).
static bool ShiftJisLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

static std::string Failure(const char* message, const char* module = "C:\\Program Files\\P\\uninstall.exe",
                           LeadByteTest isLeadByte = &NoLeadBytes) {
  char out[1024];
  const std::size_t n = FormatFailureText(out, sizeof out, kPattern, "ERegistryException", module, 0x1A2B, message,
                                          isLeadByte);
  return std::string(out, n);
}

TEST(FailureText, NamesKindModuleAndOffsetAndEndsTheMessageWithOnePeriod) {
  EXPECT_EQ(Failure("Invalid data type for 'C:\\x.dll'"),
            "Exception ERegistryException in module uninstall.exe at 00001A2B.\n"
            "Invalid data type for 'C:\\x.dll'.");
  EXPECT_EQ(Failure("Done."), "Exception ERegistryException in module uninstall.exe at 00001A2B.\nDone.");
  EXPECT_EQ(Failure(""), "Exception ERegistryException in module uninstall.exe at 00001A2B.\n");
  // "C:\Q\表.exe" in code page 932: the second byte of "表" is 0x5C.
  EXPECT_EQ(Failure("", "C:\\Q\\\x95\x5C.exe", &ShiftJisLeadByte),
            "Exception ERegistryException in module \x95\x5C.exe at 00001A2B.\n");
}

TEST(FailureText, IsCutAtTheBufferWithoutOverrunningIt) {
  char out[16];
  std::memset(out, 'X', sizeof out);
  const std::size_t n = FormatFailureText(out, 10, kPattern, "K", "m", 0, "msg", &NoLeadBytes);
  EXPECT_EQ(n, 9u);
  EXPECT_EQ(std::string(out), "Exception");
  EXPECT_EQ(out[10], 'X');
}

TEST(RuntimeErrorText, PutsTheNumberRightAlignedBeforeAt) {
  char out[64];
  FormatRuntimeErrorText(out, sizeof out, 217, 0x4A10);
  EXPECT_STREQ(out, "Runtime error 217 at 00004A10");
  FormatRuntimeErrorText(out, sizeof out, 5, 0);
  EXPECT_STREQ(out, "Runtime error   5 at 00000000");
}

TEST(FormatText, FillsTextAndNumberPlaceholdersAndKeepsPercentSignsOfArguments) {
  EXPECT_EQ(FormatText("Cannot open file %s", std::string("C:\\100%s.txt")), "Cannot open file C:\\100%s.txt");
  EXPECT_EQ(FormatText("List index out of bounds (%d)", -1L), "List index out of bounds (-1)");
  EXPECT_EQ(FormatText("I/O error %d", 32L), "I/O error 32");
  EXPECT_EQ(FormatText("%s and %s", std::string("one")), "one and ");
}

TEST(FormatText, IsLimitedTo4096Characters) {
  const std::string longName(5000, 'k');
  EXPECT_EQ(FormatText("Are you sure you want to completely remove the %s?", longName).size(), 4096u);
}
