#include "art/keyboard.h"

#include <array>
#include <string>

#include "art/sprite_picture.h"
#include "raster/effects.h"
#include "raster/rasterize.h"

namespace {

// The key cap, row by row: o outline, h highlight, f face, d the cap's side.
constexpr std::array<const char*, 11> kCap = {
    ".ooooooooo.", "ohhhhhhhhho", "offfffffffo", "offfffffffo", "offfffffffo", "offfffffffo",
    "offfffffffo", "offfffffffo", "offfffffffo", "odddddddddo", ".ooooooooo.",
};

// The symbols on a 7 x 7 grid, placed on the face from (2, 2).
constexpr std::array<const char*, 7> kLeftArrow = {
    "...y...", "..yy...", ".yyyyyy", "yyyyyyy", ".yyyyyy", "..yy...", "...y...",
};
constexpr std::array<const char*, 7> kEnter = {
    "......y", "......y", "..y...y", ".yy...y", "yyyyyyy", ".yy....", "..y....",
};

Color CapColour(char c) {
    switch (c) {
        case 'o': return Hex(0x170525);
        case 'h': return Hex(0x7A6AD8);
        case 'f': return Hex(0x3A2C80);
        case 'd': return Hex(0x22185A);
        case 'y': return Hex(0xFFE066);
        default: return Hex(0x000000, 0.0f);
    }
}

// Whether the symbol covers (x, y) of its grid: the left arrow turned into the other directions.
bool SymbolAt(KeySymbol symbol, int x, int y) {
    auto left = [](int col, int row) { return kLeftArrow[row][col] == 'y'; };
    switch (symbol) {
        case KeySymbol::Left: return left(x, y);
        case KeySymbol::Right: return left(6 - x, y);
        case KeySymbol::Up: return left(y, x);
        case KeySymbol::Down: return left(6 - y, x);
        case KeySymbol::Enter: return kEnter[y][x] == 'y';
    }
    return false;
}

constexpr uint32_t kPlate = 0x15103A;  // the panel's colour behind the keys

// A key cap filling a picture whose corners show the plate.
Image KeyCap(int w, int h, Color top, Color bottom, Color rim, float rimStrength) {
    Image image(w, h);
    image.fill(Hex(kPlate));
    float radius = h * 0.22f, inset = 1.0f;
    Mask cap = RoundRectMask(w, h, inset, inset, w - 2 * inset, h - 2 * inset, radius);
    FillMask(image, cap, Hex(0x08051A));
    Mask face = RoundRectMask(w, h, inset + 1.5f, inset + 1.5f, w - 2 * inset - 3, h - 2 * inset - 5, radius * 0.85f);
    FillMask(image, face, LinearGradient({0, 0}, {0, static_cast<float>(h)}, {{0, top}, {1, bottom}}));
    FillMask(image, Subtract(face, ShiftMask(face, 0, 2)), WithAlpha(Hex(0xFFFFFF), 0.35f));
    FillMask(image, Subtract(Dilate(face, 1.0f), face), WithAlpha(rim, rimStrength));
    return image;
}

}  // namespace

Image MakeHotKeyIcon(KeySymbol symbol) {
    Image image(11, 11);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 11; ++x) {
            Color c = CapColour(kCap[y][x]);
            if (x >= 2 && x < 9 && y >= 2 && y < 9 && SymbolAt(symbol, x - 2, y - 2)) c = CapColour('y');
            if (c.a > 0) image.at(x, y) = {c.r, c.g, c.b, 1};
        }
    return image;
}

InputPadArt MakeInputPadArt() {
    const int s = kArtScale;
    InputPadArt art;
    const int w = 230 * s, h = 160 * s;
    art.pad = Image(w, h);
    float radius = 9.0f * s;
    Mask panel = RoundRectMask(w, h, 0, 0, w, h, radius);
    FillMask(art.pad, panel, Hex(0x05030F));
    Mask inner = RoundRectMask(w, h, 2.0f * s, 2.0f * s, w - 4.0f * s, h - 4.0f * s, radius - 2.0f * s);
    FillMask(art.pad, inner, Hex(kPlate));
    FillMask(art.pad, Subtract(Dilate(inner, 1.5f * s), inner), Hex(0x4FD8FF));
    // The title strip and the field's groove, above the keys.
    Mask strip = Intersect(inner, RoundRectMask(w, h, 0, 0, w, 23.0f * s, 0));
    FillMask(art.pad, strip, LinearGradient({0, 0}, {0, 23.0f * s}, {{0, Hex(0x3A2A86)}, {1, Hex(0x231A5A)}}));
    FillMask(art.pad, RoundRectMask(w, h, 19.0f * s, 23.0f * s, 194.0f * s, 20.0f * s, 3.0f * s), Hex(0x0A0720));
    FillMask(art.pad, RoundRectMask(w, h, 8.0f * s, 128.0f * s, 214.0f * s, 0.5f * s, 0), WithAlpha(Hex(0x4FD8FF), 0.35f));
    art.key = KeyCap(18 * s, 18 * s, Hex(0x4A3A9A), Hex(0x261B5E), Hex(0x66E8FF), 0.55f);
    art.wideKey = KeyCap(40 * s, 20 * s, Hex(0xEAFBFF), Hex(0x9FDFF2), Hex(0x2A7FA0), 0.9f);
    return art;
}
