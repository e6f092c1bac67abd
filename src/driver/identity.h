#pragma once
#include <windows.h>

#include <optional>
#include <string>

// What Windows answered when asked for the owner of the desktop's shell:
// its user as a string SID, or why it could not be read. Nothing at all
// (no user, no error): no shell runs on this desktop.
struct ShellOwnerAnswer {
  std::wstring user;
  DWORD error = 0;
};

// Why the program must not act for the user whose desktop it runs on, if so:
// as LocalSystem or another service account (a deployment agent), or as
// another user than the owner of the desktop's shell (credentials typed into
// a UAC prompt, "Run as different user"), %APPDATA% and HKEY_CURRENT_USER are
// not that user's. Another logon may not open the user's shell at all: a
// shell that denies it access is another user's. Users as string SIDs; no
// shell, or one that has just ended, refuses nothing.
std::optional<std::wstring> WrongIdentity(const std::wstring& ownUser, const ShellOwnerAnswer& shell);

// The same for this process: its own user, and the owner of the desktop's shell.
std::optional<std::wstring> WrongIdentityOfThisProcess();

// This process's user as a string SID; empty when it cannot be read.
std::wstring OwnUserSid();
