#include "removal/debug_mode.h"

#include <windows.h>

#include <string>

#include "common/handles.h"
#include "common/names.h"
#include "log/log.h"

void ClearCepDebugMode() {
  for (int version = kFirstCsxsVersion; version <= kLastCsxsVersion; ++version) {
    const std::wstring keyName = CsxsKey(version);
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyName.c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) {
      continue;  // absent or not writable: nothing to do for this version
    }
    if (RegDeleteValueW(key.get(), L"PlayerDebugMode") == ERROR_SUCCESS) {
      WriteLog(L"[Registry] Removed PlayerDebugMode from " + keyName);
    }
  }
}
