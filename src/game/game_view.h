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
// The overhead view of the Enhanced play style: steeper, and held in by the
// maze's edges, so that the maze fills the screen and little sky shows.
struct OverheadView {
    static constexpr float kPitch = 0.96f;        // radians the view looks down (about 55 degrees)
    static constexpr float kLookHeight = 6.0f;    // world units above the tile tops
    static constexpr float kSkyShare = 0.10f;     // of the screen height, above the maze's far edge at most
    static constexpr float kStatusShare = 0.12f;  // of the screen height, under the status bar
    static constexpr float kHeroTopShare = 0.27f;  // of the screen height, above the hero at least
    static constexpr float kHeroShare = 0.45f;    // of the half width the hero may stand off centre
};
// World units from the look-at point that the screen shows, for a view
// `distance` units from it: sideways at its depth, and along the ground ahead
// (up to the sky line) and behind (down to the status bar).
struct OverheadReach {
    float side = 0.0f, ahead = 0.0f, behind = 0.0f;
    float heroAhead = 0.0f;  // how far ahead the hero may stand, clear of the lives and score above
    float depthPerAhead = 0.0f;  // the change of depth per unit ahead, over the distance
};
OverheadReach ReachOf(const Camera& camera, float distance);
// Where the overhead view looks for the hero at `hero` in a maze of half size
// `halfSize` (tile tops at y = 0): on him where the maze allows, else as far in
// as its edges hold it, but never so far that he leaves the middle of the
// screen's width or falls below the sky line or the status bar.
Vector3 OverheadLookAt(const Vector3& hero, float halfSize, const OverheadReach& reach);
// The overhead view's distance for a maze of `mazeRows` rows.
float OverheadDistance(int mazeRows);
// A 20 degree overhead view (the zoom opens it) that nothing else drives.
void AimCameraOverhead(Camera& camera);
// Follows the hero with the overhead view; with sway the target circles as
// in the original view.
void FollowHeroOverhead(Camera& camera, const Vector3& hero, float halfSize, int mazeRows, bool sway, float t);
// The backdrop's place on the target for the hero at (heroX, heroZ): the west
// edge of the maze shows the picture's left edge, the north edge its top.
void DrawBackdrop(const FrameBuffer& backdrop, FrameBuffer& target, float heroX, float heroZ, float halfSize);
