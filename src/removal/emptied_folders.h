#pragma once
#include <windows.h>

#include <string>
#include <vector>

// A folder that a running process has as its current folder cannot be
// removed: a caller that sits in the extension's folder (a .bat beside the
// program, an installer after SetOutPath) keeps it, emptied, for as long as
// it runs. Such folders are handed to a helper that removes them, and only
// while they are empty, once they are free.

// What the removal left of the extension's folder, deepest first, the folder
// itself last: each entry's attributes (INVALID_FILE_ATTRIBUTES for a folder
// that could not be listed) and the error its removal gives now.
struct LeftEntry {
  std::wstring path;
  DWORD attributes;
  DWORD removalError;
};

// Why what is left cannot go to the helper, as the log says it; empty when
// it may: nothing but plain folders, the empty ones refused only as held
// (a sharing violation), the others holding folders only, every path one
// that cmd reads as it is (a plain path, no %, shorter than MAX_PATH), and a command line
// that fits.
std::wstring WhyNotHandOverEmptiedFolders(const std::vector<LeftEntry>& left);

// The helper's command: rmdir without /s, deepest first, a second apart,
// until the last folder is gone or its tries are spent.
std::wstring EmptiedFoldersCommand(const std::vector<LeftEntry>& left);

// After a removal that failed: hands what is left to the helper when it may
// go there, and logs which folder was handed over and why, or what is left
// and why it stays. True when the helper took it.
bool HandOverEmptiedFolders(const std::wstring& folder);
