#include "graphics/D3DInterface.h"

namespace Pyxo {

int D3DInterface::sMinTextureWidth = 64;
int D3DInterface::sMinTextureHeight = 64;
int D3DInterface::sMaxTextureWidth = 64;
int D3DInterface::sMaxTextureHeight = 64;
int D3DInterface::sMaxTextureAspectRatio = 1;
uint32_t D3DInterface::sSupportedTextureFormats = 0;
bool D3DInterface::sLinearFilter = false;
bool D3DInterface::sRenderTargetFailed = false;
std::string D3DInterface::sErrorString;

// The 3-D device is not built yet: every operation fails or does nothing, so the display stays 2-D.
D3DInterface::D3DInterface() = default;
D3DInterface::~D3DInterface() = default;

bool D3DInterface::InitFromDisplay(DDInterface*)
{
    sErrorString = "3-D unavailable";
    return false;
}
bool D3DInterface::InitDevice()
{
    return false;
}
bool D3DInterface::Setup()
{
    return false;
}
void D3DInterface::Flush() {}
void D3DInterface::Cleanup() {}
bool D3DInterface::PrepareTexture(MemoryImage*)
{
    return false;
}
void D3DInterface::RemoveTextureData(MemoryImage*) {}
bool D3DInterface::ReadTextureBits(MemoryImage*)
{
    return false;
}
bool D3DInterface::CheckResult(int32_t result, const std::string&)
{
    return result < 0;
}
void D3DInterface::GetTextureSize(int&, int&, bool, bool, int) {}
bool D3DInterface::BltTexturedQuad(Image*, float, float, const Rect&, const Color&, int, bool)
{
    return false;
}
void D3DInterface::Blt(Image*, float, float, const Rect&, const Color&, int, bool) {}
void D3DInterface::BltTransformed(Image*, const Rect*, const Color&, int, const Rect&, const Matrix3&, bool, float,
                                  float)
{
}
void D3DInterface::DrawTrianglesTex(Image*, const TriVertex (*)[3], int, const Color&, int, float, float, bool) {}
void D3DInterface::DrawLine(double, double, double, double, const Color&, int) {}
void D3DInterface::FillRect(const Rect&, const Color&, int) {}
void D3DInterface::FillPolygon(const Point*, int, const Rect*, const Color&, int, int, int) {}

} // namespace Pyxo
