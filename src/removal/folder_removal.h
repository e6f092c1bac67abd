#pragma once
#include <string>

// Deletes the folder and everything in it: one silent shell delete, and when
// that fails a pass by hand that schedules locked files for deletion at the
// next restart. True only when the folder is gone (or the system says it was
// never there); a folder that cannot be looked at is never touched.
bool RemoveExtensionDir(const std::wstring& folder);

// The pass by hand over one folder: files deleted or scheduled, sub-folders
// given to RemoveExtensionDir, links removed as links and never followed,
// then the folder itself removed, its read-only attribute cleared first. True
// when the folder is gone afterwards.
bool RemoveFolderByHand(const std::wstring& folder);

// Clears the file's attributes and deletes it; when it is locked or in use,
// asks the system to delete it at the next restart. Failures are absorbed.
void DeleteOrScheduleFile(const std::wstring& path);
