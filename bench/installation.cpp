// Lays out a large Quenlar installation in the Wine prefix it runs in, and
// writes the NSIS scripts that do the same work per file:
//
//   bench_installation install <files>
//       the files (in nested folders below C:\QBench\Lib) with their shared-use
//       counters, the uninstall record "QBench Library", a product with 50
//       sub-products of which the record withdraws 25, its 2,000-line include
//       file, and the Delphi 5 key with a 20,000-line help contents file that
//       holds the record's 200 help entries. Whatever an earlier run left is
//       replaced. Every tenth group of 100 files is shared (counter 2): those
//       files stay, their counters are written back. With 0 files the record
//       lists none: the run is the product's and the help entries' work.
//   bench_installation nsis <files> <silent|progress> <base>.nsi
//       an NSIS script whose installer <base>-writer.exe writes the
//       uninstaller <base>.exe beside itself; the uninstaller releases the
//       same files' counters: read, lower, delete value and file at zero,
//       else write back; silent, or with its own progress page.
#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char kRoot[] = "C:\\QBench";
const char kKeyName[] = "QBench Library";
const char kProduct[] = "QBench";
const char kCounters[] = "Software\\Quenlar\\InstalledFiles";
const char kProducts[] = "Software\\Quenlar\\InstalledProducts";
const char kRecords[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kDelphi5[] = "Software\\Borland\\Delphi\\5.0";
constexpr int kSubProducts = 50;
constexpr int kWithdrawn = 25;
constexpr int kIncludeLines = 2000;
constexpr int kContentsLines = 20000;
constexpr int kHelpEntries = 200;

[[noreturn]] void Fail(const std::string& what) {
  (void)std::fprintf(stderr, "bench_installation: %s failed (%lu)\n", what.c_str(), GetLastError());
  std::exit(1);
}

std::string Number(int value, int width) {
  char text[16];
  (void)std::snprintf(text, sizeof text, "%0*d", width, value);
  return text;
}

// File i lies in Lib\L<i/1000>\L<i/100 % 10>: folders of 100 files, two levels deep.
std::string GroupFolder(int i) {
  return std::string(kRoot) + "\\Lib\\L" + std::to_string(i / 1000) + "\\L" + std::to_string(i / 100 % 10);
}
std::string FilePath(int i) { return GroupFolder(i) + "\\Unit" + Number(i, 5) + ".dcu"; }
bool IsShared(int i) { return i / 100 % 10 == 9; }

std::string SubProduct(int k) { return "Sub" + Number(k, 2); }
std::string HelpTarget(int k) { return "qbench" + Number(k, 3) + ".hlp"; }

void WriteFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("creating " + path);
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != bytes.size()) Fail("writing " + path);
}

void MakeFolder(const std::string& path) {
  if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) Fail("creating " + path);
}

HKEY CreateKey(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
    Fail("creating key " + path);
  return key;
}

void SetText(HKEY key, const std::string& name, const std::string& text) {
  if (RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size()) + 1) != ERROR_SUCCESS)
    Fail("setting " + name);
}

void SetNumber(HKEY key, const std::string& name, DWORD number) {
  if (RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number) !=
      ERROR_SUCCESS)
    Fail("setting " + name);
}

std::string Joined(const std::vector<std::string>& lines, const char* separator) {
  std::string text;
  for (const std::string& line : lines) text += line + separator;
  return text;
}

// The files on disk and their counters.
std::vector<std::string> LayOutFiles(int files) {
  SHDeleteKeyA(HKEY_CURRENT_USER, kCounters);
  HKEY counters = CreateKey(HKEY_CURRENT_USER, kCounters);
  MakeFolder(std::string(kRoot) + "\\Lib");
  std::vector<std::string> paths;
  for (int i = 0; i < files; ++i) {
    if (i % 1000 == 0) MakeFolder(std::string(kRoot) + "\\Lib\\L" + std::to_string(i / 1000));
    if (i % 100 == 0) MakeFolder(GroupFolder(i));
    paths.push_back(FilePath(i));
    WriteFile(paths.back(), "unit " + std::to_string(i));
    SetNumber(counters, paths.back(), IsShared(i) ? 2 : 1);
  }
  RegCloseKey(counters);
  return paths;
}

std::vector<std::string> CreatedFolders(int files) {
  std::vector<std::string> folders{kRoot, std::string(kRoot) + "\\Lib"};
  for (int i = 0; i < files; i += 100) {
    if (i % 1000 == 0) folders.push_back(std::string(kRoot) + "\\Lib\\L" + std::to_string(i / 1000));
    folders.push_back(GroupFolder(i));
  }
  return folders;
}

// The product's record and its include file: sub-products 1 to 50, the first
// 25 withdrawn by this installation; the define region spans the whole file.
std::string LayOutProduct() {
  const std::string key = std::string(kProducts) + "\\" + kProduct;
  SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
  HKEY product = CreateKey(HKEY_CURRENT_USER, key);
  SetText(product, "Version", "1.0");
  SetText(product, "FolderName", kRoot);
  for (int k = 1; k <= kSubProducts; ++k) SetText(product, SubProduct(k), "1");
  RegCloseKey(product);

  std::vector<std::string> lines;
  for (int k = 1; k <= kSubProducts; ++k) lines.push_back("  {$DEFINE " + SubProduct(k) + "}");
  while (static_cast<int>(lines.size()) < kIncludeLines - 10)
    lines.push_back("{ option " + std::to_string(lines.size()) + ": kept as it is }");
  lines.push_back("{$I vx.inc}");
  while (static_cast<int>(lines.size()) < kIncludeLines) lines.push_back("{$DEFINE AfterStop}");
  MakeFolder(std::string(kRoot) + "\\units");
  WriteFile(std::string(kRoot) + "\\units\\prod.inc", Joined(lines, "\r\n"));

  std::vector<std::string> withdrawn;
  for (int k = 1; k <= kWithdrawn; ++k) withdrawn.push_back(SubProduct(k));
  std::string text = Joined(withdrawn, ";");
  text.pop_back();
  return text;
}

// Delphi 5 with its help contents file; the product's 200 lines are spread
// evenly over the file's 20,000.
std::vector<std::string> LayOutHelp() {
  const std::string rootDir = std::string(kRoot) + "\\Delphi5";
  HKEY delphi = CreateKey(HKEY_LOCAL_MACHINE, kDelphi5);
  SetText(delphi, "RootDir", rootDir);
  RegCloseKey(delphi);
  MakeFolder(rootDir);
  MakeFolder(rootDir + "\\HELP");
  constexpr int kSpacing = kContentsLines / kHelpEntries;
  std::vector<std::string> lines;
  std::vector<std::string> entries;
  for (int i = 0; i < kContentsLines; ++i) {
    if (i % kSpacing == kSpacing / 2) {
      entries.push_back(HelpTarget(i / kSpacing));
      lines.push_back(":Index QBench topic " + std::to_string(i / kSpacing) + "=" + entries.back());
    } else {
      lines.push_back(":Index Delphi topic " + std::to_string(i) + "=del" + Number(i, 5) + ".hlp");
    }
  }
  WriteFile(rootDir + "\\HELP\\delphi5.cnt", Joined(lines, "\r\n"));
  return entries;
}

void Install(int files) {
  MakeFolder(kRoot);
  const std::vector<std::string> paths = LayOutFiles(files);
  const std::string withdrawn = LayOutProduct();
  const std::vector<std::string> helps = LayOutHelp();
  const std::string recordPath = std::string(kRecords) + "\\" + kKeyName;
  SHDeleteKeyA(HKEY_LOCAL_MACHINE, recordPath.c_str());
  HKEY record = CreateKey(HKEY_LOCAL_MACHINE, recordPath);
  SetText(record, "FILES", Joined(paths, "\r\n"));
  SetText(record, "FOLDERS", Joined(CreatedFolders(files), "\r\n"));
  SetText(record, "INSTALLEDHELPS", Joined(helps, "\r\n"));
  SetText(record, "DELPHIVER", "D5");
  SetText(record, "PRODUCTNAME", kProduct);
  SetText(record, "SUBPRODUCTNAME", withdrawn);
  RegCloseKey(record);
  // The registry reaches the disk now rather than during a timed run.
  RegFlushKey(HKEY_CURRENT_USER);
  RegFlushKey(HKEY_LOCAL_MACHINE);
}

// The script at path "<base>.nsi" makes the installer "<base>-writer.exe"
// beside it, which writes the uninstaller "<base>.exe" beside itself.
void WriteNsisScript(int files, bool silent, const std::string& script) {
  const std::size_t slash = script.find_last_of('\\');
  const std::string base = script.substr(slash + 1, script.rfind('.') - slash - 1);
  const std::string counters = std::string("HKCU \"") + kCounters + "\" $R0";
  std::string text =
      "; The per-file work of the Quenlar uninstaller, done by an NSIS uninstaller.\n"
      "Name \"QBench Library\"\n"
      "OutFile \"" + base + "-writer.exe\"\n"
      "RequestExecutionLevel user\n"
      "SilentInstall silent\n";
  text += silent ? "SilentUnInstall silent\n" : "UninstPage instfiles\nShowUninstDetails show\n";
  text += "Section\n  WriteUninstaller \"$EXEDIR\\" + base + ".exe\"\nSectionEnd\n";
  text += "Function un.Release\n"
          "  ClearErrors\n"
          "  ReadRegDWORD $R1 " + counters + "\n"
          "  IfErrors done\n"
          "  IntOp $R1 $R1 - 1\n"
          "  IntCmp $R1 0 zero\n"
          "  WriteRegDWORD " + counters + " $R1\n"
          "  Goto done\n"
          "zero:\n"
          "  DeleteRegValue " + counters + "\n"
          "  Delete $R0\n"
          "done:\n"
          "FunctionEnd\n"
          "Section Uninstall\n"
          "  SetAutoClose true\n";
  for (int i = 0; i < files; ++i) text += "  StrCpy $R0 \"" + FilePath(i) + "\"\n  Call un.Release\n";
  text += "SectionEnd\n";
  WriteFile(script, text);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 2 ? argv[1] : "";
  const int files = argc > 2 ? static_cast<int>(std::strtol(argv[2], nullptr, 10)) : 0;
  // No files: the help entries and the product alone.
  if (mode == "install" && files >= 0) {
    Install(files);
    return 0;
  }
  if (mode == "nsis" && files > 0 && argc == 5) {
    WriteNsisScript(files, std::string(argv[3]) == "silent", argv[4]);
    return 0;
  }
  (void)std::fprintf(stderr,
                     "usage: bench_installation install <files>\n"
                     "       bench_installation nsis <files> <silent|progress> <base>.nsi\n");
  return 2;
}
