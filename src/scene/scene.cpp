#include "scene/scene.h"

#include "scene/image_ops.h"

Scene::~Scene() {
    renderer.reset();
    clearObjects();
}

void Scene::addObject(const std::u16string& objectName, SceneObject* object) {
    if (!object) return;
    object->name = objectName.substr(0, kMaxNameLength);
    objects.append(object);
}

bool Scene::removeObject(SceneObject* object) {
    if (!objects.remove(object)) return false;
    delete object;
    return true;
}

bool Scene::removeObjectByName(const std::u16string& objectName) { return removeObject(findObject(objectName)); }

void Scene::clearObjects() {
    for (int i = 0; i < objects.size(); ++i) delete objects.get<SceneObject>(i);
    objects.clear();
}

SceneObject* Scene::findObject(const std::u16string& objectName) const {
    for (int i = 0; i < objects.size(); ++i) {
        auto* object = objects.get<SceneObject>(i);
        if (object->name == objectName) return object;
    }
    return nullptr;
}

void Scene::ensureBuffer() {
    if (buffered && (!buffer || buffer->width != width || buffer->height != height))
        buffer = std::make_unique<FrameBuffer>(width, height, true);
}

void Scene::renderBuffer() {
    if (!buffered) return;
    ensureBuffer();
    if (renderHook) {
        renderHook->render(*this, true, 0.0f);
        return;
    }
    if (bkgColor == 0xFFFFFFFF && !bkgTexture) ::clear(*buffer, transparentColor);
    if (renderer) renderer->draw(0.0f);
}
