// The two play styles side by side: the built-in player through levels 1 to
// 20 of the rules alone (no window, no scene), with the same seeds in each
// style. Per level: deaths, deaths within 3 s of the end of a respawn's grace,
// and seconds to clear, summed or averaged over the seeds.
//
//   karrowen-bench playstyles [SEEDS] [FRAME_MS]

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench.h"
#include "game/autoplayer.h"
#include "game/game_host.h"
#include "game/game_level.h"

namespace {

constexpr int kLevels = 20;
// A level not cleared by then counts as given up.
constexpr float kGiveUpSeconds = 900.0f;
// The canvas's frame-rate window: a ghost may rise, a fallen hero drops back.
constexpr float kWindowSeconds = 2.0f;

struct LevelResult {
    int deaths = 0;
    int soon = 0;
    float seconds = 0.0f;
    bool cleared = false;
};

// The key that stops the hero, beside the four directions.
constexpr int kActionKey = 4;

// The built-in player as the game runs it: a key pressed on one frame, let go
// on the next, and the release seen as a request the frame after that.
LevelResult PlayLevel(int level, uint32_t seed, const host::PlayStyle& style, float dt) {
    QuietGameHost host;
    GameLevel game(level, 0, 99, seed, host);
    game.style = style;
    game.buildMaze();
    game.createCharacters();
    game.placeItems();
    int keyDown = -1, posted = -1, driverHeld = -1;
    float window = 0.0f;
    LevelResult result;
    AutoplayPatience patience;
    while (game.elapsedTime < kGiveUpSeconds) {
        const int previous = keyDown;
        keyDown = posted;
        const bool bold = patience.bold(game);
        if (driverHeld >= 0) {
            posted = driverHeld = -1;
        } else {
            const int direction = AutoplayKeyDirection(game, bold);
            if (direction >= 0) posted = driverHeld = direction;
            else if (direction == kAutoplayStay) posted = driverHeld = kActionKey;
        }
        int request = previous >= 0 && keyDown != previous ? previous : GameLevel::kNoRequest;
        if (request == kActionKey) request = GameLevel::kStopRequest;
        game.update(dt, game.endTimer <= 0.0f ? request : GameLevel::kNoRequest);
        const LevelOutcome outcome = game.afterDraw(dt);
        if (outcome != LevelOutcome::Playing) {
            result.cleared = outcome == LevelOutcome::Cleared;
            break;
        }
        window += dt;
        if (window >= kWindowSeconds) {
            window -= kWindowSeconds;
            if (game.endTimer == 0.0f) game.reviveTick();
        }
    }
    result.deaths = game.record().deaths;
    result.soon = game.record().deathsSoonAfterRespawn;
    result.seconds = game.elapsedTime;
    return result;
}

}  // namespace

KARROWEN_BENCH(playstyles, "levels 1-20 played by the built-in player in both styles: deaths, deaths soon after respawn, seconds") {
    const int seeds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const float dt = (argc > 2 ? float(std::max(1, std::atoi(argv[2]))) : 33.0f) / 1000.0f;
    const host::PlayStyle styles[2] = {host::PlayStyle::Original(), host::PlayStyle::Enhanced()};
    std::printf("%d seeds per level, %.0f ms frames; deaths and deaths within %.0f s of a respawn's grace ending "
                "are totals over the seeds, seconds the mean per level\n\n",
                seeds, double(dt) * 1000.0, double(LevelRecord::kSoonAfterRespawn));
    std::printf("level | Original: deaths  soon  seconds  gave up | Enhanced: deaths  soon  seconds  gave up\n");
    int totals[2][2] = {};
    for (int level = 1; level <= kLevels; ++level) {
        std::printf("%5d |", level);
        for (int s = 0; s < 2; ++s) {
            int deaths = 0, soon = 0, uncleared = 0;
            float seconds = 0.0f;
            for (int seed = 1; seed <= seeds; ++seed) {
                // The game's own seeding: one maze per level of a seeded run.
                const uint32_t levelSeed = uint32_t(seed) + uint32_t(level) * 2654435761u;
                LevelResult r = PlayLevel(level, levelSeed, styles[s], dt);
                deaths += r.deaths;
                soon += r.soon;
                seconds += r.seconds;
                uncleared += r.cleared ? 0 : 1;
            }
            totals[s][0] += deaths;
            totals[s][1] += soon;
            std::printf("  %14d %5d %8.1f %5d |", deaths, soon, double(seconds) / seeds, uncleared);
        }
        std::printf("\n");
    }
    std::printf("total |  %14d %5d                |  %14d %5d\n", totals[0][0], totals[0][1], totals[1][0], totals[1][1]);
    std::printf("(gave up: seeds that did not clear the level within %.0f s, counted at that time)\n", double(kGiveUpSeconds));
    return 0;
}
