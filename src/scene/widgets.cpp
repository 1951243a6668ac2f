#include "scene/widgets.h"

#include <cstdlib>
#include <string>

#include "data/text_helpers.h"
#include "platform/device_info.h"
#include "platform/host/host.h"
#include "scene/canvas.h"
#include "scene/input_pad.h"
#include "scene/scene_sprite.h"
#include "scene/scene_state.h"
#include "scene/sprite.h"

using namespace host;

namespace {

bool IsArrow(int key) { return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN; }

Sprite* ActiveWidget(SceneSprite& scene, const std::u16string& name) {
    Sprite* widget = scene.findSprite(name);
    return widget && widget->visible && widget->isWidget() && !widget->disabled ? widget : nullptr;
}

// Escape and Backspace leave a page by its Back button. On the on-screen
// keyboard Backspace deletes a character and Escape cancels instead, and
// Escape answers a question No.
Sprite* BackKeyWidget(SceneSprite& scene, int keyCode) {
    if (keyCode != VK_ESCAPE && keyCode != VK_BACK) return nullptr;
    const bool escape = keyCode == VK_ESCAPE;
    for (const char16_t* name : {escape ? InputPad::kCancelName : InputPad::kDeleteName, u"btnBack",
                                 escape ? u"btnNo_MSGBOX" : nullptr})
        if (Sprite* widget = name ? ActiveWidget(scene, name) : nullptr) return widget;
    return nullptr;
}

Sprite* HotKeyWidget(SceneSprite& scene, int keyCode) {
    for (int i = 0; i < scene.objectCount(); ++i) {
        auto* w = static_cast<Sprite*>(scene.objectAt(i));
        if (w->visible && w->isWidget() && w->currentHotKey() == keyCode) return w;
    }
    return nullptr;
}

void ShowMissingGroup() {
    MessageBox(nullptr,
               u"The property \"grpName=GUIType:checkboxGroup, selected:0\" need to be added into template.",
               u"Error", MB_OK | MB_ICONHAND);
}

// A tapped box of a group clears the others first; the group entry records
// which one in scene order was tapped.
void ToggleCheckBox(Canvas& canvas, Sprite& box) {
    PropertyFile& file = canvas.templateFile();
    if (!box.widgetParam.empty()) {
        Scene* holder = canvas.findSceneOfObject(box.name);
        int position = 0, tapped = -1;
        for (int i = 0; holder && i < holder->objectCount(); ++i) {
            auto* other = static_cast<Sprite*>(holder->objectAt(i));
            if (other->guiType != GuiType::CheckBox || other->widgetParam != box.widgetParam) continue;
            if (other == &box) tapped = position;
            other->status = 0;
            file.setItem(other->name, u"status", u"0");
            ++position;
        }
        if (file.getRaw(box.widgetParam)) file.setItem(box.widgetParam, u"selected", Decimal(tapped));
        else ShowMissingGroup();
    }
    box.status = box.status != 1 ? 1 : 0;
    file.setItem(box.name, u"status", Decimal(box.status));
    if (box.persistent) canvas.saveTemplate();
}

void TipLink(Canvas& canvas, Sprite& link, bool down) {
    auto* shown = dynamic_cast<Sprite*>(canvas.findObject(link.widgetParam));
    if (!shown) return;
    link.status = down ? 1 : 0;
    shown->visible = down;
    Scenes().tipHeld = down;
}

void OpenEditBox(Canvas& canvas, Sprite& box) {
    InputPad* pad = canvas.inputPad();
    if (!pad) return;
    const std::u16string& param = box.widgetParam;
    int limit = ParseLeadingInt(param);
    size_t comma = param.find(u',');
    std::u16string title = comma == std::u16string::npos ? u"" : param.substr(comma + 1);
    pad->open(&box, box.text(), title, std::abs(limit), limit >= 0);
}

void Redraw(SceneSprite& scene) {
    scene.renderBuffer();
    if (scene.canvas) scene.canvas->repaint();
}

int RowThreshold() {
    int& threshold = Scenes().rowThreshold;
    if (threshold == 0) threshold = ScaleToScreen(10);
    return threshold;
}

}  // namespace

bool TipHeld() { return Scenes().tipHeld; }

void RunWidgetAction(Canvas& canvas, SceneSprite&, Sprite& widget, uint32_t message) {
    if (widget.disabled || widget.guiType == GuiType::None) return;
    bool down = message == WM_LBUTTONDOWN;
    if (message != WM_LBUTTONDOWN && message != WM_LBUTTONUP) return;
    switch (widget.guiType) {
        case GuiType::Button: widget.status = down ? 1 : 0; break;
        case GuiType::CheckBox:
            if (down) ToggleCheckBox(canvas, widget);
            break;
        case GuiType::HyperLink:
            widget.status = down ? 1 : 0;
            // The whole canvas content is replaced: nothing of the widget may be used after.
            if (!down) canvas.loadTemplateByName(std::u16string(widget.widgetParam));
            break;
        case GuiType::TipLink: TipLink(canvas, widget, down); break;
        case GuiType::EditBox:
            if (!down) OpenEditBox(canvas, widget);
            break;
        default: break;
    }
}

void SetSceneFocus(SceneSprite& scene, Sprite* widget, bool redraw) {
    if (scene.focusListener) scene.focusListener->focusChanged(scene.focus, widget);
    scene.focus = widget;
    if (redraw) {
        scene.renderBuffer();
        if (scene.canvas && !scene.canvas->isRunning()) scene.canvas->repaint();
    }
}

void PressWidget(SceneSprite& scene, Sprite& widget, uint32_t message) {
    Canvas* canvas = scene.canvas;
    if (!canvas) return;
    canvas->setPressed(&widget, &scene);
    int x = scene.x + widget.x + widget.width / 2, y = scene.y + widget.y + widget.height / 2;
    PostMessage(canvas->handle(), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MakeLParam(x, y));
}

void Navigate(SceneSprite& scene, uint32_t message, int keyCode) {
    if (keyCode == VK_RETURN) {
        if (scene.focus) PressWidget(scene, *scene.focus, message == WM_KEYDOWN ? WM_LBUTTONDOWN : WM_LBUTTONUP);
        return;
    }
    if (message != WM_KEYDOWN || Scenes().tipHeld || !IsArrow(keyCode)) return;
    int fx = scene.focus ? scene.focus->x : 0, fy = scene.focus ? scene.focus->y : 0;
    const int T = RowThreshold();
    Sprite* winner = nullptr;
    int64_t best = 0;
    for (int i = 0; i < scene.objectCount(); ++i) {
        auto* w = static_cast<Sprite*>(scene.objectAt(i));
        if (w == scene.focus || !w->visible || !w->isWidget()) continue;
        int64_t dx = std::abs(w->x - fx), dy = std::abs(w->y - fy), score;
        if (keyCode == VK_LEFT || keyCode == VK_RIGHT) {
            if (dy > T || (keyCode == VK_LEFT ? w->x >= fx : w->x <= fx)) continue;
            score = dx;
        } else {
            if (dy <= T || (keyCode == VK_UP ? w->y >= fy : w->y <= fy)) continue;
            score = dy * 65536 + dx;
        }
        if (!winner || score <= best) {
            winner = w;
            best = score;
        }
    }
    if (winner) SetSceneFocus(scene, winner, true);
    else if (keyCode == VK_LEFT) Navigate(scene, message, VK_UP);
    else if (keyCode == VK_RIGHT) Navigate(scene, message, VK_DOWN);
}

void MoveFocusDown(SceneSprite& scene) { Navigate(scene, WM_KEYDOWN, VK_DOWN); }

void DispatchKeyToScene(Canvas& canvas, SceneSprite& scene, uint32_t message, int keyCode) {
    bool down = message == WM_KEYDOWN;
    if (down && keyCode == Scenes().lastKeyDown) return;  // auto-repeat
    if (Sprite* back = BackKeyWidget(scene, keyCode)) {
        PressWidget(scene, *back, down ? WM_LBUTTONDOWN : WM_LBUTTONUP);
        Scenes().lastKeyDown = down ? keyCode : 0;
        return;
    }
    // Pause (a controller's Start) confirms: the framed widget, or on a
    // hot-key page the one RETURN presses when nothing is framed.
    const bool pause = keyCode == VK_PAUSE;
    if (pause) keyCode = VK_RETURN;
    if (scene.navigationMode != 0) {
        if (IsArrow(keyCode) || keyCode == VK_RETURN) Navigate(scene, message, keyCode);
        Scenes().lastKeyDown = down ? (pause ? VK_PAUSE : keyCode) : 0;
        return;
    }
    if (scene.arrowsMoveFocus && ((IsArrow(keyCode) && !HotKeyWidget(scene, keyCode)) ||
                                  (keyCode == VK_RETURN && !pause && scene.focus && scene.focus->visible))) {
        Navigate(scene, message, keyCode);
        Scenes().lastKeyDown = down ? keyCode : 0;
        return;
    }
    if (!down && keyCode >= 48 && keyCode <= 122 && !IsArrow(keyCode) && keyCode != VK_RETURN) {
        bool letters = keyCode >= 65 && keyCode <= 90;
        if (letters != LettersMode()) {
            SetLettersMode(letters);
            Redraw(scene);
            return;
        }
    }
    if (Sprite* w = HotKeyWidget(scene, keyCode)) {
        PressWidget(scene, *w, down ? WM_LBUTTONDOWN : WM_LBUTTONUP);
        canvas.setKeyState(0);
        canvas.takeLastKey();
    }
    Scenes().lastKeyDown = down ? (pause ? VK_PAUSE : keyCode) : 0;
}
