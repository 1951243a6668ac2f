// A golden frame for what the first one leaves out: faceted gems lit per face
// and per vertex in the lit shading modes, their normals pointing every way,
// under a camera that looks down and aside; the same scene again with the
// normals turned in camera space; and blended panels that must be drawn
// farthest first. A light-map index or normal component lost in the culling
// or the lighting, or a panel drawn out of order, changes pixels.
//
// Regenerate after a deliberate change with KARROWEN_UPDATE_GOLDEN=1 and look
// at the pictures before committing them.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>

#include "render3d/subdivision_drawer.h"
#include "render3d_fixture.h"
#include "scene/image_cache.h"
#include "support/png_io.h"

namespace {

using namespace r3test;

constexpr int kView = 120;

// A globe of `rings` x `sectors` facets; the seam and the poles repeat
// positions with other texture coordinates, as exported models do.
std::unique_ptr<Object3D> Gem(Material3D*& material, float x, float y, float z, int rings, int sectors) {
    auto object = std::make_unique<Object3D>();
    material = object->addMaterial(u"m", std::make_unique<Material3D>());
    auto mesh = std::make_unique<Mesh3D>();
    for (int r = 0; r <= rings; ++r) {
        const float polar = float(M_PI) * float(r) / float(rings);
        for (int s = 0; s <= sectors; ++s) {
            const float around = 2.0f * float(M_PI) * float(s) / float(sectors);
            mesh->addVertex(std::sin(polar) * std::cos(around), std::cos(polar), std::sin(polar) * std::sin(around),
                            s * 0x10000 / sectors * 2, r * 0x10000 / rings * 2);
        }
    }
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < sectors; ++s) {
            const int a = r * (sectors + 1) + s, b = a + sectors + 1;
            if (r > 0) mesh->addFace(a, a + 1, b);
            if (r < rings - 1) mesh->addFace(a + 1, b + 1, b);
        }
    }
    mesh->material = material;
    object->addMesh(u"gem", std::move(mesh));
    object->radius = 1.2f;
    object->worldMatrix.setTranslation({x, y, z});
    return object;
}

class LightingGoldenTest : public Render3DTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override { startHost(GetParam()); }

    // An 8 x 8 picture of four quarters, colour[2 * (y >= 4) + (x >= 4)],
    // cut by a grid of the fifth colour.
    Texture* quarters(const char* name, std::array<uint32_t, 5> colour) {
        std::vector<uint32_t> pixels;
        for (int i = 0; i < 64; ++i) pixels.push_back(i % 2 && i / 8 % 2 ? colour[4] : colour[i / 32 * 2 + i % 8 / 4]);
        write(name, MakeGif(8, 8, pixels));
        return canvas->imageCache().load(host::FromUtf8(folder()), host::FromUtf8(name), true, false);
    }

    Scene3D* buildScene(int left, bool cameraSpaceNormals) {
        auto* scene = new Scene3D(left, 0, kView, 160);
        scene->bkgColor = 0x101820;
        scene->ambient = 0x282828;
        canvas->addScene(cameraSpaceNormals ? u"camera" : u"world", scene);
        // One view has a picture behind it, stretched to the view.
        if (cameraSpaceNormals) scene->bkgTexture = quarters("back.gif", {0x101830, 0x182030, 0x201018, 0x102018, 0x080808});
        auto light = std::make_unique<Light>();
        light->setDirection({-0.5f, -0.6f, 0.6f});
        scene->addLight(u"sun", std::move(light));

        Material3D* m;
        // Rolled, so that its up axis leans sideways in the view.
        auto flat = Gem(m, -1.2f, 0.9f, 5.0f, 5, 7);
        flat->worldMatrix.m[0] = flat->worldMatrix.m[5] = std::cos(0.5f);
        flat->worldMatrix.m[1] = std::sin(0.5f), flat->worldMatrix.m[4] = -std::sin(0.5f);
        scene->addObject(u"flat", flat.release());
        m->shadingMode = 3, m->flatLighting = true, m->colour = 0xE0B070;
        // Split into smaller faces, whose new corners are lit too.
        auto shiny = Gem(m, 1.2f, 0.9f, 5.0f, 6, 8);
        shiny->meshAt(0)->faceDrawer = &splitter;
        scene->addObject(u"shiny", shiny.release());
        m->shadingMode = 4, m->specularLevel = 400;  // held to 255
        m->texture = quarters("shiny.gif", {0xC06040, 0x80C0E0, 0x60A040, 0xE0E0E0, 0x402060});
        scene->addObject(u"mirror", Gem(m, 1.1f, -1.1f, 5.0f, 4, 6).release());
        m->shadingMode = 5, m->flatLighting = true, m->colour = 0x406080, m->secondColour = 0x201000;
        m->environmentTexture = quarters("sky.gif", {0xF0F0A0, 0x203060, 0xA03020, 0x30A060, 0x000000});
        m->texture = quarters("mirror.gif", {0xE0E0E0, 0xC0A080, 0x80A0C0, 0xA0C080, 0x606060});
        // A log lying across the view, its facets edge-on along its top and
        // bottom outlines, where a normal's depth component decides the culling.
        auto log = Gem(m, 0.0f, 0.0f, 0.0f, 2, 24);
        for (Vertex& v : log->meshAt(0)->vertices) std::swap(v.x, v.y), v.x *= 3;
        log->worldMatrix.setTranslation({0.0f, 2.3f, 7.0f});
        log->radius = 3.5f;
        m->shadingMode = 3, m->colour = 0xA08060;
        scene->addObject(u"log", log.release());
        // A plank culled mesh by mesh, its centre outside the view but its end inside.
        auto plank = MakeQuad(1.0f, 0.0f, 0x70A050, 3);
        for (Vertex& v : plank->meshAt(0)->vertices) v.x *= 4;
        plank->cullingPolicy = kCullEachMesh;
        plank->worldMatrix.setTranslation({-5.0f, -2.2f, 6.0f});
        scene->addObject(u"plank", plank.release());

        // Listed in an order the sort must take apart at several levels.
        const uint32_t colours[] = {0xFF4040, 0x40FF40, 0x4040FF, 0xFFFF40, 0xFF40FF, 0x40FFFF, 0xFFFFFF, 0x808080};
        const int depthSlot[] = {5, 3, 7, 1, 2, 6, 4, 0};
        for (int i = 0; i < 8; ++i) {
            auto panel = MakeQuad(0.45f, 0.0f, colours[i], 2);
            panel->materials[0]->alpha = 110;
            panel->worldMatrix.setTranslation({-1.9f + 0.06f * float(i), -1.2f + 0.04f * float(i % 3), 2.4f + 0.4f * float(depthSlot[i])});
            scene->addObject(u"panel" + std::u16string(1, char16_t(u'0' + i)), panel.release());
        }
        createPipeline(scene, kSoftwarePipeline);
        renderer(scene).cameraSpaceNormals = cameraSpaceNormals;
        scene->camera()->setPosition(0.8f, 2.6f, -1.5f);
        scene->camera()->setTarget(0.0f, 0.0f, 5.0f);
        return scene;
    }

    SubdivisionDrawer splitter{2, 12};
};

INSTANTIATE_TEST_SUITE_P(Depths, LightingGoldenTest, ::testing::Values(16, 32),
                         [](const auto& info) { return std::to_string(info.param) + "bit"; });

TEST_P(LightingGoldenTest, LitGemsAndBlendedPanelsMatchTheGoldenFrame) {
    Scene3D* turned = buildScene(kView, true);
    renderer(turned).setThreads(3);  // each fill thread must light a face as one thread does
    for (Scene3D* scene : {buildScene(0, false), turned}) scene->pipeline()->render(0.04f);
    Picture actual;
    actual.width = 2 * kView, actual.height = 160;
    for (int y = 0; y < actual.height; ++y)
        for (int x = 0; x < actual.width; ++x) actual.pixels.push_back(pixel(x, y));
    const std::string name = "lighting" + std::to_string(GetParam()) + ".png";
    const std::string golden = std::string(KARROWEN_GOLDEN_DIR) + "/" + name;
    if (std::getenv("KARROWEN_UPDATE_GOLDEN")) {
        ASSERT_TRUE(WritePng(golden, actual));
        GTEST_SKIP() << "wrote " << golden;
    }
    Picture expected;
    ASSERT_TRUE(ReadPng(golden, expected)) << "missing " << golden << " (KARROWEN_UPDATE_GOLDEN=1 writes it)";
    ASSERT_EQ(expected.width, actual.width);
    int differing = 0;
    for (size_t i = 0; i < actual.pixels.size(); ++i) differing += actual.pixels[i] != expected.pixels[i];
    if (differing) WritePng(::testing::TempDir() + "actual-" + name, actual);
    EXPECT_EQ(differing, 0) << "frame written to " << ::testing::TempDir() << "actual-" << name;
}

// The bias moves every depth the mesh writes by exactly its amount, so that
// coplanar decals win the depth test by a known margin.
TEST_P(LightingGoldenTest, ADepthBiasIsSubtractedFromEveryDepthExactly) {
    Scene3D* scene = makeScene(64, 64);
    Object3D* quad = MakeQuad(2.0f, 0.0f, 0xFF0000).release();
    scene->addObject(u"quad", quad);
    auto centreDepth = [&] {
        render(scene);
        return int64_t(renderer(scene).depthBuffer()[32 * 64 + 32]);
    };
    const int64_t plain = centreDepth();
    quad->meshAt(0)->depthBias = 3.0f;
    EXPECT_EQ(plain - centreDepth(), 3 * 65536);
}

// A plane leaning back by 45 degrees: its normals split evenly between down and
// away from the camera, at unit length in 16.16, on the faces and at the corners.
TEST_P(LightingGoldenTest, NormalsOfALeaningPlaneAreUnitAndEvenlySplit) {
    Scene3D* scene = makeScene(64, 64);
    auto quad = MakeQuad(1.0f, 0.0f, 0xFF0000);
    Mesh3D* mesh = quad->meshAt(0);
    for (Vertex& v : mesh->vertices) v.z = v.y;
    scene->addObject(u"quad", quad.release());
    render(scene);
    for (const Face& f : mesh->faces) {
        EXPECT_EQ(f.nx, 0);
        EXPECT_EQ(f.ny, -f.nz);
        EXPECT_EQ(f.nz, int32_t(65536 / std::sqrt(2.0)));
    }
    for (const Vertex& v : mesh->vertices) {
        EXPECT_EQ(v.nx, 0);
        EXPECT_NEAR(std::hypot(v.ny, v.nz), 65536, 64);
        EXPECT_NEAR(v.ny, -v.nz, 64);
    }
}

}  // namespace
