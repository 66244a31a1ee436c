// The installation report: what an uninstall record names and the state of
// each item, for installer authors to set before and after an uninstall.
//
//   installation_report KEYNAME [PROGRAM]         the report of a record
//   installation_report --again REPORT            the items of REPORT as they are now
//   installation_report --compare BEFORE AFTER [EXPECTED]
//                                                 two reports side by side
//
// Exit code 0; 1 when --compare finds an item that did not end as EXPECTED
// says; 3 when, without EXPECTED, the run that AFTER records went wrong (did
// not start, a failure box, a non-zero exit code, no end); 2 on wrong
// arguments or a report file that cannot be read or holds a line that is not
// an item (the message names the line).
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/line_list.h"
#include "report/installation_report.h"
#include "report/record_notes.h"

namespace {

void Print(const std::string& line) {
  const std::string text = line + "\r\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void PrintReport(const std::vector<report::ReportLine>& lines) {
  for (const report::ReportLine& line : lines) Print(report::FormatReportLine(line));
}

[[noreturn]] void Refuse(const std::string& why) {
  static_cast<void>(std::fprintf(stderr, "installation_report: %s\n", why.c_str()));
  std::exit(2);
}

// The items of a report file; refused when it cannot be read or holds a
// line that is not an item.
std::vector<report::ReportLine> ReportFile(const char* path) {
  std::string text;
  if (!platform::ReadWholeFile(path, FILE_SHARE_READ | FILE_SHARE_WRITE, text))
    Refuse(std::string("cannot read the report ") + path);
  std::string error;
  std::vector<report::ReportLine> lines = report::ParseReport(text, &error);
  if (!error.empty()) Refuse(std::string(path) + ": " + error);
  return lines;
}

int Compare(int argc, char** argv) {
  if (argc != 4 && argc != 5) Refuse("--compare takes BEFORE AFTER [EXPECTED]");
  const auto before = ReportFile(argv[2]);
  const auto after = ReportFile(argv[3]);
  const auto expected = argc == 5 ? ReportFile(argv[4]) : std::vector<report::ReportLine>();
  const report::SideBySide view = report::CompareReports(before, after, argc == 5 ? &expected : nullptr);
  for (const std::string& line : view.lines) Print(line);
  if (!view.asExpected) return 1;
  return argc == 4 && !view.runProblem.empty() ? 3 : 0;
}

int Run(int argc, char** argv) {
  const std::string first = argc > 1 ? argv[1] : "";
  if (first == "--compare") return Compare(argc, argv);
  if (first == "--again") {
    if (argc != 3) Refuse("--again takes one earlier report");
    Print(std::string("# Again: the items of ") + argv[2] + ", as they are now");
    PrintReport(report::ReportAgain(ReportFile(argv[2])));
    return 0;
  }
  if (argc < 2 || argc > 3 || first.empty() || first[0] == '-')
    Refuse("usage: installation_report KEYNAME [PROGRAM] | --again REPORT | --compare BEFORE AFTER [EXPECTED]");
  Print("# Record: " + first);
  Print("# Command: " + report::UninstallCommand(first));
  const std::string quiet = report::UninstallCommand(first, "QuietUninstallString");
  if (!quiet.empty()) Print("# Quiet command: " + quiet);
  for (const std::string& note : report::RecordNotes(first)) Print("# " + note);
  PrintReport(report::ReportInstallation(first, argc == 3 ? argv[2] : ""));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (...) {
    Refuse("out of memory");  // the product's code raises nothing else here
  }
}
