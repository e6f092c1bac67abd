#include "removal/emptied_folders.h"

#include "common/cmd_helper.h"
#include "common/decimal.h"
#include "common/folders.h"
#include "common/paths.h"
#include "log/log.h"

namespace {

// A caller usually leaves within a second or two of the program's end; an
// installer may go on with other work for a while.
constexpr int kHelperTries = 60;
// cmd takes command lines of up to 8,191 characters.
constexpr size_t kLongestCommand = 8000;

// Post-order: what lies in a folder before the folder. Each folder's removal
// is tried again here, so that what has been let go meanwhile goes now.
void CollectLeft(const std::wstring& folder, DWORD attributes, std::vector<LeftEntry>& left) {
  if (IsFolder(attributes) && !IsLink(attributes)) {
    const bool listed = ForEachEntry(folder, [&left](const std::wstring& path, const std::wstring&, DWORD entry) {
      CollectLeft(path, entry, left);
      return true;
    });
    if (!listed) attributes = INVALID_FILE_ATTRIBUTES;
  }
  const bool removed = IsFolder(attributes) && !IsLink(attributes) && RemoveDirectoryW(LongForm(folder).c_str());
  if (!removed) left.push_back({folder, attributes, GetLastError()});
}

}  // namespace

std::wstring WhyNotHandOverEmptiedFolders(const std::vector<LeftEntry>& left) {
  for (size_t index = 0; index < left.size(); ++index) {
    const LeftEntry& entry = left[index];
    const bool holdsSomething = index > 0 && IsInsideFolder(left[index - 1].path, entry.path);
    if (entry.attributes == INVALID_FILE_ATTRIBUTES) return L"a folder that cannot be listed: " + entry.path;
    if (IsLink(entry.attributes)) return L"a link: " + entry.path;
    if (!IsFolder(entry.attributes)) return L"a file: " + entry.path;
    if (!holdsSomething && entry.removalError != ERROR_SHARING_VIOLATION) {
      return L"a folder whose removal is refused (error " + Decimal(entry.removalError) + L"): " + entry.path;
    }
    if (entry.path.size() >= MAX_PATH || entry.path.find(L'%') != std::wstring::npos || !IsPlainPathBelowRoot(entry.path)) {
      return L"a folder that cmd cannot name: " + entry.path;
    }
  }
  if (left.empty()) return L"nothing";
  if (EmptiedFoldersCommand(left).size() > kLongestCommand) return L"more folders than one command can name";
  return L"";
}

std::wstring EmptiedFoldersCommand(const std::vector<LeftEntry>& left) {
  std::wstring removals;
  for (const LeftEntry& entry : left) removals += L" & rmdir \"" + entry.path + L"\" 2>nul";
  return L"for /l %i in (1,1," + Decimal(kHelperTries) + L") do (if exist \"" + left.back().path +
         L"\" (timeout /t 1 /nobreak >nul 2>&1" + removals + L"))";
}

bool HandOverEmptiedFolders(const std::wstring& folder) {
  const PathLook look = LookAt(folder);
  if (look.absent) return true;  // gone meanwhile
  std::vector<LeftEntry> left;
  if (look.Exists()) CollectLeft(folder, look.attributes, left);
  if (look.Exists() && left.empty()) return true;  // let go meanwhile: gone now
  const std::wstring why = look.Exists() ? WhyNotHandOverEmptiedFolders(left) : L"it cannot be looked at";
  if (why.empty() && StartCmdHelper(EmptiedFoldersCommand(left))) {
    WriteLog(L"[Delete] Emptied folders handed to cmd.exe for removal once they are free (the current folder of a "
             L"running process, maybe the caller's): " + folder);
    return true;
  }
  WriteLog(L"[Delete] Left in the extension's folder, " + (why.empty() ? L"and cmd.exe could not be started" : why));
  return false;
}
