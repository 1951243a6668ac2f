#include "game/items.h"

#include <algorithm>
#include <cmath>

#include "render3d/object_readers.h"
#include "render3d/scene3d.h"
#include "scene/image_ops.h"
#include "scene/texture.h"

namespace {

// A picture's own size, before it was resized for the 3D engine.
int PictureWidth(const Texture* t) { return t && t->loadedWidth > 0 ? t->loadedWidth : 1; }
int PictureHeight(const Texture* t) { return t && t->loadedHeight > 0 ? t->loadedHeight : 1; }

// The colour behind a popup's text; no text is drawn in it.
constexpr uint32_t kPopupKey = 0xFF00FF;

}  // namespace

int ItemPoints(int type) {
    static constexpr int kPoints[kItemTypes] = {100, 500, 200, 0, 0};
    return type >= 0 && type < kItemTypes ? kPoints[type] : 0;
}

// ---- Items --------------------------------------------------------------------------------

Item::Item(Scene3D& scene, const Maze& maze, Cell at, int itemType, Texture* image)
    : cell(at), points(ItemPoints(itemType)), type(itemType) {
    const float radius = (itemType == kGoodtime ? 0.018f : 0.012f) * Maze::kWorldUnit;
    auto object = BuildChip(PictureWidth(image), PictureHeight(image), 2, radius, true, image, image);
    object->materials.front()->shadingMode = 1;
    object->cullingPolicy = 1;
    object->billboard = 2;
    Vector3 p = maze.cellCenter(at);
    p.y += 0.5f * object->size.y;
    object->worldMatrix.setTranslation(p);
    chip = object.get();
    scene.addObject(u"p", object.release());
}

bool Item::eaten() const { return !chip->visible; }

void Item::bob(float elapsed) {
    if (chip->meshes.empty()) return;
    chip->meshes.front()->localMatrix[7] = TableSin(8.0f * elapsed);
}

ItemLayout::ItemLayout(const Maze& maze, int level, Cell heroStart, Cell ghostHome, GameRandom& random)
    : rows_(maze.rows()), columns_(maze.columns()), types_(size_t(rows_) * size_t(columns_), -1) {
    auto type = [&](int x, int y) -> int& { return types_[size_t(x) * size_t(columns_) + size_t(y)]; };
    for (int x = 0; x < rows_; ++x) {
        for (int y = 0; y < columns_; ++y) {
            if (maze.cell(x, y) != 1 || Cell{x, y} == heroStart) continue;
            if (x == ghostHome.x + 1 && std::abs(y - ghostHome.y) <= 1) continue;
            type(x, y) = random.range(1, 100) > 70 ? kBonus : kPickable;
            ++remaining_;
        }
    }
    // The inner corners are always rooms, so they always hold an item.
    for (Cell corner : {Cell{1, 1}, Cell{rows_ - 2, columns_ - 2}, Cell{rows_ - 2, 1}, Cell{1, columns_ - 2}})
        if (type(corner.x, corner.y) >= 0) type(corner.x, corner.y) = kGoodtime;
    replaceCounted(std::min((level + 4) / 5, 2), kLife, maze, random);
    replaceCounted(std::min((level + 2) / 5, 2), kSpeed, maze, random);
}

void ItemLayout::replaceCounted(int count, int itemType, const Maze&, GameRandom& random) {
    // A maze always has far more plain items than the two it replaces, but the
    // draw is bounded all the same.
    int plain = int(std::count_if(types_.begin(), types_.end(), [](int t) { return t == kPickable || t == kBonus; }));
    for (int i = 0; i < count && plain > 0; ++i, --plain) {
        for (;;) {
            int x = random.range(1, rows_ - 2), y = random.range(1, columns_ - 2);
            int& t = types_[size_t(x) * size_t(columns_) + size_t(y)];
            if (t != kPickable && t != kBonus) continue;
            t = itemType;
            --remaining_;
            break;
        }
    }
}

int ItemLayout::at(Cell c) const {
    if (c.x < 0 || c.y < 0 || c.x >= rows_ || c.y >= columns_) return -1;
    return types_[size_t(c.x) * size_t(columns_) + size_t(c.y)];
}

// ---- Popups -------------------------------------------------------------------------------

float PopupScale(int points) {
    if (points == 0) return 1.5f;
    return ClampFloat(std::log10(float(points)) - 1.3f, 0.7f, 1.7f);
}

ScorePopup::ScorePopup(Scene3D& scene) {
    auto picture = std::make_shared<Texture>(kImageWidth, kImageHeight, kPopupKey, false);
    picture->bitmap()->transparentColor = kPopupKey;
    auto object = BuildChip(4, 1, 2, 0.35f * Maze::kWorldUnit, true, picture.get(), picture.get());
    object->billboard = 2;
    object->visible = false;
    material = object->materials.front().get();
    material->hasTransparentColour = true;
    material->transparentColour = kPopupKey;
    material->shadingMode = 1;
    object->ownedTextures.push_back(std::move(picture));
    chip = object.get();
    scene.addObject(u"f", object.release());
}

bool ScorePopup::shown() const { return chip->visible; }

FrameBuffer& ScorePopup::image() const { return *chip->ownedTextures.front()->bitmap(); }

void ScorePopup::show(const Vector3& cellCentre, float scale) {
    elapsed = 0.0f;
    chip->visible = true;
    speed = 18.0f;
    acceleration = 20.0f;
    start = cellCentre;
    start.y += 3.0f * chip->size.y;
    chip->worldMatrix.setDiagonal(scale, scale, scale);
    chip->worldMatrix.setTranslation(start);
    material->alpha = 0;
    material->shadingMode = 2;
    clear(image(), kPopupKey);
}

void ScorePopup::update(float dt, float levelTime) {
    elapsed += dt;
    if (elapsed >= kLifetime) {
        chip->visible = false;
        material->shadingMode = 1;
        return;
    }
    speed += acceleration * dt;
    Vector3 p = chip->worldMatrix.getTranslation();
    p.x = start.x + TableSin(20.0f * levelTime) * 0.7f;
    p.y += speed * dt;
    p.z = start.z + TableCos(20.0f * levelTime) * 0.7f;
    chip->worldMatrix.setTranslation(p);
    const float age = elapsed / kLifetime;
    material->alpha = ClampInt(int(age * age * 255.0f), 0, 255);
}
