#pragma once
// The pictures of keys: the hot-key marks the game draws beside widgets
// (tiny key caps, hand-set pixel by pixel since the game only doubles their
// pixels), and the on-screen keyboard's panel and keys.

#include "art/items.h"
#include "raster/image.h"

// An 11 x 11 key cap with its symbol, one pixel per design unit.
Image MakeHotKeyIcon(KeySymbol symbol);

// The on-screen keyboard, at twice its design size. The game places the keys
// itself: 40 keys of 18 x 18 in four rows from (11, 45), 21 apart, and five
// wide keys of 40 x 20 at y 130. The keys' corners take the colour of the
// panel behind them, so they are drawn without a colour key.
struct InputPadArt {
    Image pad;      // 230 x 160: a dark panel, light title text goes on its top strip
    Image key;      // 18 x 18: dark, for the light letters
    Image wideKey;  // 40 x 20: light, for the dark command names
};
InputPadArt MakeInputPadArt();
