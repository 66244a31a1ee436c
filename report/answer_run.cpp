// Runs a command line as Windows starts a program and writes what happened as
// report lines into OUTFILE: every box it showed ("run<TAB>box N<TAB>caption:
// text") and its exit code. Its "Uninstall" boxes are answered with Yes, any
// other with OK; with --by-hand nobody answers them (a person does).
// Used by the main job (scripts/run).
//   answer_run OUTFILE [--by-hand] "<command line>"
#include <cstdio>
#include <string>

#include "platform/unique_handle.h"
#include "report/answered_boxes.h"
#include "report/report_lines.h"

namespace {

DWORD RunByHand(std::string commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return 0xFFFFFFFF;
  const platform::UniqueKernelObject process(info.hProcess);
  const platform::UniqueKernelObject thread(info.hThread);
  WaitForSingleObject(process.Get(), INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.Get(), &exitCode);
  return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  const bool byHand = argc == 4 && std::string(argv[2]) == "--by-hand";
  if (argc != 3 && !byHand) {
    static_cast<void>(std::fprintf(stderr, "usage: answer_run OUTFILE [--by-hand] \"<command line>\"\n"));
    return 2;
  }
  std::vector<report::ReportLine> lines;
  DWORD exitCode = 0;
  if (byHand) {
    exitCode = RunByHand(argv[3]);
  } else {
    int shown = 0;
    for (const auto& box : report::RunAndAnswer(argv[2], {{"Uninstall", IDYES}}, &exitCode))
      lines.push_back({report::ItemKind::Run, "box " + std::to_string(++shown), box.caption + ": " + box.text});
  }
  lines.push_back({report::ItemKind::Run, "exit code", std::to_string(static_cast<int>(exitCode))});
  FILE* out = std::fopen(argv[1], "wb");
  if (!out) return 2;
  for (const auto& line : lines) static_cast<void>(std::fprintf(out, "%s\r\n", report::FormatReportLine(line).c_str()));
  return std::fclose(out) == 0 ? 0 : 2;
}
