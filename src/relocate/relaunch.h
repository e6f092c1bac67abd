#pragma once
#include <string>

#include "common/arguments.h"
#include "common/handles.h"

// Stage 1: copies this executable into a fresh work folder under %TEMP% and
// starts the copy with stage=2. True when the copy was started and this
// process must end (with wait=1: once outcome, the read end of the copy's
// report pipe, has delivered); false when this process is the copy or the
// relaunch failed, and the removal must run here.
bool RelaunchFromTemp(const Arguments& arguments, const std::wstring& extensionFolder, KernelHandle& outcome);

// The value in double quotes, written so that the C runtime's command-line
// splitting gives back exactly the value.
std::wstring QuoteArgument(const std::wstring& value);

// The copy's command line: its path, then extdir, stage=2, origdir and, when
// given, lang, silent and outcome; each value such that the copy's
// GetArgValue returns it as is.
std::wstring BuildRelaunchLine(const std::wstring& copyPath, const std::wstring& extensionFolder,
                               const std::wstring& launchFolder, const Arguments& arguments,
                               const std::wstring& outcomeHandle);

// <temp>\PexloPlayAiUninstall\<process id>_<tick count>\ .
std::wstring WorkFolderPath(const std::wstring& tempFolder, unsigned long processId, unsigned long tickCount);

// Creates the folder and any missing folders above it. True when it (or a
// file of that name) exists afterwards; false, creating nothing, for a path
// of 260 characters or more.
bool CreateDirectoryTree(const std::wstring& path);
