#include "removal/debug_mode.h"

#include <windows.h>

#include <string>

#include "common/handles.h"
#include "log/log.h"

void ClearCepDebugMode() {
  for (int version = 9; version <= 13; ++version) {
    const std::wstring keyName = L"Software\\Adobe\\CSXS." + std::to_wstring(version);
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyName.c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) {
      continue;  // absent or not writable: nothing to do for this version
    }
    if (RegDeleteValueW(key.get(), L"PlayerDebugMode") == ERROR_SUCCESS) {
      WriteLog(L"[Registry] Removed PlayerDebugMode from " + keyName);
    }
  }
}
