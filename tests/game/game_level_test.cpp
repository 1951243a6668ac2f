// The rules of a level: items, keys, the hero's step, ghosts, goodtime,
// popups, lives and the end of a level.

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <set>
#include <utility>

#include "data/text_helpers.h"
#include "game/game_view.h"
#include "game/level_view.h"
#include "game_fixture.h"
#include "render3d/camera.h"
#include "render3d/object3d.h"
#include "render3d/scene3d.h"
#include "scene/texture.h"

namespace {

// The items of one type (of any when negative), in the order of the cells.
std::vector<Item*> ItemsOf(GameLevel& game, int type = -1) {
    std::vector<Item*> items;
    for (int x = 0; x < game.maze().rows(); ++x)
        for (int y = 0; y < game.maze().columns(); ++y)
            if (Item* item = game.itemAt({x, y}); item && (type < 0 || item->type == type)) items.push_back(item);
    return items;
}

Item* FirstItemOf(GameLevel& game, int type) {
    const std::vector<Item*> items = ItemsOf(game, type);
    return items.empty() ? nullptr : items[0];
}

// Eats every counted item but the first pickable one, which it returns.
Item* EatAllCountedButOne(GameLevel& game) {
    Item* kept = FirstItemOf(game, kPickable);
    for (Item* item : ItemsOf(game))
        if (item != kept && ItemCounts(item->type)) game.eatAt(item->cell);
    return kept;
}

// The popup shown last.
const ScorePopup& NewestPopup(const GameLevel& game) {
    const ScorePopup* newest = &game.popups()[0];
    for (const ScorePopup& popup : game.popups())
        if (popup.shown && popup.elapsed <= newest->elapsed) newest = &popup;
    return *newest;
}

// The first of the directions that leads from the cell into a passage; -1 when none does.
int OpenDirection(const Maze& maze, Cell from, std::initializer_list<int> directions = {0, 1, 2, 3}) {
    for (int d : directions)
        if (maze.cell(from.step(d)) == 1) return d;
    return -1;
}

int PopupShows(const GameLevel& game) {
    int shows = 0;
    for (const ScorePopup& popup : game.popups()) shows += popup.shows;
    return shows;
}

}  // namespace

TEST_F(GameLevelTest, ItemsOfASevenBySevenFirstLevel) {
    for (uint32_t seed : {1u, 2u, 3u, 77u, 4242u}) {
        GameLevel& level = makeLevel(1, 2, seed);
        const Maze& maze = level.maze();
        ASSERT_EQ(maze.rows(), 7);
        const Cell home = level.ghostHome;
        int items = 0;
        for (int x = 0; x < 7; ++x)
            for (int y = 0; y < 7; ++y) {
                if (maze.cell(x, y) != 1) {
                    EXPECT_EQ(level.itemAt({x, y}), nullptr);
                    continue;
                }
                const bool excluded = Cell{x, y} == level.heroStart || (x == home.x + 1 && std::abs(y - home.y) <= 1);
                EXPECT_EQ(level.itemAt({x, y}) == nullptr, excluded) << x << "," << y;
                items += level.itemAt({x, y}) ? 1 : 0;
            }
        for (Cell corner : {Cell{1, 1}, Cell{5, 5}, Cell{5, 1}, Cell{1, 5}})
            EXPECT_TRUE(level.itemAt(corner) && level.itemAt(corner)->type == kGoodtime) << corner.x << "," << corner.y;
        EXPECT_EQ(level.remaining(), items - 1);
    }
}

TEST_F(GameLevelTest, LifeAndKillItemsByLevel) {
    struct Case {
        int level;
        size_t lives, kills;
    };
    for (Case c : {Case{1, 1, 0}, Case{2, 1, 0}, Case{3, 1, 1}, Case{6, 2, 1}, Case{8, 2, 2}, Case{30, 2, 2}}) {
        GameLevel& level = makeLevel(c.level);
        EXPECT_EQ(ItemsOf(level, kLife).size(), c.lives) << "level " << c.level;
        EXPECT_EQ(ItemsOf(level, kSpeed).size(), c.kills) << "level " << c.level;
    }
}

TEST_F(GameLevelTest, GhostCountAndSpeedByLevel) {
    for (auto [number, ghosts, speed] : {std::tuple{1, 2, 0.55f}, {2, 3, 0.6f}, {30, 17, 2.0f}, {60, 32, 2.0f}}) {
        EXPECT_EQ(GhostCountForLevel(number), ghosts) << "level " << number;
        EXPECT_FLOAT_EQ(GhostSpeedForLevel(number), speed) << "level " << number;
    }
    GameLevel& level = makeLevel(9);
    ASSERT_EQ(level.ghosts().size(), 6u);
    EXPECT_FLOAT_EQ(level.ghosts()[0]->speed, 0.95f);
}

TEST_F(GameLevelTest, DirectionKeysActWhenReleasedAndOnlyTheFirst) {
    for (auto [keys, direction] : {std::pair{KeyState(key_bits::Up | key_bits::Right), 1},
                                   {key_bits::Left | key_bits::Right, 2}, {key_bits::ButtonA, 2},
                                   {key_bits::ButtonStart, 3}, {key_bits::Action | key_bits::ButtonC, -2}})
        EXPECT_EQ(DirectionForReleasedKeys(keys), direction) << keys;

    // Two keys let go in one frame, one toward a passage and one toward a
    // wall: only the first in the test order counts, so the hero walks only
    // when the open one comes first.
    static constexpr struct {
        KeyState bit;
        int direction;
    } kOrder[] = {{key_bits::Up, 1}, {key_bits::Down, 3}, {key_bits::Left, 2}, {key_bits::Right, 0}};
    for (int first = 0; first < 4; ++first) {
        for (int second = 0; second < 4; ++second) {
            if (first == second) continue;
                GameLevel& level = makeLevel(1);
            settleHero();
            Hero& hero = level.hero();
            const Cell start = hero.cell;
            const bool firstOpen = level.maze().cell(start.step(kOrder[first].direction)) == 1;
            const bool secondOpen = level.maze().cell(start.step(kOrder[second].direction)) == 1;
            if (firstOpen == secondOpen) continue;
            const KeyState both = kOrder[first].bit | kOrder[second].bit;
            for (int i = 0; i < 5; ++i) frame(0.05f, both);
            EXPECT_EQ(hero.cell, start) << "holding keys does nothing";
            frame(0.05f, 0);
            const bool walked = !(hero.cell == start);
            EXPECT_EQ(walked, first < second ? firstOpen : secondOpen) << first << " " << second;
        }
    }
}

TEST_F(GameLevelTest, AStepTakesFiveFramesOfATenthAndFiftyWhenTheFrameTimeIsFlooredToAHundredth) {
    for (float dt : {0.1f, 0.005f}) {
        GameLevel& level = makeLevel(1);
        settleHero();
        Hero& hero = level.hero();
        const Cell start = hero.cell;
        // Row 1 of a maze is all rooms and segments: some direction is open.
        const int open = OpenDirection(level.maze(), start);
        ASSERT_GE(open, 0);
        EXPECT_EQ(hero.look, Look::Solid) << "landed, he is drawn solid";
        EXPECT_GT(hero.position.y, level.maze().cellCenter(start).y) << "on the floor, not sunk into it";
        const KeyState keys[4] = {key_bits::Right, key_bits::Up, key_bits::Left, key_bits::Down};
        frame(dt, keys[open]);
        int frames = 0;
        while (!(hero.cell == start.step(open) && !hero.moving && hero.stepping) && frames < 500) {
            frame(dt, 0);
            ++frames;
            if (hero.moving && hero.stepFrames == 0) break;
        }
        // The first frame after the release starts the step; the step ends
        // with the snap onto the cell on its last frame.
        EXPECT_EQ(frames, dt > 0.05f ? 5 : 50) << "dt " << dt;
        const Vector3 target = level.maze().cellCenter(start.step(open));
        EXPECT_NEAR(hero.position.x, target.x, 1e-3);
        EXPECT_NEAR(hero.position.z, target.z, 1e-3);
        // He walks on until a wall stops him, and his pictures stop with him.
        for (int i = 0; i < 2000 && hero.stepping; ++i) frame(dt, 0);
        EXPECT_EQ(hero.animating, (std::array<bool, 4>{})) << "dt " << dt;
    }
}

TEST_F(GameLevelTest, TheOppositeKeyTurnsTheHeroBackAtOnce) {
    GameLevel& level = makeLevel(1);
    settleHero();
    Hero& hero = level.hero();
    const Cell start = hero.cell;
    const int open = OpenDirection(level.maze(), start, {0, 2});
    ASSERT_GE(open, 0);
    tapKey(open == 0 ? key_bits::Right : key_bits::Left, 0.1f);
    ASSERT_TRUE(hero.moving);
    const Cell entering = hero.cell;
    EXPECT_EQ(entering, start.step(open));
    Item* there = level.itemAt(entering);
    ASSERT_NE(there, nullptr);
    ASSERT_FALSE(there->eaten);
    tapKey(open == 0 ? key_bits::Left : key_bits::Right, 0.1f);
    // Placed on the cell it was entering, eating what lies there, then walking back.
    EXPECT_TRUE(there->eaten);
    EXPECT_EQ(hero.current, (open + 2) % 4);
    EXPECT_EQ(hero.cell, start);
}

TEST_F(GameLevelTest, EatingScoresAndCountsDown) {
    GameLevel& level = makeLevel(1);
    settleHero();
    Item* pellet = FirstItemOf(level, kPickable);
    if (!pellet) pellet = FirstItemOf(level, kBonus);
    ASSERT_NE(pellet, nullptr);
    const int before = level.remaining(), points = pellet->points;
    level.eatAt(pellet->cell);
    EXPECT_TRUE(pellet->eaten);
    EXPECT_EQ(level.remaining(), before - 1);
    EXPECT_EQ(level.hero().score, points);
    EXPECT_EQ(host.texts[u"sptScore"], points == 100 ? u"100" : u"500");
    level.eatAt(pellet->cell);
    EXPECT_EQ(level.hero().score, points) << "an eaten item stays eaten";
}

TEST_F(GameLevelTest, GoodtimeAddsUp) {
    GameLevel& level = makeLevel(1);
    settleHero();
    level.goodtimeTimer = 3.0f;
    Item* orb = FirstItemOf(level, kGoodtime);
    ASSERT_NE(orb, nullptr);
    level.eatAt(orb->cell);
    EXPECT_EQ(level.hero().score, 200);
    EXPECT_FLOAT_EQ(level.goodtimeTimer, 8.25f);
    EXPECT_EQ(level.hero().look, Look::Glowing);
    EXPECT_EQ(host.texts[u"sptFlash"], u"MAGIC POWER!");
    // It blinks for 1.8 s and then hides, also when the frames add up to exactly that.
    for (int i = 0; i < 2; ++i) frame(0.9f, 0);
    EXPECT_FALSE(host.shown[u"sptFlash"]);
    // The hero glows green, dimming as the time runs out, never below 100.
    auto green = [&] {
        frame(0.01f, 0);
        return int(level.hero().colour >> 8) & 0xFF;
    };
    EXPECT_EQ(green(), 255);
    for (int i = 0; i < 60; ++i) level.afterDraw(0.1f);
    EXPECT_LT(green(), 255);
    EXPECT_GE(green(), 100);
    // It runs down after drawing and the glow ends with it.
    for (int i = 0; i < 90; ++i) level.afterDraw(0.1f);
    EXPECT_EQ(level.goodtimeTimer, 0.0f);
    EXPECT_EQ(level.hero().look, Look::Solid);
}

// Enhanced ghosts show the goodtime: scared while it lasts, blinking pale in
// its last 1.5 s so that its end can be seen coming, and plain after it; the
// original ghosts never change.
TEST_F(GameLevelTest, ScaredGhostsBlinkAsGoodtimeRunsOut) {
    // The warning opens scared.
    for (auto [left, fright] : {std::pair{0.0f, Fright::None}, {-0.1f, Fright::None}, {6.0f, Fright::Scared},
                                {kFrightWarning, Fright::Scared}, {1.49f, Fright::Scared}, {1.37f, Fright::Pale}})
        EXPECT_EQ(FrightFor(left), fright) << left;

    for (bool enhanced : {false, true}) {
        GameLevel& level = makeLevel(1);
        level.style.ghosts = enhanced;
        settleHero();
        level.eatAt(FirstItemOf(level, kGoodtime)->cell);
        std::set<Fright> seen, warned;
        while (level.goodtimeTimer > 0.0f) {
            const float left = level.goodtimeTimer;
            frame(0.05f, 0);
            level.afterDraw(0.05f);
            for (const auto& ghost : level.ghosts()) (left > kFrightWarning ? seen : warned).insert(ghost->fright);
        }
        frame(0.05f, 0);
        using Frights = std::set<Fright>;
        EXPECT_EQ(seen, enhanced ? Frights{Fright::Scared} : Frights{Fright::None});
        EXPECT_EQ(warned, (enhanced ? Frights{Fright::Scared, Fright::Pale} : Frights{Fright::None}));
        for (const auto& ghost : level.ghosts()) EXPECT_EQ(ghost->fright, Fright::None);
    }
}

TEST_F(GameLevelTest, LifeAndKillItems) {
    GameLevel& level = makeLevel(3, 0);
    settleHero();
    EXPECT_EQ(host.texts[u"sptLifes"], u"X0");
    Item* heart = FirstItemOf(level, kLife);
    ASSERT_NE(heart, nullptr);
    const int remaining = level.remaining();
    level.eatAt(heart->cell);
    EXPECT_EQ(host.texts[u"sptLifes"], u"X1");
    EXPECT_EQ(level.remaining(), remaining) << "life items do not count";
    EXPECT_EQ(NewestPopup(level).text, u"LIFE!");
    EXPECT_EQ(host.texts[u"sptFlash"], u"NEW LIFE!");

    // The kill item: no points, no popup, every ghost dies, even in goodtime.
    level.goodtimeTimer = 4.0f;
    Item* kill = FirstItemOf(level, kSpeed);
    ASSERT_NE(kill, nullptr);
    const int popups = PopupShows(level);
    const int score = level.hero().score;
    level.eatAt(kill->cell);
    EXPECT_EQ(level.hero().score, score);
    EXPECT_EQ(PopupShows(level), popups);
    for (auto& ghost : level.ghosts()) EXPECT_TRUE(ghost->dying);
    EXPECT_EQ(host.texts[u"sptFlash"], u"MAGIC KILL!");
}

TEST_F(GameLevelTest, TheLastCountedItemClearsTheLevel) {
    GameLevel& level = makeLevel(3);
    settleHero();
    Item* last = EatAllCountedButOne(level);
    ASSERT_NE(last, nullptr);
    ASSERT_EQ(level.remaining(), 1);
    ASSERT_NE(FirstItemOf(level, kLife), nullptr);
    level.hero().setHeading(0);
    level.eatAt(last->cell);
    EXPECT_EQ(level.remaining(), 0);
    EXPECT_EQ(level.hero().heading, 3) << "he turns to the player";
    EXPECT_FLOAT_EQ(level.endTimer, 3.5f);
    EXPECT_EQ(host.texts[u"sptMessage"], u"Level Cleared");
    LevelOutcome outcome = LevelOutcome::Playing;
    int frames = 0;
    while (outcome == LevelOutcome::Playing && frames < 100) outcome = level.afterDraw(0.125f), ++frames;
    EXPECT_EQ(outcome, LevelOutcome::Cleared);
    EXPECT_EQ(frames, 28);
}

TEST_F(GameLevelTest, TheEnhancedClearJinglesHopsAndCountsTheLevelsPointsWithinItsTime) {
    GameLevel& level = makeLevel(3);
    level.style = host::PlayStyle::Enhanced();
    settleHero();
    Item* last = EatAllCountedButOne(level);
    ASSERT_NE(last, nullptr);
    level.eatAt(last->cell);
    ASSERT_EQ(level.remaining(), 0);
    EXPECT_EQ(host.sounds.back(), u"levelClear");
    EXPECT_EQ(std::count(host.sounds.begin(), host.sounds.end(), u"<stop>"), 0) << "the music plays on";
    float highest = 0.0f, steepest = 0.0f, hop = 0.0f, time = 0.0f;
    std::u16string counted;
    LevelOutcome outcome = LevelOutcome::Playing;
    while (outcome == LevelOutcome::Playing && time < 10.0f) {
        frame(0.05f, 0);
        highest = std::max(highest, level.hero().hop);
        steepest = std::max(steepest, std::fabs(level.hero().hop - hop));
        hop = level.hero().hop;
        if (time > 1.0f && time < 1.1f) counted = host.texts[u"sptFlash"];
        outcome = level.afterDraw(0.05f);
        time += 0.05f;
    }
    EXPECT_EQ(outcome, LevelOutcome::Cleared);
    EXPECT_NEAR(time, 3.5f, 0.06f) << "no longer than the original's wait";
    EXPECT_GT(highest, 0.5f * GameLevel::kHopHeight) << "he hops";
    EXPECT_LT(steepest, 0.5f * GameLevel::kHopHeight) << "in arcs, not a jitter";
    const std::u16string all = u"+" + Decimal(level.hero().score);  // the level began at 0
    EXPECT_EQ(host.texts[u"sptFlash"], all) << "the count ends on the level's points";
    EXPECT_NE(counted, all) << "and got there by counting";
    EXPECT_TRUE(host.shown[u"sptFlash"]);
}

TEST_F(GameLevelTest, MusicPlaysOnThroughDeathsAndKillsAndEatingIsHeardOnlyInTheEnhancedStyle) {
    for (bool enhanced : {false, true}) {
        GameLevel& level = makeLevel(3, 2);
        level.style = enhanced ? host::PlayStyle::Enhanced() : host::PlayStyle::Original();
        settleHero();
        host.sounds.clear();
        Item* pellet = FirstItemOf(level, kPickable);
        ASSERT_NE(pellet, nullptr);
        level.eatAt(pellet->cell);
        level.eatAt(FirstItemOf(level, kSpeed)->cell);
        level.killHero();
        const std::vector<std::u16string> expected =
            enhanced ? std::vector<std::u16string>{u"eat", u"<duck>", u"ghostKilled", u"<duck>", u"killed"}
                     : std::vector<std::u16string>{u"<stop>", u"ghostKilled", u"<stop>", u"killed"};
        EXPECT_EQ(host.sounds, expected) << (enhanced ? "enhanced" : "original");
    }
}

TEST_F(GameLevelTest, AFairRespawnIsNearTheFallAndAsFarFromTheGhostsAsThePassagesAllow) {
    // A corridor along row 1 from column 1 to 7 with a branch from (1, 4)
    // to (3, 4).
    GameRandom random(1);
    Maze maze(9, 9, 1, random);
    for (int y = 1; y <= 7; ++y) maze.setCell(1, y, 1);
    for (int x = 2; x <= 3; ++x) maze.setCell(x, 4, 1);
    const Cell fall{1, 2};
    EXPECT_EQ(FairRespawnCell(maze, fall, {{1, 1}}, 2), (Cell{1, 4})) << "the farthest within reach";
    EXPECT_EQ(FairRespawnCell(maze, fall, {{1, 1}}, 20), (Cell{1, 7})) << "6 steps beat the branch's 5";
    EXPECT_EQ(FairRespawnCell(maze, fall, {{1, 1}, {1, 7}}, 20), (Cell{3, 4})) << "between two ghosts, the branch";
    EXPECT_EQ(FairRespawnCell(maze, {1, 5}, {{3, 4}}, 20), (Cell{1, 7})) << "of two ends 5 steps away, the nearer";
    EXPECT_EQ(FairRespawnCell(maze, {1, 4}, {{1, 1}, {1, 7}, {3, 4}}, 1), (Cell{1, 4})) << "his own cell when it is best";

    // In a level: the original hero drops where he fell, the fair one away
    // from the ghosts that stand round it.
    for (bool fair : {false, true}) {
        GameLevel& level = makeLevel(12, 3, 77);
        level.style.respawn = fair;
        settleHero();
        Hero& hero = level.hero();
        const Cell fell = hero.cell;
        for (int d = 0; d < 4; ++d) {
            Ghost& ghost = *level.ghosts()[size_t(d)];
            ghost.appear(0.0f, level.maze().cell(fell.step(d)) == 1 ? fell.step(d) : fell, 0.0f);
        }
        level.killHero();
        for (int i = 0; i < 60 && (hero.dying || hero.visible); ++i) frame(0.05f, 0);
        ASSERT_FALSE(hero.visible);
        std::vector<Cell> ghosts{level.ghostHome};
        for (auto& ghost : level.ghosts())
            if (ghost->visible) ghosts.push_back(ghost->cell);
        const std::vector<int> threat = level.maze().stepsFrom(ghosts);
        level.reviveTick();
        ASSERT_TRUE(hero.visible);
        if (!fair) {
            EXPECT_EQ(hero.cell, fell);
            continue;
        }
        EXPECT_LE(level.maze().stepsFrom({fell})[level.maze().indexOf(hero.cell)], GameLevel::kRespawnReach);
        EXPECT_GE(threat[level.maze().indexOf(hero.cell)], 3) << "no ghost within two steps";
        EXPECT_GT(threat[level.maze().indexOf(hero.cell)], threat[level.maze().indexOf(fell)]);
    }
}

TEST_F(GameLevelTest, ANinthPopupReusesTheOldest) {
    GameLevel& level = makeLevel(1);
    for (int i = 0; i < 8; ++i) {
        level.showPopup({1, 1}, 100, u"");
        frame(0.01f, 0);
    }
    const ScorePopup* oldest = &level.popups()[0];
    for (auto& popup : level.popups()) ASSERT_TRUE(popup.shown);
    ASSERT_GT(oldest->elapsed, level.popups()[7].elapsed);
    level.showPopup({1, 1}, 2000, u"");
    EXPECT_EQ(oldest->elapsed, 0.0f);
    EXPECT_EQ(oldest->text, u"2000");
    EXPECT_GT(oldest->position.y, level.maze().cellCenter({1, 1}).y) << "it starts above the cell";
    EXPECT_FLOAT_EQ(oldest->scale, 1.7f);
    frame(0.01f, 0);
    EXPECT_EQ(oldest->alpha, 0) << "it opens opaque and fades later";
    EXPECT_NE(level.popups()[1].elapsed, 0.0f);
    // Popups fade away after 1.2 seconds.
    for (int i = 0; i < 13; ++i) frame(0.1f, 0);
    for (auto& popup : level.popups()) EXPECT_FALSE(popup.shown);
}

TEST_F(GameLevelTest, GentlePopupsStayNearerTheirCell) {
    float rise[2];
    for (bool gentle : {false, true}) {
        GameLevel& level = makeLevel(1);
        level.style.popups = gentle;
        level.showPopup({1, 1}, 100, u"");
        const ScorePopup& popup = NewestPopup(level);
        const float start = popup.position.y;
        for (int i = 0; i < 11; ++i) frame(0.1f, 0);
        ASSERT_TRUE(popup.shown);
        rise[gentle] = popup.position.y - start;
    }
    EXPECT_GT(rise[0], 30.0f) << "the original climbs about two characters high";
    EXPECT_LT(rise[1], rise[0] / 2.0f);
}

// The overhead view keeps the maze on the screen: its look-at point stays far
// enough inside the maze that little beyond it shows, except where that would
// push the hero out of the middle of the screen or off it.
TEST_F(GameLevelTest, TheOverheadViewHoldsItsLookAtInsideTheMaze) {
    for (auto [width, height] : {std::pair{240, 320}, std::pair{640, 480}}) {
        PerspectiveCamera camera(nullptr, width, height, kNavigationNone, 50.0f, 1.0f, 150.0f);
        for (int rows : {7, 15, 23}) {
            const float distance = OverheadDistance(rows);
            const OverheadReach reach = ReachOf(camera, distance);
            SCOPED_TRACE(testing::Message() << width << "x" << height << ", " << rows << " rows");
            ASSERT_GT(reach.side, 0.0f);
            ASSERT_GT(reach.ahead, 0.0f);
            ASSERT_GT(reach.behind, 0.0f);
            const float half = 5.0f * float(rows - 2);
            const float inner = half - 5.0f;  // the centre of an edge cell
            for (float x : {-inner, -0.5f * inner, 0.0f, inner})
                for (float z : {-inner, 0.0f, 0.5f * inner, inner}) {
                    const Vector3 hero{x, 8.0f, z};
                    const Vector3 look = OverheadLookAt(hero, half, reach);
                    // Never beyond the maze, nor nearer its edges than the screen reaches where it is wide enough.
                    EXPECT_LE(std::fabs(look.x), half) << x << "," << z;
                    EXPECT_LE(std::fabs(look.z), half) << x << "," << z;
                    if (reach.side <= half && std::fabs(x) < 0.5f * half) {
                        EXPECT_LE(std::fabs(look.x), half - reach.side) << x << "," << z;
                    }
                    // The hero stays in the middle 60 % of the width, clear of the lives above and the status bar below.
                    const float depthScale = 1.0f + (hero.z - look.z) * reach.depthPerAhead;
                    EXPECT_LE(std::fabs(hero.x - look.x), 0.6f * reach.side * depthScale) << x << "," << z;
                    EXPECT_LE(hero.z - look.z, reach.heroAhead + 0.001f) << x << "," << z;
                    EXPECT_LE(look.z - hero.z, reach.behind) << x << "," << z;
                }
        }
    }
}

TEST_F(GameLevelTest, PopupSizeFollowsThePoints) {
    for (auto [points, scale] : {std::pair{100, 0.7f}, {200, 1.0f}, {500, 1.4f}, {2000, 1.7f}, {0, 1.5f}})
        EXPECT_NEAR(PopupScale(points), scale, 0.01f) << points;
}

TEST_F(GameLevelTest, GhostTouchKillsTheHeroOrTheGhostInGoodtime) {
    for (bool goodtime : {false, true}) {
        GameLevel& level = makeLevel(1, 1);
        settleHero();
        Ghost& ghost = *level.ghosts()[0];
        ghost.appear(0.0f, level.hero().cell, 0.0f);
        level.goodtimeTimer = goodtime ? 5.0f : 0.0f;
        frame(0.01f, 0);
        if (goodtime) {
            EXPECT_TRUE(ghost.dying);
            EXPECT_EQ(level.hero().score, 2000);
            EXPECT_FALSE(level.hero().dying);
            EXPECT_EQ(host.sounds.back(), u"ghostKilled");
            const size_t sounds = host.sounds.size();
            // A second ghost caught while that sound still plays does not restart it.
            host.playing.insert(u"ghostKilled");
            Ghost& second = *level.ghosts()[1];
            second.appear(0.0f, level.hero().cell, 0.0f);
            frame(0.01f, 0);
            EXPECT_TRUE(second.dying);
            EXPECT_EQ(host.sounds.size(), sounds) << ::testing::PrintToString(host.sounds);
        } else {
            EXPECT_TRUE(level.hero().dying);
            EXPECT_EQ(level.hero().lives, 0);
            EXPECT_EQ(host.texts[u"sptLifes"], u"X0");
            EXPECT_EQ(host.sounds.back(), u"killed");
        }
    }
}

// Guards a fault found before: a ghost that no longer took the cell ahead.
TEST_F(GameLevelTest, AGhostThatSeesTheHeroNextToItStepsOntoHim) {
    GameLevel& level = makeLevel(1, 1);
    settleHero();
    const Cell hero = level.hero().cell;
    for (int side : {0, 2}) {
        const Cell from = hero.step((side + 2) % 4);
        if (level.maze().cell(from) != 1) continue;
        Ghost& ghost = *level.ghosts()[size_t(side / 2)];
        ghost.appear(0.0f, from, 0.0f);
        frame(0.01f, 0);
        EXPECT_EQ(ghost.cell, hero) << "from the side " << side;
        EXPECT_EQ(ghost.travel, side);
        EXPECT_EQ(ghost.heading, side) << "it faces him";
        return;
    }
    GTEST_SKIP() << "no passage beside the hero";
}

TEST_F(GameLevelTest, AGhostOnTheHerosCellWaitsOneStepBeforeChoosingAgain) {
    // Choosing again every frame, it would sit on him through his grace time
    // and follow him the moment he moves.
    GameLevel& level = makeLevel(1, 1);
    settleHero();
    Hero& hero = level.hero();
    hero.appearTimer = 5.0f;
    const Cell start = hero.cell;
    const int open = OpenDirection(level.maze(), start);
    ASSERT_GE(open, 0);
    Ghost& ghost = *level.ghosts()[0];
    ghost.appear(0.0f, start, 0.0f);
    const float dt = 0.05f;
    frame(dt, 0);
    hero.requestDirection(open);
    float waited = dt;
    while (ghost.cell == start && waited < 10.0f) {
        frame(dt, 0);
        waited += dt;
    }
    // One step's time, give or take the frames that start and end a step.
    const float step = 1.0f / ghost.speed;
    EXPECT_GE(waited, step - 2.0f * dt);
    EXPECT_LE(waited, step + 3.0f * dt);
    EXPECT_FALSE(hero.dying);
}

TEST_F(GameLevelTest, AppearingCharactersAreHarmless) {
    GameLevel& level = makeLevel(1, 1);
    Ghost& ghost = *level.ghosts()[0];
    settleHero();
    ghost.appear(2.0f, level.hero().cell, 0.0f);
    // For 2 seconds a revived ghost pulses see-through and is harmless; then it is solid and catches him.
    std::set<int> alphas;
    for (int i = 0; i < 19; ++i) {
        frame(0.1f, 0);
        level.afterDraw(0.1f);
        alphas.insert(ghost.alpha);
    }
    EXPECT_FALSE(level.hero().dying);
    EXPECT_GE(*alphas.begin(), 50);
    EXPECT_GE(alphas.size(), 5u) << "it pulses";
    for (int i = 0; i < 3; ++i) frame(0.1f, 0);
    EXPECT_EQ(ghost.look, Look::Solid);
    EXPECT_EQ(ghost.alpha, 0) << "no see-through left where it covers the hero";
    EXPECT_TRUE(level.hero().dying);
}

TEST_F(GameLevelTest, DeathWithNoLifeLeftEndsTheGame) {
    GameLevel& level = makeLevel(1, 0);
    settleHero();
    Hero& hero = level.hero();
    const Cell where = hero.cell;
    hero.setHeading(0);
    level.killHero();
    EXPECT_EQ(hero.heading, 3) << "he turns to face the player";
    EXPECT_EQ(hero.lives, -1);
    EXPECT_FLOAT_EQ(level.endTimer, 2.0f);
    // He rises, then shows again, still, where he fell.
    LevelOutcome outcome = LevelOutcome::Playing;
    for (int i = 0; i < 40 && outcome == LevelOutcome::Playing; ++i) {
        frame(0.1f, 0);
        outcome = level.afterDraw(0.1f);
    }
    EXPECT_EQ(outcome, LevelOutcome::GameOver);
    EXPECT_TRUE(hero.visible);
    EXPECT_EQ(hero.cell, where);
}

TEST_F(GameLevelTest, ADeadHeroDropsBackInWhenLivesRemain) {
    GameLevel& level = makeLevel(2, 1);
    settleHero();
    Hero& hero = level.hero();
    level.killHero();
    for (int i = 0; i < 40 && hero.visible; ++i) frame(0.1f, 0);
    ASSERT_FALSE(hero.visible);
    const int aims = host.heroAppearances;
    level.reviveTick();
    EXPECT_TRUE(hero.visible);
    EXPECT_TRUE(hero.falling);
    EXPECT_FLOAT_EQ(hero.appearTimer, 4.4f);
    EXPECT_EQ(host.heroAppearances, aims + 1);
    // While dropping he cannot be steered.
    tapKey(key_bits::Up);
    EXPECT_EQ(hero.requested, -1);
    settleHero();
    EXPECT_EQ(host.sounds.back(), u"bang") << "he lands with a bang";
}

TEST_F(GameLevelTest, GhostsRiseFromTheTombAndNeverHang) {
    for (uint32_t seed = 1; seed <= 25; ++seed) {
        GameLevel& level = makeLevel(int(seed % 12) + 1, 3, seed);
        settleHero();
        // A ghost's heading of travel is the direction of the step it is on.
        int checked = 0;
        for (int tick = 0; tick < 6; ++tick) {
            level.reviveTick();
            for (int i = 0; i < 40; ++i) {
                std::vector<Cell> before;
                for (auto& ghost : level.ghosts()) before.push_back(ghost->cell);
                frame(0.05f, 0);
                for (size_t g = 0; g < before.size(); ++g) {
                    const Ghost& ghost = *level.ghosts()[g];
                    const Cell from = before[g];
                    if (ghost.dying || std::abs(ghost.cell.x - from.x) + std::abs(ghost.cell.y - from.y) != 1) continue;
                    EXPECT_EQ(from.step(ghost.travel), ghost.cell) << "seed " << seed;
                    ++checked;
                }
            }
        }
        EXPECT_GT(checked, 0) << "seed " << seed;
        int out = 0;
        for (auto& ghost : level.ghosts()) out += ghost->visible ? 1 : 0;
        EXPECT_GT(out, 0) << "seed " << seed;
    }
}

TEST_F(GameLevelTest, GhostsRiseOneAtATimeWhileTheTombGlowsAndSettles) {
    GameLevel& level = makeLevel(3);
    ASSERT_EQ(level.ghosts().size(), 3u);
    auto risen = [&] {
        std::vector<bool> shown;
        for (auto& ghost : level.ghosts()) shown.push_back(ghost->visible);
        return shown;
    };
    EXPECT_EQ(risen(), (std::vector<bool>{false, false, false}));
    // Each tick raises at most one ghost (three times in four), the first still in the tomb.
    for (int tick = 0; tick < 40 && !level.ghosts()[0]->visible; ++tick) level.reviveTick();
    EXPECT_EQ(risen(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(level.ghosts()[0]->cell, level.ghostHome);
    for (int tick = 0; tick < 40 && !level.ghosts()[1]->visible; ++tick) level.reviveTick();
    EXPECT_EQ(risen(), (std::vector<bool>{true, true, false}));

    const TombGlow& glow = level.tomb();
    EXPECT_EQ(glow.look, Look::Glowing);
    frame(0.05f, 0);
    uint32_t blue = glow.colour & 0xFF;
    EXPECT_LT(blue, 0xFFu) << "the glow fades";
    frame(0.001f, 0);
    EXPECT_LT(glow.colour & 0xFF, blue) << "even over a very short frame";
    // The tomb wobbles by a few units at most while it glows.
    EXPECT_TRUE(glow.shaking);
    EXPECT_LT(std::abs(glow.lift), 16.0f);
    for (int i = 0; i < 40; ++i) frame(0.05f, 0);
    EXPECT_EQ(glow.look, Look::Solid);
    EXPECT_FALSE(glow.shaking);
}

TEST_F(GameLevelTest, TheGhostsHomeIsAWallAtTheMiddleAndOnlyCellsInsideHoldItems) {
    for (int number : {1, 20}) {
        GameLevel& level = makeLevel(number);
        const Maze& maze = level.maze();
        EXPECT_EQ(maze.cell(level.ghostHome), 0);
        EXPECT_LE(std::abs(level.ghostHome.x - maze.rows() / 2), 1) << "level " << number;
        EXPECT_LE(std::abs(level.ghostHome.y - maze.columns() / 2), 1) << "level " << number;
        for (Cell outside : {Cell{-1, 1}, Cell{1, -1}, Cell{maze.rows(), 1}, Cell{1, maze.columns()}})
            EXPECT_EQ(level.itemAt(outside), nullptr);
    }
}

TEST_F(GameLevelTest, TheViewShapesItemChipsByTheirPicturesAndCopiesTheState) {
    GameLevel& level = makeLevel(1);
    Scene3D scene{0, 0, 240, 320};
    LevelView view(scene, host);
    // No picture or one that did not load makes a square chip; a picture
    // twice as wide as high makes it twice as wide.
    Texture unloaded(8, 8, 0, false), wide(32, 16, 0, false);
    unloaded.loadedWidth = unloaded.loadedHeight = 0;
    wide.loadedWidth = 30, wide.loadedHeight = 15;
    LevelPictures pictures;
    pictures.items[kPickable] = &unloaded;
    pictures.items[kBonus] = &wide;
    view.buildMaze(level, pictures);
    view.createCharacters(level, pictures);
    view.placeItems(level, pictures);
    std::vector<Object3D*> chips;
    for (int i = 0; i < scene.objectCount(); ++i)
        if (scene.object3DAt(i)->name == u"p") chips.push_back(scene.object3DAt(i));
    const std::vector<Item*> items = ItemsOf(level);
    ASSERT_EQ(items.size(), chips.size());
    Item* bonus = nullptr;
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_FLOAT_EQ(chips[i]->size.x, (items[i]->type == kBonus ? 2.0f : 1.0f) * chips[i]->size.y) << i;
        EXPECT_EQ(chips[i]->billboard, kBillboardScreen) << "screen-aligned, as the characters are";
        if (items[i]->type == kBonus) bonus = items[i];
    }
    // Eaten items vanish and the hero's chip stands where he does.
    ASSERT_NE(bonus, nullptr);
    level.eatAt(bonus->cell);
    settleHero();
    view.update(level);
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(chips[i]->visible, items[i] != bonus);
    const Vector3 chipAt = view.heroChip()->worldMatrix.getTranslation();
    EXPECT_EQ(chipAt.y, level.hero().position.y);
    EXPECT_EQ(chipAt.x, level.hero().position.x);
    EXPECT_TRUE(view.heroChip()->visible);
}

TEST_F(GameLevelTest, AWalledInGhostFindsAPassage) {
    GameLevel& level = makeLevel(1);
    Maze& maze = level.maze();
    // A pillar whose four neighbours are all walls.
    Cell pillar{-1, -1};
    for (int x = 2; x < maze.rows() - 1 && pillar.x < 0; x += 2)
        for (int y = 2; y < maze.columns() - 1; y += 2) {
            int walls = 0;
            for (int d = 0; d < 4; ++d) walls += maze.cell(Cell{x, y}.step(d)) == 0;
            if (walls == 4) {
                pillar = {x, y};
                break;
            }
        }
    if (pillar.x < 0) {
        for (int d = 0; d < 4; ++d) maze.setCell(2 + (d == 1) - (d == 3), 2 + (d == 0) - (d == 2), 0);
        pillar = {2, 2};
    }
    Ghost& ghost = *level.ghosts()[0];
    ghost.appear(0.0f, pillar, 0.0f);
    for (int i = 0; i < 200; ++i) frame(0.05f, 0);
    EXPECT_EQ(maze.cell(ghost.cell), 1);
}
