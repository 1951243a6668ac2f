#include "render3d/camera.h"

#include <cmath>
#include <cstdlib>

#include "render3d/scene3d.h"

Camera::Camera(Scene3D* owner, int navigationMode) : scene(owner), navigationMode_(navigationMode) {}

void Camera::setPosition(const Vector3& p) {
    position_ = p;
    dirty_ = true;
}

void Camera::setTarget(const Vector3& t) {
    target_ = t;
    dirty_ = true;
}

void Camera::setUp(const Vector3& u) {
    up_ = u.normalized();
    dirty_ = true;
}

void Camera::resetUp() {
    if (!(up_ == Vector3{0.0f, 1.0f, 0.0f})) setUp(0.0f, 1.0f, 0.0f);
}

const Matrix4& Camera::viewMatrix() {
    if (dirty_) {
        view_ = LookAt(position_, target_, up_, true);
        dirty_ = false;
    }
    return view_;
}

Matrix4 Camera::worldMatrix() const { return LookAt(position_, target_, up_, false); }

void Camera::place() {
    if (!followed_ || distance_ == 0.0f) return;
    setPosition(TransformPoint(*followed_, direction_ * -distance_));
    resetUp();
}

void Camera::setFollowed(const Matrix4* objectMatrix) {
    followed_ = objectMatrix;
    if (navigationMode_ == 0) place();
}

void Camera::setNavigation(int mode, const Matrix4* objectMatrix, float distance, float smoothing, Vector3& direction,
                           const Vector3* targetOffset) {
    navigationMode_ = mode;
    if (mode == kNavigationNone) {
        followed_ = nullptr;
        return;
    }
    followed_ = objectMatrix;
    distance_ = distance;
    setSmoothing(smoothing);
    if (mode != -1) direction.normalize();
    direction_ = direction;
    targetOffset_ = targetOffset ? *targetOffset : Vector3{};
    if (mode == 0) place();
}

void Camera::update(float timeStep) {
    int mode = navigationMode_;
    if (mode == kNavigationNone || !followed_ || mode < -1 || mode > 7) return;
    const Matrix4& object = *followed_;
    Vector3 p = object.getTranslation();
    switch (mode) {
        case -1: setTarget(p + direction_ + targetOffset_); break;
        case 0: {
            setTarget(p + targetOffset_);
            float limit = 1.1f * distance_;
            if ((p - position_).lengthSquared() > limit * limit) place();
            break;
        }
        case 1:
        case 2:
        case 3: {
            setTarget(p + targetOffset_);
            Vector3 o = RotateVector(object, direction_);
            if (mode == 2) {
                o.x = 0.0f;
                o.z = -0.001f;
            } else {
                o.y = direction_.y;
            }
            if (o.lengthSquared() > 1e-18f) setPosition(p + o.normalized() * distance_);
            resetUp();
            break;
        }
        case 4: {
            Vector3 eye = TransformPoint(object, direction_ * distance_);
            setPosition(eye);
            float a = (std::fabs(eye.x) + std::fabs(eye.y) + std::fabs(eye.z)) * 0.33333f;
            if (a < 10.0f) a = 10.0f;
            setTarget(TransformPoint(object, direction_ * a));
            setUp(RotateVector(object, Vector3{0.0f, 1.0f, 0.0f}));
            break;
        }
        default: {  // 5, 6, 7: a smoothed chase
            float t = 1.0f - smoothing_ * 0.01f;
            setTarget(p + targetOffset_);
            Vector3 desired = mode == 7 ? target_ + direction_ * distance_
                                        : TransformPoint(object, direction_ * distance_);
            setPosition(position_ + (desired - position_) * t);
            float d2 = (position_ - target_).lengthSquared();
            float r2 = distance_ * distance_;
            // At distance 0 the stretch term is undefined; the base percentage stands.
            float stretch = r2 > 0.0f ? (d2 - r2) / r2 : 0.0f;
            float s = baseSmoothing_ - stretch * timeStep;
            smoothing_ = s == s ? ClampFloat(s, 0.0f, 100.0f) : 0.0f;
            if (mode == 6) {
                Vector3 objectUp = RotateVector(object, Vector3{0.0f, 1.0f, 0.0f});
                setUp(objectUp + (up_ - objectUp) * (1.0f - t));
            } else {
                resetUp();
            }
            break;
        }
    }
}

int Camera::focalLength() const {
    if (tanHalfFov1024 == 0) return 0;
    return ((minDim & ~1) * 512) / tanHalfFov1024;
}

void Camera::project(const Vector3& worldPoint, float& scale, int& sx, int& sy, int& depth) {
    Vector3 p = worldPoint;
    toCameraSpace(p);
    scale = float(focalLength()) / p.z;
    sx = TruncToInt(scale * p.x) + viewportWidth / 2;
    sy = viewportHeight / 2 - TruncToInt(scale * p.y);
    depth = TruncToInt(p.z);
}

void Camera::toCameraSpace(Vector3& point) {
    if (!scene || !scene->pipeline()) return;
    point = TransformPoint(viewMatrix(), point);
}

bool Camera::sphereVisible(const Vector3& c, float radius, int32_t near16, int32_t far16) const {
    // The radius plus 10 %, and every length, in 16.16; 64-bit so that far-off
    // spheres cannot overflow.
    int64_t r = TruncToInt(radius * 72089.6);
    int64_t z = TruncToInt(double(c.z) * 65536.0);
    if (z > far16 + r || z < near16 - r) return false;
    int64_t e = (std::llabs(z + r) >> 10) * tanHalfFov1024;
    int64_t halfX, halfY;
    if (aspect1024 >= 1024) {
        halfX = (e >> 10) * aspect1024;
        halfY = e;
    } else {
        halfX = e;
        halfY = aspect1024 > 0 ? (e / aspect1024) * 1024 : e;
    }
    if (std::llabs(TruncToInt(double(c.x) * 65536.0)) - r > halfX) return false;
    if (std::llabs(TruncToInt(double(c.y) * 65536.0)) - r > halfY) return false;
    return true;
}

// ---- PerspectiveCamera -------------------------------------------------------------------

PerspectiveCamera::PerspectiveCamera(Scene3D* owner, int width, int height, int navigationMode, float fovDegrees,
                                     float nearDist, float farDist)
    : Camera(owner, navigationMode) {
    setViewport(width, height);
    setProjection(fovDegrees, nearDist, farDist);
}

void PerspectiveCamera::setProjection(float fovDegrees, float nearDist, float farDist) {
    if (fovDegrees <= 0.0f) fovDegrees = 1.0f;
    fov = fovDegrees;
    tanHalfFov1024 = TruncToInt(std::tan(double(fovDegrees * 0.017453292f * 0.5f)) * 1024.0);
    nearDistance = nearDist;
    farDistance = farDist;
}

void PerspectiveCamera::getProjection(float& fovDegrees, float& nearDist, float& farDist) const {
    fovDegrees = fov;
    nearDist = nearDistance;
    farDist = farDistance;
}

void PerspectiveCamera::setViewport(int width, int height) {
    viewportWidth = width;
    viewportHeight = height;
    minDim = width < height ? width : height;
    // A zero height would divide by zero; such a viewport draws nothing anyway.
    aspect1024 = height != 0 ? (width * 1024) / height : 1024;
}

void PerspectiveCamera::getViewport(int& width, int& height) const {
    width = viewportWidth;
    height = viewportHeight;
}
