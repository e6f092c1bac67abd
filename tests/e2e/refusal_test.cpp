// Command lines that must be refused, and the language of every box.
#include "support.h"

using Refusal = CleanState;

namespace {

// One process and one error box in the language given, the exit code given,
// nothing touched, and nothing logged but the banner and the lines given.
// Started hidden, as NSIS nsExec and Inno Setup's runhidden start it, the
// program shows its box all the same.
void ExpectNothingDone(const Scene& scene, const std::wstring& arguments, DWORD exitCode, Language language, MessageId id,
                       const Lines& logged = {}) {
  SCOPED_TRACE(testing::PrintToString(arguments));
  const Snapshot before = TakeSnapshot(scene.root, {scene.temp});
  const size_t linesBefore = scene.Log().size();
  RunOptions options = scene.Options(arguments);
  options.startHidden = true;
  const RunResult run = RunChecked(std::move(options));
  EXPECT_EQ(run.processes.size(), 1u);
  EXPECT_EQ(run.ExitCode(0), exitCode);
  EXPECT_EQ(run.Texts(), Lines{Text(language, id)});
  for (const SeenBox& box : run.boxes) {
    EXPECT_EQ(box.caption, Text(language, MessageId::Title));
    ExpectIcon(box, MB_ICONERROR);
  }
  Lines expected = {kBanner};
  expected.insert(expected.end(), logged.begin(), logged.end());
  const Lines log = scene.Log();
  EXPECT_EQ(Lines(log.begin() + std::min(linesBefore, log.size()), log.end()), expected);
  EXPECT_TRUE(TakeSnapshot(scene.root, {scene.temp}) == before) << "something was touched";
}

}  // namespace

TEST_F(Refusal, CommandLinesWithoutAUsableExtdir) {
  const Scene scene(L"refused");
  ExpectNothingDone(scene, L"", 2, Language::English, MessageId::Usage);
  // The lookup and path rules are the unit cases': no root is ever handed over here.
  ExpectNothingDone(scene, L"lang=pt extdir=\"" + scene.ext + L"\\..\\..\"", 2, Language::Portuguese, MessageId::MissingExtDir);
}

// The extensions folder itself, another extension (a longer bundle id; the
// other manifests are the unit cases'), the sandbox root and a file: all
// exist, none is this extension's folder.
TEST_F(Refusal, OnlyTheExtensionsFolderIsRemoved) {
  const Scene scene(L"foreign");
  const std::wstring extensions = scene.root + L"\\Adobe\\CEP\\extensions", renamed = extensions + L"\\Pexlo Play";
  MakeExtension(extensions + L"\\com.pexlo.play.ai.pro");
  MakeFile(extensions + L"\\com.pexlo.play.ai.pro\\CSXS\\manifest.xml", CepManifest("com.pexlo.play.ai.pro", "com.pexlo.play.ai.pro.panel", "com.x"));
  for (const std::wstring& foreign : {extensions, extensions + L"\\com.pexlo.play.ai.pro", scene.root, scene.root + L"\\canary.txt"}) {
    ExpectNothingDone(scene, L"extdir=\"" + foreign + L"\\\\\"", 2, Language::English, MessageId::MissingExtDir,
                      {L"[Refused] Not the folder of " + std::wstring(kBundleId) + L": " + foreign});
  }

  // A folder named otherwise that holds this extension may go (the unit
  // cases show which), but the copy looks again once the user has answered:
  // a folder that has changed meanwhile stays, and so do the debug switches.
  // A first process that waits ends as its copy did.
  MakeExtension(renamed);
  SetRegistryString(HKEY_CURRENT_USER, CsxsKey(9), L"PlayerDebugMode", L"1");
  RunOptions options = scene.Options(L"extdir=\"" + renamed + L"\" lang=en wait=1");
  options.onBox = [&](const SeenBox&) { MakeFile(renamed + L"\\CSXS\\manifest.xml", "<Other/>"); };
  const RunResult changed = RunChecked(std::move(options));
  EXPECT_EQ(changed.Texts(), (Lines{English(MessageId::ConfirmRemoval), English(MessageId::MissingExtDir)}));
  EXPECT_EQ(changed.ExitCode(0) * 10 + changed.ExitCode(1), 22u);
  EXPECT_TRUE(Exists(renamed + L"\\index.html"));
  EXPECT_TRUE(RegistryValueExists(HKEY_CURRENT_USER, CsxsKey(9), L"PlayerDebugMode"));
  const Lines log = scene.Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), L"[Refused] Not the folder of " + std::wstring(kBundleId) + L": " + renamed), 1);
  EXPECT_TRUE(scene.CanariesIntact());
}

// A folder on a drive letter that nothing maps (an elevated process does not
// see the user's drives), which says "not found" of every path on it, may be
// there: nothing in it can be shown to be this extension's, so nothing is
// deleted and nothing is reported removed. (Folders closed to the user are
// unit cases.) The first process decides.
TEST_F(Refusal, FolderThatCannotBeLookedIntoFailsAndStays) {
  const Scene scene(L"closed");
  wchar_t letter = L'Q';
  while (letter < L'Z' && (GetLogicalDrives() & (1u << (letter - L'A')))) ++letter;
  const std::wstring folder = std::wstring(1, letter) + L":\\pexloplay-ai-uninstaller-tests\\" + kBundleId;
  ExpectNothingDone(scene, L"extdir=" + folder + L" wait=1", 1, Language::English, MessageId::RemoveFailed,
                    {L"extdir: " + folder, L"[Delete] Cannot look into the folder, nothing deleted: " + folder,
                     L"Failed to delete extension directory."});
}
