#pragma once

// Returns once no Illustrator.exe runs, or after a little over two minutes.
void WaitForHostExit();

// In the relaunched copy: returns once the process that started it (stage 1,
// running the launch executable) has ended, or after five seconds at most.
void WaitForLaunchProcessExit();
