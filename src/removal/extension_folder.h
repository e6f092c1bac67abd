#pragma once
#include <string>

#include "common/paths.h"

// What the removal may do with the folder an extdir names.
enum class FolderVerdict {
  Absent,         // nothing there, on a drive or share that answers: nothing to delete
  ThisExtension,  // this extension's folder, which can be looked into
  Foreign,        // a file, or a folder that is not this extension's: never touched
  CannotLook,     // may be there, but it (or its drive) cannot be looked at or into: never touched
};

// This extension's folder is named com.pexlo.play.ai (in any case) or holds a
// CSXS\manifest.xml of this bundle; a manifest that cannot be read proves
// nothing.
FolderVerdict JudgeExtensionFolder(const std::wstring& folder);

// What the system answered about that folder. "Not found" counts only where
// its drive or share answers: an unmapped drive letter (an elevated process
// does not see the user's) or a share that is offline says "not found" of
// everything on it. A link named like the folder is only a link: the removal
// takes the link itself, so what it points at is never listed (Windows sees
// a dangling junction, which cannot be listed, and removes it).
struct FolderAnswers {
  PathLook look;
  bool rootAnswers = false;
  bool namedAsBundle = false;
  bool holdsManifest = false;
  bool canBeListed = false;
};
FolderVerdict JudgeFolder(const FolderAnswers& answers);
