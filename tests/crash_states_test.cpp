// Every state that a stop of one run can leave, run again to its end: the
// run's registry writes, deletes and flushes and its file renames, deletes
// and flushes are recorded with the state before each (and inside Wine's
// ReplaceFileA, between the target's delete and the rename); for each cut point,
// each hive and the files keep what they held there or only what they held
// at their last flush before it (a kill keeps all; a power loss may lose what
// each had not flushed). The run again must release no counter twice,
// remove no other product's line and delete no counted file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <tuple>

#include "platform/private_file_security.h"
#include "platform/unique_handle.h"
#include "tests/support/import_swap.h"
#include "tests/support/in_process_run.h"
#include "tests/support/product_keys.h"
#include "tests/support/sample_installation.h"
#include "tests/support/scratch.h"

using namespace testing_support;
using Sample = SampleInstallation;

namespace {

const std::string kUserData = "Software\\Quenlar";
const std::string kOtherLine = ":Index Other Library=QSample.hlp\r\n";  // shares the first help entry's target

struct Tree {
  std::map<std::string, RegistryValue> values;
  std::map<std::string, Tree> keys;
  bool operator==(const Tree& o) const { return values == o.values && keys == o.keys; }
};

Tree ReadTree(HKEY key) {
  Tree tree;
  std::vector<char> name(16384);
  std::vector<BYTE> data(65536);
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(name.size());
    DWORD size = static_cast<DWORD>(data.size());
    DWORD type = 0;
    if (RegEnumValueA(key, i, name.data(), &length, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
    tree.values[name.data()] = {type, std::string(reinterpret_cast<char*>(data.data()), size)};
  }
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(name.size());
    if (RegEnumKeyExA(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    tree.keys[name.data()] = ReadTree(OpenKey(key, name.data()).Get());
  }
  return tree;
}

void WriteTree(HKEY root, const std::string& path, const Tree& tree) {
  CreateKey(root, path);
  for (const auto& [name, value] : tree.values) SetRegistryValue(root, path, name, value.type, value.bytes);
  for (const auto& [name, key] : tree.keys) {
    std::string subkey = path;
    subkey.append(1, '\\').append(name);
    WriteTree(root, subkey, key);
  }
}

// The registry keys and files that a run changes.
struct World {
  std::optional<Tree> user, machine;  // the per-user data; the record
  std::map<std::string, std::string> files;  // bytes, "<missing>"
  bool operator==(const World& o) const { return std::tie(user, machine, files) == std::tie(o.user, o.machine, o.files); }
};

std::optional<Tree> TreeAt(HKEY root, const std::string& path) {
  if (!KeyExists(root, path)) return std::nullopt;
  return ReadTree(OpenKey(root, path).Get());
}

// Files that a row lists in FILES beyond the sample's own.
std::vector<std::string> g_moreFiles;

// The temporary files of the stores beside the include file and the contents file.
std::vector<std::string> TemporaryFiles() {
  std::vector<std::string> files;
  for (const std::string& file : {Sample::Include(), std::string(Sample::kContents)}) {
    const std::string folder = file.substr(0, file.rfind('\\') + 1);
    WIN32_FIND_DATAA found;
    const platform::UniqueFind find(FindFirstFileA((folder + "qnl*.tmp").c_str(), &found));
    for (BOOL more = find.IsValid(); more; more = FindNextFileA(find.Get(), &found)) files.push_back(folder + found.cFileName);
  }
  return files;
}

World Take() {
  World world{TreeAt(HKEY_CURRENT_USER, kUserData), TreeAt(HKEY_LOCAL_MACHINE, UninstallKeyPath(Sample::kKeyName)), {}};
  for (const std::string& file : TemporaryFiles()) world.files[file] = ReadBytes(file);
  for (const std::string& file : Sample::Files()) world.files[file] = ReadBytes(file);
  for (const std::string& file : g_moreFiles) world.files[file] = ReadBytes(file);
  for (const std::string& file : {Sample::Include(), std::string(Sample::kContents)}) world.files[file] = ReadBytes(file);
  return world;
}

void Put(const World& world) {
  const auto put = [](HKEY root, const std::string& path, const std::optional<Tree>& tree) {
    DeleteTree(root, path);
    if (tree) WriteTree(root, path, *tree);
  };
  put(HKEY_CURRENT_USER, kUserData, world.user);
  put(HKEY_LOCAL_MACHINE, UninstallKeyPath(Sample::kKeyName), world.machine);
  for (const std::string& file : TemporaryFiles()) DeleteFileA(file.c_str());
  for (const auto& [file, bytes] : world.files) {
    if (bytes == "<missing>") {
      DeleteFileA(file.c_str());
      continue;
    }
    for (std::size_t slash = file.find('\\', 3); slash != std::string::npos; slash = file.find('\\', slash + 1))
      CreateDirectoryA(file.substr(0, slash).c_str(), nullptr);
    if (file.find("\\qnl") != std::string::npos) {
      // A store's temporary file, with the rights that the store makes it with.
      platform::PrivateFileSecurity security;
      CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, security.Attributes(), CREATE_NEW, 0, nullptr));
    }
    WriteBytes(file, bytes);
  }
}

// What a call does to what the disk keeps.
enum class Op { Change, UserFlush, RecordFlush, FileFlush };
struct Recording {
  std::vector<World> before;  // the state before each call
  std::vector<Op> ops;
  World end;
};
Recording* g_recording = nullptr;
void Note(Op op) { g_recording->before.push_back(Take()), g_recording->ops.push_back(op); }

decltype(&GetProcAddress) g_realGetProcAddress = nullptr;
FARPROC g_replaceFile = nullptr, g_moveFileEx = nullptr;
BOOL WINAPI NotedReplaceFile(LPCSTR a, LPCSTR b, LPCSTR c, DWORD d, LPVOID e, LPVOID f) {
  Note(Op::Change);
  // Inside Wine's ReplaceFileA: the target deleted, the new file not yet renamed.
  g_recording->before.push_back(g_recording->before.back());
  g_recording->before.back().files[a] = "<missing>";
  g_recording->ops.push_back(Op::Change);
  return reinterpret_cast<decltype(&NotedReplaceFile)>(reinterpret_cast<void*>(g_replaceFile))(a, b, c, d, e, f);
}
BOOL WINAPI NotedMoveFileEx(LPCSTR from, LPCSTR to, DWORD flags) {
  Note(Op::Change);
  return reinterpret_cast<decltype(&NotedMoveFileEx)>(reinterpret_cast<void*>(g_moveFileEx))(from, to, flags);
}
FARPROC WINAPI BindNoted(HMODULE module, LPCSTR name) {
  FARPROC found = g_realGetProcAddress(module, name);
  if (HIWORD(reinterpret_cast<ULONG_PTR>(name)) == 0 || !found) return found;
  if (std::strcmp(name, "ReplaceFileA") == 0) return g_replaceFile = found, reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&NotedReplaceFile));
  if (std::strcmp(name, "MoveFileExA") == 0) return g_moveFileEx = found, reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&NotedMoveFileEx));
  return found;
}

// A fault planted in the run's bookkeeping, for the explorer to find: each
// claim reaches the record only when the next count or list is written,
// after the effects it covers.
decltype(&RegSetValueExA) g_realSetValue = nullptr;
struct { HKEY key; std::string name, data; bool pending = false; } g_claim;
LONG WINAPI ClaimAfterItsEntries(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size) {
  const bool count = name && std::strstr(name, "DONE");
  if (g_claim.pending && (count || (name && (!std::strcmp(name, "FILES") || !std::strcmp(name, "INSTALLEDHELPS"))))) {
    g_realSetValue(g_claim.key, g_claim.name.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(g_claim.data.data()),
                   static_cast<DWORD>(g_claim.data.size()));
    g_claim.pending = false;
  }
  if (!count || size <= 12) return g_realSetValue(key, name, reserved, type, data, size);
  g_claim = {key, name, std::string(reinterpret_cast<const char*>(data), size), true};
  return ERROR_SUCCESS;
}

// One clean run of the installation, recorded.
Recording Record(bool claimAfterEntries) {
  Recording recording;
  g_recording = &recording;
  std::optional<ImportSwap> fault;
  if (claimAfterEntries) {
    fault.emplace("advapi32.dll", "RegSetValueExA", reinterpret_cast<const void*>(&ClaimAfterItsEntries));
    g_realSetValue = reinterpret_cast<decltype(&RegSetValueExA)>(fault->Original());
  }
  const auto change = [](auto...) { Note(Op::Change); };
  const Spy<decltype(&RegSetValueExA)> set("advapi32.dll", "RegSetValueExA", change);
  const Spy<decltype(&RegDeleteValueA)> deleteValue("advapi32.dll", "RegDeleteValueA", change);
  const Spy<decltype(&RegDeleteKeyA)> deleteKey("advapi32.dll", "RegDeleteKeyA", change);
  const Spy<decltype(&RegFlushKey)> flush("advapi32.dll", "RegFlushKey",
      // cppcheck-suppress constParameter ; RegFlushKey's own signature
      [](HKEY key) { Note(key == HKEY_CURRENT_USER ? Op::UserFlush : Op::RecordFlush); });
  const Spy<decltype(&DeleteFileA)> deleteFile("kernel32.dll", "DeleteFileA", change);
  const Spy<decltype(&MoveFileA)> move("kernel32.dll", "MoveFileA", change);
  const Spy<decltype(&FlushFileBuffers)> flushFile("kernel32.dll", "FlushFileBuffers", [](HANDLE) { Note(Op::FileFlush); });
  ImportSwap bind("kernel32.dll", "GetProcAddress", reinterpret_cast<const void*>(&BindNoted));
  g_realGetProcAddress = reinterpret_cast<decltype(&GetProcAddress)>(bind.Original());
  RunEntryInProcess(Sample::Program(), " \"" + std::string(Sample::kKeyName) + "\"", {{"Uninstall", IDYES}});
  g_recording = nullptr;
  recording.end = Take();
  return recording;
}

// A counter lower than one clean run leaves it (released twice), a file
// that it keeps counted gone, or another product's line gone.
bool ReleasedTwice(const World& after, const World& clean) {
  const auto counters = [](const World& w) {
    return w.user && w.user->keys.count("InstalledFiles") ? w.user->keys.at("InstalledFiles").values
                                                          : std::map<std::string, RegistryValue>{};
  };
  const auto number = [](const RegistryValue& counter) {
    DWORD value = 0;
    std::memcpy(&value, counter.bytes.data(), std::min<std::size_t>(counter.bytes.size(), sizeof value));
    return value;
  };
  const auto mine = counters(after);
  for (const auto& [file, counter] : counters(clean)) {
    const auto found = mine.find(file);
    if (found == mine.end() || number(found->second) < number(counter)) return true;
    if (clean.files.count(file) && clean.files.at(file) != after.files.at(file)) return true;
  }
  return after.files.at(Sample::kContents).find(kOtherLine) == std::string::npos;
}

struct Tally {
  int states = 0, exact = 0, kept = 0, releasedTwice = 0;
  int kills = 0, killsExact = 0;  // the states where nothing was lost: a kill at the cut
};

// The user's data as at u, the record as at r, the files as at f, run again to its end.
void RunState(const Recording& recording, std::size_t u, std::size_t r, std::size_t f, bool kill, Tally& tally) {
  World state = recording.before[f];
  state.user = recording.before[u].user;
  state.machine = recording.before[r].machine;
  Put(state);
  RunEntryInProcess(Sample::Program(), " \"" + std::string(Sample::kKeyName) + "\"", {{"Uninstall", IDYES}});
  const World after = Take();
  ++tally.states;
  if (kill) tally.kills++, tally.killsExact += after == recording.end;
  if (after == recording.end)
    ++tally.exact;
  else if (ReleasedTwice(after, recording.end))
    ++tally.releasedTwice;
  else
    ++tally.kept;
}

// The installation with count more files listed after the sample's, each
// counted once, every tenth twice (another installation's too).
void ListMoreFiles(int count) {
  if (count == 0) return;
  const std::string folder = std::string(Sample::kProduct) + "\\More";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string record = UninstallKeyPath(Sample::kKeyName);
  RegistryValue files = *ReadRegistryValue(HKEY_LOCAL_MACHINE, record, "FILES");
  files.bytes.resize(files.bytes.find('\0'));
  for (int i = 0; i < count; ++i) {
    g_moreFiles.push_back(folder + "\\f" + std::to_string(i) + ".dcu");
    WriteBytes(g_moreFiles.back(), "unit " + std::to_string(i));
    SetCounter(g_moreFiles.back(), i % 10 == 0 ? 2 : 1);
    files.bytes += "\r\n" + g_moreFiles.back();
  }
  SetRegistryValue(HKEY_LOCAL_MACHINE, record, "FILES", files.type, files.bytes + '\0');
}

// The cut points explored: all, or about that many drawn at random with a
// fixed seed, so that every run of the test explores the same states.
std::vector<bool> CutsDrawn(std::size_t cuts, std::size_t sampled) {
  std::vector<bool> drawn(cuts, sampled == 0);
  std::mt19937 draw(45);  // NOLINT(cert-msc32-c,cert-msc51-cpp): the same states in every run
  for (std::size_t cut = 0; sampled && cut < cuts; ++cut) drawn[cut] = draw() % cuts < sampled;
  return drawn;
}

// Every cut point (sampled: about that many of them), each hive and the
// files keeping all or only what they had flushed there (recordFlushes
// false: as if the record's flushes did nothing).
Tally Explore(const Recording& recording, const World& start, bool recordFlushes, std::size_t sampled) {
  Tally tally;
  std::set<std::tuple<std::size_t, std::size_t, std::size_t>> seen;
  // The states after each one's last flush.
  std::size_t user = 0;
  std::size_t record = 0;
  std::size_t files = 0;
  const std::vector<bool> drawn = CutsDrawn(recording.ops.size(), sampled);
  for (std::size_t cut = 0; cut < recording.ops.size(); ++cut) {
    for (const std::size_t u : {cut, user})
      for (const std::size_t r : {cut, record})
        for (const std::size_t f : {cut, files}) {
          if (drawn[cut] && seen.insert({u, r, f}).second)
            RunState(recording, u, r, f, u == cut && r == cut && f == cut, tally);
        }
    const Op op = recording.ops[cut];
    if (op == Op::UserFlush) user = cut + 1;
    if (op == Op::RecordFlush && recordFlushes) record = cut + 1;
    if (op == Op::FileFlush) files = cut + 1;
  }
  Put(start);
  return tally;
}

}  // namespace

TEST(CrashStates, NoStateThatAStopLeavesReleasesACounterTwiceAndThePlantedFaultsAreFound) {
  Sample sample;
  WriteBytes(Sample::kContents, ReadBytes(Sample::kContents) + kOtherLine);
  SetCounter(Sample::Program(), 1);  // another installation's: the runs leave the program file
  const World start = Take();
  const struct {
    const char* what;
    bool claimAfterEntries, recordFlushes, faultFound;
    int moreFiles = 0;         // listed after the sample's: several claimed stretches
    std::size_t sampled = 0;   // states drawn of every cut's; none: all
  } rows[] = {
      {"as built", false, true, false},
      {"the record's flushes dropped", false, false, true},
      {"each claim written after the entries it covers", true, true, true},
      {"as built, 200 files more, sampled", false, true, false, 200, 12},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Put(start);
    ListMoreFiles(row.moreFiles);
    const World first = Take();
    const Recording recording = Record(row.claimAfterEntries);
    const Tally tally = Explore(recording, first, row.recordFlushes, row.sampled);
    for (const std::string& file : g_moreFiles) DeleteFileA(file.c_str());
    if (!g_moreFiles.empty()) RemoveDirectoryA((std::string(Sample::kProduct) + "\\More").c_str());
    g_moreFiles.clear();
    std::printf("%s: %zu calls, %d states run, %d exactly as one clean run, %d kept, %d released twice; "
                "of the %d after a kill, %d exact\n", row.what, recording.ops.size(), tally.states, tally.exact,
                tally.kept, tally.releasedTwice, tally.kills, tally.killsExact);
    EXPECT_EQ(tally.releasedTwice > 0, row.faultFound);
    if (!row.faultFound) {
      EXPECT_EQ(tally.killsExact, tally.kills);
    }
    EXPECT_EQ(tally.exact + tally.kept + tally.releasedTwice, tally.states);
  }
}
