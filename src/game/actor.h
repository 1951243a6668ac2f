#pragma once
// The moving characters: Tobbin the hero and the ghosts. Each stands on a
// maze cell, shows one picture per heading, drops in with a translucent grace
// period and rises, fading, when it dies. This is their state and rules only;
// the level view draws them from it.

#include <array>
#include <string_view>

#include "game/maze.h"

// How a character, an item or a popup is drawn at the moment.
enum class Look { Solid, Translucent, Glowing };

// What a character sees of its level.
class ActorLevel {
public:
    virtual ~ActorLevel() = default;
    virtual const Maze& maze() const = 0;
    virtual GameRandom& random() = 0;
    // Seconds since the level started: the clock of every pulse and wobble.
    virtual float elapsed() const = 0;
    // The goodtime left as a share of one full goodtime; 0 outside it.
    virtual float goodtime() const = 0;
    // A level end or game end is pending.
    virtual bool ending() const = 0;
    virtual void addScore(int points) = 0;
    // Eating at the hero's cell: points, effects, and the end of the level.
    virtual void eatAt(Cell at) = 0;
    virtual void playSound(std::u16string_view name) = 0;
    // Ghosts do not chase a hero they cannot see: the fair respawn hides him
    // from them until his grace ends.
    virtual bool heroUnseen() const { return false; }
};

class Actor {
public:
    // radiusFactor is in world units (u); the picture is one unit square.
    Actor(ActorLevel& level, float radiusFactor);
    virtual ~Actor() = default;
    Actor(const Actor&) = delete;
    Actor& operator=(const Actor&) = delete;

    void setHeading(int direction);
    // Every heading picture stands still on its first frame, so that only a
    // walking character animates.
    void stopAnimation();
    void placeAt(Cell cell);
    void appear(float timer, Cell cell, float dropHeight);
    // Its height in world units, standing.
    float height() const { return height_; }

    int heading = 3;
    Cell cell;  // while walking, already the target cell
    Vector3 position;
    bool visible = false;
    Look look = Look::Solid;
    int alpha = 0;               // 0 opaque ... 255 transparent, while translucent
    uint32_t colour = 0xFFFFFF;  // 0xRRGGBB, the glow's tint
    // Which heading pictures animate; `animationStops` counts the stops that
    // put every picture back on its first frame.
    std::array<bool, 4> animating{};
    int animationStops = 0;
    bool dying = false;
    bool falling = false;
    float appearTimer = 0.0f;
    bool moving = false;
    float vx = 0.0f, vz = 0.0f;
    float speed = 0.0f;  // cells per second (ghosts)
    int groundY = 0;
    // World units drawn above his position, a hop that moves no rule.
    float hop = 0.0f;

protected:
    void animateAppear(float dt);
    void animateDeath(float dt);

    ActorLevel& level_;
    float height_;
};

class Hero : public Actor {
public:
    Hero(ActorLevel& level, int score, int lives);

    // From the keys: the hero turns at the next cell centre where the passage
    // is open; the opposite direction turns him back at once.
    void requestDirection(int direction);
    void stop();
    void update(float dt);
    // Stands on the cell and eats what lies there.
    void arrive(Cell at);
    // Caught by a ghost: he rises where he fell, which becomes his respawn
    // cell, one life lost. The level tells the player.
    void kill();

    int stepFrames = 0;
    int score = 0;
    int lives = 0;
    int requested = -1;
    int current = -1;
    bool stepping = false;
    bool reverseRequested = false;
    Cell respawn;

private:
    void walk(float dt);
    bool landedSoundPlayed_ = false;
};

// What a ghost's frame came to.
enum class GhostTouch { None, CaughtHero, Eaten };

// How a ghost shows the goodtime: not at all, scared, or, in its last
// seconds, pale in turn with scared, so that the player sees it run out.
enum class Fright { None, Scared, Pale };
inline constexpr float kFrightWarning = 1.5f;  // seconds of goodtime left when the blinking starts
inline constexpr float kFrightBlink = 0.25f;   // seconds of one scared-and-pale turn
// The fright for `goodtimeLeft` seconds of goodtime.
Fright FrightFor(float goodtimeLeft);

class Ghost : public Actor {
public:
    Ghost(ActorLevel& level, const Hero& hero, float cellsPerSecond);

    GhostTouch update(float dt);
    // Whether the hero stands in a straight line of passages from this cell.
    bool hasLineOfSight() const;

    float remaining = 0.0f;  // world distance left in the current step
    bool seesHero = false;
    int travel = 3;          // heading of travel
    bool waiting = false;    // the current step stays on its cell
    Fright fright = Fright::None;

private:
    void chooseNextCell();
    void chooseRandomDirection();
    void leaveWalledCell();
    void startStep(Cell target, int direction);
    GhostTouch touch() const;

    const Hero& hero_;
};

// At level L: L / 2 + 2 ghosts at 0.5 + 0.05 L cells per second, at most 2.
int GhostCountForLevel(int level);
float GhostSpeedForLevel(int level);
