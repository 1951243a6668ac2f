#include "art/maze_world.h"

#include <algorithm>
#include <cmath>

#include "art/random.h"

MazeGrid::MazeGrid(int rows, int columns) : rows_(rows), columns_(columns), cells_(rows * columns, false) {}

bool MazeGrid::passage(int row, int column) const {
    if (row < 0 || column < 0 || row >= rows_ || column >= columns_) return false;
    return cells_[row * columns_ + column];
}

void MazeGrid::setPassage(int row, int column, bool open) {
    if (row < 0 || column < 0 || row >= rows_ || column >= columns_) return;
    cells_[row * columns_ + column] = open;
}

Vec3 MazeGrid::cellTop(int row, int column) const {
    return {static_cast<float>(column - centreColumn()), 0.0f, row + 0.5f};
}

void MazeGrid::generate(uint64_t seed, float loopShare) {
    Random random(seed);
    std::fill(cells_.begin(), cells_.end(), false);
    struct Room {
        int row, column;
    };
    std::vector<Room> stack{{1, 1}};
    setPassage(1, 1, true);
    const int steps[4][2] = {{0, 2}, {2, 0}, {0, -2}, {-2, 0}};
    while (!stack.empty()) {
        Room at = stack.back();
        int options[4];
        int count = 0;
        for (int d = 0; d < 4; ++d) {
            int r = at.row + steps[d][0], c = at.column + steps[d][1];
            if (r > 0 && c > 0 && r < rows_ - 1 && c < columns_ - 1 && !passage(r, c)) options[count++] = d;
        }
        if (count == 0) {
            stack.pop_back();
            continue;
        }
        int d = options[random.below(count)];
        setPassage(at.row + steps[d][0] / 2, at.column + steps[d][1] / 2, true);
        setPassage(at.row + steps[d][0], at.column + steps[d][1], true);
        stack.push_back({at.row + steps[d][0], at.column + steps[d][1]});
    }
    // Open some of the walls between two rooms.
    for (int r = 1; r < rows_ - 1; ++r)
        for (int c = 1; c < columns_ - 1; ++c) {
            bool between = (r % 2) != (c % 2);
            if (between && !passage(r, c) && random.unit() < loopShare) setPassage(r, c, true);
        }
}

Vec3 CameraView::forward() const { return {0, -std::sin(pitch), std::cos(pitch)}; }

Vec3 CameraView::up() const { return {0, std::cos(pitch), std::sin(pitch)}; }

Vec3 CameraView::rayThrough(float px, float py) const {
    Vec3 f = forward(), u = up();
    float sx = (px - centre.x) / focal, sy = -(py - centre.y) / focal;
    return {f.x + sx + u.x * sy, f.y + u.y * sy, f.z + u.z * sy};
}

Vec2 CameraView::project(Vec3 p, float* depth) const {
    Vec3 v{p.x - position.x, p.y - position.y, p.z - position.z};
    Vec3 f = forward(), u = up();
    float z = v.x * f.x + v.y * f.y + v.z * f.z;
    float x = v.x;
    float y = v.x * u.x + v.y * u.y + v.z * u.z;
    if (depth) *depth = z;
    return {centre.x + focal * x / z, centre.y - focal * y / z};
}

float CameraView::scaleAt(Vec3 p) const {
    float depth = 1;
    project(p, &depth);
    return focal / depth;
}

bool MazeWorld::isEaten(int row, int column) const {
    return std::find(eaten.begin(), eaten.end(), std::make_pair(row, column)) != eaten.end();
}

bool MazeWorld::isPowerPellet(int row, int column) const {
    return std::find(powerPellets.begin(), powerPellets.end(), std::make_pair(row, column)) != powerPellets.end();
}

MazeWorld CoverMazeWorld(int pictureWidth, int pictureHeight) {
    MazeGrid grid(41, 35);
    grid.generate(0x4B6172726F77656Eull, 0.12f);
    const int centre = grid.centreColumn();
    // The hero runs towards the camera down a straight corridor; cross
    // passages bring the ghosts after him.
    for (int r = 3; r <= 21; ++r) grid.setPassage(r, centre, true);
    for (int c = centre - 4; c <= centre; ++c) grid.setPassage(9, c, true);
    for (int c = centre; c <= centre + 5; ++c) grid.setPassage(13, c, true);
    for (int r = 3; r <= 8; ++r) {
        grid.setPassage(r, centre - 1, false);
        grid.setPassage(r, centre + 1, false);
    }

    MazeWorld world{grid, {}, pictureWidth, pictureHeight, {}, {}, {}, {}};
    float w = static_cast<float>(pictureWidth), h = static_cast<float>(pictureHeight);
    world.camera.position = {0.0f, 2.0f, 3.15f};
    world.camera.pitch = 0.130f;
    world.camera.focal = h * 0.80f;
    world.camera.centre = {w * 0.5f, h * 0.5f};

    world.hero = {7, centre, Hex(0xFFB04A), 1.4f};
    world.ghosts = {{9, centre - 2, Hex(0xFF4D6D), 1.0f}, {13, centre + 2, Hex(0x4DE8FF), 0.9f}};
    for (int r = world.hero.row + 1; r <= 12; ++r) world.eaten.push_back({r, centre});
    world.powerPellets = {{9, centre - 4}, {15, centre}, {13, centre + 5}, {21, centre - 5}, {25, centre + 7}};
    return world;
}

namespace {

// A maze with nobody in it: only the moon and the tiles' own neon light it.
MazeWorld EmptyWorld(uint64_t seed, int pictureWidth, int pictureHeight) {
    MazeGrid grid(45, 41);
    grid.generate(seed, 0.14f);
    MazeWorld world{grid, {}, pictureWidth, pictureHeight, {}, {}, {}, {}};
    world.hero = {0, 0, Hex(0x000000), 0.0f};
    world.camera.centre = {pictureWidth * 0.5f, pictureHeight * 0.5f};
    world.camera.focal = pictureHeight * 0.80f;
    return world;
}

}  // namespace

MazeWorld IntroMazeWorld(int pictureWidth, int pictureHeight) {
    MazeWorld world = EmptyWorld(0x496E74726F4D617Aull, pictureWidth, pictureHeight);
    world.camera.position = {0.0f, 3.1f, 1.6f};
    world.camera.pitch = 0.07f;
    // The moon rises behind the glimmerkin, which floats in front of it.
    world.moonAt = {pictureWidth * 0.81f, pictureHeight * 0.37f};
    world.moonPixels = pictureHeight * 0.07f;
    const int centre = world.grid.centreColumn();
    world.powerPellets = {{5, centre - 4}, {9, centre + 3}, {15, centre - 7}, {21, centre + 9}, {29, centre - 1}};
    return world;
}

MazeWorld PageMazeWorld(int pictureWidth, int pictureHeight) {
    MazeWorld world = EmptyWorld(0x506167654D617Aull, pictureWidth, pictureHeight);
    world.camera.position = {0.0f, 1.4f, 1.2f};
    world.camera.pitch = -0.36f;
    world.moonAt = {pictureWidth * 0.84f, pictureHeight * 0.085f};
    world.moonPixels = pictureHeight * 0.03f;
    const int centre = world.grid.centreColumn();
    world.powerPellets = {{3, centre - 2}, {5, centre + 3}, {9, centre - 5}};
    return world;
}
