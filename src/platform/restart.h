#pragma once
// Every level, and every return to the introduction, runs in a fresh process.
// The running instance shows "Loading ...", marks its main window for
// destruction and starts its successor, which destroys the marked window when
// it creates its own; that ends this process.

#include <string>

#include "platform/window.h"

// True once the successor runs. False when it could not be started: the player
// is told, and this instance keeps its window and goes on running.
bool RestartProgram(Window& window, const std::u16string& arguments);
