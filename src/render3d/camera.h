#pragma once
// The camera every 3D scene owns: where it stands and looks, its perspective
// projection and viewport, and the navigation modes that let it follow an
// object. The projection constants are integers because the pipeline consumes
// them in fixed point: the field of view as tan(fov / 2) * 1024, the focal
// length in pixels, the aspect ratio * 1024.

#include <cstdint>

#include "render3d/math3d.h"

class Scene3D;

// Navigation mode of a camera that nothing drives.
inline constexpr int kNavigationNone = -2;

class Camera {
public:
    Camera(Scene3D* scene, int navigationMode);
    virtual ~Camera() = default;

    virtual void setProjection(float fovDegrees, float nearDistance, float farDistance) = 0;
    virtual void getProjection(float& fovDegrees, float& nearDistance, float& farDistance) const = 0;
    virtual void setViewport(int width, int height) = 0;
    virtual void getViewport(int& width, int& height) const = 0;

    void setPosition(float x, float y, float z) { setPosition(Vector3{x, y, z}); }
    void setPosition(const Vector3& p);
    void setTarget(float x, float y, float z) { setTarget(Vector3{x, y, z}); }
    void setTarget(const Vector3& t);
    // The new up is normalized.
    void setUp(float x, float y, float z) { setUp(Vector3{x, y, z}); }
    void setUp(const Vector3& u);
    // Back to (0, 1, 0) unless it is exactly that already.
    void resetUp();
    const Vector3& position() const { return position_; }
    const Vector3& target() const { return target_; }
    const Vector3& up() const { return up_; }

    // World to camera, rebuilt after any change of position, target or up.
    const Matrix4& viewMatrix();
    // Camera to world.
    Matrix4 worldMatrix() const;

    // Follows the object whose world matrix this is (owned by the object);
    // in mode 0 the camera is placed at once.
    void setFollowed(const Matrix4* objectMatrix);
    // Modes -2 (not driven), -1 and 0 to 7. Outside mode -1 the direction is
    // normalized in place. A null target offset means (0, 0, 0).
    void setNavigation(int mode, const Matrix4* objectMatrix, float distance, float smoothing, Vector3& direction,
                       const Vector3* targetOffset);
    // Sets both the current and the base smoothing percentage.
    void setSmoothing(float s) { smoothing_ = baseSmoothing_ = s; }
    // Drives the camera once per frame; timeStep in seconds.
    void update(float timeStep);

    // The projection scale in pixels: a point at depth z lies f / z pixels from
    // the screen centre per world unit of offset.
    int focalLength() const;
    // Screen position and integer depth of a world point; scale = f / z.
    void project(const Vector3& worldPoint, float& scale, int& sx, int& sy, int& depth);
    // World to camera space in place; nothing when the scene has no pipeline.
    void toCameraSpace(Vector3& point);
    // Whether a sphere (camera-space centre, radius) may be seen between the
    // near and far planes, given in 16.16.
    bool sphereVisible(const Vector3& centre, float radius, int32_t near16, int32_t far16) const;

    // Adjust a running follow without resetting it (no normalisation).
    void setFollowDirection(const Vector3& d) { direction_ = d; }
    void setTargetOffset(const Vector3& offset) { targetOffset_ = offset; }
    const Vector3& targetOffset() const { return targetOffset_; }

    int navigationMode() const { return navigationMode_; }
    float smoothing() const { return smoothing_; }
    float followDistance() const { return distance_; }
    const Vector3& followDirection() const { return direction_; }
    const Matrix4* followed() const { return followed_; }

    Scene3D* scene;
    float fov = 45.0f;
    int tanHalfFov1024 = 0;
    float nearDistance = 1.0f, farDistance = 10000.0f;
    int viewportWidth = 0, viewportHeight = 0;
    int minDim = 0;
    int aspect1024 = 1024;

protected:
    void place();

    Vector3 position_{0.0f, 0.0f, -10.0f};
    Vector3 target_{0.0f, 0.0f, 0.0f};
    Vector3 up_{0.0f, 1.0f, 0.0f};
    float distance_ = 10.0f;
    float smoothing_ = 0.0f;      // percent
    float baseSmoothing_ = 0.0f;  // percent
    Vector3 direction_{0.0f, 0.0f, 0.0f};
    Vector3 targetOffset_{0.0f, 0.0f, 0.0f};
    bool dirty_ = true;
    Matrix4 view_;
    int navigationMode_;
    const Matrix4* followed_ = nullptr;
};

// The camera of pipeline type 0: the field of view spans the smaller screen
// dimension.
class PerspectiveCamera : public Camera {
public:
    PerspectiveCamera(Scene3D* scene, int width, int height, int navigationMode, float fovDegrees, float nearDistance,
                      float farDistance);

    // A field of view of 0 or less counts as 1 degree.
    void setProjection(float fovDegrees, float nearDistance, float farDistance) override;
    void getProjection(float& fovDegrees, float& nearDistance, float& farDistance) const override;
    void setViewport(int width, int height) override;
    void getViewport(int& width, int& height) const override;
};
