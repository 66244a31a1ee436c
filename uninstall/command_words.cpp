#include "uninstall/command_words.h"

namespace uninstall {
namespace {

bool IsSeparator(char c) {
  const unsigned char code = static_cast<unsigned char>(c);
  return code >= 1 && code <= 32;
}

void SkipSeparators(const char*& p) {
  for (;;) {
    while (IsSeparator(*p)) ++p;
    if (p[0] == '"' && p[1] == '"') {
      p += 2;
      continue;
    }
    return;
  }
}

}  // namespace

std::string CutWord(const char*& cursor) {
  std::string word;
  if (!cursor) return word;
  const char* p = cursor;
  SkipSeparators(p);
  while (static_cast<unsigned char>(*p) > 32) {
    if (*p == '"') {
      ++p;
      while (*p && *p != '"') word += *p++;
      if (*p == '"') ++p;
    } else {
      word += *p++;
    }
  }
  cursor = p;
  return word;
}

std::string WordOfCommandLine(const char* commandLine, int n) {
  const char* cursor = commandLine;
  CutWord(cursor);  // the program as it was typed
  std::string word;
  for (int i = 0; i < n; ++i) {
    word = CutWord(cursor);
    if (word.empty()) break;
  }
  return word;
}

}  // namespace uninstall
