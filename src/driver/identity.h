#pragma once
#include <optional>
#include <string>

// Why the program must not act for the user whose desktop it runs on, if so:
// as LocalSystem (a deployment agent) or as another user than the owner of
// the desktop's shell (credentials typed into a UAC prompt), %APPDATA% and
// HKEY_CURRENT_USER are not that user's. Users as string SIDs; an empty shell
// owner (no shell found, or its owner cannot be read) refuses nothing.
std::optional<std::wstring> WrongIdentity(const std::wstring& ownUser, const std::wstring& shellOwner);

// The same for this process: its own user, and the owner of the desktop's shell.
std::optional<std::wstring> WrongIdentityOfThisProcess();
