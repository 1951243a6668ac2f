#pragma once
// The rendering pipeline of a 3D scene: the scene's renderer, so the canvas's
// per-frame draw reaches render(). The software renderer is the only kind.

#include <cstdint>
#include <string>
#include <vector>

#include "scene/scene.h"

class Mesh3D;
class Object3D;
class Scene3D;

struct RenderStats {
    int objectsDrawn = 0;
    int verticesTransformed = 0;
    int clipTriangles = 0;         // triangles produced by near-plane clipping
    int clipDroppedTriangles = 0;  // faces dropped because an intersection failed
    int facesDrawn = 0;            // faces (or clipped triangles) handed to set-up
};

// One mesh to draw this frame, with the object whose matrices it uses.
struct RenderItem {
    Mesh3D* mesh = nullptr;
    Object3D* object = nullptr;
    int key = 0;  // drawn largest first
};

class RenderPipeline : public SceneRenderer {
public:
    RenderPipeline(Scene3D& scene, int type);

    // The canvas's per-frame call: one frame, timeStep in seconds.
    void draw(float time) override { render(time); }
    virtual void render(float timeStep) = 0;
    // Recomputes the light maps from the scene's lights and ambient colour;
    // call again after changing either.
    virtual void rebuildLightMaps() = 0;
    // The integer depth at a viewport pixel, or -1 outside the viewport.
    virtual int depthAt(int x, int y) const = 0;
    virtual std::u16string description() const = 0;
    // Face and vertex normals, bounds and a material for every mesh of the
    // object; done once per mesh, and for meshes added later on their first
    // frame.
    virtual void prepareObject(Object3D& object) = 0;

    const int type;
    uint32_t frameNumber = 0;  // counts render calls with a positive time step
    Scene3D& scene;
    int bitsPerPixel = 16;  // of the target
    std::vector<RenderItem> renderList;
    // Light maps indexed by camera-space instead of world-space normals.
    bool cameraSpaceNormals = false;
    RenderStats stats;
};
