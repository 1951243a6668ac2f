#pragma once
// The optional subdivision drawer: splits faces whose screen size exceeds a
// limit into four at their edge midpoints, up to a depth, so that the affine
// texture mapping of large, steeply receding faces (floors seen from a low
// camera) bends less. Give it to a mesh as its face drawer.

#include "render3d/object3d.h"

class SubdivisionDrawer : public FaceDrawer {
public:
    // Splits while the longest screen edge is above maxEdgePixels, at most
    // maxDepth times.
    explicit SubdivisionDrawer(int maxDepth = 3, int maxEdgePixels = 48)
        : maxDepth_(maxDepth), maxEdge_(maxEdgePixels) {}

    int maxDepth(const Mesh3D& mesh, const Vertex& a, const Vertex& b, const Vertex& c) override;
    bool shouldSplit(const Vertex& a, const Vertex& b, const Vertex& c) override;

private:
    int maxDepth_;
    int maxEdge_;
};
