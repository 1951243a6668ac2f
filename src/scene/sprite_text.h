#pragma once
// The text of a sprite: with the bitmap font of its state when the text suits
// one, otherwise with a system font made from the sprite's text attributes.

#include "platform/frame_buffer.h"
#include "platform/host/device_context.h"

class Sprite;

// Draws the sprite's text for the sprite placed at (x, y) on the target, or on
// the device context when there is no target.
void DrawSpriteText(Sprite& sprite, FrameBuffer* target, host::DeviceContext* dc, int x, int y);
