#pragma once

// Whether an Illustrator.exe runs (a process list that cannot be read says no).
bool IsHostRunning();

// Returns once no Illustrator.exe runs, or after a little over two minutes.
void WaitForHostExit();
