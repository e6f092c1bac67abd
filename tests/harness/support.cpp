#include "support.h"

#include "common/folders.h"

#include <algorithm>
#include <iostream>
#include <set>

namespace {

const wchar_t kPendingKey[] = L"System\\CurrentControlSet\\Control\\Session Manager";  // only ever read
const char kCanaryText[] = "must survive";

Lines Canaries(const std::wstring& root) {
  return {root + L"\\canary.txt", root + L"\\Adobe\\CEP\\extensions\\canary.txt",
          root + L"\\Adobe\\CEP\\extensions\\com.pexlo.play.ai.other\\canary.txt"};  // the last in another extension
}

std::set<std::string> skipped;

bool SetRestartRequests(const wchar_t* rule) {
  RunOptions options;
  options.program = BinFile(L"restart-list.exe");
  options.arguments = rule;
  return InBuildPrefix() && RunProgram(std::move(options)).ExitCode(0) == 0;
}

// The values the tests set, and the program deletes: PlayerDebugMode and
// LogLevel under CSXS.8 to .14.
template <typename Visit>
void ForEachTestValue(Visit visit) {
  for (int version = 8; version <= 14; ++version) {
    for (const wchar_t* name : {L"PlayerDebugMode", L"LogLevel"}) visit(CsxsKey(version), name);
  }
}

struct SavedValue {
  std::wstring key;
  const wchar_t* name;
  DWORD type;
  std::string data;
};
std::vector<SavedValue> savedValues;
std::set<std::wstring> keysBefore;

void ClearTestValue(const std::wstring& key, const wchar_t* name) { RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), name); }

}  // namespace

std::wstring Text(Language language, MessageId id) {
  MessageCatalog catalog = MessageCatalog::Instance();  // a copy: the process-wide one stays as it is
  catalog.language = language;
  return catalog.Get(id);
}

std::wstring TestsFolder() {
  static const std::wstring temp = GetTempFolder();  // as the test program found it: tests move TEMP
  Require(!temp.empty() && temp.size() < 180, "a temporary folder of fewer than 180 characters");
  return JoinPath(temp, L"pexloplay-ai-uninstaller-tests");
}

std::wstring Fixture(const std::wstring& name) { return JoinPath(TestsFolder() + L"\\fixtures", name); }

bool InBuildPrefix() { return GetEnvironmentVariableW(L"PEXLO_BUILD_PREFIX", nullptr, 0) > 0; }

bool OnWindows() { return !GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"); }

void SkipCheck(const std::string& why) {
  if (skipped.insert(why).second) std::cout << "[ SKIPPED  ] check: " << why << std::endl;
}

int SkippedChecks() { return static_cast<int>(skipped.size()); }

void Require(bool condition, const std::string& what) {
  if (!condition) throw std::runtime_error("cannot go on without " + what);
}

std::wstring MakeSandbox(const std::wstring& name) {
  static int counter = 0;
  const std::wstring path = JoinPath(TestsFolder(), name) + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                            std::to_wstring(GetTickCount()) + L"_" + std::to_wstring(++counter);
  MakeFolder(path);
  return path;
}

void MakeFolder(const std::wstring& path) { Require(CreateDirectoryTree(path) && Exists(path), "a folder of its own"); }

void MakeFile(const std::wstring& path, const std::string& bytes) {
  CreateDirectoryTree(FolderOf(path));  // the write below fails visibly instead
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // one made read-only before is made again
  Require(WriteFileBytes(path, bytes), "a file of its own");
}

FileHandle Hold(const std::wstring& path) {
  if (path.empty()) return FileHandle();
  FileHandle held(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  Require(static_cast<bool>(held), "a file held open");
  return held;
}

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

RestartRequestsGranted::RestartRequestsGranted() : granted(SetRestartRequests(L"grant")) {}

RestartRequestsGranted::~RestartRequestsGranted() {
  if (granted) SetRestartRequests(L"refuse");
}

bool GoneSoon(const std::wstring& path) {
  // Without a timeout command (Wine has none) the helper does not pause
  // between its tries, which may all come before the copy has ended.
  if (!SearchPathW(nullptr, L"timeout.exe", nullptr, 0, nullptr, nullptr)) {
    SkipCheck("the removal of the copy's work folder: this system has no timeout command");
    return true;
  }
  for (const DWORD start = GetTickCount(); !IsAbsent(path) && GetTickCount() - start < 10000;) Sleep(100);
  return IsAbsent(path);
}

void CleanState::SetUp() { ForEachTestValue(ClearTestValue); }

void SavedCsxsValues::SetUp() {
  ForEachTestValue([](const std::wstring& key, const wchar_t* name) {
    RegistryKey opened;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, opened.put()) == ERROR_SUCCESS) keysBefore.insert(key);
    SavedValue value{key, name, 0, std::string(65536, '\0')};
    DWORD size = 65536;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &value.type, value.data.data(), &size) ==
        ERROR_SUCCESS) {
      value.data.resize(size);
      savedValues.push_back(value);
    }
  });
}

void SavedCsxsValues::TearDown() {
  ForEachTestValue([](const std::wstring& key, const wchar_t* name) {
    ClearTestValue(key, name);
    if (!keysBefore.count(key)) RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());  // the tests made it
  });
  for (const SavedValue& value : savedValues) {
    RegSetKeyValueW(HKEY_CURRENT_USER, value.key.c_str(), value.name, value.type, value.data.data(),
                    static_cast<DWORD>(value.data.size()));
  }
}

Host::Host(const std::wstring& stopFile, const std::wstring& heldFile, const std::wstring& image) {
  std::wstring line = L"\"" + (image.empty() ? BinFile(kHostImageName) : image) + L"\" \"" + stopFile + L"\" \"" + heldFile + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  Require(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started),
          "the stand-in Illustrator.exe");
  process = ProcessHandles(started);
}

Host::~Host() {
  TerminateProcess(process.process.get(), 0);  // it may have ended on its own
  WaitForSingleObject(process.process.get(), 5000);
}

Scene::Scene(const std::wstring& name)
    : root(MakeSandbox(name)),
      temp(root + L"\\temp"),
      launch(root + L"\\launch \u542f\u52a8"),  // blanks and non-Latin text pass through the copy's line
      program(PlaceProgram(launch)),
      ext(root + L"\\Adobe\\CEP\\extensions\\com.pexlo.play.ai") {
  MakeFolder(temp);
  MakeExtension(ext);
  for (const std::wstring& canary : Canaries(root)) MakeFile(canary, kCanaryText);
}

RunOptions Scene::Options(const std::wstring& arguments) const {
  RunOptions options;
  options.program = program;
  options.arguments = arguments;
  options.tempFolder = temp;
  return options;
}

bool Scene::CanariesIntact() const {
  const Lines canaries = Canaries(root);
  return std::all_of(canaries.begin(), canaries.end(), [](const std::wstring& canary) { return ReadWholeFile(canary) == kCanaryText; });
}

std::string CepManifest(const std::string& bundle, const std::string& extension, const std::string& dependency) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- Pexlo Play -->\r\n"
         "<ExtensionManifest Version=\"7.0\" ExtensionBundleId=\"" + bundle + "\" ExtensionBundleVersion=\"1.2.0\"\r\n"
         "    ExtensionBundleName=\"Pexlo Play\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\r\n"
         "  <ExtensionList><Extension Id=\"" + extension + "\" Version=\"1.2.0\"/></ExtensionList>\r\n"
         "  <DispatchInfoList><Extension Id=\"" + extension + "\">\r\n"
         "    <Dependencies><Dependency Id=\"" + dependency + "\"/></Dependencies></Extension></DispatchInfoList>\r\n"
         "</ExtensionManifest>\r\n";
}

std::string Utf16(const std::string& ascii, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : ascii) bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  return bytes;
}

void MakeExtension(const std::wstring& folder) {
  MakeFile(folder + L"\\CSXS\\manifest.xml", CepManifest("com.pexlo.play.ai", "com.pexlo.play.ai.panel", "com.x"));
  for (const wchar_t* file : {L"index.html", L"js\\main.js", L"js\\lib\\nested\\deeper\\dep.js", L"\u8d44\u6e90\\\u56fe\u6807.png",
                              L".debug", L"readonly.txt"}) {
    MakeFile(JoinPath(folder, file));
  }
  SetFileAttributesW((folder + L"\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
}

// Links are listed, never followed. (std::filesystem is not used here: past
// 260 characters MinGW's directory iterator lists the current folder instead.)
Snapshot TakeSnapshot(const std::wstring& root, const Lines& skip) {
  Snapshot snapshot;
  ForEachEntry(root, [&](const std::wstring& path, const std::wstring&, DWORD attributes) {
    if (std::count(skip.begin(), skip.end(), path)) return true;
    snapshot[path] = IsFolder(attributes) ? std::string() : ReadWholeFile(path);
    if (IsFolder(attributes) && !IsLink(attributes)) snapshot.merge(TakeSnapshot(path, skip));
    return true;
  });
  return snapshot;
}

RunResult RunChecked(RunOptions options) {
  if (options.tempFolder.empty()) options.tempFolder = MakeSandbox(L"temp");
  const DWORD timeout = options.timeoutMilliseconds;
  const std::wstring program = options.program;
  const RunResult run = RunProgram(std::move(options));
  EXPECT_EQ(run.startError, 0u) << "the program could not be started: " << testing::PrintToString(program);
  EXPECT_FALSE(run.timedOut) << "the run ended on its timeout of " << timeout
                             << " ms; still running then, and ended: " << testing::PrintToString(run.leftOver);
  return run;
}

void ExpectIcon(const SeenBox& box, UINT icon) {
  if (!box.style) return SkipCheck("box icons: no call trace, and the boxes' icons are not the shared system icons");
  EXPECT_EQ(box.style, MB_OK | icon) << testing::PrintToString(box.text);
}

