#include "render3d/object_readers.h"

#include <algorithm>
#include <cmath>

#include "data/text_helpers.h"
#include "platform/host/host.h"
#include "render3d/model_store.h"
#include "render3d/scene3d.h"
#include "scene/canvas.h"
#include "scene/image_cache.h"
#include "scene/object_types.h"
#include "scene/property_list.h"
#include "scene/sprite_reader.h"

namespace {

Scene3D* FindScene3D(Canvas& canvas, const PropertyList& props, const char16_t* key) {
    auto name = props.string(key);
    if (!name) return nullptr;
    Scene* scene = canvas.findScene(*name);
    return scene && scene->kind == SceneKind::ThreeD ? static_cast<Scene3D*>(scene) : nullptr;
}

// Textures of 3D materials are power-of-two sized, to the nearer power.
Texture* Load3DTexture(Canvas& canvas, const PropertyList& props, const char16_t* key) {
    auto file = props.string(key);
    if (!file || file->empty()) return nullptr;
    return canvas.imageCache().load(canvas.templateDir(), *file, true, false);
}

std::optional<std::u16string> NameList(const PropertyList& props, const char16_t* key) { return props.string(key); }

// Places the object, or "number" copies of it named name0, name1, ...
void PlaceObject(Scene3D& scene, const std::u16string& entryName, const PropertyList& props,
                 std::unique_ptr<Object3D> object) {
    int copies = props.integer(u"number", 0);
    if (copies < 1) {
        scene.addObject(entryName, object.release());
        return;
    }
    Object3D* first = object.get();
    scene.addObject(entryName + u"0", object.release());
    for (int i = 1; i < copies; ++i) scene.addObject(entryName + Decimal(i), first->clone().release());
}

// "(x;y;z)": fewer than three numbers keep the default.
Vector3 ParseDirection(const std::optional<std::u16string>& text, Vector3 fallback) {
    if (!text) return fallback;
    std::u16string value = *text;
    Trim(value, u" \t()");
    float parts[3];
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        if (start > value.size()) return fallback;
        size_t end = value.find(u';', start);
        std::u16string_view piece = std::u16string_view(value).substr(start, end == std::u16string::npos ? value.npos : end - start);
        if (TrimView(piece, kBlanks).empty()) return fallback;
        parts[i] = ParseLeadingFloat(piece);
        start = end == std::u16string::npos ? value.size() + 1 : end + 1;
    }
    return {parts[0], parts[1], parts[2]};
}

std::vector<std::u16string> ModelNames(const std::optional<std::u16string>& text) {
    std::vector<std::u16string> names;
    if (!text) return names;
    std::u16string value = *text;
    Trim(value, u" \t()");
    size_t start = 0;
    while (start <= value.size()) {
        size_t end = value.find(u';', start);
        std::u16string name = value.substr(start, end == std::u16string::npos ? value.npos : end - start);
        Trim(name, kBlanks);
        names.push_back(name);
        if (end == std::u16string::npos) break;
        start = end + 1;
    }
    return names;
}

}  // namespace

std::unique_ptr<Object3D> BuildChip(int width, int height, int orientation, float radius, bool mirror,
                                    Texture* texture, Texture* alpha) {
    auto object = std::make_unique<Object3D>();
    auto material = std::make_unique<Material3D>();
    material->texture = texture;
    material->alphaTexture = alpha;
    material->twoSided = true;
    material->flatLighting = true;
    material->adoptTextureKey();
    Material3D* chipMaterial = object->addMaterial(u"chipMtl", std::move(material));

    auto mesh = std::make_unique<Mesh3D>();
    const float a = float(std::abs(width)) / 2.0f, b = float(std::abs(height)) / 2.0f;
    const float plane[4][2] = {{a, b}, {a, -b}, {-a, -b}, {-a, b}};
    const int32_t one = 0x10000;
    const int32_t vs[4] = {0, one, one, 0};
    const int32_t us[4] = {mirror ? one : 0, mirror ? one : 0, mirror ? 0 : one, mirror ? 0 : one};
    for (int i = 0; i < 4; ++i) {
        float p = plane[i][0], q = plane[i][1];
        if (orientation == 0) mesh->addVertex(0.0f, q, p, us[i], vs[i]);
        else if (orientation == 1) mesh->addVertex(p, 0.0f, q, us[i], vs[i]);
        else mesh->addVertex(p, q, 0.0f, us[i], vs[i]);
    }
    mesh->addFace(0, 1, 2);
    mesh->addFace(2, 3, 0);
    mesh->material = chipMaterial;
    const float boundingRadius = float(std::max(width, height)) * radius;
    mesh->radius = boundingRadius;
    object->addMesh(u"chip", std::move(mesh));
    object->normalize(boundingRadius, std::nullopt, std::nullopt);
    // The size keeps the signs of the template's width and height.
    const float sizeW = 2.0f * float(width) * radius, sizeH = 2.0f * float(height) * radius;
    if (orientation == 0) object->size = {0.0f, sizeH, sizeW};
    else if (orientation == 1) object->size = {sizeW, 0.0f, sizeH};
    else object->size = {sizeW, sizeH, 0.0f};
    return object;
}

void ReadScene3D(Canvas& canvas, const std::u16string& entryName, const PropertyList& props) {
    SceneGeometry g = ReadSceneGeometry(canvas, props);
    auto* scene = new Scene3D(g.x, g.y, g.width, g.height);
    ReadCommonSceneKeys(canvas, *scene, props);
    scene->ambient = props.colour(u"ambient", 0);
    scene->zBufferProvider = FindScene3D(canvas, props, u"zBufferProviderScene");
    canvas.addScene(entryName, scene);
}

void ReadObject3D(Canvas& canvas, const std::u16string& entryName, const PropertyList& props) {
    const float radius = props.number(u"radius", 1.0f);
    std::unique_ptr<Object3D> object;
    if (props.string(u"type") == u"Chip3D") {
        object = BuildChip(props.integer(u"width", 1), props.integer(u"height", 1), props.integer(u"orientation", 2),
                           radius, props.integer(u"mirror", 0) != 0, Load3DTexture(canvas, props, u"texture"),
                           Load3DTexture(canvas, props, u"alpha"));
    } else if (auto model = props.string(u"model"); model && !model->empty()) {
        object = ModelStoreOf(canvas).loadModel(canvas.templateDir(), *model, radius, &canvas.imageCache(),
                                                NameList(props, u"wantedObjectsWhenNormalize"),
                                                NameList(props, u"unwantedObjectsWhenNormalize"));
    }
    if (!object) return;
    object->visible = props.boolean(u"visible", true);
    object->setDetailLevel(props.integer(u"detailLevel", 1));
    object->setEnvironment(props.integer(u"environmentEnabled", 1) != 0);
    object->billboard = props.integer(u"billboard", 0);
    object->cullingPolicy = props.integer(u"cullingPolicy", 1);
    if (Scene3D* scene = FindScene3D(canvas, props, u"container")) PlaceObject(*scene, entryName, props, std::move(object));
}

void ReadLevelOfDetail(Canvas& canvas, const std::u16string&, const PropertyList& props) {
    const float radius = props.number(u"radius", 1.0f);
    const int levelNum = props.integer(u"levelNum", 1);
    const float segment = props.number(u"segment", 1.0f);
    const int detail = props.integer(u"detailLevel", 1);
    std::vector<std::u16string> names = ModelNames(props.string(u"model"));
    // A list shorter than levelNum gives as many levels as it names.
    const int count = std::min(levelNum, int(names.size()));
    std::vector<std::unique_ptr<Object3D>> levels;
    for (int i = 0; i < count; ++i) {
        if (names[size_t(i)].empty()) continue;
        auto level = ModelStoreOf(canvas).loadModel(canvas.templateDir(), names[size_t(i)], radius,
                                                    &canvas.imageCache(), NameList(props, u"wantedObjectsWhenNormalize"),
                                                    NameList(props, u"unwantedObjectsWhenNormalize"));
        if (!level) continue;
        level->setDetailLevel(detail);
        levels.push_back(std::move(level));
    }
    auto containerName = props.string(u"container");
    auto* container = containerName ? dynamic_cast<Object3D*>(canvas.findObject(*containerName)) : nullptr;
    if (container) container->attachLevels(std::move(levels), segment);
}

void ReadLight(Canvas& canvas, const std::u16string& entryName, const PropertyList& props) {
    auto light = std::make_unique<Light>();
    light->setDirection(ParseDirection(props.string(u"dir"), Vector3{0.0f, -1.0f, 0.0f}));
    light->diffuse = light->specular = props.colour(u"color", 0xFFFFFF);
    light->specularStrength = 320;
    light->shininess = 120;
    if (Scene3D* scene = FindScene3D(canvas, props, u"container")) scene->addLight(entryName, std::move(light));
}

void ReadFog(Canvas& canvas, const std::u16string&, const PropertyList& props) {
    auto fog = std::make_unique<Fog>();
    fog->front = props.integer(u"front", 100);
    fog->back = props.integer(u"back", 200);
    fog->colour = props.colour(u"color", 0xFFFFFF);
    if (Scene3D* scene = FindScene3D(canvas, props, u"container")) scene->setFog(std::move(fog));
}

void Register3DObjectTypes() {
    RegisterObjectType(u"Scene3D", ReadScene3D);
    RegisterObjectType(u"Group3D", ReadObject3D);
    RegisterObjectType(u"Chip3D", ReadObject3D);
    RegisterObjectType(u"LOD", ReadLevelOfDetail);
    RegisterObjectType(u"Light", ReadLight);
    RegisterObjectType(u"Fog", ReadFog);
}
