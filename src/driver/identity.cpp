#include "driver/identity.h"

#include <sddl.h>

#include <vector>

#include "common/handles.h"

namespace {

constexpr wchar_t kLocalSystem[] = L"S-1-5-18";

// LocalService, NetworkService, and service, virtual machine, window
// manager and font driver accounts: their profile is no person's.
bool IsServiceAccount(const std::wstring& user) {
  if (user == L"S-1-5-19" || user == L"S-1-5-20") return true;
  for (const wchar_t* authority : {L"S-1-5-80-", L"S-1-5-83-", L"S-1-5-90-", L"S-1-5-96-"}) {
    if (user.rfind(authority, 0) == 0) return true;
  }
  return false;
}

ShellOwnerAnswer Failed() { return {L"", GetLastError()}; }

// The user of a process's token as a string SID.
ShellOwnerAnswer UserOf(HANDLE process) {
  KernelHandle token;
  if (!OpenProcessToken(process, TOKEN_QUERY, token.put())) return Failed();
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);  // fails by design: it gives the size
  std::vector<char> buffer(size);
  wchar_t* text = nullptr;
  if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size) ||
      !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
    return Failed();
  }
  const std::wstring user = text;
  LocalFree(text);
  return {user, 0};
}

ShellOwnerAnswer ShellOwner() {
  DWORD processId = 0;
  const HWND shell = GetShellWindow();
  if (!shell || !GetWindowThreadProcessId(shell, &processId)) return {};
  KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  return process ? UserOf(process.get()) : Failed();
}

}  // namespace

std::optional<std::wstring> WrongIdentity(const std::wstring& ownUser, const ShellOwnerAnswer& shell) {
  if (ownUser == kLocalSystem) return L"[Refused] Running as LocalSystem, not as the user: nothing removed.";
  if (IsServiceAccount(ownUser)) return L"[Refused] Running as the service account " + ownUser + L", not as the user: nothing removed.";
  if (shell.error == ERROR_ACCESS_DENIED) {
    return L"[Refused] Running as " + ownUser + L", not as the desktop's user, whose shell it may not read (access denied): nothing removed.";
  }
  if (!shell.user.empty() && !ownUser.empty() && shell.user != ownUser) {
    return L"[Refused] Running as " + ownUser + L", not as the desktop's user " + shell.user + L": nothing removed.";
  }
  return std::nullopt;
}

std::optional<std::wstring> WrongIdentityOfThisProcess() {
  return WrongIdentity(OwnUserSid(), ShellOwner());
}

std::wstring OwnUserSid() { return UserOf(GetCurrentProcess()).user; }
