#pragma once
// Small services over the host: the start-up memory check, the program's own
// path, the last error's text, version and maker facts, special folders.

#include <string>

#include "platform/host/win_types.h"

struct OsVersion {
    int major = 0;
    int minor = 0;
    int build = 0;
};

// 6 (Yes) when `requiredMB` megabytes are free, else the user's answer to the
// warning: 6 to go on, 7 to stop.
int CheckFreeMemory(host::WindowHandle owner, float requiredMB);
// The warning's text for the given program name and amounts.
std::u16string MemoryWarningText(const std::u16string& programName, float requiredMB, float freeMB);

// The program's folder with its trailing separator; the whole path when it has none.
std::u16string GetModuleFolder();
std::u16string GetModuleFileNameOnly();
// Either part of a path, split after its last "/" or "\".
std::u16string FolderOfPath(const std::u16string& path);
std::u16string FileNameOfPath(const std::u16string& path);

void ShowLastError();
OsVersion GetOsVersion();
std::u16string GetOemInfo();
// A special folder by its shell id, created when missing, ending in "/";
// 5 is the user's documents.
std::u16string GetSpecialFolder(int folderId);
[[noreturn]] void ExitCurrentThread(int code);
