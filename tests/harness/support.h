#pragma once
// What the test programs share. Every file and folder a test makes lies in
// the tests' own folder under %TEMP%; the program is handed no path outside
// it. In the build's Wine prefix %TEMP% lies on the sandbox drive T:.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "common/handles.h"
#include "common/names.h"
#include "common/paths.h"
#include "i18n/messages.h"
#include "runner.h"

using Lines = std::vector<std::wstring>;

// A text of the program's catalog.
std::wstring Text(Language language, MessageId id);
inline std::wstring English(MessageId id) { return Text(Language::English, id); }

// %TEMP%\pexloplay-ai-uninstaller-tests, and what harness/linux-fixtures.sh
// makes in its fixtures folder.
std::wstring TestsFolder();
std::wstring Fixture(const std::wstring& name);
// Run by tools/wine/run.sh in the build's prefix, where the fixtures and the
// call trace are.
bool InBuildPrefix();
// On Windows itself, not under Wine.
bool OnWindows();
// A check that cannot be made here: said once per reason and counted, never
// passed in silence. Each test program prints the count at its end.
void SkipCheck(const std::string& why);
int SkippedChecks();
// Stops the test when what it needs cannot be had.
void Require(bool condition, const std::string& what);

// A new, empty folder <tests folder>\<name>_<process id>_<tick count>_<counter>.
std::wstring MakeSandbox(const std::wstring& name);
void MakeFolder(const std::wstring& path);  // with missing parents
void MakeFile(const std::wstring& path, const std::string& bytes = "x");  // in missing folders too

// Keeps a file open without FILE_SHARE_DELETE (nothing for an empty path).
FileHandle Hold(const std::wstring& path);

void SetRegistryString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value);
bool RegistryValueExists(HKEY root, const std::wstring& key, const std::wstring& name);

// Whether the path is listed for deletion at the next restart (the list is only read).
bool IsPendingDeletion(const std::wstring& path);
// While it lives, the build's prefix grants requests to delete files at the
// next restart, which it refuses as a standard user's Windows does. Nothing
// elsewhere: granted says whether they are.
struct RestartRequestsGranted {
  RestartRequestsGranted();
  ~RestartRequestsGranted();
  bool granted = false;
};

// Whether the path is gone now or within a few seconds (what the program
// hands to a helper goes shortly after it ends).
bool GoneSoon(const std::wstring& path);

// Tests that set CSXS values start and end without PlayerDebugMode and
// LogLevel under CSXS.8 to .14; the values the user had are saved before the
// first test and put back after the last (SavedCsxsValues).
struct CleanState : testing::Test {
  void SetUp() override;
  void TearDown() override { SetUp(); }
};
struct SavedCsxsValues : testing::Environment {
  void SetUp() override;
  void TearDown() override;
};

// One run's own folders under a fresh sandbox: temp (the run's TMP and TEMP),
// launch (holding the launch executable), ext (an installed extension), and
// canaries beside and above ext that no run may touch.
struct Scene {
  explicit Scene(const std::wstring& name);
  std::wstring root, temp, launch, program, ext;
  RunOptions Options(const std::wstring& arguments) const;
  Lines Log() const { return ReadLogLines(temp); }
  bool CanariesIntact() const;
};

// A manifest as CEP tools write it (XML declaration, a comment, several
// attributes, an ExtensionList): of bundle, whose one extension is extension
// and depends on dependency; and its bytes in UTF-16 with a byte-order mark.
std::string CepManifest(const std::string& bundle, const std::string& extension, const std::string& dependency);
std::string Utf16(const std::string& ascii, bool bigEndian);

// The stand-in Illustrator.exe (or a copy of it at image), which runs until
// stopFile exists, or until this holder ends it, and meanwhile keeps heldFile
// (when given) open without sharing its deletion.
struct Host {
  explicit Host(const std::wstring& stopFile, const std::wstring& heldFile = L"", const std::wstring& image = L"");
  ~Host();
  ProcessHandles process;
};

// A small extension: a manifest, nested folders, a read-only file, non-Latin names.
void MakeExtension(const std::wstring& folder);

// Every file and folder below root with its content, leaving out the subtrees in skip.
using Snapshot = std::map<std::wstring, std::string>;
Snapshot TakeSnapshot(const std::wstring& root, const Lines& skip = {});

// RunProgram with the run's temporary folder in the tests' folder unless one
// is given; a run that ends on its timeout fails the test.
RunResult RunChecked(RunOptions options);

// The box's icon, read from the call trace or the box itself.
void ExpectIcon(const SeenBox& box, UINT icon);
