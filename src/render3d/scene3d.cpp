#include "render3d/scene3d.h"

#include <algorithm>

#include "platform/host/host.h"
#include "render3d/software_renderer.h"
#include "scene/canvas.h"

Scene3D::Scene3D(int x0, int y0, int w, int h) : Scene(SceneKind::ThreeD) {
    x = x0;
    y = y0;
    width = std::max(w, kMinSize);
    height = std::max(h, kMinSize);
}

Scene3D::~Scene3D() {
    // The pipeline refers to the camera, lights and fog: it goes first.
    renderer.reset();
}

void Scene3D::addObject(const std::u16string& objectName, Object3D* object) { Scene::addObject(objectName, object); }

void Scene3D::addLight(const std::u16string& lightName, std::unique_ptr<Light> light) {
    if (!light) return;
    light->name = lightName.substr(0, kMaxNameLength);
    lights_.push_back(std::move(light));
}

Object3D* Scene3D::findObject(const std::u16string& objectName) const {
    return static_cast<Object3D*>(Scene::findObject(objectName));
}

Light* Scene3D::findLight(const std::u16string& lightName) const {
    for (const auto& light : lights_)
        if (light->name == lightName) return light.get();
    return nullptr;
}

RenderPipeline* Scene3D::pipeline() const { return static_cast<RenderPipeline*>(renderer.get()); }

void createPipeline(Scene3D* scene, int type) {
    if (!scene || scene->pipeline() || !scene->canvas) return;
    if (type == kSoftwarePipeline) scene->renderer = std::make_unique<SoftwareRenderer>(*scene);
    if (!scene->pipeline()) {
        host::MessageBox(scene->canvas->handle(), u"Can not create the 3D rendering pipeline.", u"Error",
                         host::MB_OK | host::MB_ICONERROR);
    }
    if (type == kSoftwarePipeline)
        scene->setCamera(std::make_unique<PerspectiveCamera>(scene, scene->width, scene->height, 0, 45.0f, 1.0f,
                                                             10000.0f));
    if (RenderPipeline* pipeline = scene->pipeline()) {
        for (int i = scene->objectCount() - 1; i >= 0; --i) pipeline->prepareObject(*scene->object3DAt(i));
    }
}
