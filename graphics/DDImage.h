#pragma once

#include "graphics/MemoryImage.h"
#include "platform/directdraw/DirectDrawTypes.h"
#include "platform/directx/ComRef.h"

#include <cstdint>
#include <vector>

namespace Platform {
class DirectDrawSurface;
} // namespace Platform

namespace Raster {
struct TriTexture;
struct TriVertex;
} // namespace Raster

namespace Pyxo {

class DDInterface;

/// A memory image that can also hold a surface of the display. The ARGB bits and the surface are never both
/// authoritative for long: the surface is generated from the bits, software drawing into the surface frees the
/// memory stores, and the bits are read back from the surface when asked for. Each drawing call goes through the
/// 3-D display when the image is its 3-D draw surface, into the locked surface when the image has neither partial
/// alpha nor transparency and the display is 2-D, and otherwise through the memory image. Joins the display's
/// set of live surface images at construction. Surface generation runs under the display lock.
class DDImage : public MemoryImage {
public:
    explicit DDImage(DDInterface* display);
    DDImage(const DDImage&) = delete;
    DDImage& operator=(const DDImage&) = delete;
    ~DDImage() override; // releases the surface, leaves the display's set

    bool FillPolygon3D(const Point* points, int count, const Rect* clipRect, const Color& color, int drawMode, int tx,
                       int ty, bool convex) override;
    void FillRect(const Rect& rect, const Color& color, int drawMode) override;
    void DrawLine(double startX, double startY, double endX, double endY, const Color& color, int drawMode) override;
    void DrawLineAA(double startX, double startY, double endX, double endY, const Color& color, int drawMode) override;
    void FillSpansWithCoverage(const Span* spans, int count, const Color& color, int drawMode, const uint8_t* coverage,
                               int coverX, int coverY, int coverWidth, int coverHeight) override;
    void Blt(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode) override;
    void BltF(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect, const Color& color,
              int drawMode) override;
    void BltRotated(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect, const Color& color,
                    int drawMode, double angle, float rotCenterX, float rotCenterY) override;
    void StretchBlt(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect, const Color& color,
                    int drawMode, bool fastStretch) override;
    void BltTransformed(Image* image, const Rect* clipRect, const Color& color, int drawMode, const Rect& srcRect,
                        const Matrix3& transform, bool linearFilter, float x, float y, bool center) override;
    void BltTexturedTriangles(Image* image, const TriVertex (*vertices)[3], int numTriangles, const Rect& clipRect,
                              const Color& color, int drawMode, float tx, float ty, bool blend) override;
    void BltMirrored(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode) override;
    void StretchBltMirrored(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                            const Color& color, int drawMode, bool fastStretch) override;

    void PurgeBits() override;
    void DeleteExtraBuffers() override;
    void ReInit() override;
    void BitsChanged() override; // also releases the surface without reading it back
    void CommitBits() override;
    void DeleteNativeData() override;
    void Create(int width, int height) override;
    uint32_t* GetBits() override; // null when the surface cannot be locked or locking is refused
    bool Palletize() override;

    /// On a change: reads the surface back and releases it; the next use creates it in the other memory.
    virtual void SetVideoMemory(bool videoMemory);
    /// True when a surface exists afterwards; images with partial alpha never get one.
    virtual bool GenerateDDSurface();
    virtual void NormalFillRect(const Rect& rect, const Color& color);
    virtual void AdditiveFillRect(const Rect& rect, const Color& color);
    virtual void NormalBlt(Image* image, int x, int y, const Rect& srcRect, const Color& color);
    virtual void AdditiveBlt(Image* image, int x, int y, const Rect& srcRect, const Color& color);
    virtual void NormalDrawLine(double startX, double startY, double endX, double endY, const Color& color);
    virtual void AdditiveDrawLine(double startX, double startY, double endX, double endY, const Color& color);
    virtual void NormalDrawLineAA(double startX, double startY, double endX, double endY, const Color& color);
    virtual void AdditiveDrawLineAA(double startX, double startY, double endX, double endY, const Color& color);
    virtual void NormalBltMirror(Image* image, int x, int y, const Rect& srcRect, const Color& color);
    virtual void AdditiveBltMirror(Image* image, int x, int y, const Rect& srcRect, const Color& color);
    /// Nested locks lock the surface once; false when Uses3D or the lock fails.
    virtual bool LockSurface();
    virtual bool UnlockSurface();
    /// Holds a reference on a surface made elsewhere (the display's screen images) in place of the surface held
    /// before, which is released; takes its size.
    virtual void SetSurface(Platform::DirectDrawSurface* surface);

    /// The display's 3-D flag is set and this image's surface is its draw surface.
    [[nodiscard]] bool Uses3D() const;
    /// True for a surface image that Uses3D; false for any other image.
    [[nodiscard]] static bool Check3D(Image* image);
    /// The surface, generated when there is none; null when generation fails.
    Platform::DirectDrawSurface* GetSurface();
    /// Reads the pixels back into the bits, then ReleaseSurface.
    void DeleteDDSurface();
    /// Unlocks the surface if it is locked, then lets it go, without reading it back.
    void ReleaseSurface();
    /// Frees every memory store once the surface holds the pixels (nothing without a surface); software drawing
    /// into the surface ends with it.
    void FreeNonSurfaceData();
    /// The display's screen image: drawn into its surface even while the display is in 3-D mode.
    [[nodiscard]] bool IsScreenImage() const;

    DDInterface* mDDInterface = nullptr; // borrowed display
    Platform::ComRef<Platform::DirectDrawSurface> mSurface;
    bool mSurfaceSet = false;    // handed in by SetSurface: never dropped or purged
    bool mNoLock = false;        // software drawing into the surface refused
    bool mVideoMemory = false;   // the surface is made in video memory
    bool mWantDDSurface = false; // regenerate the surface on ReInit and PurgeBits
    int mLockCount = 0;
    /// What the last lock reported (first-version description): pitch, memory of the top row, bit count, masks.
    Platform::SurfaceDesc mLockDesc;

private:
    /// The pixels a new surface is filled from: the bits, their row length, and the part that both the image and
    /// the locked surface cover.
    struct SurfaceSource {
        const uint32_t* bits;
        size_t stride;
        int width;
        int height;
        [[nodiscard]] uint32_t At(int x, int y) const { return bits[size_t(y) * stride + size_t(x)]; }
        /// The i-th pixel of the covered part, row by row.
        [[nodiscard]] uint32_t At(size_t i) const { return At(int(i % size_t(width)), int(i / size_t(width))); }
    };

    // The steps of GenerateDDSurface once the surface is made and locked: the bits converted into it, and with
    // transparent pixels a colour key that no visible pixel uses where that can be found.
    [[nodiscard]] SurfaceSource SourceForSurface() const;
    void FillSurface16();
    void FillSurface32();
    [[nodiscard]] static uint16_t ColorKey16(const SurfaceSource& source, const std::vector<uint16_t>& converted,
                                             uint16_t key);
    [[nodiscard]] static uint32_t ColorKey32(const SurfaceSource& source);

    /// Neither partial alpha nor transparency, and the display is 2-D: drawing goes into the surface.
    [[nodiscard]] bool DrawsIntoSurface() const;
    /// DrawLine and DrawLineAA: through the 3-D display, into the surface (anti-aliased there on request), or as
    /// the memory image's plain line.
    void DrawAnyLine(double startX, double startY, double endX, double endY, const Color& color, int drawMode,
                     bool antiAliased);
    /// A horizontal or vertical line as a rectangle fill; false for any other line.
    bool DrawStraightLine(double startX, double startY, double endX, double endY, const Color& color, int drawMode);
    /// srcRect of a memory image onto destRect of the surface through the rasterizer (the pixels of the 3-D path's
    /// quad): one texel per pixel where the sizes agree, mirrored across on request, sampled at pixel centres
    /// without a filter, cut to clipRect. A source rectangle reaching past the image is cut to it (with the
    /// destination, when unscaled). False, drawing nothing, for a surface layout the rasterizer does not draw
    /// exactly or an image without pixels; the caller's own loops draw it then.
    bool DrawImageQuad(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                       const Color& color, int drawMode, bool mirror);
    /// The software rasterizer into the locked surface; draws nothing for a layout it has no format for.
    void DrawTrianglesIntoSurface(const Raster::TriVertex* vertices, int count, const Raster::TriTexture* texture,
                                  const Rect* clipRect, const Color& color, int drawMode, bool filter,
                                  bool vertexColours);
};

} // namespace Pyxo
