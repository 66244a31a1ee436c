#include "setup/uninstall_record.h"

#include <windows.h>

#include "platform/text_lines.h"
#include "platform/unique_handle.h"

namespace setup {
namespace {

const char kUninstallParent[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

bool CreateKey(HKEY base, const std::string& name, platform::UniqueRegKey& key) {
  return RegCreateKeyExA(base, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                         KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr) == ERROR_SUCCESS;
}

}  // namespace

std::string ReadValueText(HKEY key, const std::string& valueName) {
  DWORD size = 0;
  if (RegQueryValueExA(key, valueName.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0)
    return {};
  // Read straight into the text, as FILES may hold a megabyte. A value that
  // grew since the size was asked for is read again with the size that the
  // failed read reports: losing FILES here would lose the list of installed
  // files for good.
  std::string text(size, '\0');
  LONG result;
  while ((result = RegQueryValueExA(key, valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&text[0]),
                                    &size)) == ERROR_MORE_DATA) {
    text.resize(size > text.size() ? size : text.size() * 2);
    size = static_cast<DWORD>(text.size());
  }
  if (result != ERROR_SUCCESS) return {};  // the value went away meanwhile
  platform::CutAtDataEnd(text, size);
  return text;
}

std::string ReadUninstallValue(const std::string& keyName, const std::string& valueName) {
  platform::UniqueRegKey parent;
  platform::UniqueRegKey record;
  if (!CreateKey(HKEY_LOCAL_MACHINE, kUninstallParent, parent)) return {};
  if (!CreateKey(parent.Get(), keyName, record)) return {};
  return ReadValueText(record.Get(), valueName);
}

platform::UniqueRegKey OpenExistingRecord(const std::string& keyName, LONG* result) {
  platform::UniqueRegKey parent;
  platform::UniqueRegKey record;
  *result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallParent, 0, KEY_ALL_ACCESS, parent.Receive());
  if (*result == ERROR_SUCCESS) *result = RegOpenKeyExA(parent.Get(), keyName.c_str(), 0, KEY_ALL_ACCESS, record.Receive());
  return record;
}

void DeleteUninstallRecord(const std::string& keyName) {
  platform::UniqueRegKey parent;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallParent, 0, KEY_ALL_ACCESS, parent.Receive()) !=
      ERROR_SUCCESS)
    return;
  RegDeleteKeyA(parent.Get(), keyName.c_str());
  RegFlushKey(parent.Get());
}

}  // namespace setup
