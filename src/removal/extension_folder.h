#pragma once
#include <string>

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
