#include "removal/debug_mode.h"

#include <windows.h>

#include <string>

#include "common/handles.h"
#include "common/paths.h"
#include "log/log.h"

void ClearCepDebugMode() {
  for (unsigned long version = 9; version <= 13; ++version) {
    const std::wstring keyName = L"Software\\Adobe\\CSXS." + DecimalText(version);
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyName.c_str(), 0, KEY_SET_VALUE, &key.value) != ERROR_SUCCESS) {
      key.value = nullptr;
      continue;  // absent or not writable: nothing to do for this version
    }
    if (RegDeleteValueW(key.value, L"PlayerDebugMode") == ERROR_SUCCESS) {
      WriteLog(L"[Registry] Removed PlayerDebugMode from " + keyName);
    }
  }
}
