#pragma once

// Small memory images for pixel tests: made from literal pixels, read back, and shown as coverage masks.
#include "graphics/MemoryImage.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace MemoryImageTestKit {

inline std::unique_ptr<Pyxo::MemoryImage> ImageOf(const std::vector<uint32_t>& pixels, int width, int height)
{
    auto image = std::make_unique<Pyxo::MemoryImage>(nullptr);
    image->SetBits(pixels.data(), width, height, true);
    return image;
}

inline std::unique_ptr<Pyxo::MemoryImage> Filled(int width, int height, uint32_t pixel)
{
    return ImageOf(std::vector<uint32_t>(size_t(width) * size_t(height), pixel), width, height);
}

inline std::vector<uint32_t> BitsOf(Pyxo::MemoryImage& image)
{
    const uint32_t* bits = image.GetBits();
    return std::vector<uint32_t>(bits, bits + image.PixelCount());
}

// Rows of '#' (pixel differs from the background) and '.' (unchanged).
inline std::vector<std::string> MaskOf(Pyxo::MemoryImage& image, uint32_t background)
{
    std::vector<std::string> rows;
    const std::vector<uint32_t> bits = BitsOf(image);
    for (int y = 0; y < image.GetHeight(); ++y) {
        std::string row;
        for (int x = 0; x < image.GetWidth(); ++x) {
            row += bits[size_t(y * image.GetWidth() + x)] == background ? '.' : '#';
        }
        rows.push_back(row);
    }
    return rows;
}

inline constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;
inline constexpr uint32_t kOpaqueBlack = 0xFF000000;

} // namespace MemoryImageTestKit
