#include "art/cover.h"

#include <cmath>

#include "art/backdrop.h"
#include "art/buttons.h"
#include "art/characters.h"
#include "art/maze_world.h"
#include "art/title.h"

namespace {

constexpr float kPi = 3.14159265f;

// A sprite box in picture pixels, on even pixels so that it is whole in design units.
struct Box {
    int x0, y0, x1, y1;

    static Box Around(float left, float top, float right, float bottom) {
        auto down = [](float v) { return static_cast<int>(std::floor(v / kArtScale)) * kArtScale; };
        auto up = [](float v) { return static_cast<int>(std::ceil(v / kArtScale)) * kArtScale; };
        return {down(left), down(top), up(right), up(bottom)};
    }
    int width() const { return x1 - x0; }
    int height() const { return y1 - y0; }
    SpritePlacement placement(const std::string& entry) const {
        return {entry, x0 / kArtScale, y0 / kArtScale, width() / kArtScale, height() / kArtScale};
    }
};

SpritePicture Tobbin(const MazeWorld& world, std::vector<SpritePlacement>& placements) {
    Vec3 ground = world.grid.cellTop(world.hero.row, world.hero.column);
    Vec2 foot = world.camera.project(ground);
    float r = 0.47f * world.camera.scaleAt(ground);
    Box box = Box::Around(foot.x - r * 1.45f, foot.y - r * 2.62f, foot.x + r * 1.45f, foot.y + r * 0.4f);
    placements.push_back(box.placement("sptTobbin"));

    SpritePicture picture{"cover_tobbin.gif", {}, {}, {}, {}, "cover_tobbin_alpha.gif", 3};
    // Open, half shut, shut, half shut: a blink every few seconds.
    const float blinks[] = {0, 0.55f, 1, 0.55f};
    const int delays[] = {320, 4, 6, 4};
    for (int i = 0; i < 4; ++i) {
        Image frame(box.width(), box.height());
        TobbinPose pose{{foot.x - box.x0, foot.y - box.y0 - r * 1.02f}, r, blinks[i], {-0.1f, 0.25f}, foot.y - box.y0};
        DrawTobbin(frame, pose);
        picture.frames.push_back(frame);
        picture.delays.push_back(delays[i]);
    }
    return picture;
}

SpritePicture Ghost(const MazeWorld& world, const MazeActor& actor, const std::string& name, const std::string& entry,
                    Vec2 look, float phase, std::vector<SpritePlacement>& placements) {
    Vec3 ground = world.grid.cellTop(actor.row, actor.column);
    Vec2 foot = world.camera.project(ground);
    float r = 0.40f * world.camera.scaleAt(ground);
    const float rest = r * 1.55f;  // height of the head's centre above the ground
    const float bob = r * 0.12f;
    Box box = Box::Around(foot.x - r * 1.75f, foot.y - rest - bob - r * 1.75f, foot.x + r * 1.75f, foot.y + r * 0.5f);
    placements.push_back(box.placement(entry));

    SpritePicture picture{name + ".gif", {}, {}, {}, {}, name + "_alpha.gif", 3};
    const int frames = 8;
    for (int i = 0; i < frames; ++i) {
        float angle = 2 * kPi * i / frames + phase;
        float hover = bob * (1 + std::sin(angle));
        Image frame(box.width(), box.height());
        GhostPose pose{{foot.x - box.x0, foot.y - box.y0 - rest - hover}, r, actor.light, angle * 1.5f, look,
                       foot.y - box.y0, hover};
        DrawGhost(frame, pose);
        picture.frames.push_back(frame);
        picture.delays.push_back(10);
    }
    return picture;
}

SpritePicture FromButton(const ButtonArt& art, const std::string& name) {
    return {name + ".gif", art.normal, art.delays, name + "_bright.gif", art.bright, name + "_alpha.gif", 2};
}

}  // namespace

CoverArt MakeCoverArt(const CoverFonts& fonts) {
    CoverArt art;
    const int w = kDesignWidth * kArtScale, h = kDesignHeight * kArtScale;
    MazeWorld world = CoverMazeWorld(w, h);

    SpritePicture backdrop{"cover_backdrop.gif", {RenderCoverBackdrop(world)}, {0}, {}, {}, {}, 5};
    art.pictures.push_back(backdrop);

    art.pictures.push_back(Ghost(world, world.ghosts[1], "cover_ghost_cyan", "sptGhostCyan", {-0.7f, 0.5f}, 1.3f,
                                 art.placements));
    art.pictures.push_back(Ghost(world, world.ghosts[0], "cover_ghost_red", "sptGhostRed", {0.8f, 0.55f}, 0,
                                 art.placements));
    art.pictures.push_back(Tobbin(world, art.placements));

    const int titleW = 232, titleH = 84, titleY = 10;
    TitleArt title = MakeTitleArt("KARROWEN", fonts.title, titleW * kArtScale, titleH * kArtScale);
    art.pictures.push_back({"cover_title.gif", title.frames, title.delays, {}, {}, "cover_title_alpha.gif", 3});
    art.placements.push_back({"sptTitle", (kDesignWidth - titleW) / 2, titleY, titleW, titleH});

    const int startW = 136, startH = 40;
    art.pictures.push_back(FromButton(MakeStartButton("START", fonts.label, startW * kArtScale, startH * kArtScale, 8),
                                      "cover_start"));
    art.placements.push_back({"lnkStart", (kDesignWidth - startW) / 2, 256, startW, startH});

    const int exitSize = 30;
    art.pictures.push_back(FromButton(MakeExitButton(exitSize * kArtScale), "cover_exit"));
    art.placements.push_back({"cmdExit", kDesignWidth - exitSize - 2, 2, exitSize, exitSize});
    return art;
}
