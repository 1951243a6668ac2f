#pragma once
// The 3D scene behind the cover: a block maze whose passages are stone tiles
// floating in the night, seen from a camera above its near end, and where
// the characters stand in it. The backdrop is rendered from this world and
// the character sprites are sized and placed from the same projection, so
// that they stand on the tiles the backdrop shows.

#include <vector>

#include "raster/effects.h"
#include "raster/geometry.h"

// A grid of wall (false) and passage (true) cells. Row r spans world z from
// r to r + 1; column c spans world x from c - centreColumn - 0.5 on, so the
// centre column is centred on x = 0. Passage tiles have their top at y = 0
// and are kTileDepth thick.
class MazeGrid {
public:
    static constexpr float kTileDepth = 0.5f;

    MazeGrid(int rows, int columns);
    int rows() const { return rows_; }
    int columns() const { return columns_; }
    int centreColumn() const { return columns_ / 2; }

    bool passage(int row, int column) const;
    void setPassage(int row, int column, bool open);
    // World position of the centre of a cell's top face.
    Vec3 cellTop(int row, int column) const;

    // A randomized depth-first spanning tree over the odd cells, then extra
    // openings so that the maze has loops, as the game's own mazes do.
    void generate(uint64_t seed, float loopShare);

private:
    int rows_;
    int columns_;
    std::vector<bool> cells_;
};

struct CameraView {
    Vec3 position;
    float pitch;  // radians, down from level
    float focal;  // pixels per unit at distance 1
    Vec2 centre;  // principal point, pixels

    Vec3 forward() const;
    Vec3 up() const;
    // Direction of the ray through a picture point (not normalised).
    Vec3 rayThrough(float px, float py) const;
    // Picture point of a world point; depth (along the view) in `depth`.
    Vec2 project(Vec3 p, float* depth = nullptr) const;
    // Pixels per world unit at a world point.
    float scaleAt(Vec3 p) const;
};

// Where someone stands in the maze and the light they cast on the tiles.
struct MazeActor {
    int row;
    int column;
    Color light;
    float lightStrength;
};

struct MazeWorld {
    MazeGrid grid;
    CameraView camera;
    int pictureWidth;
    int pictureHeight;
    MazeActor hero;
    std::vector<MazeActor> ghosts;
    // Cells whose pellets have been eaten (behind the hero) or that hold a power pellet.
    std::vector<std::pair<int, int>> eaten;
    std::vector<std::pair<int, int>> powerPellets;
    // Where the moon stands in the picture, and its radius, in pixels.
    Vec2 moonAt{62, 60};
    float moonPixels = 27;

    bool isEaten(int row, int column) const;
    bool isPowerPellet(int row, int column) const;
};

// The cover's maze world for a picture of the given size (design size x 2).
MazeWorld CoverMazeWorld(int pictureWidth, int pictureHeight);
// The introduction's: the whole maze spread out below a low horizon, nobody
// in it yet, every pellet in place.
MazeWorld IntroMazeWorld(int pictureWidth, int pictureHeight);
// The pages' (help, settings, about): looking up into the night, the maze
// only a glowing band along the bottom, so that text reads on the sky.
MazeWorld PageMazeWorld(int pictureWidth, int pictureHeight);
