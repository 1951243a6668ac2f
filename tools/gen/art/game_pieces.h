#pragma once
// The game's own pictures besides the levels': the characters as the maze
// shows them from each side, the tomb at the ghosts' home, the items, and
// the status pictures drawn over the maze.

#include <vector>

#include "raster/image.h"

// Where a character walks, as the camera behind and above the hero sees it.
enum class Heading { East, North, West, South };
constexpr Heading kHeadings[] = {Heading::East, Heading::North, Heading::West, Heading::South};
const char* HeadingName(Heading heading);  // "east", "north", "west", "south"

// Sizes at the design size; `scale` draws a picture that many times larger
// (the game's pictures for larger screens are drawn at twice the size).
constexpr int kCharacterSize = 64;  // pixels, square
constexpr int kWalkFrames = 4;
constexpr int kWalkDelay = 12;      // hundredths of a second per frame
// One loop of Tobbin bouncing along, and of a ghost floating, facing `heading`.
std::vector<Image> TobbinWalk(Heading heading, int scale = 1);
// The ghosts told apart by colour: red (colour 0, the original's), cyan,
// pink, green and violet, none of them near the scared blue.
constexpr int kGhostColours = 5;
std::vector<Image> GhostFloat(Heading heading, int colour = 0, int scale = 1);
// A ghost in goodtime, the same from every side: the blue of the help page
// with a frightened face, or pale with a red face while its fright runs out.
std::vector<Image> ScaredGhostFloat(bool pale, int scale = 1);

// The gravestone the ghosts rise from, 32 x 32.
Image MakeTomb(int scale = 1);

// The items of the passages at their 3D picture sizes (the help pages draw
// the same shapes): the dot 16 x 16, the others 32 x 32.
Image MakeItemPicture(const char* itemName, int scale = 1);  // "pickable", "bonus", "goodtime", "life", "speed"

// Status pictures at twice the design size: Tobbin's capsule beside the
// lives (design 62 x 24), and the bar under the level and score (design 240 x 28).
Image MakeLivesCapsule();
Image MakeConsoleBar();
// A faint band behind every other row of the score list (design 208 x 14).
Image MakeScoreRowBand();
