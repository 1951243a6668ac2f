#pragma once
// Everything the game screen shows and its level folders hold, and the
// score-list page's pictures: the 2D status pictures and the bright font
// (written beside the front end's), the 3D pictures of characters, tomb,
// items, tiles and decorations in their folders, the levels' JPEG skies and
// the crystal model.

#include <cstdint>
#include <string>
#include <vector>

#include "art/sprite_picture.h"
#include "raster/text.h"

struct GameArtFonts {
    const FontFace& bright;  // the bright bitmap font's letters
};

struct GeneratedFile {
    std::string path;  // relative to the resource folder, "/" between folders
    std::vector<uint8_t> bytes;
};

struct GameArt {
    // Sprite pictures of "GameCanvas.properties" and "scoreList.properties".
    std::vector<ScreenArt> screens;
    // Pictures the game loads for 3D chips and textures, named with their folders.
    std::vector<SpritePicture> pictures3D;
    // Files written as they are: the skies and the model.
    std::vector<GeneratedFile> files;
    // What the skies look like, for the previews.
    std::vector<std::pair<std::string, Image>> skies;
};

// The bright font's grid: capitals, digits and punctuation in 18 x 24 cells
// (the game draws its popups 24 pixels high: cell for pixel).
constexpr int kBrightColumns = 16, kBrightRows = 4, kBrightCellWidth = 18, kBrightCellHeight = 24;

GameArt MakeGameArt(const GameArtFonts& fonts);

// Writes the 3D pictures and the other files under outputDir (creating the
// folders), and with a previewDir PNG previews of them. False on a write error.
bool WriteGameArt(const GameArt& art, const std::string& outputDir, const std::string& previewDir);
