#pragma once
// One level of the game: the maze, Tobbin, the ghosts, the items and popups,
// and the clocks that drive them. It advances with the frame time and the key
// state, and speaks to its screen only through GameHost, so the rules run
// and are tested without a window.

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
#include "scene/key_state.h"

class Object3D;
class Scene3D;
class Texture;

// The pictures a level is built from; any may be null (nothing drawn).
struct LevelPictures {
    Texture* cell = nullptr;
    std::array<Texture*, 2> decor{};
    Texture* tomb = nullptr;
    std::array<Texture*, kItemTypes> items{};
    HeadingImages hero{};
    HeadingImages ghost{};
};

enum class LevelOutcome { Playing, Cleared, GameOver };

class GameLevel {
public:
    static constexpr int kPopupCount = 8;
    static constexpr float kBlinkTime = 1.8f;
    static constexpr float kBlinkIdle = 10000.0f;

    GameLevel(int level, int carriedScore, int carriedLives, uint32_t seed, Scene3D& scene, GameHost& host);
    ~GameLevel();

    // The loading steps, in order: the maze with its tiles, decoration and
    // tomb; the characters; the items and popups.
    void buildMaze(const LevelPictures& pictures);
    void createCharacters(const LevelPictures& pictures);
    void placeItems(const LevelPictures& pictures);

    // One frame before drawing: keys, ghosts, tomb, hero, items, popups, the
    // flash message.
    void update(float dt, KeyState keys);
    // One frame after drawing: the goodtime and end clocks; what the end
    // clock decided when it ran out.
    LevelOutcome afterDraw(float dt);
    // Every two seconds while nothing is ending: a ghost may rise from the
    // tomb, and a hero whose death has ended drops back in.
    void reviveTick();

    // ---- Rules the characters and items share ----
    void addScore(int points);
    void showLives();
    void showPopup(Cell at, int points, const std::u16string& text);
    void flashMessage(const std::u16string& text);
    void steadyMessage(const std::u16string& text);
    void killAllGhosts();
    // Eating at the hero's cell: points, effects, and the end of the level.
    void eatAt(Cell at);

    int level() const { return level_; }
    Maze& maze() { return *maze_; }
    const Maze& maze() const { return *maze_; }
    Hero& hero() { return *hero_; }
    const Hero* heroIfAny() const { return hero_.get(); }
    std::vector<std::unique_ptr<Ghost>>& ghosts() { return ghosts_; }
    Item* itemAt(Cell c) const;
    int remaining() const { return remaining_; }
    GameHost& host() { return host_; }
    GameRandom& random() { return random_; }
    Scene3D& scene() { return scene_; }
    Object3D* mazeGroup() const { return mazeGroup_; }
    Object3D* tomb() const { return tomb_; }
    const std::array<std::unique_ptr<ScorePopup>, kPopupCount>& popups() const { return popups_; }

    float goodtimeTimer = 0.0f;
    float goodtimeDuration;
    float endTimer = 0.0f;
    float elapsed = 0.0f;
    float blinkClock = kBlinkIdle;
    Cell ghostHome, heroStart, heroRespawn;
    KeyState previousKeys = 0;

private:
    void handleKeys(KeyState keys);
    void flashTomb(float dt);
    void blinkFlash(float dt);

    int level_;
    int carriedScore_, carriedLives_;
    Scene3D& scene_;
    GameHost& host_;
    GameRandom random_;
    std::unique_ptr<Maze> maze_;
    Object3D* mazeGroup_ = nullptr;
    Object3D* tomb_ = nullptr;
    std::unique_ptr<Hero> hero_;
    std::vector<std::unique_ptr<Ghost>> ghosts_;
    std::vector<std::unique_ptr<Item>> itemGrid_;  // rows x columns, empty where nothing lies
    int remaining_ = 0;
    std::array<std::unique_ptr<ScorePopup>, kPopupCount> popups_;
};

// The direction a released key asks for, in the order the keys are tested;
// -2 for the action key (stop), -1 for none.
int DirectionForReleasedKeys(KeyState released);
