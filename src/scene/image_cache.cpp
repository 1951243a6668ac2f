#include "scene/image_cache.h"

#include "scene/image_file.h"

Texture* ImageCache::load(std::u16string_view dir, std::u16string_view name, bool powerOfTwo, bool roundUp) {
    lastLoadCached_ = false;
    if (name.empty()) return nullptr;
    if (auto cached = textures_.find(name); cached != textures_.end()) {
        lastLoadCached_ = true;
        return cached->second->empty() ? nullptr : cached->second.get();
    }
    std::u16string path(dir);
    if (!path.empty() && path.back() != u'\\' && path.back() != u'/') path += u'\\';
    path += name;
    const PictureChoice picture = ChoosePicture(path);
    auto texture = std::make_unique<Texture>(picture.path, powerOfTwo, roundUp);
    texture->pictureScale = picture.scale;
    Texture* result = texture->empty() ? nullptr : texture.get();
    textures_.emplace(std::u16string(name), std::move(texture));
    return result;
}

Texture* ImageCache::find(std::u16string_view name) const {
    auto it = textures_.find(name);
    return it == textures_.end() || it->second->empty() ? nullptr : it->second.get();
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
