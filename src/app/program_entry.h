#pragma once
// The program entry: memory check, start-up, the first screen, the loop.

#include <string>

int ProgramEntry(const std::u16string& commandLine);
