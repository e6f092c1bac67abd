#include "driver/identity.h"

#include <windows.h>
#include <sddl.h>

#include <vector>

#include "common/handles.h"

namespace {

constexpr wchar_t kLocalSystem[] = L"S-1-5-18";

// The user of a process's token as a string SID; empty when it cannot be read.
std::wstring UserOf(HANDLE process) {
  KernelHandle token;
  if (!OpenProcessToken(process, TOKEN_QUERY, token.put())) return L"";
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::vector<char> buffer(size);
  wchar_t* text = nullptr;
  if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size) ||
      !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
    return L"";
  }
  const std::wstring user = text;
  LocalFree(text);
  return user;
}

std::wstring ShellOwner() {
  DWORD processId = 0;
  const HWND shell = GetShellWindow();
  if (!shell || !GetWindowThreadProcessId(shell, &processId)) return L"";
  KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  return process ? UserOf(process.get()) : L"";
}

}  // namespace

std::optional<std::wstring> WrongIdentity(const std::wstring& ownUser, const std::wstring& shellOwner) {
  if (ownUser == kLocalSystem) return L"[Refused] Running as LocalSystem, not as the user: nothing removed.";
  if (!shellOwner.empty() && !ownUser.empty() && shellOwner != ownUser) {
    return L"[Refused] Running as " + ownUser + L", not as the desktop's user " + shellOwner + L": nothing removed.";
  }
  return std::nullopt;
}

std::optional<std::wstring> WrongIdentityOfThisProcess() { return WrongIdentity(UserOf(GetCurrentProcess()), ShellOwner()); }
