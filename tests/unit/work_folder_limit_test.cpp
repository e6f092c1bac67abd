// The work folder is made only when its whole path fits the classic limit:
// a path cut to 260 characters would name another folder.
#include <gtest/gtest.h>

#include "relocate/relaunch.h"
#include "sandbox.h"

namespace {

std::wstring PathOfLength(const std::wstring& base, size_t length) {
  std::wstring path = base;
  while (path.size() + 1 < length) path += L"\\" + std::wstring(std::min<size_t>(50, length - path.size() - 1), L'w');
  return path;
}

}  // namespace

TEST(CreateDirectoryTree, MakesFoldersUpTo259CharactersAndNothingForLongerPaths) {
  const std::wstring base = MakeSandbox(L"tree_limit");
  const std::wstring fits = PathOfLength(base + L"\\fits", 259);
  EXPECT_TRUE(CreateDirectoryTree(fits + L"\\"));
  EXPECT_TRUE(PathExists(fits));

  const std::wstring tooLong = PathOfLength(base + L"\\long", 260);
  EXPECT_FALSE(CreateDirectoryTree(tooLong));
  EXPECT_FALSE(PathExists(base + L"\\long"));
  EXPECT_FALSE(CreateDirectoryTree(PathOfLength(base + L"\\longer", 300)));
  EXPECT_FALSE(PathExists(base + L"\\longer"));
}
