// The state now of each kind of item that an installation report lists, read
// by the uninstaller's own rules but without changing anything.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "platform/line_list.h"
#include "platform/registry_session.h"
#include "report/report_lines.h"

namespace report {

// Gives the state of the items of one report in its order: a product, an
// include file or a contents file is the setting of the values, define lines
// and entries that follow it, and each entry takes its line out of this
// reading of the contents file, as the uninstaller takes it out of the file.
class ItemStates {
 public:
  // An item whose value was unreadable keeps that state.
  std::string StateOf(const ReportLine& line);

 private:
  using StateFunction = std::string (ItemStates::*)(const ReportLine&);
  static const StateFunction kStates[];

  std::string Kept(const ReportLine& line);
  std::string InstalledFile(const ReportLine& line);
  std::string Product(const ReportLine& line);
  std::string Value(const ReportLine& line);
  std::string Include(const ReportLine& line);
  std::string Define(const ReportLine& line);
  std::string Folder(const ReportLine& line);
  std::string Contents(const ReportLine& line);
  std::string Entry(const ReportLine& line);
  std::string Record(const ReportLine& line);
  std::string Program(const ReportLine& line);
  std::string Batch(const ReportLine& line);

  platform::RegistrySession product_;   // the product's key, when open
  std::vector<std::string> defines_;    // the include file's lines before its stop line
  std::vector<bool> defineTaken_;       // which of them an earlier define item was
  platform::LineList contents_;         // the contents file less the lines named so far
  bool haveContents_ = false;
};

// "present", "gone" or "a folder" for a file; the other way round for a
// folder. A relative path is taken in the current folder, which is named; a
// path on a drive that does not exist is "outside the installation".
std::string PathState(const std::string& path, bool folder);

// "counter N", "no counter", or "counter unreadable: " and what reading it
// raises, as the uninstaller would raise it.
std::string CounterState(const std::string& path);

// A value's data as text: REG_SZ quoted, REG_DWORD as signed number, other
// types by name and size; "gone" when absent.
std::string ValueData(HKEY key, const std::string& name);

}  // namespace report
