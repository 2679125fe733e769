#include "graphics/Matrix3.h"

#include <cmath>

namespace Pyxo {

Matrix3::Matrix3(bool loadIdentity)
{
    if (loadIdentity) {
        LoadIdentity();
    }
}

Matrix3& Matrix3::InitIdentity()
{
    LoadIdentity();
    return *this;
}

void Matrix3::LoadIdentity()
{
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            m[row][col] = row == col ? 1.0f : 0.0f;
        }
    }
}

Matrix3 Matrix3::operator*(const Matrix3& other) const
{
    Matrix3 result;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            // Single precision, left to right: stored pixel positions depend on this rounding.
            float sum = m[row][0] * other.m[0][col];
            sum = sum + m[row][1] * other.m[1][col];
            sum = sum + m[row][2] * other.m[2][col];
            result.m[row][col] = sum;
        }
    }
    return result;
}

Vector2 Matrix3::operator*(const Vector2& p) const
{
    return Vector2(m[0][0] * p.x + m[0][1] * p.y + m[0][2], m[1][0] * p.x + m[1][1] * p.y + m[1][2]);
}

Vector3 Matrix3::operator*(const Vector3& v) const
{
    return Vector3(m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z, m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
                   m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z);
}

void Matrix3::Translate(float tx, float ty)
{
    Matrix3 t(true);
    t.m[0][2] = tx;
    t.m[1][2] = ty;
    *this = t * *this;
}

void Matrix3::Rotate(float radians)
{
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    Matrix3 r(true);
    r.m[0][0] = c;
    r.m[0][1] = s;
    r.m[1][0] = -s;
    r.m[1][1] = c;
    *this = r * *this;
}

void Matrix3::Scale(float sx, float sy)
{
    Matrix3 s(true);
    s.m[0][0] = sx;
    s.m[1][1] = sy;
    *this = s * *this;
}

} // namespace Pyxo
