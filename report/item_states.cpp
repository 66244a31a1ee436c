#include "report/item_states.h"

#include "environments/help_contents.h"
#include "platform/ansi_text.h"
#include "platform/errors.h"
#include "platform/path_text.h"
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

// A path that names neither a drive's root ("C:\...") nor a share
// ("\\server\..."): Windows takes it in the current folder of the process.
bool IsRelative(const std::string& path) {
  const bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\';
  return !drive && path.rfind("\\\\", 0) != 0;
}

std::string CurrentFolder() {
  char folder[MAX_PATH + 1] = {};
  const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
  return length && length < sizeof folder ? std::string(folder, length) : std::string("(unknown)");
}

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

// Reads a file that the uninstaller would edit; false, with its state in
// state, when the uninstaller would pass it over or the report cannot read it.
bool ReadEditedFileAlone(const std::string& path, std::string& bytes, std::string& state) {
  if (!setup::FileIsPresent(path)) {
    state = PathState(path, false);
    // A file dated outside the DOS date range does not count as present.
    if (state.rfind("present", 0) == 0) state += ", dated outside the DOS date range: passed over";
    return false;
  }
  if (!platform::ReadWholeFile(path, FILE_SHARE_READ | FILE_SHARE_WRITE, bytes)) {
    state = "present, cannot be read";
    return false;
  }
  state = TextFileState(bytes);
  return true;
}

// "; beside it qnl1.tmp, ..." where the folder of path holds files of the
// name that the uninstaller's stores give their temporary files: a run
// stopped while it stored leaves one, with the new text, or on Windows 9x,
// stopped between its two renames, with the old text while the file itself
// is missing. A run takes back or deletes those that its own stores left
// (platform/interrupted_store.h); the others it cannot tell from files that
// someone else put there since, nor any on Windows 9x; a person can.
std::string LeftTemporaryFiles(const std::string& path) {
  const std::string folder = platform::FolderOfPath(path, &platform::IsAnsiLeadByte);
  const std::string pattern = (folder.empty() ? std::string() : folder + "\\") + "qnl*.tmp";
  WIN32_FIND_DATAA found{};
  const platform::UniqueFind find(FindFirstFileA(pattern.c_str(), &found));
  if (!find.IsValid()) return {};
  std::string names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names += (names.empty() ? "" : ", ") + std::string(found.cFileName);
  } while (FindNextFileA(find.Get(), &found));
  return names.empty() ? std::string() : "; beside it " + names + ", left by a run stopped while it stored";
}

// Reads a file that the uninstaller would edit; false, with its state in
// state, when the uninstaller would pass it over or the report cannot read it.
// Either way the state names what a stopped store left beside it.
bool ReadEditedFile(const std::string& path, std::string& bytes, std::string& state) {
  const bool read = ReadEditedFileAlone(path, bytes, state);
  state += LeftTemporaryFiles(path);
  return read;
}

}  // namespace

#define QNL_REPORT_STATE(id, name, title, state) &ItemStates::state,
const ItemStates::StateFunction ItemStates::kStates[] = {QNL_REPORT_ITEM_KINDS(QNL_REPORT_STATE)};
#undef QNL_REPORT_STATE

std::string PathState(const std::string& path, bool folder) {
  // A drive that this machine does not have (the main job hides the drives
  // that lie outside its Wine prefix): nothing there can change.
  if (path.size() >= 2 && path[1] == ':' && GetDriveTypeA((path.substr(0, 2) + "\\").c_str()) == DRIVE_NO_ROOT_DIR)
    return "outside the installation: no drive " + path.substr(0, 2);
  const DWORD attributes = GetFileAttributesA(path.c_str());
  std::string state = "gone";
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    const bool isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    state = isFolder == folder ? "present" : folder ? "a file" : "a folder";
  }
  if (IsRelative(path)) state += " (relative: taken in the current folder " + CurrentFolder() + ")";
  return state;
}

std::string CounterState(const std::string& path) {
  // What the uninstaller would raise on this counter is its state: the
  // report reads on.
  try {
    platform::RegistrySession counters;
    if (!counters.OpenPath(registration::kInstalledFilesKey) || !counters.HasValue(path)) return "no counter";
    return "counter " + std::to_string(counters.ReadNumber(path));
  } catch (const platform::Exception& error) {
    return "counter " + UnreadableState(error.Message());
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
  if (IsUnreadable(line.state)) return line.state;
  return (this->*kStates[static_cast<int>(line.kind)])(line);
}

// Every kind's state is a member, so that the one table of kinds holds them
// all; some need no reading of the earlier items.
// NOLINTBEGIN(readability-convert-member-functions-to-static)
std::string ItemStates::Kept(const ReportLine& line) { return line.state; }

std::string ItemStates::InstalledFile(const ReportLine& line) {
  return PathState(line.item, false) + ", " + CounterState(line.item);
}

std::string ItemStates::Product(const ReportLine& line) {
  product_.CloseCurrent();
  return product_.OpenPath(registration::ProductKeyPath(line.item)) ? "registered" : "not registered";
}

std::string ItemStates::Value(const ReportLine& line) { return ValueData(product_.CurrentKey(), line.item); }

std::string ItemStates::Include(const ReportLine& line) {
  defines_.clear();
  std::string bytes;
  std::string state;
  if (ReadEditedFile(line.item, bytes, state)) {
    for (std::string& text : platform::SplitLines(bytes.data(), bytes.size())) {
      if (registration::IsDefineRegionEnd(text)) break;
      defines_.push_back(std::move(text));
    }
  }
  defineTaken_.assign(defines_.size(), false);
  return state;
}

std::string ItemStates::Define(const ReportLine& line) {
  for (std::size_t i = 0; i < defines_.size(); ++i) {
    const registration::DefineLine define = registration::ParseDefineLine(defines_[i]);
    if (define.IsDefine && define.Symbol == line.item && !defineTaken_[i]) {
      defineTaken_[i] = true;
      return (define.Active ? "on " : "off ") + Quoted(defines_[i]);
    }
  }
  return "gone";
}

std::string ItemStates::Folder(const ReportLine& line) { return PathState(line.item, true); }

std::string ItemStates::Contents(const ReportLine& line) {
  contents_.RemoveAll();
  std::string bytes;
  std::string state;
  haveContents_ = ReadEditedFile(line.item, bytes, state);
  if (haveContents_) contents_.AssignText(bytes);
  return state;
}

std::string ItemStates::Entry(const ReportLine& line) {
  // The uninstaller passes over empty entries.
  if (line.item.empty()) return "empty: passed over";
  if (!haveContents_) return "names no line (no contents file)";
  const int index = environments::LocateContentsEntry(contents_, line.item);
  if (index < 0) return "names no line";
  // The line goes with this entry: a later entry names the next such line.
  const std::string named(contents_.LineAt(index));
  contents_.RemoveLine(index);
  return "names " + Quoted(named);
}

std::string ItemStates::Record(const ReportLine& line) {
  LONG result = 0;
  if (setup::OpenExistingRecord(line.item, &result).IsValid()) return "present";
  if (result == ERROR_FILE_NOT_FOUND) return "missing";
  return "not open with full access (error " + std::to_string(result) +
         "): the uninstaller reads every value as empty";
}

std::string ItemStates::Program(const ReportLine& line) {
  // A counter of 0 or more keeps the program file; one that is not a number
  // ends the run before the file is removed.
  return PathState(line.item, false) + ", " + CounterState(line.item);
}

std::string ItemStates::Batch(const ReportLine& line) { return PathState(line.item, false); }
// NOLINTEND(readability-convert-member-functions-to-static)

}  // namespace report
