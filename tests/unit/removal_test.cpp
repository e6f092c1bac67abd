#include "removal/extension_folder.h"
#include "removal/folder_removal.h"
#include "support.h"

namespace {

const std::wstring kRemovedLine = L"[Delete] SHFileOperation removed: ";  // and the folder
const std::wstring kFailedLine = L"[Delete] SHFileOperation failed, fallback RemoveDirectory.";

struct Removal : CleanState {
  const std::wstring temp = MakeSandbox(L"removal_log");
  ScopedTempFolder scoped{temp};
  Lines Log() const { return ReadLogLines(temp); }
};

}  // namespace

// top\keep.txt, top\a\x.txt, top\a\b\held.txt (held open), top\a\b\y.txt: the
// shell cannot delete top, a or b, so each gets the failure line and a pass by
// hand, which deletes the rest and schedules the held file.
TEST_F(Removal, HeldFileIsScheduledAndTheFoldersAboveItStay) {
  const std::wstring top = MakeSandbox(L"rm_held"), a = top + L"\\a", b = a + L"\\b", held = b + L"\\held.txt";
  MakeFolder(b);
  for (const std::wstring& file : {top + L"\\keep.txt", a + L"\\x.txt", held, b + L"\\y.txt"}) WriteFileText(file, L"x");
  HeldFile hold(held);
  DeleteOrScheduleFile(top + L"\\missing.txt");  // error 2: nothing to schedule

  EXPECT_FALSE(RemoveExtensionDir(top));
  EXPECT_EQ(Log(), (Lines{kFailedLine, kFailedLine, kFailedLine}));
  EXPECT_TRUE(PathExists(held));
  EXPECT_FALSE(PathExists(top + L"\\keep.txt") || PathExists(a + L"\\x.txt") || PathExists(b + L"\\y.txt"));
  const Lines pending = PendingDeletions();
  EXPECT_EQ(pending.size(), 1u);
  EXPECT_TRUE(ListsPath(pending, held));
}

// Called directly, so that no shell delete of the top folder does the work.
TEST_F(Removal, PassByHandClearsAttributesAndSkipsOnlyDotAndDotDot) {
  const std::wstring top = MakeSandbox(L"rm_hand");
  for (DWORD attributes : {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
    const std::wstring file = top + L"\\file" + std::to_wstring(attributes);
    WriteFileText(file, L"x");
    SetFileAttributesW(file.c_str(), attributes | FILE_ATTRIBUTE_READONLY);
  }
  for (const wchar_t* name : {L".f", L"..ff", L"...x", L".. x"}) WriteFileText(top + L"\\" + name, L"x");
  MakeFolder(top + L"\\.d");
  EXPECT_TRUE(RemoveFolderByHand(top));
  EXPECT_FALSE(PathExists(top));
  EXPECT_EQ(Log(), Lines{kRemovedLine + top + L"\\.d"});  // the sub-folder's own shell delete
}

// The link trees come from the sandbox_links step (harness/make-links.sh):
// inner holds a link to a folder, outer is one. Nothing behind a link may go.
TEST_F(Removal, PassByHandNeverFollowsALink) {
  for (const std::wstring name : {L"inner", L"outer"}) {
    const std::wstring folder = L"T:\\links\\" + name, target = folder + L"_target";
    ASSERT_TRUE(PathExists(target + L"\\deep\\canary.txt")) << "the sandbox_links step of ctest makes it";
    const bool removed = RemoveFolderByHand(folder);
    EXPECT_EQ(removed, !PathExists(folder));
    EXPECT_EQ(ReadFileBytes(target + L"\\canary.txt").size(), 6u);
    EXPECT_EQ(ReadFileBytes(target + L"\\deep\\canary.txt").size(), 6u);
  }
  EXPECT_FALSE(PathExists(L"T:\\links\\inner\\plain.txt"));
  EXPECT_EQ(Log(), Lines{kRemovedLine + L"T:\\links\\inner\\sub"});  // deep\ never reached the shell
}

// What exists must be this extension's folder: by its name, or by its manifest
// (UTF-8 or UTF-16), never a file and never a folder around it.
TEST_F(Removal, OnlyThisExtensionsFolderMayBeRemoved) {
  const std::wstring root = MakeSandbox(L"identity");
  const std::string utf8 = "<ExtensionManifest ExtensionBundleId='com.pexlo.play.ai'/>";
  std::wstring utf8Bytes(utf8.size() / 2, L'\0');  // written as they are
  memcpy(&utf8Bytes[0], utf8.data(), utf8Bytes.size() * 2);
  const struct {
    std::wstring name, manifest;
    bool removable;
  } cases[] = {{L"COM.Pexlo.Play.AI", L"", true},
               {L"utf16", L"<ExtensionManifest ExtensionBundleId=\"com.pexlo.play.ai\"/>", true},
               {L"utf8", utf8Bytes, true},
               {L"other", L"<ExtensionManifest ExtensionBundleId=\"com.pexlo.play\"/>", false},
               {L"bare", L"", false}};
  for (const auto& c : cases) {
    MakeFolder(root + L"\\" + c.name + L"\\CSXS");
    if (!c.manifest.empty()) WriteFileText(root + L"\\" + c.name + L"\\CSXS\\manifest.xml", c.manifest);
    EXPECT_EQ(IsRemovableExtensionFolder(root + L"\\" + c.name), c.removable) << testing::PrintToString(c.name);
  }
  EXPECT_TRUE(IsRemovableExtensionFolder(root + L"\\absent"));
  EXPECT_FALSE(IsRemovableExtensionFolder(root));
  WriteFileText(root + L"\\bare\\com.pexlo.play.ai", L"a file of that name");
  EXPECT_FALSE(IsRemovableExtensionFolder(root + L"\\bare\\com.pexlo.play.ai"));
}
