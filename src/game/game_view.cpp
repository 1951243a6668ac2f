#include "game/game_view.h"

#include <algorithm>
#include <cmath>

#include "platform/frame_buffer.h"
#include "render3d/camera.h"
#include "scene/image_ops.h"

namespace {

Vector3 SwayOf(float t) {
    const float a = 1.5f * t;
    return {std::cos(a) * 1.5f, std::sin(a) * 2.5f, std::sin(a) * 1.5f};
}

// The value nearest to v in [lo, hi]; the middle when the range is empty.
float Hold(float v, float lo, float hi) { return lo <= hi ? std::clamp(v, lo, hi) : 0.5f * (lo + hi); }

}  // namespace

void AimCamera(Camera& camera, const Matrix4& heroMatrix, int mazeRows) {
    camera.setProjection(20.0f, 1.0f, 150.0f);
    Vector3 direction{0.0f, 0.5f, -0.7f};
    const Vector3 targetOffset{0.0f, 10.0f, 0.0f};
    camera.setNavigation(3, &heroMatrix, 0.2f * float(mazeRows) + 60.0f, 0.0f, direction, &targetOffset);
}

void ZoomOut(Camera& camera, float dt) {
    float fov, nearDistance, farDistance;
    camera.getProjection(fov, nearDistance, farDistance);
    if (fov >= 50.0f) return;
    fov = std::min(fov + 30.0f * dt, 50.0f);
    camera.setProjection(fov, nearDistance, farDistance);
}

void FollowHero(Camera& camera, float halfSize, float dt, bool sway, float t) {
    const float k = halfSize != 0.0f ? camera.position().x / halfSize : 0.0f;
    Vector3 direction = camera.followDirection();
    direction.x = -0.3f * k;
    camera.setFollowDirection(direction);
    Vector3 offset = camera.targetOffset();
    offset.x = -30.0f * k;
    camera.setTargetOffset(offset);
    camera.update(dt);
    if (sway) camera.setTarget(camera.target() + SwayOf(t));
}


OverheadReach ReachOf(const Camera& camera, float distance) {
    int w = 0, h = 0;
    camera.getViewport(w, h);
    const float f = float(camera.focalLength());
    const float s = std::sin(OverheadView::kPitch), c = std::cos(OverheadView::kPitch);
    const float lift = OverheadView::kLookHeight;
    OverheadReach reach;
    if (f <= 0.0f || distance <= 0.0f) return reach;
    reach.side = distance * 0.5f * float(w) / f;
    // A ground point d ahead of the look-at point lies f (d s - lift c) /
    // (distance + d c + lift s) pixels above the screen's centre; solved for
    // d at the sky line, and likewise behind at the status bar.
    auto aheadTo = [&](float topShare) {
        const float up = (0.5f - topShare) * float(h);
        const float divisor = f * s - up * c;
        return divisor > 0.0f ? (up * (distance + lift * s) + f * lift * c) / divisor : 1e6f;
    };
    const float down = (0.5f - OverheadView::kStatusShare) * float(h);
    reach.ahead = aheadTo(OverheadView::kSkyShare);
    reach.heroAhead = std::min(reach.ahead, aheadTo(OverheadView::kHeroTopShare));
    reach.behind = std::max(0.0f, (down * (distance + lift * s) - f * lift * c) / (f * s + down * c));
    reach.depthPerAhead = c / distance;
    return reach;
}

Vector3 OverheadLookAt(const Vector3& hero, float halfSize, const OverheadReach& reach) {
    const float z = std::clamp(Hold(hero.z, -halfSize + reach.behind, halfSize - reach.ahead), hero.z - reach.heroAhead,
                               hero.z + reach.behind);
    // The farther the hero stands beyond the look-at point, the wider the
    // screen is at his depth.
    const float room =
        std::max(0.0f, OverheadView::kHeroShare * reach.side * (1.0f + (hero.z - z) * reach.depthPerAhead));
    const float x = std::clamp(Hold(hero.x, -halfSize + reach.side, halfSize - reach.side), hero.x - room, hero.x + room);
    return {x, OverheadView::kLookHeight, z};
}

float OverheadDistance(int mazeRows) { return 0.9f * float(mazeRows) + 40.0f; }

void AimCameraOverhead(Camera& camera) {
    camera.setProjection(20.0f, 1.0f, 150.0f);
    Vector3 unused{0.0f, 0.0f, 1.0f};
    camera.setNavigation(kNavigationNone, nullptr, 0.0f, 0.0f, unused, nullptr);
}

void FollowHeroOverhead(Camera& camera, const Vector3& hero, float halfSize, int mazeRows, bool sway, float t) {
    const float distance = OverheadDistance(mazeRows);
    const Vector3 lookAt = OverheadLookAt(hero, halfSize, ReachOf(camera, distance));
    const Vector3 back{0.0f, std::sin(OverheadView::kPitch) * distance, -std::cos(OverheadView::kPitch) * distance};
    camera.setPosition(lookAt + back);
    camera.setTarget(sway ? lookAt + SwayOf(t) : lookAt);
    camera.resetUp();
}

void DrawBackdrop(const FrameBuffer& backdrop, FrameBuffer& target, float heroX, float heroZ, float halfSize) {
    if (backdrop.empty() || halfSize <= 0.0f) return;
    const float w = float(backdrop.width), h = float(backdrop.height);
    const float W = float(target.width), Hp = float(target.height);
    const int x = -int((w - W) * (heroX + halfSize) / (2.0f * halfSize));
    const int y = int((heroZ + halfSize) * (h - Hp) / (2.0f * halfSize)) + int(Hp - h);
    // A picture smaller than the screen leaves a border that must not keep
    // the last frame.
    if (w < W || h < Hp) clear(target, 0);
    copyRect(backdrop, target, x, y, 0, 0, backdrop.width, backdrop.height, true);
}
