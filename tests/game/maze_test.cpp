// The maze: sizes by level, the generator's spanning tree, the extra openings,
// the start cells.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "game/game_random.h"
#include "game/items.h"
#include "game/maze.h"

TEST(GameRandom, FollowsTheClassicFifteenBitSequence) {
    // The published first outputs of the classic C library generator, seed 1.
    GameRandom random(1);
    for (int expected : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358}) EXPECT_EQ(random.next(), expected);
}

TEST(GameRandom, RangeRoundsEveryDrawExactly) {
    // lo + draw * (hi - lo) / 32767 rounded half away from zero, in exact
    // integers, for every draw and each range the game asks for: single
    // precision puts some draws one off, and a maze then differs from the same
    // random stream elsewhere.
    auto exact = [](int draw, int lo, int hi) {
        const int64_t scaled = int64_t(draw) * (hi - lo);
        const int64_t whole = scaled / GameRandom::kMax, rest = scaled % GameRandom::kMax;
        return lo + int(whole) + (2 * rest >= GameRandom::kMax ? 1 : 0);
    };
    const std::pair<int, int> ranges[] = {{0, 65535}, {0, 100}, {1, 100}, {0, 3}, {1, 5}, {1, 27}};
    for (auto [lo, hi] : ranges) {
        int draw = 0;
        while (draw <= GameRandom::kMax && GameRandom::Scale(draw, lo, hi) == exact(draw, lo, hi)) ++draw;
        EXPECT_GT(draw, GameRandom::kMax) << "range " << lo << ".." << hi << " is off first at draw " << draw;
    }
}

TEST(Maze, SizeFollowsTheLevel) {
    GameRandom random;
    auto side = [&](int level) {
        int n = Maze::DimensionForLevel(level);
        return Maze(n, n, level, random).rows();
    };
    const std::pair<int, int> sides[] = {{1, 7}, {2, 9}, {3, 9}, {5, 9}, {6, 11}, {13, 13}, {42, 29}, {100, 29}};
    for (auto [level, rows] : sides) EXPECT_EQ(side(level), rows) << "level " << level;
    // A world of whole units a cell: 55 units over level 6's nine inner cells are 54.
    Maze eleven(11, 11, 6, random);
    eleven.setWorldSize(55.0f);
    EXPECT_FLOAT_EQ(eleven.cellX(), 12.0f);
    Maze wide(2, 4, 1, random);
    EXPECT_EQ(wide.columns(), 5);
    wide.setWorldSize(60.0f);
    // Centred on the origin, each side as long as the other: opposite cells lie opposite.
    for (Cell c : {Cell{1, 1}, Cell{0, 3}, Cell{2, 0}}) {
        const Vector3 a = wide.cellCenter(c), b = wide.cellCenter(wide.rows() - 1 - c.x, wide.columns() - 1 - c.y);
        EXPECT_NEAR(a.x + b.x, 0.0f, 1e-4f);
        EXPECT_NEAR(a.z + b.z, 0.0f, 1e-4f);
    }
}

// On a maze all passage, its border too: every cell but the hero's and the
// three north of the tomb draws 1 ... 100 in turn, a bonus above 70; the inner
// corners hold orbs; each life and then kill item draws a row and a column of
// the inner cells until it lands on a plain item.
TEST(ItemLayout, EveryPassageDrawsItsItemInTurn) {
    for (uint32_t seed = 1; seed <= 100; ++seed) {
        GameRandom random(seed), replay(seed);
        Maze maze(7, 7, 1, random);
        for (int i = 0; i < 49; ++i) maze.setCell(i / 7, i % 7, 1);
        const ItemLayout layout(maze, 8, {1, 3}, {3, 3}, random);
        int expected[49];
        for (int i = 0; i < 49; ++i) {
            const bool none = i == 10 || (i / 7 == 4 && std::abs(i % 7 - 3) <= 1);
            expected[i] = none ? -1 : replay.range(1, 100) > 70 ? kBonus : kPickable;
        }
        for (int corner : {8, 12, 36, 40}) expected[corner] = kGoodtime;
        for (int type : {kLife, kLife, kSpeed, kSpeed}) {
            for (;;) {
                const int x = replay.range(1, 5);
                int& t = expected[x * 7 + replay.range(1, 5)];
                if (t != kPickable && t != kBonus) continue;
                t = type;
                break;
            }
        }
        int counted = 0;
        for (int i = 0; i < 49; ++i) {
            ASSERT_EQ(layout.at({i / 7, i % 7}), expected[i]) << "seed " << seed << ", cell " << i;
            counted += expected[i] >= 0 && ItemCounts(expected[i]) ? 1 : 0;
        }
        EXPECT_EQ(layout.remaining(), counted);
        for (Cell outside : {Cell{-1, 0}, Cell{0, -1}, Cell{7, 0}, Cell{0, 7}}) EXPECT_EQ(layout.at(outside), -1);
    }
    // Only plain items are replaced: with none, no life or kill item is laid;
    // with one, a life takes it and the other three are not laid.
    GameRandom random(1);
    Maze corners(5, 5, 1, random);
    for (Cell c : {Cell{1, 1}, Cell{1, 3}, Cell{3, 1}, Cell{3, 3}}) corners.setCell(c.x, c.y, 1);
    EXPECT_EQ(ItemLayout(corners, 8, {0, 0}, {4, 4}, random).remaining(), 4);
    corners.setCell(1, 2, 1);
    const ItemLayout one(corners, 8, {0, 0}, {4, 4}, random);
    EXPECT_EQ(std::pair(one.at({1, 2}), one.remaining()), std::pair(int(kLife), 4));
}

TEST(Maze, GenerationIsASpanningTreeOfTheRoomsForManySeeds) {
    for (int n : {5, 7, 9, 15, 29}) {
        for (uint32_t seed = 1; seed <= 40; ++seed) {
            GameRandom random(seed * 7919u), same(seed * 7919u);
            Maze maze(n, n, 1, random);
            for (int i = 0; i < n * n; ++i) maze.setCell(i / n, i % n, 1);  // what stood there before goes
            maze.generate();
            maze.setCell(0, n, 1), maze.setCell(-1, 1, 1);  // outside: changes nothing
            // One draw for each wall but the last, so that a seed always builds the same mazes.
            for (int walls = 2 * ((n - 1) / 2) * ((n - 3) / 2); walls > 1; --walls) same.next();
            ASSERT_EQ(random.next(), same.next()) << "n " << n << " seed " << seed;
            const int rooms = ((n - 1) / 2) * ((n - 1) / 2);
            // A tree over the rooms opens exactly rooms - 1 segments; every
            // room is a passage, no pillar, border or cell outside is, and all
            // are connected.
            const std::vector<int> steps = maze.stepsFrom({{1, 1}});
            ASSERT_EQ(std::count_if(steps.begin(), steps.end(), [](int s) { return s != Maze::kUnreached; }), 2 * rooms - 1);
            int passages = 0;
            for (int x = -1; x <= n; ++x)
                for (int y = -1; y <= n; ++y) {
                    passages += maze.cell(x, y);
                    const bool inner = x > 0 && y > 0 && x < n - 1 && y < n - 1;
                    if (!inner || (x % 2 == 0 && y % 2 == 0)) {
                        ASSERT_EQ(maze.cell(x, y), 0) << x << "," << y;
                    } else if (x % 2 && y % 2) {
                        ASSERT_EQ(maze.cell(x, y), 1) << x << "," << y;
                    }
                }
            ASSERT_EQ(passages, 2 * rooms - 1) << "n " << n << " seed " << seed;
        }
    }
}

// Each inner wall draws 0 ... 100 in turn and opens above the threshold (none
// from level 17 on) when walled on one axis only: some pillars open too.
TEST(Maze, LoopsOpenSegmentsAndSomePillarsAndNoneFromLevelSeventeen) {
    int segments = 0, pillars = 0;
    for (int threshold : {53, 101}) {
        for (uint32_t seed = 1; seed <= 40; ++seed) {
            GameRandom random(seed);
            Maze maze(15, 15, 1, random);
            maze.generate();
            Maze before = maze;
            GameRandom draws = random;
            maze.addLoops(threshold);
            for (int x = 1; x < 14; ++x)
                for (int y = 1; y < 14; ++y) {
                    if (before.cell(x, y) == 1) continue;
                    // Cells before this one in the pass are as they ended, those after as they began.
                    const bool across = maze.cell(x, y - 1) == 0 && before.cell(x, y + 1) == 0;
                    const bool along = maze.cell(x - 1, y) == 0 && before.cell(x + 1, y) == 0;
                    ASSERT_EQ(maze.cell(x, y), draws.range(0, 100) > threshold && across != along) << x << "," << y;
                    if (maze.cell(x, y) == 0) continue;
                    (x % 2 + y % 2 == 1 ? segments : pillars) += 1;
                }
            ASSERT_EQ(random.next(), draws.next()) << "one draw per inner wall";
        }
    }
    EXPECT_GT(pillars, 0);
    EXPECT_GT(segments, 2 * pillars);
}

// In a generated maze the hero's start (1, 3) is a room and the ghosts' home
// the pillar nearest the centre, the first of the scan.
TEST(Maze, StartCells) {
    GameRandom random(21);
    for (auto [n, from, wanted, found] : {std::tuple{7, Cell{1, 3}, 1, Cell{1, 3}}, {7, Cell{3, 3}, 0, Cell{2, 2}},
                                          {9, Cell{4, 4}, 0, Cell{4, 4}}}) {
        Maze maze(n, n, 1, random);
        maze.generate();
        ASSERT_TRUE(maze.findCellNear(from, wanted));
        EXPECT_EQ(from, found);
    }
    // Ties go to the smallest row offset, then the smallest column offset; a
    // value found nowhere leaves the cell as it was.
    Maze blank(9, 9, 1, random);
    blank.setCell(3, 5, 1);
    blank.setCell(5, 3, 1);
    for (auto [wanted, found] : {std::pair{1, Cell{3, 5}}, {7, Cell{4, 4}}}) {
        Cell from{4, 4};
        EXPECT_EQ(blank.findCellNear(from, wanted), wanted == 1);
        EXPECT_EQ(from, found);
    }
    // The search reaches no farther than the shorter side less two.
    Maze flat(5, 21, 1, random);
    flat.setCell(2, 8, 1);
    for (auto [y, reached] : {std::pair{6, true}, {5, false}}) {
        Cell from{2, y};
        EXPECT_EQ(flat.findCellNear(from, 1), reached) << y;
    }
}
