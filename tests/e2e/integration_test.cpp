// The documented ways for installers to call the program, run as they are:
// the batch file under cmd and an NSIS uninstaller built from the documented
// uninstall section (see docs/integration.md). Both remove the extension of
// the current user, in %APPDATA% of the test prefix.
#include <gtest/gtest.h>

#include "driver.h"
#include "removal/folder_removal.h"
#include "sandbox.h"

namespace {

const wchar_t kConfirm[] =
    L"The Pexlo Play Illustrator extension will be removed.\nPlease close Adobe Illustrator, then click OK to continue.";
const wchar_t kRemoved[] = L"Extension removed. If files were in use, deletion will finish after the next restart.";
const wchar_t kFailed[] = L"Could not remove the extension folder. Close Illustrator and try again.";

std::wstring BinFolder() {
  const std::wstring program = BuiltProgram();
  return program.substr(0, program.find_last_of(L'\\'));
}

// %APPDATA%\Adobe\CEP\extensions\com.pexlo.play.ai, made anew with a few files.
std::wstring MakeUserExtension() {
  wchar_t appData[MAX_PATH] = {};
  GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
  const std::wstring folder = std::wstring(appData) + L"\\Adobe\\CEP\\extensions\\com.pexlo.play.ai";
  RemoveExtensionDir(folder);
  MakeFolder(folder + L"\\CSXS");
  WriteFileText(folder + L"\\CSXS\\manifest.xml", L"<ExtensionManifest/>");
  WriteFileText(folder + L"\\index.html", L"<html/>");
  return folder;
}

// The program's own processes of a run: the first one started (stage 1),
// then its copy from the temporary folder.
std::vector<SeenProcess> ProgramProcesses(const RunResult& run) {
  std::vector<SeenProcess> found;
  for (const SeenProcess& process : run.processes) {
    const std::wstring& path = process.imagePath;
    const std::wstring name = L"pexloplay-ai-uninstaller.exe";
    if (path.size() >= name.size() && _wcsicmp(path.c_str() + path.size() - name.size(), name.c_str()) == 0) {
      found.push_back(process);
    }
  }
  return found;
}

std::vector<std::wstring> Texts(const RunResult& run) {
  std::vector<std::wstring> texts;
  for (const SeenBox& box : run.boxes) texts.push_back(box.text);
  return texts;
}

RunResult RunBatchFile(const std::wstring& root) {
  const std::wstring launch = root + L"\\launch";
  PlaceProgram(launch);
  CopyFileW((BinFolder() + L"\\examples\\remove-extension.bat").c_str(), (launch + L"\\remove-extension.bat").c_str(),
            FALSE);
  MakeFolder(root + L"\\temp");
  RunOptions options;
  options.program = L"C:\\windows\\system32\\cmd.exe";
  options.arguments = L"/c \"" + launch + L"\\remove-extension.bat\"";
  options.tempFolder = root + L"\\temp";
  options.currentFolder = launch;
  // The user takes a while to answer: a batch file that did not wait for the
  // copy would find the folder still there and end first.
  options.onBox = [](const SeenBox& box) {
    if (box.text == kConfirm) Sleep(3000);
  };
  return RunProgram(options);
}

// Installs the NSIS test installer into <root>\app and runs its uninstaller.
RunResult RunNsisUninstaller(const std::wstring& root) {
  MakeFolder(root + L"\\temp");
  RunOptions install;
  install.program = BinFolder() + L"\\nsis\\pexlo-setup.exe";
  install.arguments = L"/D=" + root + L"\\app";
  install.tempFolder = root + L"\\temp";
  const RunResult installed = RunProgram(install);
  EXPECT_EQ(installed.ExitCode(0), 0u);
  EXPECT_TRUE(PathExists(root + L"\\app\\pexloplay-ai-uninstaller.exe"));
  EXPECT_TRUE(PathExists(root + L"\\app\\uninstall.exe"));

  RunOptions uninstall;
  uninstall.program = root + L"\\app\\uninstall.exe";
  uninstall.tempFolder = root + L"\\temp";
  return RunProgram(uninstall);
}

// What nsExec::Exec gave the uninstall section, as the test installer saved it.
std::string NsisResult(const std::wstring& root) {
  const std::vector<unsigned char> bytes = ReadFileBytes(root + L"\\temp\\nsis-result.txt");
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(Integration, BatchFileWaitsForTheCopyAndExitsZeroWhenRemoved) {
  const std::wstring extension = MakeUserExtension();
  const RunResult run = RunBatchFile(MakeSandbox(L"batch_removed"));
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(Texts(run), (std::vector<std::wstring>{kConfirm, kRemoved}));
  EXPECT_EQ(run.ExitCode(0), 0u);  // cmd, that is the batch file
  const std::vector<SeenProcess> program = ProgramProcesses(run);
  ASSERT_EQ(program.size(), 2u);
  EXPECT_EQ(program[0].exitCode, 0u);
  EXPECT_EQ(program[1].exitCode, 0u);
  EXPECT_FALSE(PathExists(extension));
}

TEST(Integration, BatchFileExitsOneWhenTheFolderStays) {
  const std::wstring extension = MakeUserExtension();
  {
    HeldFile held(extension + L"\\index.html");
    const RunResult run = RunBatchFile(MakeSandbox(L"batch_failed"));
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(Texts(run), (std::vector<std::wstring>{kConfirm, kFailed}));
    EXPECT_EQ(run.ExitCode(0), 1u);
    const std::vector<SeenProcess> program = ProgramProcesses(run);
    ASSERT_EQ(program.size(), 2u);
    EXPECT_EQ(program[0].exitCode, 0u);  // what a caller of the program itself gets
    EXPECT_EQ(program[1].exitCode, 1u);
    EXPECT_TRUE(PathExists(extension));
  }
  ClearPendingDeletions();
  RemoveExtensionDir(extension);
}

TEST(Integration, NsisUninstallerRemovesTheExtensionAndItsFolder) {
  const std::wstring extension = MakeUserExtension();
  const std::wstring root = MakeSandbox(L"nsis_removed");
  const RunResult run = RunNsisUninstaller(root);
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(NsisResult(root), "0");
  EXPECT_EQ(Texts(run), (std::vector<std::wstring>{kConfirm, kRemoved}));
  const std::vector<SeenProcess> program = ProgramProcesses(run);
  ASSERT_EQ(program.size(), 2u);
  EXPECT_EQ(program[0].exitCode, 0u);
  EXPECT_EQ(program[1].exitCode, 0u);
  EXPECT_FALSE(PathExists(extension));
  EXPECT_FALSE(PathExists(root + L"\\app"));
  for (const SeenProcess& process : run.processes) EXPECT_EQ(process.exitCode, 0u);
}

TEST(Integration, NsisUninstallerGetsZeroEvenWhenTheFolderStays) {
  const std::wstring extension = MakeUserExtension();
  {
    HeldFile held(extension + L"\\index.html");
    const std::wstring root = MakeSandbox(L"nsis_failed");
    const RunResult run = RunNsisUninstaller(root);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(NsisResult(root), "0");  // the section cannot tell
    EXPECT_EQ(Texts(run), (std::vector<std::wstring>{kConfirm, kFailed}));
    const std::vector<SeenProcess> program = ProgramProcesses(run);
    ASSERT_EQ(program.size(), 2u);
    EXPECT_EQ(program[0].exitCode, 0u);
    EXPECT_EQ(program[1].exitCode, 1u);  // seen only in the copy, its box and the log
    EXPECT_EQ(run.ExitCode(0), 0u);
    EXPECT_TRUE(PathExists(extension));
  }
  ClearPendingDeletions();
  RemoveExtensionDir(extension);
}
