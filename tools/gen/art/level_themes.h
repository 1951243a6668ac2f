#pragma once
// The ten level themes: the colours of a level's sky, tiles and neon, what
// stands beside its passages, and which of the three songs it plays. The
// hand-written level templates repeat the sky's horizon colour as their fog
// and the theme's lights; the generator test holds them to the same values.

#include <array>
#include <cstdint>

#include "raster/color.h"

enum class DecorKind { Mushrooms, Ferns, Lanterns, IceShards, Crystals, Coral, Nebula, Cacti, Embers, Pillars };
enum class SkyFeature { Moon, Fireflies, PaperLanterns, Aurora, Geodes, Bubbles, Planet, Sun, Volcano, Rays };

struct LevelTheme {
    const char* name;
    int song;              // 1..3: "Levels/song%d.mod"
    uint32_t skyTop;       // 0xRRGGBB at the top of the backdrop
    uint32_t horizon;      // the band behind the far tiles; the level's fog colour
    uint32_t voidBottom;   // the depths below the floating maze
    uint32_t tileTop;      // the slabs' stone
    uint32_t tileSide;
    uint32_t neon;         // the lit lip along each tile's edge
    SkyFeature feature;
    DecorKind decor;
};

constexpr int kLevelCount = 10;

// Levels 1..3 are night gardens (song 1), 4..7 cold and deep places (song 2),
// 8..10 fire and gold (song 3).
const std::array<LevelTheme, kLevelCount>& LevelThemes();
const LevelTheme& ThemeOfLevel(int level);  // level 1..10
