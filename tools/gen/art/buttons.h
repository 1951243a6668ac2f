#pragma once
// Widget pictures: the glowing start link and the small round exit button,
// each in a normal look (which may pulse) and a pressed ("bright") look of
// the same outline.

#include <string>
#include <vector>

#include "raster/image.h"
#include "raster/text.h"

struct ButtonArt {
    std::vector<Image> normal;  // animation frames
    std::vector<int> delays;    // hundredths of a second per frame
    Image bright;               // the pressed look
};

// A pill-shaped neon link with a label; `pulseFrames` frames of a glow cycle.
ButtonArt MakeStartButton(const std::string& label, const FontFace& font, int width, int height, int pulseFrames);
// A round button with a cross.
ButtonArt MakeExitButton(int size);
