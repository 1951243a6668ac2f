#pragma once
// Every 2D element of a screen: a picture (one texture, or one per state), a
// coloured box, a frame, a text, and with a GUI type a widget. A sprite shows
// its bright state while its status is non-zero.

#include <cstdint>
#include <memory>
#include <string>

#include "scene/scene.h"

class BitmapFont;
class Texture;

enum class GuiType : int { None = 0, Button = 1, CheckBox = 2, HyperLink = 3, TipLink = 4, EditBox = 5 };

// Offsets stored as x and y each plus 10000 in the high and low 16 bits.
constexpr uint32_t PackOffset(int x, int y) { return (uint32_t(x + 10000) << 16) | uint32_t(uint16_t(y + 10000)); }
constexpr int OffsetX(uint32_t packed) { return int(packed >> 16) - 10000; }
constexpr int OffsetY(uint32_t packed) { return int(packed & 0xFFFF) - 10000; }

class Sprite : public SceneObject {
public:
    static constexpr uint32_t kNone = 0xFFFFFFFF;

    Sprite(int x, int y, int width, int height);

    void setPosition(int newX, int newY) { x = newX, y = newY; }
    void setSize(int newWidth, int newHeight) { width = newWidth, height = newHeight; }
    // Stores the text; the two characters "\n" become a line break and "^c" a colon and a space.
    void setText(const std::u16string& newText, bool forceRealloc = false);
    const std::u16string& text() const { return text_; }
    void setFontFace(const char16_t* face);
    const std::u16string& fontFace() const { return fontFace_; }
    // Size still unset (negative) is taken from the first picture texture; the
    // clip is kept only when all four values are >= 0.
    void setTextures(Texture* normal, Texture* bright, Texture* alpha, int clipX, int clipY, int clipW, int clipH);
    // Stretches every texture whose size differs from the sprite's to it.
    void normalizeTextures();
    // A copy sharing textures and fonts, marked isCopy.
    std::unique_ptr<Sprite> copy() const;

    bool isWidget() const { return guiType != GuiType::None; }
    bool bright() const { return status != 0; }
    // The key that currently presses the widget (hotKey, or hotKey2 in letters mode).
    int currentHotKey() const;

    bool visible = true;
    int x = 0, y = 0;
    int width = -1, height = -1;
    bool disabled = false;
    int status = 0;
    bool isCopy = false;
    bool persistent = false;
    Texture* texture = nullptr;
    Texture* textureBright = nullptr;
    Texture* textureAlpha = nullptr;
    int textureTransparency = 0;
    int clipX = 0, clipY = 0, clipW = 0, clipH = 0;
    uint32_t color = kNone, colorBright = kNone;
    uint32_t frame = kNone, frameBright = kNone;
    // Text attributes.
    int textSize = 16;
    int textWeight = 400;
    uint32_t textColor = 0xFFFFFF, textColorBright = 0xFFFFFF;
    int textAlignment = 0;  // 0 left, 1 centre, 2 right
    bool textItalic = false;
    bool textUnderline = false;
    int textOffsetX = 0, textOffsetY = 0;
    bool textFormatted = true;
    GuiType guiType = GuiType::None;
    BitmapFont* fontNormal = nullptr;
    BitmapFont* fontBright = nullptr;
    uint16_t hotKey = 0, hotKey2 = 0;
    uint32_t hotKeyOffset = PackOffset(0, 0);
    std::u16string widgetParam;
    int textCapacity = 5;

private:
    std::u16string text_;
    std::u16string fontFace_ = u"Arial";
};

// Which of a widget's two hot keys is active: the letters of a keyboard
// (hotKey2) on devices without predictive text input.
bool LettersMode();
void SetLettersMode(bool on);
