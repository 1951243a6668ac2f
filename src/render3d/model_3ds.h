#pragma once
// The 3DS model loader: a file's named triangle meshes with their vertices,
// faces and texture coordinates, and its materials with colours,
// transparency, shading, texture, opacity and reflection maps. The file's
// right-handed, z-up coordinates become the engine's left-handed, y-up ones:
// (X, Y, Z) is stored as (-X, Z, -Y).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "render3d/object3d.h"

class ImageCache;

struct Load3dsOptions {
    // Folder of the model's textures, ending in a separator.
    std::u16string textureFolder;
    // Textures come from here when given, else each is a new texture owned
    // by the object.
    ImageCache* imageCache = nullptr;
    bool loadTextures = true;
    // No message boxes.
    bool silent = false;
};

// Reads a 3DS file held in memory and normalises the object to `radius` with
// the mesh-name lists (see Object3D::normalize). Null, after the "not a valid
// 3DS file" message, when the first chunk is not the main chunk. Never reads
// outside the data; truncated data gives what was read before the end.
std::unique_ptr<Object3D> Parse3ds(const uint8_t* data, size_t size, const Load3dsOptions& options, float radius,
                                   const std::optional<std::u16string>& wanted,
                                   const std::optional<std::u16string>& unwanted);

// Loads folder + fileName through the resource layer. A directory part of
// fileName joins the folder, which is also the textures' folder. Null, after
// a message (unless silent), when the file is missing or not a 3DS file.
std::unique_ptr<Object3D> Load3ds(std::u16string_view folder, std::u16string_view fileName, float radius,
                                  ImageCache* imageCache, const std::optional<std::u16string>& wanted,
                                  const std::optional<std::u16string>& unwanted, bool silent = false);

// The full path and the textures' folder Load3ds uses for a model.
struct ModelPath {
    std::u16string path;
    std::u16string folder;
};
ModelPath ResolveModelPath(std::u16string_view folder, std::u16string_view fileName);
