#pragma once
// Finds the font file that draws a face name at a weight and slant. The
// desktop asks fontconfig (with its metric-compatible stand-ins, so "Arial"
// may be drawn by Liberation Sans); a web page has no fontconfig and looks in
// a fixed table of the fonts it ships.

#include <string>

namespace host {

// The font file chosen for one request, and what must be faked.
struct FontFile {
    std::string path;
    int index = 0;
    bool embolden = false;
    bool oblique = false;
    bool familyMatches = false;  // the face asked for or a metric-compatible stand-in
};

// `face` in UTF-8, `weight` 1..1000 (400 regular, 700 bold). False when no
// font at all can be found; the first call may take a while (a font scan).
bool LocateFont(const std::string& face, int weight, bool italic, FontFile& file);

}  // namespace host
