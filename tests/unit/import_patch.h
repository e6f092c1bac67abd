#pragma once
// Replaces one imported platform function of this test executable while the
// object lives. The program's code is linked into the test executable, so its
// calls go through the same import slots: a test can stand in for a platform
// call that would otherwise start a process or depend on the machine.
#include <windows.h>

class ImportPatch {
 public:
  ImportPatch(const char* function, void* replacement);
  ~ImportPatch();
  ImportPatch(const ImportPatch&) = delete;
  ImportPatch& operator=(const ImportPatch&) = delete;

  template <typename F>
  F Original() const { return reinterpret_cast<F>(original_); }

 private:
  void** slot_ = nullptr;
  void* original_ = nullptr;
};
