// libFuzzer target for templates: any text is loaded into a canvas as its
// template, through the object-type table and every reader of the 2D and 3D
// object types, then drawn in full and for two frames, and given a tap, the
// arrow keys and RETURN. Files a template names are looked up in a sandbox
// folder that links to the built resources, so that real pictures, fonts,
// models and sounds load, while anything the canvas writes back stays there.
//
// The first input byte chooses the extras: bit 0 merges the same text into
// the loaded template a second time, bit 1 skips drawing, bit 2 skips input.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/device_info.h"
#include "platform/host/host.h"
#include "platform/platform_state.h"
#include "platform/window.h"
#include "render3d/object_readers.h"
#include "scene/app_canvas.h"

namespace fs = std::filesystem;

namespace {

struct Stage {
    fs::path folder;
    std::unique_ptr<MainWindow> main;
    AppCanvas* canvas = nullptr;

    Stage() {
        const char* tmp = std::getenv("TMPDIR");
        folder = fs::path(tmp && *tmp == '/' ? tmp : "/tmp") / ("karrowen-fuzz-template-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(KARROWEN_FUZZ_RESOURCES, ignored))
            fs::create_symlink(entry.path(), folder / entry.path().filename(), ignored);

        host::HostOptions options;
        options.backend = "headless";
        options.clock = "virtual";
        options.profile = "pocketpc";
        options.instance = "d-fuzz-template";
        ResetPlatform();
        host::InitializeWith(options);
        DetectDevice();
        host::SetMessageBoxHook([](const std::u16string&, const std::u16string&, uint32_t) { return host::IDOK; });
        Register3DObjectTypes();
        openWindow();
    }
    ~Stage() {
        main.reset();
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    void openWindow() {
        main = std::make_unique<MainWindow>(u"Main");
        main->create(0, 0, host::ScreenWidth(), host::ScreenHeight());
        canvas = new AppCanvas(u"gameCanvas", true);
        main->addChildScaled(canvas);
        canvas->setFocus();
    }
    // A widget may close the window; the next input gets a fresh one.
    void reopenIfClosed() {
        if (!host::IsWindow(main->handle())) openWindow();
    }

    void pump() {
        host::Message m;
        while (host::PeekMessage(m, true))
            if (m.message != host::WM_QUIT) host::DispatchMessage(m);
    }
    void tap(int x, int y) {
        host::SendMessage(canvas->handle(), host::WM_LBUTTONDOWN, host::MK_LBUTTON, host::MakeLParam(x, y));
        host::SendMessage(canvas->handle(), host::WM_LBUTTONUP, 0, host::MakeLParam(x, y));
        pump();
    }
    void key(int code) {
        host::SendMessage(canvas->handle(), host::WM_KEYDOWN, code, 0);
        host::SendMessage(canvas->handle(), host::WM_KEYUP, code, 0);
        pump();
    }
};

Stage& TheStage() {
    static Stage stage;
    return stage;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t extras = data[0];
    Stage& stage = TheStage();
    stage.reopenIfClosed();
    AppCanvas& canvas = *stage.canvas;
    const std::u16string dir = host::FromUtf8(stage.folder.string() + "/");
    canvas.loadTemplateBytes(dir, u"fuzz.properties", data + 1, size - 1, true);
    if (extras & 1) canvas.loadTemplateBytes(dir, u"merged.properties", data + 1, size - 1, false);
    if (!(extras & 2)) {
        canvas.render(true);
        canvas.start();
        canvas.frame();
        canvas.frame();
        canvas.stop();
    }
    if (!(extras & 4)) {
        stage.tap(120, 160);
        for (int code : {host::VK_DOWN, host::VK_RIGHT, host::VK_UP, host::VK_LEFT, host::VK_RETURN}) {
            stage.reopenIfClosed();
            stage.key(code);
        }
    }
    stage.reopenIfClosed();
    return 0;
}
