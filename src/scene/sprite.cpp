#include "scene/sprite.h"

#include "platform/device_info.h"
#include "platform/host/host.h"
#include "scene/scene_state.h"
#include "scene/texture.h"

// Letters first on devices without predictive text input.
bool LettersMode() {
    int& mode = Scenes().lettersMode;
    if (mode < 0) mode = Device().notT9 ? 1 : 0;
    return mode != 0;
}
void SetLettersMode(bool on) { Scenes().lettersMode = on ? 1 : 0; }

Sprite::Sprite(int x, int y, int width, int height) : x(x), y(y), width(width), height(height) {
    clipW = width;
    clipH = height;
}

void Sprite::setText(const std::u16string& newText, bool forceRealloc) {
    if (forceRealloc || int(newText.size()) >= textCapacity) textCapacity = int(newText.size()) + 1;
    text_.clear();
    for (size_t i = 0; i < newText.size(); ++i) {
        if (newText[i] == u'\\' && i + 1 < newText.size() && newText[i + 1] == u'n') {
            text_ += u"\n\r";
            ++i;
        } else if (newText[i] == u'^' && i + 1 < newText.size() && newText[i + 1] == u'c') {
            text_ += u": ";
            ++i;
        } else {
            text_ += newText[i];
        }
    }
}

void Sprite::setFontFace(const char16_t* face) {
    if (face) fontFace_ = face;
}

void Sprite::setTextures(Texture* normal, Texture* bright, Texture* alpha, int cx, int cy, int cw, int ch) {
    texture = normal;
    textureBright = bright;
    textureAlpha = alpha;
    if (!normal && !bright) return;
    Texture* picture = normal ? normal : bright;
    if (width < 0 || height < 0) {
        width = picture->loadedWidth;
        height = picture->loadedHeight;
    }
    if (alpha && (alpha->width != picture->width || alpha->height != picture->height)) {
        host::MessageBox(nullptr,
                         u"The texture alpha image \"" + alpha->name +
                             u"\" has different dimension to the texture image.",
                         u"Error", host::MB_OK | host::MB_ICONHAND);
        textureAlpha = nullptr;
    }
    if (cx >= 0 && cy >= 0 && cw >= 0 && ch >= 0) {
        clipX = cx, clipY = cy, clipW = cw, clipH = ch;
    } else {
        clipX = clipY = 0;
        clipW = picture->width;
        clipH = picture->height;
    }
}

void Sprite::normalizeTextures() {
    for (Texture* t : {texture, textureBright, textureAlpha})
        if (t && (t->width != width || t->height != height)) t->resize(width, height, false);
    setTextures(texture, textureBright, textureAlpha, -1, -1, -1, -1);
}

std::unique_ptr<Sprite> Sprite::copy() const {
    auto c = std::make_unique<Sprite>(*this);
    c->isCopy = true;
    return c;
}

int Sprite::currentHotKey() const { return LettersMode() ? hotKey2 : hotKey; }
