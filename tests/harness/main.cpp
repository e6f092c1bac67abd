#include <iostream>

#include "driver/host_wait.h"
#include "support.h"

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  // The tests start and end stand-in hosts and wait for Illustrator.exe: a
  // real one would be waited for, and stopped neither.
  if (IsHostRunning()) {
    std::cout << "Illustrator.exe is running: close it, then run the tests again." << std::endl;
    return 1;
  }
  testing::AddGlobalTestEnvironment(new SavedCsxsValues);
  const int result = RUN_ALL_TESTS();
  std::cout << "Checks skipped here: " << SkippedChecks() << "." << std::endl;
  return result;
}
