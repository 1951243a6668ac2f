#pragma once
// The five pictures drawn beside widgets whose hot key is an arrow or RETURN,
// shared by every sprite scene of the process.

#include <array>
#include <memory>
#include <string>

class Texture;

enum class HotKeyIcon { Left = 0, Up = 1, Right = 2, Down = 3, Enter = 4 };

// Loads "%s%s" of dir and each name, in the order LEFT, UP, RIGHT, DOWN,
// ENTER, scaled by the display factor; an empty name leaves its slot empty.
void SetHotKeyIcons(const std::u16string& dir, const std::array<std::u16string, 5>& names);
// The icon of a key code (the four arrows and RETURN), or null.
Texture* HotKeyIconFor(int keyCode);
void ReleaseHotKeyIcons();
