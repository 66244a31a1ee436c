#include "report/installation_report.h"

#include <windows.h>

#include "environments/environment_table.h"
#include "environments/help_folders.h"
#include "platform/errors.h"
#include "platform/line_list.h"
#include "platform/registry_session.h"
#include "registration/define_line.h"
#include "registration/installed_products.h"
#include "report/item_states.h"
#include "setup/path_helpers.h"
#include "setup/uninstall_record.h"
#include "uninstall/command_words.h"
#include "uninstall/remove_self.h"

namespace report {
namespace {

// Gathers the items in the order that the uninstaller reaches them.
class Items {
 public:
  explicit Items(HKEY record) : record_(record) {}
  std::vector<ReportLine> lines;

  void Add(const char* kind, std::string_view item) { lines.push_back({kind, std::string(item), {}}); }

  void AddList(const char* kind, const char* valueName) {
    platform::LineList list;
    list.AssignText(Value(valueName));
    for (int i = 0; i < list.LineCount(); ++i) Add(kind, list.LineAt(i));
  }

  // The product's values, then its include file's define lines.
  void AddProduct() {
    const std::string product = Value("PRODUCTNAME");
    if (product.empty()) return;
    Add("product", product);
    platform::RegistrySession registry;
    if (!registry.OpenPath(registration::ProductKeyPath(product))) return;
    platform::LineList names;
    registry.ListValueNames(names);
    for (int i = 0; i < names.LineCount(); ++i) Add("value", names.LineAt(i));
    AddInclude(registry);
  }

  void AddHelps() {
    const int environment = environments::EnvironmentIndex(Value("DELPHIVER"));
    std::string contents;
    if (!Readable("contents", "RootDir", [&] { contents = environments::EnvironmentContentsFile(environment); }))
      return;
    Add("contents", contents);
    AddList("entry", "INSTALLEDHELPS");
  }

  std::string Value(const char* name) const { return setup::ReadValueText(record_, name); }

 private:
  void AddInclude(const platform::RegistrySession& registry) {
    std::string folder;
    if (!Readable("include", "FolderName", [&] { folder = registry.ReadText("FolderName"); }) || folder.empty())
      return;
    const std::string path = setup::AddTrailingBackslash(folder) + "units\\prod.inc";
    Add("include", path);
    std::string bytes;
    if (!setup::FileIsPresent(path) || !ReadWholeFile(path, bytes)) return;
    platform::LineList include;
    include.AssignText(bytes);
    for (int i = 0; i < include.LineCount() && !registration::IsDefineRegionEnd(std::string(include.LineAt(i))); ++i) {
      const registration::DefineLine define = registration::ParseDefineLine(std::string(include.LineAt(i)));
      if (define.IsDefine) Add("define", define.Symbol);
    }
  }

  // Runs read; when it raises what the uninstaller would fail on, the item
  // is the value that could not be read, with that failure as its state.
  template <typename Read>
  bool Readable(const char* kind, const char* valueName, Read read) {
    try {
      read();
      return true;
    } catch (const platform::Exception& error) {
      lines.push_back({kind, valueName, "unreadable: " + error.Message()});
      return false;
    }
  }

  HKEY record_;
};

std::string FirstWord(const std::string& commandLine) {
  const char* cursor = commandLine.c_str();
  return uninstall::CutWord(cursor);
}

}  // namespace

std::vector<ReportLine> ReportInstallation(const std::string& keyName, const std::string& programPath) {
  LONG opened = 0;
  const platform::UniqueRegKey record = setup::OpenExistingRecord(keyName, &opened);
  Items items(record.Get());
  if (record.IsValid()) {
    items.AddList("file", "FILES");
    items.AddProduct();
    items.AddList("folder", "FOLDERS");
    items.AddHelps();
  }
  items.Add("record", keyName);
  const std::string program = programPath.empty() ? FirstWord(items.Value("UninstallString")) : programPath;
  if (!program.empty()) {
    items.Add("program", program);
    items.Add("program", uninstall::RemovalBatchPath(program));
  }
  return ReportAgain(items.lines);
}

std::string UninstallCommand(const std::string& keyName) {
  LONG opened = 0;
  const platform::UniqueRegKey record = setup::OpenExistingRecord(keyName, &opened);
  return record.IsValid() ? setup::ReadValueText(record.Get(), "UninstallString") : std::string();
}

std::vector<ReportLine> ReportAgain(const std::vector<ReportLine>& earlier) {
  std::vector<ReportLine> lines = earlier;
  ItemStates states;
  for (ReportLine& line : lines) {
    // An include or contents file whose naming value could not be read keeps
    // that failure as its state.
    if ((line.kind == "include" || line.kind == "contents") && line.item.find('\\') == std::string::npos) continue;
    line.state = states.StateOf(line);
  }
  return lines;
}

}  // namespace report
