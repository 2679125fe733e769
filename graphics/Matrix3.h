#pragma once

namespace Pyxo {

/// A 2-D point of floats.
struct Vector2 {
    float x = 0.0f;
    float y = 0.0f;

    constexpr Vector2() = default;
    constexpr Vector2(float px, float py) : x(px), y(py) {}
};

/// A 3-vector of floats.
struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr Vector3() = default;
    constexpr Vector3(float px, float py, float pz) : x(px), y(py), z(pz) {}
};

/// A 3 x 3 float matrix, row-major: m[row][column]. Points are column vectors (p' = M x p), so the translation of
/// an affine matrix stands in the third column. Translate, Rotate and Scale each apply their operation after
/// everything the matrix already holds (the new factor multiplies from the left). Plain value type.
class Matrix3 {
public:
    float m[3][3];

    /// Leaves the elements unset.
    Matrix3() = default;
    /// Loads the identity only when the flag is true.
    explicit Matrix3(bool loadIdentity);

    Matrix3& InitIdentity(); // loads the identity, returns *this
    void LoadIdentity();

    /// this x other, each element summed in single precision in the order of the terms.
    [[nodiscard]] Matrix3 operator*(const Matrix3& other) const;
    /// (m00 x + m01 y + m02, m10 x + m11 y + m12); the third row is ignored and nothing is divided.
    [[nodiscard]] Vector2 operator*(const Vector2& p) const;
    /// The full product.
    [[nodiscard]] Vector3 operator*(const Vector3& v) const;

    void Translate(float tx, float ty); // this = T x this
    void Rotate(float radians);         // this = R x this, R = (cos, sin, 0 / -sin, cos, 0 / 0, 0, 1)
    void Scale(float sx, float sy);     // this = S x this
};

} // namespace Pyxo
