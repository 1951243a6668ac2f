#pragma once
// The textures of one canvas, shared by file name. The cache owns them: they
// live until released, until the cache is cleared or destroyed.

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "scene/texture.h"

class ImageCache {
public:
    // The texture cached under `name`, exactly as written; otherwise loads it
    // from dir + "\" + name, or the larger picture ChoosePicture picks for the
    // screen, and caches it. Null for an empty name and for a
    // picture that could not be loaded; the failure is cached too, so a name
    // used by several sprites is reported once (`release` forgets it).
    Texture* load(std::u16string_view dir, std::u16string_view name, bool powerOfTwo, bool roundUp);
    // Whether the last load was answered from the cache.
    bool lastLoadCached() const { return lastLoadCached_; }

    // The loaded texture cached under `name`; null for none or a failure.
    Texture* find(std::u16string_view name) const;
    // Remove and destroy one entry; false when it is not there.
    bool release(std::u16string_view name);
    bool release(const Texture* texture);
    void clear() { textures_.clear(); }
    size_t size() const { return textures_.size(); }

private:
    std::map<std::u16string, std::unique_ptr<Texture>, std::less<>> textures_;
    bool lastLoadCached_ = false;
};
