#pragma once
// The pictures of one level's folder: the sky behind the floating maze, the
// passage tile's texture and the two decorations beside the passages.

#include "art/level_themes.h"
#include "raster/image.h"

// The backdrop is larger than every design screen (240 x 320, 320 x 240) so
// that the game can scroll it with the hero; the game scales it by the
// display factor itself, so it is made at design size.
constexpr int kSkyWidth = 360;
constexpr int kSkyHeight = 440;
// The horizon band (the theme's horizon colour, repeated as the level's fog)
// lies at this share of the backdrop's height.
constexpr float kSkyHorizon = 0.42f;

Image MakeLevelSky(const LevelTheme& theme, int level);

// The tile texture: the upper half is the tile's top face, the third quarter
// its side face, the last quarter a darker copy of the side (not shown).
constexpr int kCellTextureWidth = 64;
constexpr int kCellTextureHeight = 128;
Image MakeCellTexture(const LevelTheme& theme, int level);

// Decorations standing in the gaps beside the passages, drawn for the colour
// key: the tall one 32 x 64, the small one 32 x 32.
Image MakeTallDecor(const LevelTheme& theme);
Image MakeSmallDecor(const LevelTheme& theme);
