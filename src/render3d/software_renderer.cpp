#include "render3d/software_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <tuple>

#include "platform/host/host_options.h"
#include "platform/host/port_options.h"
#include "render3d/camera.h"
#include "render3d/scene3d.h"
#include "scene/canvas.h"
#include "scene/image_ops.h"
#include "scene/texture.h"

using namespace raster;

// The per-mesh transform in fixed point: rotation 2.13, translation 16.16.
struct SoftwareRenderer::MeshTransform {
    int32_t r[9];
    int32_t t[3];
};

namespace {

int FloorLog2(uint32_t v) {
    int e = 0;
    while (v > 1) v >>= 1, ++e;
    return e;
}

uint32_t ISqrt(uint64_t v) {
    uint64_t r = uint64_t(std::sqrt(double(v)));
    while (r * r > v) --r;
    while ((r + 1) * (r + 1) <= v) ++r;
    return uint32_t(r);
}

int SaturateKey(int64_t key) { return int(std::clamp<int64_t>(key, INT32_MIN, INT32_MAX)); }

// Render list order: largest key first. The pivot is the integer mean of the
// two end keys; recursing into the smaller part keeps the stack shallow.
void QuickSort(RenderItem* items, int first, int last) {
    while (first < last) {
        int pivot = int((int64_t(items[first].key) + items[last].key) >> 1);
        int i = first, j = last;
        while (i <= j) {
            while (items[i].key > pivot) ++i;
            while (items[j].key < pivot) --j;
            if (i <= j) std::swap(items[i++], items[j--]);
        }
        if (j - first < last - i) {
            QuickSort(items, first, j);
            first = i;
        } else {
            QuickSort(items, i, last);
            last = j;
        }
    }
}

// The geometry a span filler addresses a texture frame with. Sizes that are
// not powers of two are addressed through the largest power inside them, so
// that no lookup leaves the picture.
bool LookupOf(const FrameBuffer* frame, int bitsPerPixel, TextureLookup& out) {
    if (!frame || frame->empty() || !frame->pixels || frame->bitsPerPixel != bitsPerPixel) return false;
    out.texels = frame->pixels;
    out.uShift = FloorLog2(uint32_t(frame->width));
    out.vShift = FloorLog2(uint32_t(frame->height));
    out.uMask = (1u << out.uShift) - 1;
    out.vMask = (1u << out.vShift) - 1;
    out.pitchShift = FloorLog2(uint32_t(frame->rowStride / frame->bytesPerPixel));
    return true;
}

const FrameBuffer* FrameOf(const Texture* t) { return t ? t->currentBitmap() : nullptr; }

bool SameGeometry(const FrameBuffer* a, const FrameBuffer* b) {
    return a && b && a->width == b->width && a->height == b->height && a->rowStride == b->rowStride &&
           a->bitsPerPixel == b->bitsPerPixel;
}

}  // namespace

SoftwareRenderer::SoftwareRenderer(Scene3D& owner) : RenderPipeline(owner, kSoftwarePipeline) {
    if (owner.buffered && owner.buffer) bitsPerPixel = owner.buffer->bitsPerPixel;
    else if (owner.target) bitsPerPixel = owner.target->bitsPerPixel;
    else bitsPerPixel = FrameBuffer::DisplayDepth();
    rebuildLightMaps();
    setThreads(host::RenderThreads());
}

void SoftwareRenderer::setThreads(int threads) {
    threads = std::clamp(threads, 1, host::kMaxRenderThreads);
    if (threads == this->threads()) return;
    if (threads == 1) rasterThreads_.reset();
    else rasterThreads_ = std::make_unique<RasterThreads>(threads);
}

SoftwareRenderer::~SoftwareRenderer() = default;

std::u16string SoftwareRenderer::description() const { return u"Karrowen software renderer 1.0"; }

int SoftwareRenderer::depthAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= viewWidth_ || y >= viewHeight_) return -1;
    return int(depth_[size_t(y) * size_t(viewWidth_) + size_t(x)] >> 16);
}

// ---- Light maps --------------------------------------------------------------------------

void SoftwareRenderer::rebuildLightMaps() {
    diffuse_.assign(kLightMapRoom, 0);
    specular_.assign(kLightMapRoom, 0);
    lightMapBits_ = bitsPerPixel;
    const uint32_t ambient = scene.ambient;
    for (int row = 0; row < kLightMapSide; ++row) {
        for (int col = 0; col < kLightMapSide; ++col) {
            float x = float(col - 32) * 0.03125f, y = float(row - 32) * 0.03125f;
            float radial = float(ISqrt(uint64_t(double(x * x + y * y) * 1073741824.0))) / 32768.0f;
            float z = 1.0f - radial;
            if (!(z > 0.0f)) z = 0.0f;
            Vector3 normal = Vector3{x, y, z}.normalized();
            int diffuse[3] = {int(ambient >> 16) & 255, int(ambient >> 8) & 255, int(ambient) & 255};
            int specular[3] = {0, 0, 0};
            for (const auto& light : scene.lights()) {
                int d = TruncToInt(double(Dot(normal, light->direction)) * 255.0);
                if (d < 0) d = 0;
                float e = std::max(float(light->shininess) / 4096.0f, 0.01f);
                double s = std::pow(double(d) / 255.0, 1.0 / double(e)) * (double(light->specularStrength) / 255.0);
                for (int ch = 0; ch < 3; ++ch) {
                    int shift = 16 - 8 * ch;
                    diffuse[ch] += (int((light->diffuse >> shift) & 255) * d) >> 8;
                    specular[ch] += TruncToInt(double((light->specular >> shift) & 255) * s);
                }
            }
            auto pack = [this](const int* c) {
                uint32_t rgb = uint32_t(std::clamp(c[0], 0, 255)) << 16 | uint32_t(std::clamp(c[1], 0, 255)) << 8 |
                               uint32_t(std::clamp(c[2], 0, 255));
                return ToTargetFormat(bitsPerPixel, rgb);
            };
            diffuse_[size_t(row * kLightMapSide + col)] = pack(diffuse);
            specular_[size_t(row * kLightMapSide + col)] = pack(specular);
        }
    }
}

// ---- Mesh preparation ----------------------------------------------------------------------

void SoftwareRenderer::prepareObject(Object3D& object) {
    for (auto& mesh : object.meshes)
        if (!mesh->prepared) prepareMesh(object, *mesh);
    for (auto& mesh : object.levelMeshes)
        if (!mesh->prepared) prepareMesh(object, *mesh);
}

namespace {

// Faces naming vertices that do not exist are dropped.
void DropInvalidFaces(Mesh3D& mesh) {
    size_t n = mesh.vertices.size();
    std::erase_if(mesh.faces, [n](const Face& f) { return f.a >= n || f.b >= n || f.c >= n; });
}

void ComputeFaceNormals(Mesh3D& mesh) {
    for (Face& f : mesh.faces) {
        const Vertex &a = mesh.vertices[f.a], &b = mesh.vertices[f.b], &c = mesh.vertices[f.c];
        Vector3 n = TriangleNormal(Vector3::fromFixed(a.x, a.y, a.z), Vector3::fromFixed(b.x, b.y, b.z),
                                   Vector3::fromFixed(c.x, c.y, c.z));
        f.nx = TruncToInt(double(n.x) * 65536.0);
        f.ny = TruncToInt(double(n.y) * 65536.0);
        f.nz = TruncToInt(double(n.z) * 65536.0);
    }
}

// Sums of the face normals at each vertex, normalised in 16.16 from
// components taken >> 5.
void ComputeVertexNormals(Mesh3D& mesh) {
    std::vector<int64_t> sums(mesh.vertices.size() * 3, 0);
    for (const Face& f : mesh.faces) {
        for (uint16_t i : {f.a, f.b, f.c}) {
            sums[i * 3u] += f.nx;
            sums[i * 3u + 1] += f.ny;
            sums[i * 3u + 2] += f.nz;
        }
    }
    for (size_t i = 0; i < mesh.vertices.size(); ++i) {
        int64_t n[3] = {sums[i * 3] >> 5, sums[i * 3 + 1] >> 5, sums[i * 3 + 2] >> 5};
        uint64_t len = ISqrt(uint64_t(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]));
        Vertex& v = mesh.vertices[i];
        if (len == 0) {
            v.nx = int32_t(sums[i * 3]), v.ny = int32_t(sums[i * 3 + 1]), v.nz = int32_t(sums[i * 3 + 2]);
            continue;
        }
        v.nx = int32_t(n[0] * 65536 / int64_t(len));
        v.ny = int32_t(n[1] * 65536 / int64_t(len));
        v.nz = int32_t(n[2] * 65536 / int64_t(len));
    }
}

void ComputeBounds(Mesh3D& mesh) {
    if (mesh.vertices.empty()) return;
    Vector3 lo = Vector3::fromFixed(mesh.vertices[0].x, mesh.vertices[0].y, mesh.vertices[0].z), hi = lo;
    for (const Vertex& v : mesh.vertices) {
        Vector3 p = Vector3::fromFixed(v.x, v.y, v.z);
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    Vector3 extent = hi - lo;
    mesh.centre = (lo + hi) * 0.5f;
    mesh.radius = std::max(extent.x, std::max(extent.y, extent.z)) * 0.5f;
}

// Vertices that differ only in texture coordinates share one transform.
void BuildSharing(Mesh3D& mesh) {
    mesh.shareList.clear();
    const size_t n = mesh.vertices.size();
    if (n < 2) return;
    std::vector<uint16_t> order(n);
    std::iota(order.begin(), order.end(), uint16_t(0));
    auto position = [&](uint16_t i) {
        const Vertex& v = mesh.vertices[i];
        return std::tuple(v.x, v.y, v.z);
    };
    std::stable_sort(order.begin(), order.end(), [&](uint16_t a, uint16_t b) { return position(a) < position(b); });
    std::vector<uint16_t> list;
    bool shared = false;
    for (size_t i = 0; i < n;) {
        size_t j = i + 1;
        while (j < n && j - i <= 255 && position(order[j]) == position(order[i])) ++j;
        list.push_back(order[i]);
        list.push_back(uint16_t(j - i - 1));
        for (size_t k = i + 1; k < j; ++k) list.push_back(order[k]);
        shared |= j - i > 1;
        i = j;
    }
    if (shared) mesh.shareList = std::move(list);
}

}  // namespace

void SoftwareRenderer::prepareMesh(Object3D& object, Mesh3D& mesh) {
    if (!mesh.material) mesh.material = object.addMaterial(u"", std::make_unique<Material3D>());
    if (mesh.vertices.size() > 65536) mesh.vertices.resize(65536);
    DropInvalidFaces(mesh);
    ComputeFaceNormals(mesh);
    ComputeVertexNormals(mesh);
    if (mesh.radius == 0.0f) ComputeBounds(mesh);
    BuildSharing(mesh);
    mesh.prepared = true;
}

// ---- Target, background and depth ----------------------------------------------------------------

bool SoftwareRenderer::chooseTarget() {
    Camera& camera = *scene.camera();
    int vw = std::min(camera.viewportWidth, scene.width), vh = std::min(camera.viewportHeight, scene.height);
    if (vw <= 0 || vh <= 0) return false;
    drawingOwnBuffer_ = false;
    originX_ = originY_ = 0;
    if (scene.buffered) {
        scene.ensureBuffer();
        target_ = scene.buffer.get();
    } else {
        FrameBuffer* canvasTarget = scene.target;
        if (canvasTarget && scene.x >= 0 && scene.y >= 0 && scene.x + vw <= canvasTarget->width &&
            scene.y + vh <= canvasTarget->height) {
            target_ = canvasTarget;
            originX_ = scene.x;
            originY_ = scene.y;
        } else {
            if (!ownTarget_ || ownTarget_->width != vw || ownTarget_->height != vh)
                ownTarget_ = std::make_unique<FrameBuffer>(vw, vh, true);
            target_ = ownTarget_.get();
            drawingOwnBuffer_ = true;
        }
    }
    if (!target_ || !target_->pixels) return false;
    vw = std::min(vw, target_->width - originX_);
    vh = std::min(vh, target_->height - originY_);
    if (vw <= 0 || vh <= 0 || (target_->bitsPerPixel != 16 && target_->bitsPerPixel != 32)) return false;
    bitsPerPixel = target_->bitsPerPixel;
    if (vw != viewWidth_ || vh != viewHeight_) {
        viewWidth_ = vw;
        viewHeight_ = vh;
        depth_.assign(size_t(vw) * size_t(vh), 0xFFFFFFFF);
    }
    state_.bitsPerPixel = bitsPerPixel;
    state_.pitch = target_->rowStride;
    state_.pixels = target_->pixels + intptr_t(originY_) * target_->rowStride + originX_ * target_->bytesPerPixel;
    state_.width = vw;
    state_.height = vh;
    state_.depth = depth_.data();
    state_.depthPitch = vw;
    return true;
}

void SoftwareRenderer::drawBackground() {
    const int bytes = bitsPerPixel / 8;
    const FrameBuffer* picture = FrameOf(scene.bkgTexture);
    if (picture && !picture->empty() && picture->bitsPerPixel == bitsPerPixel) {
        // Nearest-pixel stretch in 20.12 steps; opaque, since nothing lies behind.
        int64_t stepX = (int64_t(picture->width) << 12) / viewWidth_;
        int64_t stepY = (int64_t(picture->height) << 12) / viewHeight_;
        for (int y = 0; y < viewHeight_; ++y) {
            const uint8_t* src = picture->pixels + ((int64_t(y) * stepY) >> 12) * picture->rowStride;
            uint8_t* dst = state_.pixels + intptr_t(y) * state_.pitch;
            for (int x = 0; x < viewWidth_; ++x)
                std::memcpy(dst + x * bytes, src + ((int64_t(x) * stepX) >> 12) * bytes, size_t(bytes));
        }
        return;
    }
    if (scene.bkgColor == 0xFFFFFFFF) {
        // No background: the frame is drawn over what the target holds, so a
        // picture drawn there first (the game's scrolling backdrop) stays.
        // A private buffer takes the canvas's pixels first; without a canvas
        // buffer it is filled with the "none" colour, white.
        if (!drawingOwnBuffer_) return;
        if (scene.target && scene.target->bitsPerPixel == bitsPerPixel) {
            fill(*ownTarget_, 0xFFFFFF, 0, 0, -1, -1, true);
            copyRect(*scene.target, *ownTarget_, -scene.x, -scene.y, 0, 0, -1, -1, true);
            return;
        }
    }
    // The fill of the image operations: "none" gives white.
    uint32_t c = bitsPerPixel == 32 ? scene.bkgColor & 0xFFFFFF : host::RgbTo565(scene.bkgColor);
    if (rasterThreads_) {
        // Cleared on every thread, band by band, while the triangles are recorded.
        rasterThreads_->clearPixelsFirst(state_, c);
        return;
    }
    for (int y = 0; y < viewHeight_; ++y)
        FillRow(state_.pixels + intptr_t(y) * state_.pitch, viewWidth_, bitsPerPixel, c);
}

void SoftwareRenderer::clearDepth() {
    Scene3D* provider = scene.zBufferProvider;
    const bool ownDepth = !provider || provider == &scene || !scene.canvas;
    if (ownDepth && rasterThreads_) {
        rasterThreads_->clearDepthFirst(state_);
        return;
    }
    std::fill(depth_.begin(), depth_.end(), 0xFFFFFFFF);
    if (ownDepth) return;
    bool held = false;
    for (int i = 0; i < scene.canvas->sceneCount(); ++i) held |= scene.canvas->sceneAt(i) == provider;
    auto* other = held ? dynamic_cast<SoftwareRenderer*>(provider->pipeline()) : nullptr;
    if (!other || other->depth_.empty()) return;
    int rows = std::min(viewHeight_, other->viewHeight_), cols = std::min(viewWidth_, other->viewWidth_);
    for (int y = 0; y < rows; ++y)
        std::memcpy(&depth_[size_t(y) * viewWidth_], &other->depth_[size_t(y) * other->viewWidth_],
                    size_t(cols) * 4);
}

void SoftwareRenderer::presentOwnTarget() {
    if (scene.target && scene.target->bitsPerPixel == ownTarget_->bitsPerPixel) {
        copyRect(*ownTarget_, *scene.target, scene.x, scene.y, 0, 0, viewWidth_, viewHeight_, true);
    } else if (scene.canvas && scene.canvas->windowDc()) {
        drawToDC(*ownTarget_, *scene.canvas->windowDc(), scene.x, scene.y, 0, 0, viewWidth_, viewHeight_, true);
    }
}

// ---- The frame ----------------------------------------------------------------------------------

void SoftwareRenderer::render(float timeStep) {
    if (timeStep > 0) ++frameNumber;
    stats = RenderStats{};
    Camera* camera = scene.camera();
    if (!camera || !chooseTarget()) return;
    if (lightMapBits_ != bitsPerPixel) rebuildLightMaps();
    if (rasterThreads_) rasterThreads_->begin();
    state_.diffuse = diffuse_.data();
    state_.specular = specular_.data();
    drawBackground();
    clearDepth();
    if (rasterThreads_) rasterThreads_->offerClears();

    cameraWidth_ = camera->viewportWidth;
    cameraHeight_ = camera->viewportHeight;
    halfWidth_ = cameraWidth_ / 2;
    halfHeight_ = cameraHeight_ / 2;
    focal_ = camera->focalLength();
    cameraNear_ = TruncToInt(double(camera->nearDistance) * 65536.0);
    cameraFar_ = TruncToInt(double(camera->farDistance) * 65536.0);
    const Matrix4& view = camera->viewMatrix();

    Fog* fog = scene.fog();
    fogThisFrame_ = fog != nullptr;
    if (fog) {
        state_.fogColour = ToTargetFormat(bitsPerPixel, fog->colour);
        state_.fogFront = fog->front;
        state_.fogBack = fog->back;
        // An empty fog range has no slope: everything past it is fog end colour.
        state_.fogFactor = fog->back > fog->front ? int32_t(65536 / (int64_t(fog->back) - fog->front)) : 0;
    }

    renderList.clear();
    for (int i = 0; i < scene.objectCount(); ++i) {
        Object3D& object = *scene.object3DAt(i);
        if (!object.visible) continue;
        object.update(timeStep, frameNumber);
        object.worldCopy = object.worldMatrix;
        object.modelView = view * object.worldCopy;
        collectObject(object, *camera);
    }
    sortRenderList();

    state_.depthWrite = true;
    currentMaterial_ = nullptr;
    bool depthDecided = false;
    for (const RenderItem& item : renderList) {
        const Material3D& material = *item.mesh->material;
        if (!depthDecided && !material.opaque()) {
            depthDecided = true;
            if (material.shadingMode != 1 && material.shadingMode != 3) state_.depthWrite = false;
        }
        drawMesh(item);
    }
    if (rasterThreads_) rasterThreads_->fill();
    state_.depthWrite = true;
    renderList.clear();
    if (drawingOwnBuffer_) presentOwnTarget();
}

void SoftwareRenderer::collectObject(Object3D& object, Camera& camera) {
    int32_t near16 = object.nearOverride > 0 ? TruncToInt(double(object.nearOverride) * 65536.0) : cameraNear_;
    int32_t far16 = object.farOverride > 0 ? TruncToInt(double(object.farOverride) * 65536.0) : cameraFar_;
    const Matrix4& view = camera.viewMatrix();
    if (object.billboard == kBillboardUpright) {
        // Stay upright and turn toward the camera.
        const Vector3 up{0.0f, 1.0f, 0.0f};
        Vector3 zAxis = RotateVector(object.modelView, Vector3{0.0f, 0.0f, 1.0f});
        Vector3 r = Cross(up, zAxis).normalized();
        Vector3 f = Cross(r, up).normalized();
        Matrix4 b;  // its up row stays the identity's, and r lies level (r.y == 0)
        b.m[0] = r.x, b.m[2] = r.z;
        b.m[8] = f.x, b.m[9] = f.y, b.m[10] = f.z;
        object.worldCopy = object.worldCopy * b;
        object.modelView = view * object.worldCopy;
    } else if (object.billboard == kBillboardScreen) {
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col) object.modelView.m[row * 4 + col] = row == col ? 1.0f : 0.0f;
    }
    Vector3 position = object.modelView.getTranslation();
    if (object.cullingPolicy == kCullObject && !camera.sphereVisible(position, object.radius, near16, far16)) return;

    const std::vector<Mesh3D*>* levelMeshes = nullptr;
    if (!object.levels.empty() && object.segment > 0.0f) {
        int level = TruncToInt(std::fabs(double(position.z) / double(object.segment))) - 1;
        if (level >= 0) levelMeshes = &object.levels[size_t(std::min(level, int(object.levels.size()) - 1))];
    }
    auto collect = [&](Mesh3D& mesh) {
        if (!mesh.visible) return;
        if (!mesh.prepared) prepareMesh(object, mesh);
        Vector3 centre = TransformPoint(object.modelView * mesh.localMatrix, mesh.centre);
        if (object.cullingPolicy == kCullEachMesh && !camera.sphereVisible(centre, mesh.radius, near16, far16)) return;
        int64_t depth10 = TruncToInt(double(centre.z) * 10.0);
        int64_t key = mesh.material->opaque() ? 65536 - depth10
                                              : depth10 - TruncToInt(double(mesh.depthBias) * -10.0);
        renderList.push_back(RenderItem{&mesh, &object, SaturateKey(key)});
    };
    if (levelMeshes) {
        for (Mesh3D* mesh : *levelMeshes) collect(*mesh);
    } else {
        for (auto& mesh : object.meshes) collect(*mesh);
    }
    ++stats.objectsDrawn;
}

void SoftwareRenderer::sortRenderList() {
    if (renderList.size() > 1) QuickSort(renderList.data(), 0, int(renderList.size()) - 1);
}

// ---- Drawing one mesh ----------------------------------------------------------------------------

void SoftwareRenderer::drawMesh(const RenderItem& item) {
    Object3D& object = *item.object;
    Mesh3D& mesh = *item.mesh;
    const Material3D& material = *mesh.material;
    near_ = object.nearOverride > 0 ? TruncToInt(double(object.nearOverride) * 65536.0) : cameraNear_;
    far_ = object.farOverride > 0 ? TruncToInt(double(object.farOverride) * 65536.0) : cameraFar_;

    Matrix4 world = object.worldCopy * mesh.localMatrix;
    Matrix4 modelView = object.modelView * mesh.localMatrix;
    MeshTransform t;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) t.r[row * 3 + col] = TruncToInt(double(modelView.m[row * 4 + col]) * 8192.0);
        t.t[row] = TruncToInt(double(modelView.m[row * 4 + 3]) * 65536.0);
    }
    lightPerVertex_ = material.shadingMode >= 3 && !material.flatLighting;
    lightPerFace_ = material.shadingMode >= 3 && material.flatLighting;
    for (int col = 0; col < 3; ++col) {
        if (cameraSpaceNormals) {
            state_.lightRowA[col] = t.r[col] >> 2;
            state_.lightRowB[col] = t.r[3 + col] >> 2;
        } else {
            state_.lightRowA[col] = TruncToInt(double(world.m[col]) * 65536.0) >> 5;
            state_.lightRowB[col] = TruncToInt(double(world.m[4 + col]) * 65536.0) >> 5;
        }
    }
    if (&material != currentMaterial_) setUpMaterial(material);
    currentMaterial_ = &material;
    setUpMesh(mesh);
    if (rasterThreads_) rasterThreads_->setState(state_);
    transformVertices(mesh, t);

    const int count = mesh.faceCount();
    int first = mesh.faceFirst, end = mesh.faceEnd;
    if (first < 0 || end < 0) first = 0, end = count;
    first = std::min(first, count);
    end = std::min(end, count);
    if (end >= first) {
        for (int i = first; i < end; ++i) drawFace(mesh, mesh.faces[size_t(i)], t);
    } else {
        for (int i = first; i < count; ++i) drawFace(mesh, mesh.faces[size_t(i)], t);
        for (int i = 0; i < end; ++i) drawFace(mesh, mesh.faces[size_t(i)], t);
    }
}

void SoftwareRenderer::setUpMaterial(const Material3D& m) {
    RasterState& st = state_;
    st.mode = m.shadingMode >= 1 && m.shadingMode <= 5 ? m.shadingMode : 1;
    st.wireFrame = m.wireFrame;
    st.wireFrameMask = m.wireFrameMask;
    st.materialColour = ToTargetFormat(bitsPerPixel, m.colour);

    // Textures of another pixel format than the target cannot be addressed
    // and are left out; so is an alpha texture whose size differs from the
    // texture's, since both are read at the same texel index.
    TextureLookup texture, alphaLookup;
    const FrameBuffer* textureFrame = FrameOf(m.texture);
    const FrameBuffer* alphaFrame = FrameOf(m.alphaTexture);
    bool hasTexture = LookupOf(textureFrame, bitsPerPixel, texture);
    bool hasAlpha = LookupOf(alphaFrame, bitsPerPixel, alphaLookup);
    if (hasTexture && hasAlpha && !SameGeometry(textureFrame, alphaFrame)) hasAlpha = false;
    st.alphaTexture = hasAlpha && !m.hasTransparentColour;
    st.alphaTexels = st.alphaTexture ? alphaLookup.texels : nullptr;
    st.transparent = m.hasTransparentColour ? ToTargetFormat(bitsPerPixel, m.transparentColour) : 0xFFFFFFFF;
    st.textured = hasTexture || hasAlpha;
    st.texture = hasTexture ? texture : hasAlpha ? alphaLookup : TextureLookup{};
    st.offsetU = m.offsetU;
    st.offsetV = m.offsetV;

    st.flatLighting = false;
    st.alpha = 0;
    st.specularLevel = 255;
    st.constantColour = 0;
    st.environmentTexels = nullptr;
    st.environmentMask = 0;
    if (st.mode > 1) {
        st.flatLighting = m.flatLighting;
        st.alpha = std::clamp(m.alpha, 0, 255);
        st.specularLevel = std::clamp(m.specularLevel, 0, 255);
    }
    TextureLookup environment;
    if (st.mode == 5) {
        st.constantColour = ToTargetFormat(bitsPerPixel, m.secondColour);
        const FrameBuffer* frame = FrameOf(m.environmentTexture);
        if (LookupOf(frame, bitsPerPixel, environment)) {
            st.environmentTexels = environment.texels;
            st.environmentMask = uint32_t(std::clamp(std::min(frame->width - 1, frame->height) - 1, 0, 255));
            st.environmentPitchShift = environment.pitchShift;
        }
    }
}

void SoftwareRenderer::setUpMesh(const Mesh3D& mesh) {
    RasterState& st = state_;
    st.depthBias = TruncToInt(double(mesh.depthBias) * 65536.0);
    st.fog = fogThisFrame_ && mesh.environment;
    st.fastPath = st.mode == 1 && st.textured && !st.alphaTexture && !st.fog;
    uint32_t end = mesh.fogEndColour != 0xFFFFFFFF ? mesh.fogEndColour : scene.fog() ? scene.fog()->colour : 0;
    st.fogEndColour = ToTargetFormat(bitsPerPixel, end);
    st.filler = ChooseSpanFiller(st);
}

// ---- Vertices -----------------------------------------------------------------------------------

void SoftwareRenderer::transformVertices(Mesh3D& mesh, const MeshTransform& t) {
    std::vector<Vertex>& vs = mesh.vertices;
    const size_t n = mesh.shareList.size();
    if (n == 0) {
        for (Vertex& v : vs) transformVertex(v, t);
        stats.verticesTransformed += int(vs.size());
        return;
    }
    const uint16_t* list = mesh.shareList.data();
    for (size_t i = 0; i + 1 < n;) {
        Vertex& v = vs[list[i]];
        size_t k = list[i + 1];
        transformVertex(v, t);
        ++stats.verticesTransformed;
        for (size_t j = i + 2; j < i + 2 + k && j < n; ++j) {
            Vertex& w = vs[list[j]];
            w.cx = v.cx, w.cy = v.cy, w.cz = v.cz;
            w.sx = v.sx, w.sy = v.sy;
            w.depth = v.depth;
            w.clip = v.clip;
        }
        i += 2 + k;
    }
}

void SoftwareRenderer::transformVertex(Vertex& v, const MeshTransform& t) {
    const int64_t x = v.x >> 9, y = v.y >> 9, z = v.z >> 9;
    const int32_t* r = t.r;
    v.cx = int32_t(uint32_t(int64_t(t.t[0]) + ((r[0] * x + r[1] * y + r[2] * z) >> 4)));
    v.cy = int32_t(uint32_t(int64_t(t.t[1]) + ((r[3] * x + r[4] * y + r[5] * z) >> 4)));
    v.cz = int32_t(uint32_t(int64_t(t.t[2]) + ((r[6] * x + r[7] * y + r[8] * z) >> 4)));
    if (v.cz < near_) {
        v.clip = kClipNear;
        return;
    }
    project(v);
}

void SoftwareRenderer::project(Vertex& v) const {
    // A near plane at or behind the eye would let the divisor reach 0.
    int64_t d = std::max<int64_t>(v.cz >> 5, 1);
    int64_t sx = (int64_t(v.cx >> 5) * focal_) / d + halfWidth_;
    int64_t sy = halfHeight_ - (int64_t(v.cy >> 5) * focal_) / d;
    v.sx = int32_t(std::clamp<int64_t>(sx, -4096, 4095));
    v.sy = int32_t(std::clamp<int64_t>(sy, -4096, 4095));
    v.depth = v.cz >> 16;
    v.clip = (v.sx < 0 ? kClipLeft : 0) | (v.sx > cameraWidth_ ? kClipRight : 0) | (v.sy < 0 ? kClipTop : 0) |
             (v.sy > cameraHeight_ ? kClipBottom : 0) | (v.cz < near_ ? kClipNear : 0) |
             (v.cz > far_ ? kClipFar : 0);
}

// Light-map coordinates 0..254 from the vertex normal turned by the 2.11 rows.
void SoftwareRenderer::lightCoordinates(Vertex& v) const {
    const int32_t* a = state_.lightRowA;
    const int32_t* b = state_.lightRowB;
    int64_t nx = v.nx >> 5, ny = v.ny >> 5, nz = v.nz >> 5;
    v.eu = int32_t((((a[0] * nx + a[1] * ny + a[2] * nz) >> 6) * 127) >> 16) + 127;
    v.ev = int32_t((((b[0] * nx + b[1] * ny + b[2] * nz) >> 6) * 127) >> 16) + 127;
}

// ---- Faces ---------------------------------------------------------------------------------------

void SoftwareRenderer::faceLight(const Face& face) {
    const int32_t* a = state_.lightRowA;
    const int32_t* b = state_.lightRowB;
    int64_t nx = face.nx >> 5, ny = face.ny >> 5, nz = face.nz >> 5;
    int64_t rx = (a[0] * nx + a[1] * ny + a[2] * nz) >> 6;
    int64_t ry = (b[0] * nx + b[1] * ny + b[2] * nz) >> 6;
    // Unit normals stay inside the map; longer ones are held to its room.
    int64_t index = ((ry * 31) >> 16) * 64 + ((rx * 31) >> 16) + kLightMapCentre;
    state_.faceIndex = int(std::clamp<int64_t>(index, 0, kLightMapRoom - 1));
    state_.faceColour = ModulateColour(bitsPerPixel, diffuse_[size_t(state_.faceIndex)], state_.materialColour);
    state_.faceRx = int32_t(std::clamp<int64_t>(rx, INT32_MIN, INT32_MAX));
    state_.faceRy = int32_t(std::clamp<int64_t>(ry, INT32_MIN, INT32_MAX));
}

void SoftwareRenderer::drawFace(Mesh3D& mesh, const Face& face, const MeshTransform& t) {
    Vertex& a = mesh.vertices[face.a];
    Vertex& b = mesh.vertices[face.b];
    Vertex& c = mesh.vertices[face.c];
    if (a.clip & b.clip & c.clip) return;
    if (!mesh.material->twoSided) {
        const int32_t* r = t.r;
        int64_t nx = face.nx >> 5, ny = face.ny >> 5, nz = face.nz >> 5;
        int64_t rx = (r[0] * nx + r[1] * ny + r[2] * nz) >> 16;
        int64_t ry = (r[3] * nx + r[4] * ny + r[5] * nz) >> 16;
        int64_t rz = (r[6] * nx + r[7] * ny + r[8] * nz) >> 16;
        if (rx * (a.cx >> 6) + ry * (a.cy >> 6) + rz * (a.cz >> 6) <= 0) return;
    }
    int behind = (a.clip == kClipNear ? 1 : 0) | (b.clip == kClipNear ? 2 : 0) | (c.clip == kClipNear ? 4 : 0);
    if (lightPerVertex_) {
        lightCoordinates(a);
        lightCoordinates(b);
        lightCoordinates(c);
    }
    if (lightPerFace_ || state_.mode == 5) faceLight(face);
    if (behind == 0) {
        drawTriangle(mesh, a, b, c);
        return;
    }
    const Vertex* v[3] = {&a, &b, &c};
    drawClipped(mesh, v, behind);
}

bool SoftwareRenderer::clipVertex(const Vertex& front, const Vertex& behind, Vertex& out) const {
    int64_t dz = int64_t(behind.cz) - front.cz;
    if (dz > -4096 && dz < 4096) return false;
    int64_t t = ((int64_t(near_) - front.cz) * 32) / dz;  // 1/32 steps
    auto lerp = [t](int32_t a, int32_t b) { return int32_t(uint32_t(a + (((int64_t(b) - a) * t) >> 5))); };
    out = front;
    out.cx = lerp(front.cx, behind.cx);
    out.cy = lerp(front.cy, behind.cy);
    out.u = lerp(front.u, behind.u);
    out.v = lerp(front.v, behind.v);
    if (lightPerVertex_) {
        out.nx = lerp(front.nx, behind.nx);
        out.ny = lerp(front.ny, behind.ny);
        out.nz = lerp(front.nz, behind.nz);
    }
    out.cz = near_;
    project(out);
    if (lightPerVertex_) lightCoordinates(out);
    return true;
}

// One vertex behind the near plane leaves a quadrilateral, drawn as two
// triangles; two behind leave one triangle. The face's vertex order is kept.
void SoftwareRenderer::drawClipped(Mesh3D& mesh, const Vertex* v[3], int behindCode) {
    Vertex p, q;
    if (behindCode == 1 || behindCode == 2 || behindCode == 4) {
        int i = behindCode == 1 ? 0 : behindCode == 2 ? 1 : 2, j = (i + 1) % 3, k = (i + 2) % 3;
        if (!clipVertex(*v[j], *v[i], p) || !clipVertex(*v[k], *v[i], q)) {
            ++stats.clipDroppedTriangles;
            return;
        }
        stats.clipTriangles += 2;
        drawTriangle(mesh, p, *v[j], *v[k]);
        drawTriangle(mesh, *v[k], q, p);
        return;
    }
    int i = behindCode == 6 ? 0 : behindCode == 5 ? 1 : 2, j = (i + 1) % 3, k = (i + 2) % 3;
    if (!clipVertex(*v[i], *v[j], p) || !clipVertex(*v[i], *v[k], q)) {
        ++stats.clipDroppedTriangles;
        return;
    }
    ++stats.clipTriangles;
    drawTriangle(mesh, *v[i], p, q);
}

void SoftwareRenderer::drawTriangle(Mesh3D& mesh, const Vertex& a, const Vertex& b, const Vertex& c) {
    ++stats.facesDrawn;
    if (!mesh.faceDrawer) {
        fillTriangle(a, b, c);
        return;
    }
    FaceDrawer& drawer = *mesh.faceDrawer;
    drawer.depth = 0;
    subdivide(mesh, a, b, c, std::min(drawer.maxDepth(mesh, a, b, c), 8));
}

void SoftwareRenderer::subdivide(Mesh3D& mesh, const Vertex& a, const Vertex& b, const Vertex& c, int maxDepth) {
    FaceDrawer& drawer = *mesh.faceDrawer;
    if (drawer.depth >= maxDepth || !drawer.shouldSplit(a, b, c)) {
        fillTriangle(a, b, c);
        return;
    }
    auto midpoint = [this](const Vertex& p, const Vertex& q) {
        auto mean = [](int32_t x, int32_t y) { return int32_t((int64_t(x) + y) >> 1); };
        Vertex m;
        m.u = mean(p.u, q.u), m.v = mean(p.v, q.v);
        m.cx = mean(p.cx, q.cx), m.cy = mean(p.cy, q.cy), m.cz = mean(p.cz, q.cz);
        m.nx = mean(p.nx, q.nx), m.ny = mean(p.ny, q.ny), m.nz = mean(p.nz, q.nz);
        m.eu = mean(p.eu, q.eu), m.ev = mean(p.ev, q.ev);
        project(m);
        if (lightPerVertex_) lightCoordinates(m);
        return m;
    };
    Vertex ab = midpoint(a, b), bc = midpoint(b, c), ca = midpoint(c, a);
    ++drawer.depth;
    subdivide(mesh, a, ab, ca, maxDepth);
    subdivide(mesh, ab, b, bc, maxDepth);
    subdivide(mesh, ca, bc, c, maxDepth);
    subdivide(mesh, ab, bc, ca, maxDepth);
    --drawer.depth;
}

void SoftwareRenderer::fillTriangle(const Vertex& a, const Vertex& b, const Vertex& c) {
    if (rasterThreads_) rasterThreads_->addTriangle(state_, a, b, c);
    else DrawTriangle(state_, a, b, c);
}
