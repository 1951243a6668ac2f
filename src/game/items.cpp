#include "game/items.h"

#include <algorithm>
#include <cmath>

int ItemPoints(int type) {
    static constexpr int kPoints[kItemTypes] = {100, 500, 200, 0, 0};
    return type >= 0 && type < kItemTypes ? kPoints[type] : 0;
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

void ScorePopup::show(const Vector3& cellCentre, float popupScale, const std::u16string& shownText, Rise rise) {
    elapsed = 0.0f;
    shown = true;
    speed = rise.speed;
    acceleration = rise.acceleration;
    start = cellCentre;
    start.y += 3.0f * kHeight;
    scale = popupScale;
    position = start;
    alpha = 0;
    look = Look::Translucent;
    text = shownText;
    ++shows;
}

void ScorePopup::update(float dt, float levelTime) {
    elapsed += dt;
    if (elapsed >= kLifetime) {
        shown = false;
        look = Look::Solid;
        return;
    }
    speed += acceleration * dt;
    position.x = start.x + TableSin(20.0f * levelTime) * 0.7f;
    position.y += speed * dt;
    position.z = start.z + TableCos(20.0f * levelTime) * 0.7f;
    const float age = elapsed / kLifetime;
    alpha = ClampInt(int(age * age * 255.0f), 0, 255);
}
