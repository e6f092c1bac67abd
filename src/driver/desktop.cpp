#include "driver/desktop.h"

bool IsHiddenStart(DWORD startupFlags, WORD showWindow) {
  return (startupFlags & STARTF_USESHOWWINDOW) != 0 && showWindow == SW_HIDE;
}

void UseUpHiddenStart() {
  STARTUPINFOW startup = {};
  GetStartupInfoW(&startup);
  if (!IsHiddenStart(startup.dwFlags, startup.wShowWindow)) return;
  const HWND window =
      CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  if (!window) return;  // the first box may then open hidden, as it would have
  ShowWindow(window, SW_SHOWDEFAULT);
  DestroyWindow(window);
}

bool ShowsBoxes(std::optional<DWORD> windowStationFlags) {
  return !windowStationFlags || (*windowStationFlags & WSF_VISIBLE) != 0;
}

bool ThisWindowStationShowsBoxes() {
  USEROBJECTFLAGS flags = {};  // Wine writes dwFlags only
  const bool read = GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof(flags), nullptr);
  return ShowsBoxes(read ? std::optional<DWORD>(flags.dwFlags) : std::nullopt);
}
