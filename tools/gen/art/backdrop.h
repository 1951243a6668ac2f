#pragma once
// The cover's background picture: the night sky with its moon and stars over
// the floating maze, rendered by casting rays into the maze world.

#include "art/maze_world.h"
#include "raster/image.h"

Image RenderCoverBackdrop(const MazeWorld& world);
