#include "graphics/DDImage.h"

#include "graphics/DDInterface.h"

namespace Pyxo {

// not built yet
DDImage::DDImage(DDInterface* display) : MemoryImage(display ? display->mApp : nullptr), mDDInterface(display) {}
DDImage::~DDImage() = default;

bool DDImage::FillPolygon3D(const Point*, int, const Rect*, const Color&, int, int, int, bool)
{
    return false;
}
void DDImage::FillRect(const Rect& rect, const Color& color, int drawMode)
{
    MemoryImage::FillRect(rect, color, drawMode);
}
void DDImage::DrawLine(double startX, double startY, double endX, double endY, const Color& color, int drawMode)
{
    MemoryImage::DrawLine(startX, startY, endX, endY, color, drawMode);
}
void DDImage::DrawLineAA(double startX, double startY, double endX, double endY, const Color& color, int drawMode)
{
    MemoryImage::DrawLine(startX, startY, endX, endY, color, drawMode);
}
void DDImage::Blt(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode)
{
    MemoryImage::Blt(image, x, y, srcRect, color, drawMode);
}
void DDImage::BltF(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect, const Color& color,
                   int drawMode)
{
    MemoryImage::BltF(image, x, y, srcRect, clipRect, color, drawMode);
}
void DDImage::BltTransformed(Image* image, const Rect* clipRect, const Color& color, int drawMode, const Rect& srcRect,
                             const Matrix3& transform, bool linearFilter, float x, float y, bool center)
{
    MemoryImage::BltTransformed(image, clipRect, color, drawMode, srcRect, transform, linearFilter, x, y, center);
}
void DDImage::BltTexturedTriangles(Image* image, const TriVertex (*vertices)[3], int numTriangles, const Rect& clipRect,
                                   const Color& color, int drawMode, float tx, float ty, bool blend)
{
    MemoryImage::BltTexturedTriangles(image, vertices, numTriangles, clipRect, color, drawMode, tx, ty, blend);
}
void DDImage::PurgeBits()
{
    MemoryImage::PurgeBits();
}
void DDImage::DeleteExtraBuffers()
{
    MemoryImage::DeleteExtraBuffers();
}
void DDImage::ReInit()
{
    MemoryImage::ReInit();
}
void DDImage::BitsChanged()
{
    MemoryImage::BitsChanged();
}
void DDImage::CommitBits()
{
    MemoryImage::CommitBits();
}
void DDImage::DeleteNativeData()
{
    MemoryImage::DeleteNativeData();
}
void DDImage::Create(int width, int height)
{
    MemoryImage::Create(width, height);
}
uint32_t* DDImage::GetBits()
{
    return MemoryImage::GetBits();
}
bool DDImage::Palletize()
{
    return MemoryImage::Palletize();
}
void DDImage::SetVideoMemory(bool videoMemory)
{
    mVideoMemory = videoMemory;
}
bool DDImage::GenerateDDSurface()
{
    return false;
}
bool DDImage::LockSurface()
{
    return false;
}
bool DDImage::UnlockSurface()
{
    return false;
}
void DDImage::SetSurface(Platform::DirectDrawSurface*) {}
bool DDImage::Uses3D() const
{
    return false;
}
bool DDImage::Check3D(Image*)
{
    return false;
}
Platform::DirectDrawSurface* DDImage::GetSurface()
{
    return nullptr;
}
void DDImage::DeleteDDSurface() {}
void DDImage::FreeNonSurfaceData() {}

} // namespace Pyxo
