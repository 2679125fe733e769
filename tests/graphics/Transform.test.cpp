#include "graphics/Transform.h"

#include "graphics/Matrix3.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using Pyxo::Matrix3;
using Pyxo::Transform;
using Pyxo::Vector2;
using Pyxo::Vector3;

Matrix3 Make(std::initializer_list<float> values)
{
    Matrix3 m;
    auto it = values.begin();
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            m.m[r][c] = *it++;
        }
    }
    return m;
}

void ExpectNear(const Matrix3& actual, const Matrix3& expected, float tolerance = 1e-4f)
{
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(actual.m[r][c], expected.m[r][c], tolerance) << "element [" << r << "][" << c << "]";
        }
    }
}

TEST(Matrix3, ProductOperandOrderAndPoints)
{
    const Matrix3 a = Make({1, 2, 3, 4, 5, 6, 7, 8, 9});
    const Matrix3 b = Make({9, 8, 7, 6, 5, 4, 3, 2, 1});
    ExpectNear(a * b, Make({30, 24, 18, 84, 69, 54, 138, 114, 90}), 0.0f);

    const Matrix3 affine = Make({2, 0, 5, 0, 3, 7, 1, 1, 1}); // third row ignored for points
    const Vector2 p = affine * Vector2(1, 2);
    EXPECT_EQ(p.x, 7.0f);
    EXPECT_EQ(p.y, 13.0f);
    const Vector3 v = affine * Vector3(1, 2, 1);
    EXPECT_EQ(v.z, 4.0f);
}

TEST(Matrix3, OperationsApplyAfterWhatTheMatrixHolds)
{
    Matrix3 m(true);
    m.Translate(5, 0);
    m.Rotate(float(M_PI / 2));
    m.Scale(2, 3);
    // Translate first, then rotate (x, y) -> (y, -x), then scale.
    const Vector2 p = m * Vector2(0, 0);
    EXPECT_NEAR(p.x, 0.0f, 1e-5f);
    EXPECT_NEAR(p.y, -15.0f, 1e-5f);
}

// An operation applied to a transform and, explicitly, to a matrix: each left-multiplies what came before.
struct Op {
    char kind; // 't' translate, 'r' rotate (degrees), 's' scale
    float a;
    float b;
};

Matrix3 ExplicitProduct(const std::vector<Op>& ops)
{
    Matrix3 m(true);
    for (const Op& op : ops) {
        Matrix3 step(true);
        if (op.kind == 't') {
            step.m[0][2] = op.a;
            step.m[1][2] = op.b;
        } else if (op.kind == 'r') {
            const double radians = op.a * M_PI / 180.0;
            step.m[0][0] = float(std::cos(radians));
            step.m[0][1] = float(std::sin(radians));
            step.m[1][0] = -float(std::sin(radians));
            step.m[1][1] = float(std::cos(radians));
        } else {
            step.m[0][0] = op.a;
            step.m[1][1] = op.b;
        }
        m = step * m;
    }
    return m;
}

Matrix3 ThroughTransform(const std::vector<Op>& ops)
{
    Transform t;
    for (const Op& op : ops) {
        if (op.kind == 't') {
            t.Translate(op.a, op.b);
        } else if (op.kind == 'r') {
            t.RotateDeg(op.a);
        } else {
            t.Scale(op.a, op.b);
        }
    }
    return t.GetMatrix();
}

TEST(Transform, AnySequenceEqualsTheExplicitProduct)
{
    struct Case {
        const char* name;
        std::vector<Op> ops;
    };
    const Case cases[] = {
        {"nothing", {}},
        {"translations add", {{'t', 1, 2}, {'t', 3, -4}}},
        {"rotate about a point", {{'t', -5, -5}, {'r', 30, 0}, {'t', 5, 5}}},
        {"scale about a point", {{'s', 2, 3}, {'t', 5, 5}}},
        {"translate, rotate", {{'t', 5, 0}, {'r', 90, 0}}},
        {"rotations add", {{'r', 10, 0}, {'r', 20, 0}, {'t', 1, 1}}},
        {"rotate after the second translation", {{'t', 5, 0}, {'r', 90, 0}, {'t', 3, 4}, {'r', 45, 0}}},
        {"scale after the second translation", {{'s', 2, 2}, {'t', 3, 4}, {'s', 3, 0.5f}}},
        {"scale after a rotation", {{'r', 30, 0}, {'s', 2, 3}, {'t', 1, 1}}},
        {"rotation after a scale", {{'s', 2, 3}, {'r', 30, 0}, {'t', 1, 1}}},
        {"scale after the first translation", {{'t', 5, 5}, {'s', 2, 2}}},
        {"mirror stays lazy", {{'s', -1, 1}, {'t', 10, 0}}},
        {"second mirror", {{'s', -1, 1}, {'s', -1, 1}, {'t', 2, 0}}},
        {"negative y", {{'s', 1, -1}, {'t', 0, 10}}},
        {"complex keeps multiplying", {{'r', 30, 0}, {'s', 2, 2}, {'t', 1, 2}, {'r', -15, 0}, {'s', 0.5f, 4}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectNear(ThroughTransform(c.ops), ExplicitProduct(c.ops));
    }
}

TEST(Transform, TranslateThenRotateMapsTheOriginToTheRotatedOffset)
{
    Transform t;
    t.Translate(5, 0);
    t.RotateDeg(90);
    const Vector2 p = t.GetMatrix() * Vector2(0, 0);
    EXPECT_NEAR(p.x, 0.0f, 1e-5f);
    EXPECT_NEAR(p.y, -5.0f, 1e-5f);
}

TEST(Transform, ResetForgetsEverything)
{
    Transform t;
    t.RotateDeg(30);
    t.Scale(2, 2); // complex now
    t.Reset();
    t.Translate(1, 2);
    ExpectNear(t.GetMatrix(), Make({1, 0, 1, 0, 1, 2, 0, 0, 1}), 0.0f);
}

} // namespace
