#pragma once
// Small pictures for the help pages: what lies in the passages, and the keys
// and the stylus that steer Tobbin.

#include "raster/image.h"

// Each draws centred on `c`, fitting a circle of radius `r` (pixels).
void DrawPellet(Image& image, Vec2 c, float r);    // the sugar dot every passage holds
void DrawBonusGem(Image& image, Vec2 c, float r);  // the rarer gem worth more
void DrawPowerOrb(Image& image, Vec2 c, float r);  // the pink orb that turns the tables on the ghosts
void DrawHeart(Image& image, Vec2 c, float r);     // an extra life

enum class KeySymbol { Left, Up, Right, Down, Enter };
// The symbol alone: an arrow, or the bent arrow of the Enter key, `size` pixels across.
Mask KeySymbolMask(int width, int height, Vec2 c, float size, KeySymbol symbol);
// A key cap with its symbol; `size` is the cap's side in pixels, `c` its centre.
void DrawKeyCap(Image& image, Vec2 c, float size, KeySymbol symbol);
// A stylus touching the screen and dragging: the pen, the rubber band it draws and its direction.
void DrawStylusDrag(Image& image, Vec2 c, float r);
