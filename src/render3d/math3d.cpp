#include "render3d/math3d.h"

#include <cmath>
#include <limits>


namespace {

struct TrigTables {
    float sine[kTrigTableSize];
    float cosine[kTrigTableSize];
    float indexScale;  // 4096 / 2pi, from pi = 3.1415927

    TrigTables() {
        indexScale = 4096.0f / (3.1415927f * 2.0f);
        for (int i = 0; i < kTrigTableSize; ++i) {
            sine[i] = std::sin(float(i) / indexScale);
            cosine[i] = std::cos(float(i) / indexScale);
        }
    }
};

// Filled before main so that the table lookups need no guard.
const TrigTables gTables;

float Cofactor3(const float* m, int r0, int r1, int r2, int c0, int c1, int c2) {
    return m[r0 * 4 + c0] * (m[r1 * 4 + c1] * m[r2 * 4 + c2] - m[r1 * 4 + c2] * m[r2 * 4 + c1]) -
           m[r0 * 4 + c1] * (m[r1 * 4 + c0] * m[r2 * 4 + c2] - m[r1 * 4 + c2] * m[r2 * 4 + c0]) +
           m[r0 * 4 + c2] * (m[r1 * 4 + c0] * m[r2 * 4 + c1] - m[r1 * 4 + c1] * m[r2 * 4 + c0]);
}

}  // namespace

int32_t TruncToInt(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return int32_t(v);
}

// ---- Vector3 ----------------------------------------------------------------------

Vector3 Vector3::fromFixed(int32_t fx, int32_t fy, int32_t fz) {
    const float k = 1.52587890625e-05f;
    return {float(fx) * k, float(fy) * k, float(fz) * k};
}

float Vector3::length() const { return float(std::sqrt(double(x) * x + double(y) * y + double(z) * z)); }

void Vector3::normalize() {
    float s = x * x + y * y + z * z;
    if (s == 0.0f || std::fabs(s - 1.0f) < 1e-10f) return;
    float inv = float(1.0 / std::sqrt(double(s)));
    x *= inv, y *= inv, z *= inv;
}

Vector3 Vector3::normalized() const {
    Vector3 v = *this;
    v.normalize();
    return v;
}

void Vector3::lerp(const Vector3& b, float t) { addScaled(b - *this, t); }

void Vector3::moveToward(const Vector3& b, float step) {
    Vector3 d = b - *this;
    if (d.length() <= 1e-10f) {
        *this = b;
        return;
    }
    d.normalize();
    addScaled(d, step);
}

float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vector3 Cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vector3 CrossNormalized(const Vector3& a, const Vector3& b) { return Cross(a, b).normalized(); }

float AngleBetween(const Vector3& a, const Vector3& b) {
    float c = Dot(a, b) / (a.length() * b.length());
    return std::acos(ClampFloat(c, -1.0f, 1.0f));
}

float DotNormalized(Vector3& a, Vector3& b) {
    a.normalize();
    b.normalize();
    return Dot(a, b);
}

Vector3 TriangleNormal(const Vector3& p1, const Vector3& p2, const Vector3& p3) {
    return CrossNormalized(p2 - p1, p3 - p2);
}

// ---- Matrix4 ------------------------------------------------------------------------

Matrix4 Matrix4::translation(const Vector3& t) {
    Matrix4 r;
    r.setTranslation(t);
    return r;
}

bool Matrix4::operator==(const Matrix4& b) const {
    for (int i = 0; i < 16; ++i)
        if (m[i] != b.m[i]) return false;
    return true;
}

void Multiply(Matrix4& out, const Matrix4& a, const Matrix4& b) {
    Matrix4 r;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            r.m[row * 4 + col] = a.m[row * 4] * b.m[col] + a.m[row * 4 + 1] * b.m[4 + col] +
                                 a.m[row * 4 + 2] * b.m[8 + col] + a.m[row * 4 + 3] * b.m[12 + col];
    out = r;
}

Matrix4 operator*(const Matrix4& a, const Matrix4& b) {
    Matrix4 r;
    Multiply(r, a, b);
    return r;
}

Vector3 TransformPoint(const Matrix4& m, const Vector3& p) {
    return {m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3], m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7],
            m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]};
}

Vector3 RotateVector(const Matrix4& m, const Vector3& v) {
    return {m[0] * v.x + m[1] * v.y + m[2] * v.z, m[4] * v.x + m[5] * v.y + m[6] * v.z,
            m[8] * v.x + m[9] * v.y + m[10] * v.z};
}

Matrix4 Inverse(const Matrix4& a) {
    const float* m = a.m;
    float adj[16];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            int rows[3], cols[3];
            for (int i = 0, k = 0; i < 4; ++i)
                if (i != r) rows[k++] = i;
            for (int i = 0, k = 0; i < 4; ++i)
                if (i != c) cols[k++] = i;
            float minor = Cofactor3(m, rows[0], rows[1], rows[2], cols[0], cols[1], cols[2]);
            // The adjugate is the transposed cofactor matrix.
            adj[c * 4 + r] = ((r + c) & 1) ? -minor : minor;
        }
    }
    float det = Cofactor3(m, 0, 1, 2, 0, 1, 2);
    float inv = std::fabs(det) < 1e-10f ? (det > 0 ? 1e30f : -1e30f) : 1.0f / det;
    Matrix4 out;
    for (int i = 0; i < 16; ++i) out.m[i] = adj[i] * inv;
    return out;
}

Matrix4 LookAt(const Vector3& eye, const Vector3& target, const Vector3& up, bool viewForm) {
    Vector3 f = (target - eye).normalized();
    Vector3 r = Cross(up, f).normalized();
    Vector3 u = Cross(f, r).normalized();
    Matrix4 out;
    if (!viewForm) {
        out.m[0] = r.x, out.m[4] = r.y, out.m[8] = r.z;
        out.m[1] = u.x, out.m[5] = u.y, out.m[9] = u.z;
        out.m[2] = f.x, out.m[6] = f.y, out.m[10] = f.z;
        out.setTranslation(eye);
        return out;
    }
    const Vector3 rows[3] = {r, u, f};
    for (int i = 0; i < 3; ++i) {
        out.m[i * 4] = rows[i].x, out.m[i * 4 + 1] = rows[i].y, out.m[i * 4 + 2] = rows[i].z;
        out.m[i * 4 + 3] = -Dot(rows[i], eye);
    }
    return out;
}

// ---- Angles and tables ------------------------------------------------------------------

int TrigTableIndex(float a) { return TruncToInt(a * gTables.indexScale) & (kTrigTableSize - 1); }
float TableSin(float a) { return gTables.sine[TrigTableIndex(a)]; }
float TableCos(float a) { return gTables.cosine[TrigTableIndex(a)]; }
