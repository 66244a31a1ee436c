// The state now of each kind of item that an installation report lists.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "platform/line_list.h"
#include "platform/registry_session.h"
#include "report/report_lines.h"

namespace report {

// Reads a file whole, others may hold it meanwhile; false when it cannot be.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// Gives the state of the items of one report in its order: a product, an
// include file or a contents file is the setting of the values, define lines
// and entries that follow it.
class ItemStates {
 public:
  std::string StateOf(const ReportLine& line);

 private:
  std::string Product(const std::string& name);
  std::string Value(const std::string& name) const;
  std::string Include(const std::string& path);
  std::string Define(const std::string& symbol);
  std::string Contents(const std::string& path);
  std::string Entry(const std::string& entry) const;

  platform::RegistrySession product_;   // the product's key, when open
  std::vector<std::string> defines_;    // the include file's lines before its stop line
  std::map<std::string, int> definesSeen_;
  platform::LineList contents_;
  bool haveContents_ = false;
};

// "present", "gone" or "a folder" for a file; the other way round for a folder.
std::string PathState(const std::string& path, bool folder);

// "counter N", "no counter", or what reading it raises.
std::string CounterState(const std::string& path);

// A value's data as text: REG_SZ quoted, REG_DWORD as signed number, other
// types by name and size; "gone" when absent.
std::string ValueData(HKEY key, const std::string& name);

}  // namespace report
