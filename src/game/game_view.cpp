#include "game/game_view.h"

#include <cmath>

#include "platform/frame_buffer.h"
#include "render3d/camera.h"
#include "scene/image_ops.h"

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
    if (!sway) return;
    const float a = 1.5f * t;
    camera.setTarget(camera.target() + Vector3{std::cos(a) * 1.5f, std::sin(a) * 2.5f, std::sin(a) * 1.5f});
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
