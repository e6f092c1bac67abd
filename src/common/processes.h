#pragma once
#include <windows.h>
#include <tlhelp32.h>

#include <optional>

#include "common/handles.h"

// The first entry of a fresh process list for which matches(entry) holds;
// none when there is none or the list cannot be read.
template <typename Matches>
std::optional<PROCESSENTRY32W> FindProcess(Matches matches) {
  SnapshotHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return std::nullopt;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  if (!Process32FirstW(snapshot.get(), &entry)) return std::nullopt;
  do {
    if (matches(entry)) return entry;
  } while (Process32NextW(snapshot.get(), &entry));
  return std::nullopt;
}
