#include "render3d/model_store.h"

#include "render3d/model_3ds.h"
#include "scene/canvas.h"

std::unique_ptr<Object3D> ModelStore::loadModel(std::u16string_view folder, const std::u16string& fileName,
                                                float radius, ImageCache* imageCache,
                                                const std::optional<std::u16string>& wanted,
                                                const std::optional<std::u16string>& unwanted) {
    auto found = models_.find(fileName);
    if (found == models_.end()) {
        auto loaded = Load3ds(folder, fileName, radius, imageCache, wanted, unwanted);
        if (!loaded) return nullptr;
        found = models_.emplace(fileName, std::move(loaded)).first;
    }
    auto copy = found->second->clone();
    if (copy->radius != radius) copy->normalize(radius, wanted, unwanted);
    return copy;
}

ModelStore& ModelStoreOf(Canvas& canvas) {
    if (!canvas.modelCache()) canvas.setModelCache(std::make_unique<ModelStore>());
    return static_cast<ModelStore&>(*canvas.modelCache());
}
