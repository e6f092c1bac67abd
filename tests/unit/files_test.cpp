// The program's work on files, folders and the log, in the tests' folder.
#include "relocate/launch_location.h"
#include "relocate/outcome.h"
#include "removal/extension_folder.h"
#include "removal/folder_removal.h"
#include "support.h"

#include <algorithm>

namespace {

const std::wstring kFailedLine = L"[Delete] SHFileOperation failed, fallback RemoveDirectory.";

// Each test logs into a temporary folder of its own.
struct Files : CleanState {
  const std::wstring temp = MakeSandbox(L"files");
  const ScopedVariables scoped{{{L"TMP", temp}, {L"TEMP", temp}}};
  Lines Log() const { return ReadLogLines(temp); }
};

}  // namespace

// top\keep.txt, top\a\x.txt, top\a\b\y.txt, top\a\ro\z.txt and two files
// held open in each of top, a and b: the shell cannot delete top, a or b, so
// each gets the failure line and a pass by hand, which deletes the rest and,
// after the removal's one grace of about two seconds for all of them (not
// each), asks for the held files to go at the next restart (here granted).
// Read-only folders (b and ro) are emptied and removed all the same; so are
// a read-only, hidden system file and names that only begin with dots.
TEST_F(Files, HeldFilesAreScheduledAfterOneGraceAndTheFoldersAboveThemStay) {
  const RestartRequestsGranted restart;
  const std::wstring top = MakeSandbox(L"rm_held"), a = top + L"\\a", b = a + L"\\b";
  const Lines gone = {top + L"\\keep.txt", a + L"\\x.txt", b + L"\\y.txt", a + L"\\ro\\z.txt", b + L"\\.f", b + L"\\..ff", b + L"\\.. x"};
  Lines held;
  for (const std::wstring& folder : {top, a, b}) held.insert(held.end(), {folder + L"\\held.txt", folder + L"\\held2.txt"});
  for (const std::wstring& file : gone) MakeFile(file);
  for (const std::wstring& file : held) MakeFile(file);
  SetFileAttributesW((b + L"\\y.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
  for (const std::wstring& folder : {b, a + L"\\ro"}) SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_READONLY);
  std::vector<FileHandle> holds;
  for (const std::wstring& file : held) holds.push_back(Hold(file));
  DeleteOrScheduleFile(top + L"\\missing.txt");  // error 2: nothing to schedule

  const DWORD started = GetTickCount();
  EXPECT_FALSE(RemoveExtensionDir(top));
  EXPECT_LT(GetTickCount() - started, 4000u) << "each held file had a grace of its own";
  Lines log = Log();  // ro's own shell delete comes where the listing puts it
  std::sort(log.begin(), log.end());
  EXPECT_EQ(log, (Lines{kFailedLine, kFailedLine, kFailedLine, L"[Delete] SHFileOperation removed: " + a + L"\\ro"}));
  for (const std::wstring& file : held) {
    EXPECT_TRUE(Exists(file));
    EXPECT_TRUE(IsPendingDeletion(file) || !restart.granted) << testing::PrintToString(file);
  }
  if (restart.granted) {
    EXPECT_FALSE(IsPendingDeletion(top + L"\\missing.txt"));
  } else {
    SkipCheck("the request to delete a held file at restart: a standard user's Windows refuses it");
  }
  for (const std::wstring& path : gone) EXPECT_TRUE(IsAbsent(path)) << testing::PrintToString(path);
  EXPECT_TRUE(IsAbsent(a + L"\\ro"));
}

// What exists must be this extension's folder, by its name in any case or by
// its manifest (the manifest cases try the rest); a file of that name is not.
// A folder behind a parent that may not be opened, or one that may not be
// listed (from harness/linux-fixtures.sh), may be there, but nothing in it
// can be shown to be this extension's.
TEST_F(Files, ExtensionFolderByNameOrManifestAndOnlyWhenItCanBeLookedInto) {
  MakeFile(temp + L"\\e\\CSXS\\manifest.xml", Utf16("<ExtensionManifest ExtensionBundleId=\"com.pexlo.play.ai\">", false));
  MakeFolder(temp + L"\\COM.Pexlo.Play.AI");
  MakeFile(temp + L"\\e\\com.pexlo.play.ai", "a file of that name");
  std::vector<std::pair<std::wstring, FolderVerdict>> cases = {
      {temp + L"\\e", FolderVerdict::ThisExtension},
      {temp + L"\\COM.Pexlo.Play.AI", FolderVerdict::ThisExtension},
      {temp + L"\\e\\com.pexlo.play.ai", FolderVerdict::Foreign},
      {temp + L"\\e\\CSXS", FolderVerdict::Foreign},
      {temp + L"\\gone\\com.pexlo.play.ai", FolderVerdict::Absent},
  };
  if (InBuildPrefix()) {
    for (const std::wstring closed : {L"closed\\parent\\", L"closed\\unlisted\\"}) {
      cases.push_back({Fixture(closed + kBundleId), FolderVerdict::CannotLook});
    }
  } else {
    SkipCheck("folders closed to the user: they come from harness/linux-fixtures.sh");
  }
  for (const auto& [folder, verdict] : cases) {
    EXPECT_EQ(JudgeExtensionFolder(folder), verdict) << testing::PrintToString(folder);
  }
}

// The first process takes only an exit code the program can have, and 1 from
// a copy that ended without one (killed, say), and logs it beside another
// writer of the log (a run beside this one); the copy writes its outcome
// only into a pipe, whatever its line names.
TEST_F(Files, OutcomeTravelsOnlyThroughAPipeAndOnlyAsAnExitCode) {
  const FileHandle writer(CreateFileW(JoinPath(temp, kLogFileName).c_str(), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr));
  Require(static_cast<bool>(writer), "another writer of the log");
  for (DWORD sent : {0u, 2u, 3u, 0xFFFFFFFFu, 4u}) {
    KernelHandle readEnd, writeEnd;
    Require(CreateOutcomePipe(readEnd, writeEnd), "a pipe");
    DWORD written = 0;
    WriteFile(writeEnd.get(), &sent, sent == 4 ? 0 : sizeof(sent), &written, nullptr);  // 4: nothing written
    writeEnd.reset();
    EXPECT_EQ(ReadCopyOutcome(readEnd.get()), sent <= 2 ? static_cast<int>(sent) : 1) << sent;
  }
  const std::wstring none = L"[Stage1] Copy ended without reporting an outcome, exit code: 1";
  EXPECT_EQ(Log(), (Lines{L"[Stage1] Exit code from the copy: 0", L"[Stage1] Exit code from the copy: 2", none, none, none}));
  FileHandle file(CreateFileW((temp + L"\\not a pipe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ReportOutcome(file.get(), 0);
  EXPECT_EQ(GetFileSize(file.get(), nullptr), 0u);
  EXPECT_EQ(GetFileType(file.get()), static_cast<DWORD>(FILE_TYPE_DISK));  // and left open
}

// The copy deletes the launch executable (named like its own file), but not
// the launch folder while anything else is left in it (the full run has it
// emptied and removed).
TEST_F(Files, LaunchLocationLosesOnlyTheLaunchExecutable) {
  const std::wstring launch = temp + L"\\Tools", program = launch + L"\\u.exe";
  MakeFile(program);
  MakeFile(launch + L"\\readme.txt");
  CleanLaunchLocation(launch, L"T:\\work\\u.exe");
  EXPECT_TRUE(IsAbsent(program) && Exists(launch + L"\\readme.txt"));
  EXPECT_EQ(Log(), Lines{L"[Stage2] origdir: " + launch + L"\\"});
  // Whether it lies in the extension's folder is judged on the names the
  // system gives, not as the caller wrote them.
  const std::wstring folder = NormalisedPath(launch);
  EXPECT_TRUE(IsInsideFolder(NormalisedPath(temp + L"/tools/sub\\"), folder) && IsInsideFolder(folder, folder));
  EXPECT_FALSE(IsInsideFolder(folder + L"2", folder) || IsInsideFolder(FolderOf(folder), folder));
  // A launch folder at a drive root is never removed: "T:" alone names the
  // drive's current folder, here an empty one.
  const std::wstring drive = temp.substr(0, 2), empty = temp + L"\\empty";
  MakeFolder(empty);
  wchar_t current[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, current);
  SetCurrentDirectoryW(GetSystemFolder().c_str());  // "T:" then reads the drive's own current folder
  {
    const ScopedVariables driveCurrent{{{L"=" + drive, empty}}};
    CleanLaunchLocation(drive, L"B:\\work\\no-such-launch-executable.exe");
  }
  SetCurrentDirectoryW(current);
  EXPECT_TRUE(Exists(empty));
}

// Past 260 characters, where Windows' plain file calls and the shell stop:
// no folder is made on the way to one that cannot be; a file more than 300
// characters deep goes by hand with the rest, and the pass by hand removes
// each folder it has emptied. So do names that the plain form reads as
// devices or cuts short (from harness/linux-fixtures.sh), at any depth.
TEST_F(Files, DeepTreeAndNamesThePlainFormCannotTakeAreRemoved) {
  if (InBuildPrefix()) {
    const std::wstring names = Fixture(L"names\\") + kBundleId;
    EXPECT_TRUE(RemoveExtensionDir(names));
    EXPECT_TRUE(IsAbsent(names));
  } else {
    SkipCheck("names the plain form cannot take: they come from harness/linux-fixtures.sh");
  }
  const std::wstring top = MakeSandbox(L"deep");
  EXPECT_FALSE(CreateDirectoryTree(top + L"\\long\\" + std::wstring(260 - top.size() - 6, L'l')));
  EXPECT_TRUE(IsAbsent(top + L"\\long"));
  std::wstring deep = top;
  while (deep.size() < 300) {
    deep += L"\\" + std::wstring(40, L'd');
    CreateDirectoryW(LongForm(deep).c_str(), nullptr);
  }
  MakeFile(deep + L"\\deep.txt");
  EXPECT_TRUE(RemoveExtensionDir(top));
  EXPECT_TRUE(IsAbsent(top));
}
