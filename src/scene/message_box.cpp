#include "scene/message_box.h"

#include "data/resource.h"
#include "scene/canvas.h"
#include "scene/scene_sprite.h"
#include "scene/sprite.h"
#include "scene/stylus_joystick.h"

namespace {

constexpr const char16_t* kScene = u"sceneMessageBox_MSGBOX";

// Looked up inside the box's scene: the input pad uses some of the same names.
Sprite* Find(const Canvas& canvas, const char16_t* name) {
    Scene* scene = canvas.findScene(kScene);
    return scene ? dynamic_cast<Sprite*>(scene->findObject(name)) : nullptr;
}

void Show(Sprite* sprite, bool visible) {
    if (!sprite) return;
    sprite->status = 0;
    sprite->visible = visible;
}

}  // namespace

void showMessageBox(Canvas& canvas, const std::u16string& message, const std::u16string& context,
                    MessageBoxButtons buttons, Texture* backgroundTexture) {
    Scene* scene = canvas.findScene(kScene);
    if (!scene) {
        canvas.loadTemplate(ResourceFolder(), u"messagebox.properties", false, false);
        scene = canvas.findScene(kScene);
        if (!scene) return;
    }
    if (Sprite* background = Find(canvas, u"sptBoxBkgTexture_MSGBOX"))
        background->setTextures(backgroundTexture, nullptr, nullptr, -1, -1, -1, -1);
    if (Sprite* holder = Find(canvas, u"sptMessageContext_MSGBOX")) holder->setText(context);
    if (Sprite* shadow = Find(canvas, u"sptMessageShadow_MSGBOX")) shadow->setText(message);
    if (Sprite* text = Find(canvas, u"sptMessage_MSGBOX")) text->setText(message);

    Sprite* ok = Find(canvas, u"btnOK_MSGBOX");
    Sprite* yes = Find(canvas, u"btnYes_MSGBOX");
    Sprite* no = Find(canvas, u"btnNo_MSGBOX");
    switch (buttons) {
        case MessageBoxButtons::Ok: Show(ok, true), Show(yes, false), Show(no, false); break;
        case MessageBoxButtons::YesNo: Show(ok, false), Show(yes, true), Show(no, true); break;
        case MessageBoxButtons::None: Show(ok, false), Show(yes, false), Show(no, false); break;
        default:
            for (Sprite* b : {ok, yes, no})
                if (b) b->status = 0;
            break;
    }
    scene->visible = true;
    if (StylusJoystick* joystick = canvas.stylusJoystick()) joystick->enabled = false;
}

void closeMessageBox(Canvas& canvas) {
    if (Scene* scene = canvas.findScene(kScene)) scene->visible = false;
    if (StylusJoystick* joystick = canvas.stylusJoystick()) joystick->enabled = true;
}

bool isMessageBoxOpen(const Canvas& canvas) {
    Scene* scene = canvas.findScene(kScene);
    return scene && scene->visible;
}

std::optional<std::u16string> messageBoxContext(const Canvas& canvas) {
    if (!canvas.findScene(kScene)) return std::nullopt;
    Sprite* holder = Find(canvas, u"sptMessageContext_MSGBOX");
    return holder ? std::optional<std::u16string>(holder->text()) : std::nullopt;
}
