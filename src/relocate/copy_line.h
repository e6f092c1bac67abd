#pragma once
#include <windows.h>

#include <string>

#include "common/arguments.h"

// The value in double quotes, written so that the C runtime's command-line
// splitting gives back exactly the value.
std::wstring QuoteArgument(const std::wstring& value);

// The copy's command line: its path, then extdir, stage=2, origdir and, when
// given, lang, silent and outcome (the pipe handle it reports through); each
// value such that the copy reads it back as it is.
std::wstring BuildRelaunchLine(const std::wstring& copyPath, const std::wstring& launchFolder,
                               const Arguments& arguments, HANDLE outcomePipe);

// <temp>\PexloPlayAiUninstall, where every run's work folder lies.
std::wstring WorkFoldersHome(const std::wstring& tempFolder);

// <temp>\PexloPlayAiUninstall\<process id>_<tick count>.
std::wstring WorkFolderPath(const std::wstring& tempFolder, unsigned long processId, unsigned long tickCount);
