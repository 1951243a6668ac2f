// The built-in player's choice of direction, on a level carved down to one
// straight passage (or a bend) with chosen items and at most one ghost.

#include <optional>
#include <vector>

#include "game/autoplayer.h"
#include "game_fixture.h"

namespace {

// Offsets along the passage: the hero stands at kHeroAt.
constexpr int kHeroAt = 7;

struct Corridor {
    const char* name;
    std::vector<int> items;   // where uneaten items lie
    std::optional<int> ghost;  // where a dangerous ghost stands
    bool goodtime;
    int expected;  // +1 toward higher offsets, -1 toward lower, 0 no move
    bool boldInGrace = false;
};

const Corridor kCorridors[] = {
    {"NearestItemBehind", {5, 11}, {}, false, -1},
    {"NearestItemAhead", {3, 9}, {}, false, +1},
    {"NothingLeft", {}, {}, false, 0},
    // Within three steps the hero turns away even though the only item lies past the ghost.
    {"FleesAGhostTwoStepsAway", {11}, 9, false, -1},
    {"FleesAGhostBesideIt", {13}, 8, false, -1},
    {"FleesAGhostTwoStepsBehind", {3}, 5, false, +1},
    // Three steps is far enough not to flee, but no path passes the ghost.
    {"WaitsForAGhostThreeStepsAway", {11}, 10, false, 0},
    {"GoesUpToThreeStepsFromAGhost", {9}, 12, false, +1},
    {"IgnoresGhostsInGoodtime", {11}, 8, true, +1},
    // Bold and in his grace, he still takes the safe way when there is one.
    {"BoldKeepsToTheSafeWay", {5, 11}, 4, false, +1, true},
};

class AutoplayerTest : public GameLevelTest {
protected:
    void SetUp() override { carve(20); }

    // The level with every passage walled and every item eaten; no ghost shows.
    void carve(int levelNumber) {
        makeLevel(levelNumber);
        Maze& maze = game->maze();
        last = maze.rows() - 2;
        for (int x = 0; x < maze.rows(); ++x)
            for (int y = 0; y < maze.columns(); ++y) {
                if (Item* item = game->itemAt({x, y})) item->eaten = true;
                maze.setCell(x, y, 0);
            }
        for (auto& ghost : game->ghosts()) ghost->visible = false;
    }

    // The cell at an offset along the last row (east-west) or last column (north-south).
    Cell at(int offset, bool vertical) const { return vertical ? Cell{offset, last} : Cell{last, offset}; }
    void open(Cell c) { game->maze().setCell(c.x, c.y, 1); }
    void keepItem(Cell c) {
        Item* item = game->itemAt(c);
        ASSERT_NE(item, nullptr) << "no item at " << c.x << "," << c.y;
        item->eaten = false;
    }
    // The last row open and the hero standing on it at kHeroAt, landed.
    Hero& standInTheLastRow() {
        for (int y = 1; y <= last; ++y) open({last, y});
        Hero& hero = game->hero();
        hero.cell = {last, kHeroAt};
        hero.visible = true;
        hero.falling = hero.dying = hero.moving = hero.stepping = false;
        hero.appearTimer = 0.0f;
        return hero;
    }
    void placeGhost(Cell c) {
        Ghost& ghost = *game->ghosts().front();
        ghost.visible = true;
        ghost.dying = false;
        ghost.cell = c;
    }

    int last = 0;
};

class AutoplayerCorridor : public AutoplayerTest, public ::testing::WithParamInterface<std::tuple<Corridor, bool>> {};

TEST_P(AutoplayerCorridor, ChoosesAlongAPassage) {
    const auto& [corridor, vertical] = GetParam();
    for (int i = 1; i <= last; ++i) open(at(i, vertical));
    for (int i : corridor.items) keepItem(at(i, vertical));
    if (corridor.ghost) placeGhost(at(*corridor.ghost, vertical));
    if (corridor.goodtime) game->goodtimeTimer = 0.5f;
    game->hero().cell = at(kHeroAt, vertical);
    if (corridor.boldInGrace) game->hero().falling = false, game->hero().appearTimer = 4.0f;

    const int higher = vertical ? 1 : 0, lower = vertical ? 3 : 2;
    const int expected = corridor.expected > 0 ? higher : corridor.expected < 0 ? lower : -1;
    EXPECT_EQ(ChooseAutoplayDirection(*game, corridor.boldInGrace), expected);
}

INSTANTIATE_TEST_SUITE_P(Corridors, AutoplayerCorridor,
                         ::testing::Combine(::testing::ValuesIn(kCorridors), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "NorthSouth" : "EastWest");
                         });

// Bold, he goes where he gets before any ghost could, at the ghosts' pace:
// level 3's take 1.54 s a step, so he reaches a cell beside one (two steps,
// 1.5 s) first; level 12's take 0.91 s and would be there before him. Not
// bold, he keeps three steps away.
TEST_F(AutoplayerTest, BoldHeRacesTheSlowGhostsOfAnEarlyLevel) {
    for (auto [level, races] : {std::pair{3, true}, {12, false}}) {
        carve(level);
        Hero& hero = standInTheLastRow();
        hero.cell = {last, 4};
        keepItem({last, 6});
        placeGhost({last, 7});
        EXPECT_EQ(ChooseAutoplayDirection(*game, true) == 0, races) << level;
        EXPECT_EQ(ChooseAutoplayDirection(*game, false), -1);
    }
}

// Within three steps of a ghost he still takes the way to an item when it
// leads no nearer the ghost, rather than the way that leads farthest from it.
TEST_F(AutoplayerTest, InDangerHeStillTakesAWayToAnItemThatLeadsNoNearer) {
    Hero& hero = standInTheLastRow();
    Cell item{last - 1, 3};
    while (!game->itemAt(item) && item.y < last - 1) ++item.y;
    open(item);
    keepItem(item);
    hero.cell = {last, item.y};
    placeGhost({last, item.y - 2});
    int north = 0;
    while (!(hero.cell.step(north) == item)) ++north;
    EXPECT_EQ(ChooseAutoplayDirection(*game), north);
}

// The path's first step, not its last, is the answer: four steps round a bend
// beat six straight ahead.
TEST_F(AutoplayerTest, TakesTheFirstStepOfTheShortestPathRoundABend) {
    for (int y = 1; y <= 9; ++y) open({last, y});
    open({last - 1, 9});
    open({last - 2, 9});
    keepItem({last, 1});
    keepItem({last - 2, 9});
    game->hero().cell = {last, 7};
    EXPECT_EQ(ChooseAutoplayDirection(*game), 0);
    keepItem({last, 5});
    EXPECT_EQ(ChooseAutoplayDirection(*game), 2);
}

// Patience ran out in the teens' loopless mazes: ten ghosts and more always
// stood within three steps of every way, and the player waited for hours far
// from the items. A bold player goes as near as the ghosts allow and stops
// there, walks through a ghost only while his grace lasts, and grows bold
// after standing still a while, until he next eats.
TEST_F(AutoplayerTest, GrowsBoldAfterWaitingAndThenWaitsAtTheWayIn) {
    Hero& hero = standInTheLastRow();
    Cell beyond{last, 12};
    while (!game->itemAt(beyond) && beyond.y < last) ++beyond.y;
    keepItem(beyond);
    placeGhost({last, 11});
    hero.cell = {last, 5};  // three steps short of the way in
    EXPECT_EQ(ChooseAutoplayDirection(*game), -1);
    EXPECT_EQ(ChooseAutoplayDirection(*game, true), 0) << "as near as the ghost allows";
    open({last - 1, 5}), open({last - 2, 5});
    hero.cell = {last - 2, 5};
    EXPECT_EQ(ChooseAutoplayDirection(*game, true), 1) << "the first step of a way round a bend";
    hero.cell = {last, 7};
    EXPECT_EQ(ChooseAutoplayDirection(*game, true), 0) << "on to three steps from the ghost";
    hero.cell = {last, 8};
    EXPECT_EQ(ChooseAutoplayDirection(*game, true), kAutoplayStay) << "never into the ghost";
    EXPECT_EQ(AutoplayKeyDirection(*game, true), -1) << "standing already";
    hero.moving = true;
    EXPECT_EQ(AutoplayKeyDirection(*game, true), kAutoplayStay) << "stops";
    hero.moving = false;
    hero.appearTimer = 0.5f * float(beyond.y - hero.cell.y) + 0.25f;
    EXPECT_EQ(ChooseAutoplayDirection(*game, true), kAutoplayStay) << "nor when his grace ends a step short";
    hero.appearTimer = 0.5f * float(beyond.y - hero.cell.y + 1);
    EXPECT_EQ(ChooseAutoplayDirection(*game, true), kAutoplayStay) << "nor when it ends as he arrives";
    hero.appearTimer = 0.5f * float(beyond.y - hero.cell.y) + 0.75f;
    EXPECT_EQ(ChooseAutoplayDirection(*game, true), 0) << "through it when it lasts half a step longer";
    game->ghosts().front()->visible = false;
    EXPECT_EQ(ChooseAutoplayDirection(*game), 0) << "a ghost not risen is no danger";
    // And the same way in to the west, its path read back eastward.
    Cell before{last, 3};
    while (!game->itemAt(before) && before.y > 1) --before.y;
    keepItem(before);
    game->itemAt(beyond)->eaten = true;
    placeGhost({last, before.y + 1});
    hero.cell = {last, before.y + 7};
    hero.appearTimer = 0.0f;
    EXPECT_EQ(ChooseAutoplayDirection(*game, true), 2);
    game->itemAt(before)->eaten = true;
    game->itemAt(beyond)->eaten = false;
    game->ghosts().front()->visible = false;
    hero.cell = {last, 8};

    // He counts his waiting on the level's clock, which the frames drawn
    // advance, afresh after each walk.
    AutoplayPatience patience;
    game->elapsedTime = 10.0f;
    for (bool walks : {true, false, false}) {
        EXPECT_FALSE(patience.bold(*game));
        game->afterDraw(3.0f);
        hero.moving = walks;
    }
    game->afterDraw(2.0f);
    EXPECT_TRUE(patience.bold(*game));
    hero.moving = true;
    EXPECT_TRUE(patience.bold(*game)) << "bold on his way";
    game->itemAt(beyond)->type = kPickable;
    game->eatAt(beyond);
    hero.moving = false;
    EXPECT_FALSE(patience.bold(*game)) << "patient again once he ate";
    game->afterDraw(5.0f);
    EXPECT_TRUE(patience.bold(*game)) << "bold again after standing as long";
    hero.dying = true;
    EXPECT_FALSE(patience.bold(*game)) << "patient while he dies";
    hero.dying = false;
    EXPECT_FALSE(patience.bold(*game)) << "and when he is back";
    // The level's clock starts at 0: standing from then counts too.
    AutoplayPatience fresh;
    game->elapsedTime = 0.0f;
    EXPECT_FALSE(fresh.bold(*game));
    game->afterDraw(5.0f);
    EXPECT_TRUE(fresh.bold(*game));
    // Walking on between cells or dropping in is no standing either.
    for (bool* busy : {&hero.stepping, &hero.falling}) {
        AutoplayPatience waiting;
        *busy = true;
        EXPECT_FALSE(waiting.bold(*game));
        game->afterDraw(6.0f);
        EXPECT_FALSE(waiting.bold(*game));
        *busy = false;
    }
}

// Between two ghosts, a step that leads no farther from them is no escape.
TEST_F(AutoplayerTest, BetweenTwoGhostsHeStaysWhereNoStepLeadsFarther) {
    standInTheLastRow();
    for (int i : {0, 1}) {
        Ghost& ghost = *game->ghosts()[size_t(i)];
        ghost.visible = true;
        ghost.dying = false;
        ghost.cell = {last, i == 0 ? kHeroAt - 2 : kHeroAt + 3};
    }
    EXPECT_EQ(ChooseAutoplayDirection(*game), -1);
}

// The driver presses only when the hero can be steered and is not already
// walking the chosen way.
TEST_F(AutoplayerTest, PressesOnlyWhenTheHeroCanTakeTheChoice) {
    Hero& hero = standInTheLastRow();
    keepItem({last, 11});
    EXPECT_EQ(AutoplayKeyDirection(*game), 0);
    hero.requested = 0;
    hero.moving = true;
    EXPECT_EQ(AutoplayKeyDirection(*game), -1) << "already walking east";
    hero.requested = 2;
    EXPECT_EQ(AutoplayKeyDirection(*game), 0) << "walking the wrong way";
    hero.requested = -1;
    hero.moving = false;
    for (int c = 0; c < 4; ++c) {
        hero.falling = c == 0, hero.dying = c == 1, hero.visible = c != 2, game->endTimer = c == 3 ? 1.0f : 0.0f;
        EXPECT_EQ(AutoplayKeyDirection(*game), -1) << "dropping in, dying, gone or the level ending: " << c;
    }
}

}  // namespace
