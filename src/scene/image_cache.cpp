#include "scene/image_cache.h"

Texture* ImageCache::load(std::u16string_view dir, std::u16string_view name, bool powerOfTwo, bool roundUp) {
    lastLoadCached_ = false;
    if (name.empty()) return nullptr;
    if (Texture* cached = find(name)) {
        lastLoadCached_ = true;
        return cached;
    }
    std::u16string path(dir);
    if (!path.empty() && path.back() != u'\\' && path.back() != u'/') path += u'\\';
    path += name;
    auto texture = std::make_unique<Texture>(path, powerOfTwo, roundUp);
    if (texture->empty()) return nullptr;
    Texture* result = texture.get();
    textures_.emplace(std::u16string(name), std::move(texture));
    return result;
}

Texture* ImageCache::find(std::u16string_view name) const {
    auto it = textures_.find(name);
    return it == textures_.end() ? nullptr : it->second.get();
}

bool ImageCache::release(std::u16string_view name) {
    auto it = textures_.find(name);
    if (it == textures_.end()) return false;
    textures_.erase(it);
    return true;
}

bool ImageCache::release(const Texture* texture) {
    for (auto it = textures_.begin(); it != textures_.end(); ++it) {
        if (it->second.get() == texture) {
            textures_.erase(it);
            return true;
        }
    }
    return false;
}
