#include "graphics/D3DTester.h"

namespace Pyxo {

// not built yet
void D3DTestImage::Create(int, int) {}
void D3DTestImage::FillRect(int, int, int, int, uint32_t) {}
void D3DTestImage::FillStripes() {}
int D3DTestImage::ColorDistance(uint32_t, uint32_t)
{
    return 0;
}
bool D3DTestImage::CheckUniform(uint32_t, int& farCount, int, int) const
{
    farCount = 0;
    return false;
}
int D3DTestImage::CountStripeErrors(int, int, int, int) const
{
    return 0;
}

D3DTester::D3DTester() = default;
D3DTester::~D3DTester() = default;
void D3DTester::SetVideoMemoryLimits(uint32_t minimumMB, uint32_t recommendedMB)
{
    mMinVidMemory = minimumMB;
    mRecommendedVidMemory = recommendedMB;
}
void D3DTester::Test(Platform::WindowHandle, Platform::DirectDraw*)
{
    mFailureReason = "3-D unavailable";
}

} // namespace Pyxo
