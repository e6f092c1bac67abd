// RelaunchFromTemp in this process, with the platform's process creation
// stood in for, so that no copy of the test program ever starts.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "common/paths.h"
#include "import_patch.h"
#include "relocate/relaunch.h"
#include "sandbox.h"

namespace {

using Lines = std::vector<std::wstring>;

struct CreateCall {
  int count = 0;
  BOOL result = TRUE;
  bool applicationNameNull = false, securityNull = false, environmentNull = false;
  BOOL inheritHandles = TRUE;
  DWORD flags = ~0u;
  std::wstring commandLine, currentFolder;
  STARTUPINFOW startup = {};
  HANDLE thread = nullptr, process = nullptr;
} created;

BOOL WINAPI FakeCreateProcess(LPCWSTR application, LPWSTR line, LPSECURITY_ATTRIBUTES processSecurity,
                              LPSECURITY_ATTRIBUTES threadSecurity, BOOL inherit, DWORD flags, LPVOID environment,
                              LPCWSTR folder, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION information) {
  ++created.count;
  created.applicationNameNull = application == nullptr;
  created.securityNull = processSecurity == nullptr && threadSecurity == nullptr;
  created.environmentNull = environment == nullptr;
  created.inheritHandles = inherit;
  created.flags = flags;
  created.commandLine = line;
  created.currentFolder = folder ? folder : L"<null>";
  created.startup = *startup;
  if (!created.result) return FALSE;
  information->hThread = created.thread;
  information->hProcess = created.process;
  return TRUE;
}

std::vector<HANDLE> closed;
BOOL(WINAPI* realCloseHandle)(HANDLE) = nullptr;
BOOL WINAPI RecordingCloseHandle(HANDLE handle) {
  closed.push_back(handle);
  return realCloseHandle(handle);
}

DWORD tempPathLength = 0;
std::wstring tempPathFill;  // what the buffer holds afterwards; nothing when empty
DWORD WINAPI FakeGetTempPath(DWORD size, LPWSTR buffer) {
  tempPathFill.copy(buffer, size - 1);
  return tempPathLength;
}

DWORD moduleNameLength = 0, moduleNameCalls = 0;
DWORD WINAPI FakeGetModuleFileName(HMODULE, LPWSTR buffer, DWORD size) {
  ++moduleNameCalls;
  for (DWORD i = 0; i < size; ++i) buffer[i] = L'x';
  if (moduleNameLength < size) buffer[moduleNameLength] = L'\0';
  return moduleNameLength;
}

Lines Names(const std::wstring& folder) {
  Lines names;
  WIN32_FIND_DATAW entry = {};
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (wcscmp(entry.cFileName, L".") != 0 && wcscmp(entry.cFileName, L"..") != 0) names.push_back(entry.cFileName);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return names;
}

class Relaunch : public testing::Test {
 protected:
  void SetUp() override {
    own = GetOwnPath();
    root = MakeSandbox(L"relaunch");
    temp = root + L"\\temp";
    current = root + L"\\current";
    MakeFolder(temp);
    MakeFolder(current);
    GetCurrentDirectoryW(MAX_PATH, savedCurrent);
    SetCurrentDirectoryW(current.c_str());
    tempScope = std::make_unique<ScopedTempFolder>(temp);
    created = CreateCall();
    created.thread = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    created.process = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    closed.clear();
  }
  void TearDown() override {
    tempScope.reset();
    SetCurrentDirectoryW(savedCurrent);
  }

  bool Run(Lines arguments, const std::wstring& extension = L"T:\\ext", const std::wstring& lang = L"") {
    arguments.insert(arguments.begin(), own);
    std::vector<wchar_t*> vector;
    for (std::wstring& argument : arguments) vector.push_back(&argument[0]);
    ImportPatch create("CreateProcessW", reinterpret_cast<void*>(FakeCreateProcess));
    ImportPatch close("CloseHandle", reinterpret_cast<void*>(RecordingCloseHandle));
    realCloseHandle = close.Original<BOOL(WINAPI*)(HANDLE)>();
    return RelaunchFromTemp(static_cast<int>(vector.size()), vector.data(), extension, lang);
  }

  std::wstring own, root, temp, current;
  wchar_t savedCurrent[MAX_PATH] = {};
  std::unique_ptr<ScopedTempFolder> tempScope;
};

}  // namespace

TEST_F(Relaunch, StageTwoReturnsAtOnceLeavingNoTrace) {
  ImportPatch moduleName("GetModuleFileNameW", reinterpret_cast<void*>(FakeGetModuleFileName));
  moduleNameCalls = 0;
  for (const Lines& arguments : {Lines{L"extdir=T:\\ext", L"stage=2"}, Lines{L"stage=2", L"stage=1"}}) {
    EXPECT_FALSE(Run(arguments));
  }
  EXPECT_EQ(moduleNameCalls, 0u);
  EXPECT_EQ(created.count, 0);
  EXPECT_EQ(Names(temp), Lines{});
  EXPECT_EQ(Names(current), Lines{});
}

TEST_F(Relaunch, EveryOtherStageValueRelaunches) {
  for (const Lines& arguments : {Lines{L"stage=1"}, Lines{L"stage=3"}, Lines{L"stage=02"}, Lines{L"stage="},
                                 Lines{}, Lines{L"stage=1", L"stage=2"}, Lines{L"STAGE=2"}, Lines{L"stage=2 "}}) {
    const int before = created.count;
    EXPECT_TRUE(Run(arguments)) << (arguments.empty() ? L"no stage" : arguments[0]);
    EXPECT_EQ(created.count, before + 1);
  }
}

TEST_F(Relaunch, StartsTheCopyInItsWorkFolderWithTheRelaunchLine) {
  const DWORD before = GetTickCount();
  ASSERT_TRUE(Run({L"stage=1"}, L"T:\\ext \u6269\u5c55", L"ZH"));
  const DWORD after = GetTickCount();

  const Lines runs = Names(temp + L"\\PexloPlayAiUninstall");
  ASSERT_EQ(runs.size(), 1u);
  const std::wstring prefix = std::to_wstring(GetCurrentProcessId()) + L"_";
  ASSERT_EQ(runs[0].substr(0, prefix.size()), prefix);
  const DWORD tick = std::stoul(runs[0].substr(prefix.size()));
  EXPECT_TRUE(tick - before <= after - before) << runs[0];
  EXPECT_EQ(std::to_wstring(tick), runs[0].substr(prefix.size()));

  // The test program lies at the root of drive B:, so origdir is B: alone.
  ASSERT_EQ(own.rfind(L'\\'), 2u) << own;
  const std::wstring work = temp + L"\\PexloPlayAiUninstall\\" + runs[0] + L"\\";
  const std::wstring copy = work + own.substr(3);
  EXPECT_TRUE(ReadFileBytes(copy) == ReadFileBytes(own));
  EXPECT_EQ(created.commandLine,
            L"\"" + copy + L"\" extdir=\"T:\\ext \u6269\u5c55\" stage=2 origdir=\"B:\" lang=\"ZH\"");
  EXPECT_EQ(created.currentFolder, work);
  EXPECT_TRUE(created.applicationNameNull && created.securityNull && created.environmentNull);
  EXPECT_EQ(created.inheritHandles, FALSE);
  EXPECT_EQ(created.flags, 0u);
  STARTUPINFOW zero = {};
  zero.cb = 104;
  EXPECT_EQ(memcmp(&created.startup, &zero, sizeof(zero)), 0);

  ASSERT_EQ(closed.size(), 3u);  // the log file, then the copy's two handles
  EXPECT_EQ(closed[1], created.thread);
  EXPECT_EQ(closed[2], created.process);
  EXPECT_EQ(ReadLogLines(temp), Lines{L"[Stage1] Relaunching from temp: " + copy});
  EXPECT_EQ(Names(current), Lines{});
}

TEST_F(Relaunch, FailedStartIsLoggedAndKeepsTheCopy) {
  created.result = FALSE;
  EXPECT_FALSE(Run({}));
  const Lines runs = Names(temp + L"\\PexloPlayAiUninstall");
  ASSERT_EQ(runs.size(), 1u);
  const std::wstring copy = temp + L"\\PexloPlayAiUninstall\\" + runs[0] + own.substr(own.rfind(L'\\'));
  EXPECT_TRUE(PathExists(copy));
  EXPECT_EQ(ReadLogLines(temp), (Lines{L"[Stage1] Relaunching from temp: " + copy, L"[Stage1] CreateProcessW failed."}));
}

TEST_F(Relaunch, TempPathThatDoesNotFitCountsAsFailure) {
  // Whatever the buffer holds, a length above 259 means the path did not fit.
  for (const std::wstring& fill : {std::wstring(), temp + L"\\"}) {
    for (DWORD length : {0u, 260u, 300u}) {
      tempPathLength = length;
      tempPathFill = fill;
      ImportPatch tempPath("GetTempPathW", reinterpret_cast<void*>(FakeGetTempPath));
      EXPECT_FALSE(Run({})) << length << L" " << fill;
    }
  }
  {
    ScopedTempFolder longTemp(root + L"\\" + std::wstring(300, L'a'));
    EXPECT_FALSE(Run({}));
  }
  EXPECT_EQ(created.count, 0);
  EXPECT_EQ(Names(current), Lines{});
  EXPECT_EQ(Names(root), (Lines{L"current", L"temp"}));
  EXPECT_EQ(Names(temp), Lines{});
}

TEST_F(Relaunch, UnreadableOwnPathLeavesOnlyAnEmptyWorkFolder) {
  for (DWORD length : {0u, 260u}) {
    moduleNameLength = length;
    ImportPatch moduleName("GetModuleFileNameW", reinterpret_cast<void*>(FakeGetModuleFileName));
    EXPECT_FALSE(Run({})) << length;
  }
  EXPECT_EQ(created.count, 0);
  EXPECT_EQ(Names(temp), Lines{L"PexloPlayAiUninstall"});  // no log line either
  for (const std::wstring& run : Names(temp + L"\\PexloPlayAiUninstall")) {
    EXPECT_EQ(Names(temp + L"\\PexloPlayAiUninstall\\" + run), Lines{});
  }
}

TEST_F(Relaunch, WorkFolderThatCannotBeMadeCountsAsFailure) {
  WriteFileText(root + L"\\file", L"x");
  ScopedTempFolder underAFile(root + L"\\file");
  EXPECT_FALSE(Run({}));
  EXPECT_EQ(created.count, 0);
  EXPECT_EQ(Names(current), Lines{});
}
