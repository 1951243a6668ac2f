// The rules of a level: items, keys, the hero's step, ghosts, goodtime,
// popups, lives and the end of a level.

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <set>
#include <tuple>
#include <utility>

#include "data/text_helpers.h"
#include "game/level_view.h"
#include "game_fixture.h"
#include "render3d/math3d.h"
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

// How far apart two points are across the floor.
float Apart(const Vector3& a, const Vector3& b) { return std::hypot(a.x - b.x, a.z - b.z); }

// A generator whose next draws pass the test.
template <typename Test>
GameRandom Drawing(Test test) {
    uint32_t seed = 1;
    while (!test(GameRandom(seed))) ++seed;
    return GameRandom(seed);
}

int PopupShows(const GameLevel& game) {
    int shows = 0;
    for (const ScorePopup& popup : game.popups()) shows += popup.shows;
    return shows;
}

}  // namespace

TEST_F(GameLevelTest, ItemsAndGhostsByLevel) {
    for (auto [number, lives, kills, ghosts, speed] :
         {std::tuple{1, 1u, 0u, 2u, 0.55f}, {2, 1u, 0u, 3u, 0.6f}, {3, 1u, 1u, 3u, 0.65f}, {6, 2u, 1u, 5u, 0.8f},
          {8, 2u, 2u, 6u, 0.9f}, {30, 2u, 2u, 17u, 2.0f}, {40, 2u, 2u, 22u, 2.0f}, {60, 2u, 2u, 32u, 2.0f}}) {
        GameLevel& level = makeLevel(number);
        SCOPED_TRACE(testing::Message() << "level " << number);
        EXPECT_EQ(ItemsOf(level, kLife).size(), lives);
        EXPECT_EQ(ItemsOf(level, kSpeed).size(), kills);
        ASSERT_EQ(level.ghosts().size(), ghosts);
        EXPECT_FLOAT_EQ(level.ghosts()[0]->speed, speed);
        // Past a row's end lies no item, though the next row's first ones follow it in memory.
        const Item* first = ItemsOf(level)[0];
        const int columns = level.maze().columns();
        EXPECT_EQ(level.itemAt({first->cell.x - 1, first->cell.y + columns}), nullptr);
        EXPECT_EQ(level.itemAt({level.maze().rows() - 1, columns}), nullptr);  // past the last cell
        EXPECT_EQ(level.itemAt({level.maze().rows(), 0}), nullptr);             // and past the last row
    }
}

// Decoration stands on walls with a passage on the row before them: one draw
// of 0 ... 100 for every inner cell, a wall or not, so that the draws after it
// (the items, the ghosts) stay those of the original game; a draw above 50
// decorates, and its parity picks one of the two pictures.
TEST_F(GameLevelTest, DecorationStandsOnWallsAfterAPassage) {
    for (uint32_t seed : {1u, 2u, 3u, 11u, 1234u}) {  // 11 draws a 50 by a passage
        GameRandom mirror(seed);
        Maze maze(Maze::DimensionForLevel(5), Maze::DimensionForLevel(5), 5, mirror);
        maze.generate();
        maze.addLoops(3 * 5 + 50);
        std::vector<std::tuple<int, int, int>> expected, placed;
        for (int x = 1; x < maze.rows() - 1; ++x)
            for (int y = 1; y < maze.columns() - 1; ++y)
                if (const int r = mirror.range(0, 100); maze.cell(x, y) == 0 && maze.cell(x - 1, y) == 1 && r > 50)
                    expected.push_back({x, y, r % 2});
        game = std::make_unique<GameLevel>(5, 0, 2, seed, host);
        game->buildMaze();
        for (const Decor& decor : game->decor()) placed.push_back({decor.cell.x, decor.cell.y, decor.picture});
        EXPECT_EQ(placed, expected) << seed;
        EXPECT_EQ(game->random().next(), mirror.next()) << seed;
        for (int x = 0; x < maze.rows(); ++x)
            for (int y = 0; y < maze.columns(); ++y) ASSERT_EQ(game->maze().cell(x, y), maze.cell(x, y)) << x << "," << y;
    }
}

TEST_F(GameLevelTest, DirectionKeysActWhenReleasedAndOnlyTheFirst) {
    for (auto [keys, direction] : {std::pair{KeyState(key_bits::Up | key_bits::Right), 1},
                                   {key_bits::Left | key_bits::Right, 2}, {key_bits::ButtonA, 2},
                                   {key_bits::ButtonStart, 3}, {key_bits::Action | key_bits::ButtonC, -2},
                                   {key_bits::ButtonC | key_bits::ButtonA, 1}, {key_bits::ButtonB, 0}})
        EXPECT_EQ(DirectionForReleasedKeys(keys), direction) << keys;

    // Two keys let go in one frame, one toward a passage and one toward a
    // wall: only the first in the test order counts, so the hero walks only
    // when the open one comes first.
    const std::pair<KeyState, int> kOrder[] = {{key_bits::Up, 1}, {key_bits::Down, 3}, {key_bits::Left, 2}, {key_bits::Right, 0}};
    for (int first = 0; first < 4; ++first) {
        for (int second = 0; second < 4; ++second) {
            if (first == second) continue;
            GameLevel& level = makeLevel(1);
            settleHero();
            Hero& hero = level.hero();
            const Cell start = hero.cell;
            const bool firstOpen = level.maze().cell(start.step(kOrder[first].second)) == 1;
            const bool secondOpen = level.maze().cell(start.step(kOrder[second].second)) == 1;
            if (firstOpen == secondOpen) continue;
            const KeyState both = kOrder[first].first | kOrder[second].first;
            for (int i = 0; i < 5; ++i) frame(0.05f, both);
            EXPECT_EQ(hero.cell, start) << "holding keys does nothing";
            frame(0.05f, 0);
            const bool walked = !(hero.cell == start);
            EXPECT_EQ(walked, first < second ? firstOpen : secondOpen) << first << " " << second;
        }
    }
}

TEST_F(GameLevelTest, AStepTakesHalfASecondOfFramesAtLeastTwoAndAtMostFifty) {
    // The frame time is floored to a hundredth.
    for (auto [dt, steps] : {std::pair{0.1f, 5}, {0.005f, 50}, {0.25f, 2}}) {
        GameLevel& level = makeLevel(1);
        settleHero();
        Hero& hero = level.hero();
        const Cell start = hero.cell;
        // Row 1 of a maze is all rooms and segments: he steps along z with one
        // frame time and along x with the other.
        const int open = dt > 0.05f ? OpenDirection(level.maze(), start, {1}) : OpenDirection(level.maze(), start, {0, 2});
        ASSERT_GE(open, 0) << "dt " << dt;
        EXPECT_EQ(hero.look, Look::Solid) << "landed, he is drawn solid";
        EXPECT_GT(hero.position.y, level.maze().cellCenter(start).y) << "on the floor, not sunk into it";
        const KeyState keys[4] = {key_bits::Right, key_bits::Up, key_bits::Left, key_bits::Down};
        frame(dt, keys[open]);
        const Vector3 target = level.maze().cellCenter(start.step(open));
        const float whole = Apart(hero.position, target);
        float first = 0.0f;
        int frames = 0;
        for (float left = whole; !(hero.cell == start.step(open) && !hero.moving && hero.stepping) && frames < 500;
             left = Apart(hero.position, target)) {
            frame(dt, 0);
            if (++frames == 1) first = left - Apart(hero.position, target);
            EXPECT_LT(Apart(hero.position, target), left) << "straight on";
            if (hero.moving && hero.stepFrames == 0) break;
        }
        // The first frame after the release starts the step; the step ends
        // with the snap onto the cell on its last frame, each frame a like part of it.
        EXPECT_EQ(frames, steps) << "dt " << dt;
        EXPECT_NEAR(first * float(frames), whole, 1e-3f) << "dt " << dt;
        EXPECT_NEAR(hero.position.x, target.x, 1e-3);
        EXPECT_NEAR(hero.position.z, target.z, 1e-3);
        // He walks on until a wall stops him, and his pictures stop with him.
        const int stops = hero.animationStops;
        for (int i = 0; i < 2000 && hero.stepping; ++i) frame(dt, 0);
        EXPECT_EQ(hero.animating, (std::array<bool, 4>{})) << "dt " << dt;
        EXPECT_GT(hero.animationStops, stops) << "the view is told";
        const Cell stopped = hero.cell;
        frame(dt, keys[(open + 2) % 4]), frame(dt, 0);
        EXPECT_EQ(hero.cell, stopped.step((open + 2) % 4)) << "and back";
    }
}

TEST_F(GameLevelTest, TheOppositeKeyTurnsTheHeroBackAtOnce) {
    GameLevel& level = makeLevel(1);
    settleHero();
    Hero& hero = level.hero();
    const Cell start = hero.cell;
    const int open = OpenDirection(level.maze(), start, {0, 2});
    ASSERT_GE(open, 0);
    frame(0.1f, open == 0 ? key_bits::Right : key_bits::Left), frame(0.1f, 0);
    ASSERT_TRUE(hero.moving);
    const Cell entering = hero.cell;
    EXPECT_EQ(entering, start.step(open));
    Item* there = level.itemAt(entering);
    ASSERT_NE(there, nullptr);
    ASSERT_FALSE(there->eaten);
    frame(0.1f, open == 0 ? key_bits::Left : key_bits::Right), frame(0.1f, 0);
    // Placed on the cell it was entering, eating what lies there, then walking back.
    EXPECT_TRUE(there->eaten);
    EXPECT_EQ(hero.current, (open + 2) % 4);
    EXPECT_EQ(hero.cell, start);
    for (int i = 0; i < 5; ++i) frame(0.1f, 0);
    EXPECT_LT(Apart(hero.position, level.maze().cellCenter(start)), 1e-3f) << "the way back is one whole step";
}

// What each kind of item does when eaten, once: points, the count of items
// left, lives, popup, sound, flash message, goodtime and the ghosts.
TEST_F(GameLevelTest, EatingEachKindOfItem) {
    struct Case {
        int type, points, counted;
        const char16_t *lives, *popup, *sound, *flash;
        float scale;  // of the popup, by its points
    };
    for (Case c : {Case{kPickable, 100, 1, u"X0", u"100", u"", u"", 0.7f}, {kBonus, 500, 1, u"X0", u"500", u"", u"", 1.4f},
                   {kGoodtime, 200, 1, u"X0", u"200", u"goodtime", u"MAGIC POWER!", 1.0f},
                   {kLife, 0, 0, u"X1", u"LIFE!", u"eatspecial", u"NEW LIFE!", 1.5f},
                   {kSpeed, 0, 0, u"X0", nullptr, u"ghostKilled", u"MAGIC KILL!", 0.0f}}) {
        GameLevel& level = makeLevel(3, 0);
        settleHero();
        level.goodtimeTimer = 3.0f;
        host.shown.clear();
        host.sounds.clear();
        Item* item = FirstItemOf(level, c.type);
        ASSERT_NE(item, nullptr);
        const int remaining = level.remaining(), popups = PopupShows(level);
        for (int twice = 0; twice < 2; ++twice) level.eatAt(item->cell);
        SCOPED_TRACE(testing::Message() << "type " << c.type);
        EXPECT_EQ(level.hero().score, c.points);
        EXPECT_EQ(host.texts[u"sptScore"], Decimal(c.points));
        EXPECT_EQ(level.remaining(), remaining - c.counted);
        EXPECT_EQ(host.texts[u"sptLifes"], c.lives);
        EXPECT_EQ(PopupShows(level), popups + (c.popup ? 1 : 0));
        if (c.popup) {
            EXPECT_EQ(NewestPopup(level).text, c.popup);
            EXPECT_NEAR(NewestPopup(level).scale, c.scale, 0.01f);
        }
        EXPECT_EQ(host.sounds.empty() ? u"" : host.sounds.back(), std::u16string(c.sound));
        EXPECT_EQ(host.texts[u"sptFlash"], c.flash);
        EXPECT_EQ(host.shown[u"sptFlash"], *c.flash != 0) << "a flash message shows at once";
        // A second orb adds a whole goodtime to what is left; the kill item kills even in goodtime.
        EXPECT_FLOAT_EQ(level.goodtimeTimer, c.type == kGoodtime ? 8.75f : 3.0f);
        EXPECT_EQ(level.hero().look, c.type == kGoodtime ? Look::Glowing : Look::Solid);
        for (auto& ghost : level.ghosts()) EXPECT_EQ(ghost->dying, c.type == kSpeed);
    }
    EXPECT_EQ(ItemPoints(-1) + ItemPoints(kItemTypes), 0) << "no points for a type that does not exist";
}

// In goodtime the hero glows green, dimming with the time left but never
// below 100, and its message blinks for 1.8 s, shown while sin(18 t) > -0.3.
// Enhanced ghosts show it: scared while it lasts, blinking pale in its last
// 1.5 s so that its end can be seen coming, and plain after it; the original
// ghosts never change.
TEST_F(GameLevelTest, GoodtimeGlowsBlinksAndScaresTheEnhancedGhosts) {
    // The warning opens scared.
    for (auto [left, fright] : {std::pair{0.0f, Fright::None}, {-0.1f, Fright::None}, {6.0f, Fright::Scared},
                                {kFrightWarning, Fright::Scared}, {1.49f, Fright::Scared}, {1.375f, Fright::Scared},
                                {1.37f, Fright::Pale}})
        EXPECT_EQ(FrightFor(left), fright) << left;

    for (bool enhanced : {false, true}) {
        GameLevel& level = makeLevel(1);
        level.style.ghosts = enhanced;
        settleHero();
        level.hero().appearTimer = 2.0f, level.hero().alpha = 120;  // see-through in a grace
        level.goodtimeTimer = 1.0f;  // more than a whole goodtime left glows no brighter
        level.eatAt(FirstItemOf(level, kGoodtime)->cell);
        EXPECT_EQ(std::pair(level.hero().alpha, level.hero().appearTimer), std::pair(0, 0.0f)) << "the grace ends";
        std::set<Fright> seen, warned;
        for (int frames = 1; level.goodtimeTimer > 0.0f; ++frames) {
            const float left = level.goodtimeTimer;
            frame(0.05f, 0);
            const uint32_t glow = uint32_t(std::clamp(int(left / 5.25f * 255.0f), 100, 255));
            EXPECT_EQ(level.hero().colour, glow / 2 << 16 | glow << 8 | glow / 2) << left;
            const bool blinkShown = frames < 36 && TableSin(18.0f * level.elapsedTime) > -0.3f;
            EXPECT_TRUE(frames == 36 || host.shown[u"sptFlash"] == blinkShown) << frames;
            level.afterDraw(0.05f);
            for (const auto& ghost : level.ghosts()) (left > kFrightWarning ? seen : warned).insert(ghost->fright);
        }
        frame(0.05f, 0);
        using Frights = std::set<Fright>;
        EXPECT_EQ(seen, enhanced ? Frights{Fright::Scared} : Frights{Fright::None});
        EXPECT_EQ(warned, (enhanced ? Frights{Fright::Scared, Fright::Pale} : Frights{Fright::None}));
        for (const auto& ghost : level.ghosts()) EXPECT_EQ(ghost->fright, Fright::None);
        EXPECT_EQ(level.goodtimeTimer, 0.0f) << "it stops at 0";
        EXPECT_EQ(level.hero().look, Look::Solid) << "the glow ends with it";
        // The blink ends also when the frames add up to exactly 1.8 s, at a
        // moment of the level's clock when it would show.
        level.elapsedTime = 0.0f;
        level.flashMessage(u"!");
        for (int i = 0; i < 2; ++i) frame(0.9f, 0);
        EXPECT_FALSE(host.shown[u"sptFlash"]);
    }
}

// The last counted item clears the level: "Level Cleared" stays, he turns to
// the player and the next level comes 3.5 s later. The Enhanced clear plays a
// jingle over the music, and he hops while the level's points are counted up
// in the flash line.
TEST_F(GameLevelTest, TheLastCountedItemClearsTheLevel) {
    for (bool enhanced : {false, true}) {
        GameLevel& level = makeLevel(3, 0);
        level.style = enhanced ? host::PlayStyle::Enhanced() : host::PlayStyle::Original();
        settleHero();
        host.sounds.clear();
        Item* last = FirstItemOf(level, kPickable);
        for (Item* item : ItemsOf(level))
            if (item != last && ItemCounts(item->type)) level.eatAt(item->cell);
        ASSERT_EQ(level.remaining(), 1);
        level.hero().setHeading(0);
        level.hero().moving = true;  // caught mid-step, he stops
        host.shown[u"sptFlash"] = false;
        level.eatAt(last->cell);
        EXPECT_EQ(host.shown[u"sptFlash"], enhanced) << "the count shows at once";
        EXPECT_EQ(level.remaining(), 0);
        EXPECT_EQ(level.hero().heading, 3);
        EXPECT_FALSE(level.hero().moving);
        EXPECT_FLOAT_EQ(level.endTimer, 3.5f);
        EXPECT_EQ(host.texts[u"sptMessage"], u"Level Cleared");
        EXPECT_EQ(host.sounds.back(), enhanced ? u"levelClear" : u"ghostKilled");
        EXPECT_EQ(std::count(host.sounds.begin(), host.sounds.end(), u"<stop>"), enhanced ? 0 : 1);
        float highest = 0.0f, steepest = 0.0f, hop = 0.0f;
        std::vector<std::u16string> counted;
        LevelOutcome outcome = LevelOutcome::Playing;
        int frames = 0;
        for (; outcome == LevelOutcome::Playing && frames < 100; ++frames) {
            frame(0.0625f, 0);
            highest = std::max(highest, level.hero().hop);
            steepest = std::max(steepest, std::fabs(level.hero().hop - hop));
            hop = level.hero().hop;
            counted.push_back(host.texts[u"sptFlash"]);
            outcome = level.afterDraw(0.0625f);
        }
        EXPECT_EQ(outcome, LevelOutcome::Cleared);
        EXPECT_EQ(frames, 56);
        if (!enhanced) continue;
        EXPECT_GT(highest, 0.5f * GameLevel::kHopHeight) << "he hops";
        EXPECT_LT(steepest, 0.5f * GameLevel::kHopHeight) << "in arcs, not a jitter";
        const std::u16string all = u"+" + Decimal(level.hero().score);  // the level began at 0
        EXPECT_EQ(host.texts[u"sptFlash"], all) << "the count ends on the level's points";
        EXPECT_EQ(counted[3], u"+0") << "the count waits a moment";
        EXPECT_NE(counted[16], all) << "and gets there by counting";
        EXPECT_TRUE(host.shown[u"sptFlash"]);
    }
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
    // A corridor along the first row from column 1 to 7 with a branch from
    // (0, 4) to (2, 4).
    GameRandom random(1);
    Maze maze(9, 9, 1, random);
    for (int y = 1; y <= 7; ++y) maze.setCell(0, y, 1);
    for (int x = 1; x <= 2; ++x) maze.setCell(x, 4, 1);
    const Cell fall{0, 2};
    EXPECT_EQ(FairRespawnCell(maze, fall, {{0, 1}}, 2), (Cell{0, 4})) << "the farthest within reach";
    EXPECT_EQ(FairRespawnCell(maze, fall, {{0, 1}}, 20), (Cell{0, 7})) << "6 steps beat the branch's 5";
    EXPECT_EQ(FairRespawnCell(maze, fall, {{0, 1}, {0, 7}}, 20), (Cell{2, 4})) << "between two ghosts, the branch";
    EXPECT_EQ(FairRespawnCell(maze, {0, 5}, {{2, 4}}, 20), (Cell{0, 7})) << "of two ends 5 steps away, the nearer";
    EXPECT_EQ(FairRespawnCell(maze, {0, 4}, {{0, 1}, {0, 7}, {2, 4}}, 1), (Cell{0, 4})) << "his own cell when it is best";
    EXPECT_EQ(FairRespawnCell(maze, {0, 4}, {{2, 4}}, 3), (Cell{0, 1})) << "of two alike, the first";

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
        level.ghosts()[4]->appear(0.0f, {level.maze().rows() - 2, level.maze().columns() - 2}, 0.0f);
        level.killHero();
        for (int i = 0; i < 60 && (hero.dying || hero.visible); ++i) frame(0.05f, 0);
        ASSERT_FALSE(hero.visible);
        std::vector<Cell> ghosts{level.ghostHome};
        for (auto& ghost : level.ghosts())
            if (ghost->visible) ghosts.push_back(ghost->cell);
        const std::vector<int> threat = level.maze().stepsFrom(ghosts);
        const Cell expected = FairRespawnCell(level.maze(), fell, ghosts, GameLevel::kRespawnReach);
        // A ghost not risen yet is no threat, wherever it was last.
        for (auto& ghost : level.ghosts())
            if (!ghost->visible) ghost->cell = expected;
        level.reviveTick();
        ASSERT_TRUE(hero.visible);
        EXPECT_EQ(hero.cell, fair ? expected : fell);
        if (!fair) continue;
        EXPECT_LE(level.maze().stepsFrom({fell})[level.maze().indexOf(hero.cell)], GameLevel::kRespawnReach);
        EXPECT_GE(threat[level.maze().indexOf(hero.cell)], 3) << "no ghost within two steps";
        EXPECT_GT(threat[level.maze().indexOf(hero.cell)], threat[level.maze().indexOf(fell)]);
        // Ghosts within reach of where he drops go back to the tomb; the far one stays.
        const std::vector<int> near = level.maze().stepsFrom({hero.cell});
        ASSERT_GT(near[level.maze().indexOf(level.ghosts()[4]->cell)], GameLevel::kTombSendReach);
        for (auto& ghost : level.ghosts())
            EXPECT_TRUE(!ghost->visible || ghost->dying == (near[level.maze().indexOf(ghost->cell)] <= GameLevel::kTombSendReach));
    }
}

// A ninth popup reuses the oldest. It sways by 0.7 units round its start with
// the level's clock and fades away in 1.2 seconds; the gentle one rises less.
TEST_F(GameLevelTest, ANinthPopupReusesTheOldest) {
    float rise[2];
    for (bool gentle : {false, true}) {
        GameLevel& level = makeLevel(1);
        level.style.popups = gentle;
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
        const Vector3 cell = level.maze().cellCenter({1, 1}), start = oldest->position;
        EXPECT_FLOAT_EQ(start.y, cell.y + 3.0f * ScorePopup::kHeight) << "it starts above the cell";
        EXPECT_EQ(oldest->alpha, 0) << "it opens opaque";
        EXPECT_EQ(oldest->look, Look::Translucent);
        EXPECT_NE(level.popups()[1].elapsed, 0.0f);
        for (int i = 0; i < 13; ++i) {
            level.elapsedTime = 0.3f * float(i);
            frame(0.1f, 0);
            if (!oldest->shown) break;
            EXPECT_NEAR(oldest->position.x, cell.x + 0.7f * TableSin(20.0f * level.elapsedTime), 1e-4f) << i;
            EXPECT_NEAR(oldest->position.z, cell.z + 0.7f * TableCos(20.0f * level.elapsedTime), 1e-4f) << i;
            const float age = oldest->elapsed / 1.2f;
            EXPECT_EQ(oldest->alpha, int(age * age * 255.0f)) << i;
            rise[gentle] = oldest->position.y - start.y;
            // Each frame it rises by its speed, which grows by its acceleration first.
            const ScorePopup::Rise r = gentle ? ScorePopup::kGentleRise : ScorePopup::kSteepRise;
            const float n = float(i + 1);
            EXPECT_NEAR(rise[gentle], 0.1f * n * r.speed + 0.01f * r.acceleration * n * (n + 1.0f) / 2.0f, 1e-3f) << i;
        }
        for (auto& popup : level.popups()) EXPECT_FALSE(popup.shown);
    }
    ScorePopup popup;  // it lasts its lifetime and not a moment longer
    popup.show({}, 1.0f, u"1");
    popup.update(ScorePopup::kLifetime, 0.0f);
    EXPECT_FALSE(popup.shown);
    EXPECT_GT(rise[0], 30.0f) << "the original climbs about two characters high";
    EXPECT_LT(rise[1], rise[0] / 2.0f);
    // Bigger scores show bigger, from 0.7 to 1.7 times; a popup without points 1.5.
    for (auto [points, scale] : {std::pair{0, 1.5f}, {20, 0.7f}, {200, 1.001f}, {100000, 1.7f}})
        EXPECT_NEAR(PopupScale(points), scale, 1e-3f) << points;
}

// In goodtime a ghost that touches the hero dies and he gets 2000 points; a
// second caught while the first one's sound plays does not restart it.
TEST_F(GameLevelTest, AGhostTouchedInGoodtimeDies) {
    GameLevel& level = makeLevel(1, 1);
    settleHero();
    level.goodtimeTimer = 5.0f;
    for (int eaten : {1, 2}) {
        Ghost& ghost = *level.ghosts()[size_t(eaten - 1)];
        ghost.appear(0.0f, level.hero().cell, 0.0f);
        frame(0.01f, 0);
        EXPECT_TRUE(ghost.dying);
        EXPECT_EQ(std::count(host.sounds.begin(), host.sounds.end(), u"ghostKilled"), 1);
        EXPECT_EQ(level.hero().score, 2000 * eaten);
        EXPECT_EQ(NewestPopup(level).text, u"2000");
        EXPECT_EQ(level.record().ghostsEaten, eaten);
        host.playing.insert(u"ghostKilled");
    }
    frame(0.05f, 0);
    EXPECT_EQ(level.ghosts()[0]->look, Look::Translucent) << "it floats away see-through";
    EXPECT_FALSE(level.hero().dying);
    EXPECT_EQ(std::count(host.sounds.begin(), host.sounds.end(), u"ghostKilled"), 1);
}
// At a crossing a ghost that sees the hero steps toward him, even onto him,
// facing him; one that does not goes straight on unless its draw of 0 ... 100
// is above 50, and then its next draw of 0 ... 3 sets its way.
TEST_F(GameLevelTest, AGhostAtACrossingChasesOrTurnsOnADrawAbove50) {
    for (auto [draw, hero, way, heading] : {std::tuple{50, Cell{0, 0}, 0, 3}, {51, Cell{0, 0}, 1, 1}, {50, Cell{4, 3}, 1, 1},
                                            {50, Cell{2, 3}, 3, 3}, {50, Cell{3, 4}, 0, 0}, {50, Cell{3, 2}, 2, 2}}) {
        GameLevel& level = makeLevel(1);
        for (int x = 0; x < 7; ++x)
            for (int y = 0; y < 7; ++y) level.maze().setCell(x, y, x == 3 || y == 3);
        level.hero().cell = hero;
        Ghost& ghost = *level.ghosts()[0];
        ghost.setHeading(0);
        ghost.appear(0.0f, {3, 3}, 0.0f);  // facing the player again
        ghost.setHeading(4);                // which is no heading
        ghost.travel = 0;
        // A 50 from the upper half of its draws, which a draw of 1 ... 100 would make 51.
        level.random() = Drawing([&](GameRandom r) {
            const int raw = r.next();
            return GameRandom::Scale(raw, 0, 100) == draw && raw > GameRandom::kMax / 2 && r.range(0, 3) == 1;
        });
        frame(0.05f, 0);
        EXPECT_EQ(ghost.cell, (Cell{3, 3}.step(way))) << draw;
        EXPECT_EQ(ghost.travel, way);
        EXPECT_EQ(ghost.heading, heading) << "straight on, it faces as it did";
        const float left = Apart(ghost.position, level.maze().cellCenter(ghost.cell));
        frame(0.05f, 0);
        const float stride = (way % 2 == 0 ? level.maze().cellX() : level.maze().cellZ()) * ghost.speed * 0.05f;
        const Vector3 target = level.maze().cellCenter(ghost.cell);
        EXPECT_NEAR(left - Apart(ghost.position, target), stride, 1e-3f) << "on its way";
        EXPECT_NEAR(way % 2 == 0 ? ghost.position.z - target.z : ghost.position.x - target.x, 0.0f, 1e-4f)
            << "straight along it";
    }
    // Along a passage it goes on, whatever it draws.
    GameLevel& level = makeLevel(1);
    for (int x = 0; x < 7; ++x)
        for (int y = 0; y < 7; ++y) level.maze().setCell(x, y, y == 3);
    level.hero().cell = {0, 0};
    Ghost& ghost = *level.ghosts()[0];
    ghost.appear(0.0f, {3, 3}, 0.0f);
    ghost.travel = 1;
    level.random() = Drawing([](GameRandom r) { return r.range(0, 100) > 50 && r.range(0, 3) == 3; });
    frame(0.05f, 0);
    EXPECT_EQ(ghost.cell, (Cell{4, 3}));
}

// Let go, the action key stops him where his step ends, in an open passage.
TEST_F(GameLevelTest, TheActionKeyStopsTheHero) {
    GameLevel& level = makeLevel(1);
    settleHero();
    Hero& hero = level.hero();
    for (Cell c = hero.cell; c.y < hero.cell.y + 4; c = c.step(0)) level.maze().setCell(c.x, c.y, 1);
    hero.requestDirection(0);
    frame(0.05f, 0);
    frame(0.05f, key_bits::Action), frame(0.05f, 0);
    const Cell stopped = hero.cell;
    for (int i = 0; i < 40; ++i) frame(0.05f, 0);
    EXPECT_EQ(hero.cell, stopped);
    EXPECT_FALSE(hero.moving || hero.stepping);
    // Standing, a way into a wall leaves him standing.
    int blocked = 0;
    while (blocked < 4 && level.maze().cell(stopped.step(blocked)) == 1) ++blocked;
    hero.requestDirection(blocked);
    frame(0.05f, 0);
    EXPECT_FALSE(hero.moving || hero.stepping) << blocked;
}

// A turn asked for before its opening: he walks on and takes it there.
TEST_F(GameLevelTest, ATurnAskedForEarlyIsTakenAtItsOpening) {
    GameLevel& level = makeLevel(1);
    settleHero();
    Hero& hero = level.hero();
    const Cell start = hero.cell, corner = start.step(0).step(0), turned = corner.step(1);
    for (Cell c = start; !(c == corner.step(0)); c = c.step(0)) {
        level.maze().setCell(c.x, c.y, 1);
        level.maze().setCell(c.x + 1, c.y, c == corner ? 1 : 0);
    }
    level.maze().setCell(turned.x, turned.y, 1);
    hero.requestDirection(0);
    frame(0.05f, 0);
    hero.requestDirection(1);
    std::vector<Cell> path{start};
    for (int i = 0; i < 200 && !(hero.cell == turned); ++i) {
        frame(0.05f, 0);
        if (!(hero.cell == path.back())) path.push_back(hero.cell);
    }
    EXPECT_EQ(path, (std::vector<Cell>{start, start.step(0), corner, turned}));
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
        ASSERT_LT(Apart(ghost.position, level.maze().cellCenter(start)), 1e-3f) << "it waits where it is";
    }
    // One step's time, give or take the frames that start and end a step.
    const float step = 1.0f / ghost.speed;
    EXPECT_GE(waited, step - 2.0f * dt);
    EXPECT_LE(waited, step + 3.0f * dt);
    EXPECT_FALSE(hero.dying);
}

// He drops in from 80 units, spinning and fading in, dips a fifth of his
// height into the floor for one frame and stands translucent through his grace.
// A ghost risen onto him pulses see-through and harmless for 2 s, then catches
// him: he rises 20 units a second, spinning, wobbling a unit a frame, fading.
TEST_F(GameLevelTest, TheHeroDropsInAndIsCaughtByAGhostOnceItsGraceEnds) {
    GameLevel& level = makeLevel(1, 1);
    Hero& hero = level.hero();
    Ghost& ghost = *level.ghosts()[0];
    // A character stands half its height, twice its radius, above the floor.
    ghost.appear(0.0f, level.ghostHome, 0.0f);
    EXPECT_FLOAT_EQ(ghost.position.y, 7.0f);
    EXPECT_EQ(hero.groundY, 8);
    EXPECT_EQ(hero.cell, (Cell{1, 3})) << "in the middle of the first row";
    float lowest = hero.position.y;
    int frames = 0;
    for (float y = hero.position.y; hero.falling; y = hero.position.y, ++frames) {
        frame(0.06f, 0);
        if (!hero.falling) break;
        EXPECT_TRUE(hero.position.y < y && hero.position.y > y - 8.0f) << "falling, a little a frame";
        EXPECT_EQ(hero.heading, int(hero.position.y) / 4 % 4);
        EXPECT_EQ(hero.alpha, std::min(255, int(hero.position.y * 2.5f)));
        lowest = std::min(lowest, hero.position.y);
    }
    EXPECT_FLOAT_EQ(lowest, 8.0f - 3.2f);
    EXPECT_EQ(frames, 25) << "1.5 s at 0.06 s a frame";
    EXPECT_FLOAT_EQ(hero.position.y, 8.0f);
    EXPECT_EQ(hero.look, Look::Translucent);
    settleHero();
    ghost.appear(2.0f, hero.cell, 0.0f);
    std::set<int> alphas;
    for (int i = 0; i < 19; ++i) {
        frame(0.1f, 0);
        level.afterDraw(0.1f);
        alphas.insert(ghost.alpha);
    }
    EXPECT_FALSE(hero.dying);
    EXPECT_GE(*alphas.begin(), 50);
    EXPECT_GE(alphas.size(), 5u) << "it pulses";
    EXPECT_LE(*alphas.rbegin(), 250);
    for (int i = 0; i < 2; ++i) frame(0.1f, 0);
    EXPECT_EQ(ghost.look, Look::Solid);
    EXPECT_EQ(ghost.alpha, 0) << "no see-through left where it covers the hero";
    ASSERT_TRUE(hero.dying);
    EXPECT_EQ(hero.lives, 0);
    EXPECT_EQ(host.texts[u"sptLifes"], u"X0");
    EXPECT_EQ(host.sounds.back(), u"killed");
    for (Vector3 p = hero.position; hero.dying; p = hero.position) {
        frame(0.15f, 0);
        level.afterDraw(0.15f);
        if (!hero.dying) break;
        EXPECT_NEAR(hero.position.y - p.y, 3.0f, 1e-4f);
        EXPECT_NEAR(std::hypot(hero.position.x - p.x, hero.position.z - p.z), 1.0f, 0.01f);
        EXPECT_EQ(hero.heading, int(hero.position.y) / 4 % 4);
        const float fade = hero.position.y * 0.025f;
        EXPECT_EQ(hero.alpha, std::min(255, int(fade * fade * 255.0f))) << "fading";
    }
    EXPECT_FALSE(hero.visible);
    EXPECT_EQ(std::pair(hero.alpha, hero.look), std::pair(0, Look::Solid)) << "solid again for his next drop";
    // Dropping in, he eats nothing beneath him, though told to stop.
    GameLevel& next = makeLevel(1);
    const Item* below = FirstItemOf(next, kPickable);
    next.hero().appear(2.0f, below->cell, 80.0f);
    frame(0.06f, key_bits::Action);
    frame(0.06f, 0);
    EXPECT_FALSE(below->eaten);
    // A drop whose time runs out in mid-air ends on the floor.
    Hero& late = makeLevel(1).hero();
    late.appear(1.0f, late.cell, 80.0f);
    for (int i = 0; i < 2; ++i) frame(0.5f, 0);
    EXPECT_EQ(std::pair(late.falling, late.position.y), std::pair(false, 8.0f));
}

// A dead hero drops back in while lives remain; with none left he rises, shows
// again, still, where he fell, deaf to the keys, and the game ends 2 s later.
TEST_F(GameLevelTest, ADeadHeroDropsBackInWhileLivesRemain) {
    GameLevel& level = makeLevel(2, 2);
    settleHero();
    Hero& hero = level.hero();
    auto dropIn = [&] {
        for (int i = 0; i < 40 && hero.visible; ++i) frame(0.1f, 0);
        ASSERT_FALSE(hero.visible);
        level.reviveTick();
    };
    const int aims = host.heroAppearances;
    hero.requestDirection(OpenDirection(level.maze(), hero.cell));
    level.killHero();
    dropIn();
    EXPECT_TRUE(hero.visible);
    EXPECT_TRUE(hero.falling);
    EXPECT_FLOAT_EQ(hero.appearTimer, 4.4f);
    EXPECT_FLOAT_EQ(hero.position.y, 80.0f) << "from as high as at the start";
    EXPECT_EQ(host.heroAppearances, aims + 1);
    // While dropping he cannot be steered.
    frame(0.05f, key_bits::Up), frame(0.05f, 0);
    EXPECT_EQ(hero.requested, -1);
    // The record counts the deaths within 3 s of the end of a respawn's
    // grace, from when he can be caught again.
    auto killAfterGraceAnd = [&](float seconds) {
        for (int i = 0; i < 100 && hero.appearTimer > 0.0f; ++i) frame(0.1f, 0), level.afterDraw(0.1f);
        level.elapsedTime += seconds;
        hero.setHeading(0);
        level.killHero();
        EXPECT_EQ(hero.heading, 3) << "he turns to face the player";
    };
    killAfterGraceAnd(2.9f);
    EXPECT_EQ(host.sounds[host.sounds.size() - 3], u"bang") << "he landed with a bang";
    EXPECT_EQ(level.record().deathsSoonAfterRespawn, 1);
    dropIn();
    killAfterGraceAnd(3.1f);
    EXPECT_EQ(level.record().deathsSoonAfterRespawn, 1);
    EXPECT_EQ(level.record().deaths, 3);
    EXPECT_EQ(hero.lives, -1);
    EXPECT_FLOAT_EQ(level.endTimer, 2.0f);
    const Cell where = hero.cell;
    LevelOutcome outcome = LevelOutcome::Playing;
    for (int i = 0; i < 40 && outcome == LevelOutcome::Playing; ++i) {
        level.update(0.1f, 0);
        outcome = level.afterDraw(0.1f);
    }
    EXPECT_EQ(outcome, LevelOutcome::GameOver);
    EXPECT_EQ(hero.requested, -1);
    EXPECT_TRUE(hero.visible);
    EXPECT_EQ(hero.cell, where);
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
    EXPECT_EQ(level.maze().cell(level.ghostHome), 0) << "a wall";
    // The wall nearest the middle: every cell nearer it is a passage.
    const Cell middle{level.maze().rows() / 2, level.maze().columns() / 2};
    auto reach = [&](Cell c) { return std::max(std::abs(c.x - middle.x), std::abs(c.y - middle.y)); };
    for (int x = 0; x < level.maze().rows(); ++x)
        for (int y = 0; y < level.maze().columns(); ++y)
            EXPECT_TRUE(reach({x, y}) >= reach(level.ghostHome) || level.maze().cell(x, y) == 1) << x << "," << y;
    // A ghost rises on a draw of 0 ... 100 below 75.
    level.random() = Drawing([](GameRandom r) { return r.range(0, 100) == 75; });
    level.reviveTick();
    EXPECT_EQ(risen(), (std::vector<bool>{false, false, false}));
    // Each tick raises at most one ghost (three times in four), the first still
    // in the tomb, alive though the kill item struck it there.
    level.killAllGhosts();
    level.ghosts()[0]->remaining = 1.0f;  // as if struck part way through a step
    level.ghosts()[0]->moving = true;
    for (int tick = 0; tick < 40 && !level.ghosts()[0]->visible; ++tick) level.reviveTick();
    EXPECT_EQ(risen(), (std::vector<bool>{true, false, false}));
    EXPECT_FLOAT_EQ(level.ghosts()[0]->remaining, level.maze().cellX()) << "its first step is a whole one";
    EXPECT_FALSE(level.ghosts()[0]->moving) << "and not yet begun";
    EXPECT_EQ(level.ghosts()[0]->cell, level.ghostHome);
    EXPECT_FALSE(level.ghosts()[0]->dying);
    // A 74 from the top of its draws, which a draw of 1 ... 100 would make 75.
    level.random() = Drawing([](GameRandom r) {
        const int raw = r.next();
        return GameRandom::Scale(raw, 0, 100) == 74 && GameRandom::Scale(raw, 1, 100) == 75;
    });
    level.reviveTick();
    EXPECT_EQ(risen(), (std::vector<bool>{true, true, false}));

    // The glow fades by dt × 200 in each channel, at least 1, and the tomb tips
    // and lifts by its brightness, about the mean of the channels.
    const TombGlow& glow = level.tomb();
    EXPECT_EQ(glow.look, Look::Glowing);
    frame(0.05f, 0);
    EXPECT_EQ(glow.colour, 0x8C76F5u);
    level.elapsedTime = 0.3f;
    frame(0.001f, 0);
    EXPECT_EQ(glow.colour, 0x8B75F4u);
    const float brightness = float((0x8B + 0x75 + 0xF4) * 2730 / 8192);
    EXPECT_TRUE(glow.shaking);
    EXPECT_NEAR(glow.angle, TableSin(15.0f * 0.3f) * brightness * 0.003f, 1e-5f);
    EXPECT_NEAR(glow.lift, (TableSin(10.0f * 0.3f) + 0.5f) * brightness * 0.04f, 1e-4f);
    // It settles on the first frame that leaves it darker than brightness 10.
    for (int i = 0; i < 400 && glow.look == Look::Glowing; ++i) frame(0.005f, 0);
    EXPECT_EQ(glow.look, Look::Solid);
    EXPECT_FALSE(glow.shaking);
    EXPECT_EQ(glow.colour, 0x00001Eu);
    frame(0.05f, 0);
    EXPECT_EQ(glow.colour, 0x00001Eu) << "and fades no more once settled";
    // A ghost's two seconds of rising, in steps that end on exactly 0, leave it solid.
    Ghost& last = *level.ghosts()[2];
    last.appear(2.0f, level.ghostHome, 0.0f);
    for (int i = 0; i < 32; ++i) frame(0.0625f, 0);
    EXPECT_EQ(std::pair(last.appearTimer, last.look), std::pair(0.0f, Look::Solid));
}

TEST_F(GameLevelTest, TheViewShapesItemChipsByTheirPicturesAndHidesEatenOnes) {
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
    ASSERT_NE(FirstItemOf(level, kBonus), nullptr);
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_FLOAT_EQ(chips[i]->size.x, (items[i]->type == kBonus ? 2.0f : 1.0f) * chips[i]->size.y) << i;
        EXPECT_EQ(chips[i]->billboard, kBillboardScreen) << "screen-aligned, as the characters are";
    }
    // Eaten items vanish.
    level.eatAt(items[0]->cell);
    view.update(level);
    EXPECT_FALSE(chips[0]->visible);
    EXPECT_TRUE(chips[1]->visible);
}

// A ghost risen on a pillar walled in on all four sides (the tomb may stand on
// one) floats straight to the nearest passage, here diagonally.
TEST_F(GameLevelTest, AWalledInGhostFindsAPassage) {
    GameLevel& level = makeLevel(1);
    Maze& maze = level.maze();
    for (int d = 0; d < 4; ++d) maze.setCell(2 + (d == 1) - (d == 3), 2 + (d == 0) - (d == 2), 0);
    Ghost& ghost = *level.ghosts()[0];
    ghost.appear(0.0f, {2, 2}, 0.0f);
    ghost.travel = 0;
    frame(0.05f, 0);
    ASSERT_EQ(ghost.cell, (Cell{1, 1}));
    EXPECT_EQ(ghost.travel, 3) << "its way, mostly south";
    const Vector3 start = maze.cellCenter({2, 2}), goal = maze.cellCenter(ghost.cell);
    for (float left = Apart(ghost.position, goal); ghost.moving; left = Apart(ghost.position, goal)) {
        frame(0.05f, 0);
        EXPECT_LE(Apart(ghost.position, goal), left + 1e-3f);
        const Vector3 moved = ghost.position - start, whole = goal - start;
        EXPECT_NEAR(moved.x * whole.z - moved.z * whole.x, 0.0f, 1e-2f) << "on the straight line to the passage";
    }
    EXPECT_LT(Apart(ghost.position, goal), 1e-3f);
    // Along its row or its column it faces that way; across, the way of its row.
    for (auto [passage, way] : {std::pair{Cell{2, 1}, 2}, {Cell{2, 5}, 0}, {Cell{4, 3}, 1}, {Cell{3, 4}, 1}}) {
        GameLevel& walled = makeLevel(1);
        for (int x = 0; x <= 4; ++x)
            for (int y = 1; y <= 5; ++y) walled.maze().setCell(x, y, Cell{x, y} == passage);
        Ghost& lost = *walled.ghosts()[0];
        lost.appear(0.0f, {2, 3}, 0.0f);
        frame(0.05f, 0);
        EXPECT_EQ(lost.cell, passage);
        EXPECT_EQ(std::pair(lost.travel, lost.heading), std::pair(way, way));
        for (int i = 0; i < 20; ++i) frame(0.05f, 0);
        EXPECT_GT(Apart(lost.position, walled.maze().cellCenter(passage)), 1e-3f) << "two cells take twice one's time";
    }
}
