#pragma once

#include <cstdint>

namespace Pyxo {

class MemoryImage;

/// The memory an image's pixel stores take, in bytes, as the image dump and the video statistics report it. Each
/// figure is 0 when the image lacks that store. 64-bit, so that the sums over all images cannot overflow.
struct ImageMemoryUse {
    int64_t bits = 0;        // width x height x 4 with ARGB bits
    int64_t palletized = 0;  // width x height + 1024 with a palette
    int64_t surface = 0;     // width x height x 4 for a surface image holding a surface
    int64_t texture = 0;     // what the 3-D texture data takes
    int textureFormat = 0;   // one texture format bit (graphics/TextureData.h), 0 without texture data
    int64_t nativeAlpha = 0; // 1024 when palettised, else width x height x 4
    int64_t rlAlpha = 0;     // width x height
    int64_t rlAdditive = 0;  // width x height

    [[nodiscard]] static ImageMemoryUse Of(const MemoryImage& image);
    [[nodiscard]] int64_t Total() const;
    /// "A8R8G8B8", "A4R4G4B4", "R5G6B5" or "Palette8"; "" for anything else.
    [[nodiscard]] static const char* FormatName(int format);
};

} // namespace Pyxo
