#include "graphics/D3DTester.h"

#include <algorithm>

namespace Pyxo {

namespace {

constexpr int kFarDistance = 768;

int Channel(uint32_t color, int shift)
{
    return static_cast<int>((color >> shift) & 0xFF);
}

} // namespace

void D3DTestImage::Create(int width, int height)
{
    mBits.reset();
    mWidth = 0;
    mHeight = 0;
    if (width <= 0 || height <= 0)
        return;
    mBits = std::make_unique<uint32_t[]>(size_t(width) * size_t(height));
    mWidth = width;
    mHeight = height;
}

void D3DTestImage::FillRect(int x, int y, int width, int height, uint32_t color)
{
    const int left = std::max(x, 0);
    const int top = std::max(y, 0);
    const int right = std::min(x + width, mWidth);
    const int bottom = std::min(y + height, mHeight);
    for (int row = top; row < bottom; ++row)
        std::fill(mBits.get() + size_t(row) * size_t(mWidth) + size_t(left),
                  mBits.get() + size_t(row) * size_t(mWidth) + size_t(right), color);
}

void D3DTestImage::FillStripes()
{
    for (int x = 0; x < mWidth; ++x)
        FillRect(x, 0, 1, mHeight, (x & 1) ? 0xFFFFFFFF : 0xFF000000);
}

int D3DTestImage::ColorDistance(uint32_t a, uint32_t b)
{
    int sum = 0;
    for (int shift : {16, 8, 0}) {
        const int delta = Channel(a, shift) - Channel(b, shift);
        sum += delta * delta;
    }
    return sum;
}

bool D3DTestImage::CheckUniform(uint32_t expected, int& farCount, int width, int height) const
{
    farCount = 0;
    width = std::min(width, mWidth);
    height = std::min(height, mHeight);
    if (width <= 0 || height <= 0)
        return true;
    bool uniform = true;
    const uint32_t first = mBits[0];
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = mBits[size_t(y) * size_t(mWidth) + size_t(x)];
            uniform = uniform && pixel == first;
            if (ColorDistance(pixel, expected) > kFarDistance)
                ++farCount;
        }
    }
    return uniform;
}

int D3DTestImage::CountStripeErrors(int width, int height, int x, int y) const
{
    int errors = 0;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const int px = x + column;
            const int py = y + row;
            if (px < 0 || py < 0 || px >= mWidth || py >= mHeight)
                continue;
            const uint32_t stripe = (column & 1) ? 0xFFFFFF : 0x000000;
            if (ColorDistance(mBits[size_t(py) * size_t(mWidth) + size_t(px)], stripe) > kFarDistance)
                ++errors;
        }
    }
    return errors;
}

D3DTester::D3DTester() = default;
D3DTester::~D3DTester() = default;

void D3DTester::SetVideoMemoryLimits(uint32_t minimumMB, uint32_t recommendedMB)
{
    mMinVidMemory = minimumMB;
    mRecommendedVidMemory = recommendedMB;
}

void D3DTester::Test(Platform::WindowHandle /*window*/, Platform::DirectDraw* /*directDraw*/)
{
    // There is no 3-D device yet: the test fails, so that the display stays 2-D and nobody is asked about
    // hardware acceleration.
    mWarning.clear();
    mFailureReason = "3-D unavailable";
}

} // namespace Pyxo
