#pragma once
// The on-screen keyboard that edits the text of an edit-box widget. Its scene
// is built in code on first use and then shown and hidden. It does not block:
// while open it is the canvas window's stylus listener, and it reports the end
// of editing to the owner as one stylus-up on the edit box.

#include <cstdint>
#include <map>
#include <string>

#include "platform/window.h"

class Canvas;
class SceneSprite;
class Sprite;
class Texture;

class InputPad : public MouseListener {
public:
    static constexpr int kMaxLength = 20;
    static constexpr const char16_t* kSceneName = u"sceneInputPad_INPUTPAD";
    static constexpr const char16_t* kDeleteName = u"btnDel_MSGBOX";
    static constexpr const char16_t* kCancelName = u"btnCancel_MSGBOX";

    InputPad(Canvas& canvas, uint32_t backgroundColor, const std::u16string& imageDir, const std::u16string& padImage,
             const std::u16string& keyImage, const std::u16string& wideKeyImage);

    void open(Sprite* editBox, const std::u16string& text, const std::u16string& title, int maxLength,
              bool allowEmpty);
    void close(bool accepted);
    bool isOpen() const;
    const std::u16string& text() const { return textBuffer_; }
    bool capsOn() const { return capsOn_; }

    // Appends a character typed on the physical keyboard, within maxLength;
    // control characters and halves of surrogate pairs are ignored.
    void type(char16_t character);
    // A key of the physical keyboard while the pad is open; true when the pad
    // took it. Keys that type characters (letters, digits, space) are left to
    // the characters they make; Backspace deletes. Typing and deleting frame
    // Ok, so that RETURN confirms what was typed.
    bool keyboardKey(uint32_t message, int keyCode);

    void onStylus(Window* window, uint32_t message, uint32_t flags, int x, int y) override;

private:
    SceneSprite* buildScene();
    Sprite* addButton(SceneSprite& scene, const std::u16string& name, int x, int y, int w, int h);
    void labelKeys();
    void showText();
    void frameOk();

    Canvas& canvas_;
    int firstKeyIndex_ = 0;
    bool capsOn_ = false;
    std::u16string textBuffer_;
    Sprite* textSprite_ = nullptr;
    int maxLength_ = kMaxLength;
    bool allowEmpty_ = true;
    Sprite* editBox_ = nullptr;
    uint32_t backgroundColor_;
    Texture* padTexture_ = nullptr;
    Texture* keyTexture_ = nullptr;
    Texture* wideKeyTexture_ = nullptr;
    std::u16string padImageName_, keyImageName_, wideKeyImageName_;
    MouseListener* savedListener_ = nullptr;
    bool listenerSaved_ = false;
    std::u16string imageDir_;
    std::map<Sprite*, host::Point> homes_;
};
