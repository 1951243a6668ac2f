#include "game/autoplayer.h"

#include <algorithm>
#include <climits>
#include <deque>
#include <vector>

#include "game/game_level.h"
#include "platform/host/host.h"
#include "scene/canvas.h"
#include "scene/input_pad.h"
#include "scene/scene_sprite.h"
#include "scene/sprite.h"

namespace {

constexpr int kDangerSteps = 3;

struct Grid {
    const Maze& maze;
    std::vector<int> values;
    explicit Grid(const Maze& m, int fill) : maze(m), values(size_t(m.rows()) * size_t(m.columns()), fill) {}
    int& at(Cell c) { return values[size_t(c.x) * size_t(maze.columns()) + size_t(c.y)]; }
    bool inside(Cell c) const { return c.x >= 0 && c.y >= 0 && c.x < maze.rows() && c.y < maze.columns(); }
};

// Steps along the passages from every cell to the nearest of `sources`.
Grid Distances(const Maze& maze, const std::vector<Cell>& sources) {
    Grid distance(maze, INT_MAX);
    std::deque<Cell> queue;
    for (Cell s : sources) {
        if (!distance.inside(s) || distance.at(s) == 0) continue;
        distance.at(s) = 0;
        queue.push_back(s);
    }
    while (!queue.empty()) {
        Cell c = queue.front();
        queue.pop_front();
        for (int d = 0; d < 4; ++d) {
            Cell n = c.step(d);
            if (maze.cell(n) != 1 || distance.at(n) != INT_MAX) continue;
            distance.at(n) = distance.at(c) + 1;
            queue.push_back(n);
        }
    }
    return distance;
}

bool GhostsAreDangerous(GameLevel& level) { return level.goodtimeTimer <= 0.0f && level.endTimer <= 0.0f; }

std::vector<Cell> DangerousGhostCells(GameLevel& level) {
    std::vector<Cell> cells;
    if (!GhostsAreDangerous(level)) return cells;
    for (auto& ghost : level.ghosts())
        if (ghost->visible && !ghost->dying) cells.push_back(ghost->cell);
    return cells;
}

// The first step of the shortest path from `from` to the nearest uneaten item
// that keeps out of the danger zone.
int TowardNearestItem(GameLevel& level, Cell from, Grid& danger) {
    const Maze& maze = level.maze();
    Grid previous(maze, -1);
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
            if (danger.at(n) < kDangerSteps) continue;
            previous.at(n) = d;
            queue.push_back(n);
        }
    }
    return -1;
}

int AwayFromGhosts(const Maze& maze, Cell from, Grid& danger) {
    int best = -1, bestDistance = danger.at(from);
    for (int d = 0; d < 4; ++d) {
        Cell n = from.step(d);
        if (maze.cell(n) == 1 && danger.at(n) > bestDistance) best = d, bestDistance = danger.at(n);
    }
    return best;
}

int KeyFor(int direction) {
    static constexpr int kKeys[4] = {host::VK_RIGHT, host::VK_UP, host::VK_LEFT, host::VK_DOWN};
    return direction >= 0 && direction < 4 ? kKeys[direction] : 0;
}

void Tap(Canvas& canvas, const Sprite& sprite, const Scene& scene) {
    const intptr_t at = host::MakeLParam(scene.x + sprite.x + sprite.width / 2, scene.y + sprite.y + sprite.height / 2);
    host::PostMessage(canvas.handle(), host::WM_LBUTTONDOWN, host::MK_LBUTTON, at);
    host::PostMessage(canvas.handle(), host::WM_LBUTTONUP, 0, at);
}

}  // namespace

int ChooseAutoplayDirection(GameLevel& level) {
    Hero& hero = level.hero();
    const Maze& maze = level.maze();
    Grid danger = Distances(maze, DangerousGhostCells(level));
    const int toItem = TowardNearestItem(level, hero.cell, danger);
    if (danger.at(hero.cell) < kDangerSteps) {
        const int away = AwayFromGhosts(maze, hero.cell, danger);
        if (toItem >= 0 && danger.at(hero.cell.step(toItem)) >= danger.at(hero.cell)) return toItem;
        return away;
    }
    return toItem;
}

void AutoPlayer::play(GameLevel& level, host::WindowHandle canvasWindow) {
    if (heldKey_) {
        host::PostMessage(canvasWindow, host::WM_KEYUP, uintptr_t(heldKey_), 0);
        heldKey_ = 0;
        return;
    }
    Hero& hero = level.hero();
    if (hero.falling || hero.dying || !hero.visible || level.endTimer > 0.0f) return;
    const int direction = ChooseAutoplayDirection(level);
    if (direction < 0 || (direction == hero.requested && (hero.moving || hero.stepping))) return;
    heldKey_ = KeyFor(direction);
    host::PostMessage(canvasWindow, host::WM_KEYDOWN, uintptr_t(heldKey_), 0);
}

void AutoPlayer::enterName(Canvas& canvas) {
    auto* pad = dynamic_cast<SceneSprite*>(canvas.findScene(InputPad::kSceneName));
    if (!pad || !pad->visible) return;
    std::vector<const Sprite*> taps;
    if (Sprite* caps = pad->findSprite(u"btnCaps_MSGBOX")) taps.push_back(caps);
    for (char16_t letter : std::u16string(u"auto")) {
        for (int i = 0; i < pad->objectCount(); ++i) {
            Sprite* key = pad->spriteAt(i);
            if (key && key->name.find(u"key_") != std::u16string::npos && key->text().size() == 1 &&
                (key->text()[0] | 0x20) == letter) {
                taps.push_back(key);
                break;
            }
        }
    }
    if (Sprite* ok = pad->findSprite(u"btnOk_MSGBOX")) taps.push_back(ok);
    for (const Sprite* sprite : taps) Tap(canvas, *sprite, *pad);
}

void AutoPlayer::closeScoreList(Canvas& canvas) {
    Scene* scene = canvas.findSceneOfObject(u"btnCloseScoreBoard");
    auto* close = dynamic_cast<Sprite*>(canvas.findObject(u"btnCloseScoreBoard"));
    if (scene && close) Tap(canvas, *close, *scene);
}
