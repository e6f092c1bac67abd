#pragma once
#include <string>

// Appends the line and CR LF, as UTF-16LE, to PexloPlayAiUninstall.log in the
// user's temporary folder. Best effort: a line that cannot be written is lost
// and the caller never hears of it.
void WriteLog(const std::wstring& line);
