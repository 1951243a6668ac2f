#include "render3d/object3d.h"

#include <algorithm>
#include <cfloat>
#include <map>

#include "scene/texture.h"

void Material3D::adoptTextureKey() {
    if (!texture || !texture->bitmap() || texture->bitmap()->transparentColor == 0xFFFFFFFF) return;
    hasTransparentColour = true;
    transparentColour = texture->bitmap()->transparentColor;
    alphaTexture = texture;
}

// ---- Mesh3D ---------------------------------------------------------------------------

void Mesh3D::addVertex(float x, float y, float z, int32_t u, int32_t v) {
    Vertex vertex;
    vertex.x = TruncToInt(double(x) * 65536.0);
    vertex.y = TruncToInt(double(y) * 65536.0);
    vertex.z = TruncToInt(double(z) * 65536.0);
    vertex.u = u;
    vertex.v = v;
    vertices.push_back(vertex);
}

void Mesh3D::addFace(int a, int b, int c) {
    Face face;
    face.a = uint16_t(a);
    face.b = uint16_t(b);
    face.c = uint16_t(c);
    faces.push_back(face);
}

std::unique_ptr<Mesh3D> Mesh3D::copy() const { return std::make_unique<Mesh3D>(*this); }

// ---- Object3D ---------------------------------------------------------------------------

Mesh3D* Object3D::addMesh(const std::u16string& meshName, std::unique_ptr<Mesh3D> mesh) {
    if (!mesh) return nullptr;
    mesh->name = meshName;
    meshes.push_back(std::move(mesh));
    return meshes.back().get();
}

Material3D* Object3D::addMaterial(const std::u16string& materialName, std::unique_ptr<Material3D> material) {
    if (!material) return nullptr;
    material->name = materialName;
    materials.push_back(std::move(material));
    return materials.back().get();
}

Material3D* Object3D::findMaterial(std::u16string_view materialName) const {
    for (const auto& m : materials)
        if (m->name == materialName) return m.get();
    return nullptr;
}

Mesh3D* Object3D::findMesh(std::u16string_view meshName) const {
    for (const auto& m : meshes)
        if (m->name == meshName) return m.get();
    return nullptr;
}

std::unique_ptr<Object3D> Object3D::clone() const {
    auto copy = std::make_unique<Object3D>();
    copy->name = name;
    static_cast<Object3DValues&>(*copy) = *this;
    copy->ownedTextures = ownedTextures;
    std::map<const Material3D*, Material3D*> copied;
    for (const auto& m : materials) {
        copy->materials.push_back(std::make_unique<Material3D>(*m));
        copied[m.get()] = copy->materials.back().get();
    }
    auto copyMesh = [&](const Mesh3D& mesh) {
        auto c = mesh.copy();
        auto found = copied.find(mesh.material);
        if (found != copied.end()) c->material = found->second;
        return c;
    };
    for (const auto& mesh : meshes) copy->meshes.push_back(copyMesh(*mesh));
    std::map<const Mesh3D*, Mesh3D*> levelCopies;
    for (const auto& mesh : levelMeshes) {
        copy->levelMeshes.push_back(copyMesh(*mesh));
        levelCopies[mesh.get()] = copy->levelMeshes.back().get();
    }
    for (const auto& level : levels) {
        std::vector<Mesh3D*> list;
        for (Mesh3D* mesh : level) list.push_back(levelCopies[mesh]);
        copy->levels.push_back(std::move(list));
    }
    return copy;
}

void Object3D::normalize(float newRadius, const std::optional<std::u16string>& wanted,
                         const std::optional<std::u16string>& unwanted) {
    radius = newRadius;
    if (meshes.empty()) return;
    Vector3 lo{FLT_MAX, FLT_MAX, FLT_MAX}, hi{-FLT_MAX, -FLT_MAX, -FLT_MAX};
    bool any = false;
    for (const auto& mesh : meshes) {
        if (wanted && wanted->find(mesh->name) == std::u16string::npos) continue;
        if (unwanted && unwanted->find(mesh->name) != std::u16string::npos) continue;
        for (const Vertex& v : mesh->vertices) {
            Vector3 p = Vector3::fromFixed(v.x, v.y, v.z);
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
            any = true;
        }
    }
    // Nothing passed the filter, or every counted vertex is one point: there is
    // no extent to scale by, so the object keeps its geometry.
    if (!any) return;
    Vector3 extent = hi - lo;
    float largest = std::max(extent.x, std::max(extent.y, extent.z));
    if (!(largest > 0.0f)) return;
    float s = newRadius / (largest * 0.5f);
    size = extent * s;
    Vector3 mid = (lo + hi) * 0.5f;
    int32_t c[3] = {TruncToInt(double(mid.x) * 65536.0 + 0.5), TruncToInt(double(mid.y) * 65536.0 + 0.5),
                    TruncToInt(double(mid.z) * 65536.0 + 0.5)};
    for (const auto& mesh : meshes) {
        for (Vertex& v : mesh->vertices) {
            v.x = TruncToInt(double(float(int64_t(v.x) - c[0]) * s));
            v.y = TruncToInt(double(float(int64_t(v.y) - c[1]) * s));
            v.z = TruncToInt(double(float(int64_t(v.z) - c[2]) * s));
        }
        mesh->prepared = false;
    }
}

void Object3D::setDetailLevel(int shadingMode) {
    for (auto& m : materials) m->shadingMode = shadingMode;
}

void Object3D::setEnvironment(bool on) {
    for (auto& m : meshes) m->environment = on;
    for (auto& m : levelMeshes) m->environment = on;
}

void Object3D::attachLevels(std::vector<std::unique_ptr<Object3D>> levelObjects, float segmentLength) {
    if (levelObjects.empty() || !(segmentLength > 0.0f)) return;
    segment = segmentLength;
    levels.clear();
    for (auto& level : levelObjects) {
        if (!level) continue;
        // Every material moves along, also one whose name the container has
        // already: the level's meshes keep using their own.
        for (auto& material : level->materials) materials.push_back(std::move(material));
        std::vector<Mesh3D*> list;
        for (auto& mesh : level->meshes) {
            list.push_back(mesh.get());
            levelMeshes.push_back(std::move(mesh));
        }
        for (auto& texture : level->ownedTextures) ownedTextures.push_back(texture);
        levels.push_back(std::move(list));
    }
}

void Object3D::update(float timeStep, uint32_t frame) {
    for (auto& m : materials) {
        for (Texture* t : {m->texture, m->alphaTexture, m->environmentTexture}) {
            if (!t || !t->animated || t->lastFrameStamp == frame) continue;
            t->advance(timeStep);
            t->lastFrameStamp = frame;
        }
    }
}
