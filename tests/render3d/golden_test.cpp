// Golden frames: a small textured, fogged, lit scene with a 3DS model built
// here, a colour-keyed chip and a blended chip, rendered headless at 16 and
// 32 bits and compared pixel for pixel with tests/render3d/golden/. The same
// frame must come out when the triangles are filled on several threads: a
// row band left out, filled twice or entered with wrongly stepped edges
// shows as differing pixels.
//
// After a deliberate change of the rasterizer, regenerate them with
//   KARROWEN_UPDATE_GOLDEN=1 ctest -R Golden
// and look at the new pictures before committing them.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <tuple>

#include "model_bytes.h"
#include "support/png_io.h"
#include "render3d/model_3ds.h"
#include "render3d_fixture.h"
#include "scene/image_cache.h"
#include "scene/texture.h"

namespace {

using namespace r3test;

std::vector<uint32_t> Checker(int size, int cell, uint32_t a, uint32_t b) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) pixels.push_back(((x / cell) + (y / cell)) % 2 ? a : b);
    return pixels;
}

std::vector<uint32_t> Disc(int size, uint32_t key) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int dx = 2 * x - size + 1, dy = 2 * y - size + 1, d = dx * dx + dy * dy;
            pixels.push_back(d > size * size ? key : d > size * size / 3 ? 0xF0C020 : 0xFFF0A0);
        }
    }
    return pixels;
}

// A box of side 2 in file coordinates (z up), each side its own four corners.
Bytes BoxModel() {
    std::vector<V3> corners;
    std::vector<std::pair<float, float>> uvs;
    const float sides[6][3][3] = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},  {{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}},
                                  {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
                                  {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}}};
    for (const auto& side : sides) {
        for (auto [s, t] : {std::pair{-1.f, -1.f}, {1.f, -1.f}, {1.f, 1.f}, {-1.f, 1.f}}) {
            V3 p{};
            float* c = &p.x;
            for (int k = 0; k < 3; ++k) c[k] = side[0][k] + s * side[1][k] + t * side[2][k];
            corners.push_back(p);
            uvs.push_back({(s + 1) / 2, (t + 1) / 2});
        }
    }
    Bytes vertices, faces, coords;
    PutU16(vertices, uint32_t(corners.size()));
    for (const V3& v : corners) PutFloat(vertices, v.x), PutFloat(vertices, v.y), PutFloat(vertices, v.z);
    PutU16(coords, uint32_t(uvs.size()));
    for (auto [u, v] : uvs) PutFloat(coords, u), PutFloat(coords, v);
    PutU16(faces, 12);
    for (uint32_t i = 0; i < 6; ++i) {
        for (auto [a, b, c] : {std::tuple{0u, 1u, 2u}, {0u, 2u, 3u}}) {
            PutU16(faces, i * 4 + a), PutU16(faces, i * 4 + b), PutU16(faces, i * 4 + c);
            PutU16(faces, 0);  // edge flags
        }
    }
    return Model({Material("crate", {Chunk(0xA020, {}, {ColourBytes(255, 220, 180)}), Map(0xA200, "crate.gif"),
                                     Chunk(0xA041, {}, {PercentInt(60)})}),
                  NamedMesh("box", {Chunk(0x4110, vertices), Chunk(0x4140, coords),
                                    Chunk(0x4120, faces, {MaterialGroup("crate", {0})})})});
}

// (bits per pixel, threads)
class GoldenTest : public Render3DTest, public ::testing::WithParamInterface<std::tuple<int, int>> {
protected:
    void SetUp() override { startHost(std::get<0>(GetParam())); }

    Scene3D* buildScene() {
        write("floor.gif", MakeGif(32, 32, Checker(32, 8, 0x60A060, 0x306030)));
        write("crate.gif", MakeGif(16, 16, Checker(16, 4, 0xC08040, 0x804020)));
        write("disc.gif", MakeGif(16, 16, Disc(16, 0xFF00FF), 0xFF00FF));
        write("glass.gif", MakeGif(8, 8, std::vector<uint32_t>(64, 0x4080FF)));
        write("crate.3ds", BoxModel());
        const std::u16string dir = host::FromUtf8(folder());
        ImageCache& images = canvas->imageCache();

        auto* scene = new Scene3D(8, 8, 160, 120);
        scene->bkgColor = 0x203040;
        scene->ambient = 0x303030;
        canvas->addScene(u"golden", scene);
        auto light = std::make_unique<Light>();
        light->setDirection({-0.3f, -0.8f, 0.5f});
        scene->addLight(u"sun", std::move(light));
        auto fog = std::make_unique<Fog>();
        fog->front = 8, fog->back = 22, fog->colour = 0x203040;
        scene->setFog(std::move(fog));

        // The floor: a lit 6 x 6 grid of textured tiles at y = -1.
        auto floor = std::make_unique<Object3D>();
        Material3D* grass = floor->addMaterial(u"grass", std::make_unique<Material3D>());
        grass->texture = images.load(dir, u"floor.gif", true, false);
        grass->shadingMode = 3;
        auto mesh = std::make_unique<Mesh3D>();
        for (int row = 0; row <= 6; ++row)
            for (int col = 0; col <= 6; ++col)
                mesh->addVertex(float(col) * 3 - 9, -1, float(row) * 3 - 2, col * 0x10000, row * 0x10000);
        for (int row = 0; row < 6; ++row) {
            for (int col = 0; col < 6; ++col) {
                int a = row * 7 + col;
                mesh->addFace(a, a + 8, a + 7);
                mesh->addFace(a, a + 1, a + 8);
            }
        }
        mesh->material = grass;
        floor->addMesh(u"floor", std::move(mesh));
        floor->radius = 13;
        scene->addObject(u"floor", floor.release());

        auto crate = Load3ds(dir, u"crate.3ds", 1.0f, &images, std::nullopt, std::nullopt);
        EXPECT_NE(crate, nullptr);
        crate->setDetailLevel(4);
        float a = 0.5f;
        crate->worldMatrix.m[0] = std::cos(a), crate->worldMatrix.m[2] = std::sin(a);
        crate->worldMatrix.m[8] = -std::sin(a), crate->worldMatrix.m[10] = std::cos(a);
        crate->worldMatrix.setTranslation({-1.6f, 0.0f, 6.0f});
        scene->addObject(u"crate", crate.release());

        auto coin = BuildChip(1, 1, 2, 0.7f, false, images.load(dir, u"disc.gif", true, false), nullptr);
        coin->billboard = 1;
        coin->worldMatrix.setTranslation({1.4f, 0.2f, 4.5f});
        scene->addObject(u"coin", coin.release());

        auto glass = BuildChip(2, 1, 2, 0.8f, false, images.load(dir, u"glass.gif", true, false), nullptr);
        glass->materials[0]->shadingMode = 2;
        glass->materials[0]->alpha = 140;
        glass->worldMatrix.setTranslation({0.3f, 0.1f, 3.0f});
        scene->addObject(u"glass", glass.release());

        auto far = BuildChip(1, 1, 2, 1.0f, false, images.load(dir, u"disc.gif", true, false), nullptr);
        far->billboard = 2;
        far->worldMatrix.setTranslation({3.0f, 0.5f, 16.0f});
        scene->addObject(u"farCoin", far.release());

        createPipeline(scene, kSoftwarePipeline);
        // Through two threads and back down to one, as a count of none
        // asks; then the count of the run.
        renderer(scene).setThreads(2);
        renderer(scene).setThreads(0);
        EXPECT_EQ(renderer(scene).threads(), 1);
        renderer(scene).setThreads(std::get<1>(GetParam()));
        EXPECT_EQ(renderer(scene).threads(), std::get<1>(GetParam()));
        scene->camera()->setPosition(0.5f, 2.0f, -3.5f);
        scene->camera()->setTarget(0.0f, -0.5f, 6.0f);
        return scene;
    }

    Picture capture(const Scene3D& scene) {
        Picture picture;
        picture.width = scene.width;
        picture.height = scene.height;
        for (int y = 0; y < scene.height; ++y)
            for (int x = 0; x < scene.width; ++x) picture.pixels.push_back(pixel(scene.x + x, scene.y + y));
        return picture;
    }
};

INSTANTIATE_TEST_SUITE_P(DepthsAndThreads, GoldenTest, ::testing::Combine(::testing::Values(16, 32), ::testing::Values(1, 2, 3)),
                         [](const auto& info) {
                             return std::to_string(std::get<0>(info.param)) + "bit" +
                                    std::to_string(std::get<1>(info.param)) + "threads";
                         });

TEST_P(GoldenTest, SceneMatchesTheGoldenFrame) {
    Scene3D* scene = buildScene();
    scene->pipeline()->render(0.04f);
    // A second frame finds the fill threads waiting from the first: it must
    // neither hang nor, under the thread sanitizer, race with the first.
    scene->pipeline()->render(0.0f);
    Picture actual = capture(*scene);
    const std::string name = "scene" + std::to_string(std::get<0>(GetParam())) + ".png";
    const std::string golden = std::string(KARROWEN_GOLDEN_DIR) + "/" + name;
    if (std::getenv("KARROWEN_UPDATE_GOLDEN") && std::get<1>(GetParam()) == 1) {
        ASSERT_TRUE(WritePng(golden, actual));
        GTEST_SKIP() << "wrote " << golden;
    }
    Picture expected;
    ASSERT_TRUE(ReadPng(golden, expected)) << "missing " << golden << " (KARROWEN_UPDATE_GOLDEN=1 writes it)";
    ASSERT_EQ(expected.width, actual.width);
    ASSERT_EQ(expected.height, actual.height);
    int differing = 0, firstX = -1, firstY = -1;
    for (size_t i = 0; i < actual.pixels.size(); ++i) {
        if (actual.pixels[i] == expected.pixels[i]) continue;
        if (differing++ == 0) firstX = int(i) % actual.width, firstY = int(i) / actual.width;
    }
    if (differing) {
        std::string out = ::testing::TempDir() + "actual-" + name;
        WritePng(out, actual);
        ADD_FAILURE() << differing << " pixels differ, the first at (" << firstX << ", " << firstY << "): expected 0x"
                      << std::hex << expected.pixels[size_t(firstY * actual.width + firstX)] << ", got 0x"
                      << actual.pixels[size_t(firstY * actual.width + firstX)] << std::dec << "; frame written to "
                      << out;
    }
    // Every kind of object left its mark: the model, both chips, fog and the floor.
    EXPECT_TRUE(boxes.empty()) << boxes[0].text;
    EXPECT_EQ(renderer(scene).stats.objectsDrawn, 5);
}

}  // namespace
