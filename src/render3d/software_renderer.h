#pragma once
// The software renderer (pipeline type 0): transforms the scene's objects with
// the camera, culls and sorts their meshes, clips faces against the near
// plane and fills triangles span by span into a 16- or 32-bit frame buffer
// with a 32-bit depth buffer. Everything after the per-mesh matrix set-up is
// integer fixed point.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/frame_buffer.h"
#include "render3d/raster_local.h"
#include "render3d/raster_threads.h"
#include "render3d/render_pipeline.h"

class Camera;
class Material3D;
class Mesh3D;
class Object3D;
class Scene3D;

class SoftwareRenderer : public RenderPipeline {
public:
    explicit SoftwareRenderer(Scene3D& scene);
    ~SoftwareRenderer() override;

    void render(float timeStep) override;
    void rebuildLightMaps() override;
    int depthAt(int x, int y) const override;
    std::u16string description() const override;
    void prepareObject(Object3D& object) override;

    // The depth buffer: viewport width x height entries, row-major, depth in
    // 16.16 (0xFFFFFFFF the farthest).
    const std::vector<uint32_t>& depthBuffer() const { return depth_; }
    int viewportWidth() const { return viewWidth_; }
    int viewportHeight() const { return viewHeight_; }
    const uint32_t* diffuseMap() const { return diffuse_.data(); }
    const uint32_t* specularMap() const { return specular_.data(); }

    // Threads the triangles are filled on (1: the caller's alone). The
    // frame is the same for every count. Starts with host::RenderThreads().
    void setThreads(int threads);
    int threads() const { return rasterThreads_ ? rasterThreads_->threads() : 1; }

private:
    struct MeshTransform;

    bool chooseTarget();
    void presentOwnTarget();
    void drawBackground();
    void clearDepth();
    void collectObject(Object3D& object, Camera& camera);
    void sortRenderList();
    void drawMesh(const RenderItem& item);
    void setUpMaterial(const Material3D& material);
    void setUpMesh(const Mesh3D& mesh);
    void transformVertices(Mesh3D& mesh, const MeshTransform& t);
    void transformVertex(Vertex& v, const MeshTransform& t);
    void project(Vertex& v) const;
    void lightCoordinates(Vertex& v) const;
    void drawFace(Mesh3D& mesh, const Face& face, const MeshTransform& t);
    void faceLight(const Face& face);
    bool clipVertex(const Vertex& front, const Vertex& behind, Vertex& out) const;
    void drawClipped(Mesh3D& mesh, const Vertex* v[3], int behindCode);
    void drawTriangle(Mesh3D& mesh, const Vertex& a, const Vertex& b, const Vertex& c);
    void subdivide(Mesh3D& mesh, const Vertex& a, const Vertex& b, const Vertex& c, int maxDepth);
    void fillTriangle(const Vertex& a, const Vertex& b, const Vertex& c);
    void prepareMesh(Object3D& object, Mesh3D& mesh);

    raster::RasterState state_;
    std::vector<uint32_t> depth_;
    int viewWidth_ = 0, viewHeight_ = 0;
    std::vector<uint32_t> diffuse_, specular_;
    int lightMapBits_ = 0;  // pixel format the light maps were built for
    std::unique_ptr<FrameBuffer> ownTarget_;
    FrameBuffer* target_ = nullptr;  // what this frame draws into
    bool drawingOwnBuffer_ = false;  // target_ is ownTarget_
    int originX_ = 0, originY_ = 0;  // viewport's position in target_
    int32_t near_ = 0, far_ = 0;     // 16.16, of the object being drawn
    int32_t cameraNear_ = 0, cameraFar_ = 0;
    int focal_ = 0, halfWidth_ = 0, halfHeight_ = 0;
    int cameraWidth_ = 0, cameraHeight_ = 0;
    const Material3D* currentMaterial_ = nullptr;
    bool lightPerVertex_ = false, lightPerFace_ = false;
    bool fogThisFrame_ = false;
    std::unique_ptr<raster::RasterThreads> rasterThreads_;  // null: fill on the caller's thread
};
