#include "driver/sequence.h"
#include "log/log.h"
#include "support.h"

namespace {

struct Log : CleanState {
  const std::wstring temp = MakeSandbox(L"log");
  ScopedTempFolder scoped{temp};
};

}  // namespace

// Other writers are admitted: a line is lost only beside a writer that does
// not admit others, or without a folder to write to.
TEST_F(Log, LinesGoBesideWritersThatShareAndAreLostOtherwise) {
  const std::wstring path = temp + L"\\PexloPlayAiUninstall.log";
  WriteLog(L"first");
  for (DWORD share : {FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_SHARE_READ}) {
    HANDLE writer = CreateFileW(path.c_str(), FILE_APPEND_DATA, share, nullptr, OPEN_EXISTING, 0, nullptr);
    WriteLog(share & FILE_SHARE_WRITE ? L"beside a sharing writer" : L"lost");
    CloseHandle(writer);
  }
  EXPECT_EQ(ReadLogLines(temp), (Lines{L"first", L"beside a sharing writer"}));
  ScopedTempFolder missing(temp + L"\\absent");
  WriteLog(L"nowhere to go");
  EXPECT_FALSE(PathExists(temp + L"\\absent"));
}

// Without its own path the copy does not know which file it was started as:
// nothing in the launch folder may go, and the folder itself must never be
// handed to the deletion at restart.
TEST_F(Log, LaunchFolderIsLeftAloneWithoutOwnPath) {
  const std::wstring launch = temp + L"\\Tools";
  MakeFolder(launch);
  WriteFileText(launch + L"\\u.exe", L"launch executable");
  CleanLaunchLocation(launch, L"");
  EXPECT_TRUE(PathExists(launch + L"\\u.exe"));
  EXPECT_TRUE(PendingDeletions().empty());
  EXPECT_EQ(ReadLogLines(temp), Lines{L"[Stage2] origdir: " + launch + L"\\"});
}
