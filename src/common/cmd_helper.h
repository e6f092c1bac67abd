#pragma once
#include <string>

// A command that cmd.exe runs after the program has ended: no window,
// nothing inherited, the system folder as its current folder (a process's
// current folder cannot be removed), no AutoRun, and command extensions on
// and delayed expansion off whatever the user's Command Processor settings
// say (its loops need the one; with the other a ! in a path would be read).
std::wstring CmdHelperLine(const std::wstring& cmd, const std::wstring& command);

// Starts it; false when it could not be started.
bool StartCmdHelper(const std::wstring& command);
