#pragma once

// Deletes PlayerDebugMode under HKCU\Software\Adobe\CSXS.9 to CSXS.13 and logs
// each value actually removed. Nothing else in those keys is touched.
void ClearCepDebugMode();
