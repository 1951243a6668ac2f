#pragma once
// A 3D scene: one of the canvas's scenes, holding named 3D objects, lights, an
// optional fog, an ambient colour and, once the scene is first shown, a camera
// and a rendering pipeline that draws it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render3d/camera.h"
#include "render3d/object3d.h"
#include "render3d/render_pipeline.h"
#include "scene/scene.h"

class Light {
public:
    // Normalizes the direction.
    void setDirection(const Vector3& d) { direction = d.normalized(); }

    uint32_t diffuse = 0xFFFFFF;
    uint32_t specular = 0xFFFFFF;
    int specularStrength = 320;  // 1/255 units
    int shininess = 120;         // 1/4096 units
    Vector3 direction{0.0f, -1.0f, 0.0f};
    std::u16string name;
};

struct Fog {
    int front = 100;  // world units of depth
    int back = 200;
    uint32_t colour = 0xFFFFFF;
};

class Scene3D : public Scene {
public:
    static constexpr int kMinSize = 8;

    // Width and height are raised to 8 when smaller.
    Scene3D(int x, int y, int width, int height);
    ~Scene3D() override;

    // Takes ownership; the name is cut to 64 characters.
    void addObject(const std::u16string& objectName, Object3D* object);
    void addLight(const std::u16string& lightName, std::unique_ptr<Light> light);
    // The first object or light of exactly that name, or null.
    Object3D* findObject(const std::u16string& objectName) const;
    Light* findLight(const std::u16string& lightName) const;
    Object3D* object3DAt(int index) const { return static_cast<Object3D*>(objectAt(index)); }
    const std::vector<std::unique_ptr<Light>>& lights() const { return lights_; }
    // Replaces the previous fog; null removes it.
    void setFog(std::unique_ptr<Fog> newFog) { fog_ = std::move(newFog); }
    Fog* fog() const { return fog_.get(); }

    RenderPipeline* pipeline() const;
    Camera* camera() const { return camera_.get(); }
    void setCamera(std::unique_ptr<Camera> camera) { camera_ = std::move(camera); }

    uint32_t ambient = 0;  // 0xRRGGBB
    // The scene whose depth buffer this one starts every frame from, or null.
    Scene3D* zBufferProvider = nullptr;

private:
    std::vector<std::unique_ptr<Light>> lights_;
    std::unique_ptr<Fog> fog_;
    std::unique_ptr<Camera> camera_;
};

// Pipeline type 0: the software renderer, the only one there is.
inline constexpr int kSoftwarePipeline = 0;

// Creates the scene's pipeline and camera when the scene is first shown: for
// type 0 a software renderer and a perspective camera (fov 45, near 1, far
// 10000, the scene's size, navigation mode 0), then prepares every object.
// Does nothing when the scene has a pipeline already or has no canvas; any
// other type shows "Can not create the 3D rendering pipeline." and leaves
// the scene without one.
void createPipeline(Scene3D* scene, int type);
