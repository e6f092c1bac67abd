#include "common/cmd_helper.h"

#include <windows.h>

#include "common/handles.h"
#include "common/paths.h"

std::wstring CmdHelperLine(const std::wstring& cmd, const std::wstring& command) {
  return L"\"" + cmd + L"\" /d /e:on /v:off /q /c \"" + command + L"\"";
}

bool StartCmdHelper(const std::wstring& command) {
  const std::wstring system = GetSystemFolder();
  if (system.empty()) return false;
  const std::wstring cmd = JoinPath(system, L"cmd.exe");
  std::wstring line = CmdHelperLine(cmd, command);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(cmd.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, system.c_str(), &startup,
                      &started)) {
    return false;
  }
  const ProcessHandles helper(started);
  return true;
}
