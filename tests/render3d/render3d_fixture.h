#pragma once
// 3D tests run a canvas with a back buffer in a main window on the shared
// headless host at a chosen display depth, and build scenes, meshes and
// pictures by hand.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/device_info.h"
#include "platform/host/host.h"
#include "render3d/object_readers.h"
#include "render3d/scene3d.h"
#include "render3d/software_renderer.h"
#include "scene/app_canvas.h"
#include "scene/gif_encoder.h"
#include "scene/scene_state.h"
#include "support/test_host.h"

namespace r3test {

using testhost::Box;

class Render3DTest : public testhost::HostTest {
protected:
    Render3DTest() : HostTest(ResetSceneState) {}
    void SetUp() override { startHost(16); }
    void TearDown() override {
        closeWindow();
        HostTest::TearDown();
    }

    void startHost(int depth) {
        closeWindow();
        start({.profile = "pocketpc", .depth = depth, .seeded = true});
        main = std::make_unique<MainWindow>(u"Main");
        ASSERT_TRUE(main->create(0, 0, 240, 320));
        canvas = new AppCanvas(u"testCanvas", true);
        ASSERT_TRUE(main->addChild(canvas, 0, 0, 240, 320));
        Register3DObjectTypes();
    }
    void closeWindow() {
        main.reset();
        canvas = nullptr;
    }

    // A 3D scene at (0, 0) with a pipeline; the camera stands at (0, 0, -10)
    // looking along +z, so a point at z = 0 has depth 10.
    Scene3D* makeScene(int width, int height, uint32_t background = 0x000000) {
        auto* scene = new Scene3D(0, 0, width, height);
        scene->bkgColor = background;
        canvas->addScene(u"scene" + host::FromUtf8(std::to_string(canvas->sceneCount())), scene);
        createPipeline(scene, kSoftwarePipeline);
        return scene;
    }
    SoftwareRenderer& renderer(Scene3D* scene) { return *static_cast<SoftwareRenderer*>(scene->pipeline()); }
    void render(Scene3D* scene, float time = 0.04f) { scene->pipeline()->render(time); }

    FrameBuffer& target() { return *canvas->target(); }
    uint32_t pixel(int x, int y) { return host::ReadPixel(target().surface(), x, y); }
    int bits() { return target().bitsPerPixel; }
    // A colour as the target stores it, read back as 0xRRGGBB.
    uint32_t stored(uint32_t rgb) { return bits() == 16 ? host::Rgb565ToRgb(host::RgbTo565(rgb)) : rgb; }

    // The test's own folder, ending in "/".
    std::string folder() { return scratch.path(); }
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) { return scratch.write(name, bytes); }
    void writeText(const std::string& name, const std::string& text) { scratch.write(name, text); }
    void loadTemplate(const std::string& name) {
        canvas->loadTemplate(host::FromUtf8(folder()), host::FromUtf8(name), false, true);
    }

    std::unique_ptr<MainWindow> main;
    AppCanvas* canvas = nullptr;
};

// A GIF of 0xRRGGBB pixels (at most 256 colours); `key` >= 0 marks that
// colour transparent.
inline std::vector<uint8_t> MakeGif(int width, int height, const std::vector<uint32_t>& pixels, int64_t key = -1) {
    GifImage image;
    image.width = width;
    image.height = height;
    GifFrame frame;
    frame.width = width;
    frame.height = height;
    BuildExactPalette(pixels.data(), pixels.size(), frame.palette, frame.indices);
    if (key >= 0) {
        for (size_t i = 0; i < frame.palette.size(); ++i)
            if (frame.palette[i] == uint32_t(key)) frame.transparentIndex = int(i);
    }
    image.palette = frame.palette;
    frame.palette.clear();
    image.frames.push_back(frame);
    return EncodeGif(image);
}

// A square of side 2 * half at depth z facing the camera at -z, in one colour.
inline std::unique_ptr<Object3D> MakeQuad(float half, float z, uint32_t colour, int mode = 1) {
    auto object = std::make_unique<Object3D>();
    Material3D* m = object->addMaterial(u"m", std::make_unique<Material3D>());
    m->colour = colour;
    m->shadingMode = mode;
    auto mesh = std::make_unique<Mesh3D>();
    mesh->addVertex(-half, -half, z, 0, 0x10000);
    mesh->addVertex(half, -half, z, 0x10000, 0x10000);
    mesh->addVertex(half, half, z, 0x10000, 0);
    mesh->addVertex(-half, half, z, 0, 0);
    mesh->addFace(0, 1, 2);
    mesh->addFace(0, 2, 3);
    mesh->material = m;
    object->addMesh(u"quad", std::move(mesh));
    object->radius = half * 1.5f;
    return object;
}

}  // namespace r3test
