// The help phase's pieces timed apart, 200 calls each, on the benchmark's
// contents file of 20,000 lines (laid out by "bench_installation install 0"
// in the prefix it runs in): the line list's load, the search for an
// entry's line, the joined text, a claim's text state, a copy of the list,
// the target's rights, the name-surrogate check, the store, the file's read.
//
//   bench_help_pieces
//
// Prints one line per piece with its seconds. The store writes the text it
// loaded, so that the file stays as it was.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/lap.h"
#include "environments/help_contents.h"
#include "platform/file_rights.h"
#include "platform/line_list.h"
#include "platform/plain_file.h"
#include "uninstall/help_claims.h"

int main() {
  const std::string path = "C:\\QBench\\Delphi5\\HELP\\delphi5.cnt";
  platform::LineList lines;
  constexpr int n = 200;
  char entry[32];
  bench::Lap();
  for (int i = 0; i < n; ++i) lines.LoadLines(path);
  std::printf("LoadLines %.3f\n", bench::Lap());
  int found = 0;
  for (int i = 0; i < n; ++i) {
    (void)std::snprintf(entry, sizeof entry, "qbench%03d.hlp", i);
    found += environments::LocateContentsEntry(lines, entry) >= 0;
  }
  std::printf("Locate %.3f (%d)\n", bench::Lap(), found);
  std::size_t total = 0;
  for (int i = 0; i < n; ++i) total += lines.JoinedText().size();
  std::printf("JoinedText %.3f\n", bench::Lap());
  for (int i = 0; i < n; ++i) total += uninstall::TextStateOf(lines).value;
  std::printf("TextStateOf %.3f\n", bench::Lap());
  for (int i = 0; i < n; ++i) {
    // NOLINTNEXTLINE(performance-unnecessary-copy-initialization): the copy is what is timed.
    const platform::LineList copy = lines;
    total += copy.LineCount();
  }
  std::printf("copy %.3f\n", bench::Lap());
  for (int i = 0; i < n; ++i) { platform::FileRights rights(path); total += rights.Known(); }
  std::printf("FileRights %.3f\n", bench::Lap());
  for (int i = 0; i < n; ++i) total += platform::IsNameSurrogate(path);
  std::printf("IsNameSurrogate %.3f\n", bench::Lap());
  for (int i = 0; i < n; ++i) lines.StoreLines(path);
  std::printf("StoreLines %.3f\n", bench::Lap());
  for (int i = 0; i < n; ++i) { std::string bytes; platform::ReadWholeFile(path, 0, bytes); total += bytes.size(); }
  std::printf("ReadWholeFile %.3f\n", bench::Lap());
  // What the calls gave, so that none is left out as unused.
  std::printf("sizes and counts %lu\n", static_cast<unsigned long>(total));
  return 0;
}
