#pragma once
#include <string>

// True when nothing exists at the path (there is nothing to delete), or when
// it is this extension's folder: a folder named com.pexlo.play.ai (in any
// case), or one whose CSXS\manifest.xml names com.pexlo.play.ai. Any other
// folder, and any file, must never be handed to the removal.
bool IsRemovableExtensionFolder(const std::wstring& folder);
