#pragma once
// The maze of one level: a grid of wall (0) and passage (1) cells, its random
// generator and the mapping from cells to world coordinates.
//
// Cells are (x, y) = (row, column). Rooms have both indices odd, wall
// segments exactly one, pillars none. Direction codes: 0 east (column + 1,
// +X), 1 north (row + 1, +Z), 2 west, 3 south.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/game_random.h"
#include "render3d/math3d.h"

// The neighbour of a cell in a direction (0 ... 3); -1 leaves it where it is.
struct Cell {
    int x = 0, y = 0;
    bool operator==(const Cell&) const = default;
    Cell step(int direction) const;
};

inline bool OppositeDirections(int a, int b) { return a != b && (a & 1) == (b & 1); }

class Maze {
public:
    static constexpr float kWorldUnit = 5.0f;

    // Even dimensions are lowered by one, then raised to at least 5. The cells
    // are all walls until `generate`.
    Maze(int rows, int columns, int level, GameRandom& random);

    // N = min(8 + L / 2, 30): the square maze of level L (N - 1 when even).
    static int DimensionForLevel(int level);

    int rows() const { return rows_; }
    int columns() const { return columns_; }
    int level() const { return level_; }
    // 0 outside the grid.
    int cell(int x, int y) const;
    int cell(Cell c) const { return cell(c.x, c.y); }
    void setCell(int x, int y, int value);

    // A spanning tree over the rooms: every room reaches every other by
    // exactly one path of passages.
    void generate();
    // Opens a wall cell, with chance (100 - threshold) / 101, when exactly one
    // of its two axes has walls on both sides: mostly segments between two
    // rooms, but also pillars beside an open segment (about one opening in
    // six). One random number per inner non-passage cell whatever the
    // threshold.
    void addLoops(int threshold);
    // The cell nearest to `start` that holds `wanted`, scanning squares of
    // growing radius (smallest row offset first, then column); `start` is left
    // unchanged when there is none.
    bool findCellNear(Cell& start, int wanted) const;
    // Steps along the passages from every cell to the nearest of `sources`
    // (which may be walls), row-major; kUnreached where none leads.
    static constexpr int kUnreached = INT32_MAX;
    std::vector<int> stepsFrom(const std::vector<Cell>& sources) const;
    size_t indexOf(Cell c) const { return size_t(c.x) * size_t(columns_) + size_t(c.y); }
    bool contains(Cell c) const { return c.x >= 0 && c.y >= 0 && c.x < rows_ && c.y < columns_; }

    // World geometry for a maze `size` world units across (N x u).
    void setWorldSize(float size);
    Vector3 cellCenter(int x, int y) const;
    Vector3 cellCenter(Cell c) const { return cellCenter(c.x, c.y); }
    float halfSize() const { return halfSize_; }
    float cellX() const { return cellX_; }
    float cellZ() const { return cellZ_; }

private:
    void knockDown(int x, int y);
    void relabel(int x, int y, int from, int to);

    int rows_, columns_, level_;
    GameRandom& random_;
    std::vector<int16_t> cells_;
    float halfSize_ = 0.0f, cellX_ = 0.0f, cellZ_ = 0.0f;
};
