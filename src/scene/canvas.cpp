#include "scene/canvas.h"

#include <algorithm>

#include "platform/device_info.h"
#include "platform/direct_display.h"
#include "scene/bitmap_font.h"
#include "scene/image_cache.h"
#include "scene/image_ops.h"
#include "scene/input_pad.h"
#include "scene/scene_sprite.h"
#include "scene/sprite.h"
#include "scene/stylus_joystick.h"
#include "scene/widgets.h"
#include "sound/sound_mixer.h"

using namespace host;

namespace {
// The device sleeps when left alone this long; a running canvas keeps it awake.
constexpr int kIdleTimerResetMs = 45000;
}  // namespace

Canvas::Canvas(const std::u16string& name, bool buffered, bool hollowBackground)
    : Window(name, nullptr, buffered),
      hollowBackground_(hollowBackground),
      imageCache_(std::make_unique<ImageCache>()),
      previousIdleHandler_(GetIdleHandler()) {
    windowClass_.name = kCanvasClassName;
    windowClass_.blackBackground = !hollowBackground;
    style_ = WS_CHILD | WS_VISIBLE;
}

Canvas::~Canvas() { releaseEverything(); }

// ---- Scenes and objects ------------------------------------------------------------

int Canvas::addScene(const std::u16string& name, Scene* scene) {
    int index = scenes_.indexOf(scene);
    if (index >= 0) return index;
    scene->name = name.substr(0, Scene::kMaxNameLength);
    scene->canvas = this;
    scene->target = target();
    scene->ensureBuffer();
    scenes_.append(scene);
    return scenes_.size() - 1;
}

void Canvas::removeScene(Scene* scene) {
    if (!scenes_.remove(scene)) return;
    if (pressedScene_ == static_cast<SceneSprite*>(scene)) setPressed(nullptr, nullptr);
    delete scene;
}

Scene* Canvas::findScene(const std::u16string& name) const {
    for (int i = 0; i < scenes_.size(); ++i)
        if (sceneAt(i)->name == name) return sceneAt(i);
    return nullptr;
}

SceneObject* Canvas::findObject(const std::u16string& name) const {
    for (int i = 0; i < scenes_.size(); ++i)
        if (SceneObject* object = sceneAt(i)->findObject(name)) return object;
    return nullptr;
}

Scene* Canvas::findSceneOfObject(const std::u16string& name) const {
    for (int i = 0; i < scenes_.size(); ++i)
        if (sceneAt(i)->findObject(name)) return sceneAt(i);
    return nullptr;
}

SceneSprite* Canvas::topmostActiveSpriteScene() const {
    for (int i = scenes_.size() - 1; i >= 0; --i) {
        Scene* scene = sceneAt(i);
        if (scene->visible && scene->kind == SceneKind::Sprites) return static_cast<SceneSprite*>(scene);
    }
    return nullptr;
}

void Canvas::addFont(const std::u16string& name, std::unique_ptr<BitmapFont> font) {
    if (font) fontTable_.emplace_back(name, std::move(font));
}

BitmapFont* Canvas::findFont(const std::u16string& name) const {
    for (const auto& [fontName, font] : fontTable_)
        if (fontName == name) return font.get();
    return nullptr;
}

void Canvas::clear() {
    beforeClear();
    dropContent();
    if (modelCache_) modelCache_->clear();
}

// Everything a template brought: scenes, pictures, sounds, fonts, entries.
void Canvas::dropContent() {
    setPressed(nullptr, nullptr);
    for (int i = 0; i < scenes_.size(); ++i) delete sceneAt(i);
    scenes_.clear();
    imageCache_->clear();
    soundTable_.clear();
    soundStore_.clear();
    templateFile_.reset();
    loadedNames_.clear();
    fontTable_.clear();
}

void Canvas::releaseEverything() {
    if (running_) stop();
    dropContent();
    modelCache_.reset();
    preFrameListeners_.clear();
    postFrameListeners_.clear();
    inputPad_.reset();
    stylusJoystick_.reset();
}

void Canvas::onDestroyed() { releaseEverything(); }

void Canvas::createStylusJoystick(int penWidth, int deadRadius, int directions) {
    stylusJoystick_ = std::make_unique<StylusJoystick>(*this, penWidth, ScaleToScreen(deadRadius), directions);
}

void Canvas::destroyStylusJoystick() { stylusJoystick_.reset(); }

bool Canvas::joystickDragging() const { return stylusJoystick_ && stylusJoystick_->dragging(); }

void Canvas::drawJoystickIfDragged() {
    if (joystickDragging()) stylusJoystick_->drawJoystick();
}

void Canvas::createInputPad(uint32_t backgroundColor, const std::u16string& imageDir, const std::u16string& padImage,
                            const std::u16string& keyImage, const std::u16string& wideKeyImage) {
    inputPad_ = std::make_unique<InputPad>(*this, backgroundColor, imageDir, padImage, keyImage, wideKeyImage);
}

// ---- Running -----------------------------------------------------------------------------

void Canvas::start() {
    running_ = true;
    SetIdleHandler(this);
    frameTimer_.reset();
    idleWindows_ = 0;
}

void Canvas::stop() {
    running_ = false;
    SetIdleHandler(previousIdleHandler_);
}

void Canvas::addPreFrameListener(FrameListener* listener) {
    if (listener) preFrameListeners_.append(listener);
}

void Canvas::addPostFrameListener(FrameListener* listener) {
    if (listener) postFrameListeners_.append(listener);
}

void Canvas::onIdle(const Message&, WindowHandle) {
    frame();
    drawJoystickIfDragged();
    paint(nullptr);
}

void Canvas::frame() {
    bool windowCompleted = frameTimer_.tick();
    frameTime_ = frameTimer_.deltaSeconds;
    for (int i = preFrameListeners_.size() - 1; i >= 0; --i)
        preFrameListeners_.get<FrameListener>(i)->onFrame(frameTime_);
    beforeDraw(frameTime_);
    drawScenes();
    if (!backBuffer()) flushDirectScenes();
    afterDraw(frameTime_);
    for (int i = postFrameListeners_.size() - 1; i >= 0; --i)
        postFrameListeners_.get<FrameListener>(i)->onFrame(frameTime_);
    if (!windowCompleted) return;
    everyWindow(float(frameTimer_.windowMs) * 0.001f);
    if (++idleWindows_ * frameTimer_.windowMs > kIdleTimerResetMs) {
        idleWindows_ = 0;
        SystemIdleTimerReset();
    }
}

void Canvas::render(bool forceFull) {
    if (running_ && !forceFull) {
        frame();
        return;
    }
    frameTime_ = -1.0f;
    drawScenes();
}

void Canvas::repaint() {
    if (running_) return;
    render(true);
    drawJoystickIfDragged();
    paint(nullptr);
    if (!backBuffer()) flushDirectScenes();
}

void Canvas::flushDirectScenes() {
    for (int i = 0; i < scenes_.size(); ++i) {
        Scene* scene = sceneAt(i);
        if (scene->kind != SceneKind::Sprites && scene->renderer) scene->renderer->flushDirect();
    }
}

void Canvas::drawScenes() {
    bool full = frameTime_ < 0;
    bool skipDirect = running_ && full && !joystickDragging();
    int count = scenes_.size();
    for (int i = 0; i < count && i < scenes_.size(); ++i) {
        Scene* scene = sceneAt(i);
        if (scene->visible) drawScene(*scene, full, skipDirect);
    }
}

void Canvas::drawScene(Scene& scene, bool full, bool skipDirect) {
    if (!scene.buffered) {
        if (!skipDirect && scene.renderer) scene.renderer->draw(frameTime_);
        return;
    }
    scene.ensureBuffer();
    if (full) scene.renderBuffer();
    if (scene.presentHook) {
        scene.presentHook->present(scene);
        return;
    }
    FrameBuffer* destination = target();
    FrameBuffer& source = *scene.buffer;
    source.transparentColor = scene.transparentColor;
    if (destination && destination->bitsPerPixel == source.bitsPerPixel) {
        copyRect(source, *destination, scene.x, scene.y, 0, 0, source.width, source.height, false);
    } else {
        DeviceContext* dc = destination ? destination->deviceContext.get() : windowDc();
        if (dc) drawToDC(source, *dc, scene.x, scene.y, 0, 0, -1, -1, false);
    }
}

void Canvas::onPaint(PaintStruct&) {
    if (!backBuffer()) flushDirectScenes();
    render(false);
}

// ---- Templates ---------------------------------------------------------------------------

void Canvas::loadTemplateByName(const std::u16string& name) {
    std::u16string copy = name;
    loadTemplate(templateDir_, copy, screenModeVariant_, true);
}

bool Canvas::saveTemplate() {
    if (templateFile_.save()) return true;
    MessageBox(handle(),
               u"Can not update the template file: " + templateDir_ + templateName_ +
                   u".\nThe file is read-only or the storage media is not available. All changes will be ignored.",
               u"Warning", MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool Canvas::isChecked(const std::u16string& entryName) {
    auto status = templateFile_.getItem(entryName, u"status");
    return !(status && *status == u"0");
}

int Canvas::selectedIndex(const std::u16string& groupEntryName) {
    return templateFile_.getItemInt(groupEntryName, u"selected", 0);
}

// ---- Input ----------------------------------------------------------------------------------

Sprite* Canvas::HitTest(const SceneSprite& scene, int x, int y) {
    int px = x - scene.x, py = y - scene.y;
    for (int i = scene.objectCount() - 1; i >= 0; --i) {
        auto* sprite = static_cast<Sprite*>(scene.objectAt(i));
        if (!sprite->visible || !sprite->isWidget()) continue;
        if (px >= sprite->x && px <= sprite->x + sprite->width && py >= sprite->y && py <= sprite->y + sprite->height)
            return sprite;
    }
    return nullptr;
}

// Only the topmost visible sprite scene is searched, hit or not.
void Canvas::stylusHitTest(int x, int y) {
    setPressed(nullptr, nullptr);
    SceneSprite* scene = topmostActiveSpriteScene();
    if (!scene) return;
    if (Sprite* widget = HitTest(*scene, x, y)) setPressed(widget, scene);
}

void Canvas::onMouse(uint32_t message, uint32_t flags, int x, int y, int phase) {
    if (message != WM_MOUSEMOVE && message != WM_LBUTTONDOWN && message != WM_LBUTTONUP) return;
    if (message == WM_MOUSEMOVE) {
        if (joystickDragging() && flags == MK_LBUTTON) {
            stylusJoystick_->moveDrag(x, y);
            stylusJoystick_->applyKeys(true);
            repaint();
            return;
        }
        // Hover feedback only: the press itself stays as it was.
        Sprite* widget = pressedWidget_;
        SceneSprite* scene = pressedScene_;
        stylusHitTest(x, y);
        Sprite* hovered = pressedWidget_;
        setPressed(widget, scene);
        int cursor = !hovered || hovered->disabled          ? IDC_ARROW
                     : hovered->guiType == GuiType::EditBox ? IDC_IBEAM
                                                            : IDC_HAND;
        SetCursor(LoadCursor(cursor));
        return;
    }
    if (phase == 0 && message == WM_LBUTTONDOWN) {
        stylusHitTest(x, y);
        if (pressedWidget_ && pressedScene_->navigationMode == 1) SetSceneFocus(*pressedScene_, pressedWidget_, false);
    }
    if (phase != 1 && stylusJoystick_ && !pressedWidget_) {
        if (message == WM_LBUTTONDOWN && stylusJoystick_->enabled) {
            stylusJoystick_->beginDrag(x, y);
        } else if (message == WM_LBUTTONUP && stylusJoystick_->dragging()) {
            stylusJoystick_->endDrag();
            repaint();
        }
    }
    if (phase == 1 && pressedWidget_ && pressedScene_) {
        RunWidgetAction(*this, *pressedScene_, *pressedWidget_, message);
        repaint();
    }
}

void Canvas::onKey(uint32_t message, int keyCode) {
    auto mapped = keyMap_.find(keyCode);
    if (mapped != keyMap_.end()) keyCode = mapped->second;
    if (message == WM_KEYUP) lastKeyUp_ = keyCode;
    if (uint32_t bit = KeyBitFor(keyCode)) {
        if (message == WM_KEYDOWN) keyState_ |= bit;
        else keyState_ &= ~bit;
    }
    // An open keyboard takes what the physical keyboard types as characters:
    // the keys that typed them neither press hot keys nor switch their labels.
    // Backspace deletes there too.
    if (inputPad_ && inputPad_->isOpen() && inputPad_->keyboardKey(message, keyCode)) return;
    if (SceneSprite* scene = topmostActiveSpriteScene()) DispatchKeyToScene(*this, *scene, message, keyCode);
}

void Canvas::onChar(char16_t character) {
    if (inputPad_ && inputPad_->isOpen()) inputPad_->type(character);
}

void Canvas::onActivateTree(bool active) {
    SoundMixer* mixer = GetSoundMixer();
    if (!active) {
        if (running_) {
            stop();
            wasRunningBeforeDeactivate_ = true;
        }
        if (mixer) PauseSoundOutput();
        return;
    }
    setFocus();
    if (wasRunningBeforeDeactivate_) {
        wasRunningBeforeDeactivate_ = false;
        start();
    }
    if (mixer) ResumeSoundOutput();
}
