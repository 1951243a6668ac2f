// The software renderer on a game-like scene: a 29 x 29 maze of textured
// floor tiles and wall blocks with side faces, 60 colour-keyed billboard
// chips, linear fog, and a camera chasing a point along a fixed path through
// the maze. Run at 240 x 320 and 480 x 640 in 16 and 32 bits.
//
// The same triangles (the meshes the renderer kept after culling, the same
// chips), with the same textures, fog and colour key (as an alpha test), are
// then drawn through Mesa's software OpenGL (OSMesa) when its header is
// installed (libosmesa6-dev): once on one thread and once with llvmpipe's
// default threads, each in a child process since the thread count is fixed
// when the driver starts. The library is opened at run time.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <type_traits>
#include <vector>

#include "bench.h"
#include "platform/device_info.h"
#include "platform/host/host.h"
#include "platform/host/port_options.h"
#include "platform/platform_state.h"
#include "render3d/object_readers.h"
#include "render3d/scene3d.h"
#include "render3d/software_renderer.h"
#include "scene/app_canvas.h"
#include "scene/texture.h"

#if __has_include(<GL/osmesa.h>)
#include <GL/gl.h>
#include <GL/osmesa.h>
#include <dlfcn.h>
#define KARROWEN_HAVE_OSMESA 1
#endif

namespace {

constexpr int kMazeSize = 29;
constexpr int kChips = 60;
constexpr int kWarmFrames = 20;
constexpr int kFrames = 300;
constexpr float kStep = 1.0f / 30.0f;
constexpr float kWallHeight = 0.8f;
constexpr uint32_t kFogColour = 0x182028;
constexpr uint32_t kKey = 0xFF00FF;

// ---- The maze -----------------------------------------------------------------------------

struct Cell {
    int col, row;
};

struct Maze {
    bool wall[kMazeSize][kMazeSize];
    std::vector<Cell> path;  // the carving walk, backtracking included: the camera's route
};

// Depth-first carving from (1, 1) with a fixed linear congruential sequence.
Maze MakeMaze() {
    Maze maze;
    for (auto& row : maze.wall) std::fill(std::begin(row), std::end(row), true);
    uint32_t seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    std::vector<Cell> stack{{1, 1}};
    maze.wall[1][1] = false;
    maze.path.push_back({1, 1});
    const int dc[4] = {2, 0, -2, 0}, dr[4] = {0, 2, 0, -2};
    while (!stack.empty()) {
        Cell c = stack.back();
        int options[4], n = 0;
        for (int d = 0; d < 4; ++d) {
            int col = c.col + dc[d], row = c.row + dr[d];
            if (col > 0 && row > 0 && col < kMazeSize - 1 && row < kMazeSize - 1 && maze.wall[row][col]) options[n++] = d;
        }
        if (n == 0) {
            stack.pop_back();
            if (!stack.empty()) {
                Cell back = stack.back();
                maze.path.push_back({(c.col + back.col) / 2, (c.row + back.row) / 2});
                maze.path.push_back(back);
            }
            continue;
        }
        int d = options[next() % uint32_t(n)];
        Cell between{c.col + dc[d] / 2, c.row + dr[d] / 2}, to{c.col + dc[d], c.row + dr[d]};
        maze.wall[between.row][between.col] = maze.wall[to.row][to.col] = false;
        maze.path.push_back(between);
        maze.path.push_back(to);
        stack.push_back(to);
    }
    return maze;
}

Vector3 CellCentre(int col, int row) { return {float(col - kMazeSize / 2), 0.0f, float(row - kMazeSize / 2)}; }

// ---- Textures -------------------------------------------------------------------------------

std::shared_ptr<Texture> MakeTexture(int size, uint32_t (*colourAt)(int x, int y), uint32_t key) {
    auto t = std::make_shared<Texture>(size, size, 0, true);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) host::WritePixel(t->bitmap()->surface(), x, y, colourAt(x, y));
    t->bitmap()->transparentColor = key;
    return t;
}

uint32_t FloorTexel(int x, int y) { return ((x / 8 + y / 8) & 1) ? 0x4A6A3A : 0x5C8048; }
uint32_t WallTexel(int x, int y) {
    int row = y / 8, offset = (row & 1) * 8;
    bool mortar = y % 8 == 0 || (x + offset) % 16 == 0;
    return mortar ? 0x8A8070 : 0xA04830 + uint32_t((x * 7 + y * 3) % 16) * 0x010000;
}
uint32_t ChipTexel(int x, int y) {
    int dx = 2 * x - 15, dy = 2 * y - 15, d = dx * dx + dy * dy;
    return d > 225 ? kKey : d > 100 ? 0xF0C020 : 0xFFF4B0;
}

// ---- The scene --------------------------------------------------------------------------------

struct BenchScene {
    Maze maze = MakeMaze();
    std::shared_ptr<Texture> floor, wall, chip;
    Scene3D* scene = nullptr;
    Matrix4 hero;
    float travelled = 0.0f;  // cells along the path
};

// A quad seen from the side its outward normal points to: the engine keeps
// faces whose computed normal points away from the viewer.
void AddQuad(Mesh3D& mesh, Vector3 p0, Vector3 p1, Vector3 p2, Vector3 p3, Vector3 outward) {
    struct Corner {
        Vector3 p;
        int32_t u, v;
    };
    const int32_t one = 0x10000;
    Corner c[4] = {{p0, 0, one}, {p1, one, one}, {p2, one, 0}, {p3, 0, 0}};
    if (Dot(Cross(p1 - p0, p2 - p1), outward) > 0) std::swap(c[1], c[3]);
    int base = mesh.vertexCount();
    for (const Corner& k : c) mesh.addVertex(k.p.x, k.p.y, k.p.z, k.u, k.v);
    mesh.addFace(base, base + 1, base + 2);
    mesh.addFace(base, base + 2, base + 3);
}

// One object per block of 4 x 4 cells: a floor mesh and a wall mesh, culled
// mesh by mesh.
constexpr int kBlock = 4;

void BuildBlock(BenchScene& b, int col0, int row0) {
    auto isWall = [&](int col, int row) {
        return col < 0 || row < 0 || col >= kMazeSize || row >= kMazeSize || b.maze.wall[row][col];
    };
    auto object = std::make_unique<Object3D>();
    Material3D* floorMaterial = object->addMaterial(u"floor", std::make_unique<Material3D>());
    floorMaterial->texture = b.floor.get();
    Material3D* wallMaterial = object->addMaterial(u"wall", std::make_unique<Material3D>());
    wallMaterial->texture = b.wall.get();
    auto floor = std::make_unique<Mesh3D>();
    auto walls = std::make_unique<Mesh3D>();
    for (int row = row0; row < std::min(row0 + kBlock, kMazeSize); ++row) {
        for (int col = col0; col < std::min(col0 + kBlock, kMazeSize); ++col) {
            Vector3 c = CellCentre(col, row);
            float x0 = c.x - 0.5f, x1 = c.x + 0.5f, z0 = c.z - 0.5f, z1 = c.z + 0.5f, h = kWallHeight;
            if (!isWall(col, row)) {
                AddQuad(*floor, {x0, 0, z0}, {x1, 0, z0}, {x1, 0, z1}, {x0, 0, z1}, {0, 1, 0});
                continue;
            }
            AddQuad(*walls, {x0, h, z0}, {x1, h, z0}, {x1, h, z1}, {x0, h, z1}, {0, 1, 0});
            if (!isWall(col + 1, row)) AddQuad(*walls, {x1, 0, z0}, {x1, h, z0}, {x1, h, z1}, {x1, 0, z1}, {1, 0, 0});
            if (!isWall(col - 1, row)) AddQuad(*walls, {x0, 0, z0}, {x0, h, z0}, {x0, h, z1}, {x0, 0, z1}, {-1, 0, 0});
            if (!isWall(col, row + 1)) AddQuad(*walls, {x0, 0, z1}, {x1, 0, z1}, {x1, h, z1}, {x0, h, z1}, {0, 0, 1});
            if (!isWall(col, row - 1)) AddQuad(*walls, {x0, 0, z0}, {x1, 0, z0}, {x1, h, z0}, {x0, h, z0}, {0, 0, -1});
        }
    }
    floor->material = floorMaterial;
    walls->material = wallMaterial;
    if (floor->vertexCount()) object->addMesh(u"floor", std::move(floor));
    if (walls->vertexCount()) object->addMesh(u"walls", std::move(walls));
    object->cullingPolicy = 2;
    b.scene->addObject(u"block" + host::FromUtf8(std::to_string(row0 * kMazeSize + col0)), object.release());
}

void BuildMaze(BenchScene& b) {
    for (int row = 0; row < kMazeSize; row += kBlock)
        for (int col = 0; col < kMazeSize; col += kBlock) BuildBlock(b, col, row);
}

void BuildChips(BenchScene& b) {
    const size_t stride = b.maze.path.size() / kChips;
    for (int i = 0; i < kChips; ++i) {
        Cell c = b.maze.path[size_t(i) * stride + stride / 2];
        auto chip = BuildChip(1, 1, 2, 0.2f, false, b.chip.get(), nullptr);
        chip->billboard = 1;
        chip->worldMatrix.setTranslation(CellCentre(c.col, c.row) + Vector3{0, 0.3f, 0});
        b.scene->addObject(u"chip" + host::FromUtf8(std::to_string(i)), chip.release());
    }
}

// Moves the followed point along the path, facing where it goes.
void MoveHero(BenchScene& b, float cells) {
    b.travelled += cells;
    const auto& path = b.maze.path;
    float t = std::fmod(b.travelled, float(path.size() - 1));
    size_t i = size_t(t);
    float f = t - float(i);
    Vector3 from = CellCentre(path[i].col, path[i].row), to = CellCentre(path[i + 1].col, path[i + 1].row);
    Vector3 d = to - from;
    if (d.lengthSquared() > 0) {
        d.normalize();
        // Columns of the rotation: right, up, forward (d).
        b.hero.m[0] = d.z, b.hero.m[2] = d.x, b.hero.m[8] = -d.x, b.hero.m[10] = d.z;
    }
    b.hero.setTranslation(from + (to - from) * f + Vector3{0, 0.3f, 0});
}

std::unique_ptr<BenchScene> BuildScene(AppCanvas& canvas, int width, int height) {
    auto b = std::make_unique<BenchScene>();
    b->floor = MakeTexture(32, FloorTexel, 0xFFFFFFFF);
    b->wall = MakeTexture(32, WallTexel, 0xFFFFFFFF);
    b->chip = MakeTexture(16, ChipTexel, kKey);
    b->scene = new Scene3D(0, 0, width, height);
    b->scene->bkgColor = kFogColour;
    canvas.addScene(u"maze", b->scene);
    auto fog = std::make_unique<Fog>();
    fog->front = 5, fog->back = 12, fog->colour = kFogColour;
    b->scene->setFog(std::move(fog));
    BuildMaze(*b);
    BuildChips(*b);
    createPipeline(b->scene, kSoftwarePipeline);
    MoveHero(*b, 0.0f);
    Vector3 behind{0.0f, 1.3f, -1.6f};
    b->scene->camera()->setNavigation(5, &b->hero, 3.2f, 30.0f, behind, nullptr);
    return b;
}

// ---- One frame's triangles, for the comparison ------------------------------------------------

struct GlFrame {
    Matrix4 view;
    std::vector<float> chipQuads;  // x, y, z, u, v per vertex, six per chip
    std::vector<int> meshes;       // indices into the static batches
};

struct GlBatch {
    std::vector<float> vertices;  // x, y, z, u, v
    int texture = 0;              // 0 floor, 1 wall
    Vector3 centre;
    float radius = 0;
    const Object3D* object = nullptr;
};

struct Recording {
    std::vector<GlBatch> batches;
    std::vector<GlFrame> frames;
    std::vector<uint32_t> textures[3];  // 0xRRGGBB, 32 x 32, 32 x 32, 16 x 16
    int focal = 0;
    int width = 0, height = 0;
    size_t triangles = 0;
};

void RecordStatic(const BenchScene& b, Recording& rec) {
    for (int i = 0; i < b.scene->objectCount(); ++i) {
        const Object3D& object = *b.scene->object3DAt(i);
        if (object.billboard) continue;
        for (int m = 0; m < object.meshCount(); ++m) {
            const Mesh3D& mesh = *object.meshAt(m);
            GlBatch batch;
            batch.texture = mesh.material->texture == b.floor.get() ? 0 : 1;
            batch.centre = mesh.centre;
            batch.radius = mesh.radius;
            batch.object = &object;
            for (const Face& f : mesh.faces) {
                for (uint16_t k : {f.a, f.b, f.c}) {
                    const Vertex& v = mesh.vertices[k];
                    batch.vertices.insert(batch.vertices.end(), {float(v.x) / 65536.0f, float(v.y) / 65536.0f,
                                                                 float(v.z) / 65536.0f, float(v.u) / 65536.0f,
                                                                 float(v.v) / 65536.0f});
                }
            }
            rec.batches.push_back(std::move(batch));
        }
    }
    const std::shared_ptr<Texture>* textures[3] = {&b.floor, &b.wall, &b.chip};
    for (int t = 0; t < 3; ++t) {
        const FrameBuffer& fb = *(*textures[t])->bitmap();
        for (int y = 0; y < fb.height; ++y)
            for (int x = 0; x < fb.width; ++x) rec.textures[t].push_back(host::ReadPixel(fb.surface(), x, y));
    }
}

// The meshes the renderer keeps (the same sphere test), and the chips as
// upright quads turned to the camera.
void RecordFrame(BenchScene& b, Recording& rec, const Matrix4& view) {
    Camera& camera = *b.scene->camera();
    GlFrame frame;
    frame.view = view;
    const int32_t near16 = 65536, far16 = TruncToInt(double(camera.farDistance) * 65536.0);
    for (size_t i = 0; i < rec.batches.size(); ++i) {
        Vector3 centre = TransformPoint(frame.view * rec.batches[i].object->worldMatrix, rec.batches[i].centre);
        if (camera.sphereVisible(centre, rec.batches[i].radius, near16, far16)) {
            frame.meshes.push_back(int(i));
            rec.triangles += rec.batches[i].vertices.size() / 15;
        }
    }
    Vector3 right{frame.view.m[0], 0.0f, frame.view.m[2]};
    right.normalize();
    for (int i = 0; i < b.scene->objectCount(); ++i) {
        const Object3D& chip = *b.scene->object3DAt(i);
        if (chip.billboard == 0) continue;
        Vector3 p = chip.worldMatrix.getTranslation();
        Vector3 r = right * 0.2f, u{0.0f, 0.2f, 0.0f};
        const Vector3 corners[4] = {p - r - u, p + r - u, p + r + u, p - r + u};
        const float uv[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
        for (int k : {0, 1, 2, 0, 2, 3})
            frame.chipQuads.insert(frame.chipQuads.end(),
                                   {corners[k].x, corners[k].y, corners[k].z, uv[k][0], uv[k][1]});
        rec.triangles += 2;
    }
    rec.frames.push_back(std::move(frame));
}

// ---- Timing ------------------------------------------------------------------------------------

// Wall and processor time of a run. On a shared machine the wall time
// includes waiting for a processor; the processor time (of every thread of
// the process) does not.
struct Timing {
    double wallMs = 0, cpuMs = 0;  // per frame
};

double CpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

template <typename F>
Timing TimeFrames(int frames, F&& run) {
    double cpu = CpuSeconds();
    double wall = bench::BestSeconds(1, run);
    cpu = CpuSeconds() - cpu;
    return {wall * 1000.0 / frames, cpu * 1000.0 / frames};
}

// ---- Our renderer ---------------------------------------------------------------------------------

struct Result {
    Timing time;
    long faces = 0;         // faces handed to triangle set-up, over all frames
    uint64_t lastFrame = 0;  // hash of the last frame's pixels and depths
};

uint64_t Fnv(uint64_t h, const void* data, size_t bytes) {
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < bytes; ++i) h = (h ^ p[i]) * 0x100000001B3ull;
    return h;
}

// `rec` receives the scene and its frames unless it is null.
Result RunOurs(int width, int height, int threads, Recording* rec) {
    MainWindow main(u"bench");
    main.create(0, 0, width, height);
    auto* canvas = new AppCanvas(u"benchCanvas", true);
    main.addChild(canvas, 0, 0, width, height);
    auto b = BuildScene(*canvas, width, height);
    auto& renderer = *static_cast<SoftwareRenderer*>(b->scene->pipeline());
    renderer.setThreads(threads);
    if (rec) {
        RecordStatic(*b, *rec);
        rec->focal = b->scene->camera()->focalLength();
        rec->width = width, rec->height = height;
    }
    auto step = [&] {
        MoveHero(*b, 3.0f * kStep);
        b->scene->camera()->update(kStep);
        renderer.render(kStep);
    };
    for (int i = 0; i < kWarmFrames; ++i) step();
    // Each frame's view is kept; the triangles it saw are worked out afterwards.
    std::vector<Matrix4> views;
    views.reserve(kFrames);
    Result r;
    r.time = TimeFrames(kFrames, [&] {
        for (int i = 0; i < kFrames; ++i) {
            step();
            views.push_back(b->scene->camera()->viewMatrix());
            r.faces += renderer.stats.facesDrawn;
        }
    });
    if (rec)
        for (const Matrix4& view : views) RecordFrame(*b, *rec, view);
    const FrameBuffer* target = b->scene->target;
    uint64_t hash = 0xCBF29CE484222325ull;
    if (target)
        for (int y = 0; y < target->height; ++y)
            hash = Fnv(hash, target->pixels + intptr_t(y) * target->rowStride, size_t(target->width * target->bytesPerPixel));
    r.lastFrame = Fnv(hash, renderer.depthBuffer().data(), renderer.depthBuffer().size() * 4);
    return r;
}

// ---- OSMesa ------------------------------------------------------------------------------------

#ifdef KARROWEN_HAVE_OSMESA

struct Gl {
    void* library = nullptr;
    decltype(&::OSMesaCreateContextExt) CreateContextExt;
    decltype(&::OSMesaMakeCurrent) MakeCurrent;
    decltype(&::OSMesaDestroyContext) DestroyContext;
    decltype(&::glClearColor) ClearColor;
    decltype(&::glClear) Clear;
    decltype(&::glEnable) Enable;
    decltype(&::glDisable) Disable;
    decltype(&::glViewport) Viewport;
    decltype(&::glMatrixMode) MatrixMode;
    decltype(&::glLoadMatrixf) LoadMatrixf;
    decltype(&::glGenTextures) GenTextures;
    decltype(&::glBindTexture) BindTexture;
    decltype(&::glTexImage2D) TexImage2D;
    decltype(&::glTexParameteri) TexParameteri;
    decltype(&::glTexEnvi) TexEnvi;
    decltype(&::glFogi) Fogi;
    decltype(&::glFogf) Fogf;
    decltype(&::glFogfv) Fogfv;
    decltype(&::glAlphaFunc) AlphaFunc;
    decltype(&::glCullFace) CullFace;
    decltype(&::glFrontFace) FrontFace;
    decltype(&::glDepthFunc) DepthFunc;
    decltype(&::glEnableClientState) EnableClientState;
    decltype(&::glVertexPointer) VertexPointer;
    decltype(&::glTexCoordPointer) TexCoordPointer;
    decltype(&::glDrawArrays) DrawArrays;
    decltype(&::glFinish) Finish;
    decltype(&::glGetString) GetString;

    bool load() {
        library = dlopen("libOSMesa.so.8", RTLD_NOW | RTLD_LOCAL);
        if (!library) library = dlopen("libOSMesa.so", RTLD_NOW | RTLD_LOCAL);
        if (!library) return false;
        bool ok = true;
        auto get = [&](auto& slot, const char* name) { ok &= bench::LoadSymbol(library, slot, name); };
        get(CreateContextExt, "OSMesaCreateContextExt");
        get(MakeCurrent, "OSMesaMakeCurrent");
        get(DestroyContext, "OSMesaDestroyContext");
        get(ClearColor, "glClearColor");
        get(Clear, "glClear");
        get(Enable, "glEnable");
        get(Disable, "glDisable");
        get(Viewport, "glViewport");
        get(MatrixMode, "glMatrixMode");
        get(LoadMatrixf, "glLoadMatrixf");
        get(GenTextures, "glGenTextures");
        get(BindTexture, "glBindTexture");
        get(TexImage2D, "glTexImage2D");
        get(TexParameteri, "glTexParameteri");
        get(TexEnvi, "glTexEnvi");
        get(Fogi, "glFogi");
        get(Fogf, "glFogf");
        get(Fogfv, "glFogfv");
        get(AlphaFunc, "glAlphaFunc");
        get(CullFace, "glCullFace");
        get(FrontFace, "glFrontFace");
        get(DepthFunc, "glDepthFunc");
        get(EnableClientState, "glEnableClientState");
        get(VertexPointer, "glVertexPointer");
        get(TexCoordPointer, "glTexCoordPointer");
        get(DrawArrays, "glDrawArrays");
        get(Finish, "glFinish");
        get(GetString, "glGetString");
        return ok;
    }
};

// Column-major for GL: our row-major matrices transposed.
void LoadMatrix(Gl& gl, const Matrix4& m) {
    float t[16];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) t[c * 4 + r] = m.m[r * 4 + c];
    gl.LoadMatrixf(t);
}

void UploadTexture(Gl& gl, unsigned name, const std::vector<uint32_t>& pixels, int size) {
    std::vector<uint8_t> rgba;
    for (uint32_t p : pixels)
        rgba.insert(rgba.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), uint8_t((p & 0xFFFFFF) == kKey ? 0 : 255)});
    gl.BindTexture(GL_TEXTURE_2D, name);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
}

// Time per frame through OSMesa, or negative times when it cannot run.
Timing RunOsMesa(const Recording& rec, int bits, bool report) {
    Gl gl;
    if (!gl.load()) return {-1, -1};
    const int w = rec.width, h = rec.height;
    GLenum format = bits == 16 ? OSMESA_RGB_565 : OSMESA_BGRA;
    OSMesaContext context = gl.CreateContextExt(format, 24, 0, 0, nullptr);
    if (!context) return {-2, -2};
    std::vector<uint8_t> buffer(size_t(w) * size_t(h) * 4);
    if (!gl.MakeCurrent(context, buffer.data(), bits == 16 ? GL_UNSIGNED_SHORT_5_6_5 : GL_UNSIGNED_BYTE, w, h)) {
        gl.DestroyContext(context);
        return {-3, -3};
    }
    if (report)
        std::printf("    OpenGL: %s, %s\n", reinterpret_cast<const char*>(gl.GetString(GL_RENDERER)),
                    reinterpret_cast<const char*>(gl.GetString(GL_VERSION)));
    unsigned textures[3];
    gl.GenTextures(3, textures);
    UploadTexture(gl, textures[0], rec.textures[0], 32);
    UploadTexture(gl, textures[1], rec.textures[1], 32);
    UploadTexture(gl, textures[2], rec.textures[2], 16);
    gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    gl.Enable(GL_TEXTURE_2D);
    gl.Enable(GL_DEPTH_TEST);
    gl.DepthFunc(GL_LESS);
    gl.Enable(GL_FOG);
    gl.Fogi(GL_FOG_MODE, GL_LINEAR);
    gl.Fogf(GL_FOG_START, 5.0f);
    gl.Fogf(GL_FOG_END, 12.0f);
    const float fog[4] = {float((kFogColour >> 16) & 255) / 255, float((kFogColour >> 8) & 255) / 255,
                          float(kFogColour & 255) / 255, 1};
    gl.Fogfv(GL_FOG_COLOR, fog);
    gl.ClearColor(fog[0], fog[1], fog[2], 1);
    gl.AlphaFunc(GL_GREATER, 0.5f);
    gl.FrontFace(GL_CCW);
    gl.CullFace(GL_BACK);
    gl.Viewport(0, 0, w, h);
    // Our projection: x * f / z pixels from the centre, depth 1 to 10000.
    const float n = 1.0f, f = 10000.0f;
    Matrix4 projection;
    projection.m[0] = 2.0f * float(rec.focal) / float(w);
    projection.m[5] = 2.0f * float(rec.focal) / float(h);
    projection.m[10] = (f + n) / (f - n);
    projection.m[11] = -2.0f * f * n / (f - n);
    projection.m[14] = 1.0f;
    projection.m[15] = 0.0f;
    gl.MatrixMode(GL_PROJECTION);
    LoadMatrix(gl, projection);
    gl.MatrixMode(GL_MODELVIEW);
    gl.EnableClientState(GL_VERTEX_ARRAY);
    gl.EnableClientState(GL_TEXTURE_COORD_ARRAY);

    auto draw = [&](const GlFrame& frame) {
        gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        LoadMatrix(gl, frame.view);
        gl.Enable(GL_CULL_FACE);
        for (int t = 0; t < 2; ++t) {
            gl.BindTexture(GL_TEXTURE_2D, textures[t]);
            for (int i : frame.meshes) {
                const GlBatch& batch = rec.batches[size_t(i)];
                if (batch.texture != t || batch.vertices.empty()) continue;
                gl.VertexPointer(3, GL_FLOAT, 20, batch.vertices.data());
                gl.TexCoordPointer(2, GL_FLOAT, 20, batch.vertices.data() + 3);
                gl.DrawArrays(GL_TRIANGLES, 0, GLsizei(batch.vertices.size() / 5));
            }
        }
        gl.Disable(GL_CULL_FACE);
        gl.Enable(GL_ALPHA_TEST);
        gl.BindTexture(GL_TEXTURE_2D, textures[2]);
        gl.VertexPointer(3, GL_FLOAT, 20, frame.chipQuads.data());
        gl.TexCoordPointer(2, GL_FLOAT, 20, frame.chipQuads.data() + 3);
        gl.DrawArrays(GL_TRIANGLES, 0, GLsizei(frame.chipQuads.size() / 5));
        gl.Disable(GL_ALPHA_TEST);
        gl.Finish();
    };
    for (int i = 0; i < kWarmFrames; ++i) draw(rec.frames[size_t(i) % rec.frames.size()]);
    Timing time = TimeFrames(int(rec.frames.size()), [&] {
        for (const GlFrame& frame : rec.frames) draw(frame);
    });
    gl.DestroyContext(context);
    return time;
}

// Runs RunOsMesa in a child process with llvmpipe's thread count set first.
Timing OsMesaInChild(const Recording& rec, int bits, const char* threads, bool report) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return {-1, -1};
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        if (threads) setenv("LP_NUM_THREADS", threads, 1);
        Timing time = RunOsMesa(rec, bits, report);
        std::fflush(stdout);
        ssize_t written = write(pipeEnds[1], &time, sizeof time);
        _exit(written == sizeof time ? 0 : 1);
    }
    close(pipeEnds[1]);
    Timing time{-1, -1};
    if (child < 0 || read(pipeEnds[0], &time, sizeof time) != sizeof time) time = {-1, -1};
    close(pipeEnds[0]);
    if (child > 0) waitpid(child, nullptr, 0);
    return time;
}

#endif

}  // namespace

// Options: --no-gl skips the OSMesa comparison.
KARROWEN_BENCH(render, "3D maze scene at 240x320 and 480x640, 16 and 32 bits, beside OSMesa") {
    bool compare = true;
    for (int i = 1; i < argc; ++i) compare &= std::strcmp(argv[i], "--no-gl") != 0;
    double load[1] = {0};
    getloadavg(load, 1);
    std::printf("maze %dx%d, %d billboard chips, fog, chase camera; %d frames of %.1f ms game time; load %.1f on %ld processors\n"
                "ms/frame is processor time (all threads); wall time beside it\n",
                kMazeSize, kMazeSize, kChips, kFrames, kStep * 1000.0, load[0], sysconf(_SC_NPROCESSORS_ONLN));
    bool reported = false;
    for (int bits : {16, 32}) {
        host::HostOptions options;
        options.backend = "headless";
        options.clock = "virtual";
        options.profile = "desktop";
        options.depth = bits;
        host::InitializeWith(options);
        DetectDevice();
        Register3DObjectTypes();
        for (auto [w, h] : {std::pair{240, 320}, std::pair{480, 640}}) {
            Recording rec;
            Result ours = RunOurs(w, h, 1, &rec);
            const double perFrame = double(rec.triangles) / double(rec.frames.size());
            const double cpuSeconds = ours.time.cpuMs * kFrames / 1000.0;
            std::printf("%dx%d %d-bit, %.0f triangles sent a frame\n", w, h, bits, perFrame);
            std::printf("    %-24s %7.3f ms/frame (wall %7.3f)  %6.2f M tri/s set up  %6.1f M px/s\n", "karrowen",
                        ours.time.cpuMs, ours.time.wallMs, double(ours.faces) / cpuSeconds / 1e6,
                        double(w) * h * kFrames / cpuSeconds / 1e6);
            // Triangles filled on every processor (at least two), rows split
            // between the threads; the frame must not change.
            const int ourThreads = std::max(2, host::RenderThreads());
            Result split = RunOurs(w, h, ourThreads, nullptr);
            char label[32];
            std::snprintf(label, sizeof label, "karrowen, %d threads", ourThreads);
            std::printf("    %-24s %7.3f ms/frame (wall %7.3f)  last frame %s the one-thread frame\n", label,
                        split.time.cpuMs, split.time.wallMs, split.lastFrame == ours.lastFrame ? "equals" : "DIFFERS FROM");
#ifdef KARROWEN_HAVE_OSMESA
            if (!compare) continue;
            const char* labels[2] = {"OSMesa, 1 thread", "OSMesa, default threads"};
            const char* threads[2] = {"0", nullptr};
            for (int k = 0; k < 2; ++k) {
                Timing gl = OsMesaInChild(rec, bits, threads[k], !reported);
                reported = true;
                if (gl.cpuMs < 0) {
                    std::printf("    %-24s not available (%d)\n", labels[k], int(gl.cpuMs));
                    continue;
                }
                // One thread: processor time against processor time. Several:
                // wall time, the time a player waits.
                double ratio = k == 0 ? gl.cpuMs / ours.time.cpuMs : gl.wallMs / ours.time.wallMs;
                std::printf("    %-24s %7.3f ms/frame (wall %7.3f)  %6.2f M tri/s sent    -> karrowen %.2fx as fast (%s)\n",
                            labels[k], gl.cpuMs, gl.wallMs, perFrame / (k == 0 ? gl.cpuMs : gl.wallMs) / 1e3, ratio,
                            k == 0 ? "processor time" : "wall time");
                if (k == 1)
                    std::printf("    %-24s -> karrowen on %d threads %.2fx as fast (wall time)\n", "", ourThreads,
                                gl.wallMs / split.time.wallMs);
            }
#else
            if (compare) std::printf("    OSMesa comparison not built (install libosmesa6-dev)\n");
#endif
        }
        ResetPlatform();
    }
    return 0;
}
