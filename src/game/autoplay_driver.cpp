#include "game/autoplay_driver.h"

#include <string>
#include <vector>

#include "game/autoplayer.h"
#include "platform/host/host.h"
#include "scene/canvas.h"
#include "scene/input_pad.h"
#include "scene/key_state.h"
#include "scene/scene_sprite.h"
#include "scene/sprite.h"

namespace {

int KeyFor(int direction) {
    static constexpr int kKeys[4] = {host::VK_RIGHT, host::VK_UP, host::VK_LEFT, host::VK_DOWN};
    if (direction == kAutoplayStay) return kDeviceActionKey;
    return direction >= 0 && direction < 4 ? kKeys[direction] : 0;
}

void Tap(Canvas& canvas, const Sprite& sprite, const Scene& scene) {
    const intptr_t at = host::MakeLParam(scene.x + sprite.x + sprite.width / 2, scene.y + sprite.y + sprite.height / 2);
    host::PostMessage(canvas.handle(), host::WM_LBUTTONDOWN, host::MK_LBUTTON, at);
    host::PostMessage(canvas.handle(), host::WM_LBUTTONUP, 0, at);
}

}  // namespace

void AutoplayDriver::play(const GameLevel& level, host::WindowHandle canvasWindow) {
    const bool bold = patience_.bold(level);
    if (heldKey_) {
        host::PostMessage(canvasWindow, host::WM_KEYUP, uintptr_t(heldKey_), 0);
        heldKey_ = 0;
        return;
    }
    const int direction = AutoplayKeyDirection(level, bold);
    if (direction == -1) return;
    heldKey_ = KeyFor(direction);
    host::PostMessage(canvasWindow, host::WM_KEYDOWN, uintptr_t(heldKey_), 0);
}

void AutoplayDriver::enterName(Canvas& canvas) {
    auto* pad = dynamic_cast<SceneSprite*>(canvas.findScene(InputPad::kSceneName));
    if (!pad || !pad->visible) return;
    std::vector<const Sprite*> taps;
    if (Sprite* caps = pad->findSprite(u"btnCaps_MSGBOX")) taps.push_back(caps);
    for (char16_t letter : std::u16string(u"auto")) {
        for (int i = 0; i < pad->objectCount(); ++i) {
            Sprite* key = pad->spriteAt(i);
            if (key && key->name.find(u"key_") != std::u16string::npos && key->text().size() == 1 &&
                (key->text()[0] | 0x20) == letter) {
                taps.push_back(key);
                break;
            }
        }
    }
    if (Sprite* ok = pad->findSprite(u"btnOk_MSGBOX")) taps.push_back(ok);
    for (const Sprite* sprite : taps) Tap(canvas, *sprite, *pad);
}

void AutoplayDriver::closeScoreList(Canvas& canvas) {
    Scene* scene = canvas.findSceneOfObject(u"btnCloseScoreBoard");
    auto* close = dynamic_cast<Sprite*>(canvas.findObject(u"btnCloseScoreBoard"));
    if (scene && close) Tap(canvas, *close, *scene);
}
