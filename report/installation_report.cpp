#include "report/installation_report.h"

#include <windows.h>

#include "environments/environment_table.h"
#include "environments/help_folders.h"
#include "platform/errors.h"
#include "platform/line_list.h"
#include "platform/registry_session.h"
#include "registration/define_line.h"
#include "registration/installed_products.h"
#include "registration/product_include.h"
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

  void Add(ItemKind kind, std::string_view item) { lines.push_back({kind, std::string(item), {}}); }

  void AddList(ItemKind kind, const char* valueName) {
    platform::LineList list;
    list.AssignText(Value(valueName));
    for (int i = 0; i < list.LineCount(); ++i) Add(kind, list.LineAt(i));
  }

  // As the uninstaller removes them: sorted, then from the last to the first.
  void AddFolders() {
    platform::LineList folders;
    folders.AssignText(Value("FOLDERS"));
    folders.SortLines();
    for (int i = folders.LineCount() - 1; i >= 0; --i) Add(ItemKind::Folder, folders.LineAt(i));
  }

  // The product's values, then, while sub-products remain after the
  // withdrawal, its include file's define lines.
  void AddProduct() {
    const std::string product = Value("PRODUCTNAME");
    if (product.empty()) return;
    Add(ItemKind::Product, product);
    platform::RegistrySession registry;
    if (!registry.OpenPath(registration::ProductKeyPath(product))) return;
    platform::LineList names;
    registry.ListValueNames(names);
    for (int i = 0; i < names.LineCount(); ++i) Add(ItemKind::Value, names.LineAt(i));
    if (SubProductsRemain(names)) AddInclude(registry);
  }

  void AddHelps() {
    const int environment = environments::EnvironmentIndex(Value("DELPHIVER"));
    std::string contents;
    if (!Readable(ItemKind::Contents, "RootDir", [&] { contents = environments::EnvironmentContentsFile(environment); }))
      return;
    Add(ItemKind::Contents, contents);
    AddList(ItemKind::Entry, "INSTALLEDHELPS");
  }

  std::string Value(const char* name) const { return setup::ReadValueText(record_, name); }

 private:
  // Whether a sub-product of the product's values is left once those that
  // SUBPRODUCTNAME names are withdrawn ("Version" and "FolderName" are none).
  bool SubProductsRemain(platform::LineList names) const {
    platform::LineList withdrawn;
    platform::SplitAtChar(Value("SUBPRODUCTNAME"), ';', withdrawn);
    for (const char* kept : {"Version", "FolderName"}) {
      const int index = names.FindLine(kept);
      if (index != -1) names.RemoveLine(index);
    }
    for (int i = 0; i < names.LineCount(); ++i)
      if (withdrawn.FindLine(names.LineAt(i)) == -1) return true;
    return false;
  }

  void AddInclude(const platform::RegistrySession& registry) {
    std::string folder;
    if (!Readable(ItemKind::Include, "FolderName", [&] { folder = registry.ReadText("FolderName"); }) ||
        folder.empty())
      return;
    const std::string path = registration::ProductIncludePath(folder);
    Add(ItemKind::Include, path);
    std::string bytes;
    if (!setup::FileIsPresent(path) || !platform::ReadWholeFile(path, FILE_SHARE_READ | FILE_SHARE_WRITE, bytes))
      return;
    platform::LineList include;
    include.AssignText(bytes);
    for (int i = 0; i < include.LineCount() && !registration::IsDefineRegionEnd(std::string(include.LineAt(i))); ++i) {
      const registration::DefineLine define = registration::ParseDefineLine(std::string(include.LineAt(i)));
      if (define.IsDefine) Add(ItemKind::Define, define.Symbol);
    }
  }

  // Runs read; when it raises what the uninstaller would fail on, the item
  // is the value that could not be read, with that failure as its state.
  template <typename Read>
  bool Readable(ItemKind kind, const char* valueName, Read read) {
    try {
      read();
      return true;
    } catch (const platform::Exception& error) {
      lines.push_back({kind, valueName, UnreadableState(error.Message())});
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
    items.AddList(ItemKind::File, "FILES");
    items.AddProduct();
    items.AddFolders();
    items.AddHelps();
  }
  items.Add(ItemKind::Record, keyName);
  const std::string program = programPath.empty() ? FirstWord(items.Value("UninstallString")) : programPath;
  if (!program.empty()) {
    items.Add(ItemKind::Program, program);
    items.Add(ItemKind::Batch, uninstall::RemovalBatchPath(program));
  }
  return ReportAgain(items.lines);
}

std::string UninstallCommand(const std::string& keyName, const char* valueName) {
  LONG opened = 0;
  const platform::UniqueRegKey record = setup::OpenExistingRecord(keyName, &opened);
  return record.IsValid() ? setup::ReadValueText(record.Get(), valueName) : std::string();
}

std::vector<ReportLine> ReportAgain(const std::vector<ReportLine>& earlier) {
  std::vector<ReportLine> lines = earlier;
  ItemStates states;
  for (ReportLine& line : lines) line.state = states.StateOf(line);
  return lines;
}

}  // namespace report
