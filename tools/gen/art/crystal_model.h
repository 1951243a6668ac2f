#pragma once
// The crystal that stands in the middle of the crystal mine's maze: a tall
// six-sided crystal with a cluster of smaller ones leaning out around it,
// pointed at both ends so that it reads as piercing the floating maze.

#include "model_3ds_file.h"

// In model units: about 1.0 tall, centred on the origin (the game rescales it).
Model MakeCrystalCluster(uint32_t colour, uint32_t glow);
