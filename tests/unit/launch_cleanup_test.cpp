#include <gtest/gtest.h>

#include "driver/sequence.h"
#include "sandbox.h"

namespace {

struct LaunchCleanUp : testing::Test {
  void SetUp() override { ClearPendingDeletions(); }
  void TearDown() override { ClearPendingDeletions(); }
};

}  // namespace

TEST_F(LaunchCleanUp, DeletesTheLaunchExecutableAndTheEmptiedFolder) {
  const std::wstring root = MakeSandbox(L"launch_clean");
  ScopedTempFolder temp(root);
  const std::wstring launch = root + L"\\Tools";
  MakeFolder(launch);
  WriteFileText(launch + L"\\u.exe", L"launch executable");
  CleanLaunchLocation(launch + L"\\", L"C:\\Temp\\PexloPlayAiUninstall\\1_2\\u.exe");
  EXPECT_FALSE(PathExists(launch));
  EXPECT_EQ(ReadLogLines(root), (std::vector<std::wstring>{L"[Stage2] origdir: " + launch + L"\\",
                                                           L"[Stage2] Removed empty directory: " + launch}));
}

// Without its own path the program does not know which file it was started
// as: nothing in the launch folder may be deleted, and the folder itself must
// never be handed to the deletion at restart.
TEST_F(LaunchCleanUp, WithoutOwnPathTheLaunchFolderIsLeftAlone) {
  const std::wstring root = MakeSandbox(L"launch_no_own_path");
  ScopedTempFolder temp(root);
  const std::wstring launch = root + L"\\Tools";
  MakeFolder(launch);
  WriteFileText(launch + L"\\u.exe", L"launch executable");
  CleanLaunchLocation(launch, L"");
  EXPECT_TRUE(PathExists(launch + L"\\u.exe"));
  EXPECT_TRUE(PendingDeletions().empty());
  EXPECT_EQ(ReadLogLines(root), std::vector<std::wstring>{L"[Stage2] origdir: " + launch + L"\\"});
}
