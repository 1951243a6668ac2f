#pragma once
// The 2D scene: a rectangle with an optional background colour or picture,
// holding sprites that it draws in order, later ones on top.

#include <cstdint>

#include "scene/scene.h"

class Sprite;
class SceneSprite;

class FocusListener {
public:
    virtual ~FocusListener() = default;
    virtual void focusChanged(Sprite* oldFocus, Sprite* newFocus) = 0;
};

// Replaces the drawing of one sprite.
class SpriteDrawHook {
public:
    virtual ~SpriteDrawHook() = default;
    virtual void drawSprite(Sprite& sprite, FrameBuffer* target, int x, int y, float time, uint32_t frameCounter) = 0;
};

// May draw the focus itself; true when it did.
class FocusDrawHook {
public:
    virtual ~FocusDrawHook() = default;
    virtual bool drawFocus(SceneSprite& scene, Sprite& focus, float time) = 0;
};

class SceneSprite : public Scene {
public:
    SceneSprite(int x, int y, int width, int height, uint32_t bkgColor, Texture* bkgTexture, uint32_t indexTextColor,
                int indexTextSize, int indexTextOffsetX, int indexTextOffsetY, int navigationMode);

    Sprite* findSprite(const std::u16string& spriteName) const;
    Sprite* spriteAt(int index) const;

    int navigationMode = 0;
    // In a hot-key scene, arrow keys that no widget answers move a focus frame,
    // so a menu can be worked with a direction pad alone.
    bool arrowsMoveFocus = true;
    bool showDecorations = true;
    Sprite* focus = nullptr;
    SpriteDrawHook* spriteDrawHook = nullptr;
    FocusDrawHook* focusDrawHook = nullptr;
    FocusListener* focusListener = nullptr;
    uint32_t indexTextOffset = 0;
    uint32_t indexTextColor = 0xFFFF00;
    int indexTextSize = 14;
};

// Draws one sprite at (x, y) on a bitmap, or on the device context when the
// target is null; `frameCounter` makes a shared texture advance once a frame.
void DrawSprite(Sprite& sprite, FrameBuffer* target, host::DeviceContext* dc, int x, int y, float time,
                uint32_t frameCounter);
