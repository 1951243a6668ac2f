#pragma once
// The numeric base of the 3D engine: a three-float vector, a 4x4 float
// transform, the 4096-entry sine and cosine tables and a few angle helpers.
//
// Coordinates are left-handed: x to the right, y up, z forward, away from the
// viewer. Matrices are stored row by row and multiply column vectors on the
// right (p' = M p), so the translation sits in elements 3, 7 and 11.

#include <cstdint>

struct Vector3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;

    void set(float nx, float ny, float nz) { x = nx, y = ny, z = nz; }
    // From three 16.16 fixed-point values.
    static Vector3 fromFixed(int32_t fx, int32_t fy, int32_t fz);

    Vector3& operator+=(const Vector3& b) { x += b.x, y += b.y, z += b.z; return *this; }
    Vector3& operator-=(const Vector3& b) { x -= b.x, y -= b.y, z -= b.z; return *this; }
    Vector3& operator*=(float s) { x *= s, y *= s, z *= s; return *this; }
    void addScaled(const Vector3& b, float s) { x += b.x * s, y += b.y * s, z += b.z * s; }
    void negate() { x = -x, y = -y, z = -z; }

    // sqrt in double precision.
    float length() const;
    float lengthSquared() const { return x * x + y * y + z * z; }
    // Leaves a zero vector, and one whose squared length is within 1e-10 of 1,
    // bit for bit unchanged.
    void normalize();
    Vector3 normalized() const;
    // a += (b - a) * t
    void lerp(const Vector3& b, float t);
    // One step of `step` toward b, without a clamp against overshoot; a goal
    // within 1e-10 is taken exactly.
    void moveToward(const Vector3& b, float step);

    bool operator==(const Vector3& b) const { return x == b.x && y == b.y && z == b.z; }
};

inline Vector3 operator+(Vector3 a, const Vector3& b) { return a += b; }
inline Vector3 operator-(Vector3 a, const Vector3& b) { return a -= b; }
inline Vector3 operator*(Vector3 a, float s) { return a *= s; }
inline Vector3 operator-(Vector3 a) { a.negate(); return a; }

float Dot(const Vector3& a, const Vector3& b);
Vector3 Cross(const Vector3& a, const Vector3& b);
Vector3 CrossNormalized(const Vector3& a, const Vector3& b);
// Radians; the cosine is clamped to -1..1 so rounding never gives NaN.
float AngleBetween(const Vector3& a, const Vector3& b);
// Normalizes both operands in place, then returns their dot product.
float DotNormalized(Vector3& a, Vector3& b);
// normalize((p2 - p1) x (p3 - p2))
Vector3 TriangleNormal(const Vector3& p1, const Vector3& p2, const Vector3& p3);

struct Matrix4 {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }

    static Matrix4 identity() { return Matrix4{}; }
    static Matrix4 translation(const Vector3& t);
    void setIdentity() { *this = Matrix4{}; }
    void setTranslation(const Vector3& t) { m[3] = t.x, m[7] = t.y, m[11] = t.z; }
    Vector3 getTranslation() const { return {m[3], m[7], m[11]}; }
    // Writes elements 0, 5 and 10 only.
    void setDiagonal(float sx, float sy, float sz) { m[0] = sx, m[5] = sy, m[10] = sz; }

    bool operator==(const Matrix4& b) const;
};

// out = a * b; out may be a or b.
void Multiply(Matrix4& out, const Matrix4& a, const Matrix4& b);
Matrix4 operator*(const Matrix4& a, const Matrix4& b);
Vector3 TransformPoint(const Matrix4& m, const Vector3& p);
Vector3 RotateVector(const Matrix4& m, const Vector3& v);
// The adjugate over the determinant of the upper-left 3x3 block: exact for
// affine matrices. When the determinant is below 1e-10 in size its reciprocal
// becomes 1e30 with the determinant's sign, so a singular matrix gives huge
// finite values instead of a division by zero.
Matrix4 Inverse(const Matrix4& m);
// The camera frame from eye toward target: in view form (world to camera) the
// rows of the rotation are right, up and forward; in object form (camera to
// world) they are its columns and the translation is the eye.
Matrix4 LookAt(const Vector3& eye, const Vector3& target, const Vector3& up, bool viewForm);

// ---- Angles and tables ----

inline constexpr int kTrigTableSize = 4096;

inline float DegToRad(float a) { return a * 0.017453292f; }
inline float RadToDeg(float a) { return a * 57.29578f; }
// Entry trunc(a * 4096 / 2pi) & 4095 of the table (a in radians); negative
// angles wrap through the mask.
float TableSin(float a);
float TableCos(float a);
int TrigTableIndex(float a);

inline int ClampInt(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }
inline float ClampFloat(float v, float lo, float hi) { return v < lo ? lo : v > hi ? hi : v; }

// Float to integer truncation that saturates at the int32 range and gives 0
// for NaN, where a plain conversion would be undefined.
int32_t TruncToInt(double v);
