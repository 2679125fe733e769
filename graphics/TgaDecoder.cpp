#include "graphics/TgaDecoder.h"

#include "platform/log/Log.h"

namespace ImageLib {
namespace {

constexpr size_t kHeaderSize = 18;
constexpr uint8_t kPixelDepth = 32;
constexpr uint8_t kDescriptorTopLeftAlpha8 = 0x28;

uint16_t Little16(std::span<const uint8_t> data, size_t at)
{
    return uint16_t(data[at] | data[at + 1] << 8);
}

} // namespace

std::unique_ptr<Image> DecodeTGA(std::span<const uint8_t> data)
{
    if (data.size() < kHeaderSize) {
        Platform::Log(Platform::LogLevel::Warning, "image", "TGA: header truncated");
        return nullptr;
    }
    const int width = Little16(data, 12);
    const int height = Little16(data, 14);
    if (data[16] != kPixelDepth || data[17] != kDescriptorTopLeftAlpha8) {
        Platform::Log(Platform::LogLevel::Warning, "image", "TGA: only 32-bit top-left files are read");
        return nullptr;
    }
    const uint64_t count = uint64_t(width) * uint64_t(height);
    if (count == 0 || count > kMaxPixels) {
        Platform::Log(Platform::LogLevel::Warning, "image", "TGA: unusable size %dx%d", width, height);
        return nullptr;
    }
    // A short pixel area is a damaged file, not a picture with a missing bottom.
    if (data.size() - kHeaderSize < count * 4) {
        Platform::Log(Platform::LogLevel::Warning, "image", "TGA: pixel data truncated");
        return nullptr;
    }
    auto image = std::make_unique<Image>(width, height);
    const uint8_t* p = data.data() + kHeaderSize;
    for (uint64_t i = 0; i < count; ++i, p += 4) {
        image->mBits[i] = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
    return image;
}

} // namespace ImageLib
