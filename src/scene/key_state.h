#pragma once
// The bit mask of keys held, which the game reads once per frame.

#include <cstdint>

namespace key_bits {
constexpr uint32_t Up = 0x1;
constexpr uint32_t Down = 0x2;
constexpr uint32_t Left = 0x4;
constexpr uint32_t Right = 0x8;
constexpr uint32_t Delete = 0x10;
constexpr uint32_t End = 0x20;
constexpr uint32_t Space = 0x40;
constexpr uint32_t Action = 0x80;
constexpr uint32_t PageUp = 0x100;
constexpr uint32_t PageDown = 0x200;
constexpr uint32_t Home = 0x400;
constexpr uint32_t Insert = 0x800;
constexpr uint32_t ButtonA = 0x2000;
constexpr uint32_t ButtonB = 0x4000;
constexpr uint32_t ButtonC = 0x8000;
constexpr uint32_t ButtonStart = 0x10000;
constexpr uint32_t Directions = Up | Down | Left | Right;
}  // namespace key_bits

// The device's own action key, beside RETURN.
constexpr int kDeviceActionKey = 134;

using KeyState = uint32_t;

// The bit of a key code, or 0. The four hardware buttons count only while
// direct device input is open.
uint32_t KeyBitFor(int keyCode);
