#pragma once
// The canvas: the on-screen control every screen of the program is shown in.
// It owns a stack of scenes loaded from a template, draws them frame by frame
// from the main loop, and routes keys and the stylus to the widgets of its
// topmost sprite scene. Subclasses fill in the hooks (slots 17 to 25).

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/frame_timer.h"
#include "data/property_file.h"
#include "platform/loop_state.h"
#include "platform/window.h"
#include "scene/key_state.h"
#include "scene/model_cache.h"
#include "scene/scene.h"
#include "sound/sound_store.h"

class BitmapFont;
class ImageCache;
class InputPad;
class StylusJoystick;
class SceneSprite;
class Sprite;
class Texture;

class FrameListener {
public:
    virtual ~FrameListener() = default;
    virtual void onFrame(float frameTime) = 0;
};

class Canvas : public Window, public IdleHandler {
public:
    static constexpr const char16_t* kCanvasClassName = u"CANVAS";
    static constexpr size_t kMaxTemplateName = 64;

    // A visible child control; `buffered` gives it a back buffer to draw in.
    Canvas(const std::u16string& name, bool buffered, bool hollowBackground);
    ~Canvas() override;

    // ---- Window hooks ----
    void onPaint(host::PaintStruct& paint) override;
    void onMouse(uint32_t message, uint32_t flags, int x, int y, int phase) override;
    void onKey(uint32_t message, int keyCode) override;
    void onChar(char16_t character) override;
    void onActivateTree(bool active) override;
    void onDestroyed() override;

    // ---- Canvas hooks ----
    virtual void frame();
    virtual void drawScenes();
    virtual void beforeDraw(float frameTime) { (void)frameTime; }
    virtual void afterDraw(float frameTime) { (void)frameTime; }
    virtual void everyWindow(float windowSeconds) { (void)windowSeconds; }
    virtual void afterTemplateLoaded() {}
    virtual void beforeClear() {}
    virtual void loadCustomObject(PropertyFile& file, const std::u16string& entryName) { (void)file, (void)entryName; }
    virtual void loadTemplateByName(const std::u16string& name);

    // The main loop's idle pass: one frame, the joystick overlay, the present.
    void onIdle(const host::Message& message, host::WindowHandle mainWindow) override;

    // ---- Templates ----
    void loadTemplate(const std::u16string& dir, const std::u16string& name, bool screenModeVariant, bool replace);
    // The same for a template whose text is already in memory: it is taken as
    // the file dir + name, which later write-backs go to.
    void loadTemplateBytes(const std::u16string& dir, const std::u16string& name, const uint8_t* data, size_t size,
                           bool replace);
    void clear();
    bool saveTemplate();
    bool isChecked(const std::u16string& entryName);
    int selectedIndex(const std::u16string& groupEntryName);
    PropertyFile& templateFile() { return templateFile_; }
    const std::u16string& templateDir() const { return templateDir_; }
    const std::u16string& templateName() const { return templateName_; }

    // ---- Scenes and objects ----
    int addScene(const std::u16string& name, Scene* scene);
    void removeScene(Scene* scene);
    Scene* findScene(const std::u16string& name) const;
    SceneObject* findObject(const std::u16string& name) const;
    Scene* findSceneOfObject(const std::u16string& name) const;
    SceneSprite* topmostActiveSpriteScene() const;
    int sceneCount() const { return scenes_.size(); }
    Scene* sceneAt(int index) const { return scenes_.get<Scene>(index); }

    void addFont(const std::u16string& name, std::unique_ptr<BitmapFont> font);
    BitmapFont* findFont(const std::u16string& name) const;
    void addSound(const std::u16string& name, SoundBase* sound) { soundTable_.add(name, sound); }
    SoundBase* findSound(const std::u16string& name) const { return soundTable_.find(name); }
    SoundStore& soundStore() { return soundStore_; }
    SoundTable& soundTable() { return soundTable_; }
    ImageCache& imageCache() { return *imageCache_; }
    // The 3D models of this canvas by file name; the 3D engine installs its
    // cache on first use. Emptied and destroyed with the other caches.
    ModelCache* modelCache() const { return modelCache_.get(); }
    void setModelCache(std::unique_ptr<ModelCache> cache) { modelCache_ = std::move(cache); }

    // ---- Running ----
    void start();
    void stop();
    bool isRunning() const { return running_; }
    void render(bool forceFull);
    void repaint();
    void flushDirectScenes();
    FrameTimer& frameTimer() { return frameTimer_; }
    float frameTime() const { return frameTime_; }

    // ---- Input ----
    KeyState keyState() const { return keyState_; }
    void setKeyState(KeyState state) { keyState_ = state; }
    int takeLastKey() { return std::exchange(lastKeyUp_, 0); }
    void setKeyMap(std::map<int, int> keyMap) { keyMap_ = std::move(keyMap); }
    Sprite* pressedWidget() const { return pressedWidget_; }
    SceneSprite* pressedScene() const { return pressedScene_; }
    void setPressed(Sprite* widget, SceneSprite* scene) {
        pressedWidget_ = widget;
        pressedScene_ = scene;
    }
    // The topmost visible widget under a point of the scene, or null.
    static Sprite* HitTest(const SceneSprite& scene, int x, int y);

    void addPreFrameListener(FrameListener* listener);
    void removePreFrameListener(FrameListener* listener) { preFrameListeners_.remove(listener); }
    void clearPreFrameListeners() { preFrameListeners_.clear(); }
    const PtrVector& preFrameListeners() const { return preFrameListeners_; }
    void addPostFrameListener(FrameListener* listener);
    void removePostFrameListener(FrameListener* listener) { postFrameListeners_.remove(listener); }
    void clearPostFrameListeners() { postFrameListeners_.clear(); }
    const PtrVector& postFrameListeners() const { return postFrameListeners_; }

    // ---- Text defaults ("PageSetting") ----
    int defaultTextSize = 16;
    uint32_t defaultTextColor = 0xFFFFFF;
    uint32_t defaultTextColorBright = 0xFFFFFF;

    InputPad* inputPad() const { return inputPad_.get(); }
    // Replaces any earlier pad; the pad builds its scene on first use.
    void createInputPad(uint32_t backgroundColor, const std::u16string& imageDir, const std::u16string& padImage,
                        const std::u16string& keyImage, const std::u16string& wideKeyImage);

    StylusJoystick* stylusJoystick() const { return stylusJoystick_.get(); }
    // deadRadius in design units; directions 1 four, 0 none, other eight.
    void createStylusJoystick(int penWidth, int deadRadius, int directions);
    void destroyStylusJoystick();

    // The back buffer the scenes draw on, or null for an unbuffered canvas.
    FrameBuffer* target() const { return backBuffer() ? &backBuffer()->surface() : nullptr; }

protected:
    // Both loads: `read` fills templateFile with the entries and the names
    // this file defines, false when it cannot be read.
    void loadTemplateWith(const std::u16string& dir, const std::u16string& name, bool replace,
                          const std::function<bool(std::vector<std::u16string>*)>& read);
    void loadEntry(const std::u16string& entryName);
    void stylusHitTest(int x, int y);
    void drawScene(Scene& scene, bool full, bool skipDirect);
    void dropContent();
    void releaseEverything();
    bool joystickDragging() const;
    void drawJoystickIfDragged();

private:
    bool hollowBackground_;
    bool running_ = false;
    KeyState keyState_ = 0;
    std::map<int, int> keyMap_;
    int lastKeyUp_ = 0;
    FrameTimer frameTimer_;
    SoundTable soundTable_;
    std::vector<std::pair<std::u16string, std::unique_ptr<BitmapFont>>> fontTable_;
    PtrVector preFrameListeners_{32};
    PtrVector postFrameListeners_{32};
    bool wasRunningBeforeDeactivate_ = false;
    float frameTime_ = 0.0f;
    PropertyFile templateFile_{u'=', u',', u':'};
    std::vector<std::u16string> loadedNames_;
    PtrVector scenes_;
    Sprite* pressedWidget_ = nullptr;
    SceneSprite* pressedScene_ = nullptr;
    int idleWindows_ = 0;
    std::unique_ptr<ImageCache> imageCache_;
    std::unique_ptr<ModelCache> modelCache_;
    SoundStore soundStore_;
    std::unique_ptr<InputPad> inputPad_;
    std::unique_ptr<StylusJoystick> stylusJoystick_;
    IdleHandler* previousIdleHandler_;
    std::u16string templateDir_;
    std::u16string templateName_;
    bool screenModeVariant_ = false;
};
