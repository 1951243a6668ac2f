#include "game/actor.h"

#include <algorithm>
#include <cmath>

namespace {

// The heading shown while a character spins on its way down or up.
int SpinHeading(float y) {
    int quarter = int(y) / 4;
    return ((quarter % 4) + 4) % 4;
}

}  // namespace

// ---- Actor ------------------------------------------------------------------------------

// The picture is one unit square, so the height is twice the radius.
Actor::Actor(ActorLevel& level, float radiusFactor)
    : level_(level), height_(2.0f * 1.0f * (radiusFactor * Maze::kWorldUnit)) {}

void Actor::setHeading(int direction) {
    if (direction < 0 || direction >= 4) return;
    heading = direction;
}

void Actor::stopAnimation() {
    animating = {};
    ++animationStops;
}

void Actor::placeAt(Cell at) {
    cell = at;
    position = level_.maze().cellCenter(at);
    position.y += 0.5f * height_;
}

void Actor::appear(float timer, Cell at, float dropHeight) {
    dying = false;
    placeAt(at);
    appearTimer = timer;
    groundY = int(position.y);
    if (dropHeight > 0.0f) {
        position.y = dropHeight;
        falling = true;
    }
    setHeading(3);
    moving = false;
    visible = true;
}

void Actor::animateAppear(float dt) {
    appearTimer -= dt;
    const float ground = float(groundY);
    Vector3& p = position;
    int a;
    if (p.y > ground + 1.0f && appearTimer > 0.0f) {
        p.y -= (90.0f - p.y) * dt * 1.5f;
        // One frame's dip below the surface on landing.
        if (p.y < ground) p.y = ground - 0.2f * height_;
        setHeading(SpinHeading(p.y));
        a = int(p.y * 0.0125f * 200.0f);
    } else {
        p.y = ground;
        falling = false;
        a = int((TableSin(20.0f * level_.elapsed()) + 1.5f) * 100.0f);
    }
    alpha = ClampInt(a, 0, 255);
    if (appearTimer > 0.0f) {
        look = Look::Translucent;
    } else {
        appearTimer = 0.0f;
        alpha = 0;
        look = Look::Solid;
    }
}

void Actor::animateDeath(float dt) {
    Vector3& p = position;
    if (p.y >= 40.0f) {
        alpha = 0;
        look = Look::Solid;
        visible = false;
        dying = false;
        return;
    }
    // The wobble is per frame, not scaled by the frame time.
    const float t = level_.elapsed();
    p.x += TableSin(20.0f * t);
    p.z += TableCos(20.0f * t);
    p.y += 20.0f * dt;
    setHeading(SpinHeading(p.y));
    const float fade = p.y * 0.025f;
    alpha = ClampInt(int(fade * fade * 255.0f), 0, 255);
    look = Look::Translucent;
}

// ---- Hero -------------------------------------------------------------------------------

Hero::Hero(ActorLevel& level, int carriedScore, int carriedLives)
    : Actor(level, 1.6f), score(carriedScore), lives(carriedLives) {}

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
    if (look == Look::Glowing) {
        int glow = ClampInt(int(level_.goodtime() * 255.0f), 100, 255);
        colour = uint32_t(glow / 2) << 16 | uint32_t(glow) << 8 | uint32_t(glow / 2);
    }
    if (dying) {
        animateDeath(dt);
        // With no life left he shows again, still, where he fell.
        if (!dying && level_.ending()) appear(0.0f, respawn, 0.0f);
        return;
    }
    if (appearTimer > 0.0f) {
        animateAppear(dt);
        if (falling) {
            landedSoundPlayed_ = false;
            return;
        }
        if (!landedSoundPlayed_) {
            level_.playSound(u"bang");
            landedSoundPlayed_ = true;
        }
    }
    if (!level_.ending() && requested >= 0 && requested <= 3) walk(dt);
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
        animating[size_t(heading)] = true;
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
    position.x += vx;
    position.z += vz;
}

void Hero::kill() {
    dying = true;
    --lives;
    respawn = cell;
    setHeading(3);
    stop();
}

// ---- Ghost ------------------------------------------------------------------------------

Fright FrightFor(float goodtimeLeft) {
    if (goodtimeLeft <= 0.0f) return Fright::None;
    if (goodtimeLeft >= kFrightWarning) return Fright::Scared;
    // Pale in the second half of each turn, so that the warning opens scared.
    return std::fmod(goodtimeLeft, kFrightBlink) < 0.5f * kFrightBlink ? Fright::Pale : Fright::Scared;
}

int GhostCountForLevel(int level) { return std::max(2, level / 2 + 2); }

float GhostSpeedForLevel(int level) {
    float speed = 0.5f + 0.05f * float(level);
    return speed > 2.0f ? 2.0f : speed;
}

Ghost::Ghost(ActorLevel& level, const Hero& hero, float cellsPerSecond) : Actor(level, 1.4f), hero_(hero) {
    speed = cellsPerSecond;
    remaining = level.maze().cellX();
}

GhostTouch Ghost::update(float dt) {
    if (appearTimer > 0.0f) animateAppear(dt);
    if (dying) {
        animateDeath(dt);
        return GhostTouch::None;
    }
    if (moving) {
        const float d = speed * dt;
        const float dX = vx * d, dZ = vz * d;
        position.x += dX;
        position.z += dZ;
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
    return touch();
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
    seesHero = !level_.heroUnseen() && hasLineOfSight();
    if (seesHero && level_.goodtime() == 0.0f) {
        const Cell hero = hero_.cell;
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
    const Cell hero = hero_.cell;
    for (int d : {1, 3, 0, 2}) {
        for (Cell c = cell; maze.cell(c) == 1; c = c.step(d))
            if (c == hero) return true;
    }
    return false;
}

GhostTouch Ghost::touch() const {
    const Hero& hero = hero_;
    if (level_.ending() || appearTimer != 0.0f || hero.appearTimer != 0.0f || dying || hero.dying)
        return GhostTouch::None;
    Vector3 between = position - hero.position;
    if (between.length() >= level_.maze().cellX()) return GhostTouch::None;
    return level_.goodtime() > 0.0f ? GhostTouch::Eaten : GhostTouch::CaughtHero;
}
