#pragma once
// A level with no screen and no scene: a host that records what the rules ask
// of the screen, and the keys read as the game canvas reads them.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "game/game_host.h"
#include "game/game_level.h"
#include "game/key_steering.h"

class RecordingHost : public GameHost {
public:
    void playSound(std::u16string_view name) override { sounds.emplace_back(name); }
    bool isSoundPlaying(std::u16string_view name) override { return playing.count(std::u16string(name)) != 0; }
    void stopAllSounds() override { sounds.emplace_back(u"<stop>"); }
    void stopEffectsAndDuckMusic(float) override { sounds.emplace_back(u"<duck>"); }
    void setSpriteText(std::u16string_view sprite, const std::u16string& text) override {
        texts[std::u16string(sprite)] = text;
    }
    void setSpriteVisible(std::u16string_view sprite, bool visible) override {
        shown[std::u16string(sprite)] = visible;
    }
    void heroAppeared() override { ++heroAppearances; }
    void drawPopupText(FrameBuffer&, std::u16string_view, int) override {}

    std::vector<std::u16string> sounds;
    std::set<std::u16string> playing;  // what isSoundPlaying answers yes to
    std::map<std::u16string, std::u16string> texts;
    std::map<std::u16string, bool> shown;
    int heroAppearances = 0;
};

class GameLevelTest : public ::testing::Test {
protected:
    // A whole level: maze, characters, items (no pictures).
    GameLevel& makeLevel(int level, int lives = 2, uint32_t seed = 1234) {
        game = std::make_unique<GameLevel>(level, 0, lives, seed, host);
        steering = KeySteering();
        game->buildMaze();
        game->createCharacters();
        game->placeItems();
        return *game;
    }
    // One frame before drawing with these keys held.
    void frame(float dt, KeyState keys) {
        game->update(dt, game->endTimer <= 0.0f ? steering.request(keys) : GameLevel::kNoRequest);
    }
    // Runs frames until the hero has landed and his grace time is over.
    void settleHero(float dt = 0.05f) {
        for (int i = 0; i < 400 && (game->hero().appearTimer > 0.0f || game->hero().falling); ++i) frame(dt, 0);
    }

    RecordingHost host;
    KeySteering steering;
    std::unique_ptr<GameLevel> game;
};
