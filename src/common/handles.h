#pragma once
#include <windows.h>

#include <cstdint>
#include <utility>

// Owns one platform handle and closes it when it goes out of scope, so that no
// handle outlives the function that opened it. Close is the call that closes
// this kind of handle (its result is of no interest: nothing could be done
// about a failed close); Invalid is what the opening call returns on failure.
template <typename T, auto Close, std::intptr_t Invalid>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(T value) : value_(value) {}
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != InvalidValue(); }
  T release() { return std::exchange(value_, InvalidValue()); }
  // Keeps the last error of the call that failed before it: a holder that
  // closes on the way out of a failure never hides why it failed.
  void reset(T value = InvalidValue()) {
    if (*this) {
      const DWORD error = GetLastError();
      Close(value_);
      SetLastError(error);
    }
    value_ = value;
  }
  // For calls that hand the new handle back through a pointer.
  T* put() {
    reset();
    return &value_;
  }

 private:
  static T InvalidValue() { return reinterpret_cast<T>(Invalid); }
  T value_ = InvalidValue();
};

using FileHandle = UniqueHandle<HANDLE, CloseHandle, -1>;      // CreateFileW
using SnapshotHandle = UniqueHandle<HANDLE, CloseHandle, -1>;  // CreateToolhelp32Snapshot
using FindHandle = UniqueHandle<HANDLE, FindClose, -1>;        // FindFirstFileW
using KernelHandle = UniqueHandle<HANDLE, CloseHandle, 0>;     // processes, threads, pipes
using RegistryKey = UniqueHandle<HKEY, RegCloseKey, 0>;        // RegOpenKeyExW

// The two handles that CreateProcessW hands back; the thread's closes first.
struct ProcessHandles {
  ProcessHandles() = default;
  explicit ProcessHandles(const PROCESS_INFORMATION& started)
      : process(started.hProcess), thread(started.hThread), id(started.dwProcessId) {}
  KernelHandle process;
  KernelHandle thread;  // declared last, so closed first
  DWORD id = 0;
};
