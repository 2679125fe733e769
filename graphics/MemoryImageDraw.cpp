// Software drawing on the bits of a memory image.
#include "graphics/Matrix3.h"
#include "graphics/MemoryImage.h"

namespace Pyxo {

// not built yet: the software pixel loops below draw nothing so far.

void MemoryImage::FillRect(const Rect& /*rect*/, const Color& /*color*/, int /*drawMode*/) {}

void MemoryImage::ClearRect(const Rect& /*rect*/) {}

void MemoryImage::DrawLine(double /*startX*/, double /*startY*/, double /*endX*/, double /*endY*/,
                           const Color& /*color*/, int /*drawMode*/)
{
}

void MemoryImage::DrawLineAA(double /*startX*/, double /*startY*/, double /*endX*/, double /*endY*/,
                             const Color& /*color*/, int /*drawMode*/)
{
}

void MemoryImage::FillSpansWithCoverage(const Span* /*spans*/, int /*count*/, const Color& /*color*/, int /*drawMode*/,
                                        const uint8_t* /*coverage*/, int /*coverX*/, int /*coverY*/, int /*coverWidth*/,
                                        int /*coverHeight*/)
{
}

void MemoryImage::Blt(Image* /*image*/, int /*x*/, int /*y*/, const Rect& /*srcRect*/, const Color& /*color*/,
                      int /*drawMode*/)
{
}

void MemoryImage::BltF(Image* /*image*/, float /*x*/, float /*y*/, const Rect& /*srcRect*/, const Rect& /*clipRect*/,
                       const Color& /*color*/, int /*drawMode*/)
{
}

void MemoryImage::BltRotated(Image* /*image*/, float /*x*/, float /*y*/, const Rect& /*srcRect*/,
                             const Rect& /*clipRect*/, const Color& /*color*/, int /*drawMode*/, double /*angle*/,
                             float /*rotCenterX*/, float /*rotCenterY*/)
{
}

void MemoryImage::StretchBlt(Image* /*image*/, const Rect& /*destRect*/, const Rect& /*srcRect*/,
                             const Rect& /*clipRect*/, const Color& /*color*/, int /*drawMode*/, bool /*fastStretch*/)
{
}

void MemoryImage::BltTransformed(Image* /*image*/, const Rect* /*clipRect*/, const Color& /*color*/, int /*drawMode*/,
                                 const Rect& /*srcRect*/, const Matrix3& /*transform*/, bool /*linearFilter*/,
                                 float /*x*/, float /*y*/, bool /*center*/)
{
}

void MemoryImage::BltTexturedTriangles(Image* /*image*/, const TriVertex (* /*vertices*/)[3], int /*numTriangles*/,
                                       const Rect& /*clipRect*/, const Color& /*color*/, int /*drawMode*/, float /*tx*/,
                                       float /*ty*/, bool /*blend*/)
{
}

} // namespace Pyxo
