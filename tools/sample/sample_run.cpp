// The program's main job on a built-in sample: installs a realistic copy of
// the extension for the current user of the Wine prefix, runs the uninstaller
// as a user would, answers its boxes, and prints what happened.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/folders.h"
#include "common/names.h"
#include "common/paths.h"
#include "runner.h"

namespace {

const int kSampleVersions[] = {8, 9, 11, 12, 14};  // 8 and 14 are not the program's to clean

void Print(const std::wstring& text) {
  const std::wstring line = text + L"\n";
  const int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &bytes[0], size, nullptr, nullptr);
  fwrite(bytes.data(), 1, bytes.size(), stdout);
  fflush(stdout);
}

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
  wchar_t* path = nullptr;
  SHGetKnownFolderPath(id, 0, nullptr, &path);
  const std::wstring result = path ? path : L"";
  CoTaskMemFree(path);
  return result;
}

// A bundle id folder with a manifest, web assets, a few hundred files of
// dependencies, non-Latin names and a read-only file.
void InstallExtension(const std::wstring& ext) {
  CreateDirectoryTree(ext + L"\\CSXS");
  WriteFileBytes(ext + L"\\CSXS\\manifest.xml",
                "<?xml version=\"1.0\"?><ExtensionManifest ExtensionBundleId=\"com.pexlo.play.ai\" Version=\"9.0\"/>");
  WriteFileBytes(ext + L"\\index.html", "<!doctype html><script src=\"js/main.js\"></script>");
  WriteFileBytes(ext + L"\\.debug", "<ExtensionList/>");
  CreateDirectoryTree(ext + L"\\js");
  WriteFileBytes(ext + L"\\js\\main.js", "init();");
  CreateDirectoryTree(ext + L"\\locale\\\u4e2d\u6587");
  WriteFileBytes(ext + L"\\locale\\\u4e2d\u6587\\\u6d88\u606f.json", "{}");
  WriteFileBytes(ext + L"\\locale\\extens\u00e3o.json", "{}");
  WriteFileBytes(ext + L"\\LICENSE.txt", "licence");
  SetFileAttributesW((ext + L"\\LICENSE.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  for (int package = 0; package < 30; ++package) {
    const std::wstring dir = ext + L"\\node_modules\\pkg-" + std::to_wstring(package);
    CreateDirectoryTree(dir + L"\\lib\\internal");
    WriteFileBytes(dir + L"\\package.json", "{\"name\":\"pkg\"}");
    for (int file = 0; file < 4; ++file) {
      WriteFileBytes(dir + L"\\lib\\part" + std::to_wstring(file) + L".js", "module.exports = 1;");
      WriteFileBytes(dir + L"\\lib\\internal\\util" + std::to_wstring(file) + L".js", "module.exports = 2;");
    }
  }
}

int CountFiles(const std::wstring& folder) {
  int count = 0;
  ForEachEntry(folder, [&count](const std::wstring& path, const std::wstring&, DWORD attributes) {
    count += IsFolder(attributes) ? CountFiles(path) : 1;
    return true;
  });
  return count;
}

void PrintState(const std::wstring& when, const std::wstring& ext) {
  Print(L"== " + when);
  Print(L"  extension folder: " + (Exists(ext) ? L"present, " + std::to_wstring(CountFiles(ext)) + L" files" : L"absent"));
  for (int version : kSampleVersions) {
    Print(L"  HKCU\\" + CsxsKey(version) + L" PlayerDebugMode: " +
          (RegGetValueW(HKEY_CURRENT_USER, CsxsKey(version).c_str(), L"PlayerDebugMode", RRF_RT_ANY, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS ? L"present" : L"absent"));
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring lang = argc > 1 ? argv[1] : L"zh";
  const std::wstring ext = KnownFolder(FOLDERID_RoamingAppData) + L"\\Adobe\\CEP\\extensions\\" + kBundleId;
  const std::wstring launch = KnownFolder(FOLDERID_LocalAppData) + L"\\Pexlo\\Play Uninstaller";
  const std::wstring temp = GetTempFolder();

  InstallExtension(ext);
  for (int version : kSampleVersions) {
    RegSetKeyValueW(HKEY_CURRENT_USER, CsxsKey(version).c_str(), L"PlayerDebugMode", REG_SZ, L"1", 2 * sizeof(wchar_t));
  }
  const std::wstring program = PlaceProgram(launch);
  const size_t logLinesBefore = ReadLogLines(temp).size();

  PrintState(L"before", ext);
  const std::wstring arguments = L"extdir=\"" + ext + L"\" lang=" + lang;
  Print(L"== run: \"" + program + L"\" " + arguments);
  RunOptions options;
  options.program = program;
  options.arguments = arguments;
  options.timeoutMilliseconds = 180000;  // longer than the wait for Illustrator
  options.onBox = [](const SeenBox& box) {
    Print(std::wstring(L"  box (") + (box.style == (MB_OK | MB_ICONERROR) ? L"error" : box.style == (MB_OK | MB_ICONINFORMATION) ? L"information" : L"?") +
          L") [" + box.caption + L"] " + box.text);
  };
  const RunResult run = RunProgram(std::move(options));
  for (size_t i = 0; i < run.processes.size(); ++i) {
    Print(L"  process " + std::to_wstring(i + 1) + L" " + run.processes[i].imagePath + L" exit code " +
          std::to_wstring(run.processes[i].exitCode));
  }
  Print(L"== log lines of this run (" + JoinPath(temp, kLogFileName) + L")");
  const std::vector<std::wstring> log = ReadLogLines(temp);
  for (size_t i = logLinesBefore; i < log.size(); ++i) Print(L"  " + log[i]);
  PrintState(L"after", ext);
  Print(L"  launch executable: " + std::wstring(Exists(program) ? L"present" : L"gone") + L", launch folder: " +
        (Exists(launch) ? L"present" : L"gone"));

  const bool removed = IsAbsent(ext) && run.ExitCode(run.processes.size() - 1) == 0;
  return removed && !run.timedOut ? 0 : 1;
}
