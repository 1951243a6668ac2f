#pragma once
// The front-end's widget pictures, in the cover's neon-on-night look: blank
// glass buttons whose captions the game writes on them, the round play
// button, arrow buttons, check boxes and option buttons, glass panels and
// the shade that dims a screen behind a notice.

#include <string>
#include <vector>

#include "art/buttons.h"
#include "raster/image.h"
#include "raster/text.h"

// The colours of a glass button, at rest and pressed.
struct GlassStyle {
    Color top, bottom, border, glow;
    Color pressedTop, pressedBottom, pressedBorder, pressedGlow;
};
GlassStyle CyanGlass();     // the usual button
GlassStyle MagentaGlass();  // leaving the game

// A pill without a caption (the game draws the text); `pulseFrames` > 1 makes its glow breathe.
ButtonArt MakeGlassButton(int width, int height, const GlassStyle& style, int pulseFrames = 1);
// A round button with a chevron pointing left (-1) or right (+1).
ButtonArt MakeArrowButton(int size, int direction);
// The big round start button: a play triangle over a caption, glowing in `pulseFrames` steps.
ButtonArt MakePlayButton(const std::string& caption, const FontFace& font, int size, int pulseFrames);

// A row that is a check box (square) or an option button (round): the box at
// the left end, room for the caption to its right. The bright look is the ticked one.
enum class ToggleShape { Box, Round };
ButtonArt MakeToggleRow(int width, int height, ToggleShape shape);

// A dark glass panel with a neon rim and a soft shadow, `accent` the rim's
// colour; `opacity` of its glass (a box over a busy screen wants it near 1).
Image MakeGlassPanel(int width, int height, Color accent, float radius, float opacity = 0.88f);
// An even black, laid over a screen at part opacity to push it back.
Image MakeShade(int width, int height);
