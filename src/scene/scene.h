#pragma once
// The common base of the canvas's scenes (2D sprite scenes and 3D scenes), and
// of the objects they own.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/frame_buffer.h"
#include "platform/ptr_vector.h"

class Canvas;
class Scene;
class Texture;

// Everything a scene holds: sprites, 3D objects. The scene owns its objects.
class SceneObject {
public:
    virtual ~SceneObject() = default;
    std::u16string name;  // up to 64 characters
};

// A scene's drawing strategy.
class SceneRenderer {
public:
    virtual ~SceneRenderer() = default;
    virtual void draw(float time) = 0;
    // Draws straight to the window when the canvas has no back buffer.
    virtual void flushDirect() {}
};

// Replaces the copy of a buffered scene onto the canvas.
class ScenePresentHook {
public:
    virtual ~ScenePresentHook() = default;
    virtual void present(Scene& scene) = 0;
};

// Replaces redrawing a buffered scene's buffer.
class SceneRenderHook {
public:
    virtual ~SceneRenderHook() = default;
    virtual void render(Scene& scene, bool clearFirst, float time) = 0;
};

enum class SceneKind : int { Sprites = 0, ThreeD = 2 };

class Scene {
public:
    static constexpr size_t kMaxNameLength = 64;

    explicit Scene(SceneKind kind) : kind(kind) {}
    virtual ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // Takes ownership; the name is cut to 64 characters.
    void addObject(const std::u16string& objectName, SceneObject* object);
    // Removes and destroys; false when absent.
    bool removeObject(SceneObject* object);
    bool removeObjectByName(const std::u16string& objectName);
    void clearObjects();
    int objectCount() const { return objects.size(); }
    SceneObject* objectAt(int index) const { return objects.get<SceneObject>(index); }
    // The first object of exactly that name, or null.
    SceneObject* findObject(const std::u16string& objectName) const;
    // Creates the off-screen buffer at the scene's size (buffered scenes).
    void ensureBuffer();
    // Redraws a buffered scene's buffer from scratch: through renderHook, or
    // cleared to transparentColor (unless a background covers it) and drawn
    // by the renderer, so nothing of the previous content (an old focus
    // frame) stays.
    void renderBuffer();

    bool visible = true;
    bool buffered = false;
    uint32_t transparentColor = 0x000000;
    ScenePresentHook* presentHook = nullptr;
    SceneRenderHook* renderHook = nullptr;
    SceneKind kind;
    int x = 0, y = 0;
    int width = 0, height = 0;
    uint32_t bkgColor = 0xFFFFFFFF;  // none
    Texture* bkgTexture = nullptr;   // owned by the canvas's image cache
    PtrVector objects;
    Canvas* canvas = nullptr;
    std::unique_ptr<SceneRenderer> renderer;
    std::u16string name;
    FrameBuffer* target = nullptr;  // the canvas's back buffer, or null
    std::unique_ptr<FrameBuffer> buffer;
};
