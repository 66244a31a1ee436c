#include "report/item_states.h"

#include "environments/help_contents.h"
#include "platform/errors.h"
#include "platform/text_lines.h"
#include "platform/unique_handle.h"
#include "registration/define_line.h"
#include "registration/installed_products.h"
#include "registration/shared_files.h"
#include "setup/path_helpers.h"
#include "setup/uninstall_record.h"

namespace report {
namespace {

std::string Quoted(const std::string& text) { return '"' + text + '"'; }

// True when every line of the text ends in CR LF, the last one included.
bool EndsEveryLineWithCrLf(const std::string& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) return false;
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) return false;
  }
  return bytes.empty() || bytes.back() == '\n';
}

// "present, N lines, CR LF" for a file the uninstaller would edit.
std::string TextFileState(const std::string& bytes) {
  const std::size_t lines = platform::SplitLines(bytes.data(), bytes.size()).size();
  return "present, " + std::to_string(lines) + (lines == 1 ? " line, " : " lines, ") +
         (EndsEveryLineWithCrLf(bytes) ? "CR LF" : "other line ends");
}

std::string RecordState(const std::string& keyName) {
  LONG result = 0;
  if (setup::OpenExistingRecord(keyName, &result).IsValid()) return "present";
  if (result == ERROR_FILE_NOT_FOUND) return "missing";
  return "not open with full access (error " + std::to_string(result) +
         "): the uninstaller reads every value as empty";
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  platform::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return false;
  const DWORD size = GetFileSize(file.Get(), nullptr);
  if (size == INVALID_FILE_SIZE) return false;
  bytes.assign(size, '\0');
  DWORD read = 0;
  return size == 0 || (ReadFile(file.Get(), &bytes[0], size, &read, nullptr) && read == size);
}

std::string PathState(const std::string& path, bool folder) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return "gone";
  const bool isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (isFolder == folder) return "present";
  return folder ? "a file" : "a folder";
}

std::string CounterState(const std::string& path) {
  // What the uninstaller would raise on this counter is its state: the
  // report reads on.
  try {
    platform::RegistrySession counters;
    if (!counters.OpenPath(registration::kInstalledFilesKey) || !counters.HasValue(path)) return "no counter";
    return "counter " + std::to_string(counters.ReadNumber(path));
  } catch (const platform::Exception& error) {
    return "counter unreadable: " + error.Message();
  }
}

std::string ValueData(HKEY key, const std::string& name) {
  DWORD type = 0;
  DWORD size = 0;
  if (!key || RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return "gone";
  if (type == REG_DWORD && size == 4) {
    DWORD number = 0;
    RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &size);
    return std::to_string(static_cast<int>(number));
  }
  if (type == REG_SZ) return Quoted(setup::ReadValueText(key, name));
  if (type == REG_EXPAND_SZ) return Quoted(setup::ReadValueText(key, name)) + " (REG_EXPAND_SZ)";
  return "type " + std::to_string(type) + ", " + std::to_string(size) + " bytes";
}

std::string ItemStates::StateOf(const ReportLine& line) {
  const std::string& kind = line.kind;
  const std::string& item = line.item;
  if (kind == "file") return PathState(item, false) + ", " + CounterState(item);
  if (kind == "folder") return PathState(item, true);
  if (kind == "product") return Product(item);
  if (kind == "value") return Value(item);
  if (kind == "include") return Include(item);
  if (kind == "define") return Define(item);
  if (kind == "contents") return Contents(item);
  if (kind == "entry") return Entry(item);
  if (kind == "record") return RecordState(item);
  if (kind == "program") return PathState(item, false);
  return line.state;
}

std::string ItemStates::Product(const std::string& name) {
  product_.CloseCurrent();
  return product_.OpenPath(registration::ProductKeyPath(name)) ? "registered" : "not registered";
}

std::string ItemStates::Value(const std::string& name) const { return ValueData(product_.CurrentKey(), name); }

std::string ItemStates::Include(const std::string& path) {
  defines_.clear();
  definesSeen_.clear();
  std::string bytes;
  if (!setup::FileIsPresent(path)) return PathState(path, false);
  if (!ReadWholeFile(path, bytes)) return "present, cannot be read";
  for (std::string& line : platform::SplitLines(bytes.data(), bytes.size())) {
    if (registration::IsDefineRegionEnd(line)) break;
    defines_.push_back(std::move(line));
  }
  return TextFileState(bytes);
}

std::string ItemStates::Define(const std::string& symbol) {
  int skip = definesSeen_[symbol]++;
  for (const std::string& line : defines_) {
    const registration::DefineLine define = registration::ParseDefineLine(line);
    if (define.IsDefine && define.Symbol == symbol && skip-- == 0)
      return (define.Active ? "on " : "off ") + Quoted(line);
  }
  return "gone";
}

std::string ItemStates::Contents(const std::string& path) {
  contents_.RemoveAll();
  haveContents_ = false;
  std::string bytes;
  if (!setup::FileIsPresent(path)) return PathState(path, false);
  if (!ReadWholeFile(path, bytes)) return "present, cannot be read";
  contents_.AssignText(bytes);
  haveContents_ = true;
  return TextFileState(bytes);
}

std::string ItemStates::Entry(const std::string& entry) const {
  // The uninstaller passes over empty entries.
  if (entry.empty()) return "empty: passed over";
  if (!haveContents_) return "names no line (no contents file)";
  const int index = environments::LocateContentsEntry(contents_, entry);
  return index < 0 ? std::string("names no line") : "names " + Quoted(std::string(contents_.LineAt(index)));
}

}  // namespace report
