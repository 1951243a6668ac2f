#pragma once
// The characters as sprite pictures: Tobbin, the round hero, and the ghosts.
// Each is drawn around a given centre and size so that the cover can place
// it on the tile the maze backdrop shows under it.

#include "raster/image.h"

struct TobbinPose {
    Vec2 centre;      // centre of the ball, pixels
    float radius;     // pixels
    float blink = 0;  // 0 eyes open .. 1 closed
    Vec2 look{0, 0};  // where the pupils turn, -1..1 each
    float groundY;    // picture row of the ground under him (for the shadow)
    float turn = 0;   // where he faces: -1 his left (the picture's left) .. 1 the picture's right
    bool fromBehind = false;  // seen from the back: no face
    float thinnestLine = 1.5f;  // pixels: small pictures keep outlines at least this wide
};
void DrawTobbin(Image& image, const TobbinPose& pose);

struct GhostPose {
    Vec2 centre;       // centre of the head dome, pixels
    float radius;      // half the body width, pixels
    Color body;
    float wave = 0;    // phase of the skirt's ripple, radians
    Vec2 look{0, 0};   // where the pupils turn, -1..1 each
    float groundY;     // picture row of the ground under it
    float hover = 0;   // height above its resting place, pixels (the shadow shrinks)
    float turn = 0;    // where it faces: -1 the picture's left .. 1 its right
    bool fromBehind = false;  // seen from the back: no eyes
    // In goodtime: small round eyes and a wobbly mouth in `face` instead of
    // the hunting eyes.
    bool scared = false;
    uint32_t face = 0xFFFFFF;  // 0xRRGGBB
    float thinnestLine = 1.5f;  // pixels: small pictures keep outlines at least this wide
};
void DrawGhost(Image& image, const GhostPose& pose);

// An eye: white with a dark outline, a pupil turned by `look` (-1..1 each),
// and a catch light. `lid` closes it from the top (0 open .. 1 shut), in `lidColor`.
void DrawEye(Image& image, Vec2 c, float rx, float ry, Vec2 look, float lid, Color lidColor, Color iris,
             float outline);
