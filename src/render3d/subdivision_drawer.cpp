#include "render3d/subdivision_drawer.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Chebyshev length in whole pixels: cheap and enough to judge a face's size.
int EdgePixels(const Vertex& p, const Vertex& q) { return std::max(std::abs(p.sx - q.sx), std::abs(p.sy - q.sy)); }

}  // namespace

int SubdivisionDrawer::maxDepth(const Mesh3D&, const Vertex&, const Vertex&, const Vertex&) { return maxDepth_; }

bool SubdivisionDrawer::shouldSplit(const Vertex& a, const Vertex& b, const Vertex& c) {
    return std::max({EdgePixels(a, b), EdgePixels(b, c), EdgePixels(c, a)}) > maxEdge_;
}
