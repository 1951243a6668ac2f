#pragma once
// The 3D objects that show a maze: one raised tile per passage cell under
// "GrpMaze", decoration beside the passages under "GrpDecor", and the tomb at
// the ghosts' home under "GrpTomb".

#include <array>

#include "game/maze.h"

class Object3D;
class Scene3D;
class Texture;

// Builds the tiles (mesh units of 8 per cell, normalised to the maze's half
// size, tops at Y = 0) with the level's cell picture; sets the maze's world
// geometry for `size` world units first.
Object3D* BuildMazeMeshes(Scene3D& scene, Maze& maze, Texture* cellImage, float size);

// Plants, rocks and the like on wall cells just north of a passage, about
// half of them; one random number per inner cell.
void PlaceDecor(Scene3D& scene, const Maze& maze, const std::array<Texture*, 2>& images, GameRandom& random);

// The tomb chip standing on the ghosts' home.
Object3D* PlaceTomb(Scene3D& scene, const Maze& maze, Texture* image, Cell home);
