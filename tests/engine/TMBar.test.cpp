// The segmented bar: fill and empty segments from value / maximum, its scale, and the descriptions that give it
// nothing to divide by.
#include "engine/TMBar.h"

#include "graphics/Graphics.h"
#include "tests/engine/ControlTestKit.h"

#include <gtest/gtest.h>

namespace {

using namespace EngineTest;

class TMBarTest : public ControlFixture {};

constexpr const char* kBar = R"(<element type="tmbar" name="bar" width="100" height="4" seg_width="10">
    <texture id="fill" texture="red"/><texture id="empty" texture="blue"/></element>)";

TEST_F(TMBarTest, SegmentsFollowValueOverMaximum)
{
    struct Case {
        const char* name;
        const char* element;
        int maximum, value;
        float scale;
        std::string segments; // one letter every 10 pixels, from x = 5
    };
    const Case cases[] = {
        {"three of ten", kBar, 10, 3, 1.0f, "RRRBBBBBBB...................."},
        {"value 0 is all empty", kBar, 10, 0, 1.0f, "BBBBBBBBBB...................."},
        {"value at the maximum is all fill", kBar, 10, 10, 1.0f, "RRRRRRRRRR...................."},
        {"a third fills four of ten", kBar, 3, 1, 1.0f, "RRRRBBBBBB...................."},
        // Segments sit side by side at twice the width, not at twice their scaled place.
        {"scale 2", kBar, 10, 3, 2.0f, "RRRRRRBBBBBBBBBBBBBB.........."},
        {"maximum 0 is all empty", kBar, 0, 5, 1.0f, "BBBBBBBBBB...................."},
        {"segment width 0 draws nothing",
         R"(<element type="tmbar" width="100" height="4" seg_width="0">
              <texture id="fill" texture="red"/><texture id="empty" texture="blue"/></element>)",
         10, 3, 1.0f, ".............................."},
        {"segment width missing draws nothing",
         R"(<element type="tmbar" width="100" height="4">
              <texture id="fill" texture="red"/><texture id="empty" texture="blue"/></element>)",
         10, 3, 1.0f, ".............................."},
        {"no empty texture draws nothing",
         R"(<element type="tmbar" width="100" height="4" seg_width="10"><texture id="fill" texture="red"/></element>)",
         10, 3, 1.0f, ".............................."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto bar = Load<TMBar>(c.element);
        bar->SetMax(c.maximum);
        bar->SetValue(c.value);
        bar->SetScale(c.scale);
        auto target = Target(300, 8);
        Pyxo::Graphics g(target.get());
        bar->Draw(&g);
        EXPECT_EQ(PixelRow(*target, 2, 5, 10, 30), c.segments);
    }
}

/// A target that counts the stretched blits drawn into it.
class CountingTarget : public Pyxo::MemoryImage {
public:
    using MemoryImage::MemoryImage;
    void StretchBlt(Pyxo::Image* image, const Pyxo::Rect& destRect, const Pyxo::Rect& srcRect,
                    const Pyxo::Rect& clipRect, const Pyxo::Color& color, int drawMode, bool fastStretch) override
    {
        ++blits;
        MemoryImage::StretchBlt(image, destRect, srcRect, clipRect, color, drawMode, fastStretch);
    }
    int blits = 0;
};

TEST_F(TMBarTest, AHugeSegmentCountDrawsAtMostTheClipWidthPlusFourSegments)
{
    auto bar = Load<TMBar>(R"(<element type="tmbar" name="huge" width="2147483647" height="4" seg_width="1">
        <texture id="fill" texture="red"/><texture id="empty" texture="blue"/></element>)");
    EXPECT_TRUE(LogHas("has 2147483647 segments"));
    bar->SetMax(2);
    bar->SetValue(1); // the first half filled
    CountingTarget target(mEngine);
    target.Create(30, 4);
    target.Clear();
    // Far from the origin the float translation blurs where segments land: only the near cases show pixels.
    const struct {
        const char* name;
        int translate;
        const char* pixels;
    } cases[] = {
        {"at its start", 0, "RRRRRRRRRRRRRRRRRRRRRRRRRRRRRR"},
        {"scrolled to its middle", -(1 << 30), nullptr},
        {"scrolled past its end", INT32_MIN, ".............................."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        target.Clear();
        target.blits = 0;
        Pyxo::Graphics g(&target);
        g.Translate(c.translate, 0);
        bar->Draw(&g);
        EXPECT_LE(target.blits, 30 + 4);
        if (c.pixels) {
            EXPECT_EQ(PixelRow(target, 2, 0, 1, 30), c.pixels);
        }
    }
}

TEST_F(TMBarTest, AlphaIsTheProductOfTheAncestors)
{
    TMCandyWidget parent(nullptr);
    parent.SetAlpha(0.5f);
    auto bar = Load<TMBar>(kBar, &parent);
    bar->SetAlpha(0.5f);
    auto target = Target(100, 4);
    Pyxo::Graphics g(target.get());
    bar->Draw(&g);
    EXPECT_EQ(g.GetColor(), Pyxo::Color(255, 255, 255, 63)); // 255 x 0.5 x 0.5, truncated
    EXPECT_TRUE(g.GetColorize());
}

} // namespace
