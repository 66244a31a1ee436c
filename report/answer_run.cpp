// Runs a command line as Windows starts a program and writes what happened as
// report lines into OUTFILE: every box it showed ("run<TAB>box N<TAB>caption:
// text") and its exit code, or why it did not start ("run<TAB>start<TAB>
// <the system's message> (error N)"). Its "Uninstall" boxes are answered with Yes, any other with
// OK; with --by-hand a person answers them, and each is recorded as shown.
// With --unattended (an installer) a box that offers OK alone is answered,
// and the first other window ends the run ("run<TAB>input<TAB>title: text").
// Used by the main job (scripts/run).
//   answer_run OUTFILE [--by-hand | --unattended] "<command line>"
#include <cstdio>
#include <string>

#include "report/answered_boxes.h"
#include "report/report_lines.h"

namespace {

// A run that hangs is ended after ten minutes; a person answering by hand
// may take longer.
constexpr DWORD kTimeLimitMs = 10 * 60 * 1000;

std::string SystemMessage(DWORD code) {
  char text[512] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                      text, sizeof text, nullptr);
  std::string message(text, length);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  return message + (message.empty() ? "" : " ") + "(error " + std::to_string(code) + ")";
}

std::vector<report::ReportLine> RunLines(const report::RecordedRun& run) {
  using report::ItemKind;
  std::vector<report::ReportLine> lines;
  if (!run.started) return {{ItemKind::Run, "start", SystemMessage(run.startError)}};
  int shown = 0;
  for (const report::SeenBox& box : run.boxes)
    lines.push_back({ItemKind::Run, "box " + std::to_string(++shown), box.caption + ": " + box.text});
  if (!run.waitedFor.empty()) lines.push_back({ItemKind::Run, "input", run.waitedFor});
  lines.push_back({ItemKind::Run, "exit code", std::to_string(static_cast<int>(run.exitCode))});
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  using report::Answering;
  const std::string option = argc == 4 ? argv[2] : "";
  const Answering answering =
      option == "--by-hand" ? Answering::ByHand : option == "--unattended" ? Answering::Unattended : Answering::Mapped;
  if (argc != 3 && answering == Answering::Mapped) {
    static_cast<void>(
        std::fprintf(stderr, "usage: answer_run OUTFILE [--by-hand | --unattended] \"<command line>\"\n"));
    return 2;
  }
  const bool byHand = answering == Answering::ByHand;
  const report::RecordedRun run =
      report::RunRecordingBoxes(argv[argc - 1], {{"Uninstall", IDYES}}, answering, byHand ? INFINITE : kTimeLimitMs);
  FILE* out = std::fopen(argv[1], "wb");
  if (!out) return 2;
  for (const auto& line : RunLines(run))
    static_cast<void>(std::fprintf(out, "%s\r\n", report::FormatReportLine(line).c_str()));
  return std::fclose(out) == 0 ? 0 : 2;
}
