#include "game/autoplayer.h"

#include <algorithm>
#include <climits>
#include <deque>
#include <vector>

#include "game/game_level.h"

namespace {

constexpr int kDangerSteps = 3;
// A hero's step takes about half a second whatever the frame rate.
constexpr float kHeroSecondsPerStep = 0.5f;

struct Grid {
    const Maze& maze;
    std::vector<int> values;
    explicit Grid(const Maze& m, int fill) : maze(m), values(size_t(m.rows()) * size_t(m.columns()), fill) {}
    int& at(Cell c) { return values[size_t(c.x) * size_t(maze.columns()) + size_t(c.y)]; }
};

// Steps along the passages from every cell to the nearest of `sources`.
Grid Distances(const Maze& maze, const std::vector<Cell>& sources) {
    Grid distance(maze, INT_MAX);
    distance.values = maze.stepsFrom(sources);
    return distance;
}

// Asked only while the level goes on: a level that ends wants no key presses.
bool GhostsAreDangerous(const GameLevel& level) { return level.goodtimeTimer <= 0.0f; }

std::vector<Cell> DangerousGhostCells(const GameLevel& level) {
    std::vector<Cell> cells;
    if (!GhostsAreDangerous(level)) return cells;
    for (auto& ghost : level.ghosts())
        if (ghost->visible && !ghost->dying) cells.push_back(ghost->cell);
    return cells;
}

// The first step of the shortest path from `from` to the nearest uneaten item
// along which `passable` (the cell, the steps to it) holds.
template <typename Passable>
int TowardNearestItem(const GameLevel& level, Cell from, Passable passable) {
    const Maze& maze = level.maze();
    Grid previous(maze, -1), steps(maze, 0);
    std::deque<Cell> queue{from};
    previous.at(from) = 4;
    while (!queue.empty()) {
        Cell c = queue.front();
        queue.pop_front();
        Item* item = level.itemAt(c);
        if (!(c == from) && item && !item->eaten) {
            // Walk back to the step taken from `from`.
            while (true) {
                int d = previous.at(c);
                Cell back = c.step((d + 2) % 4);
                if (back == from) return d;
                c = back;
            }
        }
        for (int d = 0; d < 4; ++d) {
            Cell n = c.step(d);
            if (maze.cell(n) != 1 || previous.at(n) != -1) continue;
            if (!passable(n, steps.at(c) + 1)) continue;
            previous.at(n) = d;
            steps.at(n) = steps.at(c) + 1;
            queue.push_back(n);
        }
    }
    return -1;
}

// The first step toward the cell, of those he reaches keeping clear of the
// ghosts, that lies nearest to an item along the passages; kAutoplayStay when
// he stands on it already. He waits where the way opens, not in a far dead
// end: when the ghosts move on he is the first through.
int TowardTheGate(const GameLevel& level, Cell from, Grid& danger) {
    const Maze& maze = level.maze();
    std::vector<Cell> items;
    for (int x = 0; x < maze.rows(); ++x)
        for (int y = 0; y < maze.columns(); ++y)
            if (Item* item = level.itemAt({x, y}); item && !item->eaten) items.push_back({x, y});
    Grid toItem = Distances(maze, items);
    Grid previous(maze, -1);
    std::deque<Cell> queue{from};
    previous.at(from) = 4;
    Cell best = from;
    while (!queue.empty()) {
        Cell c = queue.front();
        queue.pop_front();
        if (toItem.at(c) < toItem.at(best)) best = c;
        for (int d = 0; d < 4; ++d) {
            Cell n = c.step(d);
            if (maze.cell(n) != 1 || previous.at(n) != -1 || danger.at(n) < kDangerSteps) continue;
            previous.at(n) = d;
            queue.push_back(n);
        }
    }
    if (best == from) return kAutoplayStay;
    for (Cell c = best;;) {
        const int d = previous.at(c);
        const Cell back = c.step((d + 2) % 4);
        if (back == from) return d;
        c = back;
    }
}

int AwayFromGhosts(const Maze& maze, Cell from, Grid& danger) {
    int best = -1, bestDistance = danger.at(from);
    for (int d = 0; d < 4; ++d) {
        Cell n = from.step(d);
        if (maze.cell(n) == 1 && danger.at(n) > bestDistance) best = d, bestDistance = danger.at(n);
    }
    return best;
}

}  // namespace

int ChooseAutoplayDirection(const GameLevel& level, bool bold) {
    const Hero& hero = level.hero();
    const Maze& maze = level.maze();
    Grid danger = Distances(maze, DangerousGhostCells(level));
    const int toItem =
        TowardNearestItem(level, hero.cell, [&](Cell c, int) { return danger.at(c) >= kDangerSteps; });
    if (danger.at(hero.cell) < kDangerSteps) {
        const int away = AwayFromGhosts(maze, hero.cell, danger);
        if (toItem >= 0 && danger.at(hero.cell.step(toItem)) >= danger.at(hero.cell)) return toItem;
        return away;
    }
    if (toItem >= 0 || !bold) return toItem;
    // Every way to an item passes near a ghost. Many ghosts in a maze without
    // loops leave no other way for minutes on end, and waiting far off only
    // lets them find him in his dead end. He goes where his grace lasts or
    // where he gets before any ghost could; failing that, as near to the
    // items as the ghosts allow, and waits there.
    const float grace = hero.falling ? 0.0f : hero.appearTimer;
    const float ghostSecondsPerStep = 1.0f / GhostSpeedForLevel(level.level());
    int way = TowardNearestItem(level, hero.cell, [&](Cell c, int steps) {
        const float arrival = float(steps + 1) * kHeroSecondsPerStep;
        return arrival < grace || float(danger.at(c)) * ghostSecondsPerStep > arrival;
    });
    return way >= 0 ? way : TowardTheGate(level, hero.cell, danger);
}

int AutoplayKeyDirection(const GameLevel& level, bool bold) {
    const Hero& hero = level.hero();
    if (hero.falling || hero.dying || !hero.visible || level.endTimer > 0.0f) return -1;
    const int direction = ChooseAutoplayDirection(level, bold);
    if (direction == kAutoplayStay) return hero.moving || hero.stepping ? kAutoplayStay : -1;
    if (direction < 0 || (direction == hero.requested && (hero.moving || hero.stepping))) return -1;
    return direction;
}

bool AutoplayPatience::bold(const GameLevel& level) {
    const Hero& hero = level.hero();
    if (hero.dying || !hero.visible) {
        standingSince_ = -1.0f;
        boldUntilRemaining_ = -1;
        return false;
    }
    if (boldUntilRemaining_ >= 0) {
        if (level.remaining() == boldUntilRemaining_) return true;
        boldUntilRemaining_ = -1;
        standingSince_ = -1.0f;
    }
    if (hero.moving || hero.stepping || hero.falling) {
        standingSince_ = -1.0f;
        return false;
    }
    if (standingSince_ < 0.0f) standingSince_ = level.elapsedTime;
    if (level.elapsedTime - standingSince_ < kPatienceSeconds) return false;
    boldUntilRemaining_ = level.remaining();
    return true;
}
