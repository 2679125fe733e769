#include "graphics/ImageLib.h"

#include "graphics/GifDecoder.h"
#include "graphics/Jpeg2000Decoder.h"
#include "graphics/JpegCodec.h"
#include "graphics/PakFile.h"
#include "graphics/PngCodec.h"
#include "graphics/TgaDecoder.h"
#include "platform/files/FileSystem.h"
#include "platform/log/Log.h"

#include <cctype>

namespace ImageLib {

std::atomic<bool> gAutoLoadAlpha{true};
std::atomic<uint32_t> gAlphaComposeColor{0xFFFFFF};
std::atomic<bool> gIgnoreJPEG2000Alpha{true};

namespace {

// No image file of the game comes near this; a larger one is damaged or not an image.
constexpr size_t kMaxFileBytes = size_t(256) << 20;

using Reader = std::unique_ptr<Image> (*)(const std::string&);

struct ReaderEntry {
    const char* extension;
    Reader reader;
};

// The order in which a name without extension tries them.
constexpr ReaderEntry kReaders[] = {
    {".tga", GetTGAImage}, {".jpg", GetJPEGImage},     {".png", GetPNGImage},
    {".gif", GetGIFImage}, {".j2k", GetJPEG2000Image}, {".jp2", GetJPEG2000Image},
};

bool EqualsIgnoreCase(const std::string& a, const char* b)
{
    const std::string_view other(b);
    if (a.size() != other.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(other[i]))) {
            return false;
        }
    }
    return true;
}

std::unique_ptr<Image> ReadWith(const std::string& fileName, std::unique_ptr<Image> (*decode)(std::span<const uint8_t>))
{
    std::vector<uint8_t> bytes;
    if (!ReadImageFile(fileName, bytes)) {
        return nullptr;
    }
    std::unique_ptr<Image> image = decode(bytes);
    if (image == nullptr) {
        Platform::Log(Platform::LogLevel::Warning, "image", "%s: cannot be decoded", fileName.c_str());
    }
    return image;
}

bool WriteFile(const std::string& fileName, const std::vector<uint8_t>& bytes)
{
    if (!Platform::WriteFileAtomic(fileName, bytes)) {
        Platform::Log(Platform::LogLevel::Warning, "image", "%s: cannot be written", fileName.c_str());
        return false;
    }
    return true;
}

} // namespace

Image::Image(int width, int height)
{
    if (width > 0 && height > 0) {
        mBits = std::make_unique<uint32_t[]>(size_t(width) * size_t(height));
        mWidth = width;
        mHeight = height;
    }
}

bool ReadImageFile(const std::string& fileName, std::vector<uint8_t>& out)
{
    out.clear();
    PakFileHandle* file = PakFOpen(fileName.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    // Read to the end rather than trusting a size: the fallback may be any stream.
    uint8_t chunk[64 * 1024];
    bool ok = true;
    for (;;) {
        const size_t got = PakFRead(chunk, 1, sizeof(chunk), file);
        out.insert(out.end(), chunk, chunk + got);
        if (out.size() > kMaxFileBytes) {
            Platform::Log(Platform::LogLevel::Warning, "image", "%s: file too large", fileName.c_str());
            ok = false;
            break;
        }
        if (got < sizeof(chunk)) {
            break;
        }
    }
    PakFClose(file);
    if (!ok) {
        out.clear();
    }
    return ok;
}

std::unique_ptr<Image> GetTGAImage(const std::string& fileName)
{
    return ReadWith(fileName, DecodeTGA);
}

std::unique_ptr<Image> GetGIFImage(const std::string& fileName)
{
    return ReadWith(fileName, DecodeGIF);
}

std::unique_ptr<Image> GetPNGImage(const std::string& fileName)
{
    return ReadWith(fileName, DecodePNG);
}

std::unique_ptr<Image> GetJPEGImage(const std::string& fileName)
{
    return ReadWith(fileName, DecodeJPEG);
}

std::unique_ptr<Image> GetJPEG2000Image(const std::string& fileName)
{
    return ReadWith(fileName, DecodeJPEG2000);
}

std::unique_ptr<Image> GetImage(const std::string& fileName, bool lookForAlphaImage)
{
    const size_t separator = fileName.find_last_of("\\/");
    const size_t dot = fileName.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (separator == std::string::npos || dot > separator);
    const std::string extension = hasExtension ? fileName.substr(dot) : std::string();
    const std::string base = hasExtension ? fileName.substr(0, dot) : fileName;

    std::unique_ptr<Image> image;
    for (const ReaderEntry& entry : kReaders) {
        if (!hasExtension || EqualsIgnoreCase(extension, entry.extension)) {
            image = entry.reader(base + entry.extension);
            if (image != nullptr) {
                break;
            }
        }
    }

    if (!lookForAlphaImage || !gAutoLoadAlpha) {
        return image;
    }
    const std::string folder = separator == std::string::npos ? std::string() : fileName.substr(0, separator + 1);
    const std::string rest = separator == std::string::npos ? fileName : fileName.substr(separator + 1);
    std::unique_ptr<Image> alpha = GetImage(folder + "_" + rest, false);
    if (alpha == nullptr) {
        alpha = GetImage(fileName + "_", false);
    }
    if (alpha == nullptr) {
        return image;
    }

    const size_t count = size_t(alpha->mWidth) * size_t(alpha->mHeight);
    if (image != nullptr) {
        if (image->mWidth == alpha->mWidth && image->mHeight == alpha->mHeight) {
            for (size_t i = 0; i < count; ++i) {
                image->mBits[i] = (image->mBits[i] & 0x00FFFFFF) | (alpha->mBits[i] & 0xFF) << 24;
            }
        }
        return image;
    }
    const uint32_t colour = gAlphaComposeColor & 0x00FFFFFF;
    for (size_t i = 0; i < count; ++i) {
        alpha->mBits[i] = (alpha->mBits[i] & 0xFF) << 24 | colour;
    }
    return alpha;
}

bool WritePNGImage(const std::string& fileName, const Image& image)
{
    std::vector<uint8_t> bytes;
    if (!EncodePNG(image, bytes)) {
        Platform::Log(Platform::LogLevel::Warning, "image", "%s: cannot encode PNG", fileName.c_str());
        return false;
    }
    return WriteFile(fileName, bytes);
}

bool WriteJPEGImage(const std::string& fileName, const Image& image)
{
    std::vector<uint8_t> bytes;
    if (!EncodeJPEG(image, 80, bytes)) {
        Platform::Log(Platform::LogLevel::Warning, "image", "%s: cannot encode JPEG", fileName.c_str());
        return false;
    }
    return WriteFile(fileName, bytes);
}

} // namespace ImageLib
