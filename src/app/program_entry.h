#pragma once
// The program entry: memory check, start-up, the first screen, the loop.

#include <string>

// The loop's exit code; 0 when start-up is refused, 1 when the resources are missing.
int ProgramEntry(const std::u16string& commandLine);
