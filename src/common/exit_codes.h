#pragma once

// The exit codes a caller can see.
constexpr int kExitRemoved = 0;  // also: the relaunched copy was started (without wait=1)
constexpr int kExitNotRemoved = 1;
constexpr int kExitBadCommandLine = 2;
