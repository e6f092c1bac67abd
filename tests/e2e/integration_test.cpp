// What installers and Windows see of the program: the documented batch file
// under cmd and an NSIS uninstaller built from the documented uninstall
// section (see docs/integration.md), which remove the extension of the
// prefix's user; and the resources of the built .exe.
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

std::string Resource(HMODULE module, LPCWSTR type) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), type);
  return found ? std::string(static_cast<const char*>(LockResource(LoadResource(module, found))), SizeofResource(module, found))
               : "";
}

}  // namespace

// cmd returns the batch file's exit code, and the section's $0 (saved by the
// test installer) is the program's: both are the removal's outcome. The
// program shares cmd's console and leaves it alone; the uninstaller run with
// /S has the program show nothing either.
TEST_F(Integration, BatchFileAndNsisUninstallerGetTheRemovalsOutcome) {
  for (int run = 0; run < 4; ++run) {
    const bool nsis = run >= 2, held = run % 2;  // the uninstaller runs with /S when a file is held
    SCOPED_TRACE(std::string(nsis ? "NSIS" : "batch file") + (held ? ", a file held" : ""));
    const std::wstring root = MakeSandbox(L"caller"), extension = MakeUserExtension();
    const HeldFile hold(held ? extension + L"\\index.html" : L"");
    RunOptions options;
    options.tempFolder = root;
    if (nsis) {
      options.program = BinFile(L"pexlo-setup.exe");
      options.arguments = L"/D=" + root + L"\\app";
      EXPECT_EQ(RunProgram(options).ExitCode(0), 0u);
      options.program = root + L"\\app\\uninstall.exe";
      options.arguments = held ? L"/S" : L"";
    } else {
      PlaceProgram(root + L"\\launch");
      CopyFileW(BinFile(L"examples\\remove-extension.bat").c_str(), (root + L"\\launch\\remove.bat").c_str(), FALSE);
      options.program = L"C:\\windows\\system32\\cmd.exe";
      options.arguments = L"/c \"" + root + L"\\launch\\remove.bat\"";
    }
    const RunResult result = RunProgram(options);
    ASSERT_FALSE(result.timedOut);
    const std::vector<unsigned char> saved = ReadFileBytes(root + L"\\nsis-result.txt");
    EXPECT_EQ(nsis ? std::string(saved.begin(), saved.end()) : std::to_string(result.ExitCode(0)), held ? "1" : "0");
    EXPECT_EQ(PathExists(extension), held);
    const Lines boxes = {English(MessageId::ConfirmRemoval), English(held ? MessageId::RemoveFailed : MessageId::Removed)};
    EXPECT_EQ(Texts(result), nsis && held ? Lines{} : boxes);
    if (nsis) {
      EXPECT_FALSE(PathExists(root + L"\\app"));  // the section deletes the launch executable too
    } else {
      EXPECT_TRUE(TracedCalls(result.processes.at(1).processId, "KERNEL32.FreeConsole").empty());
    }
  }
}

TEST(Resources, VersionManifestAndIconAreThoseOfACurrentWindowsProgram) {
  const std::wstring path = BuiltProgram();
  std::vector<char> data(GetFileVersionInfoSizeW(path.c_str(), nullptr));
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(PROJECT_VERSION_MINOR, PROJECT_VERSION_MAJOR)));
  EXPECT_EQ(fixed->dwProductVersionLS, static_cast<DWORD>(MAKELONG(0, PROJECT_VERSION_PATCH)));

  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(module, nullptr);
  const std::string manifest = Resource(module, RT_MANIFEST);
  for (const char* declaration :
       {"<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", ">PerMonitorV2</dpiAwareness>",
        ">true/pm</dpiAware>", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
    EXPECT_NE(manifest.find(declaration), std::string::npos) << declaration;
  }
  // One 256 x 256 image (0 stands for 256) of 8 bits per pixel, stored as PNG.
  const std::string group = Resource(module, RT_GROUP_ICON);
  EXPECT_EQ(group.substr(4, 4) + group.substr(12, 1), std::string("\1\0\0\0\x08", 5));
  EXPECT_EQ(Resource(module, RT_ICON).substr(0, 4), "\x89PNG");
  FreeLibrary(module);
}
