#pragma once
// What lies in the passages, and the score popups that rise where something
// was eaten.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "game/maze.h"

class FrameBuffer;
class Material3D;
class Object3D;
class Scene3D;
class Texture;

enum ItemType : int { kPickable = 0, kBonus = 1, kGoodtime = 2, kLife = 3, kSpeed = 4 };
inline constexpr int kItemTypes = 5;
// The picture of each type, in the level's image folder.
inline constexpr const char16_t* kItemImageNames[kItemTypes] = {u"pickable.gif", u"bonus.gif", u"goodtime.gif",
                                                                u"life.gif", u"speed.gif"};
int ItemPoints(int type);
// Whether eating it brings the level nearer to cleared.
inline bool ItemCounts(int type) { return type <= kGoodtime; }

struct Item {
    // Builds the chip on the cell and adds it to the scene under "p".
    Item(Scene3D& scene, const Maze& maze, Cell at, int type, Texture* image);
    bool eaten() const;
    void bob(float elapsed);

    Cell cell;
    int points;
    int type;
    Object3D* chip;  // owned by the scene
};

// The item types of every cell, before any chip exists: -1 for none.
class ItemLayout {
public:
    // Every passage but the hero's start and the three cells north of the ghost
    // home holds an item (type 1 with chance 30 %, else 0), the four inner
    // corners goodtime, then (L + 4) / 5 life and (L + 2) / 5 kill items (at
    // most two each) replace counted ones.
    ItemLayout(const Maze& maze, int level, Cell heroStart, Cell ghostHome, GameRandom& random);
    int at(Cell c) const;
    int remaining() const { return remaining_; }
    int rows() const { return rows_; }
    int columns() const { return columns_; }

private:
    void replaceCounted(int count, int type, const Maze& maze, GameRandom& random);
    int rows_, columns_;
    std::vector<int> types_;
    int remaining_ = 0;
};

class ScorePopup {
public:
    static constexpr float kLifetime = 1.2f;
    static constexpr int kImageWidth = 128, kImageHeight = 32;

    // Adds its hidden chip to the scene under "f".
    explicit ScorePopup(Scene3D& scene);
    bool shown() const;
    void show(const Vector3& cellCentre, float scale);
    void update(float dt, float levelTime);
    FrameBuffer& image() const;

    float elapsed = 0.0f;
    float speed = 0.0f;
    float acceleration = 0.0f;
    Vector3 start;

    Object3D* chip;  // owned by the scene
    Material3D* material;
};

// The size of a popup for its points: 100 at 0.7, 200 near 1.0, 500 near 1.4,
// 2000 and more at 1.7; a text popup (no points) at 1.5.
float PopupScale(int points);
