// RemoveExtensionDir as the uninstall sequence calls it: the shell delete,
// and the pass by hand when the shell gives up.
#include <gtest/gtest.h>

#include "removal/folder_removal.h"
#include "sandbox.h"

namespace {

using Lines = std::vector<std::wstring>;
const std::wstring kRemoved = L"[Delete] SHFileOperation removed: ";
const std::wstring kFailed = L"[Delete] SHFileOperation failed, fallback RemoveDirectory.";

// The restart list belongs to the whole prefix; a test that reads it starts
// and leaves it empty, so that Wine deletes nothing at its next start.
struct EmptyPendingList {
  EmptyPendingList() { ClearPendingDeletions(); }
  ~EmptyPendingList() { ClearPendingDeletions(); }
};

}  // namespace

TEST(RemoveExtensionDir, ShellDeletesTheWholeTreeInOneCall) {
  const std::wstring temp = MakeSandbox(L"rm_shell_log");
  ScopedTempFolder scoped(temp);
  const std::wstring top = MakeSandbox(L"rm_shell");
  MakeFolder(top + L"\\a\\b");
  WriteFileText(top + L"\\f.txt", L"x");
  WriteFileText(top + L"\\a\\b\\g.txt", L"x");

  EXPECT_TRUE(RemoveExtensionDir(top));
  EXPECT_FALSE(PathExists(top));
  EXPECT_EQ(ReadLogLines(temp), Lines{kRemoved + top});  // no line for a or a\b
}

TEST(RemoveExtensionDir, EmptyPathFailsAndTouchesNothing) {
  const std::wstring temp = MakeSandbox(L"rm_empty_log");
  ScopedTempFolder scoped(temp);
  const std::wstring here = MakeSandbox(L"rm_empty_cwd");
  WriteFileText(here + L"\\canary.txt", L"x");
  wchar_t saved[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, saved);
  SetCurrentDirectoryW(here.c_str());  // where an empty path might resolve

  EXPECT_FALSE(RemoveExtensionDir(L""));
  SetCurrentDirectoryW(saved);
  EXPECT_TRUE(PathExists(here + L"\\canary.txt"));
  EXPECT_EQ(ReadLogLines(temp), Lines{});
}

TEST(RemoveExtensionDir, AbsentPathSucceedsWithoutALine) {
  const std::wstring temp = MakeSandbox(L"rm_absent_log");
  ScopedTempFolder scoped(temp);
  EXPECT_TRUE(RemoveExtensionDir(MakeSandbox(L"rm_absent") + L"\\never made"));
  EXPECT_EQ(ReadLogLines(temp), Lines{});
}

TEST(RemoveExtensionDir, PathNamingAFileGoesToTheShellAlike) {
  const std::wstring temp = MakeSandbox(L"rm_file_log");
  ScopedTempFolder scoped(temp);
  const std::wstring file = MakeSandbox(L"rm_file") + L"\\plain.txt";
  WriteFileText(file, L"x");
  EXPECT_TRUE(RemoveExtensionDir(file));
  EXPECT_FALSE(PathExists(file));
  EXPECT_EQ(ReadLogLines(temp), Lines{kRemoved + file});
}

// top\keep.txt, top\a\x.txt, top\a\b\held.txt (held open), top\a\b\y.txt:
// the shell cannot delete top, a or b, so each gets the failure line and a
// pass by hand, which deletes the rest and schedules the held file.
TEST(RemoveExtensionDir, HeldFileDeepInTheTreeIsScheduledAndItsFoldersStay) {
  EmptyPendingList pending;
  const std::wstring temp = MakeSandbox(L"rm_held_log");
  ScopedTempFolder scoped(temp);
  const std::wstring top = MakeSandbox(L"rm_held");
  const std::wstring a = top + L"\\a", b = a + L"\\b", held = b + L"\\held.txt";
  MakeFolder(b);
  for (const std::wstring& file : {top + L"\\keep.txt", a + L"\\x.txt", held, b + L"\\y.txt"}) {
    WriteFileText(file, L"x");
  }
  HeldFile hold(held);

  EXPECT_FALSE(RemoveExtensionDir(top));
  EXPECT_EQ(ReadLogLines(temp), (Lines{kFailed, kFailed, kFailed}));  // top, a, b
  EXPECT_TRUE(PathExists(held));
  EXPECT_TRUE(PathExists(b) && PathExists(a) && PathExists(top));
  EXPECT_FALSE(PathExists(top + L"\\keep.txt") || PathExists(a + L"\\x.txt") || PathExists(b + L"\\y.txt"));
  const std::vector<std::wstring> listed = PendingDeletions();
  EXPECT_EQ(listed.size(), 1u);
  EXPECT_TRUE(ListsPath(listed, held));
}

TEST(DeleteOrScheduleFile, SchedulesOnlyWhenTheFileIsInUse) {
  EmptyPendingList pending;
  const std::wstring folder = MakeSandbox(L"dos");
  const std::wstring readOnly = folder + L"\\read_only.txt", held = folder + L"\\held.txt";
  WriteFileText(readOnly, L"x");
  WriteFileText(held, L"x");
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);

  DeleteOrScheduleFile(readOnly);
  DeleteOrScheduleFile(folder + L"\\missing.txt");  // error 2: left alone
  EXPECT_FALSE(PathExists(readOnly));
  EXPECT_EQ(PendingDeletions(), std::vector<std::wstring>{});

  HeldFile hold(held);
  DeleteOrScheduleFile(held);  // error 32
  EXPECT_TRUE(PathExists(held));
  const std::vector<std::wstring> listed = PendingDeletions();
  EXPECT_EQ(listed.size(), 1u);
  EXPECT_TRUE(ListsPath(listed, held));
}
