#pragma once

// Helpers of the image-font tests: descriptor files written as the game stores them (UTF-16LE, no byte-order
// mark), an application whose image pool hands out generated glyph sheets and whose pop-up only records, and a
// destination image that records every blit instead of drawing it.

#include "graphics/DDImage.h"
#include "graphics/Image.h"
#include "graphics/ImagePool.h"
#include "shell/PyxoAppBase.h"
#include "shell/StringHelpers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ImageFontTest {

/// A folder of its own for each test, removed afterwards.
class TempFolder {
public:
    TempFolder()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("ilvane-ifont-") + std::to_string(getpid()) + "-" +
                           (info != nullptr ? std::string(info->test_suite_name()) + "-" + info->name() : "x");
        for (char& c : name) {
            if (c == '/')
                c = '_';
        }
        mPath = std::filesystem::temp_directory_path() / name;
        std::filesystem::create_directories(mPath);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    [[nodiscard]] std::string Path(const std::string& name) const { return (mPath / name).string(); }

    /// Writes the text as UTF-16LE without a byte-order mark, each wchar_t one unit; returns the path.
    std::string WriteDescriptor(const std::string& name, const std::wstring& text,
                                const std::string& extraBytes = "") const
    {
        std::string bytes;
        for (const wchar_t c : text) {
            bytes += char(uint32_t(c) & 0xFF);
            bytes += char((uint32_t(c) >> 8) & 0xFF);
        }
        bytes += extraBytes;
        const std::string path = Path(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

private:
    std::filesystem::path mPath;
};

/// An application whose image pool serves images the test made, by path (case ignored), and records the paths
/// asked for and the messages it would have shown.
class FontApp : public Pyxo::PyxoAppBase {
public:
    /// Adds a width x height image whose pixels come from pixel(x, y).
    Pyxo::DDImage* AddImage(const std::string& path, int width, int height,
                            const std::function<uint32_t(int, int)>& pixel)
    {
        std::vector<uint32_t> bits(size_t(width) * size_t(height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                bits[size_t(y) * size_t(width) + size_t(x)] = pixel(x, y);
        }
        auto image = std::make_unique<Pyxo::DDImage>(nullptr);
        image->SetBits(bits.data(), width, height, true);
        Pyxo::ImagePoolEntry& entry = mEntries[Pyxo::StringToUpper(path)];
        entry.mImage = std::move(image);
        return entry.mImage.get();
    }

    Pyxo::ImagePoolRef GetPooledImage(const std::string& path, const std::string& /*variant*/, bool* isNew) override
    {
        mRequests.push_back(path);
        const auto [it, made] = mEntries.try_emplace(Pyxo::StringToUpper(path));
        if (isNew != nullptr)
            *isNew = made;
        return Pyxo::ImagePoolRef(&it->second);
    }

    void PopupW(const std::wstring& text) override { mPopups.push_back(text); }

    [[nodiscard]] int RefCount(const std::string& path) const
    {
        const auto it = mEntries.find(Pyxo::StringToUpper(path));
        return it == mEntries.end() ? -1 : it->second.mRefCount.load();
    }

    std::map<std::string, Pyxo::ImagePoolEntry> mEntries; // outside any pool
    std::vector<std::string> mRequests;
    std::vector<std::wstring> mPopups;
};

/// One blit that reached the destination.
struct Blit {
    const Pyxo::Image* mImage;
    int mX;
    int mY;
    Pyxo::Rect mSrcRect;
    Pyxo::Color mColor;
    int mDrawMode;
};

/// A destination that records its blits; large enough that nothing a test draws is clipped.
class RecordingImage : public Pyxo::Image {
public:
    RecordingImage()
    {
        mWidth = 4000;
        mHeight = 4000;
    }
    void Blt(Pyxo::Image* image, int x, int y, const Pyxo::Rect& srcRect, const Pyxo::Color& color,
             int drawMode) override
    {
        mBlits.push_back({image, x, y, srcRect, color, drawMode});
    }

    std::vector<Blit> mBlits;
};

} // namespace ImageFontTest
