// karrowen-view: shows a 3DS model, or the 3D scene of a template, under a
// camera that turns around it. It runs on the same host as the game, so the
// host options work alike, for example headless with screenshots:
//
//   karrowen-view --headless --screenshot=/tmp/a.png@500 --exit-after=600 -- model.3ds --mode=3
//
// Options after the file: --radius=R (model radius, 1), --mode=N (shading
// mode 1 to 5 of every material, default: as loaded), --scene=NAME (the
// template's 3D scene, default the first), --distance=D (camera distance),
// --height=H (camera height over the centre), --speed=DEG (degrees per
// second, 30), --angle=DEG (start angle), --fog=FRONT,BACK, --bits (print the
// frame statistics every second).

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/app_startup.h"
#include "app/message_loop.h"
#include "platform/host/host.h"
#include "platform/host/program_backends.h"
#include "render3d/model_3ds.h"
#include "render3d/object_readers.h"
#include "render3d/scene3d.h"
#include "render3d/software_renderer.h"
#include "scene/app_canvas.h"

namespace {

struct ViewOptions {
    std::string file;
    float radius = 1.0f;
    int mode = 0;
    std::string sceneName;
    float distance = 0.0f;
    float height = std::nanf("");
    float speed = 30.0f;
    float angle = 0.0f;
    int fogFront = 0, fogBack = 0;
    bool stats = false;
};

bool ParseOptions(const std::string& commandLine, ViewOptions& o) {
    size_t start = 0;
    while (start < commandLine.size()) {
        size_t end = commandLine.find(' ', start);
        std::string word = commandLine.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? commandLine.size() : end + 1;
        if (word.empty()) continue;
        auto value = [&](const char* name) -> std::optional<std::string> {
            std::string prefix = std::string("--") + name + "=";
            if (word.rfind(prefix, 0) == 0) return word.substr(prefix.size());
            return std::nullopt;
        };
        if (auto v = value("radius")) o.radius = std::stof(*v);
        else if (auto v = value("mode")) o.mode = std::stoi(*v);
        else if (auto v = value("scene")) o.sceneName = *v;
        else if (auto v = value("distance")) o.distance = std::stof(*v);
        else if (auto v = value("height")) o.height = std::stof(*v);
        else if (auto v = value("speed")) o.speed = std::stof(*v);
        else if (auto v = value("angle")) o.angle = std::stof(*v);
        else if (auto v = value("fog")) std::sscanf(v->c_str(), "%d,%d", &o.fogFront, &o.fogBack);
        else if (word == "--stats") o.stats = true;
        else if (word.rfind("--", 0) == 0) return false;
        else o.file = word;
    }
    return !o.file.empty();
}

bool EndsWith(const std::string& s, const char* tail) {
    std::string t(tail);
    if (s.size() < t.size()) return false;
    for (size_t i = 0; i < t.size(); ++i)
        if (std::tolower(s[s.size() - t.size() + i]) != t[i]) return false;
    return true;
}

// Turns the camera around a centre and reports the frame statistics.
class Orbit : public FrameListener {
public:
    Orbit(Scene3D& scene, const ViewOptions& o, Vector3 centre, float distance, float height)
        : scene_(scene), o_(o), centre_(centre), distance_(distance), height_(height), angle_(o.angle) {
        place();
    }

    void onFrame(float frameTime) override {
        if (frameTime > 0) angle_ += o_.speed * frameTime;
        place();
        auto* renderer = dynamic_cast<SoftwareRenderer*>(scene_.pipeline());
        if (!o_.stats || !renderer) return;
        elapsed_ += frameTime > 0 ? frameTime : 0;
        if (elapsed_ < 1.0f) return;
        elapsed_ = 0;
        const RenderStats& s = renderer->stats;
        std::printf("objects %d, vertices %d, faces %d, clipped %d, dropped %d\n", s.objectsDrawn,
                    s.verticesTransformed, s.facesDrawn, s.clipTriangles, s.clipDroppedTriangles);
    }

private:
    void place() {
        float a = DegToRad(angle_);
        Camera* camera = scene_.camera();
        if (!camera) return;
        camera->setPosition(centre_ + Vector3{std::sin(a) * distance_, height_, -std::cos(a) * distance_});
        camera->setTarget(centre_);
    }

    Scene3D& scene_;
    const ViewOptions& o_;
    Vector3 centre_;
    float distance_, height_;
    float angle_;
    float elapsed_ = 0;
};

Scene3D* ModelScene(AppCanvas& canvas, const ViewOptions& o, const std::u16string& dir, const std::u16string& name) {
    auto object = Load3ds(dir, name, o.radius, &canvas.imageCache(), std::nullopt, std::nullopt);
    if (!object) return nullptr;
    if (o.mode > 0) object->setDetailLevel(o.mode);
    auto* scene = new Scene3D(0, 0, canvas.clientWidth(), canvas.clientHeight());
    scene->bkgColor = 0x304050;
    scene->ambient = 0x303030;
    auto key = std::make_unique<Light>();
    key->setDirection({-0.4f, -0.8f, 0.5f});
    scene->addLight(u"key", std::move(key));
    auto fill = std::make_unique<Light>();
    fill->diffuse = fill->specular = 0x404060;
    fill->setDirection({0.6f, -0.3f, -0.7f});
    scene->addLight(u"fill", std::move(fill));
    scene->addObject(u"model", object.release());
    canvas.addScene(u"view", scene);
    return scene;
}

Scene3D* TemplateScene(AppCanvas& canvas, const ViewOptions& o, const std::u16string& dir, const std::u16string& name) {
    Register3DObjectTypes();
    canvas.loadTemplate(dir, name, false, true);
    for (int i = 0; i < canvas.sceneCount(); ++i) {
        Scene* scene = canvas.sceneAt(i);
        if (scene->kind != SceneKind::ThreeD) continue;
        if (o.sceneName.empty() || host::ToUtf8(scene->name) == o.sceneName) {
            auto* scene3d = static_cast<Scene3D*>(scene);
            if (o.mode > 0)
                for (int k = 0; k < scene3d->objectCount(); ++k) scene3d->object3DAt(k)->setDetailLevel(o.mode);
            return scene3d;
        }
    }
    return nullptr;
}

// The middle of the scene's objects and the distance that shows them all.
void Frame(Scene3D& scene, Vector3& centre, float& distance) {
    Vector3 lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
    for (int i = 0; i < scene.objectCount(); ++i) {
        Object3D& object = *scene.object3DAt(i);
        Vector3 p = object.worldMatrix.getTranslation();
        float r = std::max(object.radius, 0.1f);
        lo = {std::min(lo.x, p.x - r), std::min(lo.y, p.y - r), std::min(lo.z, p.z - r)};
        hi = {std::max(hi.x, p.x + r), std::max(hi.y, p.y + r), std::max(hi.z, p.z + r)};
    }
    if (scene.objectCount() == 0) lo = hi = Vector3{};
    centre = (lo + hi) * 0.5f;
    distance = std::max((hi - lo).length() * 1.2f, 2.5f);
}

}  // namespace

int main(int argc, char** argv) {
    std::u16string commandLine;
    bool exitNow = false;
    if (!host::Initialize(argc, argv, commandLine, exitNow, host::ProgramBackends())) return 2;
    if (exitNow) return 0;
    ViewOptions o;
    if (!ParseOptions(host::ToUtf8(commandLine), o)) {
        std::fprintf(stderr,
                     "usage: karrowen-view [host options] -- FILE.3ds|TEMPLATE.properties [--radius=R] [--mode=N]\n"
                     "       [--scene=NAME] [--distance=D] [--height=H] [--speed=DEG] [--angle=DEG]\n"
                     "       [--fog=FRONT,BACK] [--stats]\n");
        host::Shutdown();
        return 2;
    }
    int code = 1;
    {
        MainWindow mainWindow(u"Karrowen View");
        if (!AppStartup(mainWindow, false)) return 1;
        auto* canvas = new AppCanvas(u"viewCanvas", true);
        mainWindow.addChild(canvas, 0, 0, host::GetClientRect(mainWindow.handle()).right,
                            host::GetClientRect(mainWindow.handle()).bottom);
        canvas->frameTimer().mode = 0;

        size_t slash = o.file.find_last_of("/\\");
        std::u16string dir = host::FromUtf8(slash == std::string::npos ? "." : o.file.substr(0, slash));
        std::u16string name = host::FromUtf8(slash == std::string::npos ? o.file : o.file.substr(slash + 1));
        Scene3D* scene = EndsWith(o.file, ".3ds") ? ModelScene(*canvas, o, dir, name) : TemplateScene(*canvas, o, dir, name);
        if (!scene) {
            std::fprintf(stderr, "karrowen-view: nothing 3D to show in %s\n", o.file.c_str());
            AppShutdown();
        } else {
            if (o.fogBack > o.fogFront) {
                auto fog = std::make_unique<Fog>();
                fog->front = o.fogFront;
                fog->back = o.fogBack;
                fog->colour = scene->bkgColor == 0xFFFFFFFF ? 0x808080 : scene->bkgColor;
                scene->setFog(std::move(fog));
            }
            createPipeline(scene, kSoftwarePipeline);
            Vector3 centre;
            float distance;
            Frame(*scene, centre, distance);
            if (o.distance > 0) distance = o.distance;
            float height = std::isnan(o.height) ? distance * 0.4f : o.height;
            Orbit orbit(*scene, o, centre, distance, height);
            canvas->addPreFrameListener(&orbit);
            canvas->start();
            code = RunMessageLoop(mainWindow.handle());
            canvas->removePreFrameListener(&orbit);
        }
    }
    host::Shutdown();
    return code;
}
