#pragma once

#include "graphics/Color.h"
#include "graphics/Rect.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Pyxo {

class Matrix3;

/// Animation of an image's cels. Owned by its image and deep-copied with it.
struct AnimInfo {
    enum AnimType { AnimType_None = 0, AnimType_Once = 1, AnimType_PingPong = 2, AnimType_Loop = 3 };

    int mAnimType = AnimType_None;
    int mFrameDelay = 1;             // at least 1
    int mNumCels = 1;                // frame count, at least 1
    std::vector<int> mPerFrameDelay; // may be empty
    std::vector<int> mFrameMap;      // the cel shown at each frame; may be empty
    int mTotalAnimTime = 0;

    /// Grows the per-frame delays to index + 1 entries (new ones 0) when shorter, then sets the entry.
    void SetPerFrameDelay(int index, int delay);
    /// Completes the record after the manifest's animation attributes were read. False when the total
    /// duration does not fit an int (the record is then not usable).
    [[nodiscard]] bool Compute(int numCels, int beginFrameTime, int endFrameTime);
};

/// One span of a span fill: row y, from column x, width pixels.
struct Span {
    int mY = 0;
    int mX = 0;
    int mWidth = 0;
};

/// A vertex of a textured triangle: position, texture coordinates 0..1 over the whole image, and an ARGB colour
/// (0 = no vertex colour, the operation's colour applies).
struct TriVertex {
    float x = 0.0f;
    float y = 0.0f;
    float u = 0.0f;
    float v = 0.0f;
    uint32_t color = 0;
};

/// Base of every image: size, cel layout, animation, and the drawing operations that the drawing context calls
/// on a destination image. The base draws nothing. Colours of image draws: White means no colourising. Draw
/// mode 0 is normal alpha blending, 1 additive. Source images of blits are borrowed and may be marked drawn.
/// Deleted through the virtual destructor; copied only by derived classes.
class Image {
public:
    Image() = default;
    virtual ~Image() = default;
    Image& operator=(const Image&) = delete;

    [[nodiscard]] int GetWidth() const { return mWidth; }
    [[nodiscard]] int GetHeight() const { return mHeight; }
    /// Takes over the other's cel rows and columns and a deep copy of its animation; keeps the size.
    void CopyAttributes(const Image& other);

    /// Only surface images drawn through the 3-D display fill polygons; false means nothing was drawn.
    virtual bool FillPolygon3D(const Point* points, int count, const Rect* clipRect, const Color& color, int drawMode,
                               int tx, int ty, bool convex);
    virtual void FillRect(const Rect& rect, const Color& color, int drawMode);
    /// Four FillRects: the outline covers (width + 1) x (height + 1) pixels.
    virtual void DrawRect(const Rect& rect, const Color& color, int drawMode);
    virtual void ClearRect(const Rect& rect);
    virtual void DrawLine(double startX, double startY, double endX, double endY, const Color& color, int drawMode);
    virtual void DrawLineAA(double startX, double startY, double endX, double endY, const Color& color, int drawMode);
    /// One FillRect (x, y, width, 1) per span.
    virtual void FillSpans(const Span* spans, int count, const Color& color, int drawMode);
    /// coverage holds one byte per pixel of the rectangle (coverX, coverY, coverWidth, coverHeight).
    virtual void FillSpansWithCoverage(const Span* spans, int count, const Color& color, int drawMode,
                                       const uint8_t* coverage, int coverX, int coverY, int coverWidth,
                                       int coverHeight);
    virtual void Blt(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode);
    virtual void BltF(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect, const Color& color,
                      int drawMode);
    /// angle in radians; the centre is relative to the source rectangle.
    virtual void BltRotated(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect,
                            const Color& color, int drawMode, double angle, float rotCenterX, float rotCenterY);
    virtual void StretchBlt(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                            const Color& color, int drawMode, bool fastStretch);
    /// clipRect may be null (no clip).
    virtual void BltTransformed(Image* image, const Rect* clipRect, const Color& color, int drawMode,
                                const Rect& srcRect, const Matrix3& transform, bool linearFilter, float x, float y,
                                bool center);
    virtual void BltTexturedTriangles(Image* image, const TriVertex (*vertices)[3], int numTriangles,
                                      const Rect& clipRect, const Color& color, int drawMode, float tx, float ty,
                                      bool blend);
    virtual void BltMirrored(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode);
    virtual void StretchBltMirrored(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                                    const Color& color, int drawMode, bool fastStretch);

    bool mDrawn = false; // drawn at least once as a source
    std::string mFilePath;
    int mWidth = 0;
    int mHeight = 0;
    int mNumRows = 1;                    // cel rows
    int mNumCols = 1;                    // cel columns
    std::unique_ptr<AnimInfo> mAnimInfo; // null when the image does not animate

protected:
    /// Copies size, cel layout and a deep copy of the animation; the copy is not drawn and has no path.
    Image(const Image& other);
};

} // namespace Pyxo
