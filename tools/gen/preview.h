#pragma once
// Preview pictures for the people making the art (not shipped): every
// generated frame as the game shows it, and each screen composed as its
// template places it, at the art's size (design x 2).

#include <string>
#include <vector>

#include "art/cover.h"
#include "picture_files.h"
#include "raster/text.h"

struct PreviewInput {
    std::string outputDir;     // where the PNG files go
    std::string templatePath;  // the screen's template
    const std::vector<PictureFile>* files;
    const std::vector<SpritePlacement>* placements;  // where the art expects its sprites
    const FontFace* textFont;  // stands in for the engine's "Arial"
    const FontFace* boldFont;
};

// Writes every frame of every picture as it decodes. False when a file cannot be written.
bool WritePicturePreviews(const std::string& outputDir, const std::vector<PictureFile>& files);
// Writes the screen composed by its template and reports template placements
// that differ from the art's on stderr. False when a file cannot be written or
// the template read.
bool WriteScreenPreview(const PreviewInput& input);
