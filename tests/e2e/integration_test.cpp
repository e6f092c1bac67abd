// The documented ways for installers to call the program, run as they are:
// the batch file under cmd, and an NSIS uninstaller built from the documented
// uninstall section, once with /S (see docs/integration.md). Both remove the
// extension of the prefix's user, in its %APPDATA%.
#include "removal/folder_removal.h"
#include "support.h"

namespace {

struct Integration : CleanState {
  // %APPDATA%\Adobe\CEP\extensions\com.pexlo.play.ai, made anew.
  std::wstring MakeUserExtension() {
    wchar_t appData[MAX_PATH] = {};
    GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
    extension = std::wstring(appData) + L"\\Adobe\\CEP\\extensions\\com.pexlo.play.ai";
    RemoveExtensionDir(extension);
    MakeExtension(extension);
    return extension;
  }
  void TearDown() override {
    RemoveExtensionDir(extension);
    CleanState::TearDown();
  }
  std::wstring extension;
};

std::vector<std::wstring> Texts(const RunResult& run) {
  std::vector<std::wstring> texts;
  for (const SeenBox& box : run.boxes) texts.push_back(box.text);
  return texts;
}

}  // namespace

// cmd returns the batch file's exit code, which is the removal's; the
// program shares cmd's console and leaves it alone.
TEST_F(Integration, BatchFileGetsTheRemovalsExitCode) {
  for (bool held : {false, true}) {
    const std::wstring root = MakeSandbox(L"batch"), extension = MakeUserExtension();
    const HeldFile hold(held ? extension + L"\\index.html" : L"");
    const std::wstring launch = root + L"\\launch";
    PlaceProgram(launch);
    CopyFileW(BinFile(L"examples\\remove-extension.bat").c_str(), (launch + L"\\remove-extension.bat").c_str(), FALSE);
    MakeFolder(root + L"\\temp");
    RunOptions options;
    options.program = L"C:\\windows\\system32\\cmd.exe";
    options.arguments = L"/c \"" + launch + L"\\remove-extension.bat\"";
    options.tempFolder = root + L"\\temp";
    const RunResult run = RunProgram(options);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(Texts(run), (std::vector<std::wstring>{English(MessageId::ConfirmRemoval),
                                                     English(held ? MessageId::RemoveFailed : MessageId::Removed)}));
    EXPECT_EQ(run.ExitCode(0), held ? 1u : 0u);
    EXPECT_EQ(PathExists(extension), held);
    ASSERT_GE(run.processes.size(), 3u);
    EXPECT_TRUE(TracedCalls(run.processes[1].processId, "KERNEL32.FreeConsole").empty());
  }
}

// The section's $0, saved by the test installer, is the removal's outcome.
TEST_F(Integration, NsisUninstallerGetsTheOutcomeAndIsSilentWithSlashS) {
  for (bool silent : {false, true}) {
    const std::wstring root = MakeSandbox(L"nsis"), extension = MakeUserExtension();
    const HeldFile hold(silent ? extension + L"\\index.html" : L"");
    MakeFolder(root + L"\\temp");
    RunOptions install;
    install.program = BinFile(L"nsis\\pexlo-setup.exe");
    install.arguments = L"/D=" + root + L"\\app";
    install.tempFolder = root + L"\\temp";
    EXPECT_EQ(RunProgram(install).ExitCode(0), 0u);
    RunOptions uninstall = install;
    uninstall.program = root + L"\\app\\uninstall.exe";
    uninstall.arguments = silent ? L"/S" : L"";
    const RunResult run = RunProgram(uninstall);
    ASSERT_FALSE(run.timedOut);
    const std::vector<unsigned char> result = ReadFileBytes(root + L"\\temp\\nsis-result.txt");
    EXPECT_EQ(std::string(result.begin(), result.end()), silent ? "1" : "0");
    const std::vector<std::wstring> boxes = {English(MessageId::ConfirmRemoval), English(MessageId::Removed)};
    EXPECT_EQ(Texts(run), silent ? std::vector<std::wstring>{} : boxes);
    EXPECT_EQ(PathExists(extension), silent);
    EXPECT_FALSE(PathExists(root + L"\\app"));  // the section deletes the launch executable itself
  }
}
