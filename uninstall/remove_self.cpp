#include "uninstall/remove_self.h"

#include <windows.h>

#include "platform/path_text.h"
#include "platform/text_file.h"
#include "platform/unique_handle.h"
#include "setup/path_helpers.h"
#include "uninstall/removal_batch.h"

namespace uninstall {
namespace {

static_assert(sizeof(void*) != 4 || sizeof(STARTUPINFOA) == 68, "STARTUPINFOA of the 32-bit program");

// The batch file's "del" skips read-only and system files, and its loop
// would then never end: such attributes are taken off the program file.
void AllowDeletion(const std::string& programPath) {
  const DWORD attributes = GetFileAttributesA(programPath.c_str());
  const DWORD blocking = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM;
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & blocking))
    SetFileAttributesA(programPath.c_str(), attributes & ~blocking);
}

}  // namespace

void RemoveSelf(const std::string& programPath) {
  if (DeleteFileA(programPath.c_str())) return;
  const std::string batchPath = RemovalBatchPath(programPath);
  platform::TextFile batch(batchPath);
  for (const std::string& line : RemovalBatchLines(programPath, batchPath)) batch.WriteLine(line);
  batch.Close();
  // Only now that the batch file is complete: a run that fails before keeps
  // the program file as it was, attributes included.
  AllowDeletion(programPath);
  RunHidden(platform::QuoteText(batchPath, '"'));
}

std::string RemovalBatchPath(const std::string& programPath) {
  return setup::AddTrailingBackslash(platform::FolderOfPath(programPath, &platform::IsAnsiLeadByte)) + "$delme.bat";
}

bool RunHidden(const std::string& commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  platform::UniqueProcessInformation created;
  std::string line = commandLine;  // CreateProcessA may write into it
  return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &startup, created.Receive()) != FALSE;
}

}  // namespace uninstall
