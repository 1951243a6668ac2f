#pragma once
// One level of the game: the maze, Tobbin, the ghosts, the items and popups,
// and the clocks that drive them. It advances with the frame time and the key
// state, and speaks to its screen only through GameHost; it holds no 3D
// objects (a level view draws it), so the rules run and are tested without a
// window or a scene.

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/actor.h"
#include "game/game_host.h"
#include "game/game_random.h"
#include "game/items.h"
#include "game/maze.h"
#include "platform/host/port_options.h"

enum class LevelOutcome { Playing, Cleared, GameOver };

// What happened in a level, for the line printed when it ends.
struct LevelRecord {
    int deaths = 0;
    int ghostsEaten = 0;  // in goodtime; a kill item's or the clear's ghosts are not eaten
    // Deaths within kSoonAfterRespawn seconds of the end of a respawn's grace,
    // the time from which he can be caught again.
    int deathsSoonAfterRespawn = 0;
    static constexpr float kSoonAfterRespawn = 3.0f;
};

// Where a fair respawn puts the hero: of the passage cells within `reach`
// steps of where he fell, the one farthest along the passages from every
// threat (the ghosts about and the tomb they rise from); the nearest to his
// fall among equals. His own cell when no passage is in reach.
Cell FairRespawnCell(const Maze& maze, Cell fallen, const std::vector<Cell>& threats, int reach);

// A plant or rock beside a passage: the first or second decoration picture.
struct Decor {
    Cell cell;
    int picture;
};

// The tomb at the ghosts' home glows when a ghost rises and shakes while the
// glow fades.
struct TombGlow {
    Look look = Look::Solid;
    uint32_t colour = 0xFFFFFF;  // 0xRRGGBB
    bool shaking = false;
    float angle = 0.0f;  // radians about the view axis
    float lift = 0.0f;   // world units up
};

class GameLevel : public ActorLevel {
public:
    static constexpr int kPopupCount = 8;
    // How far along the passages a fair respawn may move the hero from his fall.
    static constexpr int kRespawnReach = 8;
    static constexpr int kTombSendReach = 8;
    // The Enhanced level clear: the jingle's length, the hero's hops, and
    // the level's points counted up in the flash line, all within the 3.5 s
    // before the next level.
    static constexpr float kClearSeconds = 3.5f, kJingleSeconds = 1.5f;
    static constexpr float kHopSeconds = 0.6f, kHopHeight = 4.0f;
    static constexpr float kCountStart = 0.3f, kCountSeconds = 1.8f;
    // How long the music gives way to the effects that stop all others.
    static constexpr float kZapSeconds = 0.4f, kWailSeconds = 1.1f;
    static constexpr float kBlinkTime = 1.8f;
    static constexpr float kBlinkIdle = 10000.0f;

    GameLevel(int level, int carriedScore, int carriedLives, uint32_t seed, GameHost& host);
    ~GameLevel() override;

    // The loading steps, in order: the maze with its decoration and tomb; the
    // characters; the items.
    void buildMaze();
    void createCharacters();
    void placeItems();

    // What the player asks of the hero this frame: a direction (0 ... 3), or
    // one of these.
    static constexpr int kNoRequest = -1, kStopRequest = -2;

    // One frame before drawing: the player's request, ghosts, tomb, hero,
    // popups, the flash message.
    void update(float dt, int request);
    // One frame after drawing: the goodtime and end clocks; what the end
    // clock decided when it ran out.
    LevelOutcome afterDraw(float dt);
    // Every two seconds while nothing is ending: a ghost may rise from the
    // tomb, and a hero whose death has ended drops back in.
    void reviveTick();

    // ---- What the characters see ----
    const Maze& maze() const override { return *maze_; }
    GameRandom& random() override { return random_; }
    float elapsed() const override { return elapsedTime; }
    float goodtime() const override { return goodtimeTimer / goodtimeDuration; }
    bool ending() const override { return endTimer != 0.0f; }
    void addScore(int points) override;
    void eatAt(Cell at) override;
    void playSound(std::u16string_view name) override { host_.playSound(name); }
    bool heroUnseen() const override { return style.respawn && respawning_ && hero_->appearTimer > 0.0f; }

    // ---- Rules the characters and items share ----
    void showLives();
    void showPopup(Cell at, int points, const std::u16string& text);
    void flashMessage(const std::u16string& text);
    void steadyMessage(const std::u16string& text);
    void killAllGhosts();
    void killHero();
    void killGhost(Ghost& ghost);

    int level() const { return level_; }
    Maze& maze() { return *maze_; }
    Hero& hero() { return *hero_; }
    const Hero& hero() const { return *hero_; }
    const Hero* heroIfAny() const { return hero_.get(); }
    std::vector<std::unique_ptr<Ghost>>& ghosts() { return ghosts_; }
    const std::vector<std::unique_ptr<Ghost>>& ghosts() const { return ghosts_; }
    Item* itemAt(Cell c) const;
    int remaining() const { return remaining_; }
    GameHost& host() { return host_; }
    const std::vector<Decor>& decor() const { return decor_; }
    const TombGlow& tomb() const { return tomb_; }
    const std::array<ScorePopup, kPopupCount>& popups() const { return popups_; }
    const LevelRecord& record() const { return record_; }

    // The Enhanced improvements these rules follow; all off, the original game.
    host::PlayStyle style;

    float goodtimeTimer = 0.0f;
    float goodtimeDuration;
    float endTimer = 0.0f;
    float elapsedTime = 0.0f;
    float blinkClock = kBlinkIdle;
    Cell ghostHome, heroStart;

private:
    void handleRequest(int request);
    void placeDecor();
    void flashTomb(float dt);
    void blinkFlash(float dt);
    void respawnHero();
    void stopSoundsFor(float effectSeconds);
    void clearLevel();
    void celebrate(float dt);
    void noteGraceEnd(bool hadGrace);

    int level_;
    int carriedScore_, carriedLives_;
    GameHost& host_;
    GameRandom random_;
    std::unique_ptr<Maze> maze_;
    std::vector<Decor> decor_;
    TombGlow tomb_;
    std::unique_ptr<Hero> hero_;
    std::vector<std::unique_ptr<Ghost>> ghosts_;
    std::vector<std::unique_ptr<Item>> itemGrid_;  // rows x columns, empty where nothing lies
    int remaining_ = 0;
    std::array<ScorePopup, kPopupCount> popups_;
    LevelRecord record_;
    // Level time at which the last respawn's grace ended; below 0 before any.
    float respawnGraceEnded_ = -1.0f;
    bool respawning_ = false;
    // Seconds since the level was cleared, while the Enhanced clear plays;
    // below 0 otherwise.
    float celebration_ = -1.0f;
};
