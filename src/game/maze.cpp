#include "game/maze.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <utility>

Cell Cell::step(int direction) const {
    switch (direction) {
        case 0: return {x, y + 1};
        case 1: return {x + 1, y};
        case 2: return {x, y - 1};
        case 3: return {x - 1, y};
        default: return *this;
    }
}

namespace {
int OddAtLeast5(int n) {
    if (n % 2 == 0) --n;
    return std::max(n, 5);
}
}  // namespace

Maze::Maze(int rows, int columns, int level, GameRandom& random)
    : rows_(OddAtLeast5(rows)), columns_(OddAtLeast5(columns)), level_(level), random_(random),
      cells_(size_t(rows_) * size_t(columns_), 0) {}

int Maze::DimensionForLevel(int level) { return std::min(8 + level / 2, 30); }

int Maze::cell(int x, int y) const {
    if (x < 0 || y < 0 || x >= rows_ || y >= columns_) return 0;
    return cells_[size_t(x) * size_t(columns_) + size_t(y)];
}

void Maze::setCell(int x, int y, int value) {
    if (x < 0 || y < 0 || x >= rows_ || y >= columns_) return;
    cells_[size_t(x) * size_t(columns_) + size_t(y)] = int16_t(value);
}

void Maze::generate() {
    std::fill(cells_.begin(), cells_.end(), 0);
    std::vector<Cell> walls;
    int region = 0;
    for (int x = 1; x <= rows_ - 2; x += 2) {
        for (int y = 1; y <= columns_ - 2; y += 2) {
            setCell(x, y, --region);
            if (x < rows_ - 2) walls.push_back({x + 1, y});
            if (y < columns_ - 2) walls.push_back({x, y + 1});
        }
    }
    // The last wall left is never examined: the rooms minus any one segment
    // still form a connected graph, so the result is a spanning tree.
    size_t n = walls.size();
    for (size_t round = 1; round < walls.size(); ++round) {
        size_t i = size_t(random_.range(0, 65535)) % n;
        knockDown(walls[i].x, walls[i].y);
        walls[i] = walls[n - 1];
        --n;
    }
    for (int x = 1; x <= rows_ - 2; ++x)
        for (int y = 1; y <= columns_ - 2; ++y)
            if (cell(x, y) < 0) setCell(x, y, 1);
}

void Maze::knockDown(int x, int y) {
    Cell first = x % 2 != 0 ? Cell{x, y - 1} : Cell{x - 1, y};
    Cell second = x % 2 != 0 ? Cell{x, y + 1} : Cell{x + 1, y};
    int a = cell(first), b = cell(second);
    if (a == b) return;
    relabel(first.x, first.y, a, b);
    setCell(x, y, b);
}

// An explicit stack: a 29 x 29 maze has 196 rooms, and a region may be a
// long corridor.
void Maze::relabel(int x, int y, int from, int to) {
    std::vector<Cell> pending{{x, y}};
    while (!pending.empty()) {
        Cell c = pending.back();
        pending.pop_back();
        if (cell(c) != from) continue;
        setCell(c.x, c.y, to);
        for (int d = 0; d < 4; ++d) pending.push_back(c.step(d));
    }
}

void Maze::addLoops(int threshold) {
    for (int x = 1; x <= rows_ - 2; ++x) {
        for (int y = 1; y <= columns_ - 2; ++y) {
            if (cell(x, y) == 1) continue;
            int r = random_.range(0, 100);
            bool across = cell(x, y - 1) == 0 && cell(x, y + 1) == 0;
            bool along = cell(x - 1, y) == 0 && cell(x + 1, y) == 0;
            if (r > threshold && across != along) setCell(x, y, 1);
        }
    }
}

bool Maze::findCellNear(Cell& start, int wanted) const {
    for (int r = 0; r < std::min(rows_, columns_) - 2; ++r) {
        for (int dx = -r; dx <= r; ++dx) {
            for (int dy = -r; dy <= r; ++dy) {
                if (cell(start.x + dx, start.y + dy) == wanted) {
                    start = {start.x + dx, start.y + dy};
                    return true;
                }
            }
        }
    }
    return false;
}

std::vector<int> Maze::stepsFrom(const std::vector<Cell>& sources) const {
    std::vector<int> steps(size_t(rows_) * size_t(columns_), kUnreached);
    std::deque<Cell> queue;
    for (Cell s : sources) {
        if (!contains(s) || steps[indexOf(s)] == 0) continue;
        steps[indexOf(s)] = 0;
        queue.push_back(s);
    }
    while (!queue.empty()) {
        const Cell c = queue.front();
        queue.pop_front();
        for (int d = 0; d < 4; ++d) {
            const Cell n = c.step(d);
            if (cell(n) != 1 || steps[indexOf(n)] != kUnreached) continue;
            steps[indexOf(n)] = steps[indexOf(c)] + 1;
            queue.push_back(n);
        }
    }
    return steps;
}

void Maze::setWorldSize(float size) {
    const int inner = std::max(rows_, columns_) - 2;
    halfSize_ = std::trunc(size / float(inner)) * float(inner);
    cellX_ = 2.0f * halfSize_ / float(columns_ - 2);
    cellZ_ = 2.0f * halfSize_ / float(rows_ - 2);
}

Vector3 Maze::cellCenter(int x, int y) const {
    return {(float(y) - 0.5f) * cellX_ - halfSize_, 0.0f, (float(x) - 0.5f) * cellZ_ - halfSize_};
}
