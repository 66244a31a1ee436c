#include "tests/support/sample_installation.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/unique_handle.h"
#include "tests/support/product_keys.h"
#include "tests/support/scratch.h"

namespace testing_support {
namespace {

const char kRecord[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quenlar Sample Library";

// The repository's folder as Wine sees it.
std::string RepositoryPath(const std::string& relative) { return WindowsPathOf(QNL_SOURCE_DIR "/" + relative); }

void RunAndWait(std::string commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  platform::UniqueProcessInformation info;
  if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, info.Receive()))
    WaitForSingleObject(info.Get().hProcess, 30000);
}

}  // namespace

std::vector<std::string> SampleInstallation::Files() {
  const std::string product = kProduct;
  const std::string shared = "C:\\Program Files\\Quenlar\\Shared\\";
  return {product + "\\Lib\\Grid.dcu", product + "\\Lib\\Win32\\DataGrid.dcu", shared + "QnlCore.bpl",
          product + "\\Help\\Sample.hlp", shared + "QnlTwice.dll", shared + "QnlTwice.dll"};
}

std::string SampleInstallation::SampleFile(const std::string& name) {
  std::vector<std::string> installed = Files();
  installed.insert(installed.end(), {Include(), kContents});
  for (const std::string& path : installed)
    if (path.substr(path.rfind('\\') + 1) == name) return ReadBytes(RepositoryPath("docs/sample/drive_c/" + path.substr(3)));
  return "<no such sample file>";
}

void SampleInstallation::RemoveEverything() {
  RemoveFolderTree("C:\\Program Files\\Quenlar");
  RemoveFolderTree("C:\\Program Files\\Borland\\Delphi5");
  DeleteTree(HKEY_LOCAL_MACHINE, kRecord);
  DeleteTree(HKEY_CURRENT_USER, kCountersKey);
  DeleteTree(HKEY_CURRENT_USER, ProductKey("Sample Library"));
  RegDeleteKeyA(HKEY_CURRENT_USER, kProductsKey);  // only when empty
  DeleteTree(HKEY_LOCAL_MACHINE, kDelphi5Key);
}

SampleInstallation::SampleInstallation() {
  RemoveEverything();
  RunAndWait("regedit /s \"" + RepositoryPath("docs/sample/installation.reg") + "\"");
  CopyFolderTree(RepositoryPath("docs/sample/drive_c"), "C:");
  CopyUninstallProgram(Program());
}

void SampleInstallation::InstallAgain() {
  if (Exists(Batch())) GoneWithin({Program(), Batch()}, 20000);
  std::map<std::string, int> counts;  // as the runs left them
  for (const std::string& file : Files())
    if (const auto counter = ReadRegistryValue(HKEY_CURRENT_USER, kCountersKey, file); counter && counter->bytes.size() == 4)
      std::memcpy(&counts[file], counter->bytes.data(), 4);
  RunAndWait("regedit /s \"" + RepositoryPath("docs/sample/installation.reg") + "\"");
  std::map<std::string, int> counted;  // the files that the installer counts, as many times as it lists them
  for (const std::string& file : Files())
    if (ReadRegistryValue(HKEY_CURRENT_USER, kCountersKey, file)) ++counted[file];
  for (const auto& [file, times] : counted) SetCounter(file, counts[file] + times);
  CopyFolderTree(RepositoryPath("docs/sample/drive_c"), "C:");
  CopyUninstallProgram(Program());
}

std::vector<std::string> SampleInstallation::RecordValues() {
  std::vector<std::string> values = KeyContents(HKEY_LOCAL_MACHINE, kRecord);
  values.erase(std::remove_if(values.begin(), values.end(), [](const std::string& value) {
                 return value.rfind("FILESDONE=", 0) == 0 || value.rfind("INSTALLEDHELPSDONE=", 0) == 0;
               }), values.end());
  return values;
}

std::vector<std::string> SampleInstallation::ListsLeft(std::vector<std::string> values, int filesLeft, int helpsLeft) {
  for (std::string& value : values) {
    const std::string name = value.substr(0, value.find('='));
    if (name != "FILES" && name != "INSTALLEDHELPS") continue;
    std::vector<std::string> lines;  // the sample's lists end without a line break
    for (std::size_t at = name.size() + 1, end; at < value.size(); at = end + 2) {
      end = std::min(value.find("\r\n", at), value.size());
      lines.push_back(value.substr(at, end - at));
    }
    value = name + "=";
    const std::size_t left = static_cast<std::size_t>(name == "FILES" ? filesLeft : helpsLeft);
    for (std::size_t i = lines.size() - std::min(left, lines.size()); i < lines.size(); ++i)
      value += lines[i] + (i + 1 < lines.size() ? "\r\n" : "");
  }
  return values;
}

SampleInstallation::~SampleInstallation() {
  if (Exists(Batch())) GoneWithin({Program(), Batch()}, 20000);
  RemoveEverything();
}

std::vector<std::string> KeyContents(void* root, const std::string& path) {
  std::vector<std::string> contents;
  const platform::UniqueRegKey key = OpenKey(static_cast<HKEY>(root), path);
  if (!key.IsValid()) return contents;
  char name[256];
  BYTE data[1024];
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = sizeof name;
    DWORD dataSize = sizeof data;
    DWORD type = 0;
    if (RegEnumValueA(key.Get(), i, name, &nameLength, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
    const std::string text = type == REG_DWORD ? std::to_string(*reinterpret_cast<const int*>(data))
                                               : std::string(reinterpret_cast<const char*>(data), dataSize ? dataSize - 1 : 0);
    contents.push_back(std::string(name, nameLength) + "=" + text);
  }
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = sizeof name;
    if (RegEnumKeyExA(key.Get(), i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    contents.push_back("[" + std::string(name, nameLength) + "]");
  }
  std::sort(contents.begin(), contents.end());
  return contents;
}

}  // namespace testing_support
