// Hard extension trees: deep, wide, names of every kind and attributes, and
// links that point outside. Each run's last box must agree with the disk,
// and nothing beside or above the extension may change.
#include <iostream>

#include "command_lines.h"
#include "faults_support.h"
#include "sandbox.h"

namespace {

// Runs the program on folder, which lies below scene.root, and checks that
// it was removed and that nothing else below the root changed.
void ExpectRemovedAlone(const Scene& scene, const std::wstring& folder) {
  const std::vector<std::wstring> skip = {scene.temp, scene.launch};
  const Snapshot before = TakeSnapshot(scene.root, skip);
  const RunResult run = RunProgram(scene.Options(L"extdir=\"" + folder + L"\" lang=en"));
  ASSERT_EQ(run.boxes.size(), 2u) << testing::PrintToString(BoxTexts(run));
  EXPECT_EQ(ExpectBoxesMatchDisk(run, folder), kRemoved);
  EXPECT_EQ(run.ExitCode(0), 0u);
  EXPECT_EQ(TouchedOutside(before, TakeSnapshot(scene.root, skip), folder), std::vector<std::wstring>{});
  EXPECT_TRUE(scene.CanariesIntact());
}

void MakeFile(const std::wstring& path, DWORD attributes = 0) {
  WriteFileText(path, L"x");
  if (attributes) SetFileAttributesW(path.c_str(), attributes);
}

}  // namespace

// Files at paths of 250 to 400 characters, below an extension folder whose
// own path is short, and below one of exactly 259 characters.
TEST_F(Faults, DeepTreesNearAndBeyondThe260CharacterLimitAreRemoved) {
  for (size_t extensionLength : {0u, 259u}) {
    SCOPED_TRACE(extensionLength);
    const Scene scene(L"deep");
    const std::wstring ext = extensionLength ? FolderOfLength(scene.root + L"\\Adobe\\long", extensionLength) : scene.ext;
    MakeFolder(ext);
    for (size_t length : {250u, 258u, 259u, 260u, 261u, 300u, 400u}) {
      if (length <= ext.size() + 2) continue;
      const std::wstring folder = FolderOfLength(ext + L"\\d" + std::to_wstring(length), length - 12);
      MakeFolder(folder);
      MakeFile(folder + L"\\" + std::wstring(length - folder.size() - 1, L'f'));
      ASSERT_TRUE(PathExists(folder + L"\\" + std::wstring(length - folder.size() - 1, L'f')));
    }
    ExpectRemovedAlone(scene, ext);
  }
}

// One character more and Windows would report the folder absent, that is
// removed, while it stays: such a folder is refused and left alone.
TEST_F(Faults, ExtensionFolderOf260CharactersIsRefusedAndLeftAlone) {
  const Scene scene(L"deep_refused");
  const std::wstring ext = FolderOfLength(scene.root + L"\\Adobe\\long", 260);
  MakeFolder(ext);
  MakeFile(ext + L"\\manifest.xml");
  const RunResult run = RunProgram(scene.Options(L"extdir=\"" + ext + L"\" lang=en"));
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].text, kMissing);
  EXPECT_EQ(run.ExitCode(0), 2u);
  EXPECT_TRUE(PathExists(ext + L"\\manifest.xml"));
}

TEST_F(Faults, WideTreeOfThousandsOfFilesIsRemoved) {
  const Scene scene(L"wide");
  MakeWideTree(scene.ext, 3000, 150);
  ExpectRemovedAlone(scene, scene.ext);
  EXPECT_EQ(ReadLogLines(scene.temp).at(5), L"[Delete] SHFileOperation removed: " + scene.ext);
}

// An extension folder whose own name holds blanks, Chinese and a surrogate
// pair (it passes through the relaunch line), beside the usual extension,
// which must stay; inside, names in many scripts, leading dots, punctuation,
// a 255-character name, and read-only, hidden and system files and folders.
TEST_F(Faults, NamesAndAttributesOfEveryKindAreRemoved) {
  const Scene scene(L"names");
  const std::wstring ext = scene.root + L"\\Adobe\\CEP\\extensions\\\u6269\u5c55 \U0001F600 com.pexlo.play.ai";
  const std::vector<std::wstring> names = {
      L"\u56fe\u6807.png", L"\u0645\u0644\u0641.js", L"\u0444\u0430\u0439\u043b.css", L"\u092b\u093c\u093e\u0907\u0932",
      L"\ud30c\uc77c", L"\U0001F600\U0001F680.txt", L"\U00020BB7\U0002A6B2", L"e\u0301\u0302", L".debug", L"..x",
      L"...y", L".a.b", L"a b  c", L" leading blank", L";,'#%&=+[]{}~`!@$^", std::wstring(255, L'n')};
  MakeFolder(ext + L"\\empty");
  for (const std::wstring& name : names) {
    MakeFile(ext + L"\\" + name);
    MakeFolder(ext + L"\\dir " + name.substr(0, 200));
    MakeFile(ext + L"\\dir " + name.substr(0, 200) + L"\\" + name);
  }
  WriteFileText(ext + L"\\zero", L"");
  for (DWORD attributes : {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM,
                           FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}) {
    const std::wstring folder = ext + L"\\folder" + std::to_wstring(attributes);
    MakeFolder(folder);
    MakeFile(folder + L"\\file" + std::to_wstring(attributes), attributes);
    SetFileAttributesW(folder.c_str(), attributes);
  }
  // A name with half a surrogate pair, where the file system takes one.
  const std::wstring lone = ext + L"\\lone\xD800half";
  HANDLE file = CreateFileW(lone.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  std::cout << "half a surrogate pair in a name: " << (file != INVALID_HANDLE_VALUE ? "made" : "refused") << "\n";
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);

  ExpectRemovedAlone(scene, ext);
  EXPECT_TRUE(PathExists(scene.ext + L"\\CSXS\\manifest.xml"));
}

// The trees of the sandbox_links step (tests/harness/make-links.sh), moved
// into a fresh sandbox folder. Windows' shell deletes a link as a link;
// Wine's follows it into its target and deletes what is there, so under
// Wine the target's files are the one thing outside the extension that may
// go. Everything else beside and above the extension stays in both.
TEST_F(Faults, LinksPointingOutsideTheExtension) {
  for (const std::wstring& layout : {std::wstring(L"e2e_inside"), std::wstring(L"e2e_itself")}) {
    SCOPED_TRACE(Printable(layout));
    const Scene scene(L"links");
    const std::wstring tree = scene.root + L"\\tree";
    ASSERT_TRUE(MoveFileW((L"T:\\links\\" + layout).c_str(), tree.c_str()))
        << "no link tree: the sandbox_links step of ctest makes it";
    const std::wstring ext = tree + L"\\Adobe\\CEP\\extensions\\com.pexlo.play.ai";
    const std::wstring target = tree + L"\\target";
    const Snapshot before = TakeSnapshot(tree);

    const RunResult run = RunProgram(scene.Options(L"extdir=\"" + ext + L"\" lang=en"));

    ASSERT_EQ(run.boxes.size(), 2u) << testing::PrintToString(BoxTexts(run));
    const std::wstring outcome = ExpectBoxesMatchDisk(run, ext);
    const std::vector<std::wstring> touched = TouchedOutside(before, TakeSnapshot(tree), ext);
    std::cout << Printable(layout) << ": " << (outcome == kRemoved ? "Removed" : "RemoveFailed") << ", "
              << touched.size() << " entries outside the extension gone\n";
    for (const std::wstring& entry : touched) {
      std::cout << "  " << Printable(entry) << "\n";
      EXPECT_TRUE(RunningUnderWine() && entry.rfind(L"gone: ", 0) == 0 && IsWithin(entry.substr(6), target))
          << Printable(entry);
    }
    EXPECT_TRUE(scene.CanariesIntact());
  }
}
