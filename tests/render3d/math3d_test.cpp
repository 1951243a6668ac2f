// Vectors, matrices and the trigonometric tables.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "render3d/math3d.h"

namespace {

bool SameBits(const Vector3& a, const Vector3& b) { return std::memcmp(&a, &b, sizeof(Vector3)) == 0; }

void ExpectNear(const Vector3& a, const Vector3& b, float tolerance = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

TEST(Vector3, NormalizeScalesToUnitLengthAndLeavesZeroAndUnitVectorsAlone) {
    Vector3 v{3.0f, 0.0f, 4.0f};
    v.normalize();
    ExpectNear(v, {0.6f, 0.0f, 0.8f});
    Vector3 zero;
    zero.normalize();
    EXPECT_TRUE(SameBits(zero, Vector3{0, 0, 0}));
    // Squared length 1 within float rounding: left exactly as it is.
    Vector3 unit{0.6f, 0.8f, 0.0f};
    ASSERT_LT(std::fabs(unit.lengthSquared() - 1.0f), 1e-6f);
    Vector3 before = unit;
    unit.normalize();
    EXPECT_TRUE(SameBits(unit, before));
}

TEST(Vector3, CrossDotLerpAndTriangleNormal) {
    ExpectNear(Cross({1, 0, 0}, {0, 1, 0}), {0, 0, 1});
    EXPECT_FLOAT_EQ(Dot({1, 2, 3}, {4, 5, 6}), 32.0f);
    Vector3 a{0, 0, 0};
    a.lerp({10, 20, 30}, 0.25f);
    ExpectNear(a, {2.5f, 5, 7.5f});
    // (p2 - p1) x (p3 - p2), normalized.
    ExpectNear(TriangleNormal({0, 0, 0}, {2, 0, 0}, {2, 2, 0}), {0, 0, 1});
    ExpectNear(Vector3::fromFixed(0x18000, -0x10000, 0x4000), {1.5f, -1.0f, 0.25f}, 0.0f);
}

Matrix4 Sample() {
    // A rotation about y by 30 degrees, then a scale of 2 in x, then a translation.
    float c = std::cos(0.5235988f), s = std::sin(0.5235988f);
    Matrix4 m;
    m.m[0] = 2 * c, m.m[2] = s, m.m[3] = 5;
    m.m[8] = -2 * s, m.m[10] = c, m.m[11] = -3;
    m.m[7] = 1;
    return m;
}

TEST(Matrix4, MultiplyIsCorrectWhenTheOutputIsAnOperand) {
    Matrix4 a = Sample(), b = Matrix4::translation({1, 2, 3});
    Matrix4 expected = a * b;
    Multiply(a, a, b);
    EXPECT_EQ(a, expected);
    Matrix4 c = Sample();
    Multiply(b, c, b);
    EXPECT_EQ(b, expected);
    ExpectNear(TransformPoint(expected, {0, 0, 0}), TransformPoint(Sample(), {1, 2, 3}));
    ExpectNear(RotateVector(Sample(), {0, 1, 0}), {0, 1, 0});
    // Every entry counts: 1 to 12, row by row.
    Matrix4 all;
    for (int i = 0; i < 12; ++i) all.m[i] = float(i + 1);
    ExpectNear(RotateVector(all, {1, 2, 3}), {14, 38, 62});
    ExpectNear(TransformPoint(all, {1, 2, 3}), {18, 46, 74});
}

TEST(Matrix4, InverseUndoesAnAffineMatrixAndStaysFiniteForASingularOne) {
    const Matrix4 m = Sample(), inverse = Inverse(m);
    for (Vector3 p : {Vector3{0, 0, 0}, {1, 2, 3}, {-4, 0.5f, 2}})
        ExpectNear(TransformPoint(inverse, TransformPoint(m, p)), p, 1e-4f);
    Matrix4 flat = Sample();
    flat.m[0] = flat.m[2] = 0;  // every point onto one plane: nothing to undo
    bool huge = false;
    for (float v : Inverse(flat).m) {
        EXPECT_TRUE(std::isfinite(v));
        huge |= std::fabs(v) >= 1e29f;
    }
    EXPECT_TRUE(huge);
}

TEST(Matrix4, LookAtViewFormMapsTheTargetOntoThePositiveZAxis) {
    Vector3 eye{3, 4, -5}, target{1, 1, 1};
    Matrix4 view = LookAt(eye, target, {0, 1, 0}, true);
    Vector3 t = TransformPoint(view, target);
    EXPECT_NEAR(t.x, 0, 1e-5f);
    EXPECT_NEAR(t.y, 0, 1e-5f);
    EXPECT_NEAR(t.z, (target - eye).length(), 1e-5f);
    ExpectNear(TransformPoint(view, eye), {0, 0, 0});
    // The object form is its inverse.
    Matrix4 world = LookAt(eye, target, {0, 1, 0}, false);
    ExpectNear(TransformPoint(world, t), target, 1e-4f);
}

TEST(TrigTables, NegativeAnglesWrapThroughTheMask) {
    // trunc(-0.01 * 4096 / 2pi) = trunc(-6.52) = -6, & 4095 = 4090.
    EXPECT_EQ(TrigTableIndex(-0.01f), 4090);
    EXPECT_EQ(TableSin(-0.01f), TableSin(4090.0f / (4096.0f / (3.1415927f * 2.0f))));
    EXPECT_EQ(TrigTableIndex(0.0f), 0);
    EXPECT_NEAR(TableSin(1.5707964f), 1.0f, 1e-6f);
    EXPECT_NEAR(TableCos(3.1415927f), -1.0f, 1e-6f);
    EXPECT_NEAR(TableSin(-1.5707964f), -1.0f, 1e-5f);
    EXPECT_GE(TrigTableIndex(-1e30f), 0);
}

TEST(MathHelpers, TruncationSaturatesAndMapsNaNToZero) {
    EXPECT_EQ(TruncToInt(-2.9), -2);
    EXPECT_EQ(TruncToInt(1e20), INT32_MAX);
    EXPECT_EQ(TruncToInt(std::nan("")), 0);
}

}  // namespace
