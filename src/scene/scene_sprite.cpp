#include "scene/scene_sprite.h"

#include <cmath>

#include "platform/device_info.h"
#include "platform/direct_display.h"
#include "scene/canvas.h"
#include "scene/hot_key_icons.h"
#include "scene/image_ops.h"
#include "scene/sprite.h"
#include "scene/sprite_text.h"
#include "scene/texture.h"
#include "scene/widgets.h"

using namespace host;

namespace {

// Draws the scene's background, its sprites in order, and the focus frame or
// the hot-key marks.
class SpriteSceneRenderer : public SceneRenderer {
public:
    explicit SpriteSceneRenderer(SceneSprite& scene) : scene_(scene) {}

    void draw(float time) override {
        if (time > 0) ++frameCounter_;
        FrameBuffer* target = scene_.buffered ? scene_.buffer.get() : scene_.target;
        DeviceContext* dc = target ? nullptr : (scene_.canvas ? scene_.canvas->windowDc() : nullptr);
        if (!target && !dc) return;
        int ox = scene_.buffered ? 0 : scene_.x, oy = scene_.buffered ? 0 : scene_.y;
        drawBackground(target, dc, ox, oy);
        for (int i = 0; i < scene_.objectCount(); ++i) {
            auto* sprite = static_cast<Sprite*>(scene_.objectAt(i));
            if (!sprite->visible) continue;
            if (scene_.spriteDrawHook) {
                scene_.spriteDrawHook->drawSprite(*sprite, target, ox + sprite->x, oy + sprite->y, time, frameCounter_);
            } else {
                DrawSprite(*sprite, target, dc, ox + sprite->x, oy + sprite->y, time, frameCounter_);
            }
        }
        if (!scene_.showDecorations || TipHeld()) return;
        if (scene_.navigationMode != 0) {
            drawFocus(target, dc, ox, oy, time);
        } else {
            drawHotKeyMarks(target, dc, ox, oy);
            if (scene_.focus) drawFocus(target, dc, ox, oy, time);
        }
    }

private:
    void drawBackground(FrameBuffer* target, DeviceContext* dc, int ox, int oy) {
        if (scene_.bkgTexture) {
            Texture& t = *scene_.bkgTexture;
            FrameBuffer* picture = t.currentBitmap();
            if (!picture) return;
            if (!target) {
                stretchToDC(*picture, *dc, ox, oy, scene_.width, scene_.height, -1, -1, -1, -1, false);
            } else if (picture->width == scene_.width && picture->height == scene_.height) {
                copyRect(*picture, *target, ox, oy, 0, 0, -1, -1, false);
            } else {
                stretchRect(*picture, *target, ox, oy, scene_.width, scene_.height, -1, -1, -1, -1, false);
            }
        } else if (scene_.bkgColor != Sprite::kNone) {
            if (target) fill(*target, scene_.bkgColor, ox, oy, scene_.width, scene_.height, true);
            else dc->fillRect(Rect{ox, oy, ox + scene_.width, oy + scene_.height}, Brush{false, ToColorRef(scene_.bkgColor)});
        }
    }

    // The focus frame blinks between tight and two pixels larger.
    void drawFocus(FrameBuffer* target, DeviceContext* dc, int ox, int oy, float time) {
        Canvas* canvas = scene_.canvas;
        Sprite* focus = scene_.focus;
        if (!canvas || canvas->topmostActiveSpriteScene() != &scene_ || !focus || !focus->visible) return;
        if (scene_.focusDrawHook && scene_.focusDrawHook->drawFocus(scene_, *focus, time)) return;
        if (time > 0) {
            blinkClock_ += time;
            if (blinkClock_ > 1e6f) blinkClock_ = 0;
        }
        int m = std::sin(blinkClock_ * 8.0f) > 0 ? 0 : 2;
        DeviceContext* out = target ? target->deviceContext.get() : dc;
        int left = ox + focus->x - m, top = oy + focus->y - m + 1;
        int right = left + focus->width + 2 * m, bottom = top + focus->height + 2 * m;
        Brush oldBrush = out->selectBrush(Brush{true, 0});
        Pen oldPen = out->selectPen(Pen{false, 1, 0});
        out->rectangle(left, top, right, bottom);
        out->selectPen(Pen{false, std::max(1, ScaleToScreen(1)), ToColorRef(scene_.indexTextColor)});
        out->rectangle(left - 1, top - 1, right - 1, bottom - 1);
        out->selectPen(oldPen);
        out->selectBrush(oldBrush);
    }

    void drawHotKeyMarks(FrameBuffer* target, DeviceContext* dc, int ox, int oy) {
        DeviceContext* out = target ? target->deviceContext.get() : dc;
        bool showLetters = Device().hasKeyboard || !Device().hasTouch;
        for (int i = 0; i < scene_.objectCount(); ++i) {
            auto* sprite = static_cast<Sprite*>(scene_.objectAt(i));
            int key = sprite->currentHotKey();
            if (!sprite->visible || key == 0) continue;
            int x = ox + sprite->x + OffsetX(sprite->hotKeyOffset) + OffsetX(scene_.indexTextOffset);
            int y = oy + sprite->y + OffsetY(sprite->hotKeyOffset) + OffsetY(scene_.indexTextOffset);
            if (Texture* icon = HotKeyIconFor(key)) {
                drawIcon(*icon, target, out, x, y);
            } else if (key >= '0' && key <= 'Z' && showLetters) {
                drawMark(*out, x, y, char16_t(key));
            }
        }
    }

    void drawIcon(Texture& icon, FrameBuffer* target, DeviceContext* out, int x, int y) {
        if (FrameBuffer* picture = icon.currentBitmap()) {
            if (target) copyRect(*picture, *target, x, y, 0, 0, -1, -1, false);
            else drawToDC(*picture, *out, x, y, 0, 0, -1, -1, false);
        }
        if (icon.animated && icon.lastFrameStamp != frameCounter_) {
            icon.advance(0.1f);
            icon.lastFrameStamp = frameCounter_;
        }
    }

    void drawMark(DeviceContext& out, int x, int y, char16_t key) {
        FontSpec font;
        font.height = std::max(11, scene_.indexTextSize);
        FontSpec old = out.selectFont(font);
        int oldMode = out.setBkMode(TRANSPARENT);
        std::u16string text(1, key);
        Rect shadow{x + 1, y + 1, x + 1 + font.height * 2, y + 1 + font.height * 2};
        ColorRef oldColour = out.setTextColor(0);
        out.drawText(text, shadow, DT_LEFT | DT_SINGLELINE | DT_NOCLIP);
        Rect mark{x, y, x + font.height * 2, y + font.height * 2};
        out.setTextColor(ToColorRef(scene_.indexTextColor));
        out.drawText(text, mark, DT_LEFT | DT_SINGLELINE | DT_NOCLIP);
        out.setTextColor(oldColour);
        out.setBkMode(oldMode);
        out.selectFont(old);
    }

    SceneSprite& scene_;
    uint32_t frameCounter_ = 0;
    float blinkClock_ = 0.0f;
};

// An outline just outside the sprite, two pixels thick on screens scaled 2x or more.
void DrawOutline(FrameBuffer* target, DeviceContext* dc, int x, int y, int w, int h, uint32_t colour) {
    bool thick = Design().scale >= 0x20000;
    if (target) {
        fill(*target, colour, x - 1, y - 1, w + 2, h + 2, false);
        if (thick) fill(*target, colour, x, y, w, h, false);
        return;
    }
    Brush oldBrush = dc->selectBrush(Brush{true, 0});
    Pen oldPen = dc->selectPen(Pen{false, thick ? 2 : 1, ToColorRef(colour)});
    dc->rectangle(x - 1, y - 1, x + w + 1, y + h + 1);
    dc->selectPen(oldPen);
    dc->selectBrush(oldBrush);
}

void DrawPicture(Sprite& s, Texture& t, FrameBuffer* target, DeviceContext* dc, int x, int y, float time,
                 uint32_t frameCounter) {
    FrameBuffer* picture = t.currentBitmap();
    if (picture) {
        bool unscaled = s.width == s.clipW && s.height == s.clipH;
        if (target) {
            FrameBuffer* alpha = s.textureAlpha ? s.textureAlpha->frameBitmap(t.currentFrame()) : nullptr;
            if (alpha || s.textureTransparency > 0) {
                blendRect(*picture, alpha, *target, x, y, s.width, s.height, s.clipX, s.clipY, s.clipW, s.clipH,
                          s.textureTransparency);
            } else if (unscaled) {
                copyRect(*picture, *target, x, y, s.clipX, s.clipY, s.clipW, s.clipH, false);
            } else {
                stretchRect(*picture, *target, x, y, s.width, s.height, s.clipX, s.clipY, s.clipW, s.clipH, false);
            }
        } else if (unscaled) {
            drawToDC(*picture, *dc, x, y, 0, 0, -1, -1, false);
        } else {
            stretchToDC(*picture, *dc, x, y, s.width, s.height, s.clipX, s.clipY, s.clipW, s.clipH, false);
        }
    }
    // A texture shared by several sprites advances once per frame.
    if (t.animated && t.lastFrameStamp != frameCounter) {
        t.advance(time);
        t.lastFrameStamp = frameCounter;
    }
}

}  // namespace

SceneSprite::SceneSprite(int x, int y, int width, int height, uint32_t bkgColor, Texture* bkgTexture,
                         uint32_t indexTextColor, int indexTextSize, int indexTextOffsetX, int indexTextOffsetY,
                         int navigationMode)
    : Scene(SceneKind::Sprites),
      navigationMode(navigationMode),
      indexTextOffset(PackOffset(indexTextOffsetX, indexTextOffsetY)),
      indexTextColor(indexTextColor),
      indexTextSize(indexTextSize) {
    this->x = x;
    this->y = y;
    this->width = width;
    this->height = height;
    this->bkgColor = bkgColor;
    this->bkgTexture = bkgTexture;
    renderer = std::make_unique<SpriteSceneRenderer>(*this);
}

Sprite* SceneSprite::findSprite(const std::u16string& spriteName) const {
    return static_cast<Sprite*>(findObject(spriteName));
}

Sprite* SceneSprite::spriteAt(int index) const { return static_cast<Sprite*>(objectAt(index)); }

void DrawSprite(Sprite& sprite, FrameBuffer* target, DeviceContext* dc, int x, int y, float time,
                uint32_t frameCounter) {
    bool bright = sprite.bright();
    Texture* picture = bright ? (sprite.textureBright ? sprite.textureBright : sprite.texture) : sprite.texture;
    if (picture) {
        DrawPicture(sprite, *picture, target, dc, x, y, time, frameCounter);
    } else {
        uint32_t fillColour = bright ? sprite.colorBright : sprite.color;
        if (fillColour != Sprite::kNone) {
            if (target) fill(*target, fillColour, x, y, sprite.width, sprite.height, true);
            else dc->fillRect(Rect{x, y, x + sprite.width, y + sprite.height}, Brush{false, ToColorRef(fillColour)});
        }
    }
    uint32_t outline = bright ? sprite.frameBright : sprite.frame;
    if (outline != Sprite::kNone) DrawOutline(target, dc, x, y, sprite.width, sprite.height, outline);
    if (!sprite.text().empty()) DrawSpriteText(sprite, target, dc, x, y);
}
