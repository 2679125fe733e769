#pragma once

#include "graphics/Matrix3.h"

namespace Pyxo {

/// A lazily built 2-D transform: second translation x (rotation or scale) x first translation, kept as pending
/// parts until an operation no longer fits that shape, after which it is "complex" for good and every operation
/// multiplies the matrix. Each operation applies after those already in it. Plain value type.
class Transform {
public:
    Transform(); // Reset

    void Reset();
    void Translate(float x, float y);
    void RotateRad(float radians);
    void RotateDeg(float degrees); // RotateRad(degrees x 3.1415927 / 180), rounded to float
    void Scale(float sx, float sy);

    /// Builds the matrix when needed and returns it.
    [[nodiscard]] const Matrix3& GetMatrix() const;

private:
    void MakeComplex();
    void CalcMatrix() const;
    [[nodiscard]] bool HasSecondTranslation() const;

    mutable Matrix3 mMatrix; // cache; valid only while mNeedCalcMatrix is clear
    mutable bool mNeedCalcMatrix = true;
    bool mComplex = false;
    bool mHaveRot = false;
    bool mHaveScale = false;
    float mTransX1 = 0.0f; // first translation: before the rotation or scale
    float mTransY1 = 0.0f;
    float mTransX2 = 0.0f; // second translation: after the rotation or scale
    float mTransY2 = 0.0f;
    float mScaleX = 1.0f;
    float mScaleY = 1.0f;
    float mRot = 0.0f; // radians
};

} // namespace Pyxo
