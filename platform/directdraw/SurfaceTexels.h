#pragma once

#include "platform/directdraw/DirectDrawTypes.h"

#include <cstdint>
#include <vector>

namespace Platform {

/// A texture's texels as the 3-D device samples them: 32-bit ARGB rows at a positive pitch, and whether some texel
/// is translucent (alpha 1 to 254) or transparent (alpha 0). texels is null for a format that cannot be sampled.
struct TexelView {
    const uint32_t* texels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0; // bytes
    bool hasAlpha = false;
    bool hasTransparency = false;
};

/// Keeps a texture surface's TexelView, made again only when the surface's pixels have changed: 8888 rows at a
/// positive pitch are sampled where they lie; other layouts and formats are converted into a copy once per change.
/// Belongs to one surface; not locked.
class SurfaceTexels {
public:
    /// The view of the pixels given: the surface's top row, pitch, size, format and change count.
    const TexelView& View(const uint8_t* topRow, int32_t pitch, int width, int height, const PixelFormat& format,
                          uint64_t changeCount);

private:
    std::vector<uint32_t> mCopy; // converted texels, when they are not sampled in place
    TexelView mView;
    uint64_t mChangeCount = 0;
    bool mMade = false;
};

} // namespace Platform
