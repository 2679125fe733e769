#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

/// Image files: TGA, GIF, PNG, JPEG and JPEG-2000 readers (files read through the pack layer) and the PNG and
/// JPEG writers. The readers may run on several threads at once.
namespace ImageLib {

/// A decoded picture: width × height pixels 0xAARRGGBB, rows top to bottom, no padding. Owns its pixels.
class Image {
public:
    Image() = default;
    /// Allocates width × height pixels, all 0.
    Image(int width, int height);
    virtual ~Image() = default;
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    uint32_t* GetBits() { return mBits.get(); }
    const uint32_t* GetBits() const { return mBits.get(); }

    int mWidth = 0;
    int mHeight = 0;
    std::unique_ptr<uint32_t[]> mBits;
};

/// Largest picture the readers accept, so that a few bytes of header cannot ask for gigabytes.
inline constexpr uint64_t kMaxPixels = uint64_t(1) << 24;

/// When false, GetImage never looks for an alpha image.
extern std::atomic<bool> gAutoLoadAlpha;
/// 0x00RRGGBB given to the pixels of a picture that exists only as an alpha image. The resource manager sets it
/// around one load and puts 0xFFFFFF back.
extern std::atomic<uint32_t> gAlphaComposeColor;
/// When true, every pixel decoded from JPEG-2000 is made opaque.
extern std::atomic<bool> gIgnoreJPEG2000Alpha;

/// Reads an image file, choosing the reader by extension (".tga", ".jpg", ".png", ".gif", ".j2k", ".jp2", case
/// ignored) or, for a name without extension, trying them in that order. With lookForAlphaImage (and
/// gAutoLoadAlpha) an alpha image "_name" or "name_" is merged in from its blue channel, or stands alone
/// recoloured to gAlphaComposeColor. Null when nothing loads.
std::unique_ptr<Image> GetImage(const std::string& fileName, bool lookForAlphaImage = true);

/// The readers, each on the full file name; null when the file is missing or not a (supported) file of its kind.
std::unique_ptr<Image> GetTGAImage(const std::string& fileName);
std::unique_ptr<Image> GetGIFImage(const std::string& fileName);
std::unique_ptr<Image> GetPNGImage(const std::string& fileName);
std::unique_ptr<Image> GetJPEGImage(const std::string& fileName);
/// Needs the JPEG-2000 codec (LoadJ2KCodec); null without it.
std::unique_ptr<Image> GetJPEG2000Image(const std::string& fileName);

/// The writers replace the file as a whole (written aside, then renamed), so a failure leaves the old file.
/// False when the picture is empty, the library reports an error or the file cannot be written.
bool WritePNGImage(const std::string& fileName, const Image& image);
/// Quality 80; alpha is dropped.
bool WriteJPEGImage(const std::string& fileName, const Image& image);

/// Loads the JPEG-2000 codec library; the application calls it once at start.
void LoadJ2KCodec();
/// Unloads it; JPEG-2000 files then read as null until it is loaded again.
void FreeJ2KCodec();

/// The whole file through the pack layer; false when it cannot be opened or is implausibly large.
bool ReadImageFile(const std::string& fileName, std::vector<uint8_t>& out);

} // namespace ImageLib
