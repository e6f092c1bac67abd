// Links met by the pass by hand. Wine cannot make links, so the sandbox_links
// step makes them from the Linux side (tests/harness/make-links.sh). Under
// Wine, RemoveDirectoryW on a link acts on its target and so leaves a link to
// a non-empty folder in place; what always holds is that nothing behind a
// link is touched, and that the result tells whether the folder is gone.
#include <gtest/gtest.h>

#include "removal/folder_removal.h"
#include "sandbox.h"

namespace {

using Lines = std::vector<std::wstring>;
const std::wstring kLinks = L"T:\\links";
const DWORD kFolderLink = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

void ExpectTargetUntouched(const std::wstring& target) {
  const std::vector<unsigned char> canary{'c', 'a', 'n', 'a', 'r', 'y'};
  EXPECT_EQ(ReadFileBytes(target + L"\\canary.txt"), canary);
  EXPECT_EQ(ReadFileBytes(target + L"\\deep\\canary.txt"), canary);
}

}  // namespace

TEST(LinkRemoval, FolderLinkInsideIsRemovedAsALinkAndNeverFollowed) {
  const std::wstring inner = kLinks + L"\\inner";
  ASSERT_EQ(GetFileAttributesW((inner + L"\\folder_link").c_str()) & kFolderLink, kFolderLink)
      << "no folder link: the sandbox_links step of ctest makes it";
  const std::wstring temp = MakeSandbox(L"links_inner_log");
  ScopedTempFolder scoped(temp);

  const bool removed = RemoveFolderByHand(inner);

  ExpectTargetUntouched(kLinks + L"\\inner_target");
  EXPECT_FALSE(PathExists(inner + L"\\plain.txt") || PathExists(inner + L"\\sub"));
  EXPECT_EQ(ReadLogLines(temp), Lines{L"[Delete] SHFileOperation removed: " + inner + L"\\sub"});
  EXPECT_EQ(removed, !PathExists(inner));
}

TEST(LinkRemoval, FolderThatIsItselfALinkIsNotListed) {
  const std::wstring outer = kLinks + L"\\outer";
  ASSERT_EQ(GetFileAttributesW(outer.c_str()) & kFolderLink, kFolderLink)
      << "no folder link: the sandbox_links step of ctest makes it";
  const std::wstring temp = MakeSandbox(L"links_outer_log");
  ScopedTempFolder scoped(temp);

  const bool removed = RemoveFolderByHand(outer);

  ExpectTargetUntouched(kLinks + L"\\outer_target");
  EXPECT_EQ(ReadLogLines(temp), Lines{});  // deep\ was never given to the shell
  EXPECT_EQ(removed, !PathExists(outer));
}
