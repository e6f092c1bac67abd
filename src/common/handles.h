#pragma once
#include <windows.h>

// Small owners for the platform handles the program opens, so that none
// outlives the function that opened it.

struct FileHandle {
  HANDLE value;
  explicit FileHandle(HANDLE h) : value(h) {}
  ~FileHandle() { if (IsValid()) CloseHandle(value); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool IsValid() const { return value != INVALID_HANDLE_VALUE && value != nullptr; }
};

struct FindHandle {
  HANDLE value;
  explicit FindHandle(HANDLE h) : value(h) {}
  ~FindHandle() { if (IsValid()) FindClose(value); }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  bool IsValid() const { return value != INVALID_HANDLE_VALUE; }
};

struct RegistryKey {
  HKEY value = nullptr;
  RegistryKey() = default;
  ~RegistryKey() { if (value) RegCloseKey(value); }  // result of no interest
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
};
