#include "faults_support.h"

#include "command_lines.h"
#include "sandbox.h"

const wchar_t kConfirm[] =
    L"The Pexlo Play Illustrator extension will be removed.\nPlease close Adobe Illustrator, then click OK to continue.";
const wchar_t kRemoved[] = L"Extension removed. If files were in use, deletion will finish after the next restart.";
const wchar_t kFailed[] = L"Could not remove the extension folder. Close Illustrator and try again.";
const wchar_t kMissing[] = L"Missing required argument extdir= (full path to com.pexlo.play.ai).";

void Faults::SetUp() {
  ClearPendingDeletions();
  for (int version = 8; version <= 14; ++version) DeleteRegistryTree(HKEY_CURRENT_USER, CsxsKey(version));
}

void Faults::TearDown() { SetUp(); }

namespace {

void AddTree(const std::wstring& folder, const std::vector<std::wstring>& skip, Snapshot& snapshot) {
  WIN32_FIND_DATAW entry = {};
  HANDLE listing = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (listing == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = folder + L"\\" + name;
    bool skipped = false;
    for (const std::wstring& s : skip) skipped = skipped || IsWithin(path, s);
    if (skipped) continue;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      snapshot[path];
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) AddTree(path, skip, snapshot);
    } else {
      snapshot[path] = ReadFileBytes(path);
    }
  } while (FindNextFileW(listing, &entry));
  FindClose(listing);
}

}  // namespace

Snapshot TakeSnapshot(const std::wstring& root, const std::vector<std::wstring>& skip) {
  Snapshot snapshot;
  AddTree(root, skip, snapshot);
  return snapshot;
}

std::vector<std::wstring> TouchedOutside(const Snapshot& before, const Snapshot& after, const std::wstring& allowed) {
  std::vector<std::wstring> touched;
  for (const auto& entry : before) {
    if (!allowed.empty() && IsWithin(entry.first, allowed)) continue;
    const auto now = after.find(entry.first);
    if (now == after.end()) {
      touched.push_back(L"gone: " + entry.first);
    } else if (now->second != entry.second) {
      touched.push_back(L"changed: " + entry.first);
    }
  }
  return touched;
}

std::wstring ExpectBoxesMatchDisk(const RunResult& run, const std::wstring& folder) {
  EXPECT_FALSE(run.timedOut);
  if (run.boxes.empty() || run.processes.empty()) {
    ADD_FAILURE() << "no box, " << run.processes.size() << " processes";
    return L"";
  }
  const SeenBox& last = run.boxes.back();
  DWORD exitCode = STILL_ACTIVE;
  for (const SeenProcess& process : run.processes) {
    if (process.processId == last.processId) exitCode = process.exitCode;
  }
  if (last.text == kRemoved) {
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(last.IsInformation());
    EXPECT_FALSE(PathExists(folder)) << "reported removed, but still there";
  } else if (last.text == kFailed) {
    EXPECT_EQ(exitCode, 1u);
    EXPECT_TRUE(last.IsError());
    EXPECT_TRUE(PathExists(folder)) << "reported not removed, but gone";
  } else {
    ADD_FAILURE() << "last box: " << Printable(last.text);
  }
  return last.text;
}

std::wstring FolderOfLength(const std::wstring& base, size_t length) {
  std::wstring path = base;
  while (path.size() + 1 < length) {
    path += L"\\" + std::wstring(std::min<size_t>(60, length - path.size() - 1), L't');
  }
  return path;
}

void MakeWideTree(const std::wstring& root, int count, int perFolder) {
  for (int index = 0; index < count; ++index) {
    const std::wstring folder = root + L"\\part" + std::to_wstring(index / perFolder);
    if (index % perFolder == 0) MakeFolder(folder);
    const std::wstring path = folder + L"\\file" + std::to_wstring(index) + L".js";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "x();", 4, &written, nullptr);
    CloseHandle(file);
  }
}

PROCESS_INFORMATION StartHost(const std::wstring& stopFile, const std::wstring& heldFile) {
  const std::wstring host = BuiltProgram().substr(0, BuiltProgram().rfind(L'\\')) + L"\\Illustrator.exe";
  std::wstring line = L"\"" + host + L"\" \"" + stopFile + L"\"";
  if (!heldFile.empty()) line += L" \"" + heldFile + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  EXPECT_TRUE(CreateProcessW(host.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  return process;
}

bool RunningUnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}
