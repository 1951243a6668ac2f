// How the game screen looks at a level: the original camera's aim, its zoom
// out, its lean toward the maze's centre and its sway; the overhead view's
// hold on the maze; the backdrop that scrolls with the hero.

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <utility>

#include "game/game_view.h"
#include "platform/frame_buffer.h"
#include "render3d/camera.h"

namespace {

std::tuple<float, float, float> Projection(const Camera& camera) {
    float fov = 0, nearDistance = 0, farDistance = 0;
    camera.getProjection(fov, nearDistance, farDistance);
    return {fov, nearDistance, farDistance};
}

uint32_t& Pixel(FrameBuffer& f, int x, int y) { return reinterpret_cast<uint32_t*>(f.pixels + y * f.rowStride)[x]; }

}  // namespace

TEST(GameView, TheCameraLooksDownFromBehindAndEveryAppearanceZoomsOut) {
    PerspectiveCamera camera(nullptr, 240, 320, 0, 45.0f, 2.0f, 500.0f);
    const Matrix4 hero = Matrix4::translation({10, 0, 20});
    AimCamera(camera, hero, 25);
    EXPECT_EQ(Projection(camera), std::tuple(20.0f, 1.0f, 150.0f));
    EXPECT_EQ(std::tuple(camera.navigationMode(), camera.followed(), camera.smoothing()), std::tuple(3, &hero, 0.0f));
    EXPECT_FLOAT_EQ(camera.followDistance(), 0.2f * 25 + 60);
    EXPECT_EQ(camera.targetOffset(), (Vector3{0, 10, 0}));
    const Vector3 way = camera.followDirection();
    EXPECT_EQ(way.x, 0.0f);
    EXPECT_NEAR(way.z / way.y, -0.7f / 0.5f, 1e-5f);

    // 30 degrees a second, up to 50, near and far kept.
    ZoomOut(camera, 0.5f);
    EXPECT_EQ(Projection(camera), std::tuple(35.0f, 1.0f, 150.0f));
    ZoomOut(camera, 1.0f);
    EXPECT_EQ(Projection(camera), std::tuple(50.0f, 1.0f, 150.0f));
    camera.setProjection(60.0f, 1.0f, 150.0f);
    ZoomOut(camera, 0.5f);
    EXPECT_EQ(std::get<0>(Projection(camera)), 60.0f) << "a wider view stays as it is";
    // The overhead view is placed each frame, not driven.
    AimCameraOverhead(camera);
    EXPECT_EQ(Projection(camera), std::tuple(20.0f, 1.0f, 150.0f));
    EXPECT_EQ(std::tuple(camera.navigationMode(), camera.followed()), std::tuple(kNavigationNone, nullptr));
}

// The view leans toward the maze's centre by where the camera stands across
// it; with sway on, its target circles on top of that.
TEST(GameView, TheFollowingCameraLeansTowardTheCentreAndSways) {
    const Matrix4 hero = Matrix4::translation({30, 0, 0});
    auto followed = [&](float halfSize, bool sway, float t) {
        PerspectiveCamera camera(nullptr, 240, 320, 0, 45.0f, 1.0f, 150.0f);
        AimCamera(camera, hero, 15);
        camera.setPosition({20, 40, -30});
        FollowHero(camera, halfSize, 0.05f, sway, t);
        EXPECT_NE(camera.position(), (Vector3{20, 40, -30})) << "it follows";
        return std::tuple(camera.followDirection().x, camera.targetOffset().x, camera.target());
    };
    const auto [lean, offset, target] = followed(40.0f, false, 0.0f);
    EXPECT_FLOAT_EQ(lean, -0.3f * 0.5f);
    EXPECT_FLOAT_EQ(offset, -30.0f * 0.5f);
    EXPECT_EQ(std::get<0>(followed(0.0f, false, 0.0f)), 0.0f) << "a maze of no size leans nowhere";
    const float t = 0.7f, a = 1.5f * t;
    const Vector3 swayed = std::get<2>(followed(40.0f, true, t)) - target;
    EXPECT_NEAR(swayed.x, std::cos(a) * 1.5f, 1e-4f);
    EXPECT_NEAR(swayed.y, std::sin(a) * 2.5f, 1e-4f);
    EXPECT_NEAR(swayed.z, std::sin(a) * 1.5f, 1e-4f);
}

// The overhead view keeps the maze on the screen: its look-at point stays far
// enough inside the maze that little beyond it shows, except where that would
// push the hero out of the middle of the screen or off it.
TEST(GameView, TheOverheadViewHoldsItsLookAtInsideTheMaze) {
    for (auto [width, height] : {std::pair{240, 320}, std::pair{640, 480}}) {
        PerspectiveCamera camera(nullptr, width, height, kNavigationNone, 50.0f, 1.0f, 150.0f);
        for (int rows : {7, 15, 23}) {
            const float distance = OverheadDistance(rows);
            const OverheadReach reach = ReachOf(camera, distance);
            SCOPED_TRACE(testing::Message() << width << "x" << height << ", " << rows << " rows");
            ASSERT_TRUE(reach.side > 0.0f && reach.ahead > 0.0f && reach.behind > 0.0f);
            const float half = 5.0f * float(rows - 2);
            const float inner = half - 5.0f;  // the centre of an edge cell
            for (float x : {-inner, -0.5f * inner, 0.0f, inner})
                for (float z : {-inner, 0.0f, 0.5f * inner, inner}) {
                    const Vector3 hero{x, 8.0f, z};
                    const Vector3 look = OverheadLookAt(hero, half, reach);
                    // Never beyond the maze, nor nearer its edges than the screen reaches where it is wide enough.
                    EXPECT_LE(std::fabs(look.x), half) << x << "," << z;
                    EXPECT_LE(std::fabs(look.z), half) << x << "," << z;
                    if (reach.side <= half && std::fabs(x) < 0.5f * half) {
                        EXPECT_LE(std::fabs(look.x), half - reach.side) << x << "," << z;
                    }
                    // The hero stays in the middle 60 % of the width, clear of the lives above and the status bar below.
                    const float depthScale = 1.0f + (hero.z - look.z) * reach.depthPerAhead;
                    EXPECT_LE(std::fabs(hero.x - look.x), 0.6f * reach.side * depthScale) << x << "," << z;
                    EXPECT_LE(hero.z - look.z, reach.heroAhead + 0.001f) << x << "," << z;
                    EXPECT_LE(look.z - hero.z, reach.behind) << x << "," << z;
                }
        }
    }
}

// Seen from the view it sets up, a ground point as far ahead of the look-at
// point as the reach says lies on the sky line (or, nearer, on the line the
// hero may reach), one as far behind on the status bar's edge, and the side
// reach at the look-at point's depth meets the screen's edge.
TEST(GameView, TheOverheadReachMeetsTheSkyLineTheStatusBarAndTheEdge) {
    for (auto [width, height] : {std::pair{240, 320}, std::pair{640, 480}}) {
        PerspectiveCamera camera(nullptr, width, height, kNavigationNone, 50.0f, 1.0f, 150.0f);
        const int rows = 23;
        const OverheadReach reach = ReachOf(camera, OverheadDistance(rows));
        FollowHeroOverhead(camera, {0, 8, 0}, 5.0f * float(rows - 2), rows, false, 0.0f);
        ASSERT_EQ(camera.target(), (Vector3{0, OverheadView::kLookHeight, 0}));
        // Camera::project works only inside a scene; the same projection, unrounded.
        auto screen = [&](Vector3 p) {
            p = TransformPoint(camera.viewMatrix(), p);
            const float scale = float(camera.focalLength()) / p.z;
            return std::pair(0.5f * float(width) + scale * p.x, 0.5f * float(height) - scale * p.y);
        };
        SCOPED_TRACE(testing::Message() << width << "x" << height);
        EXPECT_NEAR(screen({0, 0, reach.ahead}).second, OverheadView::kSkyShare * float(height), 1.0);
        EXPECT_NEAR(screen({0, 0, reach.heroAhead}).second, OverheadView::kHeroTopShare * float(height), 1.0);
        EXPECT_NEAR(screen({0, 0, -reach.behind}).second, (1 - OverheadView::kStatusShare) * float(height), 1.0);
        EXPECT_NEAR(screen({reach.side, OverheadView::kLookHeight, 0}).first, width, 1.0);
    }
}

// The hero at the maze's west edge shows the picture's left edge, at the east
// edge its right; at the south edge its bottom, at the north edge its top.
TEST(GameView, TheBackdropScrollsWithTheHero) {
    FrameBuffer backdrop(400, 500, false), target(240, 320, false);
    for (int y = 0; y < backdrop.height; ++y)
        for (int x = 0; x < backdrop.width; ++x)
            Pixel(backdrop, x, y) = uint32_t(x << 12 | y);
    // Where the picture's pixel at the screen's top left comes from.
    auto shown = [&](float heroX, float heroZ) {
        DrawBackdrop(backdrop, target, heroX, heroZ, 50.0f);
        const uint32_t p = Pixel(target, 0, 0);
        return std::pair(int(p >> 12), int(p & 0xFFF));
    };
    EXPECT_EQ(shown(-50, 50), std::pair(0, 0));
    EXPECT_EQ(shown(50, -50), std::pair(400 - 240, 500 - 320));
    EXPECT_EQ(shown(-25, 0), std::pair(int(160 * 0.25f), 90));
    EXPECT_EQ(shown(0, 25), std::pair(80, int(180 * 0.25f)));
    // A smaller picture leaves a black border, not the last frame.
    FrameBuffer small(100, 400, false);
    DrawBackdrop(small, target, 0, 0, 50.0f);
    EXPECT_EQ(Pixel(target, 0, 319), 0u);
}
