#pragma once
// The canvas's 3D models by file name. The first request for a file loads it
// with the 3DS loader and keeps it; every request returns a copy of the kept
// model, normalised again when the radius asked for differs. (The kept model
// itself is never handed out, so removing an object from its scene can never
// leave the store holding a destroyed model.)

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "render3d/object3d.h"
#include "scene/model_cache.h"

class Canvas;
class ImageCache;

class ModelStore : public ModelCache {
public:
    void clear() override { models_.clear(); }
    size_t size() const { return models_.size(); }

    // A new object for the model, or null when it cannot be loaded (the
    // loader has told the user). Textures come through imageCache when given.
    std::unique_ptr<Object3D> loadModel(std::u16string_view folder, const std::u16string& fileName, float radius,
                                        ImageCache* imageCache, const std::optional<std::u16string>& wanted,
                                        const std::optional<std::u16string>& unwanted);

private:
    std::map<std::u16string, std::unique_ptr<Object3D>> models_;
};

// The canvas's model store, created on first use.
ModelStore& ModelStoreOf(Canvas& canvas);
