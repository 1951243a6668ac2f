#pragma once
// A level with no screen: a 3D scene of its own and a host that records what
// the rules ask of the screen.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "game/game_host.h"
#include "game/game_level.h"
#include "render3d/object3d.h"
#include "render3d/scene3d.h"

class RecordingHost : public GameHost {
public:
    void playSound(std::u16string_view name) override { sounds.emplace_back(name); }
    bool isSoundPlaying(std::u16string_view name) override { return playing.count(std::u16string(name)) != 0; }
    void stopAllSounds() override { sounds.emplace_back(u"<stop>"); }
    void setSpriteText(std::u16string_view sprite, const std::u16string& text) override {
        texts[std::u16string(sprite)] = text;
    }
    void setSpriteVisible(std::u16string_view sprite, bool visible) override {
        shown[std::u16string(sprite)] = visible;
    }
    void heroAppeared() override { ++heroAppearances; }
    void drawPopupText(FrameBuffer&, std::u16string_view text, int) override { popups.emplace_back(text); }

    std::vector<std::u16string> sounds;
    std::set<std::u16string> playing;  // what isSoundPlaying answers yes to
    std::map<std::u16string, std::u16string> texts;
    std::map<std::u16string, bool> shown;
    std::vector<std::u16string> popups;
    int heroAppearances = 0;
};

class GameLevelTest : public ::testing::Test {
protected:
    // A whole level: maze, characters, items (no pictures).
    GameLevel& makeLevel(int level, int lives = 2, uint32_t seed = 1234) {
        game = std::make_unique<GameLevel>(level, 0, lives, seed, scene, host);
        LevelPictures none;
        game->buildMaze(none);
        game->createCharacters(none);
        game->placeItems(none);
        return *game;
    }
    // Runs frames until the hero has landed and his grace time is over.
    void settleHero(float dt = 0.05f) {
        for (int i = 0; i < 400 && (game->hero().appearTimer > 0.0f || game->hero().falling); ++i)
            game->update(dt, 0);
    }
    // Presses and lets go of one key over two frames.
    void tapKey(KeyState bit, float dt = 0.05f) {
        game->update(dt, bit);
        game->update(dt, 0);
    }

    Scene3D scene{0, 0, 240, 320};
    RecordingHost host;
    std::unique_ptr<GameLevel> game;
};
