#pragma once
// The glimmerkin: a plump little star with a face that drifts through the
// maze trailing sparkles. Catching one sweeps every ghost away.

#include "raster/image.h"

struct GlimmerkinPose {
    Vec2 centre;       // centre of the star's body, pixels
    float radius;      // tip radius of the star, pixels
    float turn = 0;    // rotation of the body, radians (a gentle wobble)
    float blink = 0;   // 0 eyes open .. 1 closed
    float twinkle = 0; // phase of the sparkles around it, 0..1 over a cycle
    bool sparkles = true;
};

void DrawGlimmerkin(Image& image, const GlimmerkinPose& pose);

// A four-pointed twinkle of light (the sparkles, and the glints on pictures).
void DrawSparkle(Image& image, Vec2 centre, float size, float strength, Color tint);
