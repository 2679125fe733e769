#pragma once

#include "graphics/ImageLib.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace ImageLib {

/// Grey and colour JPEG through libjpeg; a premature end of data keeps the rows decoded so far (the rest grey).
/// Null, with the reason logged, for a damaged file or a colour space it does not convert (CMYK).
std::unique_ptr<Image> DecodeJPEG(std::span<const uint8_t> data);

/// A baseline JPEG of the picture's colour (alpha dropped). False for an empty picture or a library error.
bool EncodeJPEG(const Image& image, int quality, std::vector<uint8_t>& out);

} // namespace ImageLib
