// libFuzzer target for the 3DS loader and, through it, the software renderer:
// arbitrary bytes are read as a model (textures are not loaded), the object is
// copied, normalised again and drawn by a 16-bit and a 32-bit scene from a
// camera far off and one inside the model, so that damaged geometry reaches
// clipping, triangle set-up and every span filler.
//
// The first input byte chooses the drawing: bits 0-2 the shading mode (1 to
// 5), bit 3 two-sided faces, bit 4 wire frames, bit 5 flat lighting, bit 6 a
// billboard, bit 7 culling policy 2. The rest is the file.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/device_info.h"
#include "platform/host/host.h"
#include "render3d/model_3ds.h"
#include "render3d/scene3d.h"
#include "scene/app_canvas.h"

namespace {

struct Stage {
    MainWindow main{u"fuzz"};
    AppCanvas* canvas = nullptr;
    Scene3D* scenes[2] = {};

    Stage() {
        host::HostOptions options;
        options.backend = "headless";
        options.clock = "virtual";
        options.depth = 16;
        host::InitializeWith(options);
        host::SetMessageBoxHook([](const std::u16string&, const std::u16string&, uint32_t) { return host::IDOK; });
        DetectDevice();
        main.create(0, 0, 96, 96);
        canvas = new AppCanvas(u"fuzzCanvas", true);
        main.addChild(canvas, 0, 0, 96, 96);
        for (int i = 0; i < 2; ++i) {
            scenes[i] = new Scene3D(i * 20, 0, 64, 48);
            scenes[i]->ambient = 0x202020;
            auto light = std::make_unique<Light>();
            light->setDirection({0.3f, -0.7f, 0.6f});
            scenes[i]->addLight(u"sun", std::move(light));
            auto fog = std::make_unique<Fog>();
            fog->front = 2, fog->back = 6, fog->colour = 0x102030;
            scenes[i]->setFog(std::move(fog));
            canvas->addScene(u"scene" + std::u16string(1, char16_t(u'0' + i)), scenes[i]);
        }
        // The second scene draws into a 32-bit buffer of its own.
        scenes[1]->buffered = true;
        scenes[1]->buffer = std::make_unique<FrameBuffer>(64, 48, false);
        for (Scene3D* scene : scenes) createPipeline(scene, kSoftwarePipeline);
    }
};

void Draw(Scene3D& scene, std::unique_ptr<Object3D> object) {
    scene.clearObjects();
    scene.addObject(u"model", object.release());
    Camera& camera = *scene.camera();
    camera.setPosition(0.3f, 1.0f, -4.0f);
    camera.setTarget(0, 0, 0);
    scene.pipeline()->render(0.04f);
    camera.setPosition(0.1f, 0.05f, -0.2f);  // inside: faces cross the near plane
    scene.pipeline()->render(0.04f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Stage stage;
    if (size < 1) return 0;
    const uint8_t mode = data[0];
    Load3dsOptions options;
    options.loadTextures = false;
    options.silent = true;
    auto object = Parse3ds(data + 1, size - 1, options, 1.5f, std::nullopt, std::nullopt);
    if (!object) return 0;
    object->setDetailLevel(1 + (mode & 7) % 5);
    for (auto& material : object->materials) {
        material->twoSided |= (mode & 8) != 0;
        material->wireFrame |= (mode & 16) != 0;
        material->flatLighting |= (mode & 32) != 0;
        material->alpha = material->alpha & 0xFF;
    }
    object->billboard = (mode & 64) ? 1 : 0;
    object->cullingPolicy = (mode & 128) ? 2 : 0;
    auto copy = object->clone();
    copy->normalize(0.75f, std::u16string(u"a"), std::nullopt);
    Draw(*stage.scenes[0], std::move(object));
    Draw(*stage.scenes[1], std::move(copy));
    return 0;
}
