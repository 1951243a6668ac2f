#include "scene/input_pad.h"

#include <algorithm>

#include "platform/device_info.h"
#include "platform/host/host.h"
#include "scene/canvas.h"
#include "scene/image_cache.h"
#include "scene/image_ops.h"
#include "scene/scene_sprite.h"
#include "scene/sprite.h"
#include "scene/texture.h"
#include "scene/widgets.h"

using namespace host;

namespace {

constexpr char16_t kLabelsCapsOff[] = u"1234567890qwertyuiopasdfghjkl/zxcvbnm-=.";
constexpr char16_t kLabelsCapsOn[] = u"!@#$%^`*()QWERTYUIOPASDFGHJKL\\ZXCVBNM_+:";
constexpr int kRows = 4, kColumns = 10;

int S(int v) { return ScaleToScreen(v); }

std::u16string KeyName(int row, int column) {
    return u"key_" + FromUtf8(std::to_string(row * 256 + column)) + u"_MSGBOX";
}

bool Dark(uint32_t colour) { return colour::brightness(colour) < 128; }

// The command buttons' labels, Caps in both of its states.
constexpr const char16_t* kCommandLabels[] = {u"Caps", u"CAPS", u"Clear", u"Del", u"Ok", u"Cancel"};

// The largest text size up to `size` at which every command label fits across
// a button `buttonWidth` wide, with a design pixel to spare on either side of
// the width the button's text rectangle gives. The pad's own size where text
// cannot be measured.
int CommandTextSize(int size, int buttonWidth) {
    TextRasterizer* text = GetTextRasterizer();
    if (!text) return size;
    const int room = buttonWidth - 3 - 2 * S(1);
    auto widest = [&](int height) {
        int width = 0;
        for (const char16_t* label : kCommandLabels) width = std::max(width, text->textExtent({u"Arial", height}, label).x);
        return width;
    };
    while (size > 8 && widest(size) > room) --size;
    return size;
}

}  // namespace

InputPad::InputPad(Canvas& canvas, uint32_t backgroundColor, const std::u16string& imageDir,
                   const std::u16string& padImage, const std::u16string& keyImage, const std::u16string& wideKeyImage)
    : canvas_(canvas),
      backgroundColor_(backgroundColor),
      padImageName_(padImage),
      keyImageName_(keyImage),
      wideKeyImageName_(wideKeyImage),
      imageDir_(imageDir) {}

bool InputPad::isOpen() const {
    Scene* scene = canvas_.findScene(kSceneName);
    return scene && scene->visible;
}

Sprite* InputPad::addButton(SceneSprite& scene, const std::u16string& name, int x, int y, int w, int h) {
    auto* button = new Sprite(S(x), S(y), S(w), S(h));
    button->guiType = GuiType::Button;
    button->textAlignment = 1;
    button->textFormatted = false;
    int size = S(16) + (Design().scale < 65536 ? 1 : 0);
    button->textSize = size;
    scene.addObject(name, button);
    return button;
}

// Built again after a template replacement destroyed the canvas's scenes.
SceneSprite* InputPad::buildScene() {
    homes_.clear();
    ImageCache& cache = canvas_.imageCache();
    if (!padImageName_.empty()) padTexture_ = cache.load(imageDir_, padImageName_, false, false);
    if (!keyImageName_.empty()) keyTexture_ = cache.load(imageDir_, keyImageName_, false, false);
    if (!wideKeyImageName_.empty()) wideKeyTexture_ = cache.load(imageDir_, wideKeyImageName_, false, false);

    int w = S(230), h = S(160);
    auto* scene = new SceneSprite((canvas_.clientWidth() - w) / 2, (canvas_.clientHeight() - h) / 2, w, h, 0,
                                  padTexture_, 0xFFFF00, 14, S(10), S(-10), 1);
    canvas_.addScene(kSceneName, scene);
    uint32_t inverse = colour::invert(backgroundColor_);

    if (!padTexture_) {
        auto* frame = new Sprite(0, 0, w, h);
        bool dark = Dark(backgroundColor_);
        frame->color = frame->colorBright = dark ? colour::invert(0x3C3C3C) : 0x3C3C3C;
        frame->frame = frame->frameBright = dark ? 0x000000 : 0xFFFFFF;
        scene->addObject(u"sptFrame_MSGBOX", frame);
    }
    auto* title = addButton(*scene, u"sptMessage_MSGBOX", 6, 5, 220, 16);
    title->guiType = GuiType::None;
    title->textFormatted = true;
    title->textColor = title->textColorBright = backgroundColor_;

    textSprite_ = addButton(*scene, u"btnEditbox_MSGBOX", 21, 25, 190, 16);
    textSprite_->color = textSprite_->colorBright = backgroundColor_;
    textSprite_->frame = textSprite_->frameBright = inverse;
    textSprite_->textColor = textSprite_->textColorBright = inverse;
    textSprite_->textAlignment = 0;

    struct Command {
        const char16_t* label;
        const char16_t* name;
        int x;
    };
    static const Command commands[] = {{u"Caps", u"btnCaps_MSGBOX", 10},   {u"Clear", u"btnClear_MSGBOX", 51},
                                       {u"Del", u"btnDel_MSGBOX", 92},     {u"Ok", u"btnOk_MSGBOX", 140},
                                       {u"Cancel", u"btnCancel_MSGBOX", 181}};
    bool inverseDark = Dark(inverse);
    for (const Command& c : commands) {
        Sprite* b = addButton(*scene, c.name, c.x, 130, 40, 20);
        // Centred in the button, at a size every label fits at.
        b->textFormatted = true;
        b->textSize = CommandTextSize(b->textSize, b->width);
        if (wideKeyTexture_) {
            b->setTextures(wideKeyTexture_, wideKeyTexture_, nullptr, -1, -1, -1, -1);
            b->setSize(S(40), S(20));
        } else {
            b->color = inverseDark ? colour::invert(0x5A503C) : 0x5A503C;
            b->colorBright = inverseDark ? colour::invert(0x322814) : 0x322814;
            b->frame = b->frameBright = 0x000000;
        }
        b->textOffsetY = std::max(S(1), (b->height - b->textSize) / 2);
        b->textColor = b->textColorBright = inverse;
        b->setText(c.label);
    }
    scene->findSprite(u"btnCaps_MSGBOX")->guiType = GuiType::CheckBox;

    firstKeyIndex_ = scene->objectCount();
    int keySize = keyTexture_ ? 18 : 16;
    bool dark = Dark(backgroundColor_);
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            Sprite* key = addButton(*scene, KeyName(row, column), 11 + 21 * column, 45 + 21 * row, keySize, keySize);
            if (keyTexture_) {
                key->setTextures(keyTexture_, keyTexture_, nullptr, -1, -1, -1, -1);
                key->setSize(S(keySize), S(keySize));
            } else {
                key->color = dark ? colour::invert(0x646464) : 0x646464;
                key->colorBright = dark ? colour::invert(0x3C3C3C) : 0x3C3C3C;
                key->frame = key->frameBright = 0x000000;
            }
            key->textColor = key->textColorBright = backgroundColor_;
            key->textOffsetY = S(-1);
        }
    }
    // Every widget remembers where it belongs, so that a press can show it moved.
    for (int i = 0; i < scene->objectCount(); ++i) {
        Sprite* s = scene->spriteAt(i);
        homes_[s] = Point{s->x, s->y};
    }
    labelKeys();
    return scene;
}

void InputPad::labelKeys() {
    auto* scene = static_cast<SceneSprite*>(canvas_.findScene(kSceneName));
    if (!scene) return;
    const char16_t* labels = capsOn_ ? kLabelsCapsOn : kLabelsCapsOff;
    for (int i = 0; i < kRows * kColumns && firstKeyIndex_ + i < scene->objectCount(); ++i) {
        Sprite* key = scene->spriteAt(firstKeyIndex_ + i);
        key->setText(std::u16string(1, labels[i]));
        key->textOffsetX = S(capsOn_ ? 2 : 3);
    }
}

void InputPad::showText() {
    if (textSprite_) textSprite_->setText(textBuffer_);
}

bool InputPad::keyboardKey(uint32_t message, int keyCode) {
    if (keyCode == VK_SPACE || (keyCode >= '0' && keyCode <= '9') || (keyCode >= 'A' && keyCode <= 'Z')) return true;
    if (keyCode != VK_BACK) return false;
    if (message == WM_KEYDOWN) {
        if (!textBuffer_.empty()) textBuffer_.pop_back();
        showText();
        frameOk();
    }
    return true;
}

void InputPad::frameOk() {
    auto* scene = static_cast<SceneSprite*>(canvas_.findScene(kSceneName));
    if (!scene) return;
    if (Sprite* ok = scene->findSprite(u"btnOk_MSGBOX"); ok && scene->focus != ok) SetSceneFocus(*scene, ok, false);
    if (!canvas_.isRunning()) canvas_.repaint();
}

void InputPad::type(char16_t character) {
    if (character < 0x20 || character == 0x7F || (character >= 0xD800 && character <= 0xDFFF) ||
        int(textBuffer_.size()) >= maxLength_)
        return;
    textBuffer_ += character;
    showText();
    frameOk();
}

void InputPad::open(Sprite* editBox, const std::u16string& text, const std::u16string& title, int maxLength,
                    bool allowEmpty) {
    maxLength_ = std::min(maxLength, kMaxLength);
    allowEmpty_ = allowEmpty;
    editBox_ = editBox;
    auto* scene = static_cast<SceneSprite*>(canvas_.findScene(kSceneName));
    if (!scene) scene = buildScene();
    textBuffer_ = text.substr(0, size_t(std::max(0, maxLength_)));
    showText();
    if (Sprite* message = scene->findSprite(u"sptMessage_MSGBOX")) message->setText(title);
    scene->focus = scene->findSprite(u"btnOk_MSGBOX");
    savedListener_ = canvas_.mouseListener();
    listenerSaved_ = true;
    canvas_.setMouseListener(this);
    scene->visible = true;
    SetTextInput(true);
    canvas_.repaint();
}

void InputPad::close(bool accepted) {
    if (textBuffer_.empty() && !allowEmpty_) accepted = false;
    auto* scene = static_cast<SceneSprite*>(canvas_.findScene(kSceneName));
    if (scene && accepted && editBox_) editBox_->setText(textBuffer_);
    if (listenerSaved_ && savedListener_ && editBox_) {
        canvas_.setPressed(editBox_, canvas_.pressedScene());
        int x = editBox_->x + editBox_->width / 2 + (scene ? scene->x : 0);
        int y = editBox_->y + editBox_->height / 2 + (scene ? scene->y : 0);
        savedListener_->onStylus(&canvas_, WM_LBUTTONUP, accepted ? 1 : 0, x, y);
        canvas_.setPressed(nullptr, nullptr);
    }
    textBuffer_.clear();
    if (listenerSaved_) canvas_.setMouseListener(savedListener_);
    listenerSaved_ = false;
    savedListener_ = nullptr;
    if (scene) scene->visible = false;
    SetTextInput(false);
    canvas_.repaint();
}

void InputPad::onStylus(Window*, uint32_t message, uint32_t, int, int) {
    Sprite* widget = canvas_.pressedWidget();
    auto* scene = static_cast<SceneSprite*>(canvas_.findScene(kSceneName));
    auto home = homes_.find(widget);
    if (!widget || !scene || home == homes_.end()) return;
    if (message == WM_LBUTTONDOWN) {
        widget->setPosition(home->second.x + 1, home->second.y + 1);
        return;
    }
    if (message != WM_LBUTTONUP) return;
    widget->setPosition(home->second.x, home->second.y);
    const std::u16string& name = widget->name;
    if (name == u"btnCaps_MSGBOX") {
        capsOn_ = widget->status == 1;
        widget->setText(capsOn_ ? u"CAPS" : u"Caps");
        labelKeys();
    } else if (name == u"btnClear_MSGBOX") {
        textBuffer_.clear();
        showText();
    } else if (name == u"btnDel_MSGBOX") {
        if (!textBuffer_.empty()) textBuffer_.pop_back();
        showText();
    } else if (name == u"btnCancel_MSGBOX") {
        close(false);
    } else if (name == u"btnOk_MSGBOX") {
        // A text that must not be empty keeps the pad open: the player is
        // still to type it, and a confirmed empty text would be a cancel.
        if (!textBuffer_.empty() || allowEmpty_) close(true);
    } else if (name.find(u"key_") != std::u16string::npos) {
        if (int(textBuffer_.size()) < maxLength_) textBuffer_ += widget->text();
        showText();
        if (!canvas_.isRunning()) canvas_.repaint();
    }
}
