// The program's rules that need no files: the command line, the copy's line,
// the texts and their languages.
#include <windows.h>
#include <sddl.h>
#include <shellapi.h>

#include "driver/command_line.h"
#include "driver/desktop.h"
#include "driver/host_wait.h"
#include "driver/identity.h"
#include "driver/removal_turn.h"
#include "relocate/copy_line.h"
#include "relocate/launch_location.h"
#include "relocate/relaunch.h"
#include "relocate/work_folder.h"
#include "common/grace.h"
#include "removal/emptied_folders.h"
#include "removal/extension_folder.h"
#include "removal/manifest.h"
#include "support.h"

namespace {

// Reads an argument vector written as a list (the program path comes first).
Arguments Read(std::vector<std::wstring> arguments) {
  arguments.insert(arguments.begin(), L"B:\\pexloplay-ai-uninstaller.exe");
  std::vector<wchar_t*> vector;
  for (std::wstring& argument : arguments) vector.push_back(&argument[0]);
  return ReadArguments(static_cast<int>(vector.size()), vector.data());
}

const Language kLanguages[] = {Language::Chinese, Language::English, Language::Portuguese};

std::vector<std::wstring> Split(const std::wstring& line) {
  int count = 0;
  wchar_t** split = CommandLineToArgvW(line.c_str(), &count);
  std::vector<std::wstring> values(split, split + count);
  LocalFree(split);
  return values;
}

}  // namespace

TEST(Arguments, LookupRulesAndSwitches) {
  const struct {
    std::vector<std::wstring> line;
    std::wstring extdir;
  } cases[] = {
      {{L"extdir=C:\\a\\/", L"extdir=C:\\b"}, L"C:\\a"},  // the first one wins, without trailing separators
      {{L"extdir=", L"extdir=C:\\b"}, L""},            // even when empty
      {{L"EXTDIR=C:\\x", L"/extdir=C:\\x", L"xextdir=C:\\x", L"extdir C:\\x"}, L""},
      {{L"extdir=C:\\a=b"}, L"C:\\a=b"},
      {{L"extdir=\"C:\\a b\""}, L"C:\\a b"},
      {{L"extdir=\"\"C:\\a\"\""}, L"\"C:\\a\""},  // one pair of quotes only
      {{L"extdir=\""}, L"\""},
      {{L"extdir=\"C:\\a"}, L"\"C:\\a"},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.line).extensionFolder, c.extdir) << testing::PrintToString(c.line);
  // Only the exact value 2 marks the relaunched copy, whose line alone names
  // the launch folder and the outcome pipe.
  const Arguments copy = Read({L"stage=2", L"origdir=\"C:\\Tools\\\\\"", L"outcome=12"});
  EXPECT_TRUE(copy.isCopy && copy.launchFolder == L"C:\\Tools" && copy.outcomePipe == reinterpret_cast<HANDLE>(12));
  for (const wchar_t* stage : {L"stage=02", L"stage=\"2 \"", L"stage=", L"Stage=2"}) {
    const Arguments first = Read({stage, L"origdir=C:\\Tools", L"outcome=12"});
    EXPECT_FALSE(first.isCopy || !first.launchFolder.empty() || first.outcomePipe) << stage;
  }
  EXPECT_FALSE(Read({L"stage=2", L"outcome=0x12"}).outcomePipe);
  // A switch is on only for 1, true or yes, in any case, in quotes or not.
  for (const wchar_t* on : {L"1", L"true", L"TRUE", L"Yes", L"\"yes\""}) {
    EXPECT_TRUE(Read({std::wstring(L"silent=") + on}).silent) << on;
    EXPECT_TRUE(Read({std::wstring(L"wait=") + on}).wait) << on;
  }
  for (const wchar_t* off : {L"", L"0", L"2", L"no", L"on", L" 1", L"yes ", L"truex", L"\uff59es"}) {
    const Arguments arguments = Read({std::wstring(L"silent=") + off, std::wstring(L"wait=") + off});
    EXPECT_FALSE(arguments.silent || arguments.wait) << off;
  }
  EXPECT_FALSE(Read({L"SILENT=1", L"WAIT=1"}).silent || Read({L"Wait=1"}).wait);
}

// Only a folder below a drive root or share, named as written, may be given
// to the removal; anything else counts as a missing extdir.
TEST(Arguments, ExtdirMustNameAFolderBelowARoot) {
  const auto usable = [](const std::wstring& extdir) { return IsUsableExtensionFolder(Read({L"extdir=" + extdir}).extensionFolder); };
  for (const wchar_t* accepted :
       {L"C:\\a", L"c:/Users/me/AppData/Roaming/Adobe/CEP/extensions/com.pexlo.play.ai", L"T:\\ext dir\\\u6269\u5c55",
        L"\\\\srv\\share\\ext", L"//srv/share/a/b", L"C:\\a\\\\b", L"C:\\a\\\\//", L"C:\\.hidden", L"C:\\..a",
        L"C:\\CONSOLE", L"C:\\a\\COM10", L"C:\\NULL", L"C:\\.con", L"C:\\com0", L"C:\\auxiliary.txt", L"C:\\CONIN"}) {
    EXPECT_TRUE(usable(accepted)) << testing::PrintToString(std::wstring(accepted));
  }
  for (const wchar_t* refused :
       {L"", L"\\", L"C:", L"C:\\", L"C:ext", L"\\ext", L"ext", L"\\\\srv\\share", L"\\\\srv", L"\\\\", L"C:\\a\\..",
        L"C:\\a\\..\\..", L"C:\\.", L"C:\\a\\.\\b", L"C:\\a\\*", L"C:\\a?", L"C:\\a\\b:c", L"C:\\a\"", L"C:\\a<b",
        L"C:\\a>b", L"C:\\a|b", L"C:\\a\tb", L"C:\\a.", L"C:\\a ", L"C:\\...", L"\\\\?\\C:\\a", L"\\\\.\\C:\\a",
        L"\\\\srv\\share\\..", L"1:\\a", L"C:\\a\\NUL", L"C:\\con\\x", L"C:\\a\\nul.txt", L"C:\\COM1", L"C:\\a\\lpt9.log",
        L"C:\\Aux .x", L"\\\\srv\\share\\prn", L"C:\\COM\u00b9", L"C:\\a\\lpt\u00b2.txt", L"C:\\LPT\u00b3",
        L"C:\\CONIN$", L"C:\\a\\conout$.log"}) {
    EXPECT_FALSE(usable(refused)) << testing::PrintToString(std::wstring(refused));
  }
  // Windows would call a folder of 260 characters or more absent, and so removed.
  EXPECT_TRUE(usable(L"T:\\" + std::wstring(256, L'a') + L"\\\\"));
  EXPECT_FALSE(usable(L"T:\\" + std::wstring(257, L'a')));
}

// What the user reads: the 18 texts as they were approved, in one sum
// (FNV-1a over every text, each followed by a NUL). A text that is changed on
// purpose changes the sum here too.
TEST(Catalog, HoldsTheApprovedTexts) {
  uint32_t sum = 2166136261u;
  for (Language language : kLanguages) {
    for (int id = 0; id <= 5; ++id) {
      for (wchar_t c : Text(language, MessageId(id)) + L'\0') sum = (sum ^ static_cast<uint32_t>(c)) * 16777619u;
    }
  }
  EXPECT_EQ(sum, 2755449443u);
}

TEST(Catalog, LanguageFromTheUiOrTheLangValue) {
  for (LANGID id : {0x0804, 0x0404, 0x0C04}) EXPECT_EQ(LanguageForUiLanguage(id), Language::Chinese);
  for (LANGID id : {0x0416, 0x0816}) EXPECT_EQ(LanguageForUiLanguage(id), Language::Portuguese);
  for (LANGID id : {0x0409, 0x040C, 0x0000}) EXPECT_EQ(LanguageForUiLanguage(id), Language::English);

  for (Language current : kLanguages) EXPECT_EQ(ParseLanguage(L"", current), current);
  for (const wchar_t* value : {L"zh", L"ZH-TW", L"zh_CN", L"Zh", L"zhs", L"CN", L"Chinese"}) {
    EXPECT_EQ(ParseLanguage(value, Language::Portuguese), Language::Chinese) << value;
  }
  for (const wchar_t* value : {L"pt", L"pt-BR", L"PT", L"ptx", L"PORTUGUESE"}) {
    EXPECT_EQ(ParseLanguage(value, Language::Chinese), Language::Portuguese) << value;
  }
  for (const wchar_t* value : {L"en", L"fr", L"x", L"cn-x", L"chinese ", L" zh", L"xzh", L"portugues", L"\uFF3A\uFF28"}) {
    EXPECT_EQ(ParseLanguage(value, Language::Chinese), Language::English) << value;
    EXPECT_EQ(ParseLanguage(value, Language::Portuguese), Language::English) << value;
  }
}

TEST(Relaunch, LineCarriesExtdirStageOrigdirAndWhatWasGiven) {
  const std::wstring copy = L"C:\\Temp\\PexloPlayAiUninstall\\812_905\\u.exe";
  EXPECT_EQ(JoinPath(WorkFolderPath(L"C:\\Temp", 812, 905), L"u.exe"), copy);
  const std::wstring base = L"\"" + copy + L"\" extdir=\"D:\\Ext\\A\" stage=2 origdir=\"D:\\Ext\\A\"";
  EXPECT_EQ(BuildRelaunchLine(copy, L"D:\\Ext\\A", Read({L"extdir=D:\\Ext\\A\\", L"lang=pt"}), nullptr), base + L" lang=\"pt\"");
  EXPECT_EQ(BuildRelaunchLine(copy, L"D:\\Ext\\A", Read({L"extdir=D:\\Ext\\A", L"silent=1", L"wait=1"}), reinterpret_cast<HANDLE>(12)),
            base + L" silent=\"1\" outcome=\"12\"");
  // Every value reaches the copy as it was read: with the enclosing quotes it
  // still carries, quotes, blanks, tabs, and runs of backslashes before a
  // quote, before anything else, and at the end.
  for (const std::wstring lang : {L"\"zh\"", L"\"\"", L"\"", L"z\"h\\", L"\\\\a\\\\\"b c\t\\\\"}) {
    const Arguments given = Read({L"lang=\"" + lang + L"\""});
    const std::vector<std::wstring> split = Split(BuildRelaunchLine(copy, L"T:\\l", given, nullptr));
    EXPECT_EQ(Read(std::vector<std::wstring>(split.begin() + 1, split.end())).lang, lang);
  }
}

// Only the root element's ExtensionBundleId names the bundle, in any of the
// encodings and spellings that CEP tools write.
TEST(Manifest, OnlyTheRootsBundleIdCounts) {
  const std::string ours = CepManifest("com.pexlo.play.ai", "com.pexlo.play.ai.panel", "com.other");
  const std::pair<std::string, bool> cases[] = {
      {ours, true},
      {"\xEF\xBB\xBF" + ours, true},
      {Utf16(ours, false), true},
      {Utf16(ours, true), true},
      {"<ExtensionManifest\r\n ExtensionBundleId = 'com.pexlo.play.ai'/>", true},
      {CepManifest("com.pexlo.play.ai.pro", "com.pexlo.play.ai.pro.panel", "com.other"), false},
      {CepManifest("com.other", "com.pexlo.play.ai", "com.other"), false},
      {CepManifest("com.other", "com.other.panel", "com.pexlo.play.ai"), false},
      {"<!-- <ExtensionManifest ExtensionBundleId=\"com.pexlo.play.ai\"> --><ExtensionManifest Version=\"7.0\">", false},
      {"<ExtensionManifest Version=\"7.0\"><x ExtensionBundleId=\"com.pexlo.play.ai\"/>", false},
      {"<ExtensionManifest OtherBundleId=\"com.pexlo.play.ai\" xExtensionBundleId=\"com.pexlo.play.ai\">", false},
      {"<ExtensionManifestList ExtensionBundleId=\"com.pexlo.play.ai\">", false},
      {"<Other/><ExtensionManifest ExtensionBundleId=\"com.pexlo.play.ai\">", false},
      {"<ExtensionManifest ExtensionBundleId=\"Com.Pexlo.Play.AI\">", false},
      {"<ExtensionManifest ExtensionBundleId=\"com.pexlo.play.ai \">", false},
      {"<ExtensionManifest ExtensionBundleId=\"com.pexlo.play.ai'>", false},
      {Utf16(ours, false).substr(2), false},  // UTF-16 without its mark
      {"", false},
  };
  for (const auto& [manifest, accepted] : cases) {
    EXPECT_EQ(IsThisBundlesManifest(manifest), accepted) << testing::PrintToString(manifest);
  }
}

// Only the user's own Illustrator is waited for: in this session, or started
// "as administrator" (its session is closed to a standard process, limited
// query rights are not). A caller's job that would end the copy keeps the
// removal in the first process. LocalSystem, service accounts and a user
// other than the desktop's are refused, and so is another logon, which may
// not read the user's shell; no shell, or one that has just ended, refuses
// nothing. The copy waits only for a parent that runs its file and started
// first: an ended parent's id may have gone to a newer process.
TEST(Rules, SessionJobIdentityAndLaunchProcess) {
  EXPECT_TRUE(CountsInThisSession(1, false, 1) && CountsInThisSession(std::nullopt, true, 1) &&
              CountsInThisSession(7, false, std::nullopt));
  EXPECT_FALSE(CountsInThisSession(2, true, 1) || CountsInThisSession(std::nullopt, false, 1));
  // The caller's job: PowerShell's Start-Process -Wait makes one without
  // limits, which Windows reads (the accounting query succeeds) and Wine
  // does not; a job with a limit flag set was read whatever the query said.
  struct Job {
    bool inJob, accountingRead;
    DWORD limits;
    CopyInJob copy;
  };
  constexpr DWORD kKill = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  for (const Job& job : {Job{false, false, kKill, CopyInJob::Free}, Job{true, true, kKill | JOB_OBJECT_LIMIT_SILENT_BREAKAWAY_OK, CopyInJob::Free},
                         Job{true, true, kKill | JOB_OBJECT_LIMIT_BREAKAWAY_OK, CopyInJob::BreakAway},
                         Job{true, true, 0, CopyInJob::StaysIn}, Job{true, false, JOB_OBJECT_LIMIT_ACTIVE_PROCESS, CopyInJob::StaysIn},
                         Job{true, false, kKill, CopyInJob::WouldBeEnded}, Job{true, false, 0, CopyInJob::TryBreakAway}}) {
    EXPECT_EQ(JudgeCallersJob(job.inJob, job.accountingRead, job.limits), job.copy) << job.inJob << job.accountingRead << job.limits;
  }
  const std::wstring user = L"S-1-5-21-1-2-3-1001", admin = L"S-1-5-21-1-2-3-500";
  const ShellOwnerAnswer noShell, usersShell{user}, adminsShell{admin}, denied{L"", ERROR_ACCESS_DENIED},
      justEnded{L"", ERROR_INVALID_PARAMETER};
  for (const wchar_t* service : {L"S-1-5-18", L"S-1-5-19", L"S-1-5-20", L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",
                                 L"S-1-5-83-1-1", L"S-1-5-90-0-1", L"S-1-5-96-0-1"}) {
    EXPECT_TRUE(WrongIdentity(service, noShell).has_value()) << testing::PrintToString(std::wstring(service));
  }
  for (const auto& [own, shell] : {std::pair{admin, usersShell}, {user, adminsShell}, {admin, denied}}) {
    EXPECT_TRUE(WrongIdentity(own, shell).has_value()) << testing::PrintToString(own + L" " + shell.user);
  }
  for (const auto& [own, shell] : {std::pair{user, usersShell}, {user, noShell}, {user, justEnded}, {std::wstring(), usersShell}}) {
    EXPECT_FALSE(WrongIdentity(own, shell).has_value()) << testing::PrintToString(own + L" " + shell.user);
  }
  EXPECT_TRUE(IsLaunchProcess(L"u.exe", 10, L"U.EXE", 11));
  EXPECT_FALSE(IsLaunchProcess(L"u.exe", 12, L"u.exe", 11) || IsLaunchProcess(L"cmd.exe", 10, L"u.exe", 11));
}

// Boxes only where someone may see them. Only a start that asks for SW_HIDE
// (nsExec, which hands its pipes over too) is used up: a minimised or normal
// one would flash a window. A station without WSF_VISIBLE shows nothing; one
// whose flags cannot be read is taken as it comes.
TEST(Rules, BoxesOnlyWhereSomeoneSeesThem) {
  EXPECT_TRUE(IsHiddenStart(STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES, SW_HIDE));
  EXPECT_FALSE(IsHiddenStart(0, SW_HIDE) || IsHiddenStart(STARTF_USESHOWWINDOW, SW_SHOWMINNOACTIVE) ||
               IsHiddenStart(STARTF_USESHOWWINDOW, SW_SHOWNORMAL));
  EXPECT_TRUE(ShowsBoxes(WSF_VISIBLE) && ShowsBoxes(std::nullopt));
  EXPECT_FALSE(ShowsBoxes(0));
}

// Names and file systems the plain form cannot take. Every path the removal
// touches goes to the file system as written, whatever its length: names
// that Windows would read as devices or cut short, and an extdir of 258 or
// 259 characters whose listing pattern passes 260. A link named like the
// extension's folder is only a link, taken without a listing (Windows cannot
// list a dangling junction); nothing else skips it. A folder that is not
// empty yet, or reads as access denied, may go a moment later.
TEST(Rules, WhatTheRemovalMayTakeAsItIsWritten) {
  const std::pair<std::wstring, std::wstring> forms[] = {
      {L"C:\\a\\aux.js", L"\\\\?\\C:\\a\\aux.js"},
      {L"T:/ext//dir.\\space ", L"\\\\?\\T:\\ext\\dir.\\space "},
      {L"\\\\srv\\share\\con.txt", L"\\\\?\\UNC\\srv\\share\\con.txt"},
      {L"C:\\", L"\\\\?\\C:\\"},
      {L"//srv/share/", L"\\\\?\\UNC\\srv\\share\\"},
      {L"name.", L"name."},
      {L"\\\\.\\pipe\\x", L"\\\\.\\pipe\\x"},
  };
  for (const auto& [path, form] : forms) EXPECT_EQ(LongForm(path), form) << testing::PrintToString(path);
  for (size_t length : {258u, 259u}) {
    const std::wstring extdir = L"T:\\" + std::wstring(length - 3, L'e');
    EXPECT_EQ(LongForm(JoinPath(extdir, L"*")), L"\\\\?\\" + extdir + L"\\*");
  }

  const auto seen = [](DWORD attributes) {
    PathLook look;
    look.attributes = attributes;
    return look;
  };
  constexpr DWORD kFolder = FILE_ATTRIBUTE_DIRECTORY, kLink = FILE_ATTRIBUTE_REPARSE_POINT;
  const std::pair<FolderAnswers, FolderVerdict> verdicts[] = {
      {{seen(kFolder | kLink), false, true, false, false}, FolderVerdict::ThisExtension},  // a dangling junction
      {{seen(kFolder), false, true, false, false}, FolderVerdict::CannotLook},
      {{seen(kFolder | kLink), false, false, false, false}, FolderVerdict::Foreign},
      {{seen(kLink), false, true, false, false}, FolderVerdict::Foreign},  // a file link
  };
  for (const auto& [answers, verdict] : verdicts) {
    EXPECT_EQ(JudgeFolder(answers), verdict) << answers.look.attributes << answers.namedAsBundle;
  }

  EXPECT_TRUE(MayGoInAMoment(ERROR_DIR_NOT_EMPTY) && MayGoInAMoment(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(MayGoInAMoment(ERROR_FILE_NOT_FOUND) || MayGoInAMoment(ERROR_WRITE_PROTECT));
}

// Runs side by side: whose turn the removal is from the mutex wait's answer,
// and a work folder that another run may not have started its copy from yet
// (younger than half a minute by its name's tick count) left to the sweep.
TEST(Rules, RunsSideBySide) {
  const std::pair<DWORD, TurnWait> waits[] = {{WAIT_OBJECT_0, TurnWait::Ours}, {WAIT_ABANDONED, TurnWait::Ours},
                                              {WAIT_TIMEOUT, TurnWait::Busy}, {WAIT_FAILED, TurnWait::Unknown}};
  for (const auto& [result, turn] : waits) EXPECT_EQ(JudgeTurnWait(result), turn) << result;
  // The same user's normal and elevated runs may both wait on the turn and release it.
  const std::wstring user = L"S-1-5-21-1-2-3-1001";
  EXPECT_EQ(RemovalTurnSecurity(user), L"D:P(A;;0x00100001;;;" + user + L")S:(ML;;NW;;;ME)");
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(RemovalTurnSecurity(user).c_str(), SDDL_REVISION_1, &descriptor, nullptr));
  BOOL present = FALSE, defaulted = FALSE;
  ACL* dacl = nullptr;
  ACCESS_ALLOWED_ACE* ace = nullptr;
  PSID sid = nullptr;
  ConvertStringSidToSidW(user.c_str(), &sid);
  EXPECT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) && present && dacl->AceCount == 1 &&
              GetAce(dacl, 0, reinterpret_cast<void**>(&ace)) && ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
              ace->Mask == (SYNCHRONIZE | MUTEX_MODIFY_STATE) && EqualSid(&ace->SidStart, sid));
  LocalFree(sid);
  LocalFree(descriptor);
  EXPECT_TRUE(IsOldEnoughToSweep(L"12_1000", 31000) && IsOldEnoughToSweep(L"12_4294967000", 40000) &&
              IsOldEnoughToSweep(L"12_99999999999", 0));
  EXPECT_FALSE(IsOldEnoughToSweep(L"12_1000", 30999) || IsOldEnoughToSweep(L"12_4294967000", 1000) ||
               IsOldEnoughToSweep(L"launch", 90000));
}

// The copy hands only its own work folder to rmdir /s: each refusal alone.
TEST(Rules, OnlyAPlainWorkFolderOfItsOwnIsHandedOver) {
  const std::wstring temp = L"T:\\temp", home = temp + L"\\" + kWorkFolderName;
  EXPECT_TRUE(MayHandOver(home + L"\\12_34", temp, true, true));
  EXPECT_TRUE(MayHandOver(L"t:\\TEMP\\" + std::wstring(kWorkFolderName) + L"\\12_34", temp, true, true));
  // Whatever the user's Command Processor settings: no AutoRun, extensions on, no ! expansion.
  EXPECT_EQ(HandOverLine(L"C:\\Windows\\system32\\cmd.exe", home + L"\\12_34"),
            L"\"C:\\Windows\\system32\\cmd.exe\" /d /e:on /v:off /q /c \"for /l %i in (1,1,5) do (if exist \"" + home +
                L"\\12_34\" (timeout /t 1 /nobreak >nul 2>&1 & rmdir /s /q \"" + home + L"\\12_34\" 2>nul))\"");
  struct Refused {
    std::wstring folder, temp;
    bool folderIsPlain, homeIsPlain;
  };
  for (const Refused& refused : {Refused{home + L"\\12_34", L"", true, true},
                                 Refused{L"T:\\%TEMP%\\" + std::wstring(kWorkFolderName) + L"\\12_34", L"T:\\%TEMP%", true, true},
                                 Refused{L"T:\\other\\" + std::wstring(kWorkFolderName) + L"\\12_34", temp, true, true},
                                 Refused{temp + L"\\12_34", temp, true, true}, Refused{home + L"\\x\\12_34", temp, true, true},
                                 Refused{home + L"\\launch", temp, true, true}, Refused{home + L"\\12_", temp, true, true},
                                 Refused{home + L"\\12_34", temp, false, true}, Refused{home + L"\\12_34", temp, true, false}}) {
    EXPECT_FALSE(MayHandOver(refused.folder, refused.temp, refused.folderIsPlain, refused.homeIsPlain))
        << testing::PrintToString(refused.folder + L" in " + refused.temp) << refused.folderIsPlain << refused.homeIsPlain;
  }
}

// What a removal left goes to rmdir, deepest first, only when it is nothing
// but emptied folders that a process holds (a sharing violation) and the
// folders above them; anything else stays, and is named.
TEST(Rules, OnlyEmptiedFoldersThatAProcessHoldsGoToTheHelper) {
  const std::wstring ext = L"T:\\a\\com.pexlo.play.ai", sub = ext + L"\\uninstall";
  const DWORD folder = FILE_ATTRIBUTE_DIRECTORY;
  const LeftEntry held{sub, folder, ERROR_SHARING_VIOLATION}, top{ext, folder, ERROR_DIR_NOT_EMPTY};
  EXPECT_EQ(WhyNotHandOverEmptiedFolders({held, top}), L"");
  EXPECT_EQ(WhyNotHandOverEmptiedFolders({{ext, folder, ERROR_SHARING_VIOLATION}}), L"");
  EXPECT_EQ(EmptiedFoldersCommand({held, top}), L"for /l %i in (1,1,60) do (if exist \"" + ext +
                                                    L"\" (timeout /t 1 /nobreak >nul 2>&1 & rmdir \"" + sub +
                                                    L"\" 2>nul & rmdir \"" + ext + L"\" 2>nul))");
  const std::pair<std::vector<LeftEntry>, std::wstring> refused[] = {
      {{}, L"nothing"},
      {{{sub + L"\\a.js", FILE_ATTRIBUTE_NORMAL, 0}, top}, L"a file: " + sub + L"\\a.js"},
      {{{sub, folder | FILE_ATTRIBUTE_REPARSE_POINT, 0}, top}, L"a link: " + sub},
      {{{sub, INVALID_FILE_ATTRIBUTES, ERROR_ACCESS_DENIED}, top}, L"a folder that cannot be listed: " + sub},
      {{{sub, folder, ERROR_ACCESS_DENIED}, top}, L"a folder whose removal is refused (error 5): " + sub},
      {{{ext + L"\\%x%", folder, ERROR_SHARING_VIOLATION}, top}, L"a folder that cmd cannot name: " + ext + L"\\%x%"},
      {{{ext + L"\\dir.", folder, ERROR_SHARING_VIOLATION}, top}, L"a folder that cmd cannot name: " + ext + L"\\dir."},
      {{{ext + L"\\" + std::wstring(MAX_PATH, L'x'), folder, ERROR_SHARING_VIOLATION}, top},
       L"a folder that cmd cannot name: " + ext + L"\\" + std::wstring(MAX_PATH, L'x')},
      {std::vector<LeftEntry>(200, held), L"more folders than one command can name"}};
  for (const auto& [left, why] : refused) EXPECT_EQ(WhyNotHandOverEmptiedFolders(left), why);
}

// A launch executable goes back only to where its record says, and only from
// a record as the program writes it, naming a place inside the extension.
TEST(Rules, ALaunchRecordNamesAPlaceInsideTheExtension) {
  const std::wstring ext = L"T:\\a\\com.pexlo.play.ai", from = ext + L"\\uninstall\\u.exe";
  const auto record = ParseLaunchRecord(from + L"\r\n" + ext + L"\r\n33\r\n");
  ASSERT_TRUE(record);
  EXPECT_TRUE(record->from == from && record->extensionFolder == ext && record->attributes == 33);
  for (const std::wstring& text : {ext + L"2\\u.exe\r\n" + ext + L"\r\n33\r\n", ext + L"\r\n" + ext + L"\r\n33\r\n",
                                  ext + L"\\..\\u.exe\r\n" + ext + L"\r\n33\r\n", L"u.exe\r\n" + ext + L"\r\n33\r\n",
                                  from + L"\r\n" + ext + L"\r\n33", from + L"\r\n" + ext + L"\r\n3x\r\n",
                                  from + L"\r\n" + ext + L"\r\n33\r\nmore\r\n"}) {
    EXPECT_FALSE(ParseLaunchRecord(text)) << testing::PrintToString(text);
  }
}
