#pragma once

#include "graphics/Color.h"
#include "graphics/Matrix3.h"
#include "graphics/Rect.h"
#include "platform/directx/ComRef.h"
#include "platform/window/WindowMessage.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace Platform {
class Direct3D;
class Direct3DDevice;
class DirectDraw;
class DirectDrawSurface;
struct PixelFormat;
} // namespace Platform

namespace Pyxo {

class D3DPolygon;
class DDInterface;
class Image;
class MemoryImage;
struct TriVertex;

/// The per-image texture set of the 3-D path; owned by its image, deleted through RemoveTextureData.
class TextureData;

/// The optional 3-D path of the display: a device whose render target is the display's draw surface, textures
/// made from images on demand (tiled when an image is larger than the device allows), and the drawing operations
/// of surface images that are the 3-D draw surface. A failing device call is recorded as the 3-D error text
/// (mErrorString), which makes the display turn 3-D off at the next present, and is written to the registry as
/// "Test3D\RuntimeError". Owned by the display. Main thread, except that the set of textured images changes
/// under the display lock.
class D3DInterface {
public:
    D3DInterface();
    virtual ~D3DInterface();
    D3DInterface(const D3DInterface&) = delete;
    D3DInterface& operator=(const D3DInterface&) = delete;

    /// Takes the device, window and size of the display and creates the device; false with mErrorString set.
    bool InitFromDisplay(DDInterface* display);
    bool InitDevice();
    /// Prepares the frame for drawing; every drawing operation draws nothing when it is false.
    bool Setup();
    /// Ends the scene; the display calls it before each present.
    void Flush();
    /// Drops every texture and releases the device.
    void Cleanup();
    /// Makes sure the image has current textures; true when they have a format. The image must leave through
    /// RemoveTextureData before it is destroyed, as the application's image set sees to.
    bool PrepareTexture(MemoryImage* image);
    /// Deletes the image's texture data and takes it out of the set.
    void RemoveTextureData(MemoryImage* image);
    /// Copies the textures back into the image's bits; false when they do not hold its current pixels.
    bool ReadTextureBits(MemoryImage* image);
    /// False for a non-negative result; otherwise records "label: error name" and returns true.
    bool CheckResult(int32_t result, const std::string& label);
    /// The same for a label in static text, made into a string only on failure: every draw checks its calls.
    bool CheckResult(int32_t result, const char* label)
    {
        return result < 0 && CheckResult(result, std::string(label));
    }
    /// The texture size rule: the device limits, the subdivision table and the aspect limit.
    static void GetTextureSize(int& width, int& height, bool exact, bool fit, int imageFlags);
    /// Entry v of the subdivision table (0 <= v < 1024): the largest tile size that wastes at most 64 texels and
    /// leaves as remainder less than 64 texels or a whole power of two.
    [[nodiscard]] static int SubdivisionSize(int v);
    /// The texture format bit of a device format (kTextureFormat*, graphics/TextureData.h), 0 for none: flags, bit
    /// count and every mask must match (the palettised format checks flags and bit count).
    [[nodiscard]] static int ClassifyTextureFormat(const Platform::PixelFormat& format);
    /// True when the image's textures hold exactly its current pixels, so that its memory bits may go: every piece
    /// made, A8R8G8B8 (the other formats read back changed), and made from the bits as they are now.
    [[nodiscard]] static bool TexturesHoldBits(const MemoryImage& image);

    // Drawing, in the display's draw surface. Draw mode 0 normal, 1 additive; a null clip means none.
    /// The source rectangle as one textured quad at (x, y); false when the device is not ready or the source
    /// cannot become a texture.
    bool BltTexturedQuad(Image* image, float x, float y, const Rect& srcRect, const Color& color, int drawMode,
                         bool linear);
    void Blt(Image* image, float x, float y, const Rect& srcRect, const Color& color, int drawMode, bool linear);
    void BltTransformed(Image* image, const Rect* clipRect, const Color& color, int drawMode, const Rect& srcRect,
                        const Matrix3& transform, bool linear, float x, float y);
    void DrawTrianglesTex(Image* image, const TriVertex (*vertices)[3], int numTriangles, const Color& color,
                          int drawMode, float tx, float ty, bool linear);
    void DrawLine(double startX, double startY, double endX, double endY, const Color& color, int drawMode);
    void FillRect(const Rect& rect, const Color& color, int drawMode);
    void FillPolygon(const Point* points, int count, const Rect* clipRect, const Color& color, int drawMode, int tx,
                     int ty);
    /// The blend factors of the draw mode: source alpha over the inverse (normal) or over one (additive).
    void SetBlendMode(int drawMode);
    /// Bilinear or nearest sampling; the device is told only when the wanted state differs from the last one set.
    void SetLinearFilter(bool on);
    /// Cuts the polygon to the rectangle and draws what is left as a fan.
    void DrawClippedPolygon(const D3DPolygon& polygon, const Rect& clipRect);

    DDInterface* mDisplay = nullptr; // borrowed; set by InitFromDisplay, the display outlives us
    Platform::WindowHandle mHWnd;
    int mWidth = 800;
    int mHeight = 600;
    Platform::DirectDraw* mDD = nullptr;                           // borrowed from the display
    Platform::ComRef<Platform::DirectDrawSurface> mDDSDrawSurface; // the render target
    Platform::ComRef<Platform::Direct3D> mD3D;
    Platform::ComRef<Platform::Direct3DDevice> mD3DDevice;
    Rect mViewport{0, 0, 800, 600};
    bool mSceneBegun = false;
    bool mIsWindowed = true;
    /// Every quad goes through BltTransformed and surface images make no surface-to-surface copies; clear while
    /// there is no 3-D device.
    bool mTransformedDraw = false;
    std::set<MemoryImage*> mImageSet;     // every image that holds texture data
    std::vector<Matrix3> mTransformStack; // drawing maps positions through the last one

    // Process-wide values of the 3-D path, set from the device.
    static int sMinTextureWidth;
    static int sMinTextureHeight;
    static int sMaxTextureWidth;
    static int sMaxTextureHeight;
    static int sMaxTextureAspectRatio;
    static uint32_t sSupportedTextureFormats; // bit set: 1 A8R8G8B8, 2 A4R4G4B4, 4 R5G6B5, 8 palettised
    static bool sLinearFilter;
    static bool sRenderTargetFailed; // the last SetRenderTarget failed
    static std::string sErrorString; // the 3-D error text: the last failing call and its error name
};

} // namespace Pyxo
