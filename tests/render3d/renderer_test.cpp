// The software renderer: clipping, depth, colour keys, alpha textures, fog,
// light maps, blending, billboards, culling, levels of detail, wire frames.
// Every test runs at 16 and at 32 bits per pixel.

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "render3d/subdivision_drawer.h"
#include "render3d_fixture.h"
#include "scene/image_cache.h"
#include "scene/image_ops.h"
#include "scene/texture.h"

namespace {

using namespace r3test;

constexpr int kSize = 64;  // scenes are 64 x 64; a unit at depth 10 is 7.7 pixels

class RendererTest : public Render3DTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override { startHost(GetParam()); }

    Scene3D* scene() {
        if (!scene_) scene_ = makeScene(kSize, kSize, 0x000000);
        return scene_;
    }
    Object3D* add(const char16_t* name, std::unique_ptr<Object3D> object) {
        Object3D* raw = object.release();
        scene()->addObject(name, raw);
        return raw;
    }
    void frame() { render(scene()); }
    int depth(int x, int y) { return renderer(scene()).depthAt(x, y); }
    const RenderStats& stats() { return renderer(scene()).stats; }

    // A texture of the given 0xRRGGBB pixels, owned by the object.
    Texture* texture(Object3D& owner, int w, int h, const std::vector<uint32_t>& pixels) {
        auto t = std::make_shared<Texture>(w, h, 0, true);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) host::WritePixel(t->bitmap()->surface(), x, y, pixels[size_t(y * w + x)]);
        owner.ownedTextures.push_back(t);
        return t.get();
    }

    // One triangle, two-sided, in one colour.
    std::unique_ptr<Object3D> triangle(Vector3 a, Vector3 b, Vector3 c, uint32_t colour) {
        auto object = std::make_unique<Object3D>();
        Material3D* m = object->addMaterial(u"m", std::make_unique<Material3D>());
        m->colour = colour;
        m->twoSided = true;
        auto mesh = std::make_unique<Mesh3D>();
        for (const Vector3& p : {a, b, c}) mesh->addVertex(p.x, p.y, p.z, 0, 0);
        mesh->addFace(0, 1, 2);
        mesh->material = m;
        object->addMesh(u"tri", std::move(mesh));
        return object;
    }

    int countPixels(uint32_t rgb, int x0 = 0, int y0 = 0, int x1 = kSize, int y1 = kSize) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += pixel(x, y) == stored(rgb);
        return n;
    }

    uint32_t rgb565(int r, int g, int b) { return host::Rgb565ToRgb(uint16_t(r << 11 | g << 5 | b)); }

private:
    Scene3D* scene_ = nullptr;
};

INSTANTIATE_TEST_SUITE_P(Depths, RendererTest, ::testing::Values(16, 32),
                         [](const auto& info) { return std::to_string(info.param) + "bit"; });

TEST_P(RendererTest, FacesCrossingTheNearPlaneAreClippedIntoTriangles) {
    // The same face listed from each of its corners: every clip case.
    const Vector3 corners[3] = {{-1, -1, 0}, {1, -1, 0}, {0, 1, -9.5f}};
    for (int r = 0; r < 3; ++r) {
        SCOPED_TRACE("first corner " + std::to_string(r));
        scene()->clearObjects();
        Object3D* t = add(u"t", triangle(corners[r], corners[(r + 1) % 3], corners[(r + 2) % 3], 0xFF0000));
        auto cornerVertex = [&](int corner) -> Vertex& { return t->meshAt(0)->vertices[size_t((corner - r + 3) % 3)]; };
        frame();
        EXPECT_EQ(stats().clipTriangles, 2);
        EXPECT_EQ(stats().facesDrawn, 2);
        EXPECT_EQ(stats().clipDroppedTriangles, 0);
        EXPECT_EQ(pixel(32, 36), stored(0xFF0000));
        // The cut edges meet the near plane 0.05 either side of the middle: the
        // face narrows upward from its base (x 24 ... 39) and stays inside it.
        EXPECT_EQ(countPixels(0xFF0000, 0, 0, 22, kSize) + countPixels(0xFF0000, 42, 0, kSize, kSize), 0);
        EXPECT_GT(depth(32, 36), 1);  // on the way toward the near vertex
        EXPECT_LT(depth(32, 36), 10);
        // Two behind: one triangle, from the base's left corner up and right.
        cornerVertex(1).z = -9 * 65536 - 32768;
        frame();
        EXPECT_EQ(stats().clipTriangles, 1);
        EXPECT_EQ(stats().facesDrawn, 1);
        EXPECT_EQ(pixel(30, 36), stored(0xFF0000));
        // All three behind: rejected by the shared clip-code bit.
        cornerVertex(0).z = -9 * 65536 - 32768;
        frame();
        EXPECT_EQ(stats().facesDrawn, 0);
        EXPECT_EQ(countPixels(0xFF0000), 0);
    }

    // A vertex exactly at the near distance is not clipped; a hair nearer is.
    scene()->clearObjects();
    Object3D* t = add(u"t", triangle({-1, -1, 0}, {1, -1, 0}, {0, 1, -9.0f}, 0xFF0000));
    frame();
    const Vertex& atNear = t->meshAt(0)->vertices[2];
    EXPECT_EQ(atNear.cz, 65536);
    EXPECT_EQ(atNear.clip & kClipNear, 0);
    EXPECT_EQ(stats().clipTriangles, 0);
    EXPECT_EQ(stats().facesDrawn, 1);
    t->meshAt(0)->vertices[2].z -= 1 << 9;
    frame();
    EXPECT_EQ(t->meshAt(0)->vertices[2].clip, kClipNear);
    EXPECT_EQ(stats().clipTriangles, 2);

    // One vertex or two 0.01 behind the plane, the others 0.02 in front:
    // |dz| < 1/16 on the cut edges drops the face.
    for (auto [zAB, zC] : {std::pair{-8.98f, -9.01f}, std::pair{-9.01f, -8.98f}}) {
        scene()->clearObjects();
        add(u"t", triangle({-1, -1, zAB}, {1, -1, zAB}, {0, 1, zC}, 0xFF0000));
        frame();
        EXPECT_EQ(stats().clipDroppedTriangles, 1) << zAB;
        EXPECT_EQ(stats().facesDrawn, 0) << zAB;
    }

    // A triangle on one screen row draws nothing and writes no depth.
    scene()->clearObjects();
    add(u"t", triangle({-1, 0, 0}, {1, 0, 0}, {0, 0, 3}, 0xFF0000));
    frame();
    EXPECT_EQ(stats().facesDrawn, 1);
    EXPECT_EQ(countPixels(0xFF0000), 0);
    for (int x = 0; x < kSize; ++x) ASSERT_EQ(depth(x, 32), 65535) << x;
}

// Lit by its vertex normals, a face cut by the near plane takes, at the cut,
// normals between its corners': here the corners in front face the light
// more than the one behind, so the face darkens toward the cut.
TEST_P(RendererTest, AFaceCutByTheNearPlaneBlendsItsNormalsAtTheCut) {
    auto light = std::make_unique<Light>();
    light->setDirection({0, 0, 1});
    scene()->addLight(u"sun", std::move(light));
    renderer(scene()).rebuildLightMaps();
    auto object = triangle({-1, -1, 0}, {1, -1.5f, 0}, {0, 1, -9.5f}, 0xFFFFFF);
    object->materials[0]->shadingMode = 3;
    Mesh3D& mesh = *object->meshAt(0);
    mesh.addVertex(0, -3, 0, 0, 0);  // a second face, facing the camera, turns the front corners' normals to it
    mesh.addFace(0, 3, 1);
    add(u"t", std::move(object));
    frame();
    ASSERT_EQ(stats().clipTriangles, 2);
    auto level = [&](int y) { return pixel(32, y) & 0xFF; };
    EXPECT_LT(level(2), level(38));
    // The levels themselves, which a cut keeping a front corner's sideways
    // normal would change too.
    EXPECT_EQ(std::pair(level(0), level(18)), bits() == 16 ? std::pair(0x42u, 0x63u) : std::pair(0x48u, 0x6Cu));
}

TEST_P(RendererTest, OfTwoFacesAtTheSameDepthTheFirstDrawnWins) {
    // One mesh, two coincident quads reading different texels.
    auto object = MakeQuad(1.0f, 0.0f, 0xFFFFFF);
    Mesh3D& mesh = *object->meshAt(0);
    mesh.material->texture = texture(*object, 2, 1, {0xFF0000, 0x0000FF});
    for (int i = 0; i < 4; ++i) mesh.vertices[size_t(i)].u = 0x4000;  // texel 0
    for (int i = 0; i < 4; ++i) {
        Vertex copy = mesh.vertices[size_t(i)];
        copy.u = 0xC000;  // texel 1
        mesh.vertices.push_back(copy);
    }
    mesh.addFace(4, 5, 6);
    mesh.addFace(4, 6, 7);
    add(u"q", std::move(object));
    frame();
    EXPECT_EQ(pixel(32, 32), stored(0xFF0000));
    EXPECT_EQ(countPixels(0x0000FF), 0);
    // The copies at the same places share the first ones' transforms.
    EXPECT_FALSE(mesh.shareList.empty());
    EXPECT_EQ(stats().verticesTransformed, 4);
}

TEST_P(RendererTest, ATexelOfTheTransparentColourLeavesColourAndDepth) {
    for (bool fastPath : {true, false}) {
        SCOPED_TRACE(fastPath ? "fast path" : "full path");
        if (!fastPath) {
            auto fog = std::make_unique<Fog>();
            fog->front = 1000, fog->back = 2000;  // forces the full path, changes nothing
            scene()->setFog(std::move(fog));
        }
        scene()->clearObjects();
        add(u"back", MakeQuad(4.0f, 10.0f, 0x0000FF));
        auto front = MakeQuad(1.0f, 0.0f, 0);
        Material3D& m = *front->materials[0];
        m.texture = texture(*front, 2, 2, {0xFF00FF, 0x00FF00, 0x00FF00, 0x00FF00});
        m.texture->bitmap()->transparentColor = 0xFF00FF;
        m.adoptTextureKey();
        add(u"front", std::move(front));
        frame();
        EXPECT_EQ(pixel(28, 28), stored(0x0000FF));  // the keyed quarter
        EXPECT_EQ(depth(28, 28), 20);
        EXPECT_EQ(pixel(36, 36), stored(0x00FF00));
        EXPECT_EQ(depth(36, 36), 10);
    }
}

TEST_P(RendererTest, AlphaTextureWhiteIsOpaqueBlackShowsTheFrameBuffer) {
    add(u"back", MakeQuad(4.0f, 10.0f, 0x0000FF));
    auto front = MakeQuad(1.0f, 0.0f, 0);
    Material3D& m = *front->materials[0];
    m.texture = texture(*front, 4, 1, std::vector<uint32_t>(4, 0x00FF00));
    m.alphaTexture = texture(*front, 4, 1, {0xFFFFFF, 0x000000, 0x808080, 0xFFFFFF});
    add(u"front", std::move(front));
    frame();
    // Columns of the quad (x 25..38): white, black, grey, white alpha.
    EXPECT_EQ(pixel(26, 32), stored(0x00FF00));
    EXPECT_EQ(pixel(29, 32), stored(0x0000FF));
    // Grey 0x8410 in 5-6-5 gives opacity 64 + 32 + 32 = 128.
    EXPECT_EQ(pixel(33, 32), bits() == 16 ? rgb565(0, 31, 15) : 0x007F7Fu);
    EXPECT_EQ(pixel(37, 32), stored(0x00FF00));
}

TEST_P(RendererTest, FogAtFrontBackAndBeyond) {
    auto fog = std::make_unique<Fog>();
    fog->front = 10, fog->back = 20, fog->colour = 0x808080;
    scene()->setFog(std::move(fog));
    Object3D* q = add(u"q", MakeQuad(1.0f, 0.0f, 0xFF0000));
    q->meshAt(0)->fogEndColour = 0xFF00FF;
    auto at = [&](float depth) {
        q->worldMatrix.setTranslation({0, 0, depth - 10.0f});
        frame();
        return pixel(32, 32);
    };
    EXPECT_EQ(at(10), stored(0xFF0000));   // at front: unfogged
    EXPECT_EQ(at(20), stored(0x808080));   // at back: the fog colour only
    EXPECT_EQ(at(25), stored(0xFF00FF));   // beyond: the fog end colour
    // Half way: weight ((20 - 15) * 6553) >> 8 = 127 of the pixel's colour.
    EXPECT_EQ(at(15), bits() == 16 ? rgb565(23, 16, 8) : 0xBF4040u);
    q->meshAt(0)->fogEndColour = 0xFFFFFFFF;
    EXPECT_EQ(at(25), stored(0x808080));
    q->meshAt(0)->environment = false;
    EXPECT_EQ(at(25), stored(0xFF0000));
    // A fog with no depth between its front and back divides by nothing.
    auto wall = std::make_unique<Fog>();
    wall->front = wall->back = 20, wall->colour = 0x808080;
    scene()->setFog(std::move(wall));
    q->meshAt(0)->environment = true;
    EXPECT_EQ(at(15), stored(0xFF0000));
}

TEST_P(RendererTest, WithoutLightsAndAmbientTheLightMapIsBlack) {
    const uint32_t* map = renderer(scene()).diffuseMap();
    for (int i = 0; i < 4096; ++i) ASSERT_EQ(map[i], 0u) << i;
    Object3D* q = add(u"q", MakeQuad(1.0f, 0.0f, 0xFF0000, 3));
    frame();
    EXPECT_EQ(pixel(32, 32), 0u);
    q->setDetailLevel(4);
    frame();
    EXPECT_EQ(pixel(32, 32), 0u);
    // A mode out of range is drawn unlit and unblended, as mode 1.
    q->materials[0]->alpha = 128;
    for (int mode : {0, 6}) {
        q->setDetailLevel(mode);
        frame();
        EXPECT_EQ(pixel(32, 32), stored(0xFF0000)) << "mode " << mode;
    }
    q->materials[0]->alpha = 0;
    // Mode 5 still adds its constant colour.
    q->setDetailLevel(5);
    q->materials[0]->secondColour = 0x204060;
    frame();
    EXPECT_EQ(pixel(32, 32), stored(0x204060));
    q->materials[0]->alpha = 1;  // a 256th of the black beneath
    frame();
    EXPECT_EQ(pixel(32, 32), stored(0x1F3F5F));
    q->materials[0]->alpha = 0;
    // An environment map's texel is added instead: normals facing the camera
    // give light-map coordinates (127, 127); the mask min(min(4 - 1, 4) - 1,
    // 255) = 2 keeps texel (2, 2).
    std::vector<uint32_t> environment(16, 0x102030);
    environment[2 * 4 + 2] = 0x306090;
    q->materials[0]->secondColour = 0;
    q->materials[0]->environmentTexture = texture(*q, 4, 4, environment);
    frame();
    EXPECT_EQ(pixel(32, 32), stored(0x306090));
}

TEST_P(RendererTest, LightMapsFollowTheLightAndLightTheFacesTurnedToIt) {
    auto light = std::make_unique<Light>();
    light->setDirection({0, 0, 1});  // travelling away from the camera
    scene()->addLight(u"sun", std::move(light));
    renderer(scene()).rebuildLightMaps();
    const uint32_t centre = 32 * 64 + 32;
    // Straight on: 255 * 255 >> 8 = 254 per channel; specular saturates.
    EXPECT_EQ(renderer(scene()).diffuseMap()[centre], bits() == 16 ? 0xFFFFu : 0xFEFEFEu);
    EXPECT_EQ(renderer(scene()).specularMap()[centre], bits() == 16 ? 0xFFFFu : 0xFFFFFFu);
    Object3D* q = add(u"q", MakeQuad(1.0f, 0.0f, 0xFF0000, 3));
    frame();
    // The quad's normals index entry (31, 31), lit at 253.
    EXPECT_EQ(pixel(32, 32), bits() == 16 ? rgb565(30, 0, 0) : 0xFC0000u);
    // Drawn into a 32-bit target, the maps are made again in its format.
    FrameBuffer wide(kSize, kSize, false);
    FrameBuffer* canvasTarget = std::exchange(scene()->target, &wide);
    frame();
    scene()->target = canvasTarget;
    EXPECT_EQ(renderer(scene()).diffuseMap()[centre], 0xFEFEFEu);
    EXPECT_EQ(host::ReadPixel(wide.surface(), 32, 32), 0xFC0000u);
    q->materials[0]->flatLighting = true;
    frame();
    EXPECT_NE(pixel(32, 32), 0u);
    // A highlight on a bright surface saturates each channel: white, not a
    // sum carried from one channel into the next.
    q->materials[0]->colour = 0xFFFFFF;
    q->materials[0]->flatLighting = false;
    for (int mode : {4, 5}) {
        q->setDetailLevel(mode);
        frame();
        EXPECT_EQ(pixel(32, 32), stored(0xFFFFFF)) << "mode " << mode;
    }
    // Turned away, even a light whose highlight spreads wide adds nothing.
    scene()->findLight(u"sun")->setDirection({0, 0, -1});
    scene()->findLight(u"sun")->shininess = 40960;
    renderer(scene()).rebuildLightMaps();
    EXPECT_EQ(renderer(scene()).specularMap()[centre], 0u);
    frame();
    EXPECT_EQ(pixel(32, 32), 0u);
}

TEST_P(RendererTest, BlendedMeshesStopDepthWritesUnlessTheirModeIs1Or3) {
    add(u"back", MakeQuad(4.0f, 10.0f, 0x0000FF));
    Object3D* glass = add(u"glass", MakeQuad(1.0f, 0.0f, 0xFF0000, 2));
    glass->materials[0]->alpha = 128;
    frame();
    EXPECT_EQ(pixel(32, 32), bits() == 16 ? rgb565(15, 0, 15) : 0x7F007Fu);
    EXPECT_EQ(depth(32, 32), 20);
    glass->setDetailLevel(1);  // not opaque, but mode 1: depth stays written, alpha unused
    frame();
    EXPECT_EQ(pixel(32, 32), stored(0xFF0000));
    EXPECT_EQ(depth(32, 32), 10);
    // Mode 4 blends its lit colour (black without lights) with what lies behind.
    glass->setDetailLevel(4);
    frame();
    EXPECT_EQ(pixel(32, 32), bits() == 16 ? rgb565(0, 0, 15) : 0x00007Fu);
    EXPECT_EQ(depth(32, 32), 20);
    // Textured, mode 2 still blends.
    glass->setDetailLevel(2);
    glass->materials[0]->texture = texture(*glass, 1, 1, {0xFF0000});
    frame();
    EXPECT_EQ(pixel(32, 32), bits() == 16 ? rgb565(15, 0, 15) : 0x7F007Fu);
    // The farthest blended mesh decides for them all: behind a mode-1 pane
    // the glass writes its depth again.
    add(u"pane", MakeQuad(2.0f, 5.0f, 0x00FF00))->materials[0]->alpha = 128;
    frame();
    EXPECT_EQ(depth(32, 32), 10);
}

// Culling mesh by mesh spares the transforms of a mesh out of view, and a
// mesh whose corners all differ keeps no list of shared ones.
TEST_P(RendererTest, AMeshCulledOnItsOwnIsNotTransformed) {
    Object3D* q = add(u"q", MakeQuad(1.0f, 0.0f, 0xFF0000));
    auto aside = std::make_unique<Mesh3D>();
    for (auto [x, y] : {std::pair{39, -1}, {41, -1}, {41, 1}}) aside->addVertex(float(x), float(y), 0, 0, 0);
    aside->addFace(0, 1, 2);
    aside->material = q->materials[0].get();
    q->addMesh(u"aside", std::move(aside));
    q->cullingPolicy = kCullEachMesh;
    q->radius = 50.0f;
    frame();
    EXPECT_EQ(stats().verticesTransformed, 4);
    EXPECT_TRUE(q->meshAt(0)->shareList.empty());
}

TEST_P(RendererTest, TransparentMeshesAreDrawnFarthestFirst) {
    Object3D* near = add(u"near", MakeQuad(1.0f, 0.0f, 0xFF0000, 2));
    Object3D* far = add(u"far", MakeQuad(1.0f, 2.0f, 0x0000FF, 2));
    near->materials[0]->alpha = far->materials[0]->alpha = 128;
    frame();
    EXPECT_EQ(pixel(32, 32), bits() == 16 ? rgb565(15, 0, 7) : 0x7F003Fu);
    // A positive bias sorts a mesh as farther: half a unit of it outweighs
    // the three tenths that part the two, and red goes first.
    far->worldMatrix.setTranslation({0, 0, -1.7f});
    near->meshAt(0)->depthBias = 0.5f;
    frame();
    EXPECT_EQ(pixel(32, 32), bits() == 16 ? rgb565(7, 0, 15) : 0x3F007Fu);
}

TEST_P(RendererTest, TheObjectsOwnNearAndFarClipIt) {
    Object3D* q = add(u"q", MakeQuad(1.0f, 0.0f, 0xFF0000));
    for (auto [nearOverride, farOverride, drawn] : {std::tuple{0.0f, 9.5f, false}, std::tuple{0.0f, 10.5f, true},
                                                    std::tuple{10.5f, 0.0f, false}, std::tuple{9.5f, 0.0f, true}}) {
        q->nearOverride = nearOverride;
        q->farOverride = farOverride;
        frame();
        EXPECT_EQ(countPixels(0xFF0000) > 0, drawn) << "near " << nearOverride << ", far " << farOverride;
    }
    EXPECT_EQ(q->meshAt(0)->vertices[0].depth, 10) << "whole units in front of the camera";
    // Far off the screen, a corner's place is held to -4096 ... 4095.
    const Object3D* wide = add(u"wide", MakeQuad(1000.0f, 0.0f, 0x00FF00));
    frame();
    const std::vector<Vertex>& corners = wide->meshAt(0)->vertices;
    EXPECT_EQ((std::array{corners[0].sx, corners[0].sy, corners[2].sx, corners[2].sy}),
              (std::array{-4096, 4095, 4095, -4096}));
}

TEST_P(RendererTest, TextureOffsetsShiftTheTexture) {
    // A 4 x 4 texture of distinct texels; the quad shows it once, so the
    // pixels near its corners read texels (0, 0) and (3, 3).
    auto colour = [](int column, int row) { return uint32_t(column * 60) << 16 | uint32_t(row * 60) << 8 | 0x40; };
    std::vector<uint32_t> texels;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) texels.push_back(colour(column, row));
    auto object = MakeQuad(1.0f, 0.0f, 0);
    Material3D& m = *object->materials[0];
    m.texture = texture(*object, 4, 4, texels);
    add(u"q", std::move(object));
    auto corners = [&] {
        frame();
        return std::vector<uint32_t>{pixel(26, 26), pixel(38, 38)};
    };
    auto texel = [&](int column, int row) { return stored(colour(column, row)); };
    EXPECT_EQ(corners(), (std::vector<uint32_t>{texel(0, 0), texel(3, 3)}));
    m.offsetU = 0x4000;  // a quarter of the texture: one texel, wrapping around
    EXPECT_EQ(corners(), (std::vector<uint32_t>{texel(1, 0), texel(0, 3)}));
    m.offsetU = 0;
    m.offsetV = 0x4000;
    EXPECT_EQ(corners(), (std::vector<uint32_t>{texel(0, 1), texel(3, 0)}));
}

TEST_P(RendererTest, BackFacesAreDroppedUnlessTwoSidedAndTheFaceRangeWraps) {
    Object3D* q = add(u"q", MakeQuad(1.0f, 0.0f, 0xFF0000));
    Mesh3D& mesh = *q->meshAt(0);
    for (Face& f : mesh.faces) std::swap(f.b, f.c);
    mesh.prepared = false;
    frame();
    EXPECT_EQ(countPixels(0xFF0000), 0);
    q->materials[0]->twoSided = true;
    frame();
    EXPECT_EQ(pixel(32, 32), stored(0xFF0000));
    mesh.addFace(0, 1, 2);  // faces 2 and 3 repeat 0 and 1
    mesh.addFace(0, 2, 3);
    mesh.prepared = false;
    mesh.faceFirst = 3;
    mesh.faceEnd = 1;
    frame();
    EXPECT_EQ(stats().facesDrawn, 2);
    mesh.faceFirst = 1;
    mesh.faceEnd = 3;
    frame();
    EXPECT_EQ(stats().facesDrawn, 2);
    mesh.faceFirst = 3;  // an empty range
    frame();
    EXPECT_EQ(stats().facesDrawn, 0);
    mesh.faceFirst = 2, mesh.faceEnd = 0;  // from the third to the last
    frame();
    EXPECT_EQ(stats().facesDrawn, 2);
    mesh.faceFirst = -1;
    frame();
    EXPECT_EQ(stats().facesDrawn, 4);

    // A sliver right of the middle, seen almost edge on (its plane passes 0.5
    // from the eye): only its side turned to the eye is drawn.
    for (bool reversed : {false, true}) {
        scene()->clearObjects();
        auto sliver = triangle({1.25f, -1, -5}, {1.25f, 1, -5}, {2.75f, 0, 5}, 0x00FF00);
        sliver->materials[0]->twoSided = false;
        if (reversed) std::swap(sliver->meshAt(0)->faces[0].b, sliver->meshAt(0)->faces[0].c);
        add(u"s", std::move(sliver));
        frame();
        EXPECT_EQ(countPixels(0x00FF00) > 0, !reversed) << (reversed ? "reversed" : "as listed");
    }
}

TEST_P(RendererTest, LevelOfDetailFollowsDepthOverSegment) {
    Object3D* tree = add(u"tree", MakeQuad(1.0f, 0.0f, 0xFF0000));
    std::vector<std::unique_ptr<Object3D>> levels;
    levels.push_back(MakeQuad(1.0f, 0.0f, 0x00FF00));
    levels.push_back(MakeQuad(1.0f, 0.0f, 0x0000FF));
    tree->attachLevels(std::move(levels), 4.0f);
    auto at = [&](float depth) {
        tree->worldMatrix.setTranslation({0, 0, depth - 10.0f});
        frame();
        return pixel(32, 32);
    };
    EXPECT_EQ(at(3), stored(0xFF0000));   // trunc(3 / 4) - 1 < 0: its own meshes
    EXPECT_EQ(at(7), stored(0x00FF00));   // level 0
    EXPECT_EQ(at(10), stored(0x0000FF));  // level 1
    EXPECT_EQ(at(30), stored(0x0000FF));  // beyond the last: the last
    tree->segment = 0;  // no segment: no levels
    EXPECT_EQ(at(10), stored(0xFF0000));
}

TEST_P(RendererTest, WireFramesDrawEdgesOnly) {
    Object3D* q = add(u"q", MakeQuad(1.0f, 0.0f, 0xFFFF00));
    q->materials[0]->wireFrame = true;
    frame();
    EXPECT_EQ(pixel(29, 29), 0u);
    EXPECT_EQ(pixel(25, 32), stored(0xFFFF00));
    EXPECT_EQ(depth(25, 32), 10);
    q->materials[0]->wireFrameMask = 0;
    frame();
    EXPECT_EQ(countPixels(0xFFFF00), 0);
    // Bit 0 is each triangle's edge P1-P2: the right side of face (0, 1, 2) and
    // the top of face (0, 2, 3); bit 2 is P0-P1: the bottom and the diagonal.
    for (auto [mask, drawn] : {std::pair{1, "right top"}, {4, "bottom diagonal"}}) {
        q->materials[0]->wireFrameMask = mask;
        frame();
        std::string seen;
        for (auto [x0, y0, x1, y1, name] : {std::tuple{37, 28, 43, 37, "right"}, {28, 21, 37, 28, "top"},
                                            {21, 28, 28, 37, "left"}, {28, 37, 37, 43, "bottom"}, {29, 29, 36, 36, "diagonal"}})
            if (countPixels(0xFFFF00, x0, y0, x1, y1) > 0) seen += (seen.empty() ? "" : " ") + std::string(name);
        EXPECT_EQ(seen, drawn) << "mask " << mask;
    }
}

TEST_P(RendererTest, ADepthProviderHidesWhatLiesBehindItsPixels) {
    Scene3D* provider = scene();
    add(u"near", MakeQuad(0.5f, 0.0f, 0xFF0000));
    Scene3D* overlay = makeScene(kSize, kSize, 0x000000);
    overlay->zBufferProvider = provider;
    auto far = MakeQuad(3.0f, 5.0f, 0x00FF00);
    overlay->addObject(u"far", far.release());
    render(provider);
    render(overlay);
    EXPECT_EQ(pixel(32, 32), 0u);  // hidden: the overlay's background shows
    EXPECT_EQ(pixel(32, 45), stored(0x00FF00));
    EXPECT_EQ(renderer(overlay).depthAt(32, 32), 10);
    for (auto [x, y] : {std::pair{-1, 0}, std::pair{0, -1}, std::pair{kSize, 0}, std::pair{0, kSize}})
        EXPECT_EQ(renderer(overlay).depthAt(x, y), -1) << "outside the viewport: " << x << "," << y;
    // Every row of the provider's depth is taken, the first and the last too.
    provider->clearObjects();
    add(u"wall", MakeQuad(10.0f, 0.0f, 0xFF0000));
    overlay->clearObjects();
    overlay->addObject(u"far", MakeQuad(20.0f, 5.0f, 0x00FF00).release());
    render(provider);
    render(overlay);
    EXPECT_EQ(std::pair(pixel(32, 0), pixel(32, kSize - 1)), std::pair(0u, 0u));
    // A provider the canvas does not hold hides nothing.
    Scene3D stray(0, 0, kSize, kSize);
    overlay->zBufferProvider = &stray;
    render(overlay);
    EXPECT_EQ(pixel(32, 32), stored(0x00FF00));
    overlay->zBufferProvider = nullptr;
}

TEST_P(RendererTest, WithoutABackgroundTheFrameIsDrawnOverWhatTheTargetHoldsClippedToTheCanvas) {
    // The game draws its backdrop onto the scene's target before the scene.
    scene()->bkgColor = 0xFFFFFFFF;
    fill(target(), 0x336699, 0, 0, -1, -1, true);
    add(u"q", MakeQuad(1.0f, 0.0f, 0xFF0000));
    frame();
    EXPECT_EQ(pixel(0, 0), stored(0x336699));
    EXPECT_EQ(pixel(32, 32), stored(0xFF0000));
    scene()->bkgColor = 0x102030;
    frame();
    EXPECT_EQ(pixel(0, 0), stored(0x102030));
    EXPECT_EQ(pixel(63, 63), stored(0x102030));
    EXPECT_EQ(pixel(64, 0), stored(0x336699));  // outside the scene the canvas is untouched

    auto* s = new Scene3D(-32, 200, kSize, kSize);
    canvas->addScene(u"edge", s);
    createPipeline(s, kSoftwarePipeline);
    s->addObject(u"q", MakeQuad(1.0f, 0.0f, 0xFF0000).release());
    // Drawn in place first, then moved half off the canvas.
    s->x = 100;
    render(s);
    fill(target(), 0x336699, 0, 0, -1, -1, true);
    s->x = -32;
    render(s);
    // The quad's centre lands on canvas (0, 232); the scene has no background.
    EXPECT_EQ(pixel(0, 232), stored(0xFF0000));
    EXPECT_EQ(pixel(20, 210), stored(0x336699));
    EXPECT_EQ(pixel(33, 232), stored(0x336699));
    s->bkgColor = 0x102030;
    render(s);
    EXPECT_EQ(pixel(20, 210), stored(0x102030));
    EXPECT_EQ(pixel(0, 200), stored(0x102030));  // the private buffer's first row and column
    EXPECT_EQ(pixel(32, 210), stored(0x336699));
    EXPECT_EQ(renderer(s).depthAt(32, 32), 10);
    // Its right half lands on the canvas pixel for pixel as when it is drawn in place.
    std::vector<uint32_t> half;
    for (int y = 200; y < 200 + kSize; ++y)
        for (int x = 0; x < kSize / 2; ++x) half.push_back(pixel(x, y));
    s->x = 100;
    render(s);
    for (int y = 200, i = 0; y < 200 + kSize; ++y)
        for (int x = 0; x < kSize / 2; ++x, ++i) ASSERT_EQ(pixel(132 + x, y), half[size_t(i)]) << x << "," << y;
    // Nothing spills round the canvas's edges into the neighbouring rows.
    const int w = target().width, h = target().height;
    EXPECT_EQ(pixel(w - 1, 210), stored(0x336699));
    auto* corner = new Scene3D(w - 32, h - 32, kSize, kSize);
    corner->bkgColor = 0x000000;
    canvas->addScene(u"corner", corner);
    createPipeline(corner, kSoftwarePipeline);
    render(corner);
    EXPECT_EQ(pixel(w - 1, h - 1), 0u);
    EXPECT_EQ(pixel(0, h - 31), stored(0x336699));
    // A view one pixel wide is drawn too.
    fill(target(), 0x336699, 0, 0, -1, -1, true);
    corner->camera()->viewportWidth = 1;
    render(corner);
    EXPECT_EQ(std::pair(pixel(w - 32, h - 1), pixel(w - 31, h - 1)), std::pair(0u, stored(0x336699)));

    // A buffered scene draws into its own buffer, not onto the canvas.
    auto* kept = new Scene3D(0, 0, kSize, kSize);
    kept->buffered = true;
    canvas->addScene(u"kept", kept);
    createPipeline(kept, kSoftwarePipeline);
    kept->addObject(u"q", MakeQuad(1.0f, 0.0f, 0x00FF00).release());
    render(kept);
    ASSERT_TRUE(kept->buffer);
    EXPECT_EQ(host::ReadPixel(kept->buffer->surface(), 32, 32), stored(0x00FF00));
    kept->width = 32;  // a buffer of the new size before the next frame
    render(kept);
    EXPECT_EQ(kept->buffer->width, 32);
    EXPECT_EQ(pixel(32, 32), stored(0x336699));

    // A view grown taller at the same width gets a taller private buffer:
    // the first, shorter one would end the frame above the quad's centre row.
    auto* tall = new Scene3D(-32, 200, kSize, kSize);
    canvas->addScene(u"tall", tall);
    createPipeline(tall, kSoftwarePipeline);
    tall->addObject(u"q", MakeQuad(1.0f, 0.0f, 0xFF0000).release());
    tall->camera()->viewportHeight = kSize / 2;
    render(tall);
    fill(target(), 0x336699, 0, 0, -1, -1, true);
    tall->camera()->viewportHeight = kSize;
    render(tall);
    EXPECT_EQ(pixel(0, 232), stored(0xFF0000));
}

TEST_P(RendererTest, SubdivisionBendsTheTextureTowardPerspective) {
    // A floor from depth 2 to depth 12 below the eye: v = 1 at the near edge,
    // 0 at the far one, the texture red above v = 0.5 and blue below.
    auto floor = std::make_unique<Object3D>();
    Material3D* m = floor->addMaterial(u"m", std::make_unique<Material3D>());
    m->texture = texture(*floor, 2, 2, {0xFF0000, 0xFF0000, 0x0000FF, 0x0000FF});
    auto mesh = std::make_unique<Mesh3D>();
    mesh->addVertex(-1, -1, -8, 0, 0x10000);
    mesh->addVertex(1, -1, -8, 0x10000, 0x10000);
    mesh->addVertex(1, -1, 2, 0x10000, 0);
    mesh->addVertex(-1, -1, 2, 0, 0);
    mesh->addFace(0, 1, 2);
    mesh->addFace(0, 2, 3);
    mesh->material = m;
    Mesh3D* raw = floor->addMesh(u"floor", std::move(mesh));
    add(u"floor", std::move(floor));
    auto boundary = [&] {
        frame();
        for (int y = 0; y < kSize; ++y)
            if (pixel(32, y) == stored(0x0000FF)) return y;
        return -1;
    };
    // The true boundary: the world line half way in depth (7) projects to
    // 32 + 77 / 7 = 43.
    const int truth = 43;
    int affine = boundary();
    SubdivisionDrawer drawer(3, 8);
    raw->faceDrawer = &drawer;
    int split = boundary();
    EXPECT_GT(std::abs(affine - truth), 5);
    EXPECT_LT(std::abs(split - truth), std::abs(affine - truth) / 2);
    // However large the pieces stay, splitting stops at the drawer's depth:
    // one face and its four halves are asked, their quarters are drawn.
    struct AlwaysSplit : SubdivisionDrawer {
        using SubdivisionDrawer::SubdivisionDrawer;
        int asked = 0;
        bool shouldSplit(const Vertex&, const Vertex&, const Vertex&) override { return ++asked > 0; }
    } always(2, 0);
    raw->faceDrawer = &always;
    frame();
    EXPECT_EQ(always.asked, 2 * (1 + 4));
    // Small faces are left whole, wherever they lie on the screen.
    Vertex a, b, c;
    a.sx = c.sx = 100, b.sx = 108;
    a.sy = b.sy = 200, c.sy = 208;
    EXPECT_FALSE(drawer.shouldSplit(a, b, c));
    c.sy = 209;
    EXPECT_TRUE(drawer.shouldSplit(a, b, c));
}

TEST_P(RendererTest, SharedAnimatedTexturesAdvanceOncePerFrame) {
    GifImage gif;
    gif.width = gif.height = 2;
    gif.palette = {0xFF0000, 0x00FF00};
    for (uint8_t index : {0, 1}) {
        GifFrame f;
        f.width = f.height = 2;
        f.indices.assign(4, index);
        f.delay = 5;
        gif.frames.push_back(f);
    }
    write("blink.gif", EncodeGif(gif));
    Texture* blink = canvas->imageCache().load(host::FromUtf8(folder()), u"blink.gif", true, false);
    ASSERT_NE(blink, nullptr);
    ASSERT_EQ(blink->frameCount(), 2);
    for (const char16_t* name : {u"a", u"b"}) {
        Object3D* chip = add(name, BuildChip(1, 1, 2, 1.0f, false, blink, nullptr));
        chip->worldMatrix.setTranslation({0, 0, 0});
    }
    render(scene(), 0.06f);
    EXPECT_EQ(blink->currentFrame(), 1);
    EXPECT_EQ(pixel(32, 32), stored(0x00FF00));
    render(scene(), 0.0f);  // a redraw, not a new frame
    EXPECT_EQ(blink->currentFrame(), 1);
    render(scene(), 0.06f);
    EXPECT_EQ(blink->currentFrame(), 0);
    EXPECT_EQ(renderer(scene()).frameNumber, 2u) << "frames with a time step";
}

}  // namespace
