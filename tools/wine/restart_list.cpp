// Makes the build's prefix refuse requests to delete a file at the next
// restart, as Windows refuses them to a standard user, or grant them again:
//   restart-list.exe refuse|grant
// Such a request is a value under the key below, so the key's security
// decides. Wine keeps a key's security only while its server runs:
// tools/wine/start.sh runs this once the run's server is up.
#include <windows.h>
#include <sddl.h>

#include <cwchar>

#include "common/handles.h"

int wmain(int argc, wchar_t** argv) {
  const bool refuse = argc == 2 && std::wcscmp(argv[1], L"refuse") == 0;
  if (!refuse && !(argc == 2 && std::wcscmp(argv[1], L"grant") == 0)) return 2;
  RegistryKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager", 0,
                    WRITE_DAC | READ_CONTROL, key.put()) != ERROR_SUCCESS) {
    return 1;
  }
  PSECURITY_DESCRIPTOR security = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
          refuse ? L"D:P(A;CI;KR;;;WD)(A;CI;KR;;;BA)(A;CI;KR;;;SY)" : L"D:P(A;CI;KA;;;WD)", SDDL_REVISION_1, &security,
          nullptr)) {
    return 1;
  }
  const LONG result = RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, security);
  LocalFree(security);
  return result == ERROR_SUCCESS ? 0 : 1;
}
