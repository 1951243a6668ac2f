#pragma once
// The moving characters: Tobbin the hero and the ghosts. Each is a
// screen-aligned chip standing on a maze cell, with one picture per heading,
// a drop-in appearance with a translucent grace period, and a rising, fading
// death.

#include <array>
#include <string>

#include "game/maze.h"

class GameLevel;
class Material3D;
class Object3D;
class Texture;

using HeadingImages = std::array<Texture*, 4>;

class Actor {
public:
    // Adds the chip to the level's 3D scene under `chipName`, hidden;
    // radiusFactor is in world units (u).
    Actor(GameLevel& level, float radiusFactor, const HeadingImages& images, const std::u16string& chipName);
    virtual ~Actor() = default;
    Actor(const Actor&) = delete;
    Actor& operator=(const Actor&) = delete;

    void setHeading(int direction);
    void stopAnimation();
    void placeAt(Cell cell);
    void appear(float timer, Cell cell, float dropHeight);

    Object3D* chip() const { return chip_; }
    Material3D* material() const { return material_; }
    Vector3 position() const;
    void setPosition(const Vector3& p);
    bool visible() const;
    void setVisible(bool on);

    int heading = 3;
    Cell cell;  // while walking, already the target cell
    bool dying = false;
    bool falling = false;
    float appearTimer = 0.0f;
    bool moving = false;
    float vx = 0.0f, vz = 0.0f;
    float speed = 0.0f;  // cells per second (ghosts)
    int groundY = 0;

protected:
    void animateAppear(float dt);
    void animateDeath(float dt);
    float chipHeight() const;

    GameLevel& level_;
    Object3D* chip_;  // owned by the level's 3D scene
    Material3D* material_;
    HeadingImages images_;
};

class Hero : public Actor {
public:
    Hero(GameLevel& level, const HeadingImages& images, int score, int lives);

    // From the keys: the hero turns at the next cell centre where the passage
    // is open; the opposite direction turns him back at once.
    void requestDirection(int direction);
    void stop();
    void update(float dt);
    // Stands on the cell and eats what lies there.
    void arrive(Cell at);
    void kill();

    int stepFrames = 0;
    int score = 0;
    int lives = 0;
    int requested = -1;
    int current = -1;
    bool stepping = false;
    bool reverseRequested = false;

private:
    void walk(float dt);
    bool landedSoundPlayed_ = false;
};

class Ghost : public Actor {
public:
    Ghost(GameLevel& level, const HeadingImages& images, float cellsPerSecond, const std::u16string& chipName);

    void update(float dt);
    // Whether the hero stands in a straight line of passages from this cell.
    bool hasLineOfSight() const;
    void kill();

    float remaining = 0.0f;  // world distance left in the current step
    bool seesHero = false;
    int travel = 3;          // heading of travel
    bool waiting = false;    // the current step stays on its cell

private:
    void chooseNextCell();
    void chooseRandomDirection();
    void leaveWalledCell();
    void startStep(Cell target, int direction);
    void collide();
};

// At level L: L / 2 + 2 ghosts at 0.5 + 0.05 L cells per second, at most 2.
int GhostCountForLevel(int level);
float GhostSpeedForLevel(int level);
