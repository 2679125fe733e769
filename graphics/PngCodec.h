#pragma once

#include "graphics/ImageLib.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace ImageLib {

/// Any PNG through libpng: palette, grey, 16-bit and interlaced files become 8-bit 0xAARRGGBB, opaque where the
/// file has no alpha. Null, with the reason logged, on a damaged file.
std::unique_ptr<Image> DecodePNG(std::span<const uint8_t> data);

/// An 8-bit RGBA PNG of the picture, alpha kept. False for an empty picture or a library error.
bool EncodePNG(const Image& image, std::vector<uint8_t>& out);

} // namespace ImageLib
