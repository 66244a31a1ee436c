// Starts a program, answers its "Uninstall" boxes with Yes, prints every box
// it showed and its exit code. Used by the main job's sample run.
#include <cstdio>

#include "tests/support/boxes.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    static_cast<void>(std::fprintf(stderr, "usage: answer_run \"<command line>\"\n"));
    return 2;
  }
  DWORD exitCode = 0;
  for (const auto& box : testing_support::RunAndAnswer(argv[1], {{"Uninstall", IDYES}}, &exitCode))
    std::printf("box \"%s\": %s\n", box.caption.c_str(), box.text.c_str());
  std::printf("exit code %lu\n", static_cast<unsigned long>(exitCode));
  return 0;
}
