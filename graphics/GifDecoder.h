#pragma once

#include "graphics/ImageLib.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace ImageLib {

/// The first image of a GIF87a/GIF89a file, with its transparent index as transparent black and interlaced rows
/// put in place. Data that stop early leave the remaining pixels 0. Null, with the reason logged, for data
/// outside the format's tables (a code size past 12 bits, a pixel index beyond the colour table, a bad size).
std::unique_ptr<Image> DecodeGIF(std::span<const uint8_t> data);

} // namespace ImageLib
