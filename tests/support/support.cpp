#include "support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>

#include "common/paths.h"

namespace fs = std::filesystem;

const wchar_t kBanner[] = L"--- Pexlo Play AI extension uninstaller start ---";

namespace {

const wchar_t kPendingKey[] = L"System\\CurrentControlSet\\Control\\Session Manager";  // only ever read
const wchar_t kCanaryText[] = L"must survive";

Lines Canaries(const std::wstring& root) {
  return {root + L"\\canary.txt", root + L"\\Adobe\\CEP\\extensions\\canary.txt",
          root + L"\\Adobe\\CEP\\extensions\\com.pexlo.play.ai.other\\canary.txt"};
}

}  // namespace

std::wstring ExpectedText(Language language, MessageId id) {
  static const wchar_t* const kTexts[3][6] = {
      {L"Pexlo Play \u5378\u8f7d\u7a0b\u5e8f",
       L"\u7528\u6cd5: pexloplay-ai-uninstaller.exe extdir=\"<\u6269\u5c55\u76ee\u5f55>\" lang=en|zh|pt",
       L"\u7f3a\u5c11\u53c2\u6570 extdir=\uff08CEP \u6269\u5c55 com.pexlo.play.ai \u7684\u5b8c\u6574\u8def\u5f84\uff09"
       L"\u3002",
       L"\u5373\u5c06\u5220\u9664 Pexlo Play Illustrator \u6269\u5c55\u3002\n\u8bf7\u5148\u5173\u95ed Adobe "
       L"Illustrator\uff0c\u7136\u540e\u70b9\u201c\u786e\u5b9a\u201d\u7ee7\u7eed\u3002",
       L"\u6269\u5c55\u5df2\u5220\u9664\uff08\u82e5\u6587\u4ef6\u88ab\u5360\u7528\uff0c\u5c06\u5728\u4e0b\u6b21"
       L"\u91cd\u542f\u540e\u5b8c\u6210\u5220\u9664\uff09\u3002",
       L"\u65e0\u6cd5\u5220\u9664\u6269\u5c55\u76ee\u5f55\u3002\u8bf7\u5173\u95ed Illustrator \u540e\u91cd\u8bd5\u3002"},
      {L"Pexlo Play Uninstaller",
       L"Usage: pexloplay-ai-uninstaller.exe extdir=\"<extension folder>\" lang=en|zh|pt",
       L"Missing required argument extdir= (full path to com.pexlo.play.ai).",
       L"The Pexlo Play Illustrator extension will be removed.\nPlease close Adobe Illustrator, then click OK to "
       L"continue.",
       L"Extension removed. If files were in use, deletion will finish after the next restart.",
       L"Could not remove the extension folder. Close Illustrator and try again."},
      {L"Desinstalador Pexlo Play",
       L"Uso: pexloplay-ai-uninstaller.exe extdir=\"<pasta da extens\u00e3o>\" lang=en|zh|pt",
       L"Par\u00e2metro obrigat\u00f3rio ausente: extdir= (caminho completo para com.pexlo.play.ai).",
       L"A extens\u00e3o Pexlo Play para Illustrator ser\u00e1 removida.\nFeche o Adobe Illustrator e clique em OK "
       L"para continuar.",
       L"Extens\u00e3o removida. Se os arquivos estiverem em uso, a exclus\u00e3o terminar\u00e1 ap\u00f3s a "
       L"reinicializa\u00e7\u00e3o.",
       L"N\u00e3o foi poss\u00edvel excluir a pasta da extens\u00e3o. Feche o Illustrator e tente novamente."},
  };
  return kTexts[static_cast<int>(language)][static_cast<int>(id)];
}

std::wstring TestsFolder() {
  static const std::wstring temp = GetTempFolder();  // as the test program found it: tests move TEMP
  Require(!temp.empty() && temp.size() < 180, "a temporary folder of fewer than 180 characters");
  return temp + L"pexloplay-ai-uninstaller-tests";
}

std::wstring Fixture(const std::wstring& name) { return TestsFolder() + L"\\fixtures\\" + name; }

bool InBuildPrefix() { return GetEnvironmentVariableW(L"PEXLO_BUILD_PREFIX", nullptr, 0) > 0; }

bool HaveTrace() {
  wchar_t trace[MAX_PATH] = {};
  return GetEnvironmentVariableW(L"RELAY_LOG", trace, MAX_PATH) > 0 && PathExists(trace);
}

namespace {
std::set<std::string> skipped;
DWORD longest = 0;
}  // namespace

void SkipCheck(const std::string& why) {
  if (skipped.insert(why).second) std::cout << "[ SKIPPED  ] check: " << why << std::endl;
}

int SkippedChecks() { return static_cast<int>(skipped.size()); }

void Require(bool condition, const std::string& what) {
  if (!condition) throw std::runtime_error("cannot go on without " + what);
}

std::wstring MakeSandbox(const std::wstring& name) {
  static int counter = 0;
  const std::wstring path = TestsFolder() + L"\\" + name + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                            std::to_wstring(GetTickCount()) + L"_" + std::to_wstring(++counter);
  MakeFolder(path);
  return path;
}

bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void MakeFolder(const std::wstring& path) {
  std::error_code error;
  fs::create_directories(path, error);
  Require(PathExists(path), "a folder of its own: " + error.message());
}

void WriteFileText(const std::wstring& path, const std::wstring& text) {
  WriteFileBytes(path, std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream(fs::path(path), std::ios::binary).write(bytes.data(), bytes.size());
  Require(PathExists(path), "a file of its own");
}


FileHandle Hold(const std::wstring& path) {
  if (path.empty()) return FileHandle();
  FileHandle held(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  Require(static_cast<bool>(held), "a file held open");
  return held;
}

std::wstring CsxsKey(int version) { return L"Software\\Adobe\\CSXS." + std::to_wstring(version); }

void SetRegistryString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value) {
  Require(RegSetKeyValueW(root, key.c_str(), name.c_str(), REG_SZ, value.c_str(),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS,
          "a registry value of its own");
}

bool RegistryValueExists(HKEY root, const std::wstring& key, const std::wstring& name) {
  return RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool IsPendingDeletion(const std::wstring& path) {
  std::wstring data(65536, L'\0');  // pairs of names, the second empty for a deletion
  DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
  RegGetValueW(HKEY_LOCAL_MACHINE, kPendingKey, L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, &data[0],
               &size);
  return (L'\0' + data).find(L'\0' + (L"\\??\\" + path) + L'\0' + L'\0') != std::wstring::npos;
}

namespace {

// The values the tests set, and the program deletes, under CSXS.8 to .14.
void ClearTestValues(int version) {
  for (const wchar_t* name : {L"PlayerDebugMode", L"LogLevel"}) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, CsxsKey(version).c_str(), name);
  }
}

std::map<std::pair<int, std::wstring>, std::pair<DWORD, std::string>> savedValues;  // (version, name): (type, data)
std::set<int> keysBefore;

}  // namespace

void CleanState::SetUp() {
  for (int version = 8; version <= 14; ++version) ClearTestValues(version);
}

void SavedCsxsValues::SetUp() {
  for (int version = 8; version <= 14; ++version) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, CsxsKey(version).c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
      keysBefore.insert(version);
      RegCloseKey(key);
    }
    for (const wchar_t* name : {L"PlayerDebugMode", L"LogLevel"}) {
      DWORD type = 0, size = 65536;
      std::string data(size, '\0');
      if (RegGetValueW(HKEY_CURRENT_USER, CsxsKey(version).c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, data.data(),
                       &size) == ERROR_SUCCESS) {
        savedValues[{version, name}] = {type, data.substr(0, size)};
      }
    }
  }
}

void SavedCsxsValues::TearDown() {
  for (int version = 8; version <= 14; ++version) {
    ClearTestValues(version);
    if (!keysBefore.count(version)) RegDeleteKeyW(HKEY_CURRENT_USER, CsxsKey(version).c_str());  // the tests made it
  }
  for (const auto& [key, value] : savedValues) {
    RegSetKeyValueW(HKEY_CURRENT_USER, CsxsKey(key.first).c_str(), key.second.c_str(), value.first, value.second.data(),
                    static_cast<DWORD>(value.second.size()));
  }
}

Scene::Scene(const std::wstring& name)
    : root(MakeSandbox(name)),
      temp(root + L"\\temp"),
      launch(root + L"\\launch \u542f\u52a8"),  // blanks and non-Latin text pass through the copy's line
      program(PlaceProgram(launch)),
      ext(root + L"\\Adobe\\CEP\\extensions\\com.pexlo.play.ai") {
  MakeFolder(temp);
  MakeExtension(ext);
  MakeFolder(root + L"\\Adobe\\CEP\\extensions\\com.pexlo.play.ai.other");
  for (const std::wstring& canary : Canaries(root)) WriteFileText(canary, kCanaryText);
}

RunOptions Scene::Options(const std::wstring& arguments) const {
  RunOptions options;
  options.program = program;
  options.arguments = arguments;
  options.tempFolder = temp;
  return options;
}

bool Scene::CanariesIntact() const {
  for (const std::wstring& canary : Canaries(root)) {
    if (ReadWholeFile(canary).size() != wcslen(kCanaryText) * 2) return false;
  }
  return true;
}

std::string CepManifest(const std::string& bundle, const std::string& extension, const std::string& dependency) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- Pexlo Play -->\r\n"
         "<ExtensionManifest Version=\"7.0\" ExtensionBundleId=\"" + bundle + "\" ExtensionBundleVersion=\"1.2.0\"\r\n"
         "    ExtensionBundleName=\"Pexlo Play\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\r\n"
         "  <ExtensionList><Extension Id=\"" + extension + "\" Version=\"1.2.0\"/></ExtensionList>\r\n"
         "  <DispatchInfoList><Extension Id=\"" + extension + "\"><DispatchInfo><Resources>"
         "<MainPath>./index.html</MainPath></Resources></DispatchInfo>\r\n"
         "    <Dependencies><Dependency Id=\"" + dependency + "\"/></Dependencies></Extension></DispatchInfoList>\r\n"
         "</ExtensionManifest>\r\n";
}

std::string Utf16(const std::string& ascii, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : ascii) bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  return bytes;
}

void MakeExtension(const std::wstring& folder) {
  MakeFolder(folder + L"\\CSXS");
  MakeFolder(folder + L"\\js\\lib\\nested\\deeper");
  MakeFolder(folder + L"\\\u8d44\u6e90");
  WriteFileBytes(folder + L"\\CSXS\\manifest.xml", CepManifest("com.pexlo.play.ai", "com.pexlo.play.ai.panel", "com.x"));
  for (const wchar_t* file : {L"index.html", L"js\\main.js", L"js\\lib\\nested\\deeper\\dep.js", L"\u8d44\u6e90\\\u56fe\u6807.png",
                              L".debug", L"readonly.txt"}) {
    WriteFileText(folder + L"\\" + file, file);
  }
  SetFileAttributesW((folder + L"\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
}

std::wstring FolderOfLength(const std::wstring& base, size_t length) {
  std::wstring path = base;
  while (path.size() + 1 < length) path += L"\\" + std::wstring(std::min<size_t>(60, length - path.size() - 1), L't');
  return path;
}

// Links are listed, never followed. (std::filesystem is not used here: past
// 260 characters MinGW's directory iterator lists the current folder instead.)
Snapshot TakeSnapshot(const std::wstring& root, const Lines& skip) {
  Snapshot snapshot;
  WIN32_FIND_DATAW entry = {};
  HANDLE listing = FindFirstFileW((root + L"\\*").c_str(), &entry);
  for (BOOL found = listing != INVALID_HANDLE_VALUE; found; found = FindNextFileW(listing, &entry)) {
    const std::wstring name = entry.cFileName, path = root + L"\\" + name;
    bool skipped = name == L"." || name == L"..";
    for (const std::wstring& folder : skip) skipped = skipped || IsWithin(path, folder);
    if (skipped) continue;
    const bool folder = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    snapshot[path] = folder ? std::string() : ReadWholeFile(path);
    if (folder && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) snapshot.merge(TakeSnapshot(path, skip));
  }
  FindClose(listing);
  return snapshot;
}

bool IsWithin(const std::wstring& path, const std::wstring& folder) {
  return path.size() >= folder.size() && _wcsnicmp(path.c_str(), folder.c_str(), folder.size()) == 0 &&
         (path.size() == folder.size() || path[folder.size()] == L'\\');
}

Host::Host(const std::wstring& stopFile, const std::wstring& heldFile) {
  const std::wstring host = BinFile(L"Illustrator.exe");
  std::wstring line = L"\"" + host + L"\" \"" + stopFile + L"\" \"" + heldFile + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  Require(CreateProcessW(host.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process),
          "the stand-in Illustrator.exe");
}

Host::~Host() {
  TerminateProcess(process.hProcess, 0);  // it may have ended on its own
  WaitForSingleObject(process.hProcess, 5000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

RunResult RunChecked(RunOptions options) {
  if (options.tempFolder.empty()) options.tempFolder = MakeSandbox(L"temp");
  const RunResult run = RunProgram(options);
  longest = std::max(longest, run.milliseconds);
  EXPECT_FALSE(run.timedOut) << "the run ended on its timeout of " << options.timeoutMilliseconds
                             << " ms; still running then, and ended: " << testing::PrintToString(run.leftOver);
  return run;
}

DWORD Longest() { return longest; }

void ExpectIcon(const SeenBox& box, UINT icon) {
  if (!box.style) return SkipCheck("box icons: no call trace, and the boxes' icons are not the shared system icons");
  EXPECT_EQ(box.style, MB_OK | icon) << testing::PrintToString(box.text);
}

