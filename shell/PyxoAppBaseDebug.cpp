// The application's debug aids behind the debug keys: the screenshot, the image dump and the video statistics.
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/ImageLib.h"
#include "graphics/ImageMemoryUse.h"
#include "graphics/MemoryImage.h"
#include "graphics/TextureData.h"
#include "platform/directdraw/DirectDraw.h"
#include "platform/files/FileSystem.h"
#include "platform/time/Clock.h"
#include "shell/CritSect.h"
#include "shell/PathHelpers.h"
#include "shell/PyxoAppBase.h"
#include "shell/SoundManager.h"
#include "shell/StrFormat.h"
#include "shell/StringHelpers.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace Pyxo {

namespace {

constexpr int kThumbnailSize = 64;

/// The display lock that guards the image set, held for the scope; nothing to hold without a display.
class ImageSetLock {
public:
    explicit ImageSetLock(DDInterface* display) : mSection(display ? &display->mCritSect : nullptr)
    {
        if (mSection)
            mSection->Lock();
    }
    ~ImageSetLock()
    {
        if (mSection)
            mSection->Unlock();
    }
    ImageSetLock(const ImageSetLock&) = delete;
    ImageSetLock& operator=(const ImageSetLock&) = delete;

private:
    CritSect* mSection; // borrowed from the display, which outlives the scope
};

std::string Comma(int64_t value)
{
    return WStringToString(CommaSeparate64(value));
}

/// A cell with the label and the figure, or a blank cell for a figure of 0.
std::string FigureCell(const char* label, int64_t figure)
{
    return figure == 0 ? "<TD>&nbsp;</TD>" : std::string("<TD>") + label + "<BR>" + Comma(figure) + "</TD>";
}

std::string FlagCell(const char* label, bool set)
{
    return set ? std::string("<TD>") + label + "</TD>" : "<TD>&nbsp;</TD>";
}

/// A 64 x 64 thumbnail: the pixel (x, y) takes the source pixel at column ((x + 0.5) x width truncated) / 64 and
/// row ((y + 0.5) x height truncated) / 64.
std::unique_ptr<ImageLib::Image> MakeThumbnail(const uint32_t* bits, int width, int height)
{
    auto thumbnail = std::make_unique<ImageLib::Image>(kThumbnailSize, kThumbnailSize);
    for (int y = 0; y < kThumbnailSize; ++y) {
        const auto row = static_cast<int64_t>((y + 0.5) * height) / kThumbnailSize;
        for (int x = 0; x < kThumbnailSize; ++x) {
            const auto column = static_cast<int64_t>((x + 0.5) * width) / kThumbnailSize;
            thumbnail->GetBits()[y * kThumbnailSize + x] = bits[row * width + column];
        }
    }
    return thumbnail;
}

std::unique_ptr<ImageLib::Image> CopyPicture(const uint32_t* bits, int width, int height)
{
    auto picture = std::make_unique<ImageLib::Image>(width, height);
    std::memcpy(picture->GetBits(), bits, sizeof(uint32_t) * static_cast<size_t>(width) * static_cast<size_t>(height));
    return picture;
}

/// The current local time as asctime writes it, line break included.
std::string LocalTimeText()
{
    const std::time_t now = static_cast<std::time_t>(Platform::GetCalendarTime());
    std::tm local{};
    char text[32] = "";
    if (!localtime_r(&now, &local) || !asctime_r(&local, text))
        return "\n";
    return text;
}

} // namespace

void PyxoAppBase::TakeScreenshot()
{
    if (!mDisplay || !mDisplay->mDrawSurface)
        return;
    const std::string folder = GetAppDataFolder() + "_screenshots";
    MkDir(folder);
    const std::string prefix = folder + "/";

    int largest = 0;
    for (const Platform::FoundFile& file : Platform::FindFiles(prefix + "*.png")) {
        int number = 0;
        if (std::sscanf(file.name.c_str(), "image%d.png", &number) == 1)
            largest = std::max(largest, number);
    }
    const std::string fileName = prefix + "image" + StrFormat("%d.png", largest + 1);

    std::unique_ptr<ImageLib::Image> picture;
    {
        // The cursor and loading threads use the draw surface too. It is taken from the display meanwhile, so that
        // the wrapper reads it as a plain surface even when the display draws into it through 3-D.
        AutoCrit lock(mDisplay->mCritSect);
        Platform::ComRef<Platform::DirectDrawSurface> surface = std::move(mDisplay->mDrawSurface);
        {
            DDImage wrapper(mDisplay.get());
            wrapper.SetSurface(surface.Get());
            if (const uint32_t* bits = wrapper.GetBits(); bits && wrapper.mWidth > 0 && wrapper.mHeight > 0)
                picture = CopyPicture(bits, wrapper.mWidth, wrapper.mHeight);
            wrapper.SetSurface(nullptr);
        }
        mDisplay->mDrawSurface = std::move(surface);
    }
    if (picture) {
        ImageLib::WritePNGImage(fileName, *picture);
        RestartElapsedTime(); // the time spent saving is not caught up
    }
}

void PyxoAppBase::DumpImages()
{
    const std::string folder = GetAppDataFolder() + "_dump";
    Deltree(folder);
    // Removal is immediate here, so the fresh folder can be made at once.
    MkDir(folder);
    const std::string prefix = folder + "/";

    std::string page;
    const auto line = [&page](const std::string& text) {
        page += text;
        page += '\n';
    };
    line("<HTML><BODY BGCOLOR=EEEEFF><CENTER><FONT SIZE=+2><B>");
    line(LocalTimeText());
    line("</B></FONT><BR>");

    // The set stays locked for the whole dump, and is walked from a copy: reading an image back may make images.
    ImageSetLock lock(mDisplay.get());
    struct Entry {
        MemoryImage* image;
        ImageMemoryUse use;
    };
    std::vector<Entry> entries;
    for (MemoryImage* image : std::vector<MemoryImage*>(mMemoryImageSet.begin(), mMemoryImageSet.end()))
        entries.push_back({image, ImageMemoryUse::Of(*image)});
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.use.Total() > b.use.Total(); });
    int64_t sum = 0;
    for (const Entry& entry : entries)
        sum += entry.use.Total();
    line("Total Image Allocation: " + Comma(sum) + " bytes<BR>");
    line("<TABLE BORDER=1 CELLSPACING=0 CELLPADDING=4>");

    ImageMemoryUse totals;
    int index = 0;
    for (const Entry& entry : entries) {
        MemoryImage& image = *entry.image;
        const ImageMemoryUse& use = entry.use;
        const std::string imageName = StrFormat("img%04d.png", index);
        const std::string thumbnailName = StrFormat("thumb%04d.jpg", index);
        ++index;

        line("<TR>");
        line("<TD><A HREF=" + imageName + "><IMG SRC=" + thumbnailName + " WIDTH=" + std::to_string(kThumbnailSize) +
             " HEIGHT=" + std::to_string(kThumbnailSize) + "></A></TD>");
        totals.bits += use.bits;
        totals.palletized += use.palletized;
        totals.surface += use.surface;
        totals.texture += use.texture;
        totals.nativeAlpha += use.nativeAlpha;
        totals.rlAlpha += use.rlAlpha;
        totals.rlAdditive += use.rlAdditive;
        line("<TD ALIGN=RIGHT>" +
             StrFormat("%d x %d<BR>%s bytes", image.mWidth, image.mHeight, Comma(use.Total()).c_str()) + "</TD>");
        line(FigureCell("mBits", use.bits));
        line(FigureCell("Palletized", use.palletized));
        line(FigureCell("DDSurface", use.surface));
        line(use.texture == 0 ? "<TD>&nbsp;</TD>"
                              : std::string("<TD>Texture<BR>") + ImageMemoryUse::FormatName(use.textureFormat) +
                                    "<BR>" + Comma(use.texture) + "</TD>");
        line(FlagCell("Volatile", image.mIsVolatile));
        line(FlagCell("Forced", image.mForcedMode));
        line(FlagCell("HasAlpha", image.mHasAlpha));
        line(FlagCell("HasTrans", image.mHasTrans));
        line(FigureCell("NativeAlpha", use.nativeAlpha));
        line(FigureCell("RLAlpha", use.rlAlpha));
        line(FigureCell("RLAdditive", use.rlAdditive));
        line("<TD>&nbsp;</TD>");
        line("</TR>");

        // An image without pixels, or whose pixels cannot be read, has no picture to sample; its files stay
        // missing, as any failed write leaves them.
        const int width = image.mWidth;
        const int height = image.mHeight;
        const uint32_t* bits = width > 0 && height > 0 ? image.GetBits() : nullptr;
        if (!bits)
            continue;
        ImageLib::WriteJPEGImage(prefix + thumbnailName, *MakeThumbnail(bits, width, height));
        ImageLib::WritePNGImage(prefix + imageName, *CopyPicture(bits, width, height));
    }

    line("<TD>Totals</TD>");
    for (int64_t figure : {sum, totals.bits, totals.palletized, totals.surface, totals.texture})
        line("<TD>" + Comma(figure) + "</TD>");
    for (int i = 0; i < 4; ++i)
        line("<TD>&nbsp;</TD>");
    for (int64_t figure : {totals.nativeAlpha, totals.rlAlpha, totals.rlAdditive})
        line("<TD>" + Comma(figure) + "</TD>");
    line("<TD>&nbsp;</TD>");
    line("</TABLE></CENTER></BODY></HTML>");

    Platform::WriteFileAtomic(prefix + "imagelist.html",
                              std::span(reinterpret_cast<const uint8_t*>(page.data()), page.size()));
}

void PyxoAppBase::ShowVideoStats()
{
    const char* rating = Is3DRecommended() ? "Recommended" : Is3DSupported() ? "Supported" : "Unsupported";
    std::string text =
        StrFormat("3D-Mode is %s (3D is %s on this system)\r\n\r\n", Is3DAccelerated() ? "On" : "Off", rating);

    size_t imageCount = 0;
    int64_t textureTotal = 0;
    constexpr std::array<int, 4> kFormats = {kTextureFormatA8R8G8B8, kTextureFormatA4R4G4B4, kTextureFormatR5G6B5,
                                             kTextureFormatPalettized};
    std::array<int, kFormats.size()> formatImages{};
    std::array<int64_t, kFormats.size()> formatBytes{};
    {
        ImageSetLock lock(mDisplay.get());
        imageCount = mMemoryImageSet.size();
        for (MemoryImage* image : mMemoryImageSet) {
            const ImageMemoryUse use = ImageMemoryUse::Of(*image);
            textureTotal += use.texture;
            for (size_t i = 0; i < kFormats.size(); ++i) {
                if (use.texture != 0 && use.textureFormat == kFormats[i]) {
                    ++formatImages[i];
                    formatBytes[i] += use.texture;
                }
            }
        }
    }
    text += StrFormat("Num Images: %d\r\n", static_cast<int>(imageCount));
    text += StrFormat("Num Sounds: %d\r\n", mSoundManager ? mSoundManager->GetNumSounds() : 0);
    if (mDisplay && mDisplay->mDD) {
        uint32_t total = 0;
        uint32_t free = 0;
        // Without an answer there are no figures to show, rather than zeros that look like some.
        if (!Platform::Failed(mDisplay->mDD->GetAvailableVidMem({Platform::DDSCAPS_VIDEOMEMORY, 0}, &total, &free)))
            text += StrFormat("Video Memory: %s/%s KB\r\n", Comma((int64_t{total} - free) / 1024).c_str(),
                              Comma(total / 1024).c_str());
    }
    text += StrFormat("Texture Memory: %s KB\r\n", Comma(textureTotal / 1024).c_str());
    for (size_t i = 0; i < kFormats.size(); ++i) {
        if (formatImages[i] > 0)
            text += StrFormat("%s: %d - %s KB\r\n", ImageMemoryUse::FormatName(kFormats[i]), formatImages[i],
                              Comma(formatBytes[i] / 1024).c_str());
    }
    MsgBox(text, "Video Stats", 0);
}

} // namespace Pyxo
