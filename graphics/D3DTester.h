#pragma once

#include "platform/directdraw/DirectDrawTypes.h"
#include "platform/window/WindowMessage.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace Platform {
class Direct3D;
class Direct3DDevice;
class DirectDraw;
class DirectDrawSurface;
} // namespace Platform

namespace Pyxo {

/// The 100 x 100 read-back image of the 3-D capability test: 0xAARRGGBB pixels, row after row.
class D3DTestImage {
public:
    D3DTestImage() = default;
    virtual ~D3DTestImage() = default;
    D3DTestImage(const D3DTestImage&) = delete;
    D3DTestImage& operator=(const D3DTestImage&) = delete;

    void Create(int width, int height); // allocates when both are above 0
    void FillRect(int x, int y, int width, int height, uint32_t color);
    void FillStripes(); // even columns black, odd columns white
    /// Squared distance of the colours; alpha is ignored.
    [[nodiscard]] static int ColorDistance(uint32_t a, uint32_t b);
    /// True when the top-left width x height pixels all equal the first; counts those farther than 768 from
    /// expected.
    bool CheckUniform(uint32_t expected, int& farCount, int width, int height) const;
    [[nodiscard]] int CountStripeErrors(int width, int height, int x, int y) const;

    std::unique_ptr<uint32_t[]> mBits;
    int mWidth = 0;
    int mHeight = 0;
};

/// Decides whether this machine can carry the 3-D renderer: video memory, card lists, device and texture
/// formats, and five small blend scenes read back. Ends with a failure text (3-D must not be used) and a warning
/// text (3-D works but is not recommended). Owned by the display; runs once per start.
class D3DTester {
public:
    /// A failing device call inside the test: "DXError - " + operation + ": " + error name.
    class TestException : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    D3DTester();
    virtual ~D3DTester();
    D3DTester(const D3DTester&) = delete;
    D3DTester& operator=(const D3DTester&) = delete;

    void SetVideoMemoryLimits(uint32_t minimumMB, uint32_t recommendedMB);
    /// Runs the whole test on the window with the given device (made here when null); releases every device
    /// object afterwards. The results stay in the two texts.
    void Test(Platform::WindowHandle window, Platform::DirectDraw* directDraw);
    /// The device check: adapter, video memory, driver year, card lists, device and texture formats. False with
    /// the failure text set; warnings go on.
    bool TestD3D(Platform::WindowHandle window, Platform::DirectDraw* directDraw);
    /// Whether the card of this description may carry 3-D: "vhwb.dat" in the current folder refuses it when one
    /// of its lines occurs in the description, else "vhw.dat" accepts it only then; without either list a driver
    /// from 2002 on or a known maker's name accepts it. Case is ignored.
    [[nodiscard]] bool IsGoodCard(const std::string& description) const;
    /// The four blend scenes and the clipping scene; false when the scene failed (failure text set).
    bool TestAlphaBlend();
    bool TestAdditiveBlend();
    bool TestAlphaAddBlend();
    bool TestAlphaModulate();
    bool TestClipping();
    /// Reads a 16- or 32-bit surface into the image as 0xFFRRGGBB, each channel's highest bit at bit 7 of its
    /// byte; throws for other depths.
    static void ReadSurface(Platform::DirectDrawSurface* surface, D3DTestImage& image);

    std::string mFailureReason; // empty = no failure
    std::string mWarning;       // empty = no warning
    uint32_t mMinVidMemory = 0; // MB
    uint32_t mRecommendedVidMemory = 0;
    int mDriverYear = 0;         // 0 = not found
    bool mResultsChanged = true; // the display's first-result flag; every start tests afresh
    Platform::Guid mDisplayGuid;
    std::string mDriver;      // the adapter's driver file
    std::string mDescription; // the adapter's description

private:
    struct BlendScene;

    void ReleaseAll();
    bool RunScene(const BlendScene& scene);
    /// Draws the image at (x, y) through the first texture, in 64 x 64 tiles.
    void DrawImage(const D3DTestImage& image, int x, int y, uint32_t color);

    Platform::DirectDraw* mDD = nullptr;                   // one reference held during a test
    Platform::DirectDrawSurface* mRenderSurface = nullptr; // owned during a test
    Platform::DirectDrawSurface* mTextureSurface1 = nullptr;
    Platform::DirectDrawSurface* mTextureSurface2 = nullptr;
    Platform::Direct3D* mD3D = nullptr;             // owned during a test
    Platform::Direct3DDevice* mD3DDevice = nullptr; // owned during a test
    D3DTestImage mTestImage;                        // the render surface read back
    bool mTexture32 = true;                         // textures are A8R8G8B8, else A4R4G4B4
};

} // namespace Pyxo
