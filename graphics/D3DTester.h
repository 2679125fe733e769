#pragma once

#include "platform/window/WindowMessage.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace Platform {
class DirectDraw;
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

    std::string mFailureReason; // empty = no failure
    std::string mWarning;       // empty = no warning
    uint32_t mMinVidMemory = 0; // MB
    uint32_t mRecommendedVidMemory = 0;
    int mDriverYear = 0;         // 0 = not found
    bool mResultsChanged = true; // the display's first-result flag; every start tests afresh
};

} // namespace Pyxo
