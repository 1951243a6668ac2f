#include "game/actor.h"

#include <algorithm>
#include <cmath>

#include "game/game_level.h"
#include "render3d/object_readers.h"
#include "render3d/scene3d.h"
#include "scene/texture.h"

namespace {

// The heading shown while a character spins on its way down or up.
int SpinHeading(float y) {
    int quarter = int(y) / 4;
    return ((quarter % 4) + 4) % 4;
}

}  // namespace

// ---- Actor ------------------------------------------------------------------------------

Actor::Actor(GameLevel& level, float radiusFactor, const HeadingImages& images, const std::u16string& chipName)
    : level_(level), images_(images) {
    auto chip = BuildChip(1, 1, 2, radiusFactor * Maze::kWorldUnit, true, nullptr, nullptr);
    chip->billboard = 2;
    chip->visible = false;
    chip_ = chip.get();
    material_ = chip_->materials.front().get();
    material_->shadingMode = 1;
    level.scene().addObject(chipName, chip.release());
}

void Actor::setHeading(int direction) {
    if (direction < 0 || direction >= 4) return;
    heading = direction;
    Texture* image = images_[size_t(direction)];
    material_->texture = image;
    material_->alphaTexture = image;
    material_->hasTransparentColour = true;
    material_->transparentColour = image ? image->bitmap()->transparentColor : 0xFFFFFFFF;
}

// Every heading stands still, so that only a walking character animates.
void Actor::stopAnimation() {
    for (Texture* image : images_) {
        if (!image) continue;
        image->animated = false;
        image->setFrame(0);
    }
}

Vector3 Actor::position() const { return chip_->worldMatrix.getTranslation(); }
void Actor::setPosition(const Vector3& p) { chip_->worldMatrix.setTranslation(p); }
bool Actor::visible() const { return chip_->visible; }
void Actor::setVisible(bool on) { chip_->visible = on; }
float Actor::chipHeight() const { return chip_->size.y; }

void Actor::placeAt(Cell at) {
    cell = at;
    Vector3 p = level_.maze().cellCenter(at);
    p.y += 0.5f * chipHeight();
    setPosition(p);
}

void Actor::appear(float timer, Cell at, float dropHeight) {
    dying = false;
    placeAt(at);
    appearTimer = timer;
    groundY = int(position().y);
    if (dropHeight > 0.0f) {
        Vector3 p = position();
        p.y = dropHeight;
        setPosition(p);
        falling = true;
    }
    setHeading(3);
    moving = false;
    setVisible(true);
}

void Actor::animateAppear(float dt) {
    appearTimer -= dt;
    const float ground = float(groundY);
    Vector3 p = position();
    int alpha;
    if (p.y > ground + 1.0f && appearTimer > 0.0f) {
        p.y -= (90.0f - p.y) * dt * 1.5f;
        // One frame's dip below the surface on landing.
        if (p.y < ground) p.y = ground - 0.2f * chipHeight();
        setHeading(SpinHeading(p.y));
        alpha = int(p.y * 0.0125f * 200.0f);
    } else {
        p.y = ground;
        falling = false;
        alpha = int((TableSin(20.0f * level_.elapsed) + 1.5f) * 100.0f);
    }
    setPosition(p);
    material_->alpha = ClampInt(alpha, 0, 255);
    if (appearTimer > 0.0f) {
        material_->shadingMode = 2;
    } else {
        appearTimer = 0.0f;
        material_->alpha = 0;
        material_->shadingMode = 1;
    }
}

void Actor::animateDeath(float dt) {
    Vector3 p = position();
    if (p.y >= 40.0f) {
        material_->alpha = 0;
        material_->shadingMode = 1;
        setVisible(false);
        dying = false;
        return;
    }
    // The wobble is per frame, not scaled by the frame time.
    const float t = level_.elapsed;
    p.x += TableSin(20.0f * t);
    p.z += TableCos(20.0f * t);
    p.y += 20.0f * dt;
    setPosition(p);
    setHeading(SpinHeading(p.y));
    const float fade = p.y * 0.025f;
    material_->alpha = ClampInt(int(fade * fade * 255.0f), 0, 255);
    material_->shadingMode = 2;
}

// ---- Hero -------------------------------------------------------------------------------

Hero::Hero(GameLevel& level, const HeadingImages& images, int carriedScore, int carriedLives)
    : Actor(level, 1.6f, images, u"Tobbin"), score(carriedScore), lives(carriedLives) {}

void Hero::stop() {
    stepping = false;
    requested = -1;
    current = -1;
    moving = false;
    stepFrames = 0;
    stopAnimation();
}

void Hero::requestDirection(int direction) {
    if (falling) return;
    requested = direction;
    if (!stepping) {
        current = direction;
        return;
    }
    if (OppositeDirections(current, direction)) {
        reverseRequested = true;
        arrive(cell);
        stepFrames = 0;
    }
}

void Hero::arrive(Cell at) {
    placeAt(at);
    if (falling) return;
    level_.eatAt(at);
}

void Hero::update(float dt) {
    if (material_->shadingMode == 5) {
        int glow = ClampInt(int(level_.goodtimeTimer / level_.goodtimeDuration * 255.0f), 100, 255);
        material_->colour = uint32_t(glow / 2) << 16 | uint32_t(glow) << 8 | uint32_t(glow / 2);
    }
    if (dying) {
        animateDeath(dt);
        // With no life left he shows again, still, where he fell.
        if (!dying && level_.endTimer != 0.0f) appear(0.0f, level_.heroRespawn, 0.0f);
        return;
    }
    if (appearTimer > 0.0f) {
        animateAppear(dt);
        if (falling) {
            landedSoundPlayed_ = false;
            return;
        }
        if (!landedSoundPlayed_) {
            level_.host().playSound(u"bang");
            landedSoundPlayed_ = true;
        }
    }
    if (level_.endTimer <= 0.0f && requested >= 0 && requested <= 3) walk(dt);
}

// A step lasts about half a second whatever the frame rate: stepFrames - 1
// partial moves, then `arrive` puts him exactly on the target cell.
void Hero::walk(float dt) {
    const Maze& maze = level_.maze();
    bool startedStep = false;
    if (!moving || reverseRequested) {
        reverseRequested = false;
        Cell ahead = cell.step(current), wanted = cell.step(requested);
        Cell target;
        if (maze.cell(wanted) == 1) {
            setHeading(requested);
            current = requested;
            target = wanted;
        } else if (maze.cell(ahead) == 1) {
            setHeading(current);
            target = ahead;
        } else {
            stop();
            return;
        }
        stepping = true;
        if (Texture* image = images_[size_t(heading)]) image->animated = image->frameCount() > 1;
        const float s = dt > 0.01f ? dt : 0.01f;
        stepFrames = std::max(2, int(0.5f / s));
        vx = float(target.y - cell.y) * maze.cellX() / float(stepFrames);
        vz = float(target.x - cell.x) * maze.cellZ() / float(stepFrames);
        cell = target;
        moving = true;
        startedStep = true;
    }
    if (moving && !startedStep) {
        if (stepFrames == 2) {
            stepFrames = 0;
            moving = false;
            arrive(cell);
            return;
        }
        --stepFrames;
    }
    Vector3 p = position();
    p.x += vx;
    p.z += vz;
    setPosition(p);
}

void Hero::kill() {
    level_.host().stopAllSounds();
    level_.host().playSound(u"killed");
    dying = true;
    --lives;
    if (lives < 0) level_.endTimer = 2.0f;
    else level_.showLives();
    level_.heroRespawn = cell;
    setHeading(3);
    stop();
}

// ---- Ghost ------------------------------------------------------------------------------

int GhostCountForLevel(int level) { return std::max(2, level / 2 + 2); }

float GhostSpeedForLevel(int level) {
    float speed = 0.5f + 0.05f * float(level);
    return speed > 2.0f ? 2.0f : speed;
}

Ghost::Ghost(GameLevel& level, const HeadingImages& images, float cellsPerSecond, const std::u16string& chipName)
    : Actor(level, 1.4f, images, chipName) {
    speed = cellsPerSecond;
    remaining = level.maze().cellX();
}

void Ghost::update(float dt) {
    if (appearTimer > 0.0f) animateAppear(dt);
    if (dying) {
        animateDeath(dt);
        return;
    }
    if (moving) {
        const float d = speed * dt;
        const float dX = vx * d, dZ = vz * d;
        Vector3 p = position();
        p.x += dX;
        p.z += dZ;
        setPosition(p);
        // A wait in place takes as long as a step.
        remaining -= waiting ? level_.maze().cellX() * d : std::max(std::fabs(dX), std::fabs(dZ));
        if (remaining < 0.1f) {
            remaining = level_.maze().cellX();
            placeAt(cell);
            moving = false;
        }
    } else {
        chooseNextCell();
    }
    collide();
}

void Ghost::chooseNextCell() {
    const Maze& maze = level_.maze();
    int walls = 0;
    for (int d = 0; d < 4; ++d) walls += maze.cell(cell.step(d)) == 0 ? 1 : 0;
    if (walls == 4) {
        leaveWalledCell();
        return;
    }
    const bool blockedAhead = maze.cell(cell.step(travel)) != 1;
    seesHero = hasLineOfSight();
    if (seesHero && level_.goodtimeTimer == 0.0f) {
        const Cell hero = level_.hero().cell;
        const int dx = hero.x - cell.x, dy = hero.y - cell.y;
        const int direction = dx > 0 ? 1 : dx < 0 ? 3 : dy > 0 ? 0 : dy < 0 ? 2 : -1;
        // On the hero's own cell (he is still in his grace time) it waits
        // for one step's time before it chooses again.
        if (direction < 0) {
            startStep(cell, travel);
            vx = vz = 0.0f;
            waiting = true;
            return;
        }
        setHeading(direction);
        startStep(cell.step(direction), direction);
        return;
    }
    const int r = level_.random().range(0, 100);
    if (blockedAhead || (!seesHero && walls != 2 && r > 50)) chooseRandomDirection();
    else startStep(cell.step(travel), travel);
}

void Ghost::chooseRandomDirection() {
    const Maze& maze = level_.maze();
    int d;
    do d = level_.random().range(0, 3);
    while (maze.cell(cell.step(d)) != 1);
    setHeading(d);
    startStep(cell.step(d), d);
}

// A ghost risen on a cell walled in on all four sides (the tomb may stand on
// such a pillar) would draw directions for ever: it floats to the nearest
// passage instead, diagonally if need be.
void Ghost::leaveWalledCell() {
    Cell target = cell;
    if (!level_.maze().findCellNear(target, 1)) return;
    const int dx = target.x - cell.x, dy = target.y - cell.y;
    const int direction = std::abs(dx) >= std::abs(dy) ? (dx > 0 ? 1 : 3) : (dy > 0 ? 0 : 2);
    setHeading(direction);
    travel = direction;
    vx = float(dy) * level_.maze().cellX();
    vz = float(dx) * level_.maze().cellZ();
    remaining = level_.maze().cellX() * float(std::max(std::abs(dx), std::abs(dy)));
    cell = target;
    moving = true;
    waiting = false;
}

void Ghost::startStep(Cell target, int direction) {
    travel = direction;
    cell = target;
    moving = true;
    waiting = false;
    vx = direction == 0 ? level_.maze().cellX() : direction == 2 ? -level_.maze().cellX() : 0.0f;
    vz = direction == 1 ? level_.maze().cellZ() : direction == 3 ? -level_.maze().cellZ() : 0.0f;
}

bool Ghost::hasLineOfSight() const {
    const Maze& maze = level_.maze();
    const Cell hero = level_.hero().cell;
    for (int d : {1, 3, 0, 2}) {
        for (Cell c = cell; maze.cell(c) == 1; c = c.step(d))
            if (c == hero) return true;
    }
    return false;
}

void Ghost::collide() {
    Hero& hero = level_.hero();
    if (level_.endTimer != 0.0f || appearTimer != 0.0f || hero.appearTimer != 0.0f || dying || hero.dying) return;
    Vector3 between = position() - hero.position();
    if (between.length() >= level_.maze().cellX()) return;
    if (level_.goodtimeTimer > 0.0f) kill();
    else hero.kill();
}

void Ghost::kill() {
    level_.showPopup(cell, 2000, u"");
    level_.addScore(2000);
    dying = true;
    if (!level_.host().isSoundPlaying(u"ghostKilled")) level_.host().playSound(u"ghostKilled");
}
