#pragma once

#include "graphics/ImageLib.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace ImageLib {

/// JPEG-2000 (code stream or JP2 file) through the loaded codec library (LoadJ2KCodec); null without it or for
/// data the codec refuses.
std::unique_ptr<Image> DecodeJPEG2000(std::span<const uint8_t> data);

} // namespace ImageLib
