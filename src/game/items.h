#pragma once
// What lies in the passages, and the score popups that rise where something
// was eaten.

#include <string>
#include <vector>

#include "game/actor.h"
#include "game/maze.h"

enum ItemType : int { kPickable = 0, kBonus = 1, kGoodtime = 2, kLife = 3, kSpeed = 4 };
inline constexpr int kItemTypes = 5;
// The picture of each type, in the level's image folder.
inline constexpr const char16_t* kItemImageNames[kItemTypes] = {u"pickable.gif", u"bonus.gif", u"goodtime.gif",
                                                                u"life.gif", u"speed.gif"};
int ItemPoints(int type);
// Whether eating it brings the level nearer to cleared.
inline bool ItemCounts(int type) { return type <= kGoodtime; }

struct Item {
    Item(Cell at, int itemType) : cell(at), points(ItemPoints(itemType)), type(itemType) {}
    // Goodtime, life and kill items bob up and down.
    bool bobs() const { return type >= kGoodtime; }

    Cell cell;
    int points;
    int type;
    bool eaten = false;
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
    // Its picture at the design size, and the height of the text in it.
    static constexpr int kImageWidth = 128, kImageHeight = 32, kTextHeight = 24;
    // A strip four units wide and one high.
    static constexpr float kRadius = 0.35f * Maze::kWorldUnit;
    static constexpr float kHeight = 2.0f * 1.0f * kRadius;

    // How fast a popup rises, in world units per second, and how fast that
    // grows: the original climbs far from its cell; the gentle one stays
    // near where the points were earned.
    struct Rise {
        float speed, acceleration;
    };
    static constexpr Rise kSteepRise{18.0f, 20.0f}, kGentleRise{5.0f, 6.0f};

    // Starts it rising from above the cell's centre with its text.
    void show(const Vector3& cellCentre, float scale, const std::u16string& shownText, Rise rise = kSteepRise);
    void update(float dt, float levelTime);

    float elapsed = 0.0f;
    float speed = 0.0f;
    float acceleration = 0.0f;
    Vector3 start;

    bool shown = false;
    Vector3 position;
    float scale = 1.0f;
    int alpha = 0;  // 0 opaque ... 255 transparent, while translucent
    Look look = Look::Solid;
    std::u16string text;
    int shows = 0;  // counts the shows, so that a view knows when to draw the text anew
};

// The size of a popup for its points: 100 at 0.7, 200 near 1.0, 500 near 1.4,
// 2000 and more at 1.7; a text popup (no points) at 1.5.
float PopupScale(int points);
