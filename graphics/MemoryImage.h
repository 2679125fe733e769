#pragma once

#include "graphics/Image.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Pyxo {

class NativeDisplay;
class PyxoAppBase;
class TextureData;

/// An ARGB colour premultiplied by its alpha and placed in the display's format: each channel becomes
/// (value x (alpha + 1)) >> 8, cut to the display's bit count and moved to its mask; alpha stays in bits 24-31.
[[nodiscard]] uint32_t ToNativeColor(uint32_t argb, const NativeDisplay& display);
/// The inverse of ToNativeColor, as exact as the display's bit counts allow.
[[nodiscard]] uint32_t FromNativeColor(uint32_t native, const NativeDisplay& display);

/// An image whose pixels live in memory. Keeps up to six pixel stores at once (32-bit ARGB bits, a 256-colour
/// palette with per-pixel indices, premultiplied native-format data, run-length alpha and run-length additive
/// data, and the 3-D display's texture data), makes each on demand from the others, and drops the derived ones
/// whenever the bits change: every change of the bits is followed by BitsChanged. Joins the application's set of
/// live memory images at construction and leaves it at destruction. Used on the main and the resource-loading
/// thread, one thread per image at a time.
class MemoryImage : public Image {
public:
    static constexpr uint32_t kGuardWord = 0x4BEEFADE; // written after the last pixel of the bits

    MemoryImage(); // on the global application
    explicit MemoryImage(PyxoAppBase* app);
    /// Deep copy of every store but the 3-D texture data; the copy registers itself with the application.
    MemoryImage(const MemoryImage& other);
    MemoryImage& operator=(const MemoryImage&) = delete;
    ~MemoryImage() override;

    // Software drawing on the bits.
    void FillRect(const Rect& rect, const Color& color, int drawMode) override;
    void ClearRect(const Rect& rect) override;
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
    /// Nearest samples, the destination row walked from its right end, as a surface image draws it; the fast
    /// stretch flag changes nothing.
    void StretchBltMirrored(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                            const Color& color, int drawMode, bool fastStretch) override;

    // Pixel stores.
    /// Premultiplied pixels in the display's format, made on first use (256 entries when palettised).
    virtual uint32_t* GetNativeAlphaData(NativeDisplay* display);
    virtual uint8_t* GetRLAlphaData();
    virtual uint8_t* GetRLAdditiveData(NativeDisplay* display);
    /// Drops the bits once another store can rebuild them (native data without 3-D, textures with it); an image
    /// without a display keeps them.
    virtual void PurgeBits();
    virtual void DeleteSWBuffers();
    virtual void Delete3DBuffers();
    virtual void DeleteExtraBuffers();
    virtual void ReInit();
    virtual void BitsChanged();
    virtual void CommitBits(); // recomputes the transparency and alpha flags
    virtual void DeleteNativeData();
    virtual void Clear();
    /// Copies width x height ARGB pixels in; nothing when bits are the image's own.
    /// Bits that were freed are allocated again; a null pointer or a negative size changes nothing.
    virtual void SetBits(const uint32_t* bits, int width, int height, bool commitBits);
    /// A new size without pixels (they read as transparent black); palette and indices of the old size go.
    virtual void Create(int width, int height);
    /// The ARGB bits (width x height, then the guard word), made on first use; null when none can be made.
    virtual uint32_t* GetBits();
    virtual void SetImageMode(bool hasTrans, bool hasAlpha);
    virtual void SetVolatile(bool isVolatile);
    /// Converts to palette and indices when at most 256 colours are used; false (and no change) for more, or for
    /// an image without pixels.
    virtual bool Palletize();

    /// width x height, 0 for an image without pixels.
    [[nodiscard]] size_t PixelCount() const;

    /// An unturned rotated blit at a whole-pixel position draws what Blt draws there, on every kind of
    /// destination: it is handed to Blt (clipped to clipRect) and true is returned; any other blit is left to the
    /// caller (false).
    bool BltUnturnedAsPlain(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect,
                            const Color& color, int drawMode, double angle);

    std::unique_ptr<uint32_t[]> mBits; // width x height + 1, or null
    int mBitsChangedCount = 0;         // raised on every change of the bits
    TextureData* mD3DData = nullptr;   // owned by the 3-D display
    int mD3DFlags = 8;
    std::unique_ptr<uint32_t[]> mColorTable;  // 256 ARGB entries, or null
    std::unique_ptr<uint8_t[]> mColorIndices; // one per pixel, or null
    bool mForcedMode = false;                 // the flags were set by SetImageMode and stay
    bool mHasTrans = false;                   // some pixel has alpha 0
    bool mHasAlpha = false;                   // some pixel has alpha in 1..254
    bool mIsVolatile = false;
    bool mPurgeBits = false; // the bits may be dropped after conversion
    bool mWantPal = false;   // palettise again after a re-initialisation
    std::unique_ptr<uint32_t[]> mNativeAlphaData;
    std::unique_ptr<uint8_t[]> mRLAlphaData;
    std::unique_ptr<uint8_t[]> mRLAdditiveData;
    bool mBitsChanged = false;   // the flags must be recomputed
    PyxoAppBase* mApp = nullptr; // borrowed
};

} // namespace Pyxo
