#pragma once
#include <string>

// Deletes the folder and everything in it: one silent shell delete, and when
// that fails, or when a link lies below the folder, a pass by hand that never
// follows a link; a held file is tried again for about two seconds in all,
// then handed to the deletion at the next restart. A folder that is itself a
// link loses only the link. True only when the folder is gone (or the system
// says it was never there); a folder that cannot be looked at is never touched.
bool RemoveExtensionDir(const std::wstring& folder);

// The pass by hand over one folder, as RemoveExtensionDir makes it: files
// deleted or scheduled, sub-folders removed as a whole, links removed as
// links, then the folder itself, its read-only attribute cleared first. True
// when the folder is gone afterwards.
bool RemoveFolderByHand(const std::wstring& folder);

// Clears the file's attributes and deletes it; when it is locked or in use,
// asks the system to delete it at the next restart. Failures are absorbed.
void DeleteOrScheduleFile(const std::wstring& path);
