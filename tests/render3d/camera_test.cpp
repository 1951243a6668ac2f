// The perspective camera: projection constants, the frustum sphere test and
// the navigation modes.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "render3d/camera.h"
#include "render3d_fixture.h"

namespace {

using r3test::Render3DTest;

PerspectiveCamera Make(int width = 240, int height = 320, int mode = 0) {
    return PerspectiveCamera(nullptr, width, height, mode, 45.0f, 1.0f, 10000.0f);
}

TEST(PerspectiveCamera, ProjectionConstantsOfTheViewportAndFieldOfView) {
    PerspectiveCamera c = Make();
    EXPECT_EQ(c.minDim, 240);
    EXPECT_EQ(c.tanHalfFov1024, 424);
    EXPECT_EQ(c.focalLength(), 289);
    EXPECT_EQ(c.aspect1024, 768);
    PerspectiveCamera odd = Make(321, 200);
    int w, h;
    odd.getViewport(w, h);
    EXPECT_EQ(w, 321);
    EXPECT_EQ(h, 200);
    EXPECT_EQ(odd.aspect1024, 1643);
    // The lowest bit of minDim is cleared: (200 * 512) / 424.
    EXPECT_EQ(odd.focalLength(), 241);
    odd.setViewport(201, 0);  // no division by zero
    EXPECT_EQ(odd.minDim, 0);
    // A field of view of zero or less behaves as one degree.
    c.setProjection(1.0f, 2.0f, 50.0f);
    EXPECT_EQ(c.tanHalfFov1024, 8);
    for (float fov : {0.0f, -30.0f}) {
        PerspectiveCamera other = Make();
        other.setProjection(fov, 2.0f, 50.0f);
        float gotFov, n, f;
        other.getProjection(gotFov, n, f);
        EXPECT_EQ(gotFov, 1.0f);
        EXPECT_EQ(n, 2.0f);
        EXPECT_EQ(f, 50.0f);
        EXPECT_EQ(other.tanHalfFov1024, c.tanHalfFov1024);
        EXPECT_EQ(other.focalLength(), c.focalLength());
    }
}

TEST(PerspectiveCamera, ViewMatrixIsRebuiltAfterEveryChange) {
    PerspectiveCamera c = Make();
    c.setPosition(0, 0, -4);
    EXPECT_FLOAT_EQ(TransformPoint(c.viewMatrix(), {0, 0, 0}).z, 4.0f);
    c.setUp(0, 5, 0);
    EXPECT_EQ(c.up(), (Vector3{0, 1, 0}));
    c.setTarget(4, 0, -4);  // now looking along +x
    EXPECT_NEAR(TransformPoint(c.viewMatrix(), {1, 0, -4}).z, 1.0f, 1e-6f);
    Matrix4 world = c.worldMatrix();
    EXPECT_EQ(world.getTranslation(), c.position());
}

TEST(PerspectiveCamera, SphereTestAgainstNearFarAndSides) {
    PerspectiveCamera c = Make();  // 240 x 320: the fov spans the width
    const int32_t near16 = 65536, far16 = 100 * 65536;
    EXPECT_TRUE(c.sphereVisible({0, 0, 10}, 1.0f, near16, far16));
    EXPECT_FALSE(c.sphereVisible({0, 0, 120}, 1.0f, near16, far16));
    EXPECT_TRUE(c.sphereVisible({0, 0, 100.5f}, 1.0f, near16, far16));
    EXPECT_FALSE(c.sphereVisible({0, 0, -5}, 1.0f, near16, far16));
    EXPECT_TRUE(c.sphereVisible({0, 0, 0.5f}, 1.0f, near16, far16));
    // Measured at the sphere's far side (depth 11.1), half the width spans
    // 4.6 units and half the taller height 4.6 * 1024 / 768 = 6.1; the radius
    // counts 10 % larger.
    EXPECT_TRUE(c.sphereVisible({5.0f, 0, 10}, 1.0f, near16, far16));
    EXPECT_FALSE(c.sphereVisible({6.0f, 0, 10}, 1.0f, near16, far16));
    EXPECT_TRUE(c.sphereVisible({0, 7.0f, 10}, 1.0f, near16, far16));
    EXPECT_FALSE(c.sphereVisible({0, 7.5f, 10}, 1.0f, near16, far16));
    EXPECT_FALSE(c.sphereVisible({-6.0f, 0, 10}, 1.0f, near16, far16));
    EXPECT_FALSE(c.sphereVisible({1e30f, 0, 10}, 1.0f, near16, far16));
    // A wide viewport: the width is the larger extent now.
    PerspectiveCamera wide = Make(320, 240);
    EXPECT_TRUE(wide.sphereVisible({7.0f, 0, 10}, 1.0f, near16, far16));
    EXPECT_FALSE(wide.sphereVisible({7.5f, 0, 10}, 1.0f, near16, far16));
    EXPECT_TRUE(wide.sphereVisible({0, 5.0f, 10}, 1.0f, near16, far16));
    EXPECT_FALSE(wide.sphereVisible({0, 6.0f, 10}, 1.0f, near16, far16));
}

TEST(Navigation, ModeZeroWaitsUntilTheObjectLeavesTheDistance) {
    PerspectiveCamera c = Make();
    Matrix4 object = Matrix4::translation({0, 0, 0});
    Vector3 direction{0, 0, 2};  // normalized to (0, 0, 1)
    c.setNavigation(0, &object, 10.0f, 0.0f, direction, nullptr);
    EXPECT_EQ(direction, (Vector3{0, 0, 1}));
    // Placed at once behind the object: transformPoint(M, direction * -distance).
    EXPECT_EQ(c.position(), (Vector3{0, 0, -10}));
    object.setTranslation({0, 0, 0.9f});  // still within 1.1 * 10
    c.update(0.1f);
    EXPECT_EQ(c.position(), (Vector3{0, 0, -10}));
    EXPECT_EQ(c.target(), (Vector3{0, 0, 0.9f}));
    object.setTranslation({0, 0, 1.5f});  // beyond 11: placed again
    c.update(0.1f);
    EXPECT_EQ(c.position(), (Vector3{0, 0, 1.5f - 10.0f}));
}

TEST(Navigation, FollowModesOneToFourAndMinusOne) {
    Matrix4 object = Matrix4::translation({5, 0, 5});
    Vector3 offset{0, 1, 0};
    // A camera following the object in `mode`, one step on.
    auto follow = [&](int mode, float distance, Vector3 direction, const Vector3* targetOffset) {
        auto c = std::make_unique<PerspectiveCamera>(Make());
        c->setNavigation(mode, &object, distance, 0.0f, direction, targetOffset);
        c->update(0.1f);
        return c;
    };
    auto one = follow(1, 10.0f, {0, 3, -4}, &offset);  // direction normalized to (0, 0.6, -0.8)
    EXPECT_EQ(one->target(), (Vector3{5, 1, 5}));
    EXPECT_NEAR(one->position().y, 6.0f, 1e-5f);
    EXPECT_NEAR(one->position().z - 5.0f, -8.0f, 1e-5f);

    auto two = follow(2, 10.0f, {0, 1, 0}, nullptr);
    EXPECT_NEAR(two->position().y, 10.0f, 1e-5f);  // straight above, a minute offset in z
    EXPECT_LT(two->position().z - 5.0f, 0.0f);

    auto four = follow(4, 2.0f, {0, 0, 1}, nullptr);
    EXPECT_EQ(four->position(), (Vector3{5, 0, 7}));
    // The look-ahead is the mean of |x|, |y|, |z| (4), raised to 10.
    EXPECT_EQ(four->target(), (Vector3{5, 0, 15}));

    auto minusOne = follow(-1, 10.0f, {0, 0, 3}, nullptr);  // mode -1 keeps the direction as an offset
    EXPECT_EQ(minusOne->target(), (Vector3{5, 0, 8}));
    EXPECT_EQ(minusOne->position(), (Vector3{0, 0, -10}));
}

TEST(Navigation, SmoothedModesKeepTheSmoothingBetween0And100) {
    for (int mode : {5, 6, 7}) {
        PerspectiveCamera c = Make();
        Matrix4 object;
        Vector3 direction{0, 0.5f, -1};
        c.setNavigation(mode, &object, 4.0f, 50.0f, direction, nullptr);
        EXPECT_EQ(c.smoothing(), 50.0f);
        // A far jump with a long step would drive it far below 0.
        object.setTranslation({5000.0f, 0, 0});
        c.update(60.0f);
        EXPECT_EQ(c.smoothing(), 0.0f) << "mode " << mode;
        // A camera held on its target with a long step would go far above 100.
        object.setTranslation({0, 0, 0});
        c.setSmoothing(90.0f);
        c.setPosition(0.01f, 0, 0);
        c.update(60.0f);
        EXPECT_EQ(c.smoothing(), 100.0f) << "mode " << mode;
        for (int i = 0; i < 300; ++i) {
            object.setTranslation({i % 7 == 0 ? 300.0f * float(i % 5) : 0.0f, 0, float(i % 3)});
            c.update(i % 4 == 0 ? 30.0f : 0.02f);
            ASSERT_GE(c.smoothing(), 0.0f) << "mode " << mode << " step " << i;
            ASSERT_LE(c.smoothing(), 100.0f) << "mode " << mode << " step " << i;
        }
    }
}

TEST(Navigation, SmoothedModesMovePartWaySevenIgnoresRotationAndSixLeansTheUpVector) {
    PerspectiveCamera c = Make();
    Matrix4 object;
    object.m[0] = -1, object.m[10] = -1;  // turned half round: rotation would flip z
    Vector3 direction{0, 0, -1};
    c.setNavigation(7, &object, 4.0f, 25.0f, direction, nullptr);
    c.setPosition(0, 0, -10);
    c.update(0.0f);
    // desired = target + direction * distance = (0, 0, -4); t = 0.75.
    EXPECT_NEAR(c.position().z, -10.0f + 6.0f * 0.75f, 1e-5f);
    c.setNavigation(-2, &object, 4.0f, 25.0f, direction, nullptr);
    EXPECT_EQ(c.followed(), nullptr);
    Vector3 before = c.position();
    c.update(1.0f);
    EXPECT_EQ(c.position(), before);

    // Rolled 90 degrees about z: the object's up is -x. Modes 5 and 7 keep the world's.
    object = Matrix4();
    object.m[0] = 0, object.m[1] = -1, object.m[4] = 1, object.m[5] = 0;
    c.setNavigation(6, &object, 4.0f, 0.0f, direction, nullptr);
    c.update(0.1f);
    EXPECT_NEAR(c.up().x, -1.0f, 1e-5f);
    c.setNavigation(5, &object, 4.0f, 0.0f, direction, nullptr);
    c.update(0.1f);
    EXPECT_EQ(c.up(), (Vector3{0, 1, 0}));
}

class CameraProjectTest : public Render3DTest {};

TEST_F(CameraProjectTest, ProjectGivesScreenPositionAndDepth) {
    Scene3D* scene = makeScene(240, 320);
    Camera& c = *scene->camera();
    float scale;
    int sx, sy, depth;
    c.project({1, 1, 0}, scale, sx, sy, depth);
    EXPECT_FLOAT_EQ(scale, 28.9f);
    EXPECT_EQ(sx, 120 + 28);
    EXPECT_EQ(sy, 160 - 28);
    EXPECT_EQ(depth, 10);
    // Without a pipeline the point stays in world space.
    PerspectiveCamera loose(nullptr, 240, 320, 0, 45, 1, 100);
    Vector3 p{1, 2, 3};
    loose.toCameraSpace(p);
    EXPECT_EQ(p, (Vector3{1, 2, 3}));
}

}  // namespace
