#include "graphics/Image.h"

#include "graphics/Matrix3.h"

#include <climits>
#include <cstdint>

namespace Pyxo {

void AnimInfo::SetPerFrameDelay(int index, int delay)
{
    if (index < 0) {
        return;
    }
    if (int(mPerFrameDelay.size()) < index + 1) {
        mPerFrameDelay.resize(size_t(index) + 1, 0);
    }
    mPerFrameDelay[size_t(index)] = delay;
}

bool AnimInfo::Compute(int numCels, int beginFrameTime, int endFrameTime)
{
    mNumCels = numCels < 1 ? 1 : numCels;
    if (mFrameDelay < 1) {
        mFrameDelay = 1;
    }
    if (mAnimType == AnimType_PingPong && mNumCels > 1) {
        mFrameMap.clear();
        mFrameMap.reserve(size_t(mNumCels) * 2 - 2);
        for (int cel = 0; cel < mNumCels; ++cel) {
            mFrameMap.push_back(cel);
        }
        for (int cel = mNumCels - 2; cel >= 1; --cel) {
            mFrameMap.push_back(cel);
        }
    }
    if (!mFrameMap.empty()) {
        if (mFrameMap.size() > size_t(INT_MAX)) {
            return false;
        }
        mNumCels = int(mFrameMap.size());
    }
    if (beginFrameTime > 0) {
        SetPerFrameDelay(0, beginFrameTime);
    }
    if (endFrameTime > 0) {
        SetPerFrameDelay(mNumCels - 1, endFrameTime);
    }
    // Summed in 64 bits: a long list of long delays must not wrap into a short or negative duration.
    int64_t total = 0;
    if (!mPerFrameDelay.empty()) {
        mPerFrameDelay.resize(size_t(mNumCels), 0);
        for (int& delay : mPerFrameDelay) {
            if (delay < 1) {
                delay = mFrameDelay;
            }
            total += delay;
        }
    } else {
        total = int64_t(mNumCels) * mFrameDelay;
    }
    if (!mFrameMap.empty()) {
        mFrameMap.resize(size_t(mNumCels), 0);
    }
    if (total > INT_MAX) {
        mTotalAnimTime = 0;
        return false;
    }
    mTotalAnimTime = int(total);
    return true;
}

Image::Image(const Image& other)
    : mWidth(other.mWidth), mHeight(other.mHeight), mNumRows(other.mNumRows), mNumCols(other.mNumCols),
      mAnimInfo(other.mAnimInfo ? std::make_unique<AnimInfo>(*other.mAnimInfo) : nullptr)
{
}

void Image::CopyAttributes(const Image& other)
{
    if (this == &other) {
        return;
    }
    mNumRows = other.mNumRows;
    mNumCols = other.mNumCols;
    mAnimInfo = other.mAnimInfo ? std::make_unique<AnimInfo>(*other.mAnimInfo) : nullptr;
}

bool Image::FillPolygon3D(const Point* /*points*/, int /*count*/, const Rect* /*clipRect*/, const Color& /*color*/,
                          int /*drawMode*/, int /*tx*/, int /*ty*/, bool /*convex*/)
{
    return false;
}

void Image::FillRect(const Rect& /*rect*/, const Color& /*color*/, int /*drawMode*/) {}

void Image::DrawRect(const Rect& rect, const Color& color, int drawMode)
{
    FillRect(Rect(rect.mX, rect.mY, rect.mWidth + 1, 1), color, drawMode);
    FillRect(Rect(rect.mX, rect.mY + rect.mHeight, rect.mWidth + 1, 1), color, drawMode);
    FillRect(Rect(rect.mX, rect.mY + 1, 1, rect.mHeight - 1), color, drawMode);
    FillRect(Rect(rect.mX + rect.mWidth, rect.mY + 1, 1, rect.mHeight - 1), color, drawMode);
}

void Image::ClearRect(const Rect& /*rect*/) {}

void Image::DrawLine(double /*startX*/, double /*startY*/, double /*endX*/, double /*endY*/, const Color& /*color*/,
                     int /*drawMode*/)
{
}

void Image::DrawLineAA(double /*startX*/, double /*startY*/, double /*endX*/, double /*endY*/, const Color& /*color*/,
                       int /*drawMode*/)
{
}

void Image::FillSpans(const Span* spans, int count, const Color& color, int drawMode)
{
    for (int i = 0; i < count; ++i) {
        FillRect(Rect(spans[i].mX, spans[i].mY, spans[i].mWidth, 1), color, drawMode);
    }
}

void Image::FillSpansWithCoverage(const Span* /*spans*/, int /*count*/, const Color& /*color*/, int /*drawMode*/,
                                  const uint8_t* /*coverage*/, int /*coverX*/, int /*coverY*/, int /*coverWidth*/,
                                  int /*coverHeight*/)
{
}

void Image::Blt(Image* /*image*/, int /*x*/, int /*y*/, const Rect& /*srcRect*/, const Color& /*color*/,
                int /*drawMode*/)
{
}

void Image::BltF(Image* /*image*/, float /*x*/, float /*y*/, const Rect& /*srcRect*/, const Rect& /*clipRect*/,
                 const Color& /*color*/, int /*drawMode*/)
{
}

void Image::BltRotated(Image* /*image*/, float /*x*/, float /*y*/, const Rect& /*srcRect*/, const Rect& /*clipRect*/,
                       const Color& /*color*/, int /*drawMode*/, double /*angle*/, float /*rotCenterX*/,
                       float /*rotCenterY*/)
{
}

void Image::StretchBlt(Image* /*image*/, const Rect& /*destRect*/, const Rect& /*srcRect*/, const Rect& /*clipRect*/,
                       const Color& /*color*/, int /*drawMode*/, bool /*fastStretch*/)
{
}

void Image::BltTransformed(Image* /*image*/, const Rect* /*clipRect*/, const Color& /*color*/, int /*drawMode*/,
                           const Rect& /*srcRect*/, const Matrix3& /*transform*/, bool /*linearFilter*/, float /*x*/,
                           float /*y*/, bool /*center*/)
{
}

void Image::BltTexturedTriangles(Image* /*image*/, const TriVertex (* /*vertices*/)[3], int /*numTriangles*/,
                                 const Rect& /*clipRect*/, const Color& /*color*/, int /*drawMode*/, float /*tx*/,
                                 float /*ty*/, bool /*blend*/)
{
}

void Image::BltMirrored(Image* /*image*/, int /*x*/, int /*y*/, const Rect& /*srcRect*/, const Color& /*color*/,
                        int /*drawMode*/)
{
}

void Image::StretchBltMirrored(Image* /*image*/, const Rect& /*destRect*/, const Rect& /*srcRect*/,
                               const Rect& /*clipRect*/, const Color& /*color*/, int /*drawMode*/, bool /*fastStretch*/)
{
}

} // namespace Pyxo
