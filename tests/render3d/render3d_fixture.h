#pragma once
// 3D tests run a canvas with a back buffer in a main window on a headless host
// of a chosen display depth, catch every message box, and build scenes,
// meshes and pictures by hand.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
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

namespace r3test {

struct Box {
    std::string title;
    std::string text;
    uint32_t style = 0;
};

class Render3DTest : public ::testing::Test {
protected:
    void SetUp() override { startHost(16); }
    void TearDown() override { stopHost(); }

    void startHost(int depth) {
        if (hostRunning_) stopHost();
        host::HostOptions options;
        options.backend = "headless";
        options.clock = "virtual";
        options.profile = "pocketpc";
        options.depth = depth;
        options.hasSeed = true;
        options.instance = "test-" + std::to_string(::getpid());
        host::InitializeWith(options);
        hostRunning_ = true;
        DetectDevice();
        host::SetMessageBoxHook([this](const std::u16string& text, const std::u16string& title, uint32_t style) {
            boxes.push_back(Box{host::ToUtf8(title), host::ToUtf8(text), style});
            return host::IDOK;
        });
        main = std::make_unique<MainWindow>(u"Main");
        ASSERT_TRUE(main->create(0, 0, 240, 320));
        canvas = new AppCanvas(u"testCanvas", true);
        ASSERT_TRUE(main->addChild(canvas, 0, 0, 240, 320));
        Register3DObjectTypes();
    }

    void stopHost() {
        main.reset();
        canvas = nullptr;
        ResetSceneState();
        hostRunning_ = false;
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
        dir_.clear();
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

    // The temporary folder, made on first use, ending in "/".
    std::string folder() {
        if (dir_.empty()) {
            char pattern[] = "/tmp/karrowen-3d-XXXXXX";
            EXPECT_NE(mkdtemp(pattern), nullptr);
            dir_ = pattern;
        }
        return dir_ + "/";
    }
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::filesystem::create_directories(std::filesystem::path(folder() + name).parent_path());
        std::ofstream(folder() + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return folder() + name;
    }
    void writeText(const std::string& name, const std::string& text) { std::ofstream(folder() + name) << text; }
    void loadTemplate(const std::string& name) {
        canvas->loadTemplate(host::FromUtf8(folder()), host::FromUtf8(name), false, true);
    }

    std::unique_ptr<MainWindow> main;
    AppCanvas* canvas = nullptr;
    std::vector<Box> boxes;

private:
    bool hostRunning_ = false;
    std::string dir_;
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
