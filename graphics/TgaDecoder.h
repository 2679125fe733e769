#pragma once

#include "graphics/ImageLib.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace ImageLib {

/// Uncompressed 32-bit TGA with 8 alpha bits and a top-left origin (descriptor 0x28), the only kind the game
/// writes; any other TGA is refused. Null, with the reason logged, for data it does not accept.
std::unique_ptr<Image> DecodeTGA(std::span<const uint8_t> data);

} // namespace ImageLib
