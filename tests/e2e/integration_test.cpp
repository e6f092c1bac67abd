// What installers see of the program: the documented batch file under cmd
// and an NSIS uninstaller built from the documented uninstall section (see
// docs/integration.md).
#include "removal/folder_removal.h"
#include "support.h"

using Integration = CleanState;

// cmd returns the batch file's exit code, and the section's $0 (saved by the
// test installer) is the program's: both are the removal's outcome. The
// program shares cmd's console and leaves it alone; the uninstaller run with
// /S has the program show nothing either. The batch file gets an APPDATA in
// the tests' folder; the uninstaller asks Windows for the user's own, so it
// runs only in the build's prefix, whose user is the tests' own.
TEST_F(Integration, BatchFileAndNsisUninstallerGetTheRemovalsOutcome) {
  for (int run = 0; run < 4; ++run) {
    const bool nsis = run >= 2, held = run % 2;  // the uninstaller runs with /S when a file is held
    SCOPED_TRACE(std::string(nsis ? "NSIS" : "batch file") + (held ? ", a file held" : ""));
    if (nsis && !InBuildPrefix()) {
      SkipCheck("the NSIS uninstaller: it removes the extension of the user's own %APPDATA%, so only in the build's prefix");
      continue;
    }
    const std::wstring root = MakeSandbox(L"caller");
    RunOptions options;
    options.tempFolder = root;
    options.appData = nsis ? _wgetenv(L"APPDATA") : root + L"\\appdata";  // the user's own for NSIS
    const std::wstring extension = options.appData + L"\\Adobe\\CEP\\extensions\\com.pexlo.play.ai";
    RemoveExtensionDir(extension);
    MakeExtension(extension);
    const FileHandle hold = Hold(held ? extension + L"\\index.html" : L"");
    if (nsis) {
      RunOptions install;
      install.program = BinFile(L"pexlo-setup.exe");
      install.arguments = L"/D=" + root + L"\\app";
      install.tempFolder = root;
      EXPECT_EQ(RunChecked(std::move(install)).ExitCode(0), 0u);
      options.program = root + L"\\app\\uninstall.exe";
      options.arguments = held ? L"/S" : L"";
    } else {
      PlaceProgram(root + L"\\launch");
      CopyFileW(BinFile(L"examples\\remove-extension.bat").c_str(), (root + L"\\launch\\remove.bat").c_str(), FALSE);
      options.program = L"C:\\windows\\system32\\cmd.exe";
      options.arguments = L"/c \"" + root + L"\\launch\\remove.bat\"";
    }
    const RunResult result = RunChecked(std::move(options));
    EXPECT_EQ(nsis ? ReadWholeFile(root + L"\\nsis-result.txt") : std::to_string(result.ExitCode(0)), held ? "1" : "0");
    EXPECT_NE(IsAbsent(extension), held);
    const Lines boxes = {English(MessageId::ConfirmRemoval), English(held ? MessageId::RemoveFailed : MessageId::Removed)};
    EXPECT_EQ(result.Texts(), nsis && held ? Lines{} : boxes);
    EXPECT_TRUE(!nsis || IsAbsent(root + L"\\app"));  // the section deletes the launch executable too
    if (nsis && held) RemoveExtensionDir(extension);  // what is left of the user's is the test's own
  }
}
