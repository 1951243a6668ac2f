#pragma once
// How the game screen looks at a level: the camera that follows Tobbin,
// leaning toward the maze centre and swaying, the zoom out at every
// appearance, and the backdrop that scrolls with him.

#include "render3d/math3d.h"

class Camera;
class FrameBuffer;

// A 20 degree view from above and behind, 0.2 R + 60 units away (R rows).
void AimCamera(Camera& camera, const Matrix4& heroMatrix, int mazeRows);
// Opens the view toward 50 degrees at 30 degrees a second.
void ZoomOut(Camera& camera, float dt);
// Follows the hero; the view leans toward the centre of a maze of half size
// `halfSize`. With sway the target circles gently (t: level time).
void FollowHero(Camera& camera, float halfSize, float dt, bool sway, float t);
// The backdrop's place on the target for the hero at (heroX, heroZ): the west
// edge of the maze shows the picture's left edge, the north edge its top.
void DrawBackdrop(const FrameBuffer& backdrop, FrameBuffer& target, float heroX, float heroZ, float halfSize);
