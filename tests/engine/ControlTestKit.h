#pragma once

// Fixtures for the control tests: an engine whose texture table holds three one-colour pictures ("red", "green",
// "blue"), controls loaded from one element of the interface description, and pixel rows read back as letters.

#include "engine/TMEngine.h"
#include "engine/TextureTable.h"
#include "graphics/ImageLib.h"
#include "graphics/MemoryImage.h"
#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <memory>
#include <string>

namespace EngineTest {

/// 'R', 'G' or 'B' for a nearly pure opaque primary colour (a colourised draw may take 255 to 254), '.' for a
/// transparent pixel, '?' for anything else.
inline char PixelLetter(uint32_t argb)
{
    const auto high = [](uint32_t channel) { return channel >= 0xF0; };
    const auto low = [](uint32_t channel) { return channel <= 0x0F; };
    const uint32_t a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    if (a == 0)
        return '.';
    if (!high(a))
        return '?';
    if (high(r) && low(g) && low(b))
        return 'R';
    if (low(r) && high(g) && low(b))
        return 'G';
    if (low(r) && low(g) && high(b))
        return 'B';
    return '?';
}

/// The letters of count pixels of row y, starting at x and stepping by step.
inline std::string PixelRow(Pyxo::MemoryImage& image, int y, int x, int step, int count)
{
    std::string row;
    const uint32_t* bits = image.GetBits();
    for (int i = 0; i < count; ++i)
        row += PixelLetter(bits[y * image.mWidth + x + i * step]);
    return row;
}

class ControlFixture : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        WritePicture("red", 0xFFFF0000);
        WritePicture("green", 0xFF00FF00);
        WritePicture("blue", 0xFF0000FF);
        mEngine = &MakeEngine();
        pugi::xml_document textures;
        ASSERT_TRUE(textures.load_string(R"(<root>
            <texture id="red" file="images\red.png"/>
            <texture id="green" file="images\green.png"/>
            <texture id="blue" file="images\blue.png"/>
            <texture id="red00" file="images\red.png"/>
            <texture id="red01" file="images\green.png"/>
            <texture id="red02" file="images\blue.png"/></root>)"));
        mEngine->GetTextureTable()->Load(textures.child("root"));
    }

    /// A control of class W read from one element by its Load(node, app).
    template <class W>
    std::unique_ptr<W> Load(const char* element, TMCandyWidget* parent = nullptr)
    {
        pugi::xml_document document;
        EXPECT_TRUE(document.load_string(element)) << element;
        auto control = std::make_unique<W>(parent);
        control->Load(document.document_element(), mEngine);
        return control;
    }

    /// A cleared image to draw into.
    std::unique_ptr<Pyxo::MemoryImage> Target(int width, int height)
    {
        auto image = std::make_unique<Pyxo::MemoryImage>(mEngine);
        image->Create(width, height);
        image->Clear();
        return image;
    }

    TMEngine* mEngine = nullptr;

private:
    /// A 16 x 16 picture of one colour.
    void WritePicture(const char* name, uint32_t argb)
    {
        ImageLib::Image image(16, 16);
        std::fill(image.GetBits(), image.GetBits() + 16 * 16, argb);
        fs::create_directories(mFolder / "images");
        ASSERT_TRUE(ImageLib::WritePNGImage((mFolder / "images" / (std::string(name) + ".png")).string(), image));
    }
};

} // namespace EngineTest
