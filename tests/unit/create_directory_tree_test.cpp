#include <gtest/gtest.h>

#include "relocate/relaunch.h"
#include "sandbox.h"

namespace {

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

TEST(CreateDirectoryTree, CreatesEveryMissingFolderOnTheWay) {
  const std::wstring root = MakeSandbox(L"tree");
  EXPECT_TRUE(CreateDirectoryTree(root + L"\\a\\b\\c\\"));
  EXPECT_TRUE(IsFolder(root + L"\\a\\b\\c"));
  EXPECT_TRUE(CreateDirectoryTree(root + L"/x//y\\z/"));
  EXPECT_TRUE(IsFolder(root + L"\\x\\y\\z"));
}

TEST(CreateDirectoryTree, AnythingThatExistsCounts) {
  const std::wstring root = MakeSandbox(L"tree");
  WriteFileText(root + L"\\file", L"x");
  EXPECT_TRUE(CreateDirectoryTree(root));
  EXPECT_TRUE(CreateDirectoryTree(root + L"\\file\\"));
  EXPECT_FALSE(IsFolder(root + L"\\file"));
}

TEST(CreateDirectoryTree, FailsForAnEmptyPathAndBelowAFile) {
  const std::wstring root = MakeSandbox(L"tree");
  WriteFileText(root + L"\\file", L"x");
  EXPECT_FALSE(CreateDirectoryTree(L""));
  EXPECT_FALSE(CreateDirectoryTree(L"\\/\\"));
  EXPECT_FALSE(CreateDirectoryTree(root + L"\\file\\sub\\deeper"));
  EXPECT_FALSE(IsFolder(root + L"\\file"));
}
