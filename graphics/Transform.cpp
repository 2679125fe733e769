#include "graphics/Transform.h"

namespace Pyxo {

Transform::Transform()
{
    Reset();
}

void Transform::Reset()
{
    mNeedCalcMatrix = true;
    mComplex = false;
    mHaveRot = false;
    mHaveScale = false;
    mTransX1 = 0.0f;
    mTransY1 = 0.0f;
    mTransX2 = 0.0f;
    mTransY2 = 0.0f;
    mScaleX = 1.0f;
    mScaleY = 1.0f;
    mRot = 0.0f;
}

bool Transform::HasSecondTranslation() const
{
    return mTransX2 != 0.0f || mTransY2 != 0.0f;
}

void Transform::Translate(float x, float y)
{
    if (mComplex) {
        mMatrix.Translate(x, y);
        return;
    }
    mNeedCalcMatrix = true;
    if (!mHaveRot && !mHaveScale) {
        mTransX1 += x;
        mTransY1 += y;
    } else {
        mTransX2 += x;
        mTransY2 += y;
    }
}

void Transform::RotateRad(float radians)
{
    if (mComplex) {
        mMatrix.Rotate(radians);
        return;
    }
    // A pending second translation already sits outside the rotation, so a further rotation must turn about the
    // origin after it: only the matrix can hold that.
    if (!mHaveScale && !HasSecondTranslation()) {
        mRot += radians;
        mHaveRot = true;
        mNeedCalcMatrix = true;
        return;
    }
    MakeComplex();
    mMatrix.Rotate(radians);
}

void Transform::RotateDeg(float degrees)
{
    RotateRad(float(degrees * 3.1415927f) / 180.0f);
}

void Transform::Scale(float sx, float sy)
{
    // The diagonal is written under the first translation, so only a scale before any translation (or after a
    // pending one that is zero) stays lazy; a second translation would have to be scaled too.
    const bool lazy = !mComplex && !mHaveRot && mTransX1 == 0.0f && mTransY1 == 0.0f && !HasSecondTranslation() &&
                      sy >= 0.0f && (sx >= 0.0f || mScaleX * sx == -1.0f);
    if (lazy) {
        mScaleX *= sx;
        mScaleY *= sy;
        mHaveScale = true;
        mNeedCalcMatrix = true;
        return;
    }
    if (!mComplex) {
        MakeComplex();
    }
    mMatrix.Scale(sx, sy);
}

void Transform::MakeComplex()
{
    if (mComplex) {
        return;
    }
    mComplex = true;
    CalcMatrix();
}

void Transform::CalcMatrix() const
{
    if (!mNeedCalcMatrix) {
        return;
    }
    mNeedCalcMatrix = false;
    mMatrix.LoadIdentity();
    mMatrix.m[0][2] = mTransX1;
    mMatrix.m[1][2] = mTransY1;
    mMatrix.m[2][2] = 1.0f;
    if (mHaveScale) {
        mMatrix.m[0][0] = mScaleX;
        mMatrix.m[1][1] = mScaleY;
    } else if (mHaveRot) {
        mMatrix.Rotate(mRot);
    }
    if (HasSecondTranslation()) {
        mMatrix.Translate(mTransX2, mTransY2);
    }
}

const Matrix3& Transform::GetMatrix() const
{
    CalcMatrix();
    return mMatrix;
}

} // namespace Pyxo
