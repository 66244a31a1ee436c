// Any text read as a report: refused whole or read; written out and read
// again, its lines come back as they were written, three fields each, one
// line each; and two reports put
// side by side give one verdict line, which is "as expected" against itself.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "report/report_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const std::vector<report::ReportLine> read = report::ParseReport(text, &error);
  if (!error.empty() && !read.empty()) std::abort();
  std::string written;
  for (const report::ReportLine& line : read) written += report::FormatReportLine(line) + "\r\n";
  std::string errorAgain;
  const std::vector<report::ReportLine> again = report::ParseReport(written, &errorAgain);
  std::string rewritten;
  for (const report::ReportLine& line : again) rewritten += report::FormatReportLine(line) + "\r\n";
  if (!errorAgain.empty() || again.size() != read.size() || rewritten != written) std::abort();
  const report::SideBySide same = report::CompareReports(again, again, &again);
  if (!same.asExpected || same.lines.back() != "Result: every item ended as expected.") std::abort();
  return 0;
}
